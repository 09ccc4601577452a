// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/NoticeTitle.h"
#include "common/RunControl.h"

#include <QString>

// What the bank loading needs from the window (or the command line) that hosts it.
class LoadHost : public RunControl {
public:
    // The grade list's current position, 0..6; read afresh for every line.
    virtual int gradePosition() = 0;
    // A notice with the program's title and the information icon.
    virtual void showNotice(const QString &text) = 0;
    // The bank download, run to its end (it may ask the user first).
    virtual void downloadBank() = 0;
    // Whether the load should also find the lines a bank's author ought to mend (the command line
    // reports them; the window does not).
    virtual bool checksLines() const { return false; }
};
