// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/ArithmeticCheck.h"

#include "bank/BankText.h"
#include "bank/TextNormal.h"

#include <gmpxx.h>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace arithmeticcheck {

namespace {

// Full-width digits, signs and parentheses as their ASCII forms; "分之" and "……" kept as they are; the
// punctuation that ends a statement (which arithmetic does not use) as U+0001.
QString normalised(QStringView text) {
    QString s;
    s.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'，' || u == u'；' || u == u'。' || u == u',' || u == u';' || u == u'：' || u == u':' ||
            u == u'\n')
            s += u'\u0001';
        else if (u >= 0xFF10 && u <= 0xFF19)
            s += QChar(u'0' + (u - 0xFF10));
        else if (u == u'＋')
            s += u'+';
        else if (u == u'－' || u == u'−')
            s += u'-';
        else if (u == u'×' || u == u'＊')
            s += u'*';
        else if (u == u'÷' || u == u'／')
            s += u'/';
        else if (u == u'（')
            s += u'(';
        else if (u == u'）')
            s += u')';
        else if (u == u'．')
            s += u'.';
        else if (u == u'％')
            s += u'%';
        else if (u == u'＝')
            s += u'=';
        else if (u == u' ' || u == u'\t' || u == 0x3000)
            continue;
        else
            s += c;
    }
    return s;
}

// A parenthesised group without a digit in it is a unit ("（个）", "(平方米)"): it ends the value before
// it, and the next step may follow at once ("218（人）256＋218＝474").
QString withoutUnits(const QString &s) {
    QString out;
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
    return out;
}

// Recursive descent over one side of a step. Anything it does not know makes the side not arithmetic.
class Parser {
public:
    explicit Parser(QStringView text)
        : t_(text) {}

