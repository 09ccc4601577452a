// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/LoadHost.h"
#include "generation/WriterHost.h"

#include <QString>

// What a selection run reads from its host, each at the moment the run needs it: the grade for every
// line loaded, the mode and topic boxes for every record filtered, the repeat box and the quantity at
// every draw, and the layout settings once for the writer. The main window answers from its controls,
// the command line from fixed settings, the tests from scripts.
class SelectionHost : public LoadHost, public WriterHost {
public:
    // Option1 (奥数) is selected: the olympiad codes apply.
    virtual bool olympiadMode() = 0;
    // Value of the topic box of slot k (1..40), or of 未归类题 for k = 0: 0, 1 (ticked) or 2 (greyed).
    virtual int topicBoxValue(int slot) = 0;
    virtual int check29() = 0;             // 题目随机重复
    virtual QString quantityText() = 0;    // Text1
    virtual QString lineSpacingText() = 0; // Text4
    virtual QString columnsText() = 0;     // Text2
    virtual QString fontSizeText() = 0;    // Text3
    virtual QString fontNameText() = 0;    // Combo1
    // The control names are the form's own; 答案 (Check19) is not a misspelt 星级 (Check18).
    virtual int check19() = 0; // NOLINT(bugprone-virtual-near-miss)
    // Timer2 on, just before the draw.
    virtual void startProgress() = 0;

    bool stopRequested() override { return runState().stopRequested(); }
    // Both bases declare it; one declaration here makes host.processEvents() unambiguous.
    void processEvents() override = 0;
};
