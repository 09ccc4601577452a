// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-process figures of the program beside the tool that does the same work at its plainest, in one
// run, pairs interleaved, medians: `tessaly generate` of 24 questions and `tessaly check` from a bank of a
// million GB18030 lines beside `iconv` of the file (and their peak memory beside the file's size); the
// fresh look-up of a year over 10,000 recorded sheets beside the same run without it and beside `sqlite3`
// answering its query; the .docx of 10,000 questions beside `zip -6` of the same parts; and the start of
// the small commands beside a minimal Qt program.
//   bench_speed [--quick]
//   bench_speed --write-bank FILE [LINES]   writes the bank it measures with (a million lines) and ends,
//                                           for a profiler
//   bench_speed --keep                      leaves its folder (the fresh look-up's bank and history
//                                           among it) for a profiler, and says where
#include "bank/BankText.h"
#include "bank/CodeTables.h"
#include "documents/DocxTarget.h"
#include "generation/SettingsHost.h"
#include "history/SheetHistory.h"
#include "history/SheetRecord.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Run {
    double ms;
    double peakMB;
};

// Runs a program to its end with its output thrown away (or into `output`), from fork to reaped.
Run runProcess(const QStringList &arguments, const QString &output = QString()) {
    std::vector<QByteArray> bytes;
    bytes.reserve(static_cast<size_t>(arguments.size()));
    for (const QString &a : arguments)
        bytes.push_back(QFile::encodeName(a));
    std::vector<char *> argv;
    argv.reserve(bytes.size() + 1);
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    const QByteArray out = QFile::encodeName(output.isEmpty() ? u"/dev/null"_s : output);
    const auto begin = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(fd, 1);
        ::dup2(null, 2);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
    if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 1))
        qFatal("%s ended with %d", qPrintable(arguments.join(u' ')), status);
    return {ms, static_cast<double>(usage.ru_maxrss) / 1024.0};
}

struct Pair {
    double ours, anchor, peakMB;
};

// The two commands in turn, `repeats` times each; medians of the times, the largest peak of ours.
Pair interleaved(const QStringList &ours, const QStringList &anchor, int repeats,
                 const QString &anchorOutput = QString()) {
    std::vector<double> a, b;
    double peak = 0;
    runProcess(ours); // the files in the page cache for both
    for (int r = 0; r < repeats; ++r) {
        b.push_back(runProcess(anchor, anchorOutput).ms);
        const Run run = runProcess(ours);
        a.push_back(run.ms);
        peak = std::max(peak, run.peakMB);
    }
    return {median(a), median(b), peak};
}

