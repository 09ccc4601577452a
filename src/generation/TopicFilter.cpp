// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/TopicFilter.h"

#include "bank/CodeTables.h"

bool TopicFilter::passes(SheetHost &host, int code) {
    const int slot = codes::slotOfTopicCode(code, codes::usesOlympiadList(host.mode()));
    return slot >= 0 && host.topicTicked(slot);
}
