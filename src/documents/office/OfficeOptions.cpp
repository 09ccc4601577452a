// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/office/OfficeOptions.h"

#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

QString OfficeOptions::effectivePipeName() const {
    // The pipe library puts the socket in the user's own folder already; the id keeps users apart
    // where that folder is shared.
    return pipeName.isEmpty() ? u"tessaly_"_s + QString::number(::getuid()) : pipeName;
}

QStringList OfficeOptions::effectiveSearchDirs() const {
    if (!searchDirs.isEmpty())
        return searchDirs;
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QStringList dirs;
    if (env.contains(u"UNO_PATH"_s))
        dirs.append(env.value(u"UNO_PATH"_s));
    dirs += env.value(u"PATH"_s).split(u':', Qt::SkipEmptyParts);
    dirs << u"/usr/lib/libreoffice/program"_s << u"/opt/libreoffice/program"_s;
    const QFileInfoList opt =
        QDir(u"/opt"_s).entryInfoList({u"libreoffice*"_s}, QDir::Dirs, QDir::Name | QDir::Reversed);
    for (const QFileInfo &d : opt)
        dirs.append(d.filePath() + u"/program"_s);
    dirs << u"/usr/local/lib/libreoffice/program"_s << u"/snap/bin"_s;
    return dirs;
}

QString findSoffice(const QStringList &dirs) {
    for (const QString &dir : dirs) {
        const QFileInfo candidate(QDir(dir).filePath(u"soffice"_s));
        if (candidate.isFile() && candidate.isExecutable())
            return candidate.filePath();
    }
    return {};
}
