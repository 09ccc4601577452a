// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/SelectionRun.h"
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
    void containedTextCanBeDrawn();
    void repeatsGiveExactlyTheQuantity();
    void quantityReadAtEveryDraw_data();
    void quantityReadAtEveryDraw();
    void repeatBoxReadAtEveryDraw();
    void noCandidates();
    void emptyBank();
    void stopDuringLoading();
    void twoRunsInARow();
    void sameSeedSameSheet();
    void drawIsUniform();
    void listsStayAligned();
    void runHandsOverAndEnds();
};

namespace {

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
    QTest::newRow("greyed box does not count") << int(M::Calculation) << 1 << 2 << QStringList{};
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
    host.settings().topicBoxes.fill(0);
    host.settings().topicBoxes[static_cast<size_t>(slot)] = boxValue;
    SelectionRun run(files.dir());
    run.select(host);
    QStringList got;
    for (const Candidate &c : run.candidates())
        got.append(c.record->questionText.toString());
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
        host.settings().topicBoxes.fill(0);
        host.settings().topicBoxes[1] = 1;
        SelectionRun run(files.dir());
        run.setSeed(seed);
        const WorksheetArgs args = run.select(host);
        QStringList drawn = args.questionList.split(u' ');
        QCOMPARE(drawn.size(), 10);
        QCOMPARE(run.drawCount(), 10); // the draw ends with the tenth question
        drawn.sort();
        QStringList all = lines(10, u"题%1"_s);
        all.sort();
        QCOMPARE(drawn, all);
    }
}

void TestSelection::duplicateTextsEndTheDraw() {
    TempBank files;
    files.writeLines(u"tk.txt"_s, {u"同|1|1|0|a"_s, u"同|1|1|0|b"_s, u"异|1|1|0|c"_s});
    ScriptedHost host;
    host.onEvents = [&host](int n) {
        if (n > 1000)
            host.runState().qt = 1; // a safety net: the draw must end without it
    };
    SelectionRun run(files.dir());
    const WorksheetArgs args = run.select(host);
    QCOMPARE(host.runState().qt, 0);
    QStringList drawn = args.questionList.split(u' ');
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
        QCOMPARE(run.select(host).questionList.split(u' ').size(), 2);
    }
}

void TestSelection::repeatsGiveExactlyTheQuantity() {
    TempBank files;
    files.writeLines(u"tk.txt"_s, {u"一|1|1"_s, u"二|1|1"_s});
    ScriptedHost host;
    host.settings().repeats = true;
    host.settings().quantity = u"7"_s;
    SelectionRun run(files.dir());
    run.setSeed(3);
    const WorksheetArgs args = run.select(host);
    QCOMPARE(args.questionList.split(u' ').size(), 7);
    QCOMPARE(args.topicCodeList, u"1 1 1 1 1 1 1"_s);
    QCOMPARE(run.drawCount(), 7);
}

void TestSelection::quantityReadAtEveryDraw_data() {
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<int>("draws");
    QTest::newRow("zero still draws once") << u"0"_s << 1;
    QTest::newRow("empty draws once") << QString() << 1;
    QTest::newRow("not a number draws once") << u"abc"_s << 1;
    QTest::newRow("integer part of 2.9") << u"2.9"_s << 2;
    QTest::newRow("leading digits") << u"3题"_s << 3;
}

void TestSelection::quantityReadAtEveryDraw() {
    QFETCH(QString, quantity);
    QFETCH(int, draws);
    TempBank files;
    files.writeLines(u"tk.txt"_s, lines(5, u"题%1|1|1"_s));
    ScriptedHost host;
    host.settings().quantity = quantity;
    SelectionRun run(files.dir());
    run.select(host);
    QCOMPARE(run.drawCount(), draws);
    QCOMPARE(host.quantityReads, draws + 1); // and once more for the writer
}

void TestSelection::repeatBoxReadAtEveryDraw() {
    TempBank files;
    files.writeLines(u"tk.txt"_s, {u"唯一|1|1"_s});
    ScriptedHost host;
    host.settings().quantity = u"5"_s;
    host.settings().repeats = true;
    // Loading and filtering take two checkpoints; two draws with repeats, then repeats are off and the
    // third draw finds the only text drawn already.
    host.onEvents = [&host](int n) {
        if (n == 5)
            host.settings().repeats = false;
    };
    SelectionRun run(files.dir());
    const WorksheetArgs args = run.select(host);
    QCOMPARE(args.questionList, u"唯一 唯一"_s);
    QCOMPARE(host.repeatReads, 3);
}

