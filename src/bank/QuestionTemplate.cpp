// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/QuestionTemplate.h"

#include "bank/ArithmeticCheck.h"
#include "bank/ExactArithmetic.h"

#include <QSet>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

using exactarithmetic::isNamePart;
using exactarithmetic::isNameStart;

// The length of the name at the start of the text, 0 for none.
qsizetype nameLength(QStringView text) {
    if (text.isEmpty() || !isNameStart(text.front()))
        return 0;
    qsizetype n = 1;
    while (n < text.size() && isNamePart(text[n]))
        ++n;
    return n;
}

// The length of "name =" at the start of a brace's inside (a definition), 0 when it is none.
qsizetype definitionHead(QStringView inside) {
    const qsizetype name = nameLength(inside);
    if (name == 0)
        return 0;
    qsizetype i = name;
    while (i < inside.size() && inside[i].isSpace())
        ++i;
    if (i >= inside.size() || (inside[i] != u'=' && inside[i] != u'＝'))
        return 0;
    // "{a==b}" is no definition.
    if (i + 1 < inside.size() && (inside[i + 1] == u'=' || inside[i + 1] == u'＝'))
        return 0;
    return i + 1;
}

// Full-width signs, digits and comparisons as their ASCII forms, 且 and 或 as & and |, blanks dropped:
// the editor writes + - * / = full-width, and authors write either.
QString normalised(QStringView text) {
    QString s;
    s.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (const char16_t ascii = exactarithmetic::asciiForm(c))
            s += QChar(ascii);
        else if (u == u'，' || u == u'、')
            s += u',';
        else if (u == u'：')
            s += u':';
        else if (u == u'＜')
            s += u'<';
        else if (u == u'＞')
            s += u'>';
        else if (u == u'≤')
            s += u"<="_s;
        else if (u == u'≥')
            s += u">="_s;
        else if (u == u'≠')
            s += u"!="_s;
        else if (u == u'且' || u == u'＆')
            s += u'&';
        else if (u == u'或' || u == u'｜')
            s += u'|';
        else if (u == u' ' || u == u'\t' || u == 0x3000)
            continue;
        else
            s += c;
    }
    s.replace(u"&&"_s, u"&"_s);
    s.replace(u"||"_s, u"|"_s);
    s.replace(u"=="_s, u"="_s);
    return s;
}

QStringList namesIn(QStringView text) {
    QStringList names;
    for (qsizetype i = 0; i < text.size();) {
        if (const qsizetype n = nameLength(text.sliced(i)); n > 0 && (i == 0 || !isNamePart(text[i - 1]))) {
            names.append(text.sliced(i, n).toString());
            i += n;
        } else {
            ++i;
        }
    }
    return names;
}

} // namespace

bool QuestionTemplate::defines(QStringView question) {
    for (qsizetype open = question.indexOf(u'{'); open >= 0; open = question.indexOf(u'{', open + 1)) {
        QStringView inside = question.sliced(open + 1);
        if (inside.startsWith(u'#'))
            inside = inside.sliced(1);
        if (definitionHead(inside) > 0)
            return true;
    }
    return false;
}

QuestionTemplate QuestionTemplate::parse(QStringView question, QStringView answer) {
    QuestionTemplate t;
    t.readText(question, t.question_);
    t.readText(answer, t.answer_);
    t.checkNames();
    return t;
}

void QuestionTemplate::readText(QStringView text, QList<Piece> &pieces) {
    const auto literal = [&pieces](QStringView part) {
        if (part.isEmpty())
            return;
        if (!pieces.isEmpty() && !pieces.back().shown)
            pieces.back().text += part;
        else
            pieces.append(Piece{part.toString()});
    };
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype open = text.indexOf(u'{', at);
        if (open < 0) {
            literal(text.sliced(at));
            break;
        }
        literal(text.sliced(at, open - at));
        const qsizetype close = text.indexOf(u'}', open + 1);
        const qsizetype nextOpen = text.indexOf(u'{', open + 1);
        if (close < 0 || (nextOpen >= 0 && nextOpen < close)) {
            faults_.append(u"“%1”的“{”没有配对的“}”"_s.arg(
                text.sliced(open).first(std::min<qsizetype>(12, text.size() - open))));
            literal(text.sliced(open, 1));
            at = open + 1;
            continue;
        }
        readBraces(text.sliced(open + 1, close - open - 1), pieces);
        at = close + 1;
    }
}

