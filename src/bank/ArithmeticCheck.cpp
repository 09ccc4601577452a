// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/ArithmeticCheck.h"

#include "bank/BankText.h"
#include "bank/ExactArithmetic.h"
#include "bank/TextNormal.h"

#include <gmpxx.h>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace arithmeticcheck {

namespace {

// Full-width digits, signs and parentheses as their ASCII forms; "分之" and "……" kept as they are; the
// punctuation that ends a statement (which arithmetic does not use) as U+0001.
void normalise(QStringView text, QString &s) {
    s.resize(0); // the buffer's room stays for the next answer
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'，' || u == u'；' || u == u'。' || u == u',' || u == u';' || u == u'：' || u == u':' ||
            u == u'\n')
            s += u'\u0001';
        else if (const char16_t ascii = exactarithmetic::asciiForm(c))
            s += QChar(ascii);
        else if (u == u' ' || u == u'\t' || u == 0x3000)
            continue;
        else
            s += c;
    }
}

// A parenthesised group without a digit in it is a unit ("（个）", "(平方米)"): it ends the value before
// it, and the next step may follow at once ("218（人）256＋218＝474").
void dropUnits(const QString &s, QString &out) {
    out.resize(0);
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'(') {
            const qsizetype close = s.indexOf(u')', i);
            if (close > i) {
                const QStringView inside = QStringView(s).sliced(i + 1, close - i - 1);
                bool digit = false;
                for (QChar c : inside)
                    digit = digit || c.isDigit() || c == u'(';
                if (!digit) {
                    // "7（袋）……2（个）": the remainder belongs to the same step.
                    if (!QStringView(s).sliced(close + 1).startsWith(u"……"))
                        out += u'\u0001';
                    i = close;
                    continue;
                }
            }
        }
        out += s[i];
    }
}

std::optional<mpq_class> evaluate(QStringView side) {
    return exactarithmetic::evaluate(side);
}

using exactarithmetic::shown;

// A side "q……r" with a division on the other side: the quotient and remainder of whole numbers.
std::optional<QString> remainderMistake(QStringView left, QStringView right) {
    const qsizetype dots = right.indexOf(u"……"_s);
    if (dots < 0)
        return std::nullopt;
    const std::optional<mpq_class> q = evaluate(right.first(dots)), r = evaluate(right.sliced(dots + 2));
    const qsizetype slash = left.lastIndexOf(u'/');
    if (!q || !r || slash <= 0)
        return std::nullopt;
    const std::optional<mpq_class> a = evaluate(left.first(slash)), b = evaluate(left.sliced(slash + 1));
    if (!a || !b || a->get_den() != 1 || b->get_den() != 1 || *b == 0)
        return std::nullopt;
    const mpz_class quotient = a->get_num() / b->get_num();
    const mpz_class rest = a->get_num() - quotient * b->get_num();
    if (*q == mpq_class(quotient) && *r == mpq_class(rest))
        return QString();
    return QString::fromStdString(quotient.get_str()) + u"……"_s + QString::fromStdString(rest.get_str());
}

// A step as the bank writes it: full-width signs.
QString shownStep(const QString &left, const QString &right) {
    QString step = textnormal::fullWidthSigns(left + u'=' + right);
    step.replace(u'(', u'（');
    step.replace(u')', u'）');
    return step;
}

} // namespace

QList<Mistake> mistakes(QStringView answer) {
    QList<Mistake> found;
    // Statements end at punctuation that arithmetic does not use.
    // Two buffers a thread keeps: a bank of a million answers allocates them once.
    thread_local QString normalised, text;
    normalise(answer, normalised);
    dropUnits(normalised, text);
    const QStringView all(text);
    for (qsizetype from = 0; from < all.size();) {
        qsizetype to = all.indexOf(u'\u0001', from);
        if (to < 0)
            to = all.size();
        const QStringView statement = all.sliced(from, to - from);
        from = to + 1;
        // A ratio or a time of day is no arithmetic here.
        if (statement.isEmpty() || statement.contains(u'∶') || statement.contains(u'时') ||
            statement.contains(u'点'))
            continue;
        // Each link of a chain a=b=c: its left side ends where its right side starts.
        qsizetype leftStart = 0;
        qsizetype equals = statement.indexOf(u'=');
        while (equals >= 0) {
            const qsizetype next = statement.indexOf(u'=', equals + 1);
            const QStringView left = statement.sliced(leftStart, equals - leftStart);
            const QStringView right =
                statement.sliced(equals + 1, (next < 0 ? statement.size() : next) - equals - 1);
            leftStart = equals + 1;
            equals = next;
            if (right.contains(u"……"_s)) {
                if (const std::optional<QString> wrong = remainderMistake(left, right);
                    wrong && !wrong->isEmpty())
                    found.append({shownStep(left.toString(), right.toString()), *wrong});
                continue;
            }
            // Machine integers first; GMP only for a value past 64 bits, and for the message of a mistake.
            bool leftLarge = false, rightLarge = false;
            const std::optional<exactarithmetic::SmallRational> a = exactarithmetic::evaluateSmall(
                                                                    left, &leftLarge),
                                                                b = exactarithmetic::evaluateSmall(
                                                                    right, &rightLarge);
            if (!leftLarge && !rightLarge && (!a || !b || *a == *b))
                continue;
            const std::optional<mpq_class> exactA = evaluate(left), exactB = evaluate(right);
            if (exactA && exactB && *exactA != *exactB)
                found.append({shownStep(left.toString(), right.toString()), shown(*exactA)});
        }
    }
    return found;
}

} // namespace arithmeticcheck
