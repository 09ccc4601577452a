// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/CodeTables.h"
#include "bank/LoadHost.h"
#include "generation/SheetModel.h"

#include <QString>

// What making a sheet reads from its host, each at the moment it needs it: the grade for every line
// loaded, the mode and the topic boxes for every record filtered, the repeat choice and the quantity
// at every draw, and the whole request once the draw is done, for the writer and the record. A change
// in the window during a run counts from the next read. The window answers from its controls, the
// command line from a fixed request, the tests from scripts.
class SheetHost : public LoadHost {
public:
    virtual codes::QuestionMode mode() = 0;
    // Whether topic box `slot` (1..40, 0 for 未归类题) of the mode's list is ticked.
    virtual bool topicTicked(int slot) = 0;
    virtual bool repeatsAllowed() = 0;
    virtual int quantity() = 0;
    // Everything the user chose, as it stands now.
    virtual SheetRequest request() = 0;
    // The date printed after the title.
    virtual QString todayText() = 0;
    // The progress display, on from the draw to the end of the writing.
    virtual void startProgress() = 0;
    virtual void endProgress() = 0;
};