void QuestionTemplate::readBraces(QStringView inside, QList<Piece> &pieces) {
    const QStringView trimmed = inside.trimmed();
    if (trimmed.isEmpty()) {
        faults_.append(u"“{}”里什么也没有"_s);
        return;
    }
    if (trimmed.front() == u'?' || trimmed.front() == u'？') {
        conditions_.append(normalised(trimmed.sliced(1)));
        conditionsWritten_.append(trimmed.sliced(1).toString());
        if (conditions_.back().isEmpty())
            faults_.append(u"“{?}”里没有条件"_s);
        return;
    }
    if (trimmed.front() == u'!' || trimmed.front() == u'！') {
        const QStringView option = trimmed.sliced(1).trimmed();
        if (option == u"负数")
            negativeAllowed_ = true;
        else if (option == u"小数" || option == u"分数")
            fractionAllowed_ = true;
        else
            faults_.append(u"不认识的选项“{%1}”（可写 {!负数} 或 {!小数}）"_s.arg(trimmed));
        return;
    }
    const bool hidden = trimmed.front() == u'#';
    const QStringView body = hidden ? trimmed.sliced(1).trimmed() : trimmed;
    const qsizetype head = definitionHead(body);
    if (head == 0) {
        if (hidden)
            faults_.append(u"“{%1}”不是定义（应写成 {#a=2..9}）"_s.arg(trimmed));
        else
            pieces.append(Piece{normalised(body), true});
        return;
    }
    Variable v;
    v.name = body.first(nameLength(body)).toString();
    v.definition = u'{' + trimmed.toString() + u'}';
    const QString definedAs = normalised(body.sliced(head));
    const auto bound = [](const QString &text) {
        Bound b{text, std::nullopt};
        if (namesIn(text).isEmpty())
            b.constant = exactarithmetic::evaluate(text);
        return b;
    };
    if (const qsizetype dots = definedAs.indexOf(u".."_s); dots >= 0) {
        v.kind = Variable::Kind::Range;
        const QString high = definedAs.sliced(dots + 2);
        const qsizetype colon = high.indexOf(u':');
        v.bounds = {bound(definedAs.first(dots)), bound(colon < 0 ? high : high.first(colon))};
        if (colon >= 0)
            v.bounds.append(bound(high.sliced(colon + 1)));
    } else if (definedAs.contains(u',') && !definedAs.contains(u'(')) {
        v.kind = Variable::Kind::List;
        for (const QString &value : definedAs.split(u','))
            v.bounds.append(bound(value));
    } else {
        v.kind = Variable::Kind::Derived;
        v.bounds = {bound(definedAs)};
    }
    for (const Bound &b : v.bounds)
        if (namesIn(b.text).isEmpty() && !b.constant)
            faults_.append(u"“%1”里的“%2”读不出数"_s.arg(v.definition, b.text));
    if (v.kind == Variable::Kind::Range && v.bounds.size() >= 2 && v.bounds[0].constant &&
        v.bounds[1].constant) {
        if (*v.bounds[1].constant < *v.bounds[0].constant)
            faults_.append(
                u"“%1”的范围是空的：%2 比 %3 大"_s.arg(v.definition, v.bounds[0].text, v.bounds[1].text));
        if (v.bounds.size() == 3 && v.bounds[2].constant && *v.bounds[2].constant <= 0)
            faults_.append(u"“%1”的步长应大于 0"_s.arg(v.definition));
    }
    for (const Variable &known : std::as_const(variables_))
        if (known.name == v.name)
            faults_.append(u"“%1”定义了两次"_s.arg(v.name));
    if (!hidden)
        pieces.append(Piece{QString(), true, static_cast<int>(variables_.size())});
    variables_.append(std::move(v));
}

