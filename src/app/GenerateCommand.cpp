// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/GenerateCommand.h"

#include "bank/BankCheck.h"
#include "bank/BankLoader.h"
#include "bank/BankText.h"
#include "documents/DocxTarget.h"
#include "generation/DocumentWriter.h"
#include "generation/SelectionRun.h"
#include "generation/SettingsHost.h"
#include "history/SheetHistory.h"
#include "history/SheetRecord.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

// The command line's host: fixed settings, notices on the error stream.
class CommandLineHost : public SettingsHost {
public:
    CommandLineHost(WorksheetSettings settings, QTextStream &err)
        : SettingsHost(std::move(settings))
        , err_(err) {}
    void showNotice(const QString &text) override {
        SettingsHost::showNotice(text);
        err_ << u"提示："_s << text << Qt::endl;
    }

private:
    QTextStream &err_;
};

constexpr int ShownProblems = 10;

// Reads each bank file once up front: an unreadable file stops the command, malformed lines are listed.
bool checkBank(const QString &dir, QTextStream &err) {
    const QFileInfo folder(dir);
    const QString where = QDir::toNativeSeparators(dir);
    if (!folder.exists()) {
        err << u"题库文件夹不存在：%1"_s.arg(where) << Qt::endl;
        return false;
    }
    if (!folder.isDir()) {
        err << u"题库文件夹 %1 不是文件夹"_s.arg(where) << Qt::endl;
        return false;
    }
    if (!folder.isReadable() || !folder.isExecutable()) {
        err << u"题库文件夹无法读取（没有权限）：%1"_s.arg(where) << Qt::endl;
        return false;
    }
    const QString files[] = {BankLoader::downloadedBankPath(dir), BankLoader::userBankPath(dir)};
    bool any = false;
    for (const QString &path : files) {
        if (!QFileInfo(path).isFile())
            continue;
        any = true;
        const Result<QString> text = banktext::readFile(path);
        if (!text) {
            err << text.error() << Qt::endl;
            return false;
        }
        const QList<bankcheck::Problem> problems = bankcheck::problems(text.value());
        const QString name = QFileInfo(path).fileName();
        for (qsizetype i = 0; i < std::min<qsizetype>(problems.size(), ShownProblems); ++i)
            err << u"警告："_s << bankcheck::describe(name, problems[i]) << Qt::endl;
        if (problems.size() > ShownProblems)
            err << u"警告：%1 还有 %2 处问题未列出"_s.arg(name).arg(problems.size() - ShownProblems)
                << Qt::endl;
    }
    if (!any)
        err << u"题库不存在：%1 中既没有 tk.txt 也没有 zbtk.txt"_s.arg(QDir::toNativeSeparators(dir))
            << Qt::endl;
    return any;
}

bool checkOutputFolder(const QString &path, QTextStream &err) {
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!folder.isDir()) {
        err << u"输出文件夹不存在：%1"_s.arg(QDir::toNativeSeparators(folder.filePath())) << Qt::endl;
        return false;
    }
    return true;
}

bool writeSheet(SettingsHost &host, const WorksheetArgs &args, const QString &path, QTextStream &err) {
    DocxTarget target(path);
    DocumentWriter::write(host, target, args);
    for (const QString &warning : target.warnings())
        err << u"警告："_s << warning << Qt::endl;
    if (target.failed()) {
        err << target.failure() << Qt::endl;
        return false;
    }
    return true;
}

} // namespace

int runGenerate(const GenerateOptions &options, QTextStream &out, QTextStream &err) {
    if (!checkBank(options.bankDir, err))
        return 1;
    if ((!options.output.isEmpty() && !checkOutputFolder(options.output, err)) ||
        (!options.answerKey.isEmpty() && !checkOutputFolder(options.answerKey, err)))
        return 1;

    CommandLineHost host(options.settings, err);
    SelectionRun run(options.bankDir);
    run.setSeed(options.seed);
    WorksheetArgs args = run.select(host);
    if (!run.loadReport().unreadable.isEmpty()) {
        err << run.loadReport().unreadable.join(u'\n') << Qt::endl;
        return 1;
    }

    const qsizetype count = DocumentWriter::splitList(args.questionList).size();
    if (count == 0)
        err << u"警告：没有符合所选范围和专题的题目，试卷只有标题"_s << Qt::endl;
    else if (count < options.settings.quantity.toInt())
        err << u"警告：只找到 %1 道符合所选范围和专题的题目，试卷只有这 %1 道题"_s.arg(count) << Qt::endl;

    const QString what = options.settings.answers ? u"答案版"_s : u"试卷"_s;
    const auto report = [&](const QString &kind, const QString &path) {
        out << kind << u"（"_s << count << u" 道题"_s
            << (args.sheetCode.isEmpty() ? QString() : u"，卷号 "_s + args.sheetCode) << u"）："_s
            << (path.isEmpty() ? u"已在 LibreOffice 中打开"_s
                               : QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()))
            << Qt::endl;
    };
    // Every sheet is recorded and carries its code; a history that cannot be kept never stops the sheet.
    {
        const QString historyPath =
            options.history.isEmpty() ? SheetHistory::defaultPath(options.programDir) : options.history;
        Result<std::unique_ptr<SheetHistory>> history = SheetHistory::open(historyPath);
        RecordedSheet sheet = sheetrecord::fromSheet(args, options.settings, options.bankDir);
        const Result<QString> code =
            history ? history.value()->record(sheet) : Result<QString>::failure(history.error());
        if (code)
            args.sheetCode = code.value();
        else
            err << u"提示：这份试卷没有记入出卷记录（%1）"_s.arg(code.error()) << Qt::endl;
    }
    WorksheetArgs key = args;
    key.answerFlag = u"1"_s;

    if (options.target == TargetSettings::Kind::LibreOffice) {
        TargetSettings target = TargetSettings::read(options.programDir);
        target.office.headless = options.headless;
        QList<OfficeSheet> sheets{{&args, options.output}};
        if (!options.answerKey.isEmpty())
            sheets.append({&key, options.answerKey});
        const Status typed = typeIntoLibreOffice(target, host, sheets);
        if (!typed) {
            err << typed.error() << Qt::endl;
            return 1;
        }
        report(what, options.output);
        if (!options.answerKey.isEmpty())
            report(u"答案版"_s, options.answerKey);
        return 0;
    }

    if (!writeSheet(host, args, options.output, err))
        return 1;
    report(what, options.output);
    if (!options.answerKey.isEmpty()) {
        if (!writeSheet(host, key, options.answerKey, err))
            return 1;
        report(u"答案版"_s, options.answerKey);
    }
    return 0;
}
