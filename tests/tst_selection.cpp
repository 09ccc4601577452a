// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/BankText.h"
#include "generation/SelectionRun.h"
#include "service/SheetService.h"
#include "support/RecordingTarget.h"
#include "support/ScriptedHost.h"
#include "support/TempBank.h"

#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestSelection : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void filterByModeAndBox_data();
    void filterByModeAndBox();
    void allDistinctWithoutRepeats();
    void duplicateTextsEndTheDraw();
    void bankWrittenOverEndsTheDraw();
    void containedTextCanBeDrawn();
    void repeatsGiveExactlyTheQuantity();
    void quantityReadAtEveryDraw_data();
    void quantityReadAtEveryDraw();
    void repeatBoxReadAtEveryDraw();
    void noCandidates();
    void difficultyChooses_data();
    void difficultyChooses();
    void sectionsDrawnInOrder();
    void templatesGiveDistinctInstances_data();
    void templatesGiveDistinctInstances();
    void emptyBank();
    void stopDuringLoading();
    void twoRunsInARow();
    void sameSeedSameSheet();
    void drawIsUniform();
    void listsStayAligned();
    void runHandsOverAndEnds();
};

namespace {

QStringList questionsOf(const DrawnSheet &sheet) {
    QStringList result;
    for (const SheetItem &item : sheet.items)
        result.append(item.question);
    return result;
}

QStringList lines(int count, const QString &pattern) {
    QStringList result;
    for (int i = 0; i < count; ++i)
        result.append(pattern.arg(i));
    return result;
}

} // namespace

void TestSelection::filterByModeAndBox_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("boxValue");
    QTest::addColumn<QStringList>("expected");
    using M = codes::QuestionMode;
    QTest::newRow("textbook slot 1") << int(M::Calculation) << 1 << 1 << QStringList{u"t1"_s};
    QTest::newRow("textbook unclassified") << int(M::Calculation) << 0 << 1 << QStringList{u"t0"_s};
    QTest::newRow("olympiad slot 1") << int(M::Olympiad) << 1 << 1 << QStringList{u"o41"_s};
    QTest::newRow("olympiad unclassified") << int(M::Olympiad) << 0 << 1 << QStringList{u"o99"_s};
    QTest::newRow("slot 40 in equations") << int(M::Equation) << 40 << 1 << QStringList{u"t40"_s};
}

void TestSelection::filterByModeAndBox() {
    QFETCH(int, mode);
    QFETCH(int, slot);
    QFETCH(int, boxValue);
    QFETCH(QStringList, expected);
    TempBank files;
    files.writeLines(u"tk.txt"_s, {u"t1|1|1"_s, u"t0|1|0"_s, u"o41|1|41"_s, u"o99|1|99"_s, u"t40|1|40"_s,
                                   u"bad|1|x"_s, u"frac|1|1.5"_s});
    ScriptedHost host;
    host.settings().mode = static_cast<codes::QuestionMode>(mode);
    host.settings().topics.fill(false);
    host.settings().topics[static_cast<size_t>(slot)] = boxValue == 1;
    SelectionRun run(files.dir());
    run.select(host);
    QStringList got;
    for (const Candidate &c : run.candidates())
        got.append(run.bank().text(*c.record)->question);
    // "bad" reads as code 0: it is an unclassified textbook question.
    if (slot == 0 && mode != int(codes::QuestionMode::Olympiad))
        expected.append(u"bad"_s);
    QCOMPARE(got, expected);
}

void TestSelection::allDistinctWithoutRepeats() {
    TempBank files;
    QStringList bank = lines(10, u"题%1|1|1|0|答%1"_s);
    bank.append(u"不是候选|1|2|0|x"_s); // the last record is no candidate
    files.writeLines(u"tk.txt"_s, bank);
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        ScriptedHost host;
        host.settings().topics.fill(false);
        host.settings().topics[1] = true;
        SelectionRun run(files.dir());
        run.setSeed(seed);
        const DrawnSheet args = run.select(host);
        QStringList drawn = questionsOf(args);
        QCOMPARE(drawn.size(), 10);
        QCOMPARE(run.drawCount(), 10); // the draw ends with the tenth question
        drawn.sort();
        QStringList all = lines(10, u"题%1"_s);
        all.sort();
        QCOMPARE(drawn, all);
    }
}

