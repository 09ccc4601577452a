// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTemporaryDir>

// A PostgreSQL server of the test's own: a cluster made by initdb in a temporary folder, listening on
// 127.0.0.1 at a free port, with trust authentication for the user "tessaly". As root (CI) the server
// runs as the postgres user, which PostgreSQL insists on.
class PostgresServer {
public:
    PostgresServer();
    ~PostgresServer();
    PostgresServer(const PostgresServer &) = delete;
    PostgresServer &operator=(const PostgresServer &) = delete;

    // Makes the cluster and starts the server; false, with why(), when PostgreSQL is not installed or
    // does not start.
    bool start();
    // Stops at once, as a server that goes away does (no shutdown checkpoint).
    bool stopNow();
    bool restart();
    QString url(const QString &database = QStringLiteral("postgres")) const;
    QString why() const { return why_; }

private:
    bool run(const QString &program, const QStringList &arguments);
    bool startServer();

    QTemporaryDir dir_;
    QString bin_;
    QString data_;
    int port_ = 0;
    bool running_ = false;
    QString why_;
};
