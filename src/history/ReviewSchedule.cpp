// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/ReviewSchedule.h"

#include <QHash>
#include <algorithm>
#include <iterator>

namespace reviewschedule {

QList<Due> due(const QList<MarkedItem> &marks, const QDateTime &now) {
    QList<MarkedItem> ordered = marks;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const MarkedItem &a, const MarkedItem &b) { return a.marked < b.marked; });
    struct State {
        int step = -1; // -1: not in the schedule (never wrong, or learnt)
        MarkedItem last;
    };
    QHash<quint64, State> states;
    QList<quint64> order; // the questions in the order they first came wrong
    for (const MarkedItem &m : std::as_const(ordered)) {
        State &s = states[m.key];
        if (!m.correct) {
            if (s.step < 0 && !order.contains(m.key))
                order.append(m.key);
            s.step = 0;
            s.last = m;
        } else if (s.step >= 0) {
            s.step = s.step + 1 < static_cast<int>(std::size(StepDays)) ? s.step + 1 : -1;
            s.last = m;
        }
    }
    QList<Due> found;
    for (const quint64 key : std::as_const(order)) {
        const State &s = states.value(key);
        if (s.step < 0)
            continue;
        const QDateTime at = s.last.marked.addDays(StepDays[s.step]);
        if (at <= now)
            found.append(Due{s.last, s.step, at});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Due &a, const Due &b) { return a.dueAt < b.dueAt; });
    return found;
}

QList<SheetItem> itemsOf(const QList<Due> &due) {
    QList<SheetItem> items;
    for (const Due &d : due)
        items.append(
            SheetItem{d.last.question, d.last.topicCode.toInt(), d.last.answer, d.last.difficulty, 0});
    return items;
}

} // namespace reviewschedule
