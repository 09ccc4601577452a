// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTemporaryDir>

// A real, small file system (tmpfs) mounted in a temporary folder, to see what writes do when the disk
// fills. Mounting needs root (CI runs as root); elsewhere available() is false and the test skips.
class FullDisk {
public:
    explicit FullDisk(int kibibytes);
    ~FullDisk();
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

    bool available() const { return mounted_; }
    QString dir() const { return dir_.path(); }
    QString path(const QString &name) const { return dir_.filePath(name); }
    // Fills the disk until fewer than `leftBytes` bytes are free, with a file of the given name.
    bool fill(const QString &name, qint64 leftBytes);
    qint64 freeBytes() const;
    // Mounts the file system again read-only: a folder no one, root included, can write to.
    bool makeReadOnly();
    // The names in the folder, sorted, without the filler.
    QStringList entries() const;

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
    QString filler_;
};
