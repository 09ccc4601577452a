// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>

// One bank line's fields that a run looks at, as the text read from the file, and the topic code's
// value. A field the line does not have is empty. The views point into the decoded line.
struct QuestionRecord {
    QStringView questionText;
    QStringView topicCode;
    QStringView difficulty;
    QStringView answerText;
    int topic = -1; // the topic code's whole value (0..1000) by the loader's rule, -1 for none
};
