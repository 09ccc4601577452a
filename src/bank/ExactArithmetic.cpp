// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/ExactArithmetic.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace exactarithmetic {

bool isNameStart(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || u == u'_';
}

bool isNamePart(QChar c) {
    return isNameStart(c) || (c.unicode() >= u'0' && c.unicode() <= u'9');
}

char16_t asciiForm(QChar c) {
    const char16_t u = c.unicode();
    if (u >= 0xFF10 && u <= 0xFF19)
        return static_cast<char16_t>(u'0' + (u - 0xFF10));
    switch (u) {
    case u'＋':
        return u'+';
    case u'－':
    case u'−':
        return u'-';
    case u'×':
    case u'＊':
        return u'*';
    case u'÷':
    case u'／':
        return u'/';
    case u'（':
        return u'(';
    case u'）':
        return u')';
    case u'．':
        return u'.';
    case u'％':
        return u'%';
    case u'＝':
        return u'=';
    default:
        return 0;
    }
}

namespace {

// Where a number's digits stand in a text: the whole part from `start`, the decimal places from
// `fraction` on. Both readers of numbers take them so.
struct Digits {
    qsizetype start = 0, wholeDigits = 0, fraction = 0, places = 0;

    // The value as numerator and a power of ten, when it has 18 digits or fewer (so it fits 64 bits).
    std::optional<std::pair<std::uint64_t, std::uint64_t>> machineValue(QStringView t) const {
        if (wholeDigits + places > 18)
            return std::nullopt;
        std::uint64_t numerator = 0, denominator = 1;
        for (qsizetype k = start; k < start + wholeDigits; ++k)
            numerator = numerator * 10 + (t[k].unicode() - u'0');
        for (qsizetype k = fraction; k < fraction + places; ++k) {
            numerator = numerator * 10 + (t[k].unicode() - u'0');
            denominator *= 10;
        }
        return std::pair{numerator, denominator};
    }
};

// Digits with an optional decimal part at i, which moves past them; none when no digit stands there.
std::optional<Digits> scanDigits(QStringView t, qsizetype &i) {
    const auto digitAt = [t](qsizetype k) {
        return k < t.size() && t[k].unicode() >= u'0' && t[k].unicode() <= u'9';
    };
    Digits n;
    n.start = i;
    while (digitAt(i))
        ++i;
    if (i == n.start)
        return std::nullopt;
    n.wholeDigits = i - n.start;
    n.fraction = i;
    if (i + 1 < t.size() && t[i] == u'.' && digitAt(i + 1)) {
        n.fraction = ++i;
        while (digitAt(i))
            ++i;
        n.places = i - n.fraction;
    }
    return n;
}

// Recursive descent over one side or expression. Anything it does not know makes the whole not
// arithmetic; with names, a result the template refuses ends it as well, with the reason kept.
class Parser {
public:
    Parser(QStringView text, const Names *names)
        : t_(text)
        , names_(names) {}

    std::optional<mpq_class> whole() {
        std::optional<mpq_class> v = expression();
        if (!v || i_ != t_.size()) {
            if (broken_ == Broken::None)
                broken_ = Broken::NotArithmetic;
            return std::nullopt;
        }
        if (names_ && !names_->negativeAllowed && *v < 0)
            return fail(Broken::Negative);
        return v;
    }

