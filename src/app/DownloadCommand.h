#pragma once

#include <QStringList>
#include <QTextStream>

// `tessaly download [--server URL] [--bank-dir DIR] [--yes]`: the bank download without a window,
// printing the status texts as they change. Returns 0 when at least one grade was usable, 1 when none
// was, 2 for bad options.
int runDownloadCommand(const QStringList &arguments, const QString &programDir, QTextStream &in,
                       QTextStream &out, QTextStream &err);
QString downloadHelpText();
