// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/QuestionRecord.h"

#include <QStringView>
#include <memory>
#include <vector>

// The records of one load, tk.txt first and then zbtk.txt, each in file order; duplicates stay.
// The bank keeps a copy of the text of every line it took, in large blocks that never move, so a
// record's fields are views without a copy each, and the lines a run does not take are not kept.
class QuestionBank {
public:
    void clear();
    // Takes a record whose fields are views into `line`: the line is copied into the bank and the
    // record kept pointing into the copy.
    void keep(const QuestionRecord &record, QStringView line);
    // Room for about this many more records, so a large load never copies its records to grow (the
    // room a run does not fill is never touched, so it costs no memory).
    void expect(qsizetype records) { records_.reserve(records_.size() + static_cast<size_t>(records)); }
    // Drops the records from `count` on (a file read again from its start).
    void truncate(qsizetype count);

    qsizetype size() const { return static_cast<qsizetype>(records_.size()); }
    bool isEmpty() const { return records_.empty(); }
    const QuestionRecord &at(qsizetype i) const { return records_[static_cast<size_t>(i)]; }
    const std::vector<QuestionRecord> &records() const { return records_; }

private:
    QStringView store(QStringView line);

    std::vector<std::unique_ptr<char16_t[]>> blocks_;
    qsizetype blockLeft_ = 0;
    QChar *blockNext_ = nullptr;
    std::vector<QuestionRecord> records_;
};