    Broken broken() const { return broken_; }

private:
    std::optional<mpq_class> fail(Broken why) {
        if (broken_ == Broken::None)
            broken_ = why;
        return std::nullopt;
    }

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
                if (!r)
                    return std::nullopt;
                v = *v - *r;
                // A pupil's subtraction never goes below zero, unless the template says it may.
                if (names_ && !names_->negativeAllowed && *v < 0)
                    return fail(Broken::Negative);
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
                if (!r)
                    return std::nullopt;
                if (*r == 0)
                    return fail(Broken::ByZero); // a division by zero is no step to judge
                v = *v / *r;
                if (names_ && !names_->fractionAllowed && v->get_den() != 1)
                    return fail(Broken::Fraction);
            } else {
                break;
            }
        }
        return v;
    }

    std::optional<mpq_class> factor() {
        if (eat(u'-')) {
            const std::optional<mpq_class> v = factor();
            if (v && names_ && !names_->negativeAllowed && *v > 0)
                return fail(Broken::Negative);
            return v ? std::optional<mpq_class>(-*v) : std::nullopt;
        }
        if (eat(u'(')) {
            std::optional<mpq_class> v = expression();
            if (!v || !eat(u')'))
                return std::nullopt;
            return v;
        }
        if (names_) {
            if (eat(u"商(") || eat(u"余(")) {
                const bool quotient = t_[i_ - 2] == u'商';
                return wholeDivision(quotient);
            }
            if (i_ < t_.size() && isNameStart(t_[i_]))
                return name();
        }
        std::optional<mpq_class> v = number();
        if (!v)
            return std::nullopt;
        if (eat(u"分之"_s)) { // 9分之4: four ninths
            const std::optional<mpq_class> numerator = number();
            if (!numerator)
                return std::nullopt;
            if (*v == 0)
                return fail(Broken::ByZero);
            return *numerator / *v;
        }
        if (eat(u'%'))
            return *v / 100;
        return v;
    }

    // 商(a,b) or 余(a,b), after its opening parenthesis: the division of whole numbers with a remainder.
    std::optional<mpq_class> wholeDivision(bool quotient) {
        const std::optional<mpq_class> a = expression();
        if (!a || !eat(u','))
            return std::nullopt;
        const std::optional<mpq_class> b = expression();
        if (!b || !eat(u')'))
            return std::nullopt;
        if (a->get_den() != 1 || b->get_den() != 1)
            return fail(Broken::Fraction);
        if (*b == 0)
            return fail(Broken::ByZero);
        mpz_class q, r;
        mpz_fdiv_qr(q.get_mpz_t(), r.get_mpz_t(), a->get_num().get_mpz_t(), b->get_num().get_mpz_t());
        return mpq_class(quotient ? q : r);
    }

    std::optional<mpq_class> name() {
        const qsizetype start = i_;
        while (i_ < t_.size() && isNamePart(t_[i_]))
            ++i_;
        const QStringView word = t_.sliced(start, i_ - start);
        if (names_->values)
            for (const auto &[known, value] : *names_->values)
                if (known == word)
                    return value;
        return fail(Broken::NotArithmetic);
    }

    // Digits with an optional decimal part, exactly.
    std::optional<mpq_class> number() {
        const std::optional<Digits> n = scanDigits(t_, i_);
        if (!n)
            return std::nullopt;
        mpq_class value;
        if (const std::optional<std::pair<std::uint64_t, std::uint64_t>> small = n->machineValue(t_)) {
            // The usual number of a primary-school answer: read as a machine integer, no text between.
            mpq_set_ui(value.get_mpq_t(), small->first, small->second);
        } else {
            // Base 10 said outright: GMP's default base takes a leading 0 for octal, which would read
            // 0.25 as 21/100 and throw on 0.8.
            std::string digits = t_.sliced(n->start, n->wholeDigits).toString().toStdString();
            mpz_class denominator = 1;
            if (n->places > 0) {
                digits += t_.sliced(n->fraction, n->places).toString().toStdString();
                for (qsizetype k = 0; k < n->places; ++k)
                    denominator *= 10;
            }
            value = mpq_class(mpz_class(digits, 10), denominator);
        }
        value.canonicalize();
        return value;
    }

    QStringView t_;
    const Names *names_;
    qsizetype i_ = 0;
    Broken broken_ = Broken::None;
};

// The grammar of Parser without names, over SmallRational: +, -, *, / and parentheses, numbers with
// decimals, 9分之4 and %. Every operation is done in 128 bits and brought to lowest terms; a result that no
// longer fits 64 bits stops the reading with tooLarge set.
class SmallParser {
public:
    explicit SmallParser(QStringView text)
        : t_(text) {}

    std::optional<SmallRational> whole() {
        std::optional<SmallRational> v = expression();
        if (!v || i_ != t_.size())
            return std::nullopt;
        return v;
    }

    bool tooLarge = false;

private:
    // GCC's 128-bit integers: no product of two 64-bit values overflows them.
    __extension__ typedef __int128 Wide;
    __extension__ typedef unsigned __int128 UWide;

    static UWide gcd(UWide a, UWide b) {
        while (b != 0) {
            const UWide r = a % b;
            a = b;
            b = r;
        }
        return a;
    }

    // numerator / denominator (denominator != 0) in lowest terms, if it fits.
    std::optional<SmallRational> make(Wide numerator, Wide denominator) {
        if (denominator < 0) {
            numerator = -numerator;
            denominator = -denominator;
        }
        const UWide magnitude =
            numerator < 0 ? static_cast<UWide>(-numerator) : static_cast<UWide>(numerator);
        const UWide g = gcd(magnitude, static_cast<UWide>(denominator));
        if (g > 1) {
            numerator /= static_cast<Wide>(g);
            denominator /= static_cast<Wide>(g);
        }
        constexpr Wide limit = INT64_MAX;
        if (numerator > limit || numerator < -limit || denominator > limit) {
            tooLarge = true;
            return std::nullopt;
        }
        return SmallRational{static_cast<std::int64_t>(numerator), static_cast<std::int64_t>(denominator)};
    }

