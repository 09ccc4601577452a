// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <map>
#include <utility>

// What `tessaly check` finds in a bank's files, found in one pass over each file's bytes: a file is
// read again only where it must be (a file whose start chose the wrong encoding, the lines that a
// duplicate or an encoding finding needs to show).
namespace bankscan {

struct Finding {
    QString file;
    int line;
    QString kind; // 记录, 重复, 编码, 计算, 文件
    QString message;
    QString text;
};

// The questions of one grade and topic code, by difficulty.
using Counts = std::map<std::pair<int, int>, std::array<int, 6>>;

struct Report {
    QList<Finding> findings; // each file's in turn: encoding, then the records, then duplicates and sums
    Counts counts;
};

Report scan(const QStringList &paths);

} // namespace bankscan
