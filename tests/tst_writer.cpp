// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/DocumentWriter.h"
#include "generation/SheetSections.h"
#include "support/RecordingTarget.h"
#include "support/ScriptedHost.h"

#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestWriter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sheetDateIsChinese_data();
    void sheetDateIsChinese();
    void exactSequence_data();
    void exactSequence();
    void preparedQuestion_data();
    void preparedQuestion();
    void marks_data();
    void marks();
    void blankLines_data();
    void blankLines();
    void emptyQuestionList();
    void emptyElementIsNumbered();
    void missingAnswerIsNotTyped();
    void stopMidway();
    void badFontSizeIsSkipped();
    void sections_data();
    void sections();
    void workingSpace_data();
    void workingSpace();
    void printChoices();
    void compactKey();
    void sectionTitles_data();
    void sectionTitles();
};

namespace {

// A drawn sheet of these questions, with answers and difficulties where given.
DrawnSheet sheetOf(const QStringList &questions, const QStringList &answers = {},
                   const QStringList &difficulties = {}) {
    DrawnSheet sheet;
    for (qsizetype i = 0; i < questions.size(); ++i)
        sheet.items.append(SheetItem{questions[i], 1, answers.value(i), difficulties.value(i)});
    return sheet;
}

void write(ScriptedHost &host, RecordingTarget &target, const DrawnSheet &sheet) {
    DocumentWriter::write(host, target, host.settings(), sheet, host.todayText());
}

DrawnSheet twoQuestions() {
    return sheetOf({u"小明有7元钱，又得2元，共有多少元？"_s, u"买()个"_s}, {u"7＋2＝9"_s, u"3"_s},
                   {u"2"_s, u"0"_s});
}

QStringList heading(const QString &title, bool answerVersion) {
    QStringList ops{u"new"_s,           u"margins 50"_s,   u"layout A4 columns 2 spacing 30"_s,
                    u"bold 1"_s,        u"font 黑体"_s,    u"size 22"_s,
                    u"type "_s + title, u"size 12"_s,      u"type     "_s,
                    u"type 1/2/26"_s,   u"align center"_s, u"para"_s,
                    u"size 12"_s,       u"para"_s,         u"bold 0"_s,
                    u"font 宋体"_s,     u"size 12"_s};
    if (!answerVersion)
        ops.append(u"type 姓名：___________   座号：__________    情况：___________"_s);
    ops << u"align center"_s << u"para"_s << u"para"_s << u"questions"_s << u"font 楷体"_s << u"size 11"_s
        << u"align left"_s;
    return ops;
}

} // namespace

void TestWriter::exactSequence_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("answerFlag");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("firstQuestion");
    using M = codes::QuestionMode;
    const QString plain = u"小明有7元钱，又得2元，共有多少元？"_s;
    const QString estimated = u"小明有7元钱，又得2元，共有大约多少元？"_s;
    const struct {
        const char *name;
        M mode;
        QString title;
        QString suffix;
        QString first;
    } modes[] = {
        {"olympiad", M::Olympiad, u"小学数学奥数练习"_s, QString(), plain},
        {"estimation", M::Estimation, u"小学数学估算解决问题练习"_s, u" （请用估算的方法解决问题！）"_s,
         estimated},
        {"calculation", M::Calculation, u"Tessaly练习"_s, QString(), plain},
        {"equation", M::Equation, u"小学数学列方程解决问题练习"_s, u" （请列方程解决问题！）"_s, plain},
    };
    for (const auto &m : modes) {
        QTest::addRow("%s worksheet", m.name) << int(m.mode) << u"0"_s << m.title << m.suffix << m.first;
        QTest::addRow("%s answers", m.name)
            << int(m.mode) << u"1"_s << m.title + u"(答案)"_s << m.suffix << m.first;
        QTest::addRow("%s greyed answer box", m.name)
            << int(m.mode) << u"2"_s << m.title << m.suffix << m.first;
    }
}

