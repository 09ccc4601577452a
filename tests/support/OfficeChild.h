// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcessEnvironment>
#include <QString>

// The environment of the program run as a child that talks to an office at `pipe`. Under the
// sanitizers the leak check's tracer now and then crashes at the exit of a program that talked to the
// office over UNO's threads ("Tracer caught signal 11"), after its work was done: the check stays off
// in the child, whose memory errors the address sanitizer still catches; the suites that run the
// program in process check its leaks.
inline QProcessEnvironment officeChildEnvironment(const QString &pipe) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TESSALY_OFFICE_PIPE"), pipe);
    if (const QString asan = env.value(QStringLiteral("ASAN_OPTIONS")); !asan.isEmpty())
        env.insert(QStringLiteral("ASAN_OPTIONS"), asan + QStringLiteral(":detect_leaks=0"));
    return env;
}
