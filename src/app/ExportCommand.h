// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/UserFiles.h"

#include <QStringList>
#include <QTextStream>

// `tessaly export`: the bank's questions (all, or of a grade, a mode, a topic) into a CSV file or an
// Excel workbook, with the header `tessaly add --from` reads back. Returns the exit status: 0 written,
// 1 nothing written, 2 a bad option.
int runExportCommand(const QStringList &arguments, const UserFiles &files, QTextStream &out,
                     QTextStream &err);
QString exportHelpText();
