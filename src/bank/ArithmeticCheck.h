// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// The arithmetic of a worked answer, checked exactly: every step "expression ＝ value" whose two sides
// are arithmetic (whole numbers, decimals, fractions written 9分之4 or 4/9, percentages, ＋ － × ÷ and
// both kinds of parentheses, a remainder written ……) is evaluated in rational numbers, and chains
// a＝b＝c are checked link by link. Units in parentheses after a value are ignored; a step that is not
// arithmetic (times of day, ratios with ∶, words) is skipped, never reported.
namespace arithmeticcheck {

struct Mistake {
    QString step;     // the link as written, "7＋2＝10"
    QString expected; // what its left side comes to, "9"
};

QList<Mistake> mistakes(QStringView answer);

} // namespace arithmeticcheck
