// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The title every notice of the program carries.
inline QString noticeTitle() {
    return QStringLiteral("Corvane");
}
