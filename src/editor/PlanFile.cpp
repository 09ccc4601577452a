// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/PlanFile.h"

#include "bank/CodeTables.h"
#include "common/AtomicFile.h"
#include "editor/CsvRows.h"
#include "editor/EntryValues.h"
#include "generation/PlanText.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

namespace planfile {

namespace {

enum Column { Topic, Difficulty, Count, Points, ColumnCount };

int columnOf(const QString &header) {
    const QString h = header.trimmed().toLower();
    const std::pair<const char16_t *, const char16_t *> names[] = {
        {u"专题", u"topic"}, {u"难度", u"difficulty"}, {u"题量", u"count"}, {u"分值", u"points"}};
    for (int c = 0; c < ColumnCount; ++c)
        if (h == QStringView(names[c].first) || h == QStringView(names[c].second))
            return c;
    return -1;
}

} // namespace

Result<QList<PlanCell>> read(const QString &path, codes::QuestionMode mode) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<QList<PlanCell>>::failure(u"无法读取 %1：%2"_s.arg(path, file.errorString()));
    return parse(file.readAll(), mode);
}

Result<QList<PlanCell>> parse(const QByteArray &bytes, codes::QuestionMode mode) {
    using Parsed = Result<QList<PlanCell>>;
    Result<QList<QStringList>> rows = csvrows::parse(bytes);
    if (!rows)
        return Parsed::failure(rows.error());
    int at[ColumnCount] = {-1, -1, -1, -1};
    const QStringList &header = rows.value().first();
    for (qsizetype i = 0; i < header.size(); ++i)
        if (const int c = columnOf(header[i]); c >= 0)
            at[c] = static_cast<int>(i);
    if (at[Topic] < 0 || at[Difficulty] < 0 || at[Count] < 0)
        return Parsed::failure(u"第1行（表头）应有 专题、难度、题量 三列（分值可选）"_s);
    QList<PlanCell> plan;
    const bool olympiad = codes::usesOlympiadList(mode);
    for (qsizetype r = 1; r < rows.value().size(); ++r) {
        const QStringList &row = rows.value()[r];
        if (std::all_of(row.begin(), row.end(), [](const QString &f) { return f.trimmed().isEmpty(); }))
            continue;
        const auto value = [&](Column c) { return at[c] >= 0 ? row.value(at[c]).trimmed() : QString(); };
        const auto bad = [&](const QString &why) {
            return Parsed::failure(u"第%1行：%2"_s.arg(r + 1).arg(why));
        };
        PlanCell cell;
        const std::optional<int> slot = entryvalues::topicSlot(value(Topic), olympiad);
        if (!slot || value(Topic).isEmpty())
            return bad(u"专题“%1”无效，应为 1 到 40、%2题型的专题名称或 未归类题"_s.arg(
                value(Topic), codes::modeName(mode)));
        cell.slot = *slot;
        const Result<std::pair<int, int>> range = plantext::difficultyRange(value(Difficulty));
        if (!range)
            return bad(range.error());
        cell.difficultyFrom = range.value().first;
        cell.difficultyTo = range.value().second;
        bool ok = false;
        cell.count = value(Count).toInt(&ok);
        if (!ok || cell.count < 1 || cell.count > 100000)
            return bad(u"题量“%1”无效，应为 1 到 100000 的整数"_s.arg(value(Count)));
        if (!value(Points).isEmpty()) {
            cell.points = value(Points).toInt(&ok);
            if (!ok || cell.points < 0 || cell.points > 1000)
                return bad(u"分值“%1”无效，应为 0 到 1000 的整数"_s.arg(value(Points)));
        }
        plan.append(cell);
    }
    if (plan.isEmpty())
        return Parsed::failure(u"细目表里没有一行"_s);
    return Parsed::success(plan);
}

Status write(const QString &path, const QList<PlanCell> &plan, codes::QuestionMode mode) {
    // With a BOM: the spreadsheet programs of Chinese schools then read it as UTF-8.
    QByteArray bytes = "\xEF\xBB\xBF" + csvrows::line({u"专题"_s, u"难度"_s, u"题量"_s, u"分值"_s});
    const QStringList &difficulties = codes::difficultyNames();
    for (const PlanCell &c : plan) {
        const QString name = plantext::cellName(c, mode).section(u' ', 0, 0);
        const QString difficulty = c.difficultyFrom == c.difficultyTo
                                       ? difficulties.value(c.difficultyFrom)
                                       : u"%1-%2"_s.arg(c.difficultyFrom).arg(c.difficultyTo);
        bytes += csvrows::line({name, difficulty, QString::number(c.count),
                                c.points > 0 ? QString::number(c.points) : QString()});
    }
    return writeFileAtomically(path, bytes);
}

} // namespace planfile
