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

#include <QDateTime>
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

namespace {

// The file of copy k of n: "sheet.docx" stays for one copy, "sheet-3.docx" for the third of several.
QString copyPath(const QString &path, int copy, int copies) {
    if (path.isEmpty() || copies == 1)
        return path;
    const QFileInfo info(path);
    return info.path() + u'/' + info.completeBaseName() + u'-' + QString::number(copy) + u'.' + info.suffix();
}

} // namespace

int runGenerate(const GenerateOptions &options, QTextStream &out, QTextStream &err) {
    if (!checkBank(options.bankDir, err))
        return 1;
    if ((!options.output.isEmpty() && !checkOutputFolder(options.output, err)) ||
        (!options.answerKey.isEmpty() && !checkOutputFolder(options.answerKey, err)))
        return 1;

    // Every sheet is recorded and carries its code; a history that cannot be kept never stops a sheet.
    const QString historyPath =
        options.history.isEmpty() ? SheetHistory::defaultPath(options.files) : options.history;
    Result<std::unique_ptr<SheetHistory>> history = SheetHistory::open(historyPath);
    if (!history)
        err << u"提示：试卷不记入出卷记录（%1）"_s.arg(history.error()) << Qt::endl;
    // Fresh questions: those of the sheets of the last days are left out where the bank allows.
    QHash<QString, qint64> avoid;
    if (options.freshDays > 0 && history)
        avoid = history.value()->usedSince(QDateTime::currentDateTime().addDays(-options.freshDays));

    CommandLineHost host(options.settings, err);
    SelectionRun run(options.bankDir);
    // --one-file: every copy in one document (and every key in another), a new page for each sheet.
    std::unique_ptr<DocxTarget> oneSheet, oneKey;
    const int files = options.oneFile ? 1 : options.copies;
    for (int copy = 1; copy <= options.copies; ++copy) {
        if (options.copies > 1)
            err << u"正在出第 %1/%2 份……"_s.arg(copy).arg(options.copies) << Qt::endl;
        run.setSeed(options.seed
                        ? std::optional<std::uint64_t>(*options.seed + static_cast<std::uint64_t>(copy - 1))
                        : std::nullopt);
        run.setAvoid(avoid);
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
        if (run.freshness().reused > 0)
            err << (options.copies > 1 && copy > 1
                        ? u"提示：第 %1 份只有 %2 道题与前面各份（和最近用过的题）都不同，另用了 %3 道用过最久的题"_s
                              .arg(copy)
                        : u"提示：最近用过的题以外只有 %2 道，另用了 %3 道用过最久的题"_s)
                       .arg(run.freshness().fresh)
                       .arg(run.freshness().reused)
                << Qt::endl;
        // The next copy leaves out what this one used, as the most recent of all.
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        for (const QString &question : DocumentWriter::splitList(args.questionList))
            avoid.insert(SelectionRun::avoidKey(question), now + copy);

        if (history) {
            RecordedSheet sheet = sheetrecord::fromSheet(args, options.settings, options.bankDir);
            if (const Result<QString> code = history.value()->record(sheet))
                args.sheetCode = code.value();
            else
                err << u"提示：这份试卷没有记入出卷记录（%1）"_s.arg(code.error()) << Qt::endl;
        }
        const QString what = options.settings.answers ? u"答案版"_s : u"试卷"_s;
        const auto report = [&](const QString &kind, const QString &path) {
            out << kind << u"（"_s << count << u" 道题"_s
                << (args.sheetCode.isEmpty() ? QString() : u"，卷号 "_s + args.sheetCode) << u"）："_s
                << (path.isEmpty() ? u"已在 LibreOffice 中打开"_s
                                   : QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()))
                << Qt::endl;
        };
        WorksheetArgs key = args;
        key.answerFlag = u"1"_s;
        const QString output = copyPath(options.output, copy, files);
        const QString answerKey = copyPath(options.answerKey, copy, files);

        if (options.oneFile) {
            const auto add = [&](std::unique_ptr<DocxTarget> &target, const QString &path,
                                 const WorksheetArgs &a) {
                if (!target)
                    target = std::make_unique<DocxTarget>(path);
                else
                    target->keepSheetAndStartAnother();
                DocumentWriter::write(host, *target, a);
                if (target->failed())
                    err << target->failure() << Qt::endl;
                return !target->failed();
            };
            if (!add(oneSheet, output, args))
                return 1;
            report(what, output);
            if (!answerKey.isEmpty()) {
                if (!add(oneKey, answerKey, key))
                    return 1;
                report(u"答案版"_s, answerKey);
            }
            continue;
        }

        if (options.target == TargetSettings::Kind::LibreOffice) {
            TargetSettings target = TargetSettings::read(options.files.settingsFile);
            target.office.headless = options.headless;
            QList<OfficeSheet> sheets{{&args, output}};
            if (!answerKey.isEmpty())
                sheets.append({&key, answerKey});
            const Status typed = typeIntoLibreOffice(target, host, sheets);
            if (!typed) {
                err << typed.error() << Qt::endl;
                return 1;
            }
            report(what, output);
            if (!answerKey.isEmpty())
                report(u"答案版"_s, answerKey);
            continue;
        }

        if (!writeSheet(host, args, output, err))
            return 1;
        report(what, output);
        if (!answerKey.isEmpty()) {
            if (!writeSheet(host, key, answerKey, err))
                return 1;
            report(u"答案版"_s, answerKey);
        }
    }
    return 0;
}
