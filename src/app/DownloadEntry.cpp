// SPDX-License-Identifier: GPL-3.0-or-later
// The download module's visible symbol: `tessaly download`.
#include "app/DownloadCommand.h"

extern "C" Q_DECL_EXPORT int tessaly_download_command(const QStringList &arguments, const UserFiles &files,
                                                      QTextStream &in, QTextStream &out, QTextStream &err) {
    return runDownloadCommand(arguments, files, in, out, err);
}

// The entry's type and the program's call agree.
[[maybe_unused]] static constexpr DownloadCommandEntry checkedEntry = &tessaly_download_command;
