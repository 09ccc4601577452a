// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <utility>

// Zips named parts into one package in memory (the .docx container).
namespace docxpackage {

using Part = std::pair<QString, QByteArray>;
Result<QByteArray> zip(const QList<Part> &parts);
// Writes bytes to a temporary file beside path and renames it over path.
Status writeAtomically(const QString &path, const QByteArray &bytes);

} // namespace docxpackage
