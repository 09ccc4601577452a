// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/BankText.h"
#include "bank/QuestionRecord.h"

#include <QFile>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// One line a run took, without its text: where the line is in its file, and what a draw's filter
// looks at. A bank of a million lines costs 24 bytes a line, not the line's text as well.
struct BankEntry {
    static constexpr qint16 NoLevel = INT16_MIN;

    quint64 key = 0;         // textnormal::spacelessKey of the question: the fresh look-up's key
    quint64 offset : 48 = 0; // the line's first byte in its file
    quint64 file : 15 = 0;   // which of the bank's files
    quint64 utf8 : 1 = 0;    // the encoding the file was read in (GB18030 otherwise)
    quint32 size = 0;        // the line's bytes, without its end
    qint16 topic = -1;       // the topic code's whole value (0..1000), -1 for none
    qint16 level = NoLevel;  // the difficulty's whole value as codes::difficultyLevel reads it
};

// The fields a sheet takes from one kept line, read again from its file.
struct QuestionText {
    QString question;
    QString difficulty;
    QString answer;
};

// The lines of one load, tk.txt first and then zbtk.txt, each in file order; duplicates stay. The bank
// keeps each file open and only the places of the lines it took, so the text of a line is read again
// when a sheet takes it: a large bank is held as small entries, and the lines a run does not take cost
// nothing. The files stay open until clear(): a bank file is replaced by renaming a new one into its
// place, which leaves the open one as it was read.
class QuestionBank {
public:
    QuestionBank();
    ~QuestionBank();
    QuestionBank(QuestionBank &&) noexcept;
    QuestionBank &operator=(QuestionBank &&) noexcept;

    void clear();
    // The file whose lines are kept next; the bank keeps it open for reading them again.
    int addFile(std::unique_ptr<QFile> file);
    // Takes a record whose fields are views into the line at `place` of file `file`.
    void keep(const QuestionRecord &record, int file, const banktext::LinePlace &place);
    // Room for about this many more records, so a large load never copies its entries to grow (the
    // room a run does not fill is never touched, so it costs no memory).
    void expect(qsizetype records) { entries_.reserve(entries_.size() + static_cast<size_t>(records)); }
    // Drops the records from `count` on (a file read again from its start).
    void truncate(qsizetype count);

    qsizetype size() const { return static_cast<qsizetype>(entries_.size()); }
    bool isEmpty() const { return entries_.empty(); }
    const BankEntry &at(qsizetype i) const { return entries_[static_cast<size_t>(i)]; }
    const std::vector<BankEntry> &entries() const { return entries_; }

    // The entry's line read again from its file; none when the file cannot be read there or no longer
    // holds that question there (it was written over in place since the load).
    std::optional<QuestionText> text(const BankEntry &entry) const;
    std::optional<QuestionText> text(qsizetype i) const { return text(at(i)); }
    // The file the entry's line is in, for a message.
    QString fileName(const BankEntry &entry) const;

private:
    std::vector<std::unique_ptr<QFile>> files_;
    std::vector<BankEntry> entries_;
    mutable std::unique_ptr<banktext::LineDecoder> decoder_; // made at the first read
    mutable QByteArray bytes_;
    mutable QString line_;
};
