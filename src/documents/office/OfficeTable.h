// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "documents/office/OfficeOptions.h"

#include <QList>
#include <QString>
#include <QStringList>

// A table of a teacher's file, read through the office's own import filters: the first sheet of a
// spreadsheet (.xlsx, .xls, .ods) or the first table of a text document (.docx, .doc, .odt), each cell
// as the text it shows. Rows after the last filled one are left out; a cell merged into another is empty.
// An office started for the reading is ended again.
namespace officetable {

Result<QList<QStringList>> read(const OfficeOptions &options, const QString &path);

} // namespace officetable
