// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <utility>

// Sets keys of an INI file (tessaly.ini) and keeps every other line of it. QSettings renames its new
// file into place even when its last write failed, which on a full disk empties the file with the
// download server and everything else the user set. So QSettings writes a copy in the temporary
// folder, and the copy replaces the file in one atomic step, checked to the end.
Status writeSettings(const QString &iniPath, const QList<std::pair<QString, QVariant>> &values);
