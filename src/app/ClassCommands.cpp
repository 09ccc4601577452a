// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ClassCommands.h"

#include "app/GenerateOptions.h"
#include "app/HistoryCommands.h"
#include "editor/CsvRows.h"
#include "editor/PupilList.h"
#include "generation/DocumentWriter.h"
#include "history/MarkNumbers.h"
#include "history/SheetCode.h"
#include "history/SheetHistory.h"
#include "pictures/PicturesModule.h"

#include <QCommandLineParser>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace {

QList<QCommandLineOption> classOptions() {
    return {QCommandLineOption(u"class"_s, u"import 用：名单没有 班级 一列时，学生所在的班级"_s, u"CLASS"_s),
            historyOption()};
}

QList<QCommandLineOption> markOptions() {
    return {QCommandLineOption(u"wrong"_s, u"做错的题号，如 3,7,12（其余的题算做对）"_s, u"LIST"_s),
            QCommandLineOption(u"right"_s, u"做对的题号（其余的题算做错）"_s, u"LIST"_s),
            QCommandLineOption(u"from"_s, u"从 CSV 导入多份试卷的批改（表头：卷号、错题，可选 对题）"_s,
                               u"FILE"_s),
            QCommandLineOption(
                u"scan"_s,
                u"从试卷的照片或扫描件读出右上角二维码里的卷号（不给 --wrong、--right 时只说是哪份试卷）"_s,
                u"PHOTO"_s),
            historyOption()};
}

// Every question of the sheet marked: the ones listed one way, the rest the other.
QList<std::pair<int, bool>> marksOf(const QList<int> &listed, bool listedCorrect, int count) {
    const QSet<int> set(listed.begin(), listed.end());
    QList<std::pair<int, bool>> marks;
    for (int n = 1; n <= count; ++n)
        marks.append({n - 1, set.contains(n) == listedCorrect});
    return marks;
}

// One sheet's marks recorded; the message says what was kept, or why nothing was.
Result<QString> markSheet(SheetHistory &history, const QString &written, const QList<int> &listed,
                          bool listedCorrect) {
    const std::optional<QString> code = sheetcode::parse(written);
    if (!code)
        return Result<QString>::failure(u"“%1”不是有效的卷号（可能抄错了一个字符）"_s.arg(written));
    const std::optional<RecordedSheet> sheet = history.find(*code);
    if (!sheet)
        return Result<QString>::failure(u"出卷记录里没有卷号为 %1 的试卷"_s.arg(*code));
    const auto count = static_cast<int>(sheet->questions.size());
    for (const int n : listed)
        if (n < 1 || n > count)
            return Result<QString>::failure(
                u"试卷 %1 只有 %2 道题，没有第 %3 题"_s.arg(*code).arg(count).arg(n));
    const QList<std::pair<int, bool>> marks = marksOf(listed, listedCorrect, count);
    if (const Status kept = history.mark(*code, marks, QDateTime::currentDateTime()); !kept)
        return Result<QString>::failure(kept.error());
    const auto wrong = std::count_if(marks.begin(), marks.end(), [](const auto &m) { return !m.second; });
    return Result<QString>::success(u"%1：%2 道题，错 %3 道"_s.arg(*code).arg(count).arg(wrong));
}

} // namespace

Result<QString> codeFromPicture(const QString &path) {
    QString why;
    const PicturesEntry *pictures = picturesmodule::entry(&why);
    if (!pictures)
        return Result<QString>::failure(why);
    const Result<QStringList> texts = pictures->scan(path);
    if (!texts)
        return Result<QString>::failure(texts.error());
    return DocumentWriter::codeInScan(texts.value());
}

QString classHelpText() {
    return u"用法：tessaly class import 名单.csv [--class 班级]   导入班级名单（表头：姓名、学号、班级）\n"
           u"      tessaly class list [班级]                    列出班级与学生\n\n选项：\n"_s +
           optionHelpLines(classOptions());
}

