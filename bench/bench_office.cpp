// SPDX-License-Identifier: GPL-3.0-or-later
// Times a worksheet from the writer's first operation to show() in a warm, headless LibreOffice, for
// each way of filling the document, at 24 and 1,000 questions.
//   bench_office [--quick]
#include "documents/office/LibreOfficeTarget.h"
#include "documents/office/OfficeConnection.h"
#include "generation/DocumentWriter.h"
#include "generation/SettingsHost.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int repeats = app.arguments().contains(u"--quick"_s) ? 1 : 3;
    QTemporaryDir profile;
    OfficeOptions options;
    options.pipeName = u"tessaly_bench_%1"_s.arg(QCoreApplication::applicationPid());
    options.headless = true;
    options.profileDir = profile.path();

    QElapsedTimer startup;
    startup.start();
    Result<std::shared_ptr<OfficeConnection>> office = OfficeConnection::connect(options);
    if (!office)
        qFatal("%s", qPrintable(office.error()));
    std::printf("office answered after %.0f ms (fresh profile)\n\n", startup.nsecsElapsed() / 1e6);

    const auto timeOne = [&](LibreOfficeTarget::Method method, const WorksheetArgs &a) {
        SettingsHost host;
        LibreOfficeTarget target(office.value(), method);
        QElapsedTimer t;
        t.start();
        DocumentWriter::write(host, target, a);
        const double ms = t.nsecsElapsed() / 1e6;
        if (target.failed())
            qFatal("%s", qPrintable(target.failure()));
        target.closeDocument();
        return ms;
    };
    timeOne(LibreOfficeTarget::Method::TypeBatched, syntheticWorksheet(24)); // warm the office up

    const struct {
        const char *name;
        LibreOfficeTarget::Method method;
    } methods[] = {{"load .docx as template", LibreOfficeTarget::Method::LoadDocx},
                   {"typed, batched", LibreOfficeTarget::Method::TypeBatched},
                   {"typed, one call per op", LibreOfficeTarget::Method::TypePlain}};
    std::printf("%-24s %12s %12s\n", "method", "24 q ms", "1000 q ms");
    for (const auto &m : methods) {
        double figures[2];
        int column = 0;
        for (int count : {24, 1000}) {
            std::vector<double> times;
            for (int r = 0; r < repeats; ++r)
                times.push_back(timeOne(m.method, syntheticWorksheet(count)));
            figures[column++] = median(times);
        }
        std::printf("%-24s %12.1f %12.1f\n", m.name, figures[0], figures[1]);
    }
    office.value()->endOfficeIfStartedHere();
    return 0;
}
