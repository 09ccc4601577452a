// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The main window's public run variables: the stop flag, the progress counters and the last run's
// results (each drawn item preceded by one space).
struct RunState {
    int qt = 0;    // 1 = stop requested
    int jmz = 0;   // ticks since the progress display was reset
    int imz = 0;   // ticks within the current dot cycle
    QString out;   // question texts
    QString outlx; // topic codes
    QString outjs; // answer texts
    QString outnd; // difficulty codes

    bool stopRequested() const { return qt == 1; }
};
