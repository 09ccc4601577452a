// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/SheetModel.h"
#include "history/SheetHistory.h"

// Between a made sheet and its record: what goes into the history, and what makes it again.
namespace sheetrecord {

RecordedSheet fromSheet(const DrawnSheet &sheet, const SheetRequest &request, const QString &bankDir);
// The request and the drawn sheet (with its code) that make the recorded sheet again.
SheetRequest requestOf(const RecordedSheet &sheet);
DrawnSheet sheetOf(const RecordedSheet &sheet);

} // namespace sheetrecord
