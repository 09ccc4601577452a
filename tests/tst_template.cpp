// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/ArithmeticCheck.h"
#include "bank/BankRecord.h"
#include "bank/QuestionTemplate.h"
#include "editor/EditorEntry.h"

#include <QRegularExpression>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

// Questions whose numbers are drawn: which lines are templates, what an instance prints, the rules its
// results keep, and what the check says of a template that cannot work.
class TestTemplate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void whichLinesAreTemplates_data();
    void whichLinesAreTemplates();
    void instancesAreExactAndReproducible_data();
    void instancesAreExactAndReproducible();
    void resultsKeepThePupilsRules_data();
    void resultsKeepThePupilsRules();
    void faultsAreNamed_data();
    void faultsAreNamed();
    void acceptChoosesAmongInstances();
    void plainLineReadsAsBefore();
    void editorRefusesABrokenTemplate();
};

void TestTemplate::whichLinesAreTemplates_data() {
    QTest::addColumn<QString>("question");
    QTest::addColumn<bool>("isTemplate");
    QTest::newRow("no brace") << u"小明有5元，又得3元，一共多少元？"_s << false;
    QTest::newRow("a set in braces") << u"集合{1,2,3}有几个元素？"_s << false;
    QTest::newRow("a name alone") << u"在{a}里填数"_s << false;
    QTest::newRow("a comparison") << u"{a==b}成立吗"_s << false;
    QTest::newRow("empty braces") << u"{}"_s << false;
    QTest::newRow("a range") << u"小明有{a=2..9}元"_s << true;
    QTest::newRow("full-width equals") << u"小明有{a＝2..9}元"_s << true;
    QTest::newRow("hidden") << u"{#n=2..9}个"_s << true;
    QTest::newRow("after a plain brace") << u"{x}和{y=1,2}"_s << true;
}

void TestTemplate::whichLinesAreTemplates() {
    QFETCH(QString, question);
    QFETCH(bool, isTemplate);
    QCOMPARE(QuestionTemplate::defines(question), isTemplate);
}

void TestTemplate::instancesAreExactAndReproducible_data() {
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("questionPattern");
    QTest::newRow("sum") << u"小明有{a=2..9}元，又得{b=2..9}元，一共多少元？"_s << u"{a}＋{b}＝{a+b}（元）"_s
                         << u"^小明有[2-9]元，又得[2-9]元，一共多少元？$"_s;
    QTest::newRow("difference with a condition")
        << u"树上有{a=10..20}只鸟，飞走了{b=2..9}只，还剩几只？{?a-b>5}"_s << u"{a}－{b}＝{a-b}（只）"_s
        << u"^树上有\\d+只鸟，飞走了[2-9]只，还剩几只？$"_s;
    QTest::newRow("remainder") << u"{n=10..50}个桃，每盘放{k=3..6}个，能放几盘，还剩几个？{?余(n,k)>0}"_s
                               << u"{n}÷{k}＝{商(n,k)}（盘）……{余(n,k)}（个）"_s
                               << u"^\\d+个桃，每盘放[3-6]个"_s;
    QTest::newRow("steps and a list") << u"每箱{p=10..90:10}瓶，{q=2,4,8}箱共几瓶？"_s
                                      << u"{p}×{q}＝{p*q}（瓶）"_s << u"^每箱[1-9]0瓶，[248]箱共几瓶？$"_s;
    QTest::newRow("hidden product divided")
        << u"{#x=2..9}{#y=2..9}{s=x*y}块糖平均分给{x}人，每人几块？"_s << u"{s}÷{x}＝{y}（块）"_s
        << u"^\\d+块糖平均分给[2-9]人，每人几块？$"_s;
    QTest::newRow("dependent range") << u"{a=5..9}减去{b=1..a-1}"_s << u"{a}－{b}＝{a-b}"_s
                                     << u"^[5-9]减去[1-8]$"_s;
    QTest::newRow("decimals allowed") << u"{a=1..9}元平均分给{b=2,4}人{!小数}"_s << u"{a}÷{b}＝{a/b}（元）"_s
                                      << u"^[1-9]元平均分给[24]人$"_s;
    QTest::newRow("full-width signs from the editor")
        << u"{a＝2..9}加{b＝2..9}"_s << u"{a}＋{b}＝{a＋b}"_s << u"^[2-9]加[2-9]$"_s;
}

