// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TempBank.h"

#include "bank/BankText.h"

#include <QFile>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

TempBank::TempBank() {
    QVERIFY(dir_.isValid());
}

QString TempBank::path(const QString &name) const {
    return dir_.filePath(name);
}

void TempBank::writeLines(const QString &name, const QStringList &lines) const {
    writeBytes(name, banktext::encode(lines.join(u"\r\n"_s)));
}

void TempBank::writeBytes(const QString &name, const QByteArray &bytes) const {
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray TempBank::readBytes(const QString &name) const {
    QFile file(path(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}
