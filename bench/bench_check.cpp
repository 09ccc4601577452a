// SPDX-License-Identifier: GPL-3.0-or-later
// tessaly check on a synthetic bank of 100,000 lines (each with a worked answer to evaluate).
//   bench_check [--quick]
#include "app/CheckCommand.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const bool quick = app.arguments().contains(u"--quick"_s);
    const int lines = 100'000;
    QTemporaryDir dir;
    QString text;
    for (int i = 0; i < lines; ++i) {
        const int a = i % 97 + 3, b = i % 89 + 2;
        text += u"第%1题：每箱有%2个苹果，%3箱一共有多少个？|%4|%5|%6|%2×%3＝%7（个）；%7＋%2＝%8（个）\r\n"_s
                    .arg(i)
                    .arg(a)
                    .arg(b)
                    .arg(i % 6 + 1)
                    .arg(i % 40 + 1)
                    .arg(i % 6)
                    .arg(a * b)
                    .arg(a * b + a);
    }
    QStringEncoder gb("GB18030");
    QFile file(dir.filePath(u"tk.txt"_s));
    if (!file.open(QIODevice::WriteOnly) || file.write(gb(text)) < 0)
        qFatal("cannot write the bank");
    file.close();
    std::vector<double> times;
    for (int r = 0; r < (quick ? 1 : 5); ++r) {
        QString out, err;
        QTextStream o(&out), e(&err);
        QElapsedTimer t;
        t.start();
        runCheckCommand({u"--bank-dir"_s, dir.path()}, UserFiles::inFolder(dir.path()), o, e);
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("tessaly check, %d lines (%.1f MB): %.0f ms (median of %zu)\n", lines,
                file.size() / 1048576.0, median(times), times.size());
    return 0;
}
