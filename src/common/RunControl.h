// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How long work lets its host breathe and be stopped: yield() at every checkpoint (a window lets its
// events run, the stop click among them), then stopRequested() tells whether to end the current phase.
class RunControl {
public:
    virtual ~RunControl() = default;
    virtual void yield() = 0;
    virtual bool stopRequested() = 0;
};
