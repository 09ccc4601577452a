// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/UserFiles.h"

#include <QCommandLineOption>
#include <QList>
#include <QStringList>
#include <QTextStream>

// `tessaly download [--server URL] [--bank-dir DIR] [--yes]`: the bank download without a window,
// printing the status texts as they change. Returns 0 when a new bank was written, 1 when the bank stayed
// as it was (no usable grade, a write that failed, another download running), 130 when Ctrl+C stopped
// it, 2 for bad options.
int runDownloadCommand(const QStringList &arguments, const UserFiles &files, QTextStream &in,
                       QTextStream &out, QTextStream &err);
QString downloadHelpText();
QList<QCommandLineOption> downloadOptions();

// The download is a module of its own (libtessaly-download.so): Qt Network and what it brings along
// (Kerberos, the proxy library) are loaded by the one command that reaches a server, not by every
// command's start. The module's entry runs runDownloadCommand.
using DownloadCommandEntry = int (*)(const QStringList &arguments, const UserFiles &files, QTextStream &in,
                                     QTextStream &out, QTextStream &err);
inline constexpr const char *DownloadCommandSymbol = "tessaly_download_command";
