// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures module's visible symbols: the scan's entry, and `tessaly report`'s main.
#include "pictures/PicturesModule.h"
#include "pictures/ReportCommand.h"
#include "pictures/SheetScan.h"

#include <QApplication>
#include <QDir>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

extern "C" Q_DECL_EXPORT const PicturesEntry *tessaly_pictures_entry() {
    static const PicturesEntry entry{PicturesEntryVersion, &sheetscan::scan};
    return &entry;
}

extern "C" Q_DECL_EXPORT int tessaly_report_main(int argc, char **argv) {
    // A file needs no screen: drawn off it unless the caller chose a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Away from a desktop there is no runtime folder; Qt would warn of it on every run.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray folder =
            QDir::tempPath().toLocal8Bit() + "/tessaly-runtime-" + QByteArray::number(::getuid());
        if (::mkdir(folder.constData(), 0700) == 0 || errno == EEXIST)
            qputenv("XDG_RUNTIME_DIR", folder);
    }
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tessaly"));
    QTextStream out(stdout), err(stderr);
    return runReportCommand(out, err);
}