void TestTemplate::instancesAreExactAndReproducible() {
    QFETCH(QString, question);
    QFETCH(QString, answer);
    QFETCH(QString, questionPattern);
    const QuestionTemplate t = QuestionTemplate::parse(question, answer);
    QVERIFY2(t.problems().isEmpty(), qPrintable(t.problems().join(u'\n')));
    std::mt19937_64 first(7), second(7);
    QSet<QString> distinct;
    for (int i = 0; i < 200; ++i) {
        const std::optional<QuestionTemplate::Instance> a = t.instantiate(first);
        const std::optional<QuestionTemplate::Instance> b = t.instantiate(second);
        QVERIFY(a && b);
        // The same seed gives the same instances, in the same order.
        QCOMPARE(a->question, b->question);
        QCOMPARE(a->answer, b->answer);
        QVERIFY2(QRegularExpression(questionPattern).match(a->question).hasMatch(), qPrintable(a->question));
        QVERIFY(!a->answer.contains(u'{'));
        // Every worked answer checks out exactly.
        QVERIFY2(arithmeticcheck::mistakes(a->answer).isEmpty(), qPrintable(a->answer));
        distinct.insert(a->question);
    }
    QVERIFY(distinct.size() > 1);
}

void TestTemplate::resultsKeepThePupilsRules_data() {
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("mustHold"); // a regular expression every answer matches
    // where its first two numbers are captured: the first is never below the second
    QTest::addColumn<bool>("ordered");
    // Without {!负数} a difference below zero is drawn again, so every answer's result is at least 0.
    QTest::newRow("no negative difference")
        << u"{a=1..9}和{b=1..9}"_s << u"{a}－{b}＝{a-b}"_s << u"＝\\d+$"_s << false;
    QTest::newRow("no negative inside") << u"{a=1..9}{b=1..9}{c=1..9}"_s << u"{a}－{b}＋{c}＝{a-b+c}"_s
                                        << u"^(\\d)－(\\d)＋\\d＝\\d+$"_s << true;
    QTest::newRow("negatives allowed")
        << u"{a=1..3}{b=5..9}{!负数}"_s << u"{a}－{b}＝{a-b}"_s << u"＝-\\d$"_s << false;
    // Without {!小数} a division comes out whole.
    QTest::newRow("whole division") << u"{a=1..30}÷{b=2..5}"_s << u"{a}÷{b}＝{a/b}"_s << u"＝\\d+$"_s
                                    << false;
    QTest::newRow("fractions allowed")
        << u"{a=1..2}÷3{!分数}"_s << u"{a}÷3＝{a/3}"_s << u"＝[12]/3$"_s << false;
}

void TestTemplate::resultsKeepThePupilsRules() {
    QFETCH(QString, question);
    QFETCH(QString, answer);
    QFETCH(QString, mustHold);
    QFETCH(bool, ordered);
    const QuestionTemplate t = QuestionTemplate::parse(question, answer);
    QVERIFY2(t.problems().isEmpty(), qPrintable(t.problems().join(u'\n')));
    std::mt19937_64 random(3);
    const QRegularExpression rule(mustHold);
    for (int i = 0; i < 300; ++i) {
        const std::optional<QuestionTemplate::Instance> instance = t.instantiate(random);
        QVERIFY(instance);
        const QRegularExpressionMatch match = rule.match(instance->answer);
        QVERIFY2(match.hasMatch(), qPrintable(instance->answer));
        if (ordered)
            QVERIFY2(match.captured(1).toInt() >= match.captured(2).toInt(), qPrintable(instance->answer));
        QVERIFY2(arithmeticcheck::mistakes(instance->answer).isEmpty(), qPrintable(instance->answer));
    }
}

