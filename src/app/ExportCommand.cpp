// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ExportCommand.h"

#include "app/GenerateOptions.h"
#include "common/AtomicFile.h"
#include "documents/XlsxSheet.h"
#include "editor/BankExport.h"
#include "editor/EntryValues.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

QList<QCommandLineOption> options() {
    return {QCommandLineOption(u"output"_s, u"写入的文件（.csv 或 .xlsx）"_s, u"FILE"_s),
            QCommandLineOption(u"format"_s, u"csv 或 xlsx，默认按 --output 的扩展名"_s, u"F"_s),
            QCommandLineOption(u"grade"_s, u"只导出这个范围：0 到 6 或年级名称"_s, u"N"_s),
            QCommandLineOption(u"mode"_s, u"只导出这个题型的专题表：奥数 或 列式计算"_s, u"M"_s),
            QCommandLineOption(u"topic"_s, u"只导出这个专题：1 到 40、专题名称或 未归类题"_s, u"T"_s),
            QCommandLineOption(u"own"_s, u"只导出自己加的题（zbtk.txt）"_s),
            QCommandLineOption(u"bank-dir"_s, u"题库所在的文件夹，默认为用户的题库文件夹"_s, u"DIR"_s)};
}

// The columns as a teacher reads them in a spreadsheet: the question and its steps wide and wrapped.
QList<xlsxsheet::Column> columns() {
    const QStringList &names = bankexport::header();
    return {{names[0], 60, true},  {names[1], 30, true},  {names[2], 12, false},
            {names[3], 18, false}, {names[4], 10, false}, {names[5], 10, false}};
}

} // namespace

QString exportHelpText() {
    return u"用法：tessaly export --output FILE.csv|FILE.xlsx [选项]\n"
           u"把题库导出为表格，改好后可用 tessaly add --from 导入。\n\n选项：\n"_s +
           optionHelpLines(options());
}

int runExportCommand(const QStringList &arguments, const UserFiles &files, QTextStream &out,
                     QTextStream &err) {
    QCommandLineParser parser;
    parser.addOptions(options());
    const auto bad = [&err](const QString &message) {
        err << u"tessaly export："_s << message << Qt::endl;
        return 2;
    };
    if (!parser.parse(QStringList{u"tessaly"_s} + arguments))
        return bad(parserErrorText(parser, options()));
    if (!parser.positionalArguments().isEmpty())
        return bad(u"多余的参数：%1"_s.arg(parser.positionalArguments().join(u' ')));
    if (!parser.isSet(u"output"_s))
        return bad(u"缺少 --output FILE"_s);
    const QString output = parser.value(u"output"_s);
    const QString format =
        (parser.isSet(u"format"_s) ? parser.value(u"format"_s) : QFileInfo(output).suffix()).toLower();
    if (format != u"csv"_s && format != u"xlsx"_s)
        return bad(u"--format：“%1”无效，应为 csv 或 xlsx"_s.arg(format));
    const QString bankDir = parser.isSet(u"bank-dir"_s) ? parser.value(u"bank-dir"_s) : files.bankDir;
    if (!QFileInfo(bankDir).isDir())
        return bad(u"--bank-dir：文件夹“%1”不存在"_s.arg(QDir::toNativeSeparators(bankDir)));

    bankexport::Filter filter;
    filter.ownOnly = parser.isSet(u"own"_s);
    if (parser.isSet(u"grade"_s)) {
        filter.grade = entryvalues::grade(parser.value(u"grade"_s));
        if (!filter.grade)
            return bad(u"--grade：“%1”无效，应为 0 到 6 或年级名称"_s.arg(parser.value(u"grade"_s)));
    }
    if (parser.isSet(u"mode"_s)) {
        filter.olympiad = entryvalues::olympiad(parser.value(u"mode"_s));
        if (!filter.olympiad)
            return bad(u"--mode：“%1”无效，应为 奥数 或 列式计算"_s.arg(parser.value(u"mode"_s)));
    }
    if (parser.isSet(u"topic"_s)) {
        filter.slot = entryvalues::topicSlot(parser.value(u"topic"_s), filter.olympiad.value_or(false));
        if (!filter.slot)
            return bad(
                u"--topic：“%1”无效，应为 1 到 40、专题名称或 未归类题"_s.arg(parser.value(u"topic"_s)));
    }

    const Result<bankexport::Table> table = bankexport::rows(bankDir, filter);
    if (!table) {
        err << u"没有导出：%1"_s.arg(table.error()) << Qt::endl;
        return 1;
    }
    if (table.value().rows.isEmpty()) {
        err << u"没有符合条件的题目，没有写入文件。"_s << Qt::endl;
        return 1;
    }
    QByteArray bytes;
    if (format == u"csv"_s) {
        bytes = bankexport::csv(table.value().rows);
    } else {
        Result<QByteArray> workbook = xlsxsheet::workbook(u"题库"_s, columns(), table.value().rows);
        if (!workbook) {
            err << u"没有导出：%1"_s.arg(workbook.error()) << Qt::endl;
            return 1;
        }
        bytes = std::move(workbook).value();
    }
    if (const Status written = writeFileAtomically(output, bytes); !written) {
        err << u"没有导出：%1"_s.arg(written.error()) << Qt::endl;
        return 1;
    }
    out << u"已把 %1 道题导出到 %2"_s.arg(table.value().rows.size()).arg(QDir::toNativeSeparators(output))
        << Qt::endl;
    if (table.value().skipped > 0)
        err << u"提示：%1 行没有题目，没有导出"_s.arg(table.value().skipped) << Qt::endl;
    return 0;
}
