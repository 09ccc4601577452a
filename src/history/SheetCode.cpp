// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/SheetCode.h"

#include <QList>
#include <QRandomGenerator>

using namespace Qt::Literals::StringLiterals;

namespace sheetcode {

namespace {

constexpr char16_t Alphabet[] = u"23456789ABCDEFGHJKLMNPQRSTUVWXYZ";
constexpr int Base = 32;
constexpr int PayloadLength = 5;

int valueOf(QChar c) {
    for (int i = 0; i < Base; ++i)
        if (Alphabet[i] == c.unicode())
            return i;
    return -1;
}

// Luhn mod N: every single wrong character and most swaps of neighbours change the check.
int checkValue(const QList<int> &values) {
    int sum = 0;
    bool twice = true; // the rightmost payload character is doubled
    for (qsizetype i = values.size() - 1; i >= 0; --i) {
        int addend = values[i] * (twice ? 2 : 1);
        addend = addend / Base + addend % Base;
        sum += addend;
        twice = !twice;
    }
    return (Base - sum % Base) % Base;
}

QString formatted(const QList<int> &values) {
    QString code;
    for (int v : values)
        code += QChar(Alphabet[v]);
    code += QChar(Alphabet[checkValue(values)]);
    return code.left(4) + u'-' + code.mid(4);
}

} // namespace

QString make() {
    QList<int> values;
    for (int i = 0; i < PayloadLength; ++i)
        values.append(static_cast<int>(QRandomGenerator::global()->bounded(Base)));
    return formatted(values);
}

std::optional<QString> parse(const QString &typed) {
    QString plain = typed.toUpper();
    plain.remove(u'-');
    plain.remove(u' ');
    if (plain.size() != PayloadLength + 1)
        return std::nullopt;
    QList<int> values;
    for (QChar c : plain) {
        const int v = valueOf(c);
        if (v < 0)
            return std::nullopt;
        values.append(v);
    }
    const int check = values.takeLast();
    if (checkValue(values) != check)
        return std::nullopt;
    return formatted(values);
}

} // namespace sheetcode
