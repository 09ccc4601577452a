// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FullDisk.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStorageInfo>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

FullDisk::FullDisk(int kibibytes) {
    if (::geteuid() != 0 || !dir_.isValid())
        return;
    const int status = QProcess::execute(
        u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=%1k"_s.arg(kibibytes), u"tmpfs"_s, dir_.path()});
    mounted_ = status == 0;
}

FullDisk::~FullDisk() {
    if (mounted_)
        QProcess::execute(u"umount"_s, {u"-l"_s, dir_.path()});
}

qint64 FullDisk::freeBytes() const {
    return QStorageInfo(dir_.path()).bytesFree();
}

bool FullDisk::fill(const QString &name, qint64 leftBytes) {
    QFile file(path(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray block(512, 'x');
    while (freeBytes() >= leftBytes) {
        if (file.write(block) != block.size())
            break;
    }
    filler_ = name;
    return freeBytes() < leftBytes;
}

bool FullDisk::makeReadOnly() {
    return mounted_ && QProcess::execute(u"mount"_s, {u"-o"_s, u"remount,ro"_s, dir_.path()}) == 0;
}

QStringList FullDisk::entries() const {
    QStringList names =
        QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    names.removeAll(filler_);
    return names;
}