void QuestionTemplate::checkNames() {
    const auto indexOf = [this](const QString &name) {
        for (qsizetype k = 0; k < variables_.size(); ++k)
            if (variables_[k].name == name)
                return k;
        return qsizetype(-1);
    };
    for (qsizetype k = 0; k < variables_.size(); ++k)
        for (const Bound &b : std::as_const(variables_[k].bounds))
            for (const QString &name : namesIn(b.text)) {
                const qsizetype at = indexOf(name);
                if (at < 0)
                    faults_.append(u"“%1”用到的“%2”没有定义"_s.arg(variables_[k].definition, name));
                else if (at >= k)
                    faults_.append(u"“%1”用到的“%2”要在它前面定义"_s.arg(variables_[k].definition, name));
            }
    const auto checkUse = [&](const QString &written, const QString &text) {
        for (const QString &name : namesIn(text))
            if (indexOf(name) < 0)
                faults_.append(u"“%1”用到的“%2”没有定义"_s.arg(written, name));
    };
    for (const QList<Piece> *pieces : {&question_, &answer_})
        for (const Piece &p : *pieces)
            if (p.shown && p.variable < 0)
                checkUse(u'{' + p.text + u'}', p.text);
    for (qsizetype k = 0; k < conditions_.size(); ++k)
        checkUse(u"{?"_s + conditionsWritten_[k] + u'}', conditions_[k]);
    faults_.removeDuplicates();
}

bool QuestionTemplate::conditionHolds(const QString &condition, const Attempt &attempt) const {
    // Conditions are plain mathematics: the rules for printed results do not apply to them.
    const exactarithmetic::Names names{&attempt.values, true, true};
    const auto value = [&names](QStringView side) -> std::optional<mpq_class> {
        const exactarithmetic::Outcome o = exactarithmetic::evaluate(side, names);
        if (o.broken != exactarithmetic::Broken::None)
            return std::nullopt;
        return o.value;
    };
    for (const QString &either : condition.split(u'|')) {
        bool all = true;
        for (const QString &comparison : either.split(u'&')) {
            // A chain a<b<=c holds link by link; a side alone holds when it is not zero.
            QList<QStringView> sides;
            QStringList ops;
            qsizetype start = 0;
            for (qsizetype i = 0; i < comparison.size(); ++i) {
                const QChar c = comparison[i];
                if (c != u'<' && c != u'>' && c != u'=' && c != u'!')
                    continue;
                const bool two = i + 1 < comparison.size() && comparison[i + 1] == u'=' && c != u'=';
                sides.append(QStringView(comparison).sliced(start, i - start));
                ops.append(comparison.sliced(i, two ? 2 : 1));
                i += two ? 1 : 0;
                start = i + 1;
            }
            sides.append(QStringView(comparison).sliced(start));
            if (ops.isEmpty()) {
                const std::optional<mpq_class> v = value(sides[0]);
                all = v && *v != 0;
            }
            for (qsizetype k = 0; all && k < ops.size(); ++k) {
                const std::optional<mpq_class> a = value(sides[k]), b = value(sides[k + 1]);
                if (!a || !b) {
                    all = false;
                    break;
                }
                const int order = cmp(*a, *b);
                const QString &op = ops[k];
                all = op == u"<"    ? order < 0
                      : op == u"<=" ? order <= 0
                      : op == u">"  ? order > 0
                      : op == u">=" ? order >= 0
                      : op == u"="  ? order == 0
                      : op == u"!=" ? order != 0
                                    : false;
            }
            if (!all)
                break;
        }
        if (all)
            return true;
    }
    return false;
}

