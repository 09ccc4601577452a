// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window's public run variables: the stop flag and the progress counters.
struct RunState {
    int qt = 0;  // 1 = stop requested
    int jmz = 0; // ticks since the progress display was reset
    int imz = 0; // ticks within the current dot cycle

    bool stopRequested() const { return qt == 1; }
};