// Realistic questions, every worked answer right, spread over the grades and the topics each grade has.
QByteArray millionLineBank(int lines) {
    QString text;
    text.reserve(static_cast<qsizetype>(lines) * 60);
    for (int i = 0; i < lines; ++i) {
        const int grade = i % 6 + 1;
        int topic = i % codes::TopicSlotCount + 1;
        while (codes::textbookMinimumGrade(topic) > grade)
            topic = topic % codes::TopicSlotCount + 1;
        const int a = i % 97 + 3, b = i / 97 % 89 + 2;
        text += u"第%1题：每箱有%2个苹果，%3箱一共有多少个？|%4|%5|%6|%2×%3＝%7（个）\r\n"_s.arg(i)
                    .arg(a)
                    .arg(b)
                    .arg(grade)
                    .arg(topic)
                    .arg(i % 6)
                    .arg(a * b);
    }
    return banktext::encode(text);
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        qFatal("cannot write %s", qPrintable(path));
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const bool quick = app.arguments().contains(u"--quick"_s);
    if (const qsizetype at = app.arguments().indexOf(u"--write-bank"_s);
        at > 0 && at + 1 < app.arguments().size()) {
        const int lines = at + 2 < app.arguments().size() ? app.arguments()[at + 2].toInt() : 1'000'000;
        writeFile(app.arguments()[at + 1], millionLineBank(lines));
        return 0;
    }
    const int repeats = quick ? 3 : 7;
    const QString tessaly = QStringLiteral(TESSALY_PROGRAM);
    QTemporaryDir tmp;
    if (app.arguments().contains(u"--keep"_s)) {
        tmp.setAutoRemove(false);
        std::printf("the benchmark's folder: %s\n", qPrintable(tmp.path()));
    }
    // The program's own settings and history stay in the temporary folder.
    qputenv("HOME", QFile::encodeName(tmp.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(tmp.filePath(u"config"_s)));
    qputenv("XDG_DATA_HOME", QFile::encodeName(tmp.filePath(u"data"_s)));
    const QString out = tmp.filePath(u"out.docx"_s);
    const QString history = tmp.filePath(u"history.sqlite"_s);

    std::printf("%-44s %10s %12s %8s %10s\n", "figure", "ours", "anchor", "ratio", "peak/file");
    const auto line = [](const char *what, const char *anchor, double ours, double theirs, double peak) {
        std::printf("%-44s %8.1f ms %10.1f ms %8.2f", what, ours, theirs, ours / theirs);
        if (peak > 0)
            std::printf(" %10.2f", peak);
        std::printf("   (%s)\n", anchor);
        std::fflush(stdout);
    };

    // A million lines of GB18030 (a tenth with --quick).
    const QString bankDir = tmp.filePath(u"bank"_s);
    QDir().mkpath(bankDir);
    const QString bankFile = bankDir + u"/tk.txt"_s;
    writeFile(bankFile, millionLineBank(quick ? 100'000 : 1'000'000));
    const double fileMB = static_cast<double>(QFileInfo(bankFile).size()) / (1024.0 * 1024.0);
    const QStringList iconv{u"iconv"_s, u"-f"_s, u"GB18030"_s, u"-t"_s, u"UTF-8"_s, bankFile};
    const Pair generate = interleaved({tessaly, u"generate"_s, u"--bank-dir"_s, bankDir, u"--grade"_s, u"3"_s,
                                       u"--output"_s, out, u"--history"_s, history},
                                      iconv, repeats);
    line(quick ? "generate 24 of grade 3, 100k-line bank" : "generate 24 of grade 3, 1M-line bank",
         "iconv of the bank", generate.ours, generate.anchor, generate.peakMB / fileMB);
    // Grade 0 (all grades) keeps every line of the bank in memory.
    const Pair everyGrade = interleaved(
        {tessaly, u"generate"_s, u"--bank-dir"_s, bankDir, u"--output"_s, out, u"--history"_s, history},
        iconv, repeats);
    line(quick ? "generate 24 of all grades, 100k-line bank" : "generate 24 of all grades, 1M-line bank",
         "iconv of the bank", everyGrade.ours, everyGrade.anchor, everyGrade.peakMB / fileMB);
    const Pair check = interleaved({tessaly, u"check"_s, u"--bank-dir"_s, bankDir}, iconv, quick ? 1 : 3);
    line(quick ? "check, 100k-line bank" : "check, 1M-line bank", "iconv of the bank", check.ours,
         check.anchor, check.peakMB / fileMB);
    QFile::remove(bankFile);

    // 10,000 sheets of 24 questions over the last year, drawn from a bank of 20,000.
    constexpr int BankSize = 20'000;
    const int sheets = quick ? 1'000 : 10'000;
    const QString freshDir = tmp.filePath(u"fresh"_s);
    QDir().mkpath(freshDir);
    {
        QString text;
        for (int i = 0; i < BankSize; ++i)
            text +=
                u"第%1题：小明有一些苹果，妈妈又给了他几个，小明现在一共有多少个苹果？|3|1|1|3＋4＝7（个）\r\n"_s
                    .arg(i);
        writeFile(freshDir + u"/tk.txt"_s, banktext::encode(text));
        const QString freshHistory = freshDir + u"/history.sqlite"_s;
        Result<std::unique_ptr<SheetHistory>> h = SheetHistory::open(freshHistory);
        if (!h)
            qFatal("%s", qPrintable(h.error()));
        const DrawnSheet drawn = syntheticWorksheet(24);
        for (int i = 0; i < sheets; ++i) {
            RecordedSheet sheet = sheetrecord::fromSheet(drawn, SheetRequest{}, freshDir);
            for (int q = 0; q < sheet.questions.size(); ++q)
                sheet.questions[q] =
                    u"第%1题：小明有一些苹果，妈妈又给了他几个，小明现在一共有多少个苹果？"_s.arg(
                        (i * 7919 + q * 104729) % BankSize);
            sheet.created =
                QDateTime::currentDateTime().addSecs(-static_cast<qint64>(i) * 365 * 86400 / sheets);
            if (!h.value()->record(sheet))
                qFatal("cannot record");
        }
    }
    const QString freshHistory = freshDir + u"/history.sqlite"_s;
    const QStringList plain{tessaly,       u"generate"_s, u"--bank-dir"_s, freshDir,    u"--grade"_s, u"3"_s,
                            u"--output"_s, out,           u"--history"_s,  freshHistory};
    // Both runs record their sheet with a synced commit: the disk's jitter is of the look-up's size, so
    // this pair takes three times the runs.
    const Pair fresh = interleaved(plain + QStringList{u"--fresh-days"_s, u"365"_s}, plain, 3 * repeats);
    line("generate 24 --fresh-days 365, 10,000 sheets", "the same without it", fresh.ours, fresh.anchor, 0);
    const QString since = QDateTime::currentDateTime().addDays(-365).toUTC().toString(Qt::ISODateWithMs);
    const Pair query = interleaved(
        plain + QStringList{u"--fresh-days"_s, u"365"_s},
        {u"sqlite3"_s, freshHistory,
         u"SELECT items.question, MAX(sheets.created) FROM items JOIN sheets ON sheets.id = items.sheet_id "
         u"WHERE sheets.created >= '%1' GROUP BY items.question"_s.arg(since)},
        repeats);
    line("generate 24 --fresh-days 365, 10,000 sheets", "sqlite3 of its query", query.ours, query.anchor, 0);

    // The .docx of 10,000 questions, in the process, beside zip -6 of the parts it holds.
    {
        const DrawnSheet drawn = syntheticWorksheet(10'000);
        std::vector<double> ours, zips;
        const QString parts = tmp.filePath(u"parts"_s);
        for (int r = 0; r < repeats; ++r) {
            SettingsHost host;
            QElapsedTimer t;
            t.start();
            DocxTarget target;
            writeSheet(host, target, drawn);
            if (!target.saveTo(out))
                qFatal("cannot save");
            ours.push_back(t.nsecsElapsed() / 1e6);
            if (r == 0) {
                QDir(parts).removeRecursively();
                runProcess({u"unzip"_s, u"-q"_s, u"-o"_s, out, u"-d"_s, parts});
            }
            QFile::remove(tmp.filePath(u"parts.zip"_s));
            const QDir previous = QDir::current();
            QDir::setCurrent(parts);
            zips.push_back(
                runProcess({u"zip"_s, u"-6"_s, u"-q"_s, u"-r"_s, tmp.filePath(u"parts.zip"_s), u"."_s}).ms);
            QDir::setCurrent(previous.path());
        }
        line(".docx of 10,000 questions", "zip -6 of its parts", median(ours), median(zips), 0);
    }

    // Start-up: the help, and a check of a bank of one line.
    const QString small = tmp.filePath(u"small"_s);
    QDir().mkpath(small);
    writeFile(small + u"/tk.txt"_s,
              banktext::encode(u"小明有7元钱，又得2元，一共几元？|1|1|0|7＋2＝9（元）\r\n"_s));
    const QStringList minimal{QStringLiteral(TESSALY_MINIMAL_QT)};
    const Pair help = interleaved({tessaly, u"--help"_s}, minimal, repeats * 3);
    line("tessaly --help", "a minimal Qt program", help.ours, help.anchor, 0);
    const Pair smallCheck = interleaved({tessaly, u"check"_s, u"--bank-dir"_s, small}, minimal, repeats * 3);
    line("tessaly check, a bank of one line", "a minimal Qt program", smallCheck.ours, smallCheck.anchor, 0);
    // One question of one's own added each run: zbtk.txt grows by a line a run, which costs nothing here.
    const Pair smallAdd = interleaved({tessaly, u"add"_s, u"--bank-dir"_s, small, u"--question"_s,
                                       u"小明有7元钱，又得2元，一共多少元？"_s, u"--steps"_s, u"7+2=9"_s},
                                      minimal, repeats * 3);
    line("tessaly add, one question", "a minimal Qt program", smallAdd.ours, smallAdd.anchor, 0);
    const Pair smallGenerate = interleaved(
        {tessaly, u"generate"_s, u"--bank-dir"_s, small, u"--output"_s, out, u"--history"_s, history},
        minimal, repeats * 3);
    line("tessaly generate to .docx, one-line bank", "a minimal Qt program", smallGenerate.ours,
         smallGenerate.anchor, 0);
    return 0;
}
