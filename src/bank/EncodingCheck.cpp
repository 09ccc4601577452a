// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/EncodingCheck.h"

#include "bank/BankText.h"

using namespace Qt::Literals::StringLiterals;

namespace encodingcheck {

QList<LineFinding> findings(const QByteArray &bytes) {
    enum class Kind { Ascii, Utf8, Gb, Both, Neither };
    QList<std::pair<int, Kind>> lines;
    const QByteArrayView all = bytes.startsWith("\xEF\xBB\xBF") ? QByteArrayView(bytes).sliced(3) : bytes;
    int number = 0;
    qsizetype start = 0;
    const auto classify = [](QByteArrayView line) {
        bool ascii = true;
        for (char c : line)
            ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (ascii)
            return Kind::Ascii;
        const bool u = banktext::validUtf8(line), g = banktext::validGb18030(line);
        if (u && g)
            return banktext::looksLikeUtf8(line) ? Kind::Utf8 : Kind::Gb;
        return u ? Kind::Utf8 : g ? Kind::Gb : Kind::Neither;
    };
    for (qsizetype i = 0; i <= all.size(); ++i) {
        if (i == all.size() || all[i] == '\n' || all[i] == '\r') {
            if (i > start || i < all.size())
                lines.append({++number, classify(all.sliced(start, i - start))});
            if (i + 1 < all.size() && all[i] == '\r' && all[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    QList<LineFinding> found;
    int utf8Lines = 0, gbLines = 0;
    for (const auto &[line, kind] : lines) {
        if (kind == Kind::Neither)
            found.append({line, u"这一行的字节既不是 UTF-8 也不是 GBK/GB18030，读出来会是乱码"_s});
        utf8Lines += kind == Kind::Utf8;
        gbLines += kind == Kind::Gb;
    }
    // Two encodings in one file: the lines of the smaller part are read wrong.
    if (utf8Lines > 0 && gbLines > 0) {
        const Kind minority = utf8Lines < gbLines ? Kind::Utf8 : Kind::Gb;
        for (const auto &[line, kind] : lines)
            if (kind == minority)
                found.append({line, minority == Kind::Utf8
                                        ? u"文件混用两种编码：这一行是 UTF-8，文件其余是 GBK/GB18030"_s
                                        : u"文件混用两种编码：这一行是 GBK/GB18030，文件其余是 UTF-8"_s});
    }
    return found;
}

} // namespace encodingcheck
