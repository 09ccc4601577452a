// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/BankText.h"

#include "common/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QSysInfo>
#include <algorithm>
#include <bitset>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <iconv.h>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace banktext {

namespace {

// The characters of everyday Chinese text: GB2312's symbol rows (punctuation, full-width forms, the
// units like ℃) and its first level of 3,755 common ideographs. Taken from the GB2312 code space itself,
// so no table needs to be kept here.
const std::bitset<65536> &commonCharacters() {
    static const std::bitset<65536> table = [] {
        std::bitset<65536> bits;
        QStringDecoder gb("GB18030", QStringDecoder::Flag::Stateless);
        const auto addRows = [&](int first, int last) {
            for (int lead = first; lead <= last; ++lead)
                for (int trail = 0xA1; trail <= 0xFE; ++trail) {
                    const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                    const QString c = gb(QByteArrayView(pair, 2));
                    if (c.size() == 1)
                        bits.set(c[0].unicode());
                }
        };
        addRows(0xA1, 0xA3);
        addRows(0xB0, 0xD7);
        return bits;
    }();
    return table;
}

// How much of a text's non-ASCII part is everyday Chinese; -1 for a text without any.
double commonShare(QStringView text) {
    const std::bitset<65536> &common = commonCharacters();
    qsizetype other = 0, everyday = 0;
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            continue;
        ++other;
        if (common.test(c.unicode()))
            ++everyday;
    }
    return other == 0 ? -1.0 : double(everyday) / double(other);
}

// A converter from the encoding to UTF-16 in this machine's byte order; (iconv_t)-1, by iconv_open's
// definition, when there is none.
iconv_t toUtf16(const char *encoding) {
    return ::iconv_open(QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE", encoding);
}

bool noConverter(iconv_t cd) {
    return cd == reinterpret_cast<iconv_t>(-1); // NOLINT(performance-no-int-to-ptr)
}

// Characters in glibc's UCS-4 (what iconv gives in one step) appended to a QString as UTF-16.
void appendUcs4(const char32_t *wide, qsizetype count, QString &out) {
    const qsizetype old = out.size();
    out.resize(old + 2 * count);
    char16_t *unit = reinterpret_cast<char16_t *>(out.data() + old);
    for (qsizetype i = 0; i < count; ++i) {
        const char32_t c = wide[i];
        if (c < 0x10000) {
            *unit++ = static_cast<char16_t>(c);
        } else {
            *unit++ = QChar::highSurrogate(c);
            *unit++ = QChar::lowSurrogate(c);
        }
    }
    out.resize(static_cast<qsizetype>(reinterpret_cast<QChar *>(unit) - out.constData()));
}

// Decodes the bytes, from the converter's initial state, straight into a QString of as many UTF-16 units
// as there are bytes (no encoding here gives more units than bytes), so a file needs its own size plus
// twice that at most, and no second copy. False (and `text` empty) when the bytes are not valid.
bool convertWith(iconv_t cd, QByteArrayView bytes, QString &text) {
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    text.resize(bytes.size());
    char *in = const_cast<char *>(bytes.data());
    size_t inLeft = static_cast<size_t>(bytes.size());
    char *out = reinterpret_cast<char *>(text.data());
    size_t outLeft = static_cast<size_t>(text.size()) * sizeof(QChar);
    const bool ok = ::iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1) && inLeft == 0 &&
                    ::iconv(cd, nullptr, nullptr, &out, &outLeft) != static_cast<size_t>(-1);
    // Kept at the full capacity: shrinking would copy the whole text once more.
    text.resize(ok ? static_cast<qsizetype>((reinterpret_cast<QChar *>(out) - text.data())) : 0);
    return ok;
}

bool iconvInto(const char *encoding, QByteArrayView bytes, QString &text) {
    iconv_t cd = toUtf16(encoding);
    if (noConverter(cd))
        return false;
    const auto closeConverter = qScopeGuard([cd] { ::iconv_close(cd); });
    return convertWith(cd, bytes, text);
}

std::optional<QString> decodeUtf8(QByteArrayView bytes) {
    QString text;
    if (!iconvInto("UTF-8", bytes, text))
        return std::nullopt;
    return text;
}

