// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Where the program's own data (the pinyin dictionary, the characters' ranks) is looked for, in order:
// TESSALY_DATA_DIR, the program's own folder (a build or a portable folder), and the installed data
// folder beside the program (../share/tessaly).
namespace datafolders {

// The first existing file of that name in those folders, or an empty text.
QString find(const QString &fileName);

} // namespace datafolders
