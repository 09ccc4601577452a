// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The text of a downloaded grade page and what the download makes of it.
namespace pagetext {

// The reply decoded by its charset: the HTTP header's, else a <meta> one, else GB18030. *clean is set
// to false when the bytes do not decode without errors in that charset (a GBK page labelled UTF-8, say):
// such a page would put garbled text into the bank.
QString decode(const QByteArray &body, const QString &contentTypeHeader, bool *clean = nullptr);
// The content of the body element; the whole text where there is none.
QString bodyContent(const QString &html);
// A page is usable when its text starts with "1" (blank lines and spaces before it do not count).
bool usable(const QString &pageText);
// Blanks and every line break removed, the ASCII signs + - * / = turned full-width.
QString normalised(QString pageText);
// A normalised page arrived whole: it ends with "##" and the record before it has all five fields. A
// reply cut off without a declared length would otherwise pass as a shorter page.
bool complete(const QString &normalisedText);
// The records of a normalised page: the pieces between "##", the one after the last included.
QStringList records(const QString &normalisedText);

} // namespace pagetext
