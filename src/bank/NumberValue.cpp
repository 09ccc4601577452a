// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/NumberValue.h"

#include <cmath>
#include <limits>

double numberValue(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;

    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }

    double value = 0;
    bool anyDigit = false;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
        value = value * 10 + (text[i].unicode() - u'0');
        anyDigit = true;
        ++i;
    }
    if (i < n && text[i] == u'.') {
        ++i;
        double scale = 0.1;
        while (i < n && text[i] >= u'0' && text[i] <= u'9') {
            value += (text[i].unicode() - u'0') * scale;
            scale /= 10;
            anyDigit = true;
            ++i;
        }
    }
    if (!anyDigit)
        return 0;
    return negative ? -value : value;
}

int integerValue(QStringView text) {
    const double whole = std::trunc(numberValue(text));
    if (whole >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (whole <= std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(whole);
}
