// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "common/UserFiles.h"

#include <QStringList>
#include <QTextStream>

// `tessaly class`: class lists in the history (import from CSV, list). `tessaly mark`: the questions a
// pupil got wrong or right, by the sheet's code, one sheet on the command line or many from a CSV.
QString classHelpText();
int runClassCommand(const QStringList &arguments, const UserFiles &files, QTextStream &out, QTextStream &err);
QString markHelpText();
int runMarkCommand(const QStringList &arguments, const UserFiles &files, QTextStream &out, QTextStream &err);

// The code of the sheet in a photo or scan, through the pictures module.
Result<QString> codeFromPicture(const QString &path);
