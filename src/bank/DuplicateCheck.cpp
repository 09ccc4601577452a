// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/DuplicateCheck.h"

namespace duplicatecheck {

QString comparable(QStringView question) {
    QString s;
    s.reserve(question.size());
    for (QChar c : question) {
        char16_t u = c.unicode();
        if (u == u' ' || u == u'\t' || u == 0x3000 || u == 0x00A0)
            continue;
        if (u >= 0xFF01 && u <= 0xFF5E) // full-width ASCII
            u = static_cast<char16_t>(u - 0xFEE0);
        if (u == u'×')
            u = u'*';
        else if (u == u'÷')
            u = u'/';
        s += QChar(u).toLower();
    }
    return s;
}

} // namespace duplicatecheck
