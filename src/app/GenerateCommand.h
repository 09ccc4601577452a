// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/GenerateOptions.h"

#include <QTextStream>

// `tessaly generate`: one selection run and the writer without a window. Returns the exit status:
// 0 written, 1 the bank could not be read or an output could not be written.
int runGenerate(const GenerateOptions &options, QTextStream &out, QTextStream &err);
