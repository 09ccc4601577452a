// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/SheetHost.h"

#include <QStringView>

// The topic test of the filter: a record passes when its topic code is the code of a ticked box in the
// list of the current mode. The mode and the box are read from the host for every record, so a change
// during a run applies from the next record on.
class TopicFilter {
public:
    static bool passes(SheetHost &host, int code);
};
