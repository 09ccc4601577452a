// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

// How many questions the bank holds for each grade and topic code, across tk.txt and zbtk.txt. Counted
// again only when a file changed on disk (its size or time), so asking at every grade change is cheap.
class TopicCounts {
public:
    explicit TopicCounts(QString bankDir);

    // The questions of this topic code at this grade; grade 0 counts every grade.
    int count(int grade, int code);

private:
    void refresh();

    QString dir_;
    QHash<int, int> counts_; // key: grade * 1000 + code
    QString stamp_;          // sizes and times of the files last counted
};