void TestWriter::exactSequence() {
    QFETCH(int, mode);
    QFETCH(QString, answerFlag);
    QFETCH(QString, title);
    QFETCH(QString, suffix);
    QFETCH(QString, firstQuestion);
    ScriptedHost host;
    host.settings().mode = static_cast<codes::QuestionMode>(mode);
    host.settings().layout.fontName = u"楷体"_s;
    // The window's answer box counts only when ticked (1), not greyed (2).
    const bool answers = answerFlag == u"1"_s;
    host.settings().answers = answers;
    host.setToday(u"1/2/26"_s);
    RecordingTarget target;
    write(host, target, twoQuestions());

    QStringList expected = heading(title, answers);
    // Each question one paragraph kept whole, its two blank lines in it; its write-in blank typed as
    // one, so that no line end parts it; nothing after the last question.
    expected << u"keep 0 1"_s << u"type [★★]1、"_s + firstQuestion + suffix;
    if (answers)
        expected.append(u"type 　　（答案：7＋2＝9）"_s);
    expected << u"br"_s << u"br"_s << u"para"_s;
    expected << u"keep 0 1"_s << u"type 2、买"_s << u"blank ()"_s << u"type 个"_s + suffix;
    if (answers)
        expected.append(u"type 　　（答案：3）"_s);
    expected << u"br"_s << u"br"_s;
    QCOMPARE(target.operations(), expected);
    QVERIFY(host.trace.isEmpty()); // the progress display is the maker's, not the writer's
}

void TestWriter::preparedQuestion_data() {
    QTest::addColumn<QString>("question");
    QTest::addColumn<int>("mode"); // 0 plain, 1 estimation, 2 equation
    QTest::addColumn<QString>("printed");
    QTest::newRow("blanks removed") << u"a b\tc　d\r\ne"_s << 0 << u"abcde"_s;
    QTest::newRow("ascii brackets") << u"x()y"_s << 0
                                    << u"x(\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0)y"_s;
    QTest::newRow("full-width brackets")
        << u"x（）y"_s << 0 << u"x（\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0）y"_s;
    QTest::newRow("bracket with ideographic space")
        << u"（　）"_s << 0 << u"（\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0）"_s;
    QTest::newRow("bracket with tab")
        << u"(\t)"_s << 0 << u"(\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0)"_s;
    QTest::newRow("bracket with content stays") << u"(3)"_s << 0 << u"(3)"_s;
    QTest::newRow("estimation") << u"多少个？几天？"_s << 1
                                << u"大约多少个？大约几天？ （请用估算的方法解决问题！）"_s;
    QTest::newRow("estimation keeps one 大约")
        << u"大约多少元？大约几天？"_s << 1 << u"大约多少元？大约几天？ （请用估算的方法解决问题！）"_s;
    QTest::newRow("estimation without words")
        << u"算一算。"_s << 1 << u"算一算。 （请用估算的方法解决问题！）"_s;
    QTest::newRow("equation changes nothing else")
        << u"多少()？"_s << 2
        << u"多少(\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0)？ （请列方程解决问题！）"_s;
}

void TestWriter::preparedQuestion() {
    QFETCH(QString, question);
    QFETCH(int, mode);
    QFETCH(QString, printed);
    QCOMPARE(DocumentWriter::preparedQuestion(question, mode == 1, mode == 2), printed);
}

void TestWriter::marks_data() {
    QTest::addColumn<QString>("difficulties");
    QTest::addColumn<bool>("stars");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("each level") << u"0 1 2 3 4 5"_s << true
                                << QStringList{u"1、q"_s,      u"[★]2、q"_s,    u"[★★]3、q"_s,
                                               u"[★★★]4、q"_s, u"[★★★★]5、q"_s, u"[★★★★★]6、q"_s};
    QTest::newRow("out of range gets no mark, not the previous one")
        << u"3 7 x 3"_s << true << QStringList{u"[★★★]1、q"_s, u"2、q"_s, u"3、q"_s, u"[★★★]4、q"_s};
    QTest::newRow("missing values") << u"2"_s << true << QStringList{u"[★★]1、q"_s, u"2、q"_s};
    QTest::newRow("stars off") << u"1 2 3"_s << false << QStringList{u"1、q"_s, u"2、q"_s, u"3、q"_s};
}

void TestWriter::marks() {
    QFETCH(QString, difficulties);
    QFETCH(bool, stars);
    QFETCH(QStringList, lines);
    ScriptedHost host;
    host.settings().stars = stars;
    host.settings().layout.blankLines = 0;
    RecordingTarget target;
    write(host, target, sheetOf(QStringList(lines.size(), u"q"_s), {}, difficulties.split(u' ')));
    QCOMPARE(target.paragraphs().mid(4, lines.size()), lines);
}