// Short GBK texts can happen to be valid UTF-8 ("唯一" is CE A8 D2 BB, which UTF-8 reads as "Ψһ";
// "缁℃：" reads as "绡棺"). Where both decodings work, the one whose characters are more often everyday
// Chinese is the file's, and GB18030, the bank's own encoding, wins a tie. A sample at the start decides,
// so a large file is not decoded twice.
bool utf8ReadsBetter(QByteArrayView bytes) {
    const QByteArrayView sample = bytes.first(std::min<qsizetype>(bytes.size(), qsizetype{64} * 1024));
    // Stateful decoders: a character cut by the sample's end is no error.
    QStringDecoder gb("GB18030");
    const QString asGb = gb(sample);
    if (gb.hasError())
        return true;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString asUtf8 = utf8(sample);
    return commonShare(asUtf8) > commonShare(asGb);
}

} // namespace

bool validUtf8(QByteArrayView bytes) {
    QString scratch;
    return iconvInto("UTF-8", bytes, scratch);
}

bool validGb18030(QByteArrayView bytes) {
    QString scratch;
    return iconvInto("GB18030", bytes, scratch);
}

bool looksLikeUtf8(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return true;
    return decodeUtf8(bytes).has_value() && utf8ReadsBetter(bytes);
}

std::optional<QString> decode(const QByteArray &bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decodeUtf8(QByteArrayView(bytes).sliced(3));
    // One buffer serves both tries, so a large file never has two decoded copies.
    QString text;
    if (iconvInto("UTF-8", bytes, text) && utf8ReadsBetter(bytes))
        return text;
    if (iconvInto("GB18030", bytes, text))
        return text;
    // Valid UTF-8 that did not read better at its start (ASCII only there, say) is UTF-8 all the same.
    if (iconvInto("UTF-8", bytes, text))
        return text;
    return std::nullopt;
}

QByteArray encode(QStringView text) {
    QStringEncoder gb("GB18030");
    return gb(text);
}

QString cannotRead(const QFile &file) {
    return u"无法读取题库文件 %1：%2"_s.arg(file.fileName(), file.errorString());
}

Result<QString> readFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<QString>::failure(cannotRead(file));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result<QString>::failure(cannotRead(file));
    std::optional<QString> text = decode(bytes);
    if (!text)
        return Result<QString>::failure(
            u"题库文件 %1 的编码无法识别（应为 UTF-8 或 GBK/GB18030）"_s.arg(path));
    return Result<QString>::success(std::move(*text));
}

namespace {

constexpr qsizetype ReadPiece = qsizetype{1} << 20;

enum class Pass { Done, Stopped, Invalid, Unreadable };

// Hands the complete lines at the front of `pending` to the sink and drops them; `scanned` is how far
// an earlier call looked already, so a very long line is not looked through again with every piece.
char16_t unitOf(QChar c) {
    return c.unicode();
}
char16_t unitOf(char c) {
    return static_cast<unsigned char>(c);
}

template <typename Buffer, typename Sink>
bool handOverLines(Buffer &pending, qsizetype &scanned, bool atEnd, Sink &sink) {
    const auto *data = pending.constData();
    const qsizetype n = pending.size();
    qsizetype start = 0;
    qsizetype i = scanned;
    while (i < n) {
        const char16_t c = unitOf(data[i]);
        if (c != u'\r' && c != u'\n') {
            ++i;
            continue;
        }
        if (c == u'\r' && i + 1 == n && !atEnd)
            break; // the LF that may follow opens the next piece
        if (!sink.line({data + start, i - start}))
            return false;
        i += (c == u'\r' && i + 1 < n && unitOf(data[i + 1]) == u'\n') ? 2 : 1;
        start = i;
    }
    if (atEnd && start < n) {
        if (!sink.line({data + start, n - start}))
            return false;
        start = n;
    }
    if (atEnd)
        i = start;
    pending.remove(0, start);
    scanned = i - start;
    return true;
}

// The line ends among a file's bytes, cut as handOverLines cuts the decoded text (CR LF, a lone CR or
// a lone LF; the last line needs no end): a line end is the same byte in UTF-8 and in GB18030, so the
// k-th place found here is the k-th line's. Fed the bytes in order, in pieces of any size.
class ByteLineCutter {
public:
    ByteLineCutter(qint64 from, bool utf8)
        : lineStart_(from)
        , next_(from)
        , utf8_(utf8) {}

