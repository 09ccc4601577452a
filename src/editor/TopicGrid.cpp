// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/TopicGrid.h"

#include "bank/CodeTables.h"

#include <array>

namespace topicgrid {

namespace {

// Control number of each slot, in grid order (column by column, top to bottom).
constexpr std::array<int, codes::TopicSlotCount> SlotControls = {
    1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 20, 21, 22,
    23, 24, 25, 26, 31, 30, 28, 27, 35, 34, 33, 32, 39, 38, 37, 36, 43, 42, 41, 40};

} // namespace

QString controlName(int slot) {
    Q_ASSERT(slot >= 1 && slot <= codes::TopicSlotCount);
    return QStringLiteral("Check") + QString::number(SlotControls[static_cast<size_t>(slot - 1)]);
}

int slotOfControl(int checkNumber) {
    for (int i = 0; i < codes::TopicSlotCount; ++i)
        if (SlotControls[static_cast<size_t>(i)] == checkNumber)
            return i + 1;
    return 0;
}

} // namespace topicgrid
