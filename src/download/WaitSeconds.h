// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

// Waits the given number of seconds while letting events run, on a monotonic clock, so a wait that
// spans midnight or a change of the system time still ends on time.
void WaitSeconds(float seconds, const std::function<void()> &processEvents);