// The copies of a batch draw from one load; a bank file written over in place meanwhile (by another
// program: this one replaces files whole) gives no other question in a kept one's stead.
void TestSelection::bankWrittenOverEndsTheDraw() {
    TempBank files;
    files.writeLines(u"tk.txt"_s, lines(10, u"题%1|1|1|0|答%1"_s));
    ScriptedHost host;
    host.settings().topics.fill(false);
    host.settings().topics[1] = true;
    host.settings().quantity = 5;
    SelectionRun run(files.dir());
    run.keepBankBetweenSheets(true);
    QCOMPARE(run.select(host).items.size(), 5);
    QVERIFY(run.loadReport().unreadable.isEmpty());

    QFile bank(files.path(u"tk.txt"_s));
    QVERIFY(bank.open(QIODevice::ReadWrite));
    QByteArray bytes = bank.readAll();
    bytes.replace(banktext::encode(u"题"_s), banktext::encode(u"问"_s));
    QVERIFY(bank.seek(0));
    QCOMPARE(bank.write(bytes), bytes.size());
    bank.close();
    const DrawnSheet again = run.select(host);
    QVERIFY(again.items.isEmpty());
    QCOMPARE(run.loadReport().unreadable.size(), 1);
    QVERIFY(run.loadReport().unreadable.first().contains(u"tk.txt"_s));
}

void TestSelection::duplicateTextsEndTheDraw() {
    TempBank files;
    files.writeLines(u"tk.txt"_s, {u"同|1|1|0|a"_s, u"同|1|1|0|b"_s, u"异|1|1|0|c"_s});
    ScriptedHost host;
    host.onEvents = [&host](int n) {
        if (n > 1000)
            host.requestStop(); // a safety net: the draw must end without it
    };
    SelectionRun run(files.dir());
    const DrawnSheet args = run.select(host);
    QVERIFY(!host.stopRequested());
    QStringList drawn = questionsOf(args);
    drawn.sort();
    QCOMPARE(drawn, (QStringList{u"同"_s, u"异"_s}));
    QCOMPARE(run.drawCount(), 3);
}

void TestSelection::containedTextCanBeDrawn() {
    TempBank files;
    files.writeLines(u"tk.txt"_s, {u"小明有几个苹果？|1|1"_s, u"几个|1|1"_s});
    for (std::uint64_t seed = 1; seed <= 10; ++seed) {
        ScriptedHost host;
        SelectionRun run(files.dir());
        run.setSeed(seed);
        QCOMPARE(questionsOf(run.select(host)).size(), 2);
    }
}

void TestSelection::repeatsGiveExactlyTheQuantity() {
    TempBank files;
    files.writeLines(u"tk.txt"_s, {u"一|1|1"_s, u"二|1|1"_s});
    ScriptedHost host;
    host.settings().repeats = true;
    host.settings().quantity = 7;
    SelectionRun run(files.dir());
    run.setSeed(3);
    const DrawnSheet args = run.select(host);
    QCOMPARE(questionsOf(args).size(), 7);
    for (const SheetItem &item : args.items)
        QCOMPARE(item.topicCode, 1);
    QCOMPARE(run.drawCount(), 7);
}

void TestSelection::quantityReadAtEveryDraw_data() {
    QTest::addColumn<int>("quantity");
    QTest::addColumn<int>("draws");
    QTest::newRow("zero still draws once") << 0 << 1;
    QTest::newRow("one") << 1 << 1;
    QTest::newRow("three of five") << 3 << 3;
}

