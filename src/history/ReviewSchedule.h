// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/SheetModel.h"
#include "history/SheetHistory.h"

#include <QDateTime>
#include <QList>

// When a pupil's wrong questions come back: 1, 2, 4, 8 and 16 days after the last mark. A wrong answer
// puts a question at the start (1 day); a right one moves it on a step, and right after the last step
// it is learnt. A question never answered wrong never comes back.
namespace reviewschedule {

inline constexpr int StepDays[] = {1, 2, 4, 8, 16};

struct Due {
    MarkedItem last; // the question's latest mark
    int step = 0;    // 0..4
    QDateTime dueAt;
};

// One pupil's questions due at `now` (by question, whatever sheet printed them), the longest overdue
// first.
QList<Due> due(const QList<MarkedItem> &marks, const QDateTime &now);

// The due questions as a sheet's items, the history's texts as they were printed.
QList<SheetItem> itemsOf(const QList<Due> &due);

} // namespace reviewschedule
