// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AddCommand.h"

#include "app/GenerateOptions.h"
#include "bank/BankLoader.h"
#include "documents/DeliveryChoice.h"
#include "documents/OfficeModule.h"
#include "editor/EditorEntry.h"
#include "editor/EntryValues.h"
#include "editor/QuestionImport.h"

#include <QCommandLineParser>
#include <QDir>

using namespace Qt::Literals::StringLiterals;

namespace {

QList<QCommandLineOption> options() {
    return {QCommandLineOption(u"question"_s, u"题目"_s, u"TEXT"_s),
            QCommandLineOption(u"steps"_s, u"计算步骤（+ - * / = 会写成全角）"_s, u"TEXT"_s),
            QCommandLineOption(u"grade"_s, u"范围：0 到 6 或年级名称（一年级），默认 一年级"_s, u"N"_s),
            QCommandLineOption(u"mode"_s, u"题型：列式计算（默认）或 奥数（textbook、olympiad）"_s, u"M"_s),
            QCommandLineOption(u"topic"_s, u"专题：1 到 40 或该题型的专题名称；不给出为未归类题"_s, u"T"_s),
            QCommandLineOption(u"difficulty"_s, u"难度：0 到 5、★ 到 ★★★★★ 或 基础题，默认 0"_s, u"D"_s),
            QCommandLineOption(u"bank-dir"_s,
                               u"zbtk.txt 所在的文件夹，默认为用户的题库文件夹（tessaly --help 列出）"_s,
                               u"DIR"_s),
            QCommandLineOption(
                u"from"_s,
                u"从 CSV、Excel（.xlsx、.xls）、.ods 表格或 Word 文档（.docx）的第一个表格导入多道题"
                u"（表头：题目、计算步骤、范围、专题、难度，可选 题型）"_s,
                u"FILE"_s)};
}

// A CSV file is read here; a spreadsheet or a document through the office's own import filters (a
// headless office is started for it when none runs, and ended again), then checked like the CSV.
Result<questionimport::Outcome> importFrom(const QString &path, const UserFiles &files) {
    if (!questionimport::readsThroughOffice(path))
        return questionimport::read(path);
    OfficeOptions office = TargetSettings::read(files.settingsFile).office;
    office.headless = true;
    Result<QList<QStringList>> table = officemodule::readTable(office, path);
    if (!table)
        return Result<questionimport::Outcome>::failure(table.error());
    return questionimport::fromRows(std::move(table).value());
}

} // namespace

QString addHelpText() {
    return u"用法：tessaly add --question TEXT --steps TEXT [选项]\n"
           u"      tessaly add --from FILE.csv|.xlsx|.xls|.ods|.docx [--bank-dir DIR]\n"
           u"把自己的题目加入本地题库 zbtk.txt。\n\n选项：\n"_s +
           optionHelpLines(options());
}

int runAddCommand(const QStringList &arguments, const UserFiles &files, QTextStream &out, QTextStream &err) {
    QCommandLineParser parser;
    parser.addOptions(options());
    const auto bad = [&err](const QString &message) {
        err << u"tessaly add："_s << message << Qt::endl;
        return 2;
    };
    if (!parser.parse(QStringList{u"tessaly"_s} + arguments))
        return bad(parserErrorText(parser, options()));
    if (!parser.positionalArguments().isEmpty())
        return bad(u"多余的参数：%1"_s.arg(parser.positionalArguments().join(u' ')));
    const QString bankDir = parser.isSet(u"bank-dir"_s) ? parser.value(u"bank-dir"_s) : files.bankDir;
    if (!QFileInfo(bankDir).isDir())
        return bad(u"--bank-dir：文件夹“%1”不存在"_s.arg(QDir::toNativeSeparators(bankDir)));
    const QString bankFile = QDir::toNativeSeparators(BankLoader::userBankPath(bankDir));

    QList<editorentry::NewQuestion> questions;
    if (parser.isSet(u"from"_s)) {
        for (const QString &single :
             {u"question"_s, u"steps"_s, u"grade"_s, u"mode"_s, u"topic"_s, u"difficulty"_s})
            if (parser.isSet(single))
                return bad(u"--from 不能与 --%1 一起用"_s.arg(single));
        const Result<questionimport::Outcome> imported = importFrom(parser.value(u"from"_s), files);
        if (!imported) {
            err << u"没有导入任何题目：%1"_s.arg(imported.error()) << Qt::endl;
            return 1;
        }
        if (!imported.value().problems.isEmpty()) {
            for (const QString &problem : imported.value().problems)
                err << problem << Qt::endl;
            err << u"有 %1 行不正确，没有导入任何题目。"_s.arg(imported.value().problems.size()) << Qt::endl;
            return 1;
        }
        questions = imported.value().questions;
        if (questions.isEmpty()) {
            err << u"文件里没有题目，没有导入任何题目。"_s << Qt::endl;
            return 1;
        }
    } else {
        editorentry::NewQuestion q;
        q.question = editorentry::cleanQuestion(parser.value(u"question"_s));
        q.steps = editorentry::cleanSteps(parser.value(u"steps"_s));
        if (q.question.isEmpty())
            return bad(u"--question：题目不能是空的"_s);
        if (parser.isSet(u"mode"_s)) {
            const std::optional<bool> olympiad = entryvalues::olympiad(parser.value(u"mode"_s));
            if (!olympiad)
                return bad(u"--mode：“%1”无效，应为 列式计算 或 奥数"_s.arg(parser.value(u"mode"_s)));
            q.olympiad = *olympiad;
        }
        if (parser.isSet(u"grade"_s)) {
            const std::optional<int> grade = entryvalues::grade(parser.value(u"grade"_s));
            if (!grade)
                return bad(u"--grade：“%1”无效，应为 0 到 6 或年级名称"_s.arg(parser.value(u"grade"_s)));
            q.grade = *grade;
        }
        if (parser.isSet(u"topic"_s)) {
            const std::optional<int> slot = entryvalues::topicSlot(parser.value(u"topic"_s), q.olympiad);
            if (!slot)
                return bad(u"--topic：“%1”无效，应为 1 到 40 或%2的专题名称"_s.arg(
                    parser.value(u"topic"_s), q.olympiad ? u"奥数"_s : u"列式计算"_s));
            q.slot = *slot;
        }
        if (parser.isSet(u"difficulty"_s)) {
            const std::optional<int> difficulty = entryvalues::difficulty(parser.value(u"difficulty"_s));
            if (!difficulty)
                return bad(u"--difficulty：“%1”无效，应为 0 到 5、★ 到 ★★★★★ 或 基础题"_s.arg(
                    parser.value(u"difficulty"_s)));
            q.difficulty = *difficulty;
        }
        questions.append(q);
    }

    const Status added = editorentry::append(bankDir, questions);
    if (!added) {
        err << u"没有添加任何题目：%1"_s.arg(added.error()) << Qt::endl;
        return 1;
    }
    out << u"已添加 %1 道题到 %2"_s.arg(questions.size()).arg(bankFile) << Qt::endl;
    return 0;
}