    void feed(const char *data, qsizetype n, std::deque<LinePlace> &places) {
        const char *p = data;
        const char *end = data + n;
        if (afterCr_ && p < end) {
            afterCr_ = false;
            if (*p == '\n') {
                ++p;
                lineStart_ = next_ + 1;
            }
        }
        // memchr for each kind of end: a file of LF ends never looks for a CR twice.
        const char *cr = find(p, end, '\r');
        while (p < end) {
            const char *lf = find(p, end, '\n');
            const char *e = std::min(lf, cr);
            if (e == end)
                break;
            const qint64 at = next_ + (e - data);
            places.push_back({lineStart_, at - lineStart_, utf8_});
            lineStart_ = at + 1;
            p = e + 1;
            if (e == cr) {
                if (p == end) {
                    afterCr_ = true;
                } else if (*p == '\n') {
                    ++p;
                    ++lineStart_;
                }
                cr = find(p, end, '\r');
            }
        }
        next_ += n;
    }
    void finish(std::deque<LinePlace> &places) {
        if (lineStart_ < next_)
            places.push_back({lineStart_, next_ - lineStart_, utf8_});
        lineStart_ = next_;
    }

private:
    static const char *find(const char *p, const char *end, char c) {
        const void *found = p < end ? std::memchr(p, c, static_cast<size_t>(end - p)) : nullptr;
        return found ? static_cast<const char *>(found) : end;
    }

    qint64 lineStart_;
    qint64 next_; // the file offset of the next byte fed
    bool afterCr_ = false;
    const bool utf8_;
};

// The file's pieces decoded one after another with one converter: to glibc's own form (UCS-4, its
// WCHAR_T), which costs iconv one step where UTF-16 costs two; the UTF-16 is made here.
class PieceDecoder {
public:
    PieceDecoder(QFile &file, iconv_t cd, qsizetype piece, qint64 from, bool utf8)
        : file_(file)
        , cd_(cd)
        , piece_(piece)
        , cutter_(from, utf8)
        , bytes_(piece + 16, Qt::Uninitialized)
        , wide_(static_cast<size_t>(piece) + 16) {}

    // The next piece's text appended to `out` and its lines' places to `places`; atEnd once the file
    // has no more. Done, or why not.
    Pass next(QString &out, std::deque<LinePlace> &places, bool &atEnd) {
        static_assert(sizeof(wchar_t) == 4, "glibc's wide characters are UCS-4");
        const qint64 got = file_.read(bytes_.data() + waiting_, piece_);
        if (got < 0 || file_.error() != QFileDevice::NoError)
            return Pass::Unreadable;
        atEnd = got == 0;
        cutter_.feed(bytes_.constData() + waiting_, static_cast<qsizetype>(got), places);
        if (atEnd)
            cutter_.finish(places);
        const qsizetype have = waiting_ + static_cast<qsizetype>(got);
        char *in = bytes_.data();
        size_t inLeft = static_cast<size_t>(have);
        // No encoding here gives more characters than it has bytes.
        char *to = reinterpret_cast<char *>(wide_.data());
        size_t outLeft = wide_.size() * sizeof(char32_t);
        if (::iconv(cd_, &in, &inLeft, &to, &outLeft) == static_cast<size_t>(-1) &&
            (errno != EINVAL || atEnd))
            return Pass::Invalid;
        if (atEnd && ::iconv(cd_, nullptr, nullptr, &to, &outLeft) == static_cast<size_t>(-1))
            return Pass::Invalid;
        appendUcs4(wide_.data(), static_cast<qsizetype>(reinterpret_cast<char32_t *>(to) - wide_.data()),
                   out);
        // The bytes of a character cut by a piece's end wait at the buffer's start for the rest of it.
        waiting_ = static_cast<qsizetype>(inLeft);
        if (waiting_ > 0)
            std::memmove(bytes_.data(), in, inLeft);
        return Pass::Done;
    }

private:
    QFile &file_;
    iconv_t cd_;
    const qsizetype piece_;
    ByteLineCutter cutter_;
    QByteArray bytes_;
    std::vector<char32_t> wide_;
    qsizetype waiting_ = 0;
};

// Pieces a thread has decoded ahead of the lines' hand-over, a few at most.
class PieceQueue {
public:
    struct Piece {
        QString text;
        std::vector<std::pair<qsizetype, qsizetype>> lines; // where each complete line is in text
        std::deque<LinePlace> places;                       // the lines' places in the file, cut so far
        bool atEnd = false;
        Pass pass = Pass::Done;
    };

