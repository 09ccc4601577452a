// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

// Text encoding and line structure of the bank files.
namespace banktext {

// UTF-8 when the bytes start with a UTF-8 byte-order mark or are valid UTF-8 throughout, GB18030
// (a superset of GBK) otherwise. Returns std::nullopt only when neither decoding succeeds.
// Where both decodings succeed, the one that gives more Chinese characters at the start wins, since a
// short GBK text can be valid UTF-8 by chance.
std::optional<QString> decode(const QByteArray &bytes);
// Whether the bytes are valid UTF-8 (without a byte-order mark) or valid GB18030, by the decoder
// decode() uses.
bool validUtf8(QByteArrayView bytes);
bool validGb18030(QByteArrayView bytes);
// Whether decode() would read these bytes as UTF-8.
bool looksLikeUtf8(QByteArrayView bytes);
// GB18030, so every character a user types survives.
QByteArray encode(QStringView text);

// The message for a bank file that cannot be opened or read: its name and the system's reason.
QString cannotRead(const QFile &file);
// Reads and decodes a whole bank file; the message names the file when it cannot be read or decoded.
Result<QString> readFile(const QString &path);

// Reads a bank file in pieces and hands over its lines (as forEachLine cuts them) as it decodes, so a
// large bank is read once and never held whole, neither as bytes nor as text. The encoding is chosen as
// decode() chooses it, from the file's start; should the file turn out not to be in that encoding,
// restart() is called and the lines come again from the first, read in the other. line() returns false
// to stop the reading: the result is then false; true when every line was handed over.
// Each line comes with its place among the file's bytes (its line end left out) and the encoding it
// was read in, so a reader that keeps no text can read the line again from the file.
struct LinePlace {
    qint64 offset = 0;
    qint64 size = 0;
    bool utf8 = false;
};
struct LineSink {
    virtual ~LineSink() = default;
    virtual bool line(QStringView line, LinePlace place) = 0;
    virtual void restart() = 0;
};
Result<bool> readLines(const QString &path, LineSink &sink);
// The same over a file already open for reading, from its start; it stays open.
Result<bool> readLines(QFile &file, LineSink &sink);

// The same cut over a file's bytes, for the checks that look at each line's own encoding: the line ends
// are the same bytes in UTF-8 and GB18030. A UTF-8 byte-order mark is left out of the first line; `start`
// (when given) receives the file's first bytes, as decode() would look at them.
struct ByteLineSink {
    virtual ~ByteLineSink() = default;
    virtual bool line(QByteArrayView line) = 0;
};
Result<bool> readByteLines(const QString &path, ByteLineSink &sink, QByteArray *start = nullptr);

// Whether bytes valid in both encodings read better as UTF-8 (more everyday Chinese at their start).
bool readsBetterAsUtf8(QByteArrayView bytes);
// Whether a file's first bytes (without a byte-order mark) choose UTF-8, as readLines chooses: valid
// UTF-8 that reads better so.
bool startReadsAsUtf8(QByteArrayView start);

// Validates and decodes single lines with one converter per encoding for all of them, by the decoder
// decode() uses.
class LineDecoder {
public:
    LineDecoder();
    ~LineDecoder();
    LineDecoder(const LineDecoder &) = delete;
    LineDecoder &operator=(const LineDecoder &) = delete;

    // The line's text in that encoding; false (and `text` left empty) when the bytes are not valid in it.
    bool utf8(QByteArrayView line, QString &text);
    bool gb18030(QByteArrayView line, QString &text);

private:
    void *gb_;
    std::vector<char32_t> wide_; // the line in UCS-4, on its way to UTF-16
};

// Calls f(line) for every line of the text. A line ends at CR LF, at a lone CR or at a lone LF;
// the last line needs no line end, and an empty text has no lines.
template <typename F> void forEachLine(QStringView text, F &&f) {
    const qsizetype n = text.size();
    const QChar *data = text.data();
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < n) {
        const char16_t c = data[i].unicode();
        if (c == u'\r' || c == u'\n') {
            f(text.sliced(start, i - start));
            i += (c == u'\r' && i + 1 < n && data[i + 1] == u'\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < n)
        f(text.sliced(start));
}

// A line of only spaces and tabs (or nothing) holds no record.
bool isBlankLine(QStringView line);

// Appends one line, ended by CR LF, to a bank file: in UTF-8 when the file already is UTF-8, in
// GB18030 otherwise. The file is created when missing; a last line without its end gets one first. A
// failure (a full disk, say) takes back whatever part was written: the file stays byte for byte.
Status appendLine(const QString &path, QStringView line);
// The same for several lines at once: all of them, or none.
Status appendLines(const QString &path, const QStringList &lines);

} // namespace banktext
