// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/QuestionBank.h"

#include "bank/BankRecord.h"
#include "bank/CodeTables.h"
#include "bank/TextNormal.h"

#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace {

qint16 levelOf(QStringView difficulty) {
    const std::optional<int> level = codes::difficultyLevel(difficulty);
    if (!level)
        return BankEntry::NoLevel;
    return static_cast<qint16>(std::clamp(*level, BankEntry::NoLevel + 1, int{INT16_MAX}));
}

// The whole of `size` bytes at `offset`, through short reads and signals.
bool readAt(int fd, qint64 offset, char *to, qint64 size) {
    while (size > 0) {
        const ssize_t got = ::pread(fd, to, static_cast<size_t>(size), static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        to += got;
        offset += got;
        size -= got;
    }
    return true;
}

} // namespace

QuestionBank::QuestionBank() = default;
QuestionBank::~QuestionBank() = default;
QuestionBank::QuestionBank(QuestionBank &&) noexcept = default;
QuestionBank &QuestionBank::operator=(QuestionBank &&) noexcept = default;

void QuestionBank::clear() {
    entries_.clear();
    files_.clear();
}

int QuestionBank::addFile(std::unique_ptr<QFile> file) {
    files_.push_back(std::move(file));
    return static_cast<int>(files_.size()) - 1;
}

void QuestionBank::truncate(qsizetype count) {
    if (count < size())
        entries_.resize(static_cast<size_t>(count));
}

void QuestionBank::keep(const QuestionRecord &record, int file, const banktext::LinePlace &place) {
    BankEntry entry;
    entry.key = textnormal::spacelessKey(record.questionText);
    entry.offset = static_cast<quint64>(place.offset);
    entry.file = static_cast<quint64>(file);
    entry.utf8 = place.utf8 ? 1 : 0;
    entry.size = static_cast<quint32>(std::min<qint64>(place.size, UINT32_MAX));
    entry.topic = static_cast<qint16>(record.topic);
    entry.level = levelOf(record.difficulty);
    entries_.push_back(entry);
}

std::optional<QuestionText> QuestionBank::text(const BankEntry &entry) const {
    if (entry.file >= files_.size())
        return std::nullopt;
    QFile &file = *files_[entry.file];
    bytes_.resize(static_cast<qsizetype>(entry.size));
    if (!readAt(file.handle(), static_cast<qint64>(entry.offset), bytes_.data(), entry.size))
        return std::nullopt;
    if (!decoder_)
        decoder_ = std::make_unique<banktext::LineDecoder>();
    const bool decoded = entry.utf8 ? decoder_->utf8(bytes_, line_) : decoder_->gb18030(bytes_, line_);
    if (!decoded)
        return std::nullopt;
    const BankRecord parsed = bankrecord::parse(line_);
    // The same question where the load found it, or the file changed under the run.
    if (textnormal::spacelessKey(parsed.record.questionText) != entry.key)
        return std::nullopt;
    return QuestionText{parsed.record.questionText.toString(), parsed.record.difficulty.toString(),
                        parsed.record.answerText.toString()};
}

QString QuestionBank::fileName(const BankEntry &entry) const {
    return entry.file < files_.size() ? QFileInfo(*files_[entry.file]).fileName() : QString();
}
