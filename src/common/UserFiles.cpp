// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/UserFiles.h"

#include "common/AtomicFile.h"
#include "common/BankFileNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString SettingsName = u"tessaly.ini"_s;

bool holdsBank(const QString &dir) {
    return QFileInfo::exists(bankfiles::downloadedBankPath(dir)) ||
           QFileInfo::exists(bankfiles::userBankPath(dir));
}

bool writableFolder(const QString &dir) {
    // access() asks the kernel with the real user's rights (read-only mounts included), which the
    // permission bits alone do not tell.
    return ::access(QFile::encodeName(dir).constData(), W_OK | X_OK) == 0;
}

QString standardFolder(QStandardPaths::StandardLocation location, const QString &fallback) {
    const QString folder = QStandardPaths::writableLocation(location);
    return folder.isEmpty() ? QDir::homePath() + fallback : folder;
}

} // namespace

UserFiles UserFiles::inFolder(const QString &dir) {
    return {dir, dir + u'/' + SettingsName, dir, true};
}

UserFiles UserFiles::locate(const QString &programDir) {
    if (writableFolder(programDir) &&
        (holdsBank(programDir) || QFileInfo::exists(programDir + u'/' + SettingsName)))
        return inFolder(programDir);
    UserFiles files;
    files.bankDir = standardFolder(QStandardPaths::AppDataLocation, u"/.local/share/Tessaly"_s);
    files.dataDir = files.bankDir;
    files.settingsFile =
        standardFolder(QStandardPaths::AppConfigLocation, u"/.config/Tessaly"_s) + u'/' + SettingsName;
    return files;
}

QString installedSampleBank(const QString &programDir) {
    const QString besideProgram = QDir(programDir).absoluteFilePath(u"../share/tessaly/tk.txt"_s);
    if (QFileInfo(besideProgram).isFile())
        return QDir::cleanPath(besideProgram);
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, u"tessaly/tk.txt"_s);
}

Result<FirstStart> prepareUserFiles(const UserFiles &files, const QString &sampleBank) {
    if (!QDir().mkpath(files.bankDir))
        return Result<FirstStart>::failure(
            u"无法建立题库文件夹“%1”"_s.arg(QDir::toNativeSeparators(files.bankDir)));
    if (holdsBank(files.bankDir) || sampleBank.isEmpty())
        return Result<FirstStart>::success({});

    QFile sample(sampleBank);
    if (!sample.open(QIODevice::ReadOnly))
        return Result<FirstStart>::failure(
            u"无法读取示例题库“%1”：%2"_s.arg(QDir::toNativeSeparators(sampleBank), sample.errorString()));
    const QByteArray bytes = sample.readAll();
    if (sample.error() != QFileDevice::NoError)
        return Result<FirstStart>::failure(
            u"无法读取示例题库“%1”：%2"_s.arg(QDir::toNativeSeparators(sampleBank), sample.errorString()));
    const QString target = bankfiles::downloadedBankPath(files.bankDir);
    const Status written = writeFileAtomically(target, bytes);
    if (!written)
        return Result<FirstStart>::failure(
            u"无法把示例题库复制到“%1”：%2"_s.arg(QDir::toNativeSeparators(target), written.error()));
    return Result<FirstStart>::success({true});
}
