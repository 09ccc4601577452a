// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/UserFiles.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

// `tessaly add`: one question of the user's own into zbtk.txt, or many from a CSV file (--from), with
// the editor's cleaning and codes. Returns the exit status: 0 added, 1 nothing written, 2 a bad option.
int runAddCommand(const QStringList &arguments, const UserFiles &files, QTextStream &out, QTextStream &err);
QString addHelpText();
