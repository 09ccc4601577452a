// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The two files of a bank folder: the downloaded bank and the user's own questions. Where the user's
// files live and the bank loader both go by these names.
namespace bankfiles {

inline QString downloadedBankPath(const QString &dir) {
    return dir + QStringLiteral("/tk.txt");
}
inline QString userBankPath(const QString &dir) {
    return dir + QStringLiteral("/zbtk.txt");
}

} // namespace bankfiles
