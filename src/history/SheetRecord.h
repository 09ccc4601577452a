// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/WorksheetArgs.h"
#include "generation/WorksheetSettings.h"
#include "history/SheetHistory.h"

// Between a made sheet and its record: what goes into the history, and what writes it again.
namespace sheetrecord {

RecordedSheet fromSheet(const WorksheetArgs &args, const WorksheetSettings &settings, const QString &bankDir);
// The writer's arguments and settings that make the recorded sheet again (or its answer version).
WorksheetArgs argsOf(const RecordedSheet &sheet, bool answers);
WorksheetSettings settingsOf(const RecordedSheet &sheet);

} // namespace sheetrecord