bool QuestionTemplate::draw(std::mt19937_64 &random, Attempt &attempt) const {
    attempt.values.clear();
    attempt.failed.reset();
    attempt.failedConditions.clear();
    const exactarithmetic::Names plain{&attempt.values, true, true};
    const exactarithmetic::Names ruled{&attempt.values, negativeAllowed_, fractionAllowed_};
    const auto valueOf = [&](const Bound &b,
                             const exactarithmetic::Names &names) -> std::optional<mpq_class> {
        if (b.constant)
            return b.constant;
        const exactarithmetic::Outcome o = exactarithmetic::evaluate(b.text, names);
        if (o.broken != exactarithmetic::Broken::None) {
            attempt.failed = o.broken == exactarithmetic::Broken::Negative   ? Cause::Negative
                             : o.broken == exactarithmetic::Broken::Fraction ? Cause::Fraction
                             : o.broken == exactarithmetic::Broken::ByZero   ? Cause::ByZero
                                                                             : Cause::NotArithmetic;
            return std::nullopt;
        }
        return o.value;
    };
    for (const Variable &v : variables_) {
        std::optional<mpq_class> value;
        if (v.kind == Variable::Kind::Range) {
            const std::optional<mpq_class> low = valueOf(v.bounds[0], plain),
                                           high = valueOf(v.bounds[1], plain);
            const std::optional<mpq_class> step =
                v.bounds.size() > 2 ? valueOf(v.bounds[2], plain) : std::optional<mpq_class>(1);
            if (!low || !high || !step)
                return false;
            if (*step <= 0 || *high < *low) {
                attempt.failed = Cause::EmptyRange;
                return false;
            }
            const mpq_class steps = (*high - *low) / *step;
            mpz_class count;
            mpz_fdiv_q(count.get_mpz_t(), steps.get_num_mpz_t(), steps.get_den_mpz_t());
            const std::uint64_t last = count.fits_ulong_p() ? count.get_ui() : ~std::uint64_t(0) >> 1;
            std::uniform_int_distribution<std::uint64_t> pick(0, last);
            value = *low + *step * mpq_class(mpz_class(static_cast<unsigned long>(pick(random))));
        } else if (v.kind == Variable::Kind::List) {
            std::uniform_int_distribution<qsizetype> pick(0, v.bounds.size() - 1);
            value = valueOf(v.bounds[pick(random)], plain);
        } else {
            value = valueOf(v.bounds[0], ruled);
        }
        if (!value)
            return false;
        value->canonicalize();
        attempt.values.emplace_back(v.name, *value);
    }
    for (qsizetype k = 0; k < conditions_.size(); ++k)
        if (!conditionHolds(conditions_[k], attempt))
            attempt.failedConditions.append(static_cast<int>(k));
    if (!attempt.failedConditions.isEmpty()) {
        attempt.failed = Cause::Condition;
        return false;
    }
    return true;
}

bool QuestionTemplate::print(const QList<Piece> &pieces, Attempt &attempt, QString &out) const {
    const exactarithmetic::Names ruled{&attempt.values, negativeAllowed_, fractionAllowed_};
    for (const Piece &p : pieces) {
        if (!p.shown) {
            out += p.text;
        } else if (p.variable >= 0) {
            out += exactarithmetic::shown(attempt.values[static_cast<size_t>(p.variable)].second);
        } else {
            const exactarithmetic::Outcome o = exactarithmetic::evaluate(p.text, ruled);
            switch (o.broken) {
            case exactarithmetic::Broken::None:
                out += exactarithmetic::shown(o.value);
                continue;
            case exactarithmetic::Broken::Negative:
                attempt.failed = Cause::Negative;
                break;
            case exactarithmetic::Broken::Fraction:
                attempt.failed = Cause::Fraction;
                break;
            case exactarithmetic::Broken::ByZero:
                attempt.failed = Cause::ByZero;
                break;
            case exactarithmetic::Broken::NotArithmetic:
                attempt.failed = Cause::NotArithmetic;
                break;
            }
            return false;
        }
    }
    return true;
}