void TestSelection::quantityReadAtEveryDraw() {
    QFETCH(int, quantity);
    QFETCH(int, draws);
    TempBank files;
    files.writeLines(u"tk.txt"_s, lines(5, u"题%1|1|1"_s));
    ScriptedHost host;
    host.settings().quantity = quantity;
    SelectionRun run(files.dir());
    run.select(host);
    QCOMPARE(run.drawCount(), draws);
    QCOMPARE(host.quantityReads, draws);
}

void TestSelection::repeatBoxReadAtEveryDraw() {
    TempBank files;
    files.writeLines(u"tk.txt"_s, {u"唯一|1|1"_s});
    ScriptedHost host;
    host.settings().quantity = 5;
    host.settings().repeats = true;
    // Loading and filtering take two checkpoints; two draws with repeats, then repeats are off and the
    // third draw finds the only text drawn already.
    host.onEvents = [&host](int n) {
        if (n == 5)
            host.settings().repeats = false;
    };
    SelectionRun run(files.dir());
    const DrawnSheet args = run.select(host);
    QCOMPARE(questionsOf(args), (QStringList{u"唯一"_s, u"唯一"_s}));
    QCOMPARE(host.repeatReads, 3);
}

void TestSelection::difficultyChooses_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QStringList>("drawn");
    // The fields read by the loader's number rule, as the marks are: "3.0" is three stars, a field that
    // is no number is 0, 基础题.
    QTest::newRow("every difficulty")
        << -1 << -1 << QStringList{u"零"_s, u"一"_s, u"二"_s, u"三"_s, u"三点零"_s, u"五"_s, u"无"_s};
    QTest::newRow("基础题") << 0 << 0 << QStringList{u"零"_s, u"无"_s};
    QTest::newRow("three stars") << 3 << 3 << QStringList{u"三"_s, u"三点零"_s};
    QTest::newRow("one to three") << 1 << 3 << QStringList{u"一"_s, u"二"_s, u"三"_s, u"三点零"_s};
    QTest::newRow("four: none") << 4 << 4 << QStringList{};
}

void TestSelection::difficultyChooses() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QStringList, drawn);
    TempBank files;
    files.writeLines(u"tk.txt"_s, {u"零|1|1|0|a"_s, u"一|1|1|1|a"_s, u"二|1|1|2|a"_s, u"三|1|1|3|a"_s,
                                   u"三点零|1|1|3.0|a"_s, u"五|1|1|5|a"_s, u"无|1|1|x|a"_s});
    ScriptedHost host;
    host.settings().grade = 1;
    host.settings().quantity = 20;
    host.settings().difficultyFrom = from;
    host.settings().difficultyTo = to;
    SelectionRun run(files.dir());
    QStringList questions;
    for (const SheetItem &item : run.select(host).items)
        questions.append(item.question);
    questions.sort();
    drawn.sort();
    QCOMPARE(questions, drawn);
    // The short sheet names the difficulty that made it short.
    if (from >= 0)
        QVERIFY(host.settings().shortSheetText(questions.size()).contains(u"难度（"_s));
}

void TestSelection::templatesGiveDistinctInstances_data() {
    QTest::addColumn<QStringList>("bank");
    QTest::addColumn<int>("quantity");
    QTest::addColumn<bool>("repeats");
    QTest::addColumn<int>("drawn");
    const QString wide = u"{a=1..30}加{b=1..30}|1|1|0|{a}＋{b}＝{a+b}"_s;
    const QString narrow = u"{a=1..3}个|1|1|0|{a}"_s;
    // Every plain question once, then as many instances of the templates as the sheet wants.
    QTest::newRow("one template fills the sheet")
        << QStringList{wide, u"甲|1|1|0|1"_s, u"乙|1|1|0|2"_s} << 12 << false << 12;
    // Three values are three questions: the sheet ends short rather than repeating one.
    QTest::newRow("a template runs out") << QStringList{narrow, u"甲|1|1|0|1"_s} << 10 << false << 4;
    QTest::newRow("a template that cannot draw gives nothing")
        << QStringList{u"{a=1..3}{?a>5}|1|1|0|{a}"_s, u"甲|1|1|0|1"_s} << 5 << false << 1;
    QTest::newRow("repeats") << QStringList{narrow} << 10 << true << 10;
}

