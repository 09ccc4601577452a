// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

enum class Waited { Done, Abandoned };

// Runs work on a thread of its own while this thread keeps calling idle() (a window's event loop): the
// office's answer may take minutes, the window must not. When cancelled() turns true first (a stop, a
// deadline), the wait ends at once and the work finishes alone, then whenAbandoned() runs on its thread:
// what the office made for us is discarded as it arrives. Work and whenAbandoned must own what they use.
// An exception of the work is thrown again here, as if the call had been made on this thread.
Waited waitAside(std::function<void()> work, const std::function<void()> &idle,
                 const std::function<bool()> &cancelled = {}, std::function<void()> whenAbandoned = {});
