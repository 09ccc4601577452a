// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// A bank's questions as the rows of a table a teacher edits in a spreadsheet and gives back to
// `tessaly add --from`: the import's header names, and each value as the import reads it (grade and topic
// by name, the difficulty as stars, the mode). A field that is no code of the tables stays as the line
// has it, so the import names that row.
namespace bankexport {

// 题目, 计算步骤, 范围, 专题, 难度, 题型: the import's header, in its order.
const QStringList &header();

struct Filter {
    std::optional<int> grade;     // 0..6: the lines of that grade only
    std::optional<bool> olympiad; // the mode's list only
    std::optional<int> slot;      // 0..40 in the mode's list (the textbook list without a mode)
    bool ownOnly = false;         // zbtk.txt alone, without the downloaded bank
};

struct Table {
    QList<QStringList> rows; // without the header
    int skipped = 0;         // lines with no question
};

// The downloaded bank (tk.txt) and then the user's own questions (zbtk.txt) of the folder, in file
// order; a file that is not there adds nothing.
Result<Table> rows(const QString &bankDir, const Filter &filter);

// The table as CSV that Excel and WPS open as UTF-8 (a byte-order mark, CR LF line ends).
QByteArray csv(const QList<QStringList> &rows);

} // namespace bankexport
