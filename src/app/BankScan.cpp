// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/BankScan.h"

#include "bank/ArithmeticCheck.h"
#include "bank/BankRecord.h"
#include "bank/BankText.h"
#include "bank/DuplicateCheck.h"
#include "bank/EncodingCheck.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <algorithm>
#include <deque>
#include <future>
#include <memory>
#include <optional>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace bankscan {

namespace {

// How a file's lines are decoded: the whole file in one encoding, or (a file valid in neither) each
// line in the one it is valid in.
enum class Mode { Utf8, Gb, EachLine };

struct Place {
    int file = -1;
    int line = 0;
};

// The lines' question hashes and where each was last seen: one flat table with linear probing (the keys
// are hashes already), so a million lines cost two arrays, not a node each. A key of 0 marks an empty slot
// and is stored as 1; a pair of questions that shares a key is only a candidate, which the texts confirm.
class PlaceTable {
public:
    // Room for about this many keys before the table grows.
    void reserve(size_t keys) {
        if (keys * 4 > keys_.size() * 3)
            rehash(capacityFor(keys));
    }

    // The key's place becomes this one (a later line is the most recent).
    void insert(std::uint64_t key, Place place) {
        if ((count_ + 1) * 4 > keys_.size() * 3)
            rehash(std::max<size_t>(1024, keys_.size() * 2));
        key = key == 0 ? 1 : key;
        size_t slot = key & mask_;
        while (keys_[slot] != 0 && keys_[slot] != key)
            slot = (slot + 1) & mask_;
        if (keys_[slot] == 0)
            ++count_;
        keys_[slot] = key;
        places_[slot] = place;
    }

    const Place *find(std::uint64_t key) const {
        if (count_ == 0)
            return nullptr;
        key = key == 0 ? 1 : key;
        for (size_t slot = key & mask_; keys_[slot] != 0; slot = (slot + 1) & mask_)
            if (keys_[slot] == key)
                return &places_[slot];
        return nullptr;
    }

    // Every key of the other table, its places replacing these.
    void insertAll(const PlaceTable &other) {
        reserve(count_ + other.count_);
        for (size_t slot = 0; slot < other.keys_.size(); ++slot)
            if (other.keys_[slot] != 0)
                insert(other.keys_[slot], other.places_[slot]);
    }

    bool isEmpty() const { return count_ == 0; }

private:
    static size_t capacityFor(size_t keys) {
        size_t capacity = 1024;
        while (capacity * 3 < keys * 4)
            capacity *= 2;
        return capacity;
    }

    void rehash(size_t capacity) {
        std::vector<std::uint64_t> keys(capacity, 0);
        std::vector<Place> places(capacity);
        keys.swap(keys_);
        places.swap(places_);
        mask_ = capacity - 1;
        count_ = 0;
        for (size_t slot = 0; slot < keys.size(); ++slot)
            if (keys[slot] != 0)
                insert(keys[slot], places[slot]);
    }

