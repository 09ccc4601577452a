// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/PupilList.h"

#include "editor/CsvRows.h"

#include <QFile>
#include <QSet>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace pupillist {

namespace {

enum Column { Name, Number, Class, ColumnCount };

int columnOf(const QString &header) {
    const QString h = header.trimmed().toLower();
    const std::pair<const char16_t *, const char16_t *> names[] = {
        {u"姓名", u"name"}, {u"学号", u"number"}, {u"班级", u"class"}};
    for (int c = 0; c < ColumnCount; ++c)
        if (h == QStringView(names[c].first) || h == QStringView(names[c].second))
            return c;
    return -1;
}

} // namespace

Result<QList<SheetPupil>> read(const QString &path, const QString &className) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<QList<SheetPupil>>::failure(u"无法读取 %1：%2"_s.arg(path, file.errorString()));
    return parse(file.readAll(), className);
}

Result<QList<SheetPupil>> parse(const QByteArray &bytes, const QString &className) {
    using Parsed = Result<QList<SheetPupil>>;
    Result<QList<QStringList>> rows = csvrows::parse(bytes);
    if (!rows)
        return Parsed::failure(rows.error());
    int at[ColumnCount] = {-1, -1, -1};
    const QStringList &header = rows.value().first();
    for (qsizetype i = 0; i < header.size(); ++i)
        if (const int c = columnOf(header[i]); c >= 0 && at[c] < 0)
            at[c] = static_cast<int>(i);
    if (at[Name] < 0)
        return Parsed::failure(u"第1行（表头）应有 姓名 一列（学号、班级可选）"_s);
    if (at[Class] < 0 && className.trimmed().isEmpty())
        return Parsed::failure(u"名单里没有 班级 一列：请用 --class 给出班级"_s);
    QList<SheetPupil> pupils;
    QSet<QString> seen;
    for (qsizetype r = 1; r < rows.value().size(); ++r) {
        const QStringList &row = rows.value()[r];
        if (std::all_of(row.begin(), row.end(), [](const QString &f) { return f.trimmed().isEmpty(); }))
            continue;
        const auto value = [&](Column c) { return at[c] >= 0 ? row.value(at[c]).trimmed() : QString(); };
        SheetPupil p;
        p.name = value(Name);
        p.number = value(Number);
        p.className = at[Class] >= 0 && !value(Class).isEmpty() ? value(Class) : className.trimmed();
        if (p.name.isEmpty())
            return Parsed::failure(u"第%1行：姓名是空的"_s.arg(r + 1));
        if (p.className.isEmpty())
            return Parsed::failure(u"第%1行：班级是空的（可用 --class 给出）"_s.arg(r + 1));
        // The same pupil twice in one list is one pupil; two pupils of one class with one number are
        // a typing error the teacher should see.
        const QString byNumber = p.className + u'\n' + p.number;
        if (!p.number.isEmpty() && seen.contains(byNumber))
            return Parsed::failure(
                u"第%1行：%2 的学号 %3 与前面的学生重复"_s.arg(r + 1).arg(p.className, p.number));
        if (!p.number.isEmpty())
            seen.insert(byNumber);
        pupils.append(p);
    }
    if (pupils.isEmpty())
        return Parsed::failure(u"名单里没有学生"_s);
    return Parsed::success(pupils);
}

} // namespace pupillist