int runClassCommand(const QStringList &arguments, const UserFiles &files, QTextStream &out,
                    QTextStream &err) {
    QCommandLineParser parser;
    parser.addOptions(classOptions());
    const auto bad = [&](const QString &message) {
        err << u"tessaly class："_s << message << Qt::endl;
        return 2;
    };
    if (!parser.parse(QStringList{u"tessaly"_s} + arguments))
        return bad(parserErrorText(parser, classOptions()));
    const QStringList rest = parser.positionalArguments();
    if (rest.isEmpty() || (rest.first() != u"import"_s && rest.first() != u"list"_s))
        return bad(u"要给出 import 名单.csv 或 list"_s);
    if (rest.first() == u"import"_s) {
        if (rest.size() != 2)
            return bad(u"import 要给出一个 CSV 文件"_s);
        const Result<QList<SheetPupil>> pupils = pupillist::read(rest[1], parser.value(u"class"_s));
        if (!pupils) {
            err << u"没有导入任何学生："_s << pupils.error() << Qt::endl;
            return 1;
        }
        const std::unique_ptr<SheetHistory> history = openHistory(parser, files, err);
        if (!history)
            return 1;
        const Result<int> added = history->addPupils(pupils.value());
        if (!added) {
            err << u"没有导入任何学生：出卷记录写不进去（%1）"_s.arg(added.error()) << Qt::endl;
            return 1;
        }
        QStringList classes;
        for (const SheetPupil &p : pupils.value())
            if (!classes.contains(p.className))
                classes.append(p.className);
        for (const QString &c : std::as_const(classes))
            out << u"%1：共 %2 名学生"_s.arg(c).arg(history->pupils(c).size()) << Qt::endl;
        out << u"新加 %1 名学生（名单上已有的不重复加）"_s.arg(added.value()) << Qt::endl;
        return 0;
    }
    const std::unique_ptr<SheetHistory> history = openHistory(parser, files, err);
    if (!history)
        return 1;
    const QStringList classes = rest.size() > 1 ? QStringList{rest[1]} : history->classes();
    for (const QString &c : classes) {
        const QList<SheetPupil> pupils = history->pupils(c);
        out << c << u"（"_s << pupils.size() << u" 名）"_s << Qt::endl;
        for (const SheetPupil &p : pupils)
            out << u"  "_s << (p.number.isEmpty() ? u"-"_s : p.number) << u'\t' << p.name << Qt::endl;
    }
    return 0;
}

QString markHelpText() {
    return u"用法：tessaly mark 卷号 --wrong 3,7,12     记下一份试卷的批改（--right：做对的题号）\n"
           u"      tessaly mark --scan 照片.jpg [--wrong …] 从照片上的二维码找到试卷\n"
           u"      tessaly mark --from 批改.csv         导入多份试卷的批改\n\n选项：\n"_s +
           optionHelpLines(markOptions());
}

