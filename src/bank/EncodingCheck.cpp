// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/EncodingCheck.h"

#include "bank/BankText.h"

using namespace Qt::Literals::StringLiterals;

namespace encodingcheck {

Kind kindOf(QByteArrayView line, bool ascii, bool utf8, bool gb) {
    if (ascii)
        return Kind::Ascii;
    if (utf8 && gb)
        return banktext::readsBetterAsUtf8(line) ? Kind::Utf8 : Kind::Gb;
    return utf8 ? Kind::Utf8 : gb ? Kind::Gb : Kind::Neither;
}

void Tally::add(int line, Kind kind) {
    switch (kind) {
    case Kind::Ascii:
        break;
    case Kind::Utf8:
        utf8_.push_back(line);
        break;
    case Kind::Gb:
        gb_.push_back(line);
        break;
    case Kind::Neither:
        neither_.push_back(line);
        break;
    }
}

QList<LineFinding> Tally::findings() const {
    QList<LineFinding> found;
    for (int line : neither_)
        found.append({line, u"这一行的字节既不是 UTF-8 也不是 GBK/GB18030，读出来会是乱码"_s});
    // Two encodings in one file: the lines of the smaller part are read wrong.
    if (!utf8_.empty() && !gb_.empty()) {
        const bool utf8Fewer = utf8_.size() < gb_.size();
        for (int line : utf8Fewer ? utf8_ : gb_)
            found.append({line, utf8Fewer ? u"文件混用两种编码：这一行是 UTF-8，文件其余是 GBK/GB18030"_s
                                          : u"文件混用两种编码：这一行是 GBK/GB18030，文件其余是 UTF-8"_s});
    }
    return found;
}

} // namespace encodingcheck
