// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/GenerateCommand.h"

#include "bank/BankCheck.h"
#include "bank/BankLoader.h"
#include "generation/PlanText.h"
#include "generation/SettingsHost.h"
#include "history/SheetHistory.h"
#include "service/SheetService.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

// The command line's host: a fixed request, notices on the error stream.
class CommandLineHost : public SettingsHost {
public:
    CommandLineHost(SheetRequest request, QTextStream &err)
        : SettingsHost(std::move(request))
        , err_(err) {}
    void showNotice(const QString &text) override {
        SettingsHost::showNotice(text);
        err_ << u"提示："_s << text << Qt::endl;
    }
    bool checksLines() const override { return true; }

private:
    QTextStream &err_;
};

// The bank folder and its files, before anything else starts: the files themselves are read once, by
// the run, which reports a file it cannot read or decode and the lines an author ought to mend.
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
        const QFileInfo file(path);
        if (!file.isFile())
            continue;
        any = true;
        if (!file.isReadable()) {
            err << u"无法读取题库文件 %1：没有权限"_s.arg(path) << Qt::endl;
            return false;
        }
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
    if (!folder.isWritable()) {
        err << u"输出文件夹不能写入（没有权限，或是只读的）：%1"_s.arg(
                   QDir::toNativeSeparators(folder.filePath()))
            << Qt::endl;
        return false;
    }
    return true;
}

// The command line's words for what the maker of sheets reports: notes and warnings on the error
// stream, one line per file made on the output stream.
class CommandLineListener : public SheetListener {
public:
    CommandLineListener(QTextStream &out, QTextStream &err, bool answers)
        : out_(out)
        , err_(err)
        , answers_(answers) {}
    void copyStarted(int copy, int copies) override {
        if (copies > 1)
            err_ << u"正在出第 %1/%2 份……"_s.arg(copy).arg(copies) << Qt::endl;
    }
    bool bankUnreadable(const QStringList &messages) override {
        err_ << messages.join(u'\n') << Qt::endl;
        return false;
    }
    void bankProblems(const QList<FileProblems> &files) override {
        for (const FileProblems &file : files) {
            for (const bankcheck::Problem &problem : file.first)
                err_ << u"警告："_s << bankcheck::describe(file.fileName, problem) << Qt::endl;
            if (file.total > file.first.size())
                err_ << u"警告：%1 还有 %2 处问题未列出"_s.arg(file.fileName)
                            .arg(file.total - file.first.size())
                     << Qt::endl;
        }
    }
    void planShort(int copy, int copies, const QStringList &cells, bool balanced) override {
        err_ << u"警告："_s << plantext::shortCellsText(copy, copies, cells, balanced) << Qt::endl;
    }
    void shortSheet(qsizetype drawn, const SheetRequest &request) override {
        err_ << u"警告："_s << request.shortSheetText(drawn) << Qt::endl;
    }
    void fewerFresh(int copy, int copies, qsizetype fresh, qsizetype reused) override {
        err_
            << (copies > 1 && copy > 1
                    ? u"提示：第 %1 份只有 %2 道题与前面各份（和最近用过的题）都不同，另用了 %3 道用过最久的题"_s
                          .arg(copy)
                    : u"提示：最近用过的题以外只有 %2 道，另用了 %3 道用过最久的题"_s)
                   .arg(fresh)
                   .arg(reused)
            << Qt::endl;
    }
    void notRecorded(const QString &why) override {
        err_ << u"提示：这份试卷没有记入出卷记录（%1）"_s.arg(why) << Qt::endl;
    }
    void documentWarnings(const QStringList &warnings) override {
        for (const QString &warning : warnings)
            err_ << u"警告："_s << warning << Qt::endl;
    }
    void reviewDue(const SheetPupil &pupil, qsizetype due) override {
        if (due == 0)
            err_ << u"提示：%1 没有到期的错题，这份只有本次选的题"_s.arg(pupil.name) << Qt::endl;
        else
            out_ << u"%1：%2 道错题到期，每道配一道同类题"_s.arg(pupil.name).arg(due) << Qt::endl;
    }
    void delivered(const MadeSheet &made) override {
        const QString kind = made.key || answers_ ? u"答案版"_s : u"试卷"_s;
        out_ << kind << u"（"_s << made.count << u" 道题"_s
             << (made.code.isEmpty() ? QString() : u"，卷号 "_s + made.code) << u"）："_s
             << (made.where.isEmpty() ? u"已在 LibreOffice 中打开"_s
                                      : QDir::toNativeSeparators(QFileInfo(made.where).absoluteFilePath()))
             << Qt::endl;
    }

private:
    QTextStream &out_;
    QTextStream &err_;
    bool answers_;
};

} // namespace

Result<QList<SheetPupil>> pupilsNamed(SheetHistory &history, const QString &who, bool pupilToo) {
    using Found = Result<QList<SheetPupil>>;
    if (const QList<SheetPupil> ofClass = history.pupils(who); !ofClass.isEmpty())
        return Found::success(ofClass);
    if (!pupilToo)
        return Found::failure(u"出卷记录里没有班级“%1”的名单（先用 tessaly class import 导入）"_s.arg(who));
    QList<SheetPupil> named;
    for (const SheetPupil &p : history.pupils())
        if (p.name == who || p.number == who)
            named.append(p);
    if (named.isEmpty())
        return Found::failure(u"出卷记录里没有叫“%1”的学生或班级"_s.arg(who));
    if (named.size() > 1) {
        QStringList which;
        for (const SheetPupil &p : named)
            which.append(p.className + u' ' + p.name + u' ' + p.number);
        return Found::failure(u"“%1”不止一个学生（%2）：请给出学号"_s.arg(who, which.join(u"；"_s)));
    }
    return Found::success(named);
}

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

    TargetSettings target = TargetSettings::read(options.files.settingsFile);
    target.kind = options.target;
    target.office.headless = options.headless;
    DeliveryWish wish;
    wish.window = false;
    wish.headless = options.headless;
    Result<std::unique_ptr<SheetOutputs>> outputs = chooseOutputs(target, wish);
    if (!outputs) {
        err << outputs.error() << Qt::endl;
        return 1;
    }

    CommandLineHost host(options.settings, err);
    SheetService service(options.bankDir, history ? history.value().get() : nullptr);
    SheetOrder order;
    if (!options.className.isEmpty() || !options.review.isEmpty()) {
        if (!history) {
            err << u"为学生出卷要用出卷记录里的班级名单"_s << Qt::endl;
            return 1;
        }
        const Result<QList<SheetPupil>> pupils =
            pupilsNamed(*history.value(), options.className.isEmpty() ? options.review : options.className,
                        options.className.isEmpty());
        if (!pupils) {
            err << pupils.error() << Qt::endl;
            return 1;
        }
        order.pupils = pupils.value();
        order.review = !options.review.isEmpty();
    }
    order.seed = options.seed;
    order.withKeys = !options.answerKey.isEmpty();
    order.output = options.output;
    order.keyOutput = options.answerKey;
    CommandLineListener listener(out, err, options.settings.answers);
    const SheetOutcome outcome = service.make(host, order, *outputs.value(), listener);
    switch (outcome.end) {
    case SheetOutcome::End::Made:
    case SheetOutcome::End::Stopped:
        return 0;
    case SheetOutcome::End::NoTopic:
        err << u"没有选任何专题"_s << Qt::endl;
        return 1;
    case SheetOutcome::End::Failed:
        err << outcome.error << Qt::endl;
        return 1;
    case SheetOutcome::End::BankUnreadable:
        return 1;
    }
    return 1;
}