void TestTemplate::faultsAreNamed_data() {
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("message");
    QTest::newRow("brace left open") << u"小明有{a=2..9元"_s << u"{a}"_s << u"没有配对的“}”"_s;
    QTest::newRow("undefined in the answer") << u"{a=1..5}"_s << u"{a}＋{c}＝{a+c}"_s << u"“c”没有定义"_s;
    QTest::newRow("undefined in a condition") << u"{a=1..5}{?a>z}"_s << u"{a}"_s << u"“z”没有定义"_s;
    QTest::newRow("defined twice") << u"{a=1..5}{a=2..3}"_s << u"{a}"_s << u"“a”定义了两次"_s;
    QTest::newRow("range uses a later name") << u"{b=1..a}{a=2..9}"_s << u"{b}"_s << u"要在它前面定义"_s;
    QTest::newRow("empty range") << u"{a=9..2}"_s << u"{a}"_s << u"范围是空的"_s;
    QTest::newRow("no step") << u"{a=1..9:0}"_s << u"{a}"_s << u"步长应大于 0"_s;
    QTest::newRow("unknown option") << u"{a=1..9}{!无理数}"_s << u"{a}"_s << u"不认识的选项"_s;
    QTest::newRow("bound is no number") << u"{a=1..九}"_s << u"{a}"_s << u"读不出数"_s;
    QTest::newRow("conditions that exclude each other")
        << u"{a=1..5}{b=1..5}{?a>b}{?b>a}"_s << u"{a}"_s << u"条件“a>b”“b>a”不能同时成立"_s;
    QTest::newRow("a condition that never holds")
        << u"{a=1..5}{?a>10}"_s << u"{a}"_s << u"条件“a>10”一次也没有成立"_s;
    QTest::newRow("always negative") << u"{a=1..3}{b=5..9}"_s << u"{a-b}"_s << u"总是小于 0"_s;
    QTest::newRow("never whole") << u"{a=1..2}"_s << u"{a/3}"_s << u"除不尽"_s;
    QTest::newRow("wrong worked answer") << u"{a=2..9}加{b=2..9}"_s << u"{a}＋{b}＝{a+b+1}"_s << u"算错"_s;
}

void TestTemplate::faultsAreNamed() {
    QFETCH(QString, question);
    QFETCH(QString, answer);
    QFETCH(QString, message);
    const QuestionTemplate t = QuestionTemplate::parse(question, answer);
    const QStringList problems = t.problems();
    QVERIFY2(problems.join(u'\n').contains(message), qPrintable(problems.join(u'\n')));
    // The bank's check says the same of the line.
    const QString line = question + u"|1|1|0|"_s + answer;
    const BankRecord record = bankrecord::parse(line);
    QVERIFY(bankrecord::problems(record).join(u'\n').contains(message));
    // A template that cannot work gives no instance.
    if (!t.faults().isEmpty() || !message.contains(u"算错"_s)) {
        std::mt19937_64 random(1);
        QVERIFY(!t.instantiate(random));
    }
}

void TestTemplate::acceptChoosesAmongInstances() {
    // Three values: the caller's test leaves out the ones it has, so all three come and then none.
    const QuestionTemplate t = QuestionTemplate::parse(u"{a=1..3}个"_s, u"{a}"_s);
    std::mt19937_64 random(5);
    QSet<QString> had;
    const auto fresh = [&had](const QString &q) { return !had.contains(q); };
    for (int i = 0; i < 3; ++i) {
        const std::optional<QuestionTemplate::Instance> instance = t.instantiate(random, fresh);
        QVERIFY(instance);
        had.insert(instance->question);
    }
    QCOMPARE(had, (QSet<QString>{u"1个"_s, u"2个"_s, u"3个"_s}));
    QVERIFY(!t.instantiate(random, fresh));
}

void TestTemplate::plainLineReadsAsBefore() {
    // Braces that define nothing are text: the line is no template and the check says nothing of them.
    const BankRecord record = bankrecord::parse(u"在{}里填上合适的数：3+{a}=5|1|1|0|2"_s);
    QVERIFY(!QuestionTemplate::defines(record.record.questionText));
    QVERIFY(bankrecord::problems(record).isEmpty());
}

void TestTemplate::editorRefusesABrokenTemplate() {
    editorentry::NewQuestion q;
    q.question = editorentry::cleanQuestion(u"小明有{a=1..5}元，{?a>b}"_s);
    q.steps = editorentry::cleanSteps(u"{a}+1={a+1}"_s);
    q.grade = 1;
    q.slot = 1;
    QVERIFY(editorentry::refusal(q).contains(u"“b”没有定义"_s));
    // The editor writes the signs full-width; the template reads them all the same.
    q.question = editorentry::cleanQuestion(u"小明有{a=1..5}元，又得1元"_s);
    QCOMPARE(editorentry::refusal(q), QString());
    QVERIFY(q.steps.contains(u"＝{a＋1}"_s));
}

QTEST_GUILESS_MAIN(TestTemplate)
#include "tst_template.moc"