    std::optional<SmallRational> add(const SmallRational &a, const SmallRational &b, int sign) {
        return make(Wide(a.numerator) * b.denominator + sign * (Wide(b.numerator) * a.denominator),
                    Wide(a.denominator) * b.denominator);
    }
    std::optional<SmallRational> multiply(const SmallRational &a, const SmallRational &b) {
        return make(Wide(a.numerator) * b.numerator, Wide(a.denominator) * b.denominator);
    }
    std::optional<SmallRational> divide(const SmallRational &a, const SmallRational &b) {
        return make(Wide(a.numerator) * b.denominator, Wide(a.denominator) * b.numerator);
    }

    bool eat(char16_t c) {
        if (i_ < t_.size() && t_[i_].unicode() == c) {
            ++i_;
            return true;
        }
        return false;
    }
    bool eatFenZhi() {
        if (i_ + 1 < t_.size() && t_[i_] == u'分' && t_[i_ + 1] == u'之') {
            i_ += 2;
            return true;
        }
        return false;
    }

    std::optional<SmallRational> expression() {
        std::optional<SmallRational> v = term();
        while (v) {
            if (eat(u'+') || eat(u'-')) {
                const int sign = t_[i_ - 1] == u'+' ? 1 : -1;
                const std::optional<SmallRational> r = term();
                v = r ? add(*v, *r, sign) : std::nullopt;
            } else {
                break;
            }
        }
        return v;
    }

    std::optional<SmallRational> term() {
        std::optional<SmallRational> v = factor();
        while (v) {
            if (eat(u'*')) {
                const std::optional<SmallRational> r = factor();
                v = r ? multiply(*v, *r) : std::nullopt;
            } else if (eat(u'/')) {
                const std::optional<SmallRational> r = factor();
                if (!r || r->numerator == 0)
                    return std::nullopt;
                v = divide(*v, *r);
            } else {
                break;
            }
        }
        return v;
    }

    std::optional<SmallRational> factor() {
        if (eat(u'-')) {
            const std::optional<SmallRational> v = factor();
            return v ? std::optional<SmallRational>(SmallRational{-v->numerator, v->denominator})
                     : std::nullopt;
        }
        if (eat(u'(')) {
            std::optional<SmallRational> v = expression();
            if (!v || !eat(u')'))
                return std::nullopt;
            return v;
        }
        std::optional<SmallRational> v = number();
        if (!v)
            return std::nullopt;
        if (eatFenZhi()) {
            const std::optional<SmallRational> numerator = number();
            if (!numerator || v->numerator == 0)
                return std::nullopt;
            return divide(*numerator, *v);
        }
        if (eat(u'%'))
            return make(v->numerator, Wide(v->denominator) * 100);
        return v;
    }

    std::optional<SmallRational> number() {
        const std::optional<Digits> n = scanDigits(t_, i_);
        if (!n)
            return std::nullopt;
        const std::optional<std::pair<std::uint64_t, std::uint64_t>> value = n->machineValue(t_);
        if (!value) {
            tooLarge = true;
            return std::nullopt;
        }
        return make(static_cast<Wide>(value->first), static_cast<Wide>(value->second));
    }

    QStringView t_;
    qsizetype i_ = 0;
};

} // namespace

std::optional<SmallRational> evaluateSmall(QStringView side, bool *tooLarge) {
    *tooLarge = false;
    if (side.isEmpty())
        return std::nullopt;
    SmallParser parser(side);
    std::optional<SmallRational> value = parser.whole();
    // A reading that outgrew 64 bits anywhere is GMP's to finish, even where it then failed on a sign.
    *tooLarge = parser.tooLarge;
    return parser.tooLarge ? std::nullopt : value;
}

std::optional<mpq_class> evaluate(QStringView side) {
    if (side.isEmpty())
        return std::nullopt;
    return Parser(side, nullptr).whole();
}

Outcome evaluate(QStringView expression, const Names &names) {
    Parser parser(expression, &names);
    const std::optional<mpq_class> value = expression.isEmpty() ? std::nullopt : parser.whole();
    if (!value)
        return Outcome{mpq_class(),
                       parser.broken() == Broken::None ? Broken::NotArithmetic : parser.broken()};
    return Outcome{*value, Broken::None};
}

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

} // namespace exactarithmetic