int runMarkCommand(const QStringList &arguments, const UserFiles &files, QTextStream &out, QTextStream &err) {
    QCommandLineParser parser;
    parser.addOptions(markOptions());
    const auto bad = [&](const QString &message) {
        err << u"tessaly mark："_s << message << Qt::endl;
        return 2;
    };
    if (!parser.parse(QStringList{u"tessaly"_s} + arguments))
        return bad(parserErrorText(parser, markOptions()));
    const QStringList rest = parser.positionalArguments();
    if (parser.isSet(u"from"_s)) {
        if (!rest.isEmpty() || parser.isSet(u"wrong"_s) || parser.isSet(u"right"_s))
            return bad(u"--from 不能与卷号、--wrong、--right 一起用"_s);
        QFile file(parser.value(u"from"_s));
        if (!file.open(QIODevice::ReadOnly)) {
            err << u"无法读取 %1：%2"_s.arg(file.fileName(), file.errorString()) << Qt::endl;
            return 1;
        }
        const Result<QList<QStringList>> rows = csvrows::parse(file.readAll());
        if (!rows) {
            err << rows.error() << Qt::endl;
            return 1;
        }
        const QStringList header = rows.value().first();
        const auto column = [&header](std::initializer_list<QString> names) {
            for (qsizetype i = 0; i < header.size(); ++i)
                for (const QString &n : names)
                    if (header[i].trimmed().compare(n, Qt::CaseInsensitive) == 0)
                        return i;
            return qsizetype(-1);
        };
        const qsizetype code = column({u"卷号"_s, u"code"_s}), wrong = column({u"错题"_s, u"wrong"_s}),
                        right = column({u"对题"_s, u"right"_s});
        if (code < 0 || (wrong < 0 && right < 0)) {
            err << u"第1行（表头）应有 卷号 与 错题（或 对题）两列"_s << Qt::endl;
            return 1;
        }
        // Every row read first: a file with a bad row records nothing.
        struct Row {
            QString code;
            QList<int> listed;
            bool correct;
        };
        QList<Row> wanted;
        for (qsizetype r = 1; r < rows.value().size(); ++r) {
            const QStringList &row = rows.value()[r];
            if (row.value(code).trimmed().isEmpty())
                continue;
            const bool byWrong = wrong >= 0 && (right < 0 || !row.value(wrong).trimmed().isEmpty() ||
                                                row.value(right).trimmed().isEmpty());
            const Result<QList<int>> numbers = questionNumbers(row.value(byWrong ? wrong : right));
            if (!numbers) {
                err << u"第%1行：%2；没有记下任何批改"_s.arg(r + 1).arg(numbers.error()) << Qt::endl;
                return 1;
            }
            wanted.append({row.value(code).trimmed(), numbers.value(), !byWrong});
        }
        const std::unique_ptr<SheetHistory> history = openHistory(parser, files, err);
        if (!history)
            return 1;
        int failures = 0;
        for (const Row &row : std::as_const(wanted)) {
            const Result<QString> kept = markSheet(*history, row.code, row.listed, row.correct);
            if (kept)
                out << kept.value() << Qt::endl;
            else
                err << kept.error() << Qt::endl;
            failures += kept ? 0 : 1;
        }
        return failures == 0 ? 0 : 1;
    }
    QString code = rest.value(0);
    if (parser.isSet(u"scan"_s)) {
        if (!rest.isEmpty())
            return bad(u"--scan 与卷号只能给一个"_s);
        const Result<QString> scanned = codeFromPicture(parser.value(u"scan"_s));
        if (!scanned) {
            err << scanned.error() << Qt::endl;
            return 1;
        }
        code = scanned.value();
        if (!parser.isSet(u"wrong"_s) && !parser.isSet(u"right"_s)) {
            const std::unique_ptr<SheetHistory> history = openHistory(parser, files, err);
            if (!history)
                return 1;
            const std::optional<RecordedSheet> sheet = history->find(code);
            if (!sheet) {
                err << u"照片上的卷号 %1 不在出卷记录里"_s.arg(code) << Qt::endl;
                return 1;
            }
            QString who;
            for (const SheetPupil &p : history->pupils())
                if (p.id == sheet->pupilId)
                    who = u"，"_s + p.className + u' ' + p.name;
            out << u"%1：%2 道题%3，%4"_s.arg(code)
                       .arg(sheet->questions.size())
                       .arg(who, sheet->created.toString(u"yyyy-MM-dd HH:mm"_s))
                << Qt::endl;
            return 0;
        }
    } else if (rest.size() != 1) {
        return bad(u"要给出一个卷号，例如 K7Q2-9F"_s);
    }
    if (parser.isSet(u"wrong"_s) == parser.isSet(u"right"_s))
        return bad(u"要给出 --wrong 或 --right 之一（全对：--wrong \"\"）"_s);
    const bool byWrong = parser.isSet(u"wrong"_s);
    const Result<QList<int>> numbers = questionNumbers(parser.value(byWrong ? u"wrong"_s : u"right"_s));
    if (!numbers)
        return bad(numbers.error());
    const std::unique_ptr<SheetHistory> history = openHistory(parser, files, err);
    if (!history)
        return 1;
    const Result<QString> kept = markSheet(*history, code, numbers.value(), !byWrong);
    if (!kept) {
        err << kept.error() << Qt::endl;
        return 1;
    }
    out << kept.value() << Qt::endl;
    return 0;
}
