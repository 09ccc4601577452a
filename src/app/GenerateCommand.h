// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/GenerateOptions.h"
#include "history/SheetHistory.h"

#include <QTextStream>

// `tessaly generate`: one selection run and the writer without a window. Returns the exit status:
// 0 written, 1 the bank could not be read or an output could not be written.
int runGenerate(const GenerateOptions &options, QTextStream &out, QTextStream &err);

// The pupils of the class named `who`, or (with `pupilToo`) the one pupil of that name or number; the
// message says why there are none.
Result<QList<SheetPupil>> pupilsNamed(SheetHistory &history, const QString &who, bool pupilToo);
