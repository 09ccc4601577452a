#include "mainwindow/Module3.h"

#include "mainwindow/NoticePanel.h"

#include <QSystemTrayIcon>
#include <QWidget>

Module3::Module3(QWidget *owner)
    : QObject(owner)
    , owner_(owner)
    , panel_(new NoticePanel(owner)) {}

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
    if (QSystemTrayIcon::isSystemTrayAvailable())
        tray_->show();
}

bool Module3::trayShowsMessages() const {
    return tray_ && tray_->isVisible() && QSystemTrayIcon::supportsMessages();
}

void Module3::ShowNotice(const QString &text, const QString &title, int iconKind) {
    Q_UNUSED(iconKind); // every caller asks for the information icon
    if (trayShowsMessages())
        tray_->showMessage(title, text, QSystemTrayIcon::Information);
    else
        panel_->showNotice(text, title);
}

void Module3::RemoveTrayIcon() {
    removed_ = true;
    if (tray_)
        tray_->hide();
}

bool Module3::trayShown() const {
    return tray_ && tray_->isVisible();
}
QString Module3::trayToolTip() const {
    return tray_ ? tray_->toolTip() : QString();
}
