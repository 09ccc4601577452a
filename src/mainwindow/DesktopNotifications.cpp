// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/DesktopNotifications.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Service = u"org.freedesktop.Notifications"_s;

} // namespace

bool DesktopNotifications::available() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(Service).value();
}

void DesktopNotifications::notify(const QString &title, const QString &text) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, u"/org/freedesktop/Notifications"_s, Service, u"Notify"_s);
    // app name, replaces id, icon, summary, body, actions, hints, timeout (ms)
    call << u"Tessaly"_s << 0u << u"dialog-information"_s << title << text << QStringList() << QVariantMap()
         << 8000;
    QDBusConnection::sessionBus().asyncCall(call);
}
