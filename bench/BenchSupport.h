// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared by the benchmark programs: a synthetic worksheet and the median of repeated timings.

#include "generation/WorksheetArgs.h"

#include <QStringList>
#include <algorithm>
#include <vector>

inline WorksheetArgs syntheticWorksheet(int count) {
    using namespace Qt::Literals::StringLiterals;
    QStringList questions, answers, difficulties;
    for (int i = 0; i < count; ++i) {
        questions.append(u"小明有%1个苹果，妈妈又给了他8个，小明现在一共有多少个苹果？"_s.arg(i));
        answers.append(u"%1＋8＝%2（个）"_s.arg(i).arg(i + 8));
        difficulties.append(QString::number(i % 6));
    }
    WorksheetArgs a;
    a.questionList = questions.join(u' ');
    a.answerList = answers.join(u' ');
    a.difficultyList = difficulties.join(u' ');
    a.fontName = u"宋体"_s;
    a.fontSize = u"11"_s;
    a.answerFlag = u"0"_s;
    return a;
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
