// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "documents/office/OfficeDelivery.h"

#include <QList>
#include <QString>
#include <optional>

// What a LibreOffice document holds, read back over UNO in plain Qt types (for the tests and the
// benchmark, which check the typed document).
namespace unoreadback {

struct Portion {
    QString text;
    double weight = 0;   // CharWeightAsian: 100 normal, 150 bold
    double height = 0;   // CharHeightAsian, points
    QString asianFont;   // CharFontNameAsian
    QString westernFont; // CharFontName
};

struct Paragraph {
    QString text;
    int adjust = 0; // ParaAdjust: 0 left, 3 centre
    QList<Portion> portions;
};

struct Document {
    QList<Paragraph> paragraphs;
    int topMargin = 0, bottomMargin = 0, leftMargin = 0, rightMargin = 0; // 1/100 mm
    bool windowVisible = false;
    bool modified = false;
    QString location; // empty for an untitled document
};

std::optional<Document> read(OfficeDelivery &delivery, QString *error = nullptr);
// A file opened by the office with an import filter (and its options) and stored with an export filter:
// files the office itself makes, for the tests of what the program reads.
bool convert(OfficeConnection &office, const QString &from, const QString &inFilter, const QString &inOptions,
             const QString &to, const QString &outFilter, QString *error = nullptr);
// How many documents the office holds open (ours, hidden or shown, and any other); -1 when it does not
// answer.
int openDocuments(OfficeConnection &office);

} // namespace unoreadback
