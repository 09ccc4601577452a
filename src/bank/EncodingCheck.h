// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Lines of a bank file that decode in neither of the bank's encodings, and files whose lines are in
// two encodings (a UTF-8 line pasted into a GBK file, say), which no single reading shows right.
namespace encodingcheck {

struct LineFinding {
    int line; // 1-based
    QString message;
};

QList<LineFinding> findings(const QByteArray &bytes);

} // namespace encodingcheck
