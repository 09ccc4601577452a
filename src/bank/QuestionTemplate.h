// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <gmpxx.h>
#include <optional>
#include <random>

// A bank line whose numbers are drawn: a question that defines a variable ({a=2..9}) is a template, and
// every other line reads as plain text. In the question and the answer:
//   {a=2..9}      a whole number from 2 to 9, printed where it stands; {a=10..90:10} by steps of ten;
//   {a=3,5,7}     one of the values listed; {a=1..b-1} a range that uses a variable defined before it;
//   {c=a*b}       a value worked out from those before it;
//   {#a=2..9}     the same, printed nowhere;
//   {a} {a+b}     a value or an expression's value, exactly (a whole number, a decimal or 3/4);
//   商(a,b) 余(a,b) the quotient and the remainder of a whole division, inside an expression;
//   {?a>b}        a condition the numbers must meet (< <= > >= = != and 且/或);
//   {!负数} {!小数} results below zero, or quotients that are no whole number, allowed.
// Without {!负数} no difference or result goes below zero, and without {!小数} every division comes out
// whole: a draw that breaks either rule is drawn again, like one that fails a condition.
class QuestionTemplate {
public:
    // Whether the question defines a variable, so the line is a template.
    static bool defines(QStringView question);

    static QuestionTemplate parse(QStringView question, QStringView answer);

    // What makes the template unusable as written: a brace left open, a name used but not defined or
    // defined twice, a range that uses a later variable, an option it does not know.
    const QStringList &faults() const { return faults_; }

    struct Instance {
        QString question;
        QString answer;
        QString values; // "a=3，b=5", for messages
    };
    // Values drawn until the conditions and rules hold and `accept` (when given) takes the question;
    // none after `attempts` draws.
    std::optional<Instance> instantiate(std::mt19937_64 &random,
                                        const std::function<bool(const QString &question)> &accept = {},
                                        int attempts = 1000) const;

    // The faults, or else what a sample of draws shows: conditions that never hold together, rules no
    // draw meets, worked answers whose arithmetic is wrong for some values.
    QStringList problems() const;

    static constexpr int SampleDraws = 2000;

private:
    struct Bound {
        QString text;                      // in ASCII form
        std::optional<mpq_class> constant; // where it uses no name
    };
    struct Variable {
        QString name;
        enum class Kind { Range, List, Derived } kind = Kind::Range;
        QList<Bound> bounds; // low, high[, step] | the values | the expression
        QString definition;  // as written, for messages
    };
    struct Piece {
        QString text; // literal text, or the expression to print
        bool shown = false;
        int variable = -1; // a definition printed where it stands
    };
    enum class Cause { Condition, Negative, Fraction, ByZero, EmptyRange, NotArithmetic };
    struct Attempt {
        std::vector<std::pair<QString, mpq_class>> values;
        std::optional<Cause> failed;
        QList<int> failedConditions;
    };

    void readText(QStringView text, QList<Piece> &pieces);
    void readBraces(QStringView inside, QList<Piece> &pieces);
    void checkNames();
    bool draw(std::mt19937_64 &random, Attempt &attempt) const;
    bool print(const QList<Piece> &pieces, Attempt &attempt, QString &out) const;
    bool conditionHolds(const QString &condition, const Attempt &attempt) const;

    QList<Variable> variables_;
    QList<Piece> question_, answer_;
    QStringList conditions_;        // normalised
    QStringList conditionsWritten_; // as written
    bool negativeAllowed_ = false, fractionAllowed_ = false;
    QStringList faults_;
};
