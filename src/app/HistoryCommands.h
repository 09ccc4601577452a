// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/UserFiles.h"
#include "history/SheetHistory.h"

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <memory>

class QCommandLineOption;
class QCommandLineParser;

// The recorded sheets: `tessaly key CODE --output FILE` (the answer key of a sheet made earlier),
// `tessaly sheet CODE --output FILE` (the sheet again, exactly as recorded) and `tessaly history` (the
// recorded sheets, newest first). Each takes --history FILE. Exit status 0 done, 1 no such sheet or
// nothing written, 2 a bad option or a code that is no code.
int runKeyCommand(const QStringList &arguments, const UserFiles &files, bool answers, QTextStream &out,
                  QTextStream &err);
int runHistoryCommand(const QStringList &arguments, const UserFiles &files, QTextStream &out,
                      QTextStream &err);
QString historyHelpText();

// The --history option every command that reads the history takes.
QCommandLineOption historyOption();
// The history the --history option names, else the user's; null, with the reason said, when it cannot
// be opened.
std::unique_ptr<SheetHistory> openHistory(const QCommandLineParser &parser, const UserFiles &files,
                                          QTextStream &err);
