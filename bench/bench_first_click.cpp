// SPDX-License-Identifier: GPL-3.0-or-later
// The first worksheet after the window opens, beside the second: without reaching the office ahead
// (the first one waits for a cold office) and with it (the window starts the office while the user
// chooses, here five seconds). Each case starts its own headless office with a fresh profile.
//   bench_first_click
#include "documents/DeliveryChoice.h"
#include "documents/office/OfficeConnection.h"
#include "documents/office/OfficeEntry.h"
#include "documents/office/OfficeWarmUp.h"
#include "generation/DocumentWriter.h"
#include "generation/SettingsHost.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

double sheet(const TargetSettings &settings, std::shared_ptr<OfficeConnection> *office) {
    QElapsedTimer t;
    t.start();
    DeliveryWish wish;
    wish.notify = [](const QString &text) { qFatal("no office: %s", qPrintable(text)); };
    wish.open = [](const QString &) { return true; };
    Result<std::unique_ptr<SheetOutputs>> chosen = chooseOutputs(settings, wish);
    SettingsHost host;
    std::unique_ptr<DocumentTarget> sheet = chosen.value()->newDocument();
    writeSheet(host, *sheet, syntheticWorksheet(24));
    const Result<QString> shown = chosen.value()->deliver(*sheet, QString());
    const double ms = t.nsecsElapsed() / 1e6;
    if (!shown)
        qFatal("no office: %s", qPrintable(shown.error()));
    // The connection that started the office, which ends it.
    if (!*office)
        *office = officewarmup::take(settings.office);
    return ms;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    officemodule::useLinked(officeentry::linked());
    std::printf("%-26s %14s %14s\n", "", "first sheet ms", "second sheet ms");
    for (bool warm : {false, true}) {
        QTemporaryDir profile;
        TargetSettings settings;
        settings.kind = TargetSettings::Kind::LibreOffice;
        settings.office.pipeName = u"tessaly_first_%1_%2"_s.arg(QCoreApplication::applicationPid()).arg(warm);
        settings.office.headless = true;
        settings.office.profileDir = profile.path();
        settings.folder = profile.filePath(u"docs"_s);
        if (warm) {
            warmUpOffice(settings);
            QThread::sleep(5); // the user choosing grade and topics
        }
        std::shared_ptr<OfficeConnection> office;
        const double first = sheet(settings, &office);
        const double second = sheet(settings, &office);
        std::printf("%-26s %14.0f %14.0f\n",
                    warm ? "office reached at opening" : "office started at 1st click", first, second);
        std::fflush(stdout);
        office->endOfficeIfStartedHere();
    }
    return 0;
}