    std::optional<mpq_class> whole() {
        std::optional<mpq_class> v = expression();
        if (!v || i_ != t_.size())
            return std::nullopt;
        return v;
    }

private:
    bool eat(QChar c) {
        if (i_ < t_.size() && t_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    bool eat(QStringView word) {
        if (t_.sliced(i_).startsWith(word)) {
            i_ += word.size();
            return true;
        }
        return false;
    }

    std::optional<mpq_class> expression() {
        std::optional<mpq_class> v = term();
        while (v) {
            if (eat(u'+')) {
                const std::optional<mpq_class> r = term();
                v = r ? std::optional<mpq_class>(*v + *r) : std::nullopt;
            } else if (eat(u'-')) {
                const std::optional<mpq_class> r = term();
                v = r ? std::optional<mpq_class>(*v - *r) : std::nullopt;
            } else {
                break;
            }
        }
        return v;
    }

    std::optional<mpq_class> term() {
        std::optional<mpq_class> v = factor();
        while (v) {
            if (eat(u'*')) {
                const std::optional<mpq_class> r = factor();
                v = r ? std::optional<mpq_class>(*v * *r) : std::nullopt;
            } else if (eat(u'/')) {
                const std::optional<mpq_class> r = factor();
                if (!r || *r == 0)
                    return std::nullopt; // a division by zero is no step to judge
                v = *v / *r;
            } else {
                break;
            }
        }
        return v;
    }

    std::optional<mpq_class> factor() {
        if (eat(u'-')) {
            const std::optional<mpq_class> v = factor();
            return v ? std::optional<mpq_class>(-*v) : std::nullopt;
        }
        if (eat(u'(')) {
            std::optional<mpq_class> v = expression();
            if (!v || !eat(u')'))
                return std::nullopt;
            return v;
        }
        std::optional<mpq_class> v = number();
        if (!v)
            return std::nullopt;
        if (eat(u"分之"_s)) { // 9分之4: four ninths
            const std::optional<mpq_class> numerator = number();
            if (!numerator || *v == 0)
                return std::nullopt;
            return *numerator / *v;
        }
        if (eat(u'%'))
            return *v / 100;
        return v;
    }

    // Digits with an optional decimal part, exactly.
    std::optional<mpq_class> number() {
        const auto digitAt = [this](qsizetype k) {
            return k < t_.size() && t_[k].unicode() >= u'0' && t_[k].unicode() <= u'9';
        };
        const qsizetype start = i_;
        while (digitAt(i_))
            ++i_;
        if (i_ == start)
            return std::nullopt;
        qsizetype fraction = i_, end = i_;
        if (i_ + 1 < t_.size() && t_[i_] == u'.' && digitAt(i_ + 1)) {
            fraction = ++i_;
            while (digitAt(i_))
                ++i_;
            end = i_;
        }
        const qsizetype places = end - fraction;
        const qsizetype wholeDigits = (fraction == end ? i_ : fraction - 1) - start;
        mpq_class value;
        if (wholeDigits + places <= 18) {
            // The usual number of a primary-school answer: read as a machine integer, no text between.
            unsigned long numerator = 0, denominator = 1;
            for (qsizetype k = start; k < start + wholeDigits; ++k)
                numerator = numerator * 10 + (t_[k].unicode() - u'0');
            for (qsizetype k = fraction; k < end; ++k) {
                numerator = numerator * 10 + (t_[k].unicode() - u'0');
                denominator *= 10;
            }
            mpq_set_ui(value.get_mpq_t(), numerator, denominator);
        } else {
            // Base 10 said outright: GMP's default base takes a leading 0 for octal, which would read
            // 0.25 as 21/100 and throw on 0.8.
            std::string digits = t_.sliced(start, wholeDigits).toString().toStdString();
            mpz_class denominator = 1;
            if (places > 0) {
                digits += t_.sliced(fraction, places).toString().toStdString();
                for (qsizetype k = 0; k < places; ++k)
                    denominator *= 10;
            }
            value = mpq_class(mpz_class(digits, 10), denominator);
        }
        value.canonicalize();
        return value;
    }

    QStringView t_;
    qsizetype i_ = 0;
};

std::optional<mpq_class> evaluate(QStringView side) {
    if (side.isEmpty())
        return std::nullopt;
    return Parser(side).whole();
}

// The shortest decimal or a fraction, for the message.
QString shown(const mpq_class &value) {
    mpq_class v = value;
    v.canonicalize();
    if (v.get_den() == 1)
        return QString::fromStdString(v.get_num().get_str());
    // A finite decimal when the denominator has no prime but 2 and 5.
    mpz_class den = v.get_den();
    int twos = 0, fives = 0;
    while (den % 2 == 0) {
        den /= 2;
        ++twos;
    }
    while (den % 5 == 0) {
        den /= 5;
        ++fives;
    }
    if (den == 1) {
        const int places = std::max(twos, fives);
        mpz_class scale = 1;
        for (int k = 0; k < places; ++k)
            scale *= 10;
        const mpz_class scaled = v.get_num() * scale / v.get_den();
        mpz_class whole = abs(scaled) / scale, part = abs(scaled) % scale;
        QString fraction = QString::fromStdString(part.get_str()).rightJustified(places, u'0');
        return (scaled < 0 ? u"-"_s : QString()) + QString::fromStdString(whole.get_str()) + u'.' + fraction;
    }
    return QString::fromStdString(v.get_num().get_str()) + u'/' +
           QString::fromStdString(v.get_den().get_str());
}

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
    const QString text = withoutUnits(normalised(answer));
    for (const QString &statement : text.split(u'\u0001', Qt::SkipEmptyParts)) {
        // A ratio or a time of day is no arithmetic here.
        if (statement.contains(u'∶') || statement.contains(u'时') || statement.contains(u'点'))
            continue;
        const QStringList sides = statement.split(u'=');
        for (qsizetype i = 0; i + 1 < sides.size(); ++i) {
            const QString &left = sides[i], &right = sides[i + 1];
            if (right.contains(u"……"_s)) {
                if (const std::optional<QString> wrong = remainderMistake(left, right);
                    wrong && !wrong->isEmpty())
                    found.append({shownStep(left, right), *wrong});
                continue;
            }
            const std::optional<mpq_class> a = evaluate(left), b = evaluate(right);
            if (a && b && *a != *b)
                found.append({shownStep(left, right), shown(*a)});
        }
    }
    return found;
}

} // namespace arithmeticcheck
