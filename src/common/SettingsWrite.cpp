// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/SettingsWrite.h"

#include "common/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;

Status writeSettings(const QString &iniPath, const QList<std::pair<QString, QVariant>> &values) {
    const QString shown = QDir::toNativeSeparators(iniPath);
    const auto failed = [&shown](const QString &why) {
        return Status::failure(u"无法写入设置文件 %1：%2"_s.arg(shown, why));
    };
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return failed(u"无法建立临时文件夹（%1）"_s.arg(scratch.errorString()));
    const QString copy = scratch.filePath(u"tessaly.ini"_s);
    if (QFileInfo::exists(iniPath)) {
        QFile old(iniPath);
        if (!old.open(QIODevice::ReadOnly))
            return failed(old.errorString());
        const QByteArray bytes = old.readAll();
        if (old.error() != QFileDevice::NoError)
            return failed(old.errorString());
        const Status copied = writeFileAtomically(copy, bytes);
        if (!copied)
            return failed(copied.error());
    }
    {
        QSettings settings(copy, QSettings::IniFormat);
        for (const auto &[key, value] : values)
            settings.setValue(key, value);
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return failed(u"临时文件夹写不下"_s);
    }
    QFile written(copy);
    if (!written.open(QIODevice::ReadOnly))
        return failed(written.errorString());
    const QByteArray bytes = written.readAll();
    if (!QDir().mkpath(QFileInfo(iniPath).absolutePath()))
        return failed(
            u"无法建立文件夹 %1"_s.arg(QDir::toNativeSeparators(QFileInfo(iniPath).absolutePath())));
    const Status stored = writeFileAtomically(iniPath, bytes);
    return stored ? stored : failed(stored.error());
}
