// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/UserFiles.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

// `tessaly check [--bank-dir DIR] [--format text|json]`: what the bank holds and what is wrong in it,
// each finding with its file, line and text, and the arithmetic of every worked answer. Returns 0 when
// nothing was found, 1 when something was, 2 for a bad option.
int runCheckCommand(const QStringList &arguments, const UserFiles &files, QTextStream &out, QTextStream &err);
QString checkHelpText();
