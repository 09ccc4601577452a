// SPDX-License-Identifier: GPL-3.0-or-later
// Times a worksheet from the writer's first operation to show() in a warm, headless LibreOffice, for
// each way of filling the document, at 24 and 1,000 questions.
//   bench_office [--quick]
#include "documents/office/OfficeConnection.h"
#include "documents/office/OfficeDelivery.h"
#include "generation/DocumentWriter.h"
#include "generation/SettingsHost.h"

#include "BenchSupport.h"
#include "TypedOfficeTarget.h"

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

    enum class Way { LoadDocx, TypedBatched, TypedPlain };
    const auto timeOne = [&](Way way, const DrawnSheet &a) {
        SettingsHost host;
        QElapsedTimer t;
        t.start();
        double ms = 0;
        if (way == Way::LoadDocx) {
            OfficeDelivery target(office.value(), {});
            DocxTarget sheet;
            writeSheet(host, sheet, a);
            const Result<QString> shown = target.deliver(sheet, QString());
            ms = t.nsecsElapsed() / 1e6;
            if (!shown)
                qFatal("%s", qPrintable(shown.error()));
            target.closeDocument();
        } else {
            TypedOfficeTarget target(office.value(), way == Way::TypedBatched
                                                         ? TypedOfficeTarget::Batching::Batched
                                                         : TypedOfficeTarget::Batching::Plain);
            writeSheet(host, target, a);
            target.show();
            ms = t.nsecsElapsed() / 1e6;
            if (target.failed())
                qFatal("%s", qPrintable(target.failure()));
            target.closeDocument();
        }
        return ms;
    };
    timeOne(Way::TypedBatched, syntheticWorksheet(24)); // warm the office up

    const struct {
        const char *name;
        Way way;
    } methods[] = {{"load .docx as template", Way::LoadDocx},
                   {"typed, batched", Way::TypedBatched},
                   {"typed, one call per op", Way::TypedPlain}};
    std::printf("%-24s %12s %12s\n", "method", "24 q ms", "1000 q ms");
    for (const auto &m : methods) {
        double figures[2];
        int column = 0;
        for (int count : {24, 1000}) {
            std::vector<double> times;
            times.reserve(repeats);
            for (int r = 0; r < repeats; ++r)
                times.push_back(timeOne(m.way, syntheticWorksheet(count)));
            figures[column++] = median(times);
        }
        std::printf("%-24s %12.1f %12.1f\n", m.name, figures[0], figures[1]);
    }
    office.value()->endOfficeIfStartedHere();
    return 0;
}
