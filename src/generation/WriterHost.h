// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/RunState.h"

#include <QString>

// What the worksheet writer reads from the window that hosts it, at the moments it needs them.
class WriterHost {
public:
    virtual ~WriterHost() = default;
    virtual bool option1() = 0;       // 奥数
    virtual bool option2() = 0;       // 估算
    virtual bool option4() = 0;       // 解方程
    virtual int check18() = 0;        // 星级: 0, 1 or 2
    virtual QString combo6Text() = 0; // 空行
    virtual RunState &runState() = 0;
    virtual void processEvents() = 0;
    // The date after the title, in the system's short format.
    virtual QString todayText() = 0;
    // The paper of the sheet ("A4", "A3", ...) and its orientation.
    virtual QString paperText() { return QStringLiteral("A4"); }
    virtual bool landscape() { return false; }
    // The end of a run: Timer2 off, jmz = imz = 0, Label11 empty.
    virtual void endProgress() = 0;
};