    std::vector<std::uint64_t> keys_;
    std::vector<Place> places_;
    size_t mask_ = 0;
    size_t count_ = 0;
};

// A line whose question hashes like an earlier one's: a duplicate once the texts agree.
struct Candidate {
    qsizetype finding; // its entry in the file's later findings
    Place exact;
    Place similar;
    QString question;
};

struct FileResult {
    QList<Finding> records;
    QList<Finding> later;
    Counts counts;
    PlaceTable exact, similar;
    std::vector<Candidate> candidates;
    encodingcheck::Tally tally;
    bool allUtf8 = true;
    bool allGb = true;
};

bool isAscii(QByteArrayView line) {
    for (char c : line)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// The file's mode as decode() would read it, from what a whole pass learned.
Mode modeOf(const QByteArray &start, bool allUtf8, bool allGb) {
    if (start.startsWith("\xEF\xBB\xBF"))
        return allUtf8 ? Mode::Utf8 : Mode::EachLine;
    if (allUtf8 && banktext::readsBetterAsUtf8(start))
        return Mode::Utf8;
    if (allGb)
        return Mode::Gb;
    return allUtf8 ? Mode::Utf8 : Mode::EachLine;
}

// A line's text in the file's mode; false when the line is not valid in it.
class LineText {
public:
    // For the line's bytes: its text, and whether it is valid in each encoding.
    bool read(QByteArrayView bytes, Mode mode) {
        ascii = isAscii(bytes);
        if (ascii) {
            utf8 = gb = true;
            asciiText_.resize(bytes.size());
            QChar *out = asciiText_.data();
            for (qsizetype i = 0; i < bytes.size(); ++i)
                out[i] = QChar(static_cast<char16_t>(static_cast<unsigned char>(bytes[i])));
            text = asciiText_;
            return true;
        }
        utf8 = decoder_.utf8(bytes, utf8Text_);
        gb = decoder_.gb18030(bytes, gbText_);
        switch (mode) {
        case Mode::Utf8:
            text = utf8Text_;
            return utf8;
        case Mode::Gb:
            text = gbText_;
            return gb;
        case Mode::EachLine:
            break;
        }
        if (utf8)
            text = utf8Text_;
        else if (gb)
            text = gbText_;
        else {
            // As best it reads, so its record is still checked.
            lossy_ = QStringDecoder("GB18030")(bytes);
            text = lossy_;
        }
        return true;
    }

    QStringView text;
    bool ascii = false, utf8 = false, gb = false;

private:
    banktext::LineDecoder decoder_;
    QString asciiText_, utf8Text_, gbText_, lossy_;
};

const Place *lookUp(const PlaceTable &recent, const PlaceTable &earlier, std::uint64_t key) {
    if (const Place *found = recent.find(key))
        return found;
    return earlier.find(key);
}

// Lines handed to a worker: their bytes one after another, each line's end, the first one's number.
struct Batch {
    int firstNumber = 1;
    QByteArray bytes;
    std::vector<qsizetype> ends;

    QByteArrayView line(size_t i) const {
        const qsizetype from = i == 0 ? 0 : ends[i - 1];
        return QByteArrayView(bytes).sliced(from, ends[i] - from);
    }
};

// What a worker learned of one line, for the pass that puts the file's findings together in order.
struct LineOutcome {
    encodingcheck::Kind kind{};
    bool utf8 = false, gb = false;
    bool valid = false;       // valid in the file's mode
    bool hasQuestion = false; // a record of five fields with a question: its hashes count
    std::uint64_t exact = 0, similar = 0;
    int records = 0, sums = 0; // how many of the batch's record and arithmetic findings are its own
    int grade = -1, code = -1, difficulty = -1; // counted when all three are in the tables
};

struct BatchOutcome {
    std::vector<LineOutcome> lines;
    QList<Finding> records, sums;
};

// Everything of a line that needs no other line: its decoding, its record's problems, its question's
// hashes, its worked answer's arithmetic. Run on worker threads, a batch at a time.
BatchOutcome examine(const Batch &batch, Mode mode, const QString &name) {
    BatchOutcome outcome;
    outcome.lines.resize(batch.ends.size());
    LineText text;
    for (size_t i = 0; i < batch.ends.size(); ++i) {
        const QByteArrayView bytes = batch.line(i);
        const int number = batch.firstNumber + static_cast<int>(i);
        LineOutcome &o = outcome.lines[i];
        o.valid = text.read(bytes, mode);
        o.utf8 = text.utf8;
        o.gb = text.gb;
        o.kind = encodingcheck::kindOf(bytes, text.ascii, text.utf8, text.gb);
        const QStringView line = text.text;
        if (banktext::isBlankLine(line))
            continue;
        const BankRecord r = bankrecord::parse(line);
        for (const QString &message : bankrecord::problems(r)) {
            outcome.records.append({name, number, u"记录"_s, message, line.toString()});
            ++o.records;
        }
        if (r.fieldCount < 5)
            continue;
        const QStringView question = r.record.questionText;
        if (!question.trimmed().isEmpty()) {
            o.hasQuestion = true;
            o.exact = duplicatecheck::exactHash(question);
            o.similar = duplicatecheck::comparableHash(question);
        }
        for (const arithmeticcheck::Mistake &m : arithmeticcheck::mistakes(r.record.answerText)) {
            outcome.sums.append({name, number, u"计算"_s,
                                 u"计算步骤“%1”不对：左边等于 %2"_s.arg(m.step, m.expected),
                                 line.toString()});
            ++o.sums;
        }
        const int code = r.topicCode;
        const int difficulty = r.difficulty();
        if (r.grade >= 0 && difficulty >= 0 && ((code >= 0 && code <= 80) || code == 99)) {
            o.grade = r.grade;
            o.code = code;
            o.difficulty = difficulty;
        }
    }
    return outcome;
}

// One pass over one file's lines. Strict, it gives up on the records (and goes on only to learn the
// encodings) at the first line that is not valid in the mode its start chose. The lines go to worker
// threads in batches (the two cores share the decoding and the arithmetic); the duplicates, which need
// every earlier line, and the order of the findings are this thread's, batch after batch as they come.
class FileScan : public banktext::ByteLineSink {
public:
    FileScan(int index, QString name, std::optional<Mode> mode, const QByteArray &start,
             const PlaceTable &exact, const PlaceTable &similar)
        : index_(index)
        , name_(std::move(name))
        , mode_(mode)
        , strict_(!mode)
        , start_(start)
        , sharedExact_(exact)
        , sharedSimilar_(similar) {}

    // Room for a question every 48 bytes from the start (a bank's lines run to 40 bytes and more, most
    // to over 60), so the tables of a large bank rarely grow by rehashing.
    void expect(qint64 fileBytes) {
        result.exact.reserve(static_cast<size_t>(fileBytes / 48));
        result.similar.reserve(static_cast<size_t>(fileBytes / 48));
    }

    bool line(QByteArrayView bytes) override {
        ++number_;
        if (!mode_)
            mode_ = firstChoice();
        if (batch_.ends.empty())
            batch_.firstNumber = number_;
        batch_.bytes.append(bytes);
        batch_.ends.push_back(batch_.bytes.size());
        if (batch_.ends.size() == BatchLines)
            submit();
        return true;
    }

    // After the last line: the rest examined and every batch put together.
    void finish() {
        submit(true);
        while (!pending_.empty())
            gather();
    }

    Mode mode() const { return mode_.value_or(Mode::Gb); }

    FileResult result;
    bool wrongMode = false;

private:
    static constexpr size_t BatchLines = 16384;
    static constexpr size_t InFlight = 4; // batches examined at once, so memory stays a few megabytes

    struct Pending {
        std::shared_ptr<Batch> batch;
        std::future<BatchOutcome> outcome;
    };

    Mode firstChoice() const {
        return start_.startsWith("\xEF\xBB\xBF") || banktext::startReadsAsUtf8(start_) ? Mode::Utf8
                                                                                       : Mode::Gb;
    }

    // A file of one batch (a user's own questions, a small bank) is examined on this thread: no thread is
    // started for it.
    void submit(bool last = false) {
        if (batch_.ends.empty())
            return;
        const bool alone = last && pending_.empty();
        if (pending_.size() >= InFlight)
            gather();
        auto batch = std::make_shared<Batch>(std::move(batch_));
        batch_ = Batch();
        batch_.bytes.reserve(batch->bytes.capacity());
        std::future<BatchOutcome> outcome =
            std::async(alone ? std::launch::deferred : std::launch::async,
                       [batch, mode = mode(), name = name_] { return examine(*batch, mode, name); });
        pending_.push_back({std::move(batch), std::move(outcome)});
    }

    // The oldest batch's outcome into the file's findings, line by line in order.
    void gather() {
        Pending next = std::move(pending_.front());
        pending_.pop_front();
        const BatchOutcome outcome = next.outcome.get();
        const Batch &batch = *next.batch;
        qsizetype record = 0, sum = 0;
        for (size_t i = 0; i < outcome.lines.size(); ++i) {
            const LineOutcome &o = outcome.lines[i];
            const int number = batch.firstNumber + static_cast<int>(i);
            result.allUtf8 = result.allUtf8 && o.utf8;
            result.allGb = result.allGb && o.gb;
            result.tally.add(number, o.kind);
            if (!o.valid && strict_)
                wrongMode = true;
            if (wrongMode) {
                record += o.records;
                sum += o.sums;
                continue;
            }
            for (int k = 0; k < o.records; ++k)
                result.records.append(outcome.records[record++]);
            if (o.hasQuestion)
                checkDuplicate(o, number, batch.line(i));
            for (int k = 0; k < o.sums; ++k)
                result.later.append(outcome.sums[sum++]);
            if (o.grade >= 0)
                ++result.counts[{o.grade, o.code}][static_cast<size_t>(o.difficulty)];
        }
    }

    void checkDuplicate(const LineOutcome &o, int number, QByteArrayView bytes) {
        const Place *same = lookUp(result.exact, sharedExact_, o.exact);
        const Place *like = lookUp(result.similar, sharedSimilar_, o.similar);
        if (same || like) {
            // A candidate: its text, read again from the batch's bytes (rare enough to cost nothing).
            text_.read(bytes, mode());
            const QString line = text_.text.toString();
            result.later.append({name_, number, u"重复"_s, QString(), line});
            result.candidates.push_back({result.later.size() - 1, same ? *same : Place{},
                                         like ? *like : Place{},
                                         bankrecord::parse(line).record.questionText.toString()});
        }
        result.exact.insert(o.exact, {index_, number});
        result.similar.insert(o.similar, {index_, number});
    }

    const int index_;
    const QString name_;
    std::optional<Mode> mode_;
    const bool strict_;
    const QByteArray &start_;
    const PlaceTable &sharedExact_;
    const PlaceTable &sharedSimilar_;
    LineText text_;
    int number_ = 0;
    Batch batch_;
    std::deque<Pending> pending_;
};

// The texts of some lines of a file, read in the file's mode.
class LineFetch : public banktext::ByteLineSink {
public:
    LineFetch(Mode mode, const QSet<int> &wanted)
        : mode_(mode)
        , wanted_(wanted) {}
    bool line(QByteArrayView bytes) override {
        ++number_;
        if (wanted_.contains(number_)) {
            text_.read(bytes, mode_);
            texts.insert(number_, text_.text.toString());
        }
        return texts.size() < wanted_.size();
    }
    QHash<int, QString> texts;

private:
    const Mode mode_;
    const QSet<int> &wanted_;
    LineText text_;
    int number_ = 0;
};

struct ScannedFile {
    QString path;
    QString name;
    Mode mode = Mode::Gb;
    bool read = false;
    FileResult result;
    QList<encodingcheck::LineFinding> encoding;
    QSet<int> wanted; // lines whose text a finding needs
    QHash<int, QString> texts;
};

QStringView questionOf(const QString &line) {
    return bankrecord::parse(line).record.questionText;
}

} // namespace

Report scan(const QStringList &paths) {
    std::vector<ScannedFile> files;
    PlaceTable exact, similar;
    for (const QString &path : paths) {
        ScannedFile file;
        file.path = path;
        file.name = QFileInfo(path).fileName();
        const int index = static_cast<int>(files.size());
        QByteArray start;
        FileScan first(index, file.name, std::nullopt, start, exact, similar);
        first.expect(QFileInfo(path).size());
        Result<bool> read = banktext::readByteLines(path, first, &start);
        first.finish();
        std::optional<FileScan> again;
        if (read && first.wrongMode) {
            again.emplace(index, file.name, modeOf(start, first.result.allUtf8, first.result.allGb), start,
                          exact, similar);
            read = banktext::readByteLines(path, *again);
            again->finish();
        }
        FileScan &done = again ? *again : first;
        if (!read) {
            file.result.records.append({file.name, 0, u"文件"_s, read.error(), QString()});
            files.push_back(std::move(file));
            continue;
        }
        file.read = true;
        file.mode = done.mode();
        file.result = std::move(done.result);
        // This file's questions are the most recent for the files after it.
        if (exact.isEmpty()) {
            exact = std::move(file.result.exact);
            similar = std::move(file.result.similar);
        } else {
            exact.insertAll(file.result.exact);
            similar.insertAll(file.result.similar);
        }
        file.result.exact = PlaceTable();
        file.result.similar = PlaceTable();
        file.encoding = file.result.tally.findings();
        files.push_back(std::move(file));
    }

    // The lines the findings show or compare: read once more, only where there are any.
    for (ScannedFile &file : files) {
        for (const encodingcheck::LineFinding &f : file.encoding)
            file.wanted.insert(f.line);
        for (const Candidate &c : file.result.candidates)
            for (const Place &p : {c.exact, c.similar})
                if (p.file >= 0)
                    files[static_cast<size_t>(p.file)].wanted.insert(p.line);
    }
    for (ScannedFile &file : files) {
        if (!file.read || file.wanted.isEmpty())
            continue;
        LineFetch fetch(file.mode, file.wanted);
        if (banktext::readByteLines(file.path, fetch))
            file.texts = std::move(fetch.texts);
    }
    const auto textAt = [&files](const Place &p) {
        return p.file < 0 ? QString() : files[static_cast<size_t>(p.file)].texts.value(p.line);
    };

    Report report;
    for (ScannedFile &file : files) {
        for (const encodingcheck::LineFinding &f : file.encoding)
            report.findings.append({file.name, f.line, u"编码"_s, f.message, file.texts.value(f.line)});
        report.findings += file.result.records;
        for (const Candidate &c : file.result.candidates) {
            Finding &f = file.result.later[c.finding];
            const QString sameLine = textAt(c.exact), likeLine = textAt(c.similar);
            if (c.exact.file >= 0 && questionOf(sameLine) == c.question)
                f.message = u"与 %1 第%2行的题目完全相同"_s.arg(files[static_cast<size_t>(c.exact.file)].name)
                                .arg(c.exact.line);
            else if (c.similar.file >= 0 && duplicatecheck::comparable(questionOf(likeLine)) ==
                                                duplicatecheck::comparable(c.question))
                f.message = u"与 %1 第%2行的题目相同（去掉空白、统一全角半角后）"_s
                                .arg(files[static_cast<size_t>(c.similar.file)].name)
                                .arg(c.similar.line);
        }
        // A candidate whose texts differ was only a hash that happened to agree.
        for (const Finding &f : file.result.later)
            if (!f.message.isEmpty())
                report.findings.append(f);
        for (const auto &[key, byDifficulty] : file.result.counts)
            for (size_t d = 0; d < byDifficulty.size(); ++d)
                report.counts[key][d] += byDifficulty[d];
    }
    return report;
}

} // namespace bankscan