    // False when the reader stopped wanting pieces.
    bool put(Piece piece) {
        std::unique_lock<std::mutex> guard(lock_);
        changed_.wait(guard, [this] { return pieces_.size() < Ahead || stopped_; });
        if (stopped_)
            return false;
        pieces_.push_back(std::move(piece));
        changed_.notify_all();
        return true;
    }
    Piece take() {
        std::unique_lock<std::mutex> guard(lock_);
        changed_.wait(guard, [this] { return !pieces_.empty(); });
        Piece piece = std::move(pieces_.front());
        pieces_.pop_front();
        changed_.notify_all();
        return piece;
    }
    void stop() {
        const std::lock_guard<std::mutex> guard(lock_);
        stopped_ = true;
        changed_.notify_all();
    }

private:
    static constexpr size_t Ahead = 3;
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<Piece> pieces_;
    bool stopped_ = false;
};

// Gives each decoded line its place among the bytes, found by the decoder's cutter in the same order.
struct PlacedLines {
    LineSink &sink;
    std::deque<LinePlace> &places;
    bool line(QStringView text) {
        Q_ASSERT(!places.empty());
        LinePlace place;
        if (!places.empty()) {
            place = places.front();
            places.pop_front();
        }
        return sink.line(text, place);
    }
};

// One pass over the file from `from` in one encoding, with one converter for the whole file. A large
// file is decoded on a thread of its own a few pieces ahead, while this thread cuts the lines and the
// sink takes them: the two cores share a large bank's reading. The sink is called on this thread only.
Pass decodePass(QFile &file, const char *encoding, qint64 from, LineSink &sink) {
    if (!file.seek(from))
        return Pass::Unreadable;
    iconv_t cd = ::iconv_open("WCHAR_T", encoding);
    if (noConverter(cd))
        return Pass::Invalid;
    const auto closeConverter = qScopeGuard([cd] { ::iconv_close(cd); });
    // Pieces of a megabyte, or the whole of a smaller file (a user's few own questions need no more).
    const qint64 size = file.size() - from;
    const qsizetype piece = static_cast<qsizetype>(std::clamp<qint64>(size, 4096, ReadPiece));
    const bool utf8 = std::strcmp(encoding, "UTF-8") == 0;
    PieceDecoder decoder(file, cd, piece, from, utf8);
    QString pending;
    pending.reserve(2 * piece);
    qsizetype scanned = 0;
    if (size <= 4 * ReadPiece) {
        std::deque<LinePlace> places;
        PlacedLines placed{sink, places};
        for (;;) {
            bool atEnd = false;
            if (const Pass pass = decoder.next(pending, places, atEnd); pass != Pass::Done)
                return pass;
            if (!handOverLines(pending, scanned, atEnd, placed))
                return Pass::Stopped;
            if (atEnd)
                return Pass::Done;
        }
    }
    // The thread cuts the lines as well: each piece comes with the places of the complete lines in it,
    // and a line cut by the piece's end waits there for the rest of it.
    struct LinePlaces {
        const QChar *base;
        std::vector<std::pair<qsizetype, qsizetype>> *places;
        bool line(QStringView text) {
            places->emplace_back(text.data() - base, text.size());
            return true;
        }
    };
    PieceQueue queue;
    std::thread ahead([&decoder, &queue, &pending, &scanned] {
        for (;;) {
            PieceQueue::Piece next;
            next.pass = decoder.next(pending, next.places, next.atEnd);
            const bool last = next.pass != Pass::Done || next.atEnd;
            if (next.pass == Pass::Done) {
                // The piece keeps the text its lines are in; the rest moves on in `pending`.
                next.text = pending;
                LinePlaces places{next.text.constData(), &next.lines};
                handOverLines(pending, scanned, next.atEnd, places);
            }
            if (!queue.put(std::move(next)) || last)
                return;
        }
    });
    Pass result = Pass::Done;
    std::deque<LinePlace> places;
    PlacedLines placed{sink, places};
    for (;;) {
        PieceQueue::Piece next = queue.take();
        if (next.pass != Pass::Done) {
            result = next.pass;
            break;
        }
        places.insert(places.end(), next.places.begin(), next.places.end());
        const QStringView text(next.text);
        bool stopped = false;
        for (const auto &[from, size] : next.lines)
            if (!placed.line(text.sliced(from, size))) {
                stopped = true;
                break;
            }
        if (stopped) {
            result = Pass::Stopped;
            break;
        }
        if (next.atEnd)
            break;
    }
    queue.stop();
    ahead.join();
    return result;
}

} // namespace

