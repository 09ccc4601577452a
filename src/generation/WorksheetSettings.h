// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/CodeTables.h"

#include <QString>
#include <array>

// Every setting of a worksheet, as the main window holds it in its controls. The defaults are the
// window's start-up values.
struct WorksheetSettings {
    int grade = 0;
    codes::QuestionMode mode = codes::QuestionMode::Calculation;
    // Box values (0, 1 ticked, 2 greyed); index 0 is 未归类题, 1..40 the topic slots.
    std::array<int, codes::TopicSlotCount + 1> topicBoxes{};
    bool repeats = false;
    QString quantity = QStringLiteral("24");
    QString columns = QStringLiteral("2");
    QString fontSize = QStringLiteral("11");
    QString lineSpacing = QStringLiteral("30");
    QString fontName = QStringLiteral("宋体");
    QString blankLines = QStringLiteral("2");
    bool stars = true;
    bool answers = false;
    QString paper = QStringLiteral("A4");
    bool landscape = false;

    WorksheetSettings() { topicBoxes = defaultTopicBoxes(grade, mode); }

    // The boxes the main window leaves ticked after choosing this mode and then this grade, with
    // 未归类题; where that leaves no topic ticked (奥数 at grades 2 to 6), all forty.
    static std::array<int, codes::TopicSlotCount + 1> defaultTopicBoxes(int grade, codes::QuestionMode mode);
};
