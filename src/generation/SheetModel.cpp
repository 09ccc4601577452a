// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/SheetModel.h"

#include "bank/NumberValue.h"

#include <QStringList>

#include <algorithm>

PageLayout SheetLayout::pageLayout() const {
    PageLayout page;
    page.paper = paper;
    page.landscape = landscape;
    page.columns = columns;
    page.lineSpacing = lineSpacing;
    return page;
}

double SheetLayout::fontSizeFrom(const QString &text) {
    bool ok = false;
    const double size = text.trimmed().toDouble(&ok);
    return ok && size > 0 ? size : 0;
}

int SheetLayout::blankLinesFrom(const QString &text) {
    return std::max(0, integerValue(text));
}

namespace {

QSet<int> codesOf(const TopicSlots &topics, codes::QuestionMode mode) {
    const bool olympiad = codes::usesOlympiadList(mode);
    QSet<int> result;
    if (topics[0])
        result.insert(codes::unclassifiedCode(olympiad));
    for (int slot = 1; slot <= codes::TopicSlotCount; ++slot)
        if (topics[static_cast<size_t>(slot)])
            result.insert(codes::topicCode(slot, olympiad));
    return result;
}

bool anyOf(const TopicSlots &topics) {
    return std::any_of(topics.begin(), topics.end(), [](bool ticked) { return ticked; });
}

} // namespace

QString SheetRequest::difficultyText() const {
    if (!byDifficulty())
        return {};
    const QStringList &names = codes::difficultyNames();
    if (difficultyFrom == difficultyTo)
        return names.value(difficultyFrom);
    return names.value(difficultyFrom) + QStringLiteral("至") + names.value(difficultyTo);
}

QString SheetRequest::shortSheetText(qsizetype drawn) const {
    const QString what = byDifficulty() ? QStringLiteral("所选范围、专题和难度（%1）").arg(difficultyText())
                                        : QStringLiteral("所选范围和专题");
    if (drawn == 0)
        return QStringLiteral("没有符合%1的题目，试卷只有标题").arg(what);
    return QStringLiteral("只找到 %1 道符合%2的题目，试卷只有这 %1 道题").arg(drawn).arg(what);
}

int SheetRequest::wantedQuantity() const {
    if (!plan.isEmpty()) {
        int total = 0;
        for (const PlanCell &c : plan)
            total += c.count;
        return total;
    }
    if (sections.isEmpty())
        return quantity;
    int total = 0;
    for (const SheetSection &s : sections)
        total += s.quantity;
    return total;
}

QSet<int> SheetRequest::topicCodes() const {
    return codesOf(topics, mode);
}

bool SheetRequest::anyTopic() const {
    if (!plan.isEmpty())
        return true;
    if (!sections.isEmpty())
        return std::any_of(sections.begin(), sections.end(),
                           [](const SheetSection &s) { return s.anyTopic() && s.quantity > 0; });
    return anyOf(topics);
}

QSet<int> SheetSection::topicCodes() const {
    return codesOf(topics, mode);
}

bool SheetSection::anyTopic() const {
    return anyOf(topics);
}

int SheetSection::sectionPoints(qsizetype questions) const {
    if (total > 0)
        return total;
    return points * static_cast<int>(questions);
}

SheetRequest::TopicSlots SheetRequest::defaultTopics(int grade, codes::QuestionMode mode) {
    TopicSlots slots{};
    slots[0] = true;
    bool any = false;
    const bool selectAll = codes::gradeSelectsAll(grade, mode);
    for (int slot = 1; slot <= codes::TopicSlotCount; ++slot) {
        const bool enabled = codes::slotEnabledForGrade(slot, grade, mode).value_or(false);
        slots[static_cast<size_t>(slot)] = selectAll && enabled;
        any = any || slots[static_cast<size_t>(slot)];
    }
    if (!any)
        for (int slot = 1; slot <= codes::TopicSlotCount; ++slot)
            slots[static_cast<size_t>(slot)] = true;
    return slots;
}
