// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/BankRecord.h"

#include "bank/CodeTables.h"
#include "bank/NumberValue.h"
#include "bank/QuestionTemplate.h"

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace bankrecord {

namespace {

// The whole value of a field in [low, high] by the loader's rule, or -1.
int wholeIn(QStringView field, int low, int high) {
    const double value = numberValue(field);
    if (value != std::trunc(value) || value < low || value > high)
        return -1;
    return static_cast<int>(value);
}

// A field that holds its number and nothing else ("3", "3.0", " 3 ", "+3", ".5"), so what the author
// wrote and what a run reads are the same. Checked by hand: a number's parser, called for three fields
// of every line of a large bank, was most of the time `tessaly generate` spent on its warnings.
bool plainNumber(QStringView field) {
    field = field.trimmed();
    qsizetype i = 0;
    const qsizetype n = field.size();
    if (i < n && (field[i] == u'+' || field[i] == u'-'))
        ++i;
    bool digits = false, point = false;
    for (; i < n; ++i) {
        const QChar c = field[i];
        if (c >= u'0' && c <= u'9')
            digits = true;
        else if (c == u'.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

bool knownTopicCode(int code) {
    return (code >= 0 && code <= 2 * codes::TopicSlotCount) || code == codes::UnclassifiedOlympiadCode;
}

} // namespace

BankRecord parse(QStringView line) {
    QStringView fields[5];
    int count = 0;
    qsizetype start = 0;
    while (count < 5) {
        const qsizetype bar = line.indexOf(u'|', start);
        if (bar < 0) {
            fields[count++] = line.sliced(start);
            break;
        }
        fields[count++] = line.sliced(start, bar - start);
        start = bar + 1;
    }
    BankRecord r;
    r.fieldCount = count;
    r.hasGrade = count > 1;
    r.gradeText = fields[1];
    QStringView answer = fields[4];
    // The editor ends its lines with "##"; that mark is not part of the answer.
    if (answer.endsWith(u"##"))
        answer.chop(2);
    r.record = QuestionRecord{fields[0], fields[2], fields[3], answer};
    r.grade = r.hasGrade ? wholeIn(fields[1], 0, 6) : -1;
    r.topicCode = wholeIn(fields[2], 0, 1000);
    r.record.topic = r.topicCode;
    return r;
}

QStringList problems(const BankRecord &r) {
    QStringList found;
    if (r.fieldCount < 5) {
        found.append(u"只有%1个字段，应为5个（题目|年级|专题|难度|答案）"_s.arg(r.fieldCount));
        return found;
    }
    // The messages are made only for a field that has a problem: most lines have none.
    const auto numberField = [&found](QStringView text, int value, const char16_t *outOfRange) {
        if (value < 0)
            found.append(QString::fromUtf16(outOfRange).arg(text));
        else if (!plainNumber(text))
            found.append(u"“%1”读作 %2"_s.arg(text).arg(value));
    };
    if (r.record.questionText.trimmed().isEmpty())
        found.append(u"题目为空"_s);
    numberField(r.gradeText, r.grade, u"年级“%1”应为 0 到 6");
    numberField(r.record.topicCode, knownTopicCode(r.topicCode) ? r.topicCode : -1,
                u"专题代码“%1”应为 0 到 80 或 99");
    numberField(r.record.difficulty, r.difficulty(), u"难度“%1”应为 0 到 5");
    if (r.record.answerText.isEmpty())
        found.append(u"答案为空"_s);
    // A template's faults, and what a sample of its draws shows.
    if (QuestionTemplate::defines(r.record.questionText))
        found.append(QuestionTemplate::parse(r.record.questionText, r.record.answerText).problems());
    // A topic the window never offers at this grade: no worksheet can ever draw the question.
    const int grade = r.grade, code = r.topicCode;
    if (grade >= 1 && code >= 1 && code <= 2 * codes::TopicSlotCount) {
        if (code <= codes::TopicSlotCount && codes::textbookMinimumGrade(code) > grade)
            found.append(u"专题“%1”从%2起才有，%3的试卷选不到这道题"_s.arg(
                codes::textbookTopicNames().at(code - 1),
                codes::gradeNames().at(codes::textbookMinimumGrade(code)), codes::gradeNames().at(grade)));
        else if (code > codes::TopicSlotCount && grade == 1 &&
                 !codes::olympiadEnabledAtGradeOne(code - codes::OlympiadCodeOffset))
            found.append(u"奥数专题“%1”一年级不提供，一年级的试卷选不到这道题"_s.arg(
                codes::olympiadTopicNames().at(code - codes::OlympiadCodeOffset - 1)));
    }
    return found;
}

} // namespace bankrecord

int BankRecord::difficulty() const {
    return bankrecord::wholeIn(record.difficulty, 0, 5);
}