void TestWriter::blankLines_data() {
    QTest::addColumn<QString>("combo6");
    QTest::addColumn<int>("lines");
    QTest::newRow("2") << u"2"_s << 2;
    QTest::newRow("8") << u"8"_s << 8;
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("0") << u"0"_s << 0;
    QTest::newRow("negative is none") << u"-3"_s << 0;
}
// The list's text is read as the window reads it (SheetLayout::blankLinesFrom).

void TestWriter::blankLines() {
    QFETCH(QString, combo6);
    QFETCH(int, lines);
    ScriptedHost host;
    host.settings().layout.blankLines = SheetLayout::blankLinesFrom(combo6);
    RecordingTarget target;
    write(host, target, sheetOf({u"p"_s, u"q"_s}));
    const QStringList ops = target.operations();
    // Each question's working space: line breaks in its own paragraph, kept whole; the last question
    // has its space too, and no paragraph after it.
    for (const QString &question : {u"type 1、p"_s, u"type 2、q"_s}) {
        const qsizetype at = ops.indexOf(question);
        QVERIFY(at > 1);
        QCOMPARE(ops.at(at - 1), u"keep 0 1"_s);
        QCOMPARE(ops.mid(at + 1, lines), QStringList(lines, u"br"_s));
        if (question == u"type 1、p"_s)
            QCOMPARE(ops.at(at + 1 + lines), u"para"_s);
        else
            QCOMPARE(ops.size(), at + 1 + lines);
    }
}

void TestWriter::emptyQuestionList() {
    ScriptedHost host;
    RecordingTarget target;
    write(host, target, DrawnSheet{});
    QCOMPARE(target.operations().last(), u"align left"_s);
    QVERIFY(!target.paragraphs().join(QString()).contains(u"、"_s));
}

void TestWriter::emptyElementIsNumbered() {
    ScriptedHost host;
    host.settings().layout.blankLines = 0;
    RecordingTarget target;
    write(host, target, sheetOf({u"a"_s, QString(), u"b"_s}));
    QCOMPARE(target.paragraphs().mid(4, 3), (QStringList{u"1、a"_s, u"2、"_s, u"3、b"_s}));
}

void TestWriter::missingAnswerIsNotTyped() {
    ScriptedHost host;
    host.settings().layout.blankLines = 0;
    host.settings().answers = true;
    RecordingTarget target;
    write(host, target, sheetOf({u"a"_s, u"b"_s}, {u"x"_s}));
    QCOMPARE(target.paragraphs().mid(4, 2), (QStringList{u"1、a　　（答案：x）"_s, u"2、b"_s}));
}

void TestWriter::stopMidway() {
    ScriptedHost host;
    // Checkpoints: one before each question, each blank line and each paragraph end (four a question).
    host.onEvents = [&host](int n) {
        if (n == 6)
            host.requestStop();
    };
    RecordingTarget target;
    write(host, target, sheetOf({u"a"_s, u"b"_s, u"c"_s}));
    const QStringList ops = target.operations();
    QVERIFY(ops.contains(u"type 2、b"_s));
    QVERIFY(!ops.contains(u"type 3、c"_s));
    QCOMPARE(ops.last(), u"type 2、b"_s);
}

void TestWriter::badFontSizeIsSkipped() {
    ScriptedHost host;
    host.settings().layout.fontSize = SheetLayout::fontSizeFrom(u"大"_s);
    host.settings().layout.fontName = u"黑体"_s;
    RecordingTarget target;
    write(host, target, DrawnSheet{});
    const QStringList ops = target.operations();
    const qsizetype font = ops.lastIndexOf(u"font 黑体"_s);
    QCOMPARE(ops.at(font + 1), u"align left"_s);
}

namespace {

// Two sections: 求和 (slot 1) at 5 points each, 估算 with a total of 20; two questions in each.
SheetRequest twoSections() {
    SheetRequest r;
    r.layout.blankLines = 0;
    SheetSection sum;
    sum.topics[1] = true;
    sum.quantity = 2;
    sum.points = 5;
    SheetSection estimate;
    estimate.mode = codes::QuestionMode::Estimation;
    estimate.topics[1] = true;
    estimate.quantity = 2;
    estimate.total = 20;
    estimate.title = u"估一估"_s;
    r.sections = {sum, estimate};
    return r;
}

DrawnSheet sectionedSheet() {
    DrawnSheet sheet;
    sheet.items = {{u"a多少"_s, 1, u"x"_s, u"1"_s, 0},
                   {u"b"_s, 1, u"y"_s, u"0"_s, 0},
                   {u"c多少"_s, 1, u"z"_s, u"0"_s, 1},
                   {u"d"_s, 1, QString(), u"0"_s, 1}};
    return sheet;
}

} // namespace