Result<bool> readLines(const QString &path, LineSink &sink) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<bool>::failure(cannotRead(file));
    return readLines(file, sink);
}

Result<bool> readLines(QFile &file, LineSink &sink) {
    const QString path = file.fileName();
    const auto unreadable = [&] { return Result<bool>::failure(cannotRead(file)); };
    if (!file.seek(0))
        return unreadable();
    const QByteArray start = file.read(qsizetype{64} * 1024);
    if (file.error() != QFileDevice::NoError)
        return unreadable();
    Pass pass = Pass::Invalid;
    if (start.startsWith("\xEF\xBB\xBF")) {
        pass = decodePass(file, "UTF-8", 3, sink);
    } else {
        const bool asUtf8 = startReadsAsUtf8(start);
        pass = decodePass(file, asUtf8 ? "UTF-8" : "GB18030", 0, sink);
        // The start chose wrong (or could not choose: ASCII only): the other encoding, from the first line.
        if (pass == Pass::Invalid) {
            sink.restart();
            pass = decodePass(file, asUtf8 ? "GB18030" : "UTF-8", 0, sink);
        }
    }
    switch (pass) {
    case Pass::Done:
        return Result<bool>::success(true);
    case Pass::Stopped:
        return Result<bool>::success(false);
    case Pass::Unreadable:
        return unreadable();
    case Pass::Invalid:
        break;
    }
    return Result<bool>::failure(u"题库文件 %1 的编码无法识别（应为 UTF-8 或 GBK/GB18030）"_s.arg(path));
}

Result<bool> readByteLines(const QString &path, ByteLineSink &sink, QByteArray *start) {
    QFile file(path);
    const auto unreadable = [&] { return Result<bool>::failure(cannotRead(file)); };
    if (!file.open(QIODevice::ReadOnly))
        return unreadable();
    QByteArray pending;
    pending.reserve(2 * ReadPiece);
    qsizetype scanned = 0;
    bool first = true;
    for (;;) {
        const qsizetype old = pending.size();
        pending.resize(old + ReadPiece);
        const qint64 got = file.read(pending.data() + old, ReadPiece);
        if (got < 0 || file.error() != QFileDevice::NoError)
            return unreadable();
        pending.resize(old + static_cast<qsizetype>(got));
        if (first) {
            if (start)
                *start = pending.first(std::min<qsizetype>(pending.size(), qsizetype{64} * 1024));
            if (pending.startsWith("\xEF\xBB\xBF"))
                pending.remove(0, 3);
            first = false;
        }
        const bool atEnd = got == 0;
        if (!handOverLines(pending, scanned, atEnd, sink))
            return Result<bool>::success(false);
        if (atEnd)
            return Result<bool>::success(true);
    }
}

bool readsBetterAsUtf8(QByteArrayView bytes) {
    return utf8ReadsBetter(bytes);
}

bool startReadsAsUtf8(QByteArrayView start) {
    // A stateful decoder: a character cut by the start's end is no error.
    QStringDecoder utf8(QStringDecoder::Utf8);
    (void)utf8(start);
    return !utf8.hasError() && utf8ReadsBetter(start);
}

LineDecoder::LineDecoder()
    : gb_(::iconv_open("WCHAR_T", "GB18030")) {}

LineDecoder::~LineDecoder() {
    if (!noConverter(gb_))
        ::iconv_close(gb_);
}