void TestSelection::noCandidates() {
    TempBank files;
    files.writeLines(u"tk.txt"_s, {u"一|1|1"_s});
    for (bool repeats : {false, true}) {
        ScriptedHost host;
        host.settings().repeats = repeats;
        host.settings().topicBoxes.fill(0);
        SelectionRun run(files.dir());
        const WorksheetArgs args = run.select(host);
        QVERIFY(args.questionList.isEmpty());
        QVERIFY(args.topicCodeList.isEmpty());
        QVERIFY(args.answerList.isEmpty());
        QVERIFY(args.difficultyList.isEmpty());
    }
}

void TestSelection::emptyBank() {
    TempBank files;
    ScriptedHost host;
    SelectionRun run(files.dir());
    RecordingTarget target;
    run.run(host, target);
    QCOMPARE(host.notices(), QStringList{u"题库不存在，请下载最新题库！"_s});
    QVERIFY(target.operations().contains(u"show"_s));
    QCOMPARE(host.trace, (QStringList{u"download"_s, u"startProgress"_s, u"endProgress"_s}));
}

void TestSelection::stopDuringLoading() {
    TempBank files;
    files.writeLines(u"tk.txt"_s, lines(50, u"题%1|1|1"_s));
    ScriptedHost host;
    host.onEvents = [&host](int n) {
        if (n == 10)
            host.runState().qt = 1;
    };
    SelectionRun run(files.dir());
    RecordingTarget target;
    run.run(host, target);
    QCOMPARE(run.bank().size(), 9);
    QVERIFY(run.candidates().empty());
    QVERIFY(host.runState().out.isEmpty());
    // The writer still runs, types its heading, stops before the first question and ends the display.
    QVERIFY(target.operations().contains(u"show"_s));
    QVERIFY(!target.paragraphs().join(QString()).contains(u"1、"_s));
    QCOMPARE(host.trace.last(), u"endProgress"_s);
}

void TestSelection::twoRunsInARow() {
    TempBank files;
    files.writeLines(u"tk.txt"_s, {u"一|1|1|0|a"_s, u"二|1|2|0|b"_s});
    ScriptedHost host;
    SelectionRun run(files.dir());
    run.select(host);
    QVERIFY(!host.runState().out.isEmpty());
    host.settings().topicBoxes.fill(0);
    const WorksheetArgs second = run.select(host);
    QVERIFY(host.runState().out.isEmpty());
    QVERIFY(second.questionList.isEmpty());
}

void TestSelection::sameSeedSameSheet() {
    TempBank files;
    files.writeLines(u"tk.txt"_s, lines(200, u"题%1|1|1|1|答%1"_s));
    const auto sheet = [&](std::uint64_t seed) {
        ScriptedHost host;
        SelectionRun run(files.dir());
        run.setSeed(seed);
        return run.select(host).questionList;
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
        host.settings().quantity = u"1"_s;
        run.setSeed(static_cast<std::uint64_t>(i) + 1);
        firsts[run.select(host).questionList] += 1;
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
    host.settings().quantity = u"2"_s;
    for (std::uint64_t seed = 1; seed < 50; ++seed) {
        SelectionRun run(files.dir());
        run.setSeed(seed);
        const WorksheetArgs args = run.select(host);
        const QStringList questions = args.questionList.split(u' ');
        const QStringList answers = args.answerList.split(u' ');
        const QStringList difficulties = args.difficultyList.split(u' ');
        QCOMPARE(questions.size(), 2);
        QCOMPARE(answers.size(), 2);
        QCOMPARE(difficulties.size(), 2);
        for (int i = 0; i < 2; ++i) {
            const bool first = questions[i] == u"无答案"_s;
            QCOMPARE(answers[i], first ? QString() : u"5+2=7"_s);
            QCOMPARE(difficulties[i], first ? QString() : u"3"_s);
        }
    }
}

void TestSelection::runHandsOverAndEnds() {
    TempBank files;
    files.writeLines(u"tk.txt"_s, {u"一|1|1|2|a"_s});
    ScriptedHost host;
    host.settings().fontSize = u"14"_s;
    host.settings().fontName = u"楷体"_s;
    host.settings().answers = true;
    SelectionRun run(files.dir());
    const WorksheetArgs args = run.select(host);
    QCOMPARE(args.questionList, u"一"_s);
    QCOMPARE(args.topicCodeList, u"1"_s);
    QCOMPARE(args.answerList, u"a"_s);
    QCOMPARE(args.difficultyList, u"2"_s);
    QCOMPARE(args.lineSpacing, u"30"_s);
    QCOMPARE(args.columns, u"2"_s);
    QCOMPARE(args.fontSize, u"14"_s);
    QCOMPARE(args.fontName, u"楷体"_s);
    QCOMPARE(args.quantity, u"24"_s);
    QCOMPARE(args.starFlag, u"1"_s);
    QCOMPARE(args.answerFlag, u"1"_s);
    QCOMPARE(host.trace, QStringList{u"startProgress"_s});
}

QTEST_GUILESS_MAIN(TestSelection)
#include "tst_selection.moc"
