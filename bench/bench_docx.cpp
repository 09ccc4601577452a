// SPDX-License-Identifier: GPL-3.0-or-later
// Times writing the worksheet as a .docx for 24, 1,000 and 10,000 questions, and the same document
// built by python-docx (bench/docx_python.py) in the same run.
//   bench_docx [--quick]
#include "documents/DocxTarget.h"
#include "generation/DocumentWriter.h"
#include "generation/SettingsHost.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int repeats = app.arguments().contains(u"--quick"_s) ? 3 : 7;
    const QString script = QStringLiteral(TESSALY_BENCH_DIR "/docx_python.py");
    QTemporaryDir tmp;

    std::printf("%-10s %12s %16s %8s\n", "questions", "tessaly ms", "python-docx ms", "ratio");
    for (int count : {24, 1'000, 10'000}) {
        const DrawnSheet a = syntheticWorksheet(count);
        std::vector<double> ours, theirs;
        for (int r = 0; r < repeats; ++r) {
            SettingsHost host;
            host.setToday(u"2026/12/7"_s);
            QElapsedTimer t;
            t.start();
            DocxTarget target;
            writeSheet(host, target, a);
            const Status saved = target.saveTo(tmp.filePath(u"ours.docx"_s));
            ours.push_back(t.nsecsElapsed() / 1e6);
            if (!saved)
                qFatal("%s", qPrintable(saved.error()));

            QProcess python;
            python.start(u"/usr/bin/python3"_s,
                         {script, QString::number(count), tmp.filePath(u"theirs.docx"_s)});
            if (!python.waitForFinished(600000) || python.exitCode() != 0)
                qFatal("python-docx failed: %s", python.readAllStandardError().constData());
            theirs.push_back(QString::fromUtf8(python.readAllStandardOutput()).trimmed().toDouble());
        }
        const double o = median(ours), p = median(theirs);
        std::printf("%-10d %12.2f %16.2f %8.1f\n", count, o, p, p / o);
    }
    return 0;
}
