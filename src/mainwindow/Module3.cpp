// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/Module3.h"

#include "mainwindow/DesktopNotifications.h"
#include "mainwindow/NoticePanel.h"

#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

Module3::Module3(QWidget *owner)
    : QObject(owner)
    , owner_(owner)
    , panel_(new NoticePanel(owner))
    , trayWatch_(new QTimer(this)) {
    // A panel that restarts takes the tray away and brings it back: the icon follows it.
    trayWatch_->setInterval(2000);
    connect(trayWatch_, &QTimer::timeout, this, &Module3::followTray);
}

void Module3::followTray() {
    if (!tray_ || removed_)
        return;
    const bool available = QSystemTrayIcon::isSystemTrayAvailable();
    if (available && !tray_->isVisible())
        tray_->show();
    else if (!available && tray_->isVisible())
        tray_->hide();
}

void Module3::AddTrayIcon(const QString &tooltip) {
    if (!tray_) {
        tray_ = new QSystemTrayIcon(owner_->windowIcon(), this);
        connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger)
                Q_EMIT leftClicked();
            else if (reason == QSystemTrayIcon::Context)
                Q_EMIT rightClicked();
        });
    }
    tray_->setToolTip(tooltip);
    removed_ = false;
    followTray();
    trayWatch_->start();
}

bool Module3::trayShowsMessages() const {
    return tray_ && tray_->isVisible() && QSystemTrayIcon::supportsMessages();
}

void Module3::ShowNotice(const QString &text, const QString &title, int iconKind) {
    Q_UNUSED(iconKind); // every caller asks for the information icon
    followTray();       // the tray as it is now, not as it was at the last look
    if (trayShowsMessages()) {
        lastRoute_ = Route::Tray;
        tray_->showMessage(title, text, QSystemTrayIcon::Information);
    } else if (DesktopNotifications::available()) {
        // Seen even when the window is minimised or covered.
        lastRoute_ = Route::Desktop;
        DesktopNotifications::notify(title, text);
    } else {
        lastRoute_ = Route::Panel;
        panel_->showNotice(text, title);
    }
}

void Module3::RemoveTrayIcon() {
    removed_ = true;
    trayWatch_->stop();
    if (tray_)
        tray_->hide();
}

bool Module3::trayShown() const {
    return tray_ && tray_->isVisible();
}
QString Module3::trayToolTip() const {
    return tray_ ? tray_->toolTip() : QString();
}
