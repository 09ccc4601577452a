// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// Where the program's modules (the window, the office) are looked for, in order: TESSALY_MODULE_DIR,
// the program's own folder (a build or a portable folder), and the installed module folder.
namespace modulefolders {

QStringList candidates();
// The first existing file of that name in those folders, or an empty text.
QString find(const QString &fileName);

} // namespace modulefolders
