// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/TopicFilter.h"

#include "bank/CodeTables.h"
#include "bank/NumberValue.h"

#include <cmath>

int TopicFilter::codeOf(QStringView topicCodeText) {
    const double value = numberValue(topicCodeText);
    if (value != std::trunc(value) || value < 0 || value > 1000)
        return -1;
    return static_cast<int>(value);
}

bool TopicFilter::passes(SelectionHost &host, int code) {
    const int slot = codes::slotOfTopicCode(code, host.olympiadMode());
    return slot >= 0 && host.topicBoxValue(slot) == 1;
}
