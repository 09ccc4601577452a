// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mainwindow/RunState.h"

#include <QString>
#include <optional>

// One tick of the progress display (every 10 ms while a run draws and writes): the status text with the
// elapsed nominal seconds and a cycle of dots, and the long-run notice every 6000 ticks.
struct ProgressTick {
    std::optional<QString> label;  // the new status text, when this tick writes one
    std::optional<QString> notice; // the long-run notice, when this tick shows one

    // Advances the counters jmz and imz of the run state.
    static ProgressTick advance(RunState &state);
    // jmz / 100 rounded to a whole number, halves to the even neighbour (250 gives 2, 350 gives 4).
    static long long seconds(int jmz);
};
