// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/QuestionRecord.h"

#include <QString>
#include <vector>

// The records of one load, tk.txt first and then zbtk.txt, each in file order; duplicates stay.
// The bank keeps the decoded text of every file it read, so records are views without copies.
class QuestionBank {
public:
    void clear();
    // Keeps a decoded file text alive for the records that will point into it; returns a view of it.
    QStringView keepText(QString text);
    void append(const QuestionRecord &record) { records_.push_back(record); }

    qsizetype size() const { return static_cast<qsizetype>(records_.size()); }
    bool isEmpty() const { return records_.empty(); }
    const QuestionRecord &at(qsizetype i) const { return records_[static_cast<size_t>(i)]; }
    const std::vector<QuestionRecord> &records() const { return records_; }

private:
    std::vector<QString> texts_;
    std::vector<QuestionRecord> records_;
};