std::optional<QuestionTemplate::Instance>
QuestionTemplate::instantiate(std::mt19937_64 &random, const std::function<bool(const QString &)> &accept,
                              int attempts) const {
    if (!faults_.isEmpty())
        return std::nullopt;
    Attempt attempt;
    for (int n = 0; n < attempts; ++n) {
        Instance instance;
        if (!draw(random, attempt) || !print(question_, attempt, instance.question) ||
            !print(answer_, attempt, instance.answer))
            continue;
        if (accept && !accept(instance.question))
            continue;
        QStringList values;
        for (const auto &[name, value] : attempt.values)
            values.append(name + u'=' + exactarithmetic::shown(value));
        instance.values = values.join(u'，');
        return instance;
    }
    return std::nullopt;
}

QStringList QuestionTemplate::problems() const {
    if (!faults_.isEmpty())
        return faults_;
    // A fixed seed: the check says the same of the same bank every time.
    std::mt19937_64 random(20261209);
    Attempt attempt;
    QList<int> causes(6, 0);
    QList<int> conditionHeld(conditions_.size(), 0);
    QSet<QString> seen;
    QList<Instance> sample;
    int drawn = 0;
    int tries = 0;
    for (int n = 0; n < SampleDraws && sample.size() < 40; ++n) {
        ++tries;
        Instance instance;
        const bool valuesHold = draw(random, attempt);
        if (!attempt.failed || *attempt.failed == Cause::Condition)
            for (qsizetype k = 0; k < conditions_.size(); ++k)
                if (!attempt.failedConditions.contains(static_cast<int>(k)))
                    ++conditionHeld[k];
        if (valuesHold && print(question_, attempt, instance.question) &&
            print(answer_, attempt, instance.answer)) {
            ++drawn;
            if (!seen.contains(instance.question)) {
                seen.insert(instance.question);
                QStringList values;
                for (const auto &[name, value] : attempt.values)
                    values.append(name + u'=' + exactarithmetic::shown(value));
                instance.values = values.join(u'，');
                sample.append(instance);
            }
        } else if (attempt.failed) {
            ++causes[static_cast<int>(*attempt.failed)];
            // An expression that does not read never will, whatever the values: no more draws.
            if (*attempt.failed == Cause::NotArithmetic && drawn == 0)
                break;
        }
    }
    QStringList found;
    if (drawn == 0) {
        const QString tried = u"模板抽不出题：试了 %1 组数，"_s.arg(tries);
        const auto top =
            static_cast<Cause>(std::max_element(causes.cbegin(), causes.cend()) - causes.cbegin());
        switch (top) {
        case Cause::Condition: {
            QStringList never;
            for (qsizetype k = 0; k < conditions_.size(); ++k)
                if (conditionHeld[k] == 0)
                    never.append(u"“"_s + conditionsWritten_[k] + u"”"_s);
            if (!never.isEmpty())
                found.append(tried + u"条件%1一次也没有成立"_s.arg(never.join(u'、')));
            else
                found.append(tried +
                             u"条件%1不能同时成立"_s.arg(u"“"_s + conditionsWritten_.join(u"”“"_s) + u"”"_s));
            break;
        }
        case Cause::Negative:
            found.append(tried + u"算出的数总是小于 0（要用负数请写 {!负数}）"_s);
            break;
        case Cause::Fraction:
            found.append(tried +
                         u"除法总是除不尽（要用小数或分数请写 {!小数}，要余数请用 商(a,b) 和 余(a,b)）"_s);
            break;
        case Cause::ByZero:
            found.append(tried + u"总是除以 0"_s);
            break;
        case Cause::EmptyRange:
            found.append(tried + u"范围总是空的"_s);
            break;
        case Cause::NotArithmetic:
            found.append(tried + u"算式读不出数"_s);
            break;
        }
        return found;
    }
    // The worked answer, checked as the bank's other answers are, for each instance of the sample.
    for (const Instance &instance : std::as_const(sample)) {
        const QList<arithmeticcheck::Mistake> wrong = arithmeticcheck::mistakes(instance.answer);
        if (!wrong.isEmpty()) {
            found.append(u"模板的答案在 %1 时算错：“%2”左边等于 %3"_s.arg(instance.values, wrong.front().step,
                                                                          wrong.front().expected));
            break;
        }
    }
    return found;
}
