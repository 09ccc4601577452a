// SPDX-License-Identifier: GPL-3.0-or-later
// The bank load beside glibc's iconv decoding the same file, and the load's peak memory.
//   bench_load [--quick]
// Each peak is measured in a child process of its own (bench_load --peak FILE), so one file's
// allocations do not hide another's.
#include "bank/BankLoader.h"
#include "generation/SettingsHost.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

// The resident-set figures of this process, in KiB: the high-water mark and the current size.
qint64 statusKiB(const char *field) {
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').first().toLongLong();
    return -1;
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray linesBank(int lines) {
    QString text;
    text.reserve(static_cast<qsizetype>(lines) * 50);
    for (int i = 0; i < lines; ++i)
        text += u"小明有%1个苹果，又买了%2个，一共有多少个？|%3|%4|%5|%1＋%2＝%6（个）\r\n"_s.arg(i % 97)
                    .arg(i % 89)
                    .arg(i % 6 + 1)
                    .arg(i % 40 + 1)
                    .arg(i % 6)
                    .arg(i % 97 + i % 89);
    QStringEncoder gb("GB18030");
    return gb(text);
}

QByteArray oneLineBank(qsizetype bytes) {
    QStringEncoder gb("GB18030");
    const QByteArray unit = gb(u"很长的题目"_s);
    QByteArray line;
    line.reserve(bytes + 16);
    while (line.size() < bytes)
        line += unit;
    return line + "|1|1|0|a\r\n";
}

double loadMs(const QString &dir) {
    SettingsHost host;
    QuestionBank bank;
    QElapsedTimer t;
    t.start();
    const LoadReport report = BankLoader::load(host, dir, bank);
    if (!report.unreadable.isEmpty())
        qFatal("%s", qPrintable(report.unreadable.join(u' ')));
    return t.nsecsElapsed() / 1e6;
}

double iconvMs(const QString &file) {
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(u"iconv"_s, {u"-f"_s, u"GB18030"_s, u"-t"_s, u"UTF-8"_s, file});
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        qFatal("iconv failed");
    return t.nsecsElapsed() / 1e6;
}

// In the child: load the bank folder and print the growth of the resident set in KiB.
int peak(const QString &dir) {
    const qint64 before = statusKiB("VmRSS:");
    SettingsHost host;
    QuestionBank bank;
    BankLoader::load(host, dir, bank);
    std::printf("%lld\n", static_cast<long long>(statusKiB("VmHWM:") - before));
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == u"--peak"_s)
        return peak(args[2]);
    const bool quick = args.contains(u"--quick"_s);
    const int repeats = quick ? 3 : 5;
    QTemporaryDir tmp;

    std::printf("%-22s %9s %10s %10s %6s %12s %8s\n", "bank (GB18030)", "MB", "iconv ms", "load ms", "ratio",
                "peak MB", "x size");
    const std::pair<const char *, QByteArray> banks[] = {
        {"1,000,000 lines", linesBank(quick ? 100'000 : 1'000'000)},
        {"one line of 200 MB", oneLineBank(quick ? 20'000'000 : 200'000'000)},
    };
    for (const auto &[name, bytes] : banks) {
        const QString dir = tmp.filePath(QString::number(bytes.size()));
        QDir().mkpath(dir);
        writeFile(dir + u"/tk.txt"_s, bytes);
        std::vector<double> iconvTimes, loadTimes;
        for (int r = 0; r < repeats; ++r) {
            iconvTimes.push_back(iconvMs(dir + u"/tk.txt"_s));
            loadTimes.push_back(loadMs(dir));
        }
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {u"--peak"_s, dir});
        child.waitForFinished(-1);
        const double peakMB = child.readAllStandardOutput().trimmed().toLongLong() / 1024.0;
        const double sizeMB = bytes.size() / (1024.0 * 1024.0);
        const double i = median(iconvTimes), l = median(loadTimes);
        std::printf("%-22s %9.1f %10.1f %10.1f %6.2f %12.1f %8.2f\n", quick ? "(quick) " : name, sizeMB, i, l,
                    l / i, peakMB, peakMB / sizeMB);
    }
    return 0;
}