void TestSelection::templatesGiveDistinctInstances() {
    QFETCH(QStringList, bank);
    QFETCH(int, quantity);
    QFETCH(bool, repeats);
    QFETCH(int, drawn);
    TempBank files;
    files.writeLines(u"tk.txt"_s, bank);
    ScriptedHost host;
    host.settings().grade = 1;
    host.settings().quantity = quantity;
    host.settings().repeats = repeats;
    SelectionRun run(files.dir());
    run.setSeed(42);
    const DrawnSheet sheet = run.select(host);
    QCOMPARE(sheet.items.size(), drawn);
    const QStringList questions = questionsOf(sheet);
    for (const QString &q : questions)
        QVERIFY2(!q.contains(u'{'), qPrintable(q));
    if (!repeats)
        QCOMPARE(QSet<QString>(questions.begin(), questions.end()).size(), drawn);
    // The same seed, the same instances.
    QCOMPARE(questionsOf(run.select(host)), questions);
}

void TestSelection::sectionsDrawnInOrder() {
    TempBank files;
    QStringList lines;
    for (int i = 0; i < 6; ++i)
        lines << u"和%1|1|1|0|a"_s.arg(i) << u"差%1|1|2|0|a"_s.arg(i);
    files.writeLines(u"tk.txt"_s, lines);
    ScriptedHost host;
    host.settings().grade = 1;
    SheetSection sum, difference;
    sum.topics[1] = true;
    sum.quantity = 4;
    difference.topics[2] = true;
    difference.quantity = 10; // more than the bank holds: the section is short, the next goes on
    host.settings().sections = {difference, sum};
    SelectionRun run(files.dir());
    const DrawnSheet sheet = run.select(host);
    QCOMPARE(sheet.items.size(), 10);
    for (qsizetype i = 0; i < sheet.items.size(); ++i) {
        const bool first = i < 6;
        QCOMPARE(sheet.items[i].section, first ? 0 : 1);
        QVERIFY(sheet.items[i].question.startsWith(first ? u"差"_s : u"和"_s));
    }
    QCOMPARE(host.settings().wantedQuantity(), 14);
}

void TestSelection::noCandidates() {
    TempBank files;
    files.writeLines(u"tk.txt"_s, {u"一|1|1"_s});
    for (bool repeats : {false, true}) {
        ScriptedHost host;
        host.settings().repeats = repeats;
        host.settings().topics.fill(false);
        SelectionRun run(files.dir());
        const DrawnSheet args = run.select(host);
        QVERIFY(args.items.isEmpty());
    }
}

void TestSelection::emptyBank() {
    TempBank files;
    ScriptedHost host;
    SheetService service(files.dir(), nullptr);
    RecordingOutputs outputs;
    SheetListener quiet;
    service.make(host, {}, outputs, quiet);
    QCOMPARE(host.notices(), QStringList{u"题库不存在，请下载最新题库！"_s});
    QCOMPARE(outputs.sheets.size(), 1);
    QVERIFY(outputs.sheets[0].contains(u"show"_s));
    QCOMPARE(host.trace, (QStringList{u"download"_s, u"startProgress"_s, u"endProgress"_s}));
}

void TestSelection::stopDuringLoading() {
    TempBank files;
    files.writeLines(u"tk.txt"_s, lines(50, u"题%1|1|1"_s));
    ScriptedHost host;
    host.onEvents = [&host](int n) {
        if (n == 10)
            host.requestStop();
    };
    SheetService service(files.dir(), nullptr);
    RecordingTarget delivered;
    RecordingOutputs outputs;
    outputs.onDeliver = [&delivered](const RecordingTarget &document) { delivered = document; };
    SheetListener quiet;
    const SheetOutcome outcome = service.make(host, {}, outputs, quiet);
    QCOMPARE(outcome.end, SheetOutcome::End::Stopped);
    QVERIFY(outcome.sheet.items.isEmpty());
    // The writer still runs, types its heading, stops before the first question and ends the display.
    QVERIFY(delivered.operations().contains(u"show"_s));
    QVERIFY(!delivered.paragraphs().join(QString()).contains(u"1、"_s));
    QCOMPARE(host.trace.last(), u"endProgress"_s);
}

