// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/PlanText.h"

#include "bank/CodeTables.h"

#include <QRegularExpression>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace plantext {

namespace {

QString topicName(int slot, codes::QuestionMode mode) {
    if (slot == 0)
        return codes::unclassifiedName();
    const QStringList &names =
        codes::usesOlympiadList(mode) ? codes::olympiadTopicNames() : codes::textbookTopicNames();
    return names.value(slot - 1);
}

} // namespace

Result<std::pair<int, int>> difficultyRange(const QString &text) {
    using Range = Result<std::pair<int, int>>;
    const QStringList ends = text.split(u'-');
    const std::optional<int> from = ends.size() <= 2 ? codes::difficultyFromName(ends.first()) : std::nullopt;
    const std::optional<int> to = ends.size() == 2 ? codes::difficultyFromName(ends.last()) : from;
    if (!from || !to || *to < *from)
        return Range::failure(
            u"难度“%1”无效，应为 0 到 5（0 = 基础题，或 ★ 到 ★★★★★），或由低到高的范围如 1-3"_s.arg(text));
    return Range::success({*from, *to});
}

Result<QList<PlanCell>> parse(const QString &text, codes::QuestionMode mode,
                              const sectiontext::TopicNames &names) {
    using Parsed = Result<QList<PlanCell>>;
    QList<PlanCell> plan;
    const bool olympiad = codes::usesOlympiadList(mode);
    for (const QString &raw : text.split(QRegularExpression(u"[,，]"_s), Qt::SkipEmptyParts)) {
        const QString cellText = raw.trimmed();
        const QStringList parts = cellText.split(QRegularExpression(u"[:：]"_s));
        const qsizetype at = parts.value(1).indexOf(u'@');
        if (parts.size() < 2 || parts.size() > 3 || at < 0)
            return Parsed::failure(u"“%1”应写成 专题:题量@难度（如 求和:3@1 或 求差:2@1-2）"_s.arg(cellText));
        PlanCell cell;
        const QString topic = parts[0].trimmed();
        const std::optional<int> found = sectiontext::topicSlot(topic, olympiad, names);
        bool ok = false;
        if (!found)
            return Parsed::failure(u"“%1”：未知专题“%2”，应为 1 到 40 或%3题型的专题名称"_s.arg(
                cellText, topic, codes::modeName(mode)));
        cell.slot = *found;
        const int count = parts[1].left(at).trimmed().toInt(&ok);
        if (!ok || count < 1 || count > 100000)
            return Parsed::failure(u"“%1”：题量应为 1 到 100000 的整数"_s.arg(cellText));
        cell.count = count;
        const Result<std::pair<int, int>> range = difficultyRange(parts[1].sliced(at + 1).trimmed());
        if (!range)
            return Parsed::failure(u"“%1”：%2"_s.arg(cellText, range.error()));
        cell.difficultyFrom = range.value().first;
        cell.difficultyTo = range.value().second;
        if (parts.size() == 3) {
            const int points = parts[2].trimmed().toInt(&ok);
            if (!ok || points < 0 || points > 1000)
                return Parsed::failure(u"“%1”：分值应为 0 到 1000 的整数"_s.arg(cellText));
            cell.points = points;
        }
        plan.append(cell);
    }
    if (plan.isEmpty())
        return Parsed::failure(u"细目表是空的"_s);
    return Parsed::success(plan);
}

QString write(const QList<PlanCell> &plan) {
    QStringList cells;
    for (const PlanCell &c : plan) {
        QString text = (c.slot == 0 ? u"u"_s : QString::number(c.slot)) + u':' + QString::number(c.count) +
                       u'@' + QString::number(c.difficultyFrom);
        if (c.difficultyTo != c.difficultyFrom)
            text += u'-' + QString::number(c.difficultyTo);
        if (c.points > 0)
            text += u':' + QString::number(c.points);
        cells.append(text);
    }
    return cells.join(u',');
}

QString shortCellsText(int copy, int copies, const QStringList &cells, bool balanced) {
    const QString which = copies > 1 ? u"第 %1 份："_s.arg(copy) : QString();
    if (balanced)
        return which + u"题库不够，专题和难度未能与第 1 份完全一样（%1）"_s.arg(cells.join(u'；'));
    return which + u"细目表有格子不够：%1"_s.arg(cells.join(u'；'));
}

QString cellName(const PlanCell &cell, codes::QuestionMode mode) {
    const QStringList &names = codes::difficultyNames();
    const QString difficulty =
        cell.difficultyFrom == cell.difficultyTo
            ? names.value(cell.difficultyFrom)
            : names.value(cell.difficultyFrom) + u"至"_s + names.value(cell.difficultyTo);
    return topicName(cell.slot, mode) + u' ' + difficulty;
}

QList<PlanCell> makeUpOf(const DrawnSheet &sheet, codes::QuestionMode mode) {
    QList<PlanCell> plan;
    const bool olympiad = codes::usesOlympiadList(mode);
    for (const SheetItem &item : sheet.items) {
        const int slot = codes::slotOfTopicCode(item.topicCode, olympiad);
        const int difficulty = std::clamp(codes::difficultyLevel(item.difficulty).value_or(0), 0, 5);
        auto found = std::find_if(plan.begin(), plan.end(), [&](const PlanCell &c) {
            return c.slot == slot && c.difficultyFrom == difficulty;
        });
        if (found != plan.end())
            ++found->count;
        else if (slot >= 0)
            plan.append(PlanCell{slot, difficulty, difficulty, 1, 0});
    }
    return plan;
}

} // namespace plantext
