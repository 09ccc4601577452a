// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/DataFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace datafolders {

QString find(const QString &fileName) {
    QStringList folders;
    if (const QString fromEnvironment = qEnvironmentVariable("TESSALY_DATA_DIR"); !fromEnvironment.isEmpty())
        folders.append(fromEnvironment);
    const QString program = QFileInfo(u"/proc/self/exe"_s).canonicalPath();
    folders.append(program);
    folders.append(QDir::cleanPath(program + u"/../share/tessaly"_s));
    for (const QString &folder : std::as_const(folders)) {
        QString path = QDir(folder).filePath(fileName);
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

} // namespace datafolders
