// SPDX-License-Identifier: GPL-3.0-or-later
// The window module's one visible symbol: the program calls it when started without a command.
#include "common/UserFiles.h"
#include "documents/DeliveryChoice.h"
#include "mainwindow/Form1.h"
#include "mainwindow/Translations.h"

#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

int signalPipe[2] = {-1, -1};

void onEndSignal(int) {
    const char byte = 1;
    (void)!::write(signalPipe[1], &byte, 1);
}

// Logging out of the desktop (or a plain `kill`) sends SIGTERM or SIGHUP: the window then leaves its event
// loop the ordinary way, so the office it started for its warm-up is ended below like at any other exit.
void endOnTerminate(QApplication &app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] { QCoreApplication::exit(0); });
    struct sigaction action {};
    action.sa_handler = &onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

} // namespace

extern "C" __attribute__((visibility("default"))) int tessaly_window_main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Tessaly"_s);
    // The desktop ties the window to its launcher and its icon by the desktop entry's name.
    QGuiApplication::setDesktopFileName(u"org.tessaly.Tessaly"_s);
    // No display name: the desktop would add it to every window's title ("… — Tessaly"), and each
    // window's caption is to be exactly its caption.
    installChineseTranslations(app);
    QApplication::setWindowIcon(QIcon(u":/images/tessaly.png"_s));
    endOnTerminate(app);
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
