// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ModuleFolders.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace modulefolders {

QStringList candidates() {
    QStringList folders;
    const QString fromEnvironment = qEnvironmentVariable("TESSALY_MODULE_DIR");
    if (!fromEnvironment.isEmpty())
        folders.append(fromEnvironment);
    // The running program's own file: known before any application object exists.
    const QString program = QFileInfo(u"/proc/self/exe"_s).canonicalPath();
    folders.append(program);
    folders.append(QDir::cleanPath(QDir(program).filePath(QStringLiteral(TESSALY_MODULE_RELATIVE_DIR))));
    return folders;
}

QString find(const QString &fileName) {
    for (const QString &folder : candidates()) {
        QString path = QDir(folder).filePath(fileName);
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

} // namespace modulefolders
