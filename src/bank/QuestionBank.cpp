// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/QuestionBank.h"

#include <algorithm>
#include <cstring>

namespace {

// Large enough that a bank of a million lines needs a few hundred blocks, small enough that the last,
// part-filled one costs little.
constexpr qsizetype BlockChars = qsizetype{1} << 18;

// The same field within the copy of its line.
QStringView moved(QStringView field, QStringView from, const QChar *to) {
    if (field.isNull())
        return field;
    return QStringView(to + (field.data() - from.data()), field.size());
}

} // namespace

void QuestionBank::clear() {
    records_.clear();
    blocks_.clear();
    blockLeft_ = 0;
    blockNext_ = nullptr;
}

void QuestionBank::truncate(qsizetype count) {
    if (count < size())
        records_.resize(static_cast<size_t>(count));
}

QStringView QuestionBank::store(QStringView line) {
    if (line.size() > blockLeft_) {
        const qsizetype chars = std::max(BlockChars, line.size());
        // char16_t, not QChar, so the block is not cleared before it is written.
        blocks_.push_back(std::make_unique_for_overwrite<char16_t[]>(static_cast<size_t>(chars)));
        blockNext_ = reinterpret_cast<QChar *>(blocks_.back().get());
        blockLeft_ = chars;
    }
    QChar *copy = blockNext_;
    if (!line.isEmpty())
        std::memcpy(static_cast<void *>(copy), line.data(), static_cast<size_t>(line.size()) * sizeof(QChar));
    blockNext_ += line.size();
    blockLeft_ -= line.size();
    return QStringView(copy, line.size());
}

void QuestionBank::keep(const QuestionRecord &record, QStringView line) {
    const QStringView copy = store(line);
    QuestionRecord kept = record;
    kept.questionText = moved(record.questionText, line, copy.data());
    kept.topicCode = moved(record.topicCode, line, copy.data());
    kept.difficulty = moved(record.difficulty, line, copy.data());
    kept.answerText = moved(record.answerText, line, copy.data());
    records_.push_back(kept);
}
