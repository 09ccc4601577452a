// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Writes a file whole or not at all. The bytes go to a new temporary file beside the target (created
// exclusively, never through a symlink); every write, the final flush and the sync are checked, and only
// then is the temporary file renamed over the target. Any failure removes the temporary file and leaves
// the old file byte for byte. (QSaveFile in Qt 6.4 renames even after a failed last flush, so it is not
// used for anything the user could lose.)
class AtomicFile {
public:
    explicit AtomicFile(QString path);
    ~AtomicFile();
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    Status open();
    // A failure sticks: later writes do nothing and commit() reports the first failure.
    Status write(QByteArrayView bytes);
    Status commit();
    // Drops what was written; the target stays as it was.
    void cancel();

    const QString &path() const { return path_; }

private:
    Status fail(int error, const QString &what);

    QString path_;
    QString target_; // path_, or the file a symlink at path_ points to
    QByteArray tempPath_;
    int fd_ = -1;
    QString error_;
};

// The whole of bytes into path, atomically.
Status writeFileAtomically(const QString &path, QByteArrayView bytes);

// A system error number in the user's words: the common ones in Chinese, the rest as the system says it.
QString systemErrorText(int error);
