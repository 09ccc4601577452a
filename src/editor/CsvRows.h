// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// A CSV file as a spreadsheet program saves it (UTF-8 with or without BOM, or GB18030; quoted fields
// with commas, quotes and line breaks), read by libcsv into rows of fields: the question import and the
// plan file read their files so.
namespace csvrows {

Result<QList<QStringList>> parse(const QByteArray &bytes);
// One row written back: fields quoted where they hold a comma, a quote or a line break.
QByteArray line(const QStringList &fields);

} // namespace csvrows