void TestSelection::twoRunsInARow() {
    TempBank files;
    files.writeLines(u"tk.txt"_s, {u"一|1|1|0|a"_s, u"二|1|2|0|b"_s});
    ScriptedHost host;
    SelectionRun run(files.dir());
    QVERIFY(!run.select(host).items.isEmpty());
    host.settings().topics.fill(false);
    QVERIFY(run.select(host).items.isEmpty());
}

void TestSelection::sameSeedSameSheet() {
    TempBank files;
    files.writeLines(u"tk.txt"_s, lines(200, u"题%1|1|1|1|答%1"_s));
    const auto sheet = [&](std::uint64_t seed) {
        ScriptedHost host;
        SelectionRun run(files.dir());
        run.setSeed(seed);
        return questionsOf(run.select(host)).join(u' ');
    };
    QCOMPARE(sheet(42), sheet(42));
    QVERIFY(sheet(42) != sheet(43));
}

void TestSelection::drawIsUniform() {
    // Every candidate, the last one included, comes first about equally often.
    TempBank files;
    files.writeLines(u"tk.txt"_s, lines(4, u"题%1|1|1"_s));
    QMap<QString, int> firsts;
    const int runs = 4000;
    SelectionRun run(files.dir());
    for (int i = 0; i < runs; ++i) {
        ScriptedHost host;
        host.settings().quantity = 1;
        run.setSeed(static_cast<std::uint64_t>(i) + 1);
        firsts[questionsOf(run.select(host)).join(u' ')] += 1;
    }
    QCOMPARE(firsts.size(), 4);
    for (int count : std::as_const(firsts))
        QVERIFY2(count > runs / 4 - 150 && count < runs / 4 + 150, qPrintable(QString::number(count)));
}

void TestSelection::listsStayAligned() {
    // The first drawn question has an empty answer and a blank in its difficulty; the lists must still
    // line up element by element.
    TempBank files;
    files.writeLines(u"tk.txt"_s, {u"无答案|1|1"_s, u"有 空格|1|1| 3|5 + 2 = 7"_s});
    ScriptedHost host;
    host.settings().repeats = true;
    host.settings().quantity = 2;
    for (std::uint64_t seed = 1; seed < 50; ++seed) {
        SelectionRun run(files.dir());
        run.setSeed(seed);
        const DrawnSheet args = run.select(host);
        QCOMPARE(args.items.size(), 2);
        for (const SheetItem &item : args.items) {
            const bool first = item.question == u"无答案"_s;
            QCOMPARE(item.question, first ? u"无答案"_s : u"有空格"_s);
            QCOMPARE(item.answer, first ? QString() : u"5+2=7"_s);
            QCOMPARE(item.difficulty, first ? QString() : u"3"_s);
        }
    }
}

void TestSelection::runHandsOverAndEnds() {
    TempBank files;
    files.writeLines(u"tk.txt"_s, {u"一|1|1|2|a"_s});
    ScriptedHost host;
    SelectionRun run(files.dir());
    const DrawnSheet args = run.select(host);
    QCOMPARE(args.items.size(), 1);
    QCOMPARE(args.items[0].question, u"一"_s);
    QCOMPARE(args.items[0].topicCode, 1);
    QCOMPARE(args.items[0].answer, u"a"_s);
    QCOMPARE(args.items[0].difficulty, u"2"_s);
    QVERIFY(args.code.isEmpty());
    QCOMPARE(host.trace, QStringList{u"startProgress"_s});
}

QTEST_GUILESS_MAIN(TestSelection)
#include "tst_selection.moc"
