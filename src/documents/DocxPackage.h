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
// Deflate's level for the parts: the sheets' repetitive XML packs nearly as small at 6 as at 9, in
// much less time (bench_speed measures the levels).
constexpr int DeflateLevel = 6;
Result<QByteArray> zip(const QList<Part> &parts, int level = DeflateLevel);
// Writes bytes to a temporary file beside path and renames it over path.
Status writeAtomically(const QString &path, const QByteArray &bytes);

} // namespace docxpackage
