// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/DuplicateCheck.h"

#include "bank/TextNormal.h"

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
    textnormal::TextHash hash;
    for (QChar c : question)
        hash.add(c.unicode());
    return hash.value();
}

std::uint64_t comparableHash(QStringView question) {
    textnormal::TextHash hash;
    for (QChar c : question)
        if (const int u = comparedUnit(c); u != LeftOut)
            hash.add(static_cast<char16_t>(u));
    return hash.value();
}

} // namespace duplicatecheck
