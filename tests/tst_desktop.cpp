// SPDX-License-Identifier: GPL-3.0-or-later
// What only a real desktop shows: the window's title as an X server has it, and notices through the
// desktop's notification service on a D-Bus message bus of the test's own.
#include "mainwindow/DesktopNotifications.h"
#include "mainwindow/Module3.h"
#include "mainwindow/NoticePanel.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// A notification service that only records what it is sent.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList received;

public Q_SLOTS:
    uint Notify(const QString &, uint, const QString &, const QString &summary, const QString &body,
                const QStringList &, const QVariantMap &, int) {
        received.append(summary + u": "_s + body);
        return static_cast<uint>(received.size());
    }
};

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void noticesGoToTheDesktopWithoutATray();
    void windowTitleIsTheCaption();

private:
    QProcess bus_;
    QString address_;
};

void TestDesktop::initTestCase() {
    const QString daemon = QStandardPaths::findExecutable(u"dbus-daemon"_s);
    if (daemon.isEmpty())
        QSKIP("dbus-daemon is not installed");
    bus_.start(daemon, {u"--session"_s, u"--nofork"_s, u"--print-address"_s});
    QVERIFY(bus_.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(bus_.canReadLine(), 10000);
    address_ = QString::fromUtf8(bus_.readLine()).trimmed();
    // Read when the bus is first used, which is after this.
    qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
}

void TestDesktop::cleanupTestCase() {
    if (bus_.state() != QProcess::NotRunning) {
        bus_.terminate();
        bus_.waitForFinished(5000);
    }
}

void TestDesktop::noticesGoToTheDesktopWithoutATray() {
    QWidget owner;
    owner.resize(600, 300);
    Module3 module(&owner);
    module.AddTrayIcon(u"Tessaly"_s);
    // The offscreen platform has no tray, and no service is there yet: the notice shows in the window.
    QVERIFY(!DesktopNotifications::available());
    module.ShowNotice(u"第一条"_s, u"Corvane"_s, 1);
    QCOMPARE(module.lastRoute(), Module3::Route::Panel);
    QCOMPARE(module.panel()->text(), u"第一条"_s);

    // A notification service comes up: notices go to it.
    QDBusConnection service = QDBusConnection::connectToBus(address_, u"fake-notifications"_s);
    QVERIFY(service.isConnected());
    FakeNotifications fake;
    QVERIFY(
        service.registerObject(u"/org/freedesktop/Notifications"_s, &fake, QDBusConnection::ExportAllSlots));
    QVERIFY(service.registerService(u"org.freedesktop.Notifications"_s));
    QTRY_VERIFY(DesktopNotifications::available());
    module.ShowNotice(u"下载任务结束！"_s, u"Corvane"_s, 1);
    QCOMPARE(module.lastRoute(), Module3::Route::Desktop);
    QTRY_COMPARE(fake.received, QStringList{u"Corvane: 下载任务结束！"_s});

    service.unregisterService(u"org.freedesktop.Notifications"_s);
    QTRY_VERIFY(!DesktopNotifications::available());
    module.ShowNotice(u"第三条"_s, u"Corvane"_s, 1);
    QCOMPARE(module.lastRoute(), Module3::Route::Panel);
    QDBusConnection::disconnectFromBus(u"fake-notifications"_s);
}

void TestDesktop::windowTitleIsTheCaption() {
    const QString xvfb = QStandardPaths::findExecutable(u"Xvfb"_s);
    const QString xprop = QStandardPaths::findExecutable(u"xprop"_s);
    if (xvfb.isEmpty() || xprop.isEmpty())
        QSKIP("Xvfb or xprop is not installed");
    QProcess server;
    const QString display = u":%1"_s.arg(90 + QCoreApplication::applicationPid() % 100);
    // No reset when the last client leaves: the probe below is a client too.
    server.start(xvfb,
                 {display, u"-screen"_s, u"0"_s, u"1024x768x24"_s, u"-nolisten"_s, u"tcp"_s, u"-noreset"_s});
    QVERIFY(server.waitForStarted(10000));
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"DISPLAY"_s, display);
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    env.insert(u"HOME"_s, home.path());
    env.insert(u"TESSALY_TARGET"_s, u"docx"_s); // no office for this look at the title
    env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, address_);
    // The server takes a moment to accept clients.
    QProcess look;
    look.setProcessEnvironment(env);
    bool up = false;
    for (int i = 0; i < 100 && !up; ++i) {
        look.start(xprop, {u"-root"_s, u"-len"_s, u"1"_s});
        look.waitForFinished(5000);
        up = look.exitStatus() == QProcess::NormalExit && look.exitCode() == 0;
        if (!up)
            QTest::qWait(100);
    }
    QVERIFY2(up, "the X server did not start");
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TESSALY_PROGRAM), {});
    QVERIFY(program.waitForStarted(10000));

    // The exact caption names the window; a title with anything added would not match.
    const QString caption = QStringLiteral(TESSALY_CAPTION);
    bool found = false;
    QString seen;
    for (int i = 0; i < 100 && !found; ++i) {
        look.start(xprop, {u"-name"_s, caption, u"_NET_WM_NAME"_s});
        look.waitForFinished(5000);
        seen = QString::fromUtf8(look.readAll());
        found = look.exitCode() == 0 && seen.contains(caption);
        if (!found)
            QTest::qWait(100);
    }
    program.kill();
    program.waitForFinished(5000);
    if (!found)
        qWarning() << program.readAllStandardError();
    server.terminate();
    server.waitForFinished(5000);
    QVERIFY2(found, qPrintable(seen));
    QVERIFY2(seen.contains(u"\"%1\""_s.arg(caption)), qPrintable(seen));
}

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
