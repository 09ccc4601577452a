// SPDX-License-Identifier: GPL-3.0-or-later
// The largest pause of the caller's event loop while a worksheet goes into a warm, headless
// LibreOffice (the window would freeze that long), and the whole time, for 1,000, 10,000 and 100,000
// questions; and the time from a stop given while the office loads a sheet to the caller's getting its
// thread back (the window's button enabled again); and the longest pause over the window's whole road
// of a sheet (load, draw, write, the office, the record in the history) for the same counts.
//   bench_pause [--quick] [--whole-road N [--no-office]]
// (--whole-road: the window's whole road for N questions only; --no-office: into the documents folder,
// as the window does when no office answers)
#include "documents/FallbackDelivery.h"
#include "documents/office/OfficeConnection.h"
#include "documents/office/OfficeDelivery.h"
#include "generation/DocumentWriter.h"
#include "generation/SettingsHost.h"
#include "service/SheetService.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// Counts the gaps between the turns of the event loop: the writer's checkpoints and the target's idle.
struct PauseMeter {
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    void start() {
        clock.start();
        last = 0;
        longest = 0;
    }
    void turn() {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
        QCoreApplication::processEvents();
    }
};

class MeteredHost : public SettingsHost {
public:
    explicit MeteredHost(PauseMeter &meter)
        : meter_(meter) {}
    void yield() override { meter_.turn(); }

private:
    PauseMeter &meter_;
};

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const bool quick = app.arguments().contains(u"--quick"_s);
    const bool docxRoad = app.arguments().contains(u"--no-office"_s);
    QTemporaryDir profile;
    OfficeOptions options;
    options.pipeName = u"tessaly_pause_%1"_s.arg(QCoreApplication::applicationPid());
    options.headless = true;
    options.profileDir = profile.path();
    Result<std::shared_ptr<OfficeConnection>> office = OfficeConnection::connect(options);
    if (!office)
        qFatal("%s", qPrintable(office.error()));

    const auto measure = [&](int count) {
        PauseMeter meter;
        MeteredHost host(meter);
        OfficeDelivery target(office.value(), {false, [&meter] { meter.turn(); }, nullptr, nullptr});
        const DrawnSheet args = syntheticWorksheet(count);
        meter.start();
        DocxTarget sheet;
        writeSheet(host, sheet, args);
        const Result<QString> shown = target.deliver(sheet, QString());
        meter.turn();
        const double total = meter.clock.nsecsElapsed() / 1e6;
        if (!shown)
            qFatal("%s", qPrintable(shown.error()));
        target.closeDocument();
        std::printf("%-10d %18.1f %12.0f\n", count, meter.longest / 1e6, total);
        std::fflush(stdout);
    };
    const std::vector<int> counts =
        quick ? std::vector<int>{1000, 10000} : std::vector<int>{1000, 10000, 100000};
    const qsizetype only = app.arguments().indexOf(u"--whole-road"_s);
    const int onlyCount =
        only > 0 && only + 1 < app.arguments().size() ? app.arguments()[only + 1].toInt() : 0;
    measure(24); // warm the office up
    if (onlyCount == 0) {
        std::printf("%-10s %18s %12s\n", "questions", "longest pause ms", "total ms");
        for (int count : counts)
            measure(count);
    }
    // A stop half a second into the office's load of a long sheet.
    const auto stopLatency = [&](int count) {
        SettingsHost host;
        DocxTarget sheet;
        writeSheet(host, sheet, syntheticWorksheet(count));
        QElapsedTimer clock;
        qint64 stoppedAt = -1;
        OfficeDelivery target(office.value(), {false, nullptr,
                                               [&] {
                                                   if (stoppedAt < 0 && clock.elapsed() >= 500)
                                                       stoppedAt = clock.nsecsElapsed();
                                                   return stoppedAt >= 0;
                                               },
                                               nullptr});
        clock.start();
        const Result<QString> shown = target.deliver(sheet, QString());
        const double latency = stoppedAt < 0 ? 0 : (clock.nsecsElapsed() - stoppedAt) / 1e6;
        std::printf("%-10d %18s %12.3f\n", count, shown ? "(done before)" : "stopped", latency);
        std::fflush(stdout);
    };
    if (onlyCount == 0) {
        std::printf("\n%-10s %18s %12s\n", "questions", "stop at 500 ms", "ms to return");
        for (int count : counts)
            stopLatency(count);
    }
    // The whole road, as the window takes it: a bank of `count` questions, a history, the office.
    const auto wholeRoad = [&](int count) {
        QTemporaryDir folder;
        QFile bank(folder.filePath(u"tk.txt"_s));
        if (!bank.open(QIODevice::WriteOnly))
            qFatal("no bank");
        for (int i = 0; i < count; ++i)
            bank.write(u"小明有%1个苹果，妈妈又给了他8个，一共有多少个？|1|1|1|%1＋8＝%2（个）\r\n"_s.arg(i)
                           .arg(i + 8)
                           .toUtf8());
        bank.close();
        Result<std::unique_ptr<SheetHistory>> history =
            SheetHistory::open(folder.filePath(u"history.sqlite"_s));
        if (!history)
            qFatal("%s", qPrintable(history.error()));
        PauseMeter meter;
        MeteredHost host(meter);
        host.settings().quantity = count;
        std::unique_ptr<SheetDelivery> delivery;
        QTemporaryDir saved;
        if (docxRoad)
            delivery = std::make_unique<FallbackDelivery>(
                nullptr, u"none"_s, saved.path(), [](const QString &) {}, nullptr, nullptr,
                [&meter] { meter.turn(); });
        else
            delivery = std::make_unique<OfficeDelivery>(
                office.value(), OfficeDelivery::Options{false, [&meter] { meter.turn(); }, nullptr, nullptr});
        DocxOutputs outputs(std::move(delivery));
        SheetService service(folder.path(), history.value().get());
        SheetListener quiet;
        meter.start();
        const SheetOutcome made = service.make(host, {}, outputs, quiet);
        meter.turn();
        if (!made.ok())
            qFatal("%s", qPrintable(made.error));
        std::printf("%-10d %18.1f %12.0f\n", count, meter.longest / 1e6, meter.clock.nsecsElapsed() / 1e6);
        std::fflush(stdout);
    };
    std::printf("\n%-10s %18s %12s   (the window's whole road%s)\n", "questions", "longest pause ms",
                "total ms", docxRoad ? ", into the documents folder" : "");
    for (int count : onlyCount > 0 ? std::vector<int>{onlyCount} : counts)
        wholeRoad(count);
    QThread::sleep(quick ? 5 : 60); // the discarded documents go before the office ends
    office.value()->endOfficeIfStartedHere();
    return 0;
}
