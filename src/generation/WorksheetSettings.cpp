// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/WorksheetSettings.h"

std::array<int, codes::TopicSlotCount + 1> WorksheetSettings::defaultTopicBoxes(int grade,
                                                                                codes::QuestionMode mode) {
    std::array<int, codes::TopicSlotCount + 1> boxes{};
    boxes[0] = 1;
    bool any = false;
    const bool selectAll = codes::gradeSelectsAll(grade, mode);
    for (int slot = 1; slot <= codes::TopicSlotCount; ++slot) {
        const bool enabled = codes::slotEnabledForGrade(slot, grade, mode).value_or(false);
        boxes[slot] = selectAll && enabled ? 1 : 0;
        any = any || boxes[slot] == 1;
    }
    if (!any)
        for (int slot = 1; slot <= codes::TopicSlotCount; ++slot)
            boxes[slot] = 1;
    return boxes;
}