// UTF-8 by hand, as strictly as iconv reads it (no overlong forms, no surrogates, nothing past
// U+10FFFF): a GB18030 line is refused at its first byte, without a converter's call.
bool LineDecoder::utf8(QByteArrayView line, QString &text) {
    text.resize(line.size());
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    const auto *p = reinterpret_cast<const unsigned char *>(line.data());
    const unsigned char *end = p + line.size();
    const auto continuation = [](unsigned char c) { return (c & 0xC0) == 0x80; };
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            *out++ = c;
            ++p;
            continue;
        }
        char32_t code = 0;
        int length = 0;
        unsigned char low = 0x80, high = 0xBF; // the second byte's range
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            text.resize(0);
            return false;
        }
        if (end - p < length || p[1] < low || p[1] > high) {
            text.resize(0);
            return false;
        }
        for (int k = 1; k < length; ++k) {
            if (!continuation(p[k])) {
                text.resize(0);
                return false;
            }
            code = (code << 6) | (p[k] & 0x3F);
        }
        p += length;
        if (code < 0x10000) {
            *out++ = static_cast<char16_t>(code);
        } else {
            *out++ = QChar::highSurrogate(code);
            *out++ = QChar::lowSurrogate(code);
        }
    }
    text.resize(static_cast<qsizetype>(reinterpret_cast<QChar *>(out) - text.constData()));
    return true;
}

// To glibc's UCS-4 in one converter step, then UTF-16 here (as the whole-file reading does).
bool LineDecoder::gb18030(QByteArrayView line, QString &text) {
    text.resize(0);
    if (noConverter(gb_))
        return false;
    if (line.isEmpty())
        return true; // and iconv is never given an output buffer of no bytes at all
    if (wide_.size() < static_cast<size_t>(line.size()))
        wide_.resize(static_cast<size_t>(line.size()));
    ::iconv(gb_, nullptr, nullptr, nullptr, nullptr);
    char *in = const_cast<char *>(line.data());
    size_t inLeft = static_cast<size_t>(line.size());
    char *out = reinterpret_cast<char *>(wide_.data());
    size_t outLeft = wide_.size() * sizeof(char32_t);
    if (::iconv(gb_, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1) || inLeft != 0 ||
        ::iconv(gb_, nullptr, nullptr, &out, &outLeft) == static_cast<size_t>(-1))
        return false;
    appendUcs4(wide_.data(), static_cast<qsizetype>(reinterpret_cast<char32_t *>(out) - wide_.data()), text);
    return true;
}

bool isBlankLine(QStringView line) {
    for (QChar c : line)
        if (c != u' ' && c != u'\t')
            return false;
    return true;
}

Status appendLine(const QString &path, QStringView line) {
    return appendLines(path, QStringList{line.toString()});
}

Status appendLines(const QString &path, const QStringList &lines) {
    const auto failure = [&path](int error) {
        return Status::failure(
            u"无法写入题库文件 %1：%2"_s.arg(QDir::toNativeSeparators(path), systemErrorText(error)));
    };
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return failure(errno);
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });

    QByteArray existing;
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failure(errno);
        if (n == 0)
            break;
        existing.append(chunk, n);
    }

    // A file that is already UTF-8 stays UTF-8: GB18030 bytes appended to it would make the whole
    // file undecodable as UTF-8 and garble everything written before.
    const bool ascii = std::all_of(existing.begin(), existing.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const bool utf8File = !ascii && looksLikeUtf8(existing);

    QByteArray bytes;
    // Never glue the new record onto a last line that has no line end.
    if (!existing.isEmpty() && !existing.endsWith('\n') && !existing.endsWith('\r'))
        bytes.append("\r\n");
    for (const QString &line : lines) {
        bytes.append(utf8File ? line.toUtf8() : encode(line));
        bytes.append("\r\n");
    }

    // A line written in part (a full disk) is taken back, so the file is exactly as it was.
    const auto takeBack = [&](int error) {
        while (::ftruncate(fd, static_cast<off_t>(existing.size())) != 0 && errno == EINTR) {
        }
        ::fsync(fd);
        return failure(error);
    };
    if (::lseek(fd, static_cast<off_t>(existing.size()), SEEK_SET) < 0)
        return failure(errno);
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return takeBack(n < 0 ? errno : EIO);
        data += n;
        left -= n;
    }
    if (::fsync(fd) != 0)
        return takeBack(errno);
    return succeeded();
}

} // namespace banktext
