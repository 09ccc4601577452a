// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/HistoryCommands.h"

#include "app/GenerateOptions.h"
#include "bank/CodeTables.h"
#include "documents/SheetDelivery.h"
#include "generation/SettingsHost.h"
#include "history/SheetCode.h"
#include "history/SheetHistory.h"
#include "history/SheetRecord.h"
#include "service/SheetService.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

QList<QCommandLineOption> keyOptions() {
    return {QCommandLineOption(u"output"_s, u"要写入的 .docx 文件"_s, u"FILE"_s), historyOption(),
            QCommandLineOption(
                u"bank-dir"_s,
                u"比较题库是否改过时用的题库文件夹，默认为用户的题库文件夹（tessaly --help 列出）"_s,
                u"DIR"_s),
            QCommandLineOption(u"compact"_s, u"key 用：只印一页参考答案（题号、答案、分数）"_s)};
}

} // namespace

QCommandLineOption historyOption() {
    return QCommandLineOption(
        u"history"_s,
        u"出卷记录文件或 postgresql:// 地址（默认 tessaly.ini 的 history/url 或 history/file）"_s, u"FILE"_s);
}

// The history the --history option names, else the user's; null, with the reason said, when it cannot
// be opened.
std::unique_ptr<SheetHistory> openHistory(const QCommandLineParser &parser, const UserFiles &files,
                                          QTextStream &err) {
    const QString path =
        parser.isSet(u"history"_s) ? parser.value(u"history"_s) : SheetHistory::defaultPath(files);
    Result<std::unique_ptr<SheetHistory>> history = SheetHistory::open(path);
    if (!history) {
        err << history.error() << Qt::endl;
        return nullptr;
    }
    return std::move(history).value();
}

QString historyHelpText() {
    return u"用法：tessaly key 卷号 --output FILE      写出以前某份试卷的答案版\n"
           u"      tessaly sheet 卷号 --output FILE    把以前某份试卷照原样再写一次\n"
           u"      tessaly history                     列出出卷记录，最新的在前\n\n选项：\n"_s +
           optionHelpLines(keyOptions());
}

int runKeyCommand(const QStringList &arguments, const UserFiles &files, bool answers, QTextStream &out,
                  QTextStream &err) {
    const QString command = answers ? u"tessaly key"_s : u"tessaly sheet"_s;
    QCommandLineParser parser;
    parser.addOptions(keyOptions());
    const auto bad = [&](const QString &message) {
        err << command << u"："_s << message << Qt::endl;
        return 2;
    };
    if (!parser.parse(QStringList{u"tessaly"_s} + arguments))
        return bad(parserErrorText(parser, keyOptions()));
    if (parser.positionalArguments().size() != 1)
        return bad(u"要给出一个卷号，例如 K7Q2-9F"_s);
    const std::optional<QString> code = sheetcode::parse(parser.positionalArguments().first());
    if (!code)
        return bad(u"“%1”不是有效的卷号（可能抄错了一个字符）"_s.arg(parser.positionalArguments().first()));
    const QString output = parser.value(u"output"_s);
    if (!output.endsWith(u".docx"_s, Qt::CaseInsensitive))
        return bad(u"--output：必须给出要写入的 .docx 文件"_s);
    if (!answers && parser.isSet(u"compact"_s))
        return bad(u"--compact：只能用于 tessaly key"_s);

    const std::unique_ptr<SheetHistory> history = openHistory(parser, files, err);
    if (!history)
        return 1;
    const std::optional<RecordedSheet> sheet = history->find(*code);
    if (!sheet) {
        err << u"出卷记录里没有卷号为 %1 的试卷"_s.arg(*code) << Qt::endl;
        return 1;
    }
    const QString bankDir = parser.isSet(u"bank-dir"_s) ? parser.value(u"bank-dir"_s) : files.bankDir;
    if (bankStamp(bankDir) != sheet->bankStamp)
        err << u"提示：题库在出这份试卷之后改过；这里照记录的题目写出，与现在的题库无关。"_s << Qt::endl;

    // The same maker of sheets as every other sheet, delivered to the .docx the user named.
    SheetRequest request = sheetrecord::requestOf(*sheet);
    request.answers = answers;
    request.compactKey = answers && parser.isSet(u"compact"_s);
    SettingsHost host(request);
    DocxOutputs outputs(std::make_unique<FileDelivery>());
    SheetService service(bankDir, nullptr);
    SheetListener quiet;
    const SheetOutcome made = service.remake(host, request, sheetrecord::sheetOf(*sheet),
                                             sheetDate(sheet->created.date()), output, outputs, quiet);
    if (!made.ok()) {
        err << made.error << Qt::endl;
        return 1;
    }
    out << (answers ? u"答案版"_s : u"试卷"_s) << u"（卷号 "_s << *code << u"，"_s << sheet->questions.size()
        << u" 道题）："_s << QDir::toNativeSeparators(QFileInfo(output).absoluteFilePath()) << Qt::endl;
    return 0;
}

int runHistoryCommand(const QStringList &arguments, const UserFiles &files, QTextStream &out,
                      QTextStream &err) {
    QCommandLineParser parser;
    parser.addOption(historyOption());
    if (!parser.parse(QStringList{u"tessaly"_s} + arguments) || !parser.positionalArguments().isEmpty()) {
        err << u"tessaly history："_s << parserErrorText(parser, {historyOption()}) << Qt::endl;
        return 2;
    }
    const std::unique_ptr<SheetHistory> history = openHistory(parser, files, err);
    if (!history)
        return 1;
    for (const RecordedSheet &s : history->list())
        out << s.code << u"  "_s << s.created.toString(u"yyyy-MM-dd HH:mm"_s) << u"  "_s
            << codes::gradeNames().value(s.grade) << u"  "_s << s.mode << u"  "_s << s.quantity << u" 道题"_s
            << Qt::endl;
    return 0;
}
