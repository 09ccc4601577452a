// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QList>
#include <QString>

// "3,7,12", "3 7 12", "3、7、12", "2-5": the question numbers (from 1) of a mark as a teacher types
// them, or why they do not read.
Result<QList<int>> questionNumbers(const QString &text);
