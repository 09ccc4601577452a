// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <gmpxx.h>
#include <optional>
#include <utility>
#include <vector>

// Arithmetic in rational numbers over text in ASCII form (+ - * / and parentheses, whole numbers and
// decimals, 9分之4 for four ninths, a percentage with %). The worked answers' check reads one side of a
// step with it; a question template reads its expressions with it, where names stand for the values
// drawn and 商(a,b) and 余(a,b) give a whole division's quotient and remainder.
namespace exactarithmetic {

// The ASCII form of a full-width digit, sign or parenthesis as bank texts write them (＋ － − × ＊ ÷ ／
// （ ） ． ％ ＝), or 0 for any other character.
char16_t asciiForm(QChar c);
// A template's names: a Latin letter or _, then letters, digits and _.
bool isNameStart(QChar c);
bool isNamePart(QChar c);

// The value of a side, or none when anything in it is not arithmetic (or divides by zero).
std::optional<mpq_class> evaluate(QStringView side);

// A rational whose numerator and denominator fit machine integers: the values of nearly every worked
// answer, reckoned without GMP's allocations.
struct SmallRational {
    std::int64_t numerator = 0;
    std::int64_t denominator = 1; // > 0, and the fraction in lowest terms
    friend bool operator==(const SmallRational &, const SmallRational &) = default;
};

// The same reading as evaluate(side), in machine integers: the value, none when the side is not
// arithmetic, or (tooLarge set) none because a value outgrew 64 bits, when only evaluate() can tell.
std::optional<SmallRational> evaluateSmall(QStringView side, bool *tooLarge);

// The names a template's expression may use, with what it refuses of its results.
struct Names {
    const std::vector<std::pair<QString, mpq_class>> *values = nullptr;
    bool negativeAllowed = false; // a difference or a result below zero
    bool fractionAllowed = false; // a quotient that is no whole number
};

enum class Broken {
    None,
    NotArithmetic, // a sign or a name it does not know
    Negative,
    Fraction,
    ByZero,
};

struct Outcome {
    mpq_class value;
    Broken broken = Broken::None;
};

Outcome evaluate(QStringView expression, const Names &names);

// The value as a sheet prints it: a whole number, the shortest decimal, or else a fraction "4/9".
QString shown(const mpq_class &value);

} // namespace exactarithmetic
