// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/WaitSeconds.h"

#include <QElapsedTimer>
#include <QThread>

void WaitSeconds(float seconds, const std::function<void()> &processEvents) {
    QElapsedTimer clock; // monotonic where the platform has such a clock
    clock.start();
    while (clock.nsecsElapsed() / 1e9 <= seconds) {
        if (processEvents)
            processEvents();
        QThread::msleep(1);
    }
}
