// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/QuestionImport.h"

#include "editor/CsvRows.h"
#include "editor/EntryValues.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace questionimport {

namespace {

enum Column { Question, Steps, Grade, Topic, Difficulty, Mode, ColumnCount };

int columnOf(const QString &header) {
    const QString h = header.trimmed().toLower();
    const std::pair<const char16_t *, const char16_t *> names[] = {
        {u"题目", u"question"}, {u"计算步骤", u"steps"},  {u"范围", u"grade"},
        {u"专题", u"topic"},    {u"难度", u"difficulty"}, {u"题型", u"mode"}};
    for (int c = 0; c < ColumnCount; ++c)
        if (h == QStringView(names[c].first) || h == QStringView(names[c].second))
            return c;
    return -1;
}

} // namespace

Result<Outcome> read(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<Outcome>::failure(u"无法读取 %1：%2"_s.arg(path, file.errorString()));
    return parse(file.readAll());
}

Result<Outcome> parse(const QByteArray &bytes) {
    Result<QList<QStringList>> read = csvrows::parse(bytes);
    if (!read)
        return Result<Outcome>::failure(read.error());
    return fromRows(std::move(read).value());
}

bool readsThroughOffice(const QString &path) {
    static const QStringList suffixes{u"xlsx"_s, u"xls"_s, u"ods"_s, u"docx"_s, u"doc"_s, u"odt"_s};
    return suffixes.contains(QFileInfo(path).suffix().toLower());
}

Result<Outcome> fromRows(QList<QStringList> table) {
    if (table.isEmpty())
        return Result<Outcome>::failure(u"表格是空的，没有表头"_s);
    struct {
        QList<QStringList> rows;
    } rows{std::move(table)};

    int at[ColumnCount];
    std::fill(std::begin(at), std::end(at), -1);
    const QStringList &header = rows.rows.first();
    for (qsizetype i = 0; i < header.size(); ++i)
        if (const int c = columnOf(header[i]); c >= 0)
            at[c] = static_cast<int>(i);
    QStringList missing;
    const char16_t *required[] = {u"题目/question", u"计算步骤/steps", u"范围/grade", u"专题/topic",
                                  u"难度/difficulty"};
    for (int c = Question; c <= Difficulty; ++c)
        if (at[c] < 0)
            missing.append(QString::fromUtf16(required[c]));
    if (!missing.isEmpty())
        return Result<Outcome>::failure(u"第1行（表头）缺少这些列：%1"_s.arg(missing.join(u'、')));

    Outcome outcome;
    for (qsizetype r = 1; r < rows.rows.size(); ++r) {
        const QStringList &row = rows.rows[r];
        const auto value = [&](Column c) { return at[c] >= 0 ? row.value(at[c]) : QString(); };
        const int line = static_cast<int>(r) + 1;
        const auto problem = [&](const QString &why) {
            outcome.problems.append(u"第%1行：%2"_s.arg(line).arg(why));
        };
        if (std::all_of(row.begin(), row.end(), [](const QString &f) { return f.trimmed().isEmpty(); }))
            continue; // a spreadsheet's empty line
        editorentry::NewQuestion q;
        q.question = editorentry::cleanQuestion(value(Question));
        q.steps = editorentry::cleanSteps(value(Steps));
        const std::optional<bool> olympiad =
            value(Mode).trimmed().isEmpty() ? std::optional<bool>(false) : entryvalues::olympiad(value(Mode));
        const std::optional<int> grade = entryvalues::grade(value(Grade));
        const std::optional<int> slot = entryvalues::topicSlot(value(Topic), olympiad.value_or(false));
        const std::optional<int> difficulty = entryvalues::difficulty(value(Difficulty));
        if (q.question.isEmpty())
            problem(u"题目是空的"_s);
        else if (!olympiad)
            problem(u"题型“%1”无效，应为 奥数 或 列式计算"_s.arg(value(Mode)));
        else if (!grade)
            problem(u"范围“%1”无效，应为 0 到 6 或年级名称"_s.arg(value(Grade)));
        else if (!slot)
            problem(u"专题“%1”无效，应为 1 到 40、专题名称或 未归类题"_s.arg(value(Topic)));
        else if (!difficulty)
            problem(u"难度“%1”无效，应为 0 到 5、★ 到 ★★★★★ 或 基础题"_s.arg(value(Difficulty)));
        else {
            q.olympiad = *olympiad;
            q.grade = *grade;
            q.slot = *slot;
            q.difficulty = *difficulty;
            outcome.questions.append(q);
        }
    }
    return Result<Outcome>::success(std::move(outcome));
}

} // namespace questionimport
