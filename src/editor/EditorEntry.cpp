// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/EditorEntry.h"

#include "bank/BankLoader.h"
#include "bank/BankText.h"
#include "bank/CodeTables.h"
#include "bank/QuestionTemplate.h"
#include "bank/TextNormal.h"

using namespace Qt::Literals::StringLiterals;

namespace editorentry {

QString cleanQuestion(QString text) {
    return textnormal::forRecord(std::move(text));
}

QString cleanSteps(QString text) {
    return textnormal::fullWidthSigns(textnormal::forRecord(std::move(text)));
}

int topicCode(bool olympiad, int slot) {
    return slot == 0 ? codes::unclassifiedCode(olympiad) : codes::topicCode(slot, olympiad);
}

QString recordLine(const NewQuestion &q) {
    return q.question + u'|' + QString::number(q.grade) + u'|' +
           QString::number(topicCode(q.olympiad, q.slot)) + u'|' + QString::number(q.difficulty) + u'|' +
           q.steps + u"##"_s;
}

QString refusal(const NewQuestion &q) {
    if (q.question.isEmpty())
        return u"题目是空的"_s;
    if (q.grade < 0 || q.grade >= codes::GradeCount)
        return u"范围应为 0 到 6"_s;
    if (q.slot < 0 || q.slot > codes::TopicSlotCount)
        return u"专题应为 1 到 40"_s;
    if (q.difficulty < 0 || q.difficulty >= codes::difficultyNames().size())
        return u"难度应为 0 到 5"_s;
    // A template that cannot draw its numbers, or whose worked answer comes out wrong, is no question.
    if (QuestionTemplate::defines(q.question))
        if (const QStringList problems = QuestionTemplate::parse(q.question, q.steps).problems();
            !problems.isEmpty())
            return problems.front();
    return {};
}

Status append(const QString &bankDir, const QList<NewQuestion> &questions) {
    QStringList lines;
    for (const NewQuestion &q : questions) {
        if (const QString why = refusal(q); !why.isEmpty())
            return Status::failure(why);
        lines.append(recordLine(q));
    }
    return banktext::appendLines(BankLoader::userBankPath(bankDir), lines);
}

} // namespace editorentry
