// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/DocumentWriter.h"
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
