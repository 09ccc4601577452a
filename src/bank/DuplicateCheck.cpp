// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/DuplicateCheck.h"

namespace duplicatecheck {

namespace {

constexpr int LeftOut = -1;

// The character a question is compared by, or LeftOut.
int comparedUnit(QChar c) {
    char16_t u = c.unicode();
    if (u == u' ' || u == u'\t' || u == 0x3000 || u == 0x00A0)
        return LeftOut;
    if (u >= 0xFF01 && u <= 0xFF5E) // full-width ASCII
        u = static_cast<char16_t>(u - 0xFEE0);
    if (u == u'×')
        u = u'*';
    else if (u == u'÷')
        u = u'/';
    return QChar(u).toLower().unicode();
}

// FNV-1a over 16-bit units, then a final mix so that the low bits a hash table uses spread well.
struct Hash {
    std::uint64_t h = 14695981039346656037ULL;
    void add(char16_t u) { h = (h ^ u) * 1099511628211ULL; }
    std::uint64_t value() const {
        std::uint64_t x = h;
        x ^= x >> 33;
        x *= 0xff51afd7ed558ccdULL;
        x ^= x >> 33;
        return x;
    }
};

} // namespace

QString comparable(QStringView question) {
    QString s;
    s.reserve(question.size());
    for (QChar c : question)
        if (const int u = comparedUnit(c); u != LeftOut)
            s += QChar(static_cast<char16_t>(u));
    return s;
}

std::uint64_t exactHash(QStringView question) {
    Hash hash;
    for (QChar c : question)
        hash.add(c.unicode());
    return hash.value();
}

std::uint64_t comparableHash(QStringView question) {
    Hash hash;
    for (QChar c : question)
        if (const int u = comparedUnit(c); u != LeftOut)
            hash.add(static_cast<char16_t>(u));
    return hash.value();
}

} // namespace duplicatecheck
