// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/BankCheck.h"

#include "bank/BankText.h"
#include "bank/CodeTables.h"

using namespace Qt::Literals::StringLiterals;

namespace bankcheck {

namespace {

// A field that must be a whole number in [low, high], written plainly.
bool wholeNumberIn(QStringView field, int low, int high, int *value) {
    bool ok = false;
    const int v = field.toInt(&ok);
    *value = v;
    return ok && v >= low && v <= high;
}

bool knownTopicCode(int code) {
    return (code >= 0 && code <= 2 * codes::TopicSlotCount) || code == codes::UnclassifiedOlympiadCode;
}

} // namespace

QList<Problem> problems(QStringView text) {
    QList<Problem> found;
    int number = 0;
    banktext::forEachLine(text, [&](QStringView line) {
        ++number;
        if (banktext::isBlankLine(line))
            return;
        const QList<QStringView> fields = line.split(u'|');
        if (fields.size() < 5) {
            found.append({number, u"只有%1个字段，应为5个（题目|年级|专题|难度|答案）"_s.arg(fields.size())});
            return;
        }
        int value = 0;
        if (fields[0].trimmed().isEmpty())
            found.append({number, u"题目为空"_s});
        if (!wholeNumberIn(fields[1], 0, 6, &value))
            found.append({number, u"年级“%1”应为 0 到 6"_s.arg(fields[1])});
        if (!wholeNumberIn(fields[2], 0, 99, &value) || !knownTopicCode(value))
            found.append({number, u"专题代码“%1”应为 0 到 80 或 99"_s.arg(fields[2])});
        if (!wholeNumberIn(fields[3], 0, 5, &value))
            found.append({number, u"难度“%1”应为 0 到 5"_s.arg(fields[3])});
        if (fields[4].isEmpty() || fields[4] == u"##")
            found.append({number, u"答案为空"_s});
        // A topic the window never offers at this grade: no worksheet can ever draw the question.
        int grade = 0, code = 0;
        if (wholeNumberIn(fields[1], 1, 6, &grade) && wholeNumberIn(fields[2], 1, 80, &code)) {
            if (code <= codes::TopicSlotCount && codes::textbookMinimumGrade(code) > grade)
                found.append({number, u"专题“%1”从%2起才有，%3的试卷选不到这道题"_s.arg(
                                          codes::textbookTopicNames().at(code - 1),
                                          codes::gradeNames().at(codes::textbookMinimumGrade(code)),
                                          codes::gradeNames().at(grade))});
            else if (code > codes::TopicSlotCount && grade == 1 &&
                     !codes::olympiadEnabledAtGradeOne(code - codes::OlympiadCodeOffset))
                found.append(
                    {number, u"奥数专题“%1”一年级不提供，一年级的试卷选不到这道题"_s.arg(
                                 codes::olympiadTopicNames().at(code - codes::OlympiadCodeOffset - 1))});
        }
    });
    return found;
}

QString describe(const QString &fileName, const Problem &problem) {
    return u"%1 第%2行：%3"_s.arg(fileName).arg(problem.line).arg(problem.message);
}

} // namespace bankcheck
