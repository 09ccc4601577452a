// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/SelectionHost.h"

#include <QStringView>

// The topic test of the filter: a record passes when its topic code is the code of a ticked box
// (value 1; the greyed value 2 does not count) in the list of the current mode. The mode and the box
// are read from the host for every record, so a change during a run applies from the next record on.
class TopicFilter {
public:
    // The topic code of a record as a whole number, or -1 when its text reads as no whole number.
    static int codeOf(QStringView topicCodeText);
    static bool passes(SelectionHost &host, int code);
};
