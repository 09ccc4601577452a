// SPDX-License-Identifier: GPL-3.0-or-later
// The window module's one visible symbol: the program calls it when started without a command.
#include "common/UserFiles.h"
#include "documents/DeliveryChoice.h"
#include "mainwindow/Form1.h"
#include "mainwindow/Translations.h"

#include <QApplication>
#include <QIcon>

using namespace Qt::Literals::StringLiterals;

extern "C" __attribute__((visibility("default"))) int tessaly_window_main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Tessaly"_s);
    // No display name: the desktop would add it to every window's title ("… — Tessaly"), and each
    // window's caption is to be exactly its caption.
    installChineseTranslations(app);
    QApplication::setWindowIcon(QIcon(u":/images/tessaly.png"_s));
    Form1Services services;
    services.files = UserFiles::locate(QCoreApplication::applicationDirPath());
    const Result<FirstStart> prepared =
        prepareUserFiles(services.files, installedSampleBank(QCoreApplication::applicationDirPath()));
    Form1 window(std::move(services));
    window.show();
    if (!prepared)
        window.notices().ShowNotice(prepared.error(), window.caption(), 1);
    const int status = app.exec();
    // An office started for the warm-up and left without a sheet of ours is not left running.
    endWarmOfficeIfUnused();
    return status;
}
