// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PostgresServer.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

bool asRoot() {
    return ::geteuid() == 0;
}

} // namespace

PostgresServer::PostgresServer() {
    // The newest installed server's programs (Debian keeps them by major version).
    const QStringList versions =
        QDir(u"/usr/lib/postgresql"_s)
            .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed);
    if (!versions.isEmpty())
        bin_ = u"/usr/lib/postgresql/"_s + versions.first() + u"/bin"_s;
    data_ = dir_.filePath(u"cluster"_s);
}

PostgresServer::~PostgresServer() {
    if (running_)
        run(bin_ + u"/pg_ctl"_s, {u"-D"_s, data_, u"-m"_s, u"immediate"_s, u"stop"_s});
}

bool PostgresServer::run(const QString &program, const QStringList &arguments) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (asRoot())
        p.start(u"runuser"_s, QStringList{u"-u"_s, u"postgres"_s, u"--"_s, program} + arguments);
    else
        p.start(program, arguments);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        why_ = QFileInfo(program).fileName() + u"："_s + QString::fromLocal8Bit(p.readAll()).trimmed();
        return false;
    }
    return true;
}

bool PostgresServer::start() {
    if (bin_.isEmpty() || !QFileInfo::exists(bin_ + u"/initdb"_s)) {
        why_ = u"PostgreSQL is not installed (/usr/lib/postgresql/*/bin/initdb)"_s;
        return false;
    }
    if (asRoot()) {
        QProcess chown;
        chown.start(u"chown"_s, {u"postgres:postgres"_s, dir_.path()});
        if (!chown.waitForFinished() || chown.exitCode() != 0) {
            why_ = u"chown of the cluster's folder failed"_s;
            return false;
        }
    }
    if (!run(bin_ + u"/initdb"_s, {u"-D"_s, data_, u"-A"_s, u"trust"_s, u"-U"_s, u"tessaly"_s, u"-E"_s,
                                   u"UTF8"_s, u"--no-sync"_s}))
        return false;
    // A port free now; the server takes it a moment later.
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost)) {
        why_ = u"no free port"_s;
        return false;
    }
    port_ = probe.serverPort();
    probe.close();
    return startServer();
}

bool PostgresServer::startServer() {
    const QString options =
        u"-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off"_s.arg(port_).arg(dir_.path());
    if (!run(bin_ + u"/pg_ctl"_s, {u"-D"_s, data_, u"-o"_s, options, u"-l"_s, dir_.filePath(u"server.log"_s),
                                   u"-w"_s, u"start"_s}))
        return false;
    running_ = true;
    return true;
}

bool PostgresServer::stopNow() {
    if (!run(bin_ + u"/pg_ctl"_s, {u"-D"_s, data_, u"-m"_s, u"immediate"_s, u"-w"_s, u"stop"_s}))
        return false;
    running_ = false;
    return true;
}

bool PostgresServer::restart() {
    return startServer();
}

QString PostgresServer::url(const QString &database) const {
    return u"postgresql://tessaly@127.0.0.1:%1/%2"_s.arg(port_).arg(database);
}