void TestWriter::sections_data() {
    QTest::addColumn<bool>("perSection");
    QTest::addColumn<bool>("answers");
    QTest::addColumn<QStringList>("paragraphs");
    const QString first = u"一、求和（每题5分，共10分）"_s, second = u"二、估一估（共20分）"_s;
    const QString c = u"c大约多少 （请用估算的方法解决问题！）"_s, d = u"d （请用估算的方法解决问题！）"_s;
    QTest::newRow("numbered through the sheet")
        << false << false
        << QStringList{first, u"[★]1、a多少"_s, u"2、b"_s, second, u"3、"_s + c, u"4、"_s + d};
    QTest::newRow("numbered in each section")
        << true << false
        << QStringList{first, u"[★]1、a多少"_s, u"2、b"_s, second, u"1、"_s + c, u"2、"_s + d};
    // The key gives each answer's points where the section gives them per question.
    QTest::newRow("key") << false << true << QStringList{first,
                                                         u"[★]1、a多少　　（答案：x）（5分）"_s,
                                                         u"2、b　　（答案：y）（5分）"_s,
                                                         second,
                                                         u"3、"_s + c + u"　　（答案：z）"_s,
                                                         u"4、"_s + d};
}

void TestWriter::sections() {
    QFETCH(bool, perSection);
    QFETCH(bool, answers);
    QFETCH(QStringList, paragraphs);
    ScriptedHost host;
    SheetRequest request = twoSections();
    request.numberPerSection = perSection;
    request.answers = answers;
    RecordingTarget target;
    DocumentWriter::write(host, target, request, sectionedSheet(), u"1/2/26"_s);
    const QStringList written = target.paragraphs();
    // The heading names the full score: 2 × 5 + 20.
    QVERIFY2(written.first().contains(u"    满分30分"_s), qPrintable(written.first()));
    QCOMPARE(written.mid(written.size() - paragraphs.size()), paragraphs);
    // A section's heading is bold and held to its first question.
    const QStringList ops = target.operations();
    const qsizetype heading = ops.indexOf(u"type "_s + paragraphs.first());
    QCOMPARE(ops.mid(heading - 2, 2), (QStringList{u"bold 1"_s, u"keep 1 1"_s}));
}

void TestWriter::sectionTitles_data() {
    QTest::addColumn<QList<int>>("slots");
    QTest::addColumn<QString>("title");
    QTest::newRow("one topic") << QList<int>{1} << u"求和"_s;
    QTest::newRow("two") << QList<int>{1, 2} << u"求和与求差"_s;
    QTest::newRow("three") << QList<int>{1, 2, 3} << u"求和、求差与比多"_s;
    QTest::newRow("four: the mode") << QList<int>{1, 2, 3, 4} << u"列式计算"_s;
    QTest::newRow("only unclassified: the mode") << QList<int>{0} << u"列式计算"_s;
}

void TestWriter::sectionTitles() {
    QFETCH(QList<int>, slots);
    QFETCH(QString, title);
    SheetSection section;
    for (const int slot : slots)
        section.topics[static_cast<size_t>(slot)] = true;
    QCOMPARE(sheetsections::titleOf(section), title);
    QCOMPARE(sheetsections::chineseNumeral(1), u"一"_s);
    QCOMPARE(sheetsections::chineseNumeral(10), u"十"_s);
    QCOMPARE(sheetsections::chineseNumeral(12), u"十二"_s);
    QCOMPARE(sheetsections::chineseNumeral(40), u"四十"_s);
}

void TestWriter::workingSpace_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QStringList>("after");
    using W = SheetLayout::WorkingSpace;
    QTest::newRow("blank") << int(W::Blank) << 2 << QStringList{u"br"_s, u"br"_s};
    QTest::newRow("ruled") << int(W::Ruled) << 2 << QStringList{u"br"_s, u"rule"_s, u"br"_s, u"rule"_s};
    QTest::newRow("answer line last")
        << int(W::AnswerLine) << 3 << QStringList{u"br"_s, u"br"_s, u"br"_s, u"type 答："_s, u"rule"_s};
    QTest::newRow("no lines, no answer line") << int(W::AnswerLine) << 0 << QStringList{};
}

