// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A temporary bank folder with tk.txt and zbtk.txt written from lines or raw bytes.
class TempBank {
public:
    TempBank();
    QString dir() const { return dir_.path(); }
    QString path(const QString &name) const;
    // Writes lines joined by CR LF, in GB18030.
    void writeLines(const QString &name, const QStringList &lines) const;
    void writeBytes(const QString &name, const QByteArray &bytes) const;
    QByteArray readBytes(const QString &name) const;

private:
    QTemporaryDir dir_;
};
