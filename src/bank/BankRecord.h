// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/QuestionRecord.h"

#include <QString>
#include <QStringList>
#include <QStringView>

// One bank line as every reader of the bank reads it: the loader, the topic counts of the window and of
// `tessaly check`, the check's findings and the download's keeping of old grades. The numbers follow
// the loader's rule (the value of the leading number, see numberValue), so a line graded "3.0" is a
// grade-3 question to all of them.
struct BankRecord {
    QuestionRecord record; // the four fields a run keeps (the answer without the editor's "##")
    QStringView gradeText;
    int fieldCount = 0;    // 1..5: the fifth runs to the end of the line
    bool hasGrade = false; // the line has a "|": without one it belongs to every grade
    int grade = -1;        // 0..6, or -1 when the grade reads as no whole grade
    int topicCode = -1;    // 0..1000, or -1 when the code reads as no whole number in that range
    // 0..5, or -1; read only where asked (the loader does not need it).
    int difficulty() const;

    // Whether a run at this grade position (0 = all grades) takes the line.
    bool takenAtGrade(int position) const { return !hasGrade || position == 0 || grade == position; }
};

namespace bankrecord {

BankRecord parse(QStringView line);

// What is wrong with a line for a bank's author: too few fields, an empty question or answer, a grade,
// topic or difficulty outside the code tables, a number with text after it, a topic the window never
// offers at the line's grade. The loading takes such lines all the same.
QStringList problems(const BankRecord &line);

} // namespace bankrecord