void TestWriter::workingSpace() {
    QFETCH(int, kind);
    QFETCH(int, lines);
    QFETCH(QStringList, after);
    ScriptedHost host;
    host.settings().layout.workingSpace = static_cast<SheetLayout::WorkingSpace>(kind);
    host.settings().layout.blankLines = lines;
    RecordingTarget target;
    write(host, target, sheetOf({u"q"_s}));
    const QStringList ops = target.operations();
    QCOMPARE(ops.mid(ops.indexOf(u"type 1、q"_s) + 1), after);
}

void TestWriter::printChoices() {
    ScriptedHost host;
    SheetLayout &layout = host.settings().layout;
    layout.titleLine = u"  实验小学  "_s;
    layout.blankLines = 0;
    layout.pageNumbers = true;
    layout.sealLine = SheetLayout::SealLine::OddPages;
    layout.scoreTable = true;
    layout.infoLine = SheetLayout::InfoLine::School;
    host.settings().points = 4;
    RecordingTarget target;
    write(host, target, sheetOf({u"p"_s, u"q"_s}));
    const QStringList ops = target.operations();
    // Around the text, before it; the teacher's line above the title, the score table under the
    // information line.
    QCOMPARE(ops.mid(3, 2), (QStringList{u"page numbers"_s, u"seal odd"_s}));
    QVERIFY(ops.indexOf(u"type 实验小学"_s) < ops.indexOf(u"type Tessaly练习"_s));
    QVERIFY(ops.contains(u"type 满分8分"_s));
    const qsizetype info = ops.indexOf(u"type "_s + DocumentWriter::schoolInfoLine());
    QVERIFY(info > 0);
    QCOMPARE(ops.at(info + 3), u"table 题号|总分 / 得分| / 评卷人|"_s);
    // The key: no seal line (it is the teacher's), no information line, no score table.
    host.settings().answers = true;
    RecordingTarget key;
    write(host, key, sheetOf({u"p"_s, u"q"_s}, {u"1"_s, u"2"_s}));
    QVERIFY(!key.operations().contains(u"seal odd"_s));
    QVERIFY(!key.operations().join(u'|').contains(u"table "_s));
    QVERIFY(key.paragraphs().contains(u"1、p　　（答案：1）（4分）"_s));
}

void TestWriter::compactKey() {
    ScriptedHost host;
    SheetRequest request = twoSections();
    request.answers = true;
    request.compactKey = true;
    request.layout.blankLines = 3;
    RecordingTarget target;
    DocumentWriter::write(host, target, request, sectionedSheet(), u"1/2/26"_s);
    // Number, answer and points, under the sections' headings; no question text, no working space.
    const QStringList written = target.paragraphs();
    QCOMPARE(written.mid(written.indexOf(u"参考答案"_s) + 1),
             (QStringList{u"一、求和（每题5分，共10分）"_s, u"1、x（5分）"_s, u"2、y（5分）"_s,
                          u"二、估一估（共20分）"_s, u"3、z"_s, u"4、"_s}));
    QVERIFY(!target.operations().contains(u"br"_s));
    QVERIFY(target.operations().contains(u"layout A4 columns 3 spacing 0"_s));
    QVERIFY(target.operations().contains(u"even columns"_s)); // short lines: the last page evened out
}

void TestWriter::sheetDateIsChinese_data() {
    QTest::addColumn<QLocale>("system");
    QTest::addColumn<QString>("date");
    QTest::newRow("English system") << QLocale(QLocale::English, QLocale::UnitedKingdom) << u"2026/12/8"_s;
    QTest::newRow("American system") << QLocale(QLocale::English, QLocale::UnitedStates) << u"2026/12/8"_s;
    QTest::newRow("German system") << QLocale(QLocale::German, QLocale::Germany) << u"2026/12/8"_s;
    QTest::newRow("Chinese system: its own short date")
        << QLocale(QLocale::Chinese, QLocale::China)
        << QLocale(QLocale::Chinese, QLocale::China).toString(QDate(2026, 12, 8), QLocale::ShortFormat);
}

void TestWriter::sheetDateIsChinese() {
    QFETCH(QLocale, system);
    QFETCH(QString, date);
    QCOMPARE(sheetDate(QDate(2026, 12, 8), system), date);
    QVERIFY(!sheetDate(QDate(2026, 12, 8), system).contains(u"Dec"_s));
}

QTEST_GUILESS_MAIN(TestWriter)
#include "tst_writer.moc"
