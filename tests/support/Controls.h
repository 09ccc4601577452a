// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

// A window's control by its object name (the names the forms give them); a missing one ends the test
// run at once, since every later step would only report the same absence.
template <typename T> T *control(const QObject *window, const QString &name) {
    T *found = window->findChild<T *>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}
