// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/RunControl.h"

#include <QString>

// What the bank download needs from the window (or the command line) that runs it.
class DownloadHost : public RunControl {
public:
    // "题库已经准备完毕，确认下载？" with Yes and No.
    virtual bool confirm(const QString &question) = 0;
    // The status line, shown. A stop (stopRequested) ends the wait for a page.
    virtual void setStatus(const QString &text) = 0;
    // A notice with the program's title and the information icon.
    virtual void showNotice(const QString &text) = 0;
    // 题库选题 and 下载题库, which stay disabled while a download runs.
    virtual void setButtonsEnabled(bool enabled) = 0;
};
