// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ClassCommands.h"
#include "app/GenerateCommand.h"
#include "editor/PupilList.h"
#include "history/ClassReport.h"
#include "history/MarkNumbers.h"
#include "history/ReviewSchedule.h"
#include "history/SheetHistory.h"
#include "service/SheetService.h"
#include "support/DocxReader.h"
#include "support/RecordingTarget.h"
#include "support/ScriptedHost.h"
#include "support/TempBank.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

// Class lists, one sheet per pupil, marks and the review sheets their schedule brings back.
class TestPupils : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void classListsRead_data();
    void classListsRead();
    void questionNumbersRead_data();
    void questionNumbersRead();
    void scheduleOverDays_data();
    void scheduleOverDays();
    void classSetMarkedAndReviewed();
    void marksFromACsvAllOrNothing();
    void reportFigures();
    void reportDrawnToFiles();

private:
    struct Run {
        int status;
        QString out, err;
    };
    Run generate(const QStringList &arguments);
    Run command(bool mark, const QStringList &arguments);

    TempBank bank_;
    QTemporaryDir work_;
    QString history_;
};

namespace {

QString pupilsText(const QList<SheetPupil> &pupils) {
    QStringList parts;
    for (const SheetPupil &p : pupils)
        parts.append(p.className + u'/' + p.name + u'/' + p.number);
    return parts.join(u';');
}

} // namespace

TestPupils::Run TestPupils::generate(const QStringList &arguments) {
    const Result<GenerateOptions> options = GenerateOptions::parse(
        QStringList{u"--bank-dir"_s, bank_.dir(), u"--history"_s, history_} + arguments,
        UserFiles::inFolder(bank_.dir()));
    if (!options)
        return {2, QString(), options.error()};
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = runGenerate(options.value(), o, e);
    return {status, out, err};
}

TestPupils::Run TestPupils::command(bool mark, const QStringList &arguments) {
    QString out, err;
    QTextStream o(&out), e(&err);
    const QStringList all = arguments + QStringList{u"--history"_s, history_};
    const int status = mark ? runMarkCommand(all, UserFiles::inFolder(bank_.dir()), o, e)
                            : runClassCommand(all, UserFiles::inFolder(bank_.dir()), o, e);
    return {status, out, err};
}

void TestPupils::classListsRead_data() {
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("pupils"); // class/name/number;…, or the start of the error
    QTest::newRow("chinese header") << "姓名,学号,班级\n张三,1,三年级一班\n李四,2,三年级二班\n"_ba
                                    << QString() << u"三年级一班/张三/1;三年级二班/李四/2"_s;
    QTest::newRow("english header, any order")
        << "class,name,number\r\n3A,Tom,7\r\n"_ba << QString() << u"3A/Tom/7"_s;
    QTest::newRow("no class column, class given")
        << "\xEF\xBB\xBF姓名,学号\n王五,3\n赵六,\n"_ba << u"一班"_s << u"一班/王五/3;一班/赵六/"_s;
    QTest::newRow("quoted name with a comma")
        << "姓名,班级\n\"欧阳,小明\",一班\n"_ba << QString() << u"一班/欧阳,小明/"_s;
    QTest::newRow("gb18030") << QByteArray::fromHex("d0d5c3fb2cb0e0bcb60ac1f5d2bb2cd2bbb0e00a") << QString()
                             << u"一班/刘一/"_s;
    QTest::newRow("no class anywhere") << "姓名\n张三\n"_ba << QString() << u"名单里没有 班级 一列"_s;
    QTest::newRow("no name column") << "学号,班级\n1,一班\n"_ba << QString() << u"第1行（表头）应有 姓名"_s;
    QTest::newRow("a name missing") << "姓名,学号,班级\n张三,1,一班\n,2,一班\n"_ba << QString()
                                    << u"第3行：姓名是空的"_s;
    QTest::newRow("one number twice") << "姓名,学号,班级\n张三,1,一班\n李四,1,一班\n"_ba << QString()
                                      << u"第3行：一班 的学号 1 与前面的学生重复"_s;
    QTest::newRow("empty list") << "姓名,班级\n\n"_ba << QString() << u"名单里没有学生"_s;
}

void TestPupils::classListsRead() {
    QFETCH(QByteArray, csv);
    QFETCH(QString, className);
    QFETCH(QString, pupils);
    const Result<QList<SheetPupil>> read = pupillist::parse(csv, className);
    QCOMPARE(read ? pupilsText(read.value()) : read.error().left(pupils.size()), pupils);
}

void TestPupils::questionNumbersRead_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("numbers"); // empty with ok false: refused
    QTest::addColumn<bool>("ok");
    QTest::newRow("commas") << u"3,7,12"_s << QList<int>{3, 7, 12} << true;
    QTest::newRow("chinese separators") << u"3、7，12；1"_s << QList<int>{3, 7, 12, 1} << true;
    QTest::newRow("spaces and a range") << u"2-4 9"_s << QList<int>{2, 3, 4, 9} << true;
    QTest::newRow("twice is once") << u"5,5"_s << QList<int>{5} << true;
    QTest::newRow("none: all right") << QString() << QList<int>{} << true;
    QTest::newRow("zero") << u"0"_s << QList<int>{} << false;
    QTest::newRow("a word") << u"3,第七"_s << QList<int>{} << false;
    QTest::newRow("a range backwards") << u"5-2"_s << QList<int>{} << false;
}

void TestPupils::questionNumbersRead() {
    QFETCH(QString, text);
    QFETCH(QList<int>, numbers);
    QFETCH(bool, ok);
    const Result<QList<int>> read = questionNumbers(text);
    QCOMPARE(read.ok(), ok);
    if (ok)
        QCOMPARE(read.value(), numbers);
}

void TestPupils::scheduleOverDays_data() {
    QTest::addColumn<QString>("marks"); // a question's marks: w or r and the day, "w0 r1"
    QTest::addColumn<double>("now");    // the day asked about
    QTest::addColumn<int>("step");      // -1: not due
    QTest::newRow("a day after the miss") << u"w0"_s << 1.0 << 0;
    QTest::newRow("not yet") << u"w0"_s << 0.9 << -1;
    QTest::newRow("right once: two days") << u"w0 r1"_s << 2.9 << -1;
    QTest::newRow("right once: due on day three") << u"w0 r1"_s << 3.0 << 1;
    QTest::newRow("four days") << u"w0 r1 r3"_s << 7.0 << 2;
    QTest::newRow("eight days") << u"w0 r1 r3 r7"_s << 15.0 << 3;
    QTest::newRow("sixteen days") << u"w0 r1 r3 r7 r15"_s << 31.0 << 4;
    QTest::newRow("learnt") << u"w0 r1 r3 r7 r15 r31"_s << 200.0 << -1;
    QTest::newRow("wrong again: back to the start") << u"w0 r1 r3 w7"_s << 8.0 << 0;
    QTest::newRow("never wrong") << u"r0 r5"_s << 30.0 << -1;
    QTest::newRow("right before any miss counts nothing") << u"r0 w2"_s << 3.0 << 0;
}

void TestPupils::scheduleOverDays() {
    QFETCH(QString, marks);
    QFETCH(double, now);
    QFETCH(int, step);
    const QDateTime start(QDate(2026, 3, 2), QTime(8, 0));
    QList<MarkedItem> items;
    for (const QString &m : marks.split(u' ')) {
        MarkedItem item;
        item.correct = m.startsWith(u'r');
        item.marked = start.addDays(m.mid(1).toInt());
        item.key = 42;
        item.question = u"题"_s;
        items.append(item);
    }
    // Another question, never wrong, is never due whatever the first one does.
    MarkedItem other;
    other.correct = true;
    other.marked = start;
    other.key = 7;
    items.append(other);
    const QList<reviewschedule::Due> due =
        reviewschedule::due(items, start.addSecs(static_cast<qint64>(now * 86400)));
    QCOMPARE(due.size(), step < 0 ? 0 : 1);
    if (step >= 0) {
        QCOMPARE(due.first().step, step);
        QCOMPARE(due.first().last.key, quint64(42));
    }
}

void TestPupils::classSetMarkedAndReviewed() {
    history_ = work_.filePath(u"class.sqlite"_s);
    QStringList lines;
    for (int topic = 1; topic <= 2; ++topic)
        for (int n = 0; n < 12; ++n)
            lines.append(u"题%1-%2|1|%1|%3|答%1-%2"_s.arg(topic).arg(n).arg(n % 3));
    bank_.writeLines(u"tk.txt"_s, lines);
    const QString list = work_.filePath(u"名单.csv"_s);
    QFile file(list);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("姓名,学号\n张三,1\n李四,2\n王五,3\n");
    file.close();
    Run run = command(false, {u"import"_s, list, u"--class"_s, u"一年级一班"_s});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QVERIFY(run.out.contains(u"一年级一班：共 3 名学生"_s));
    // The same list again adds nobody.
    run = command(false, {u"import"_s, list, u"--class"_s, u"一年级一班"_s});
    QVERIFY(run.out.contains(u"新加 0 名学生"_s));

    run = generate({u"--grade"_s, u"1"_s, u"--count"_s, u"4"_s, u"--class"_s, u"一年级一班"_s, u"--output"_s,
                    work_.filePath(u"set.docx"_s), u"--seed"_s, u"3"_s});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    const QStringList codes = [&run] {
        QStringList found;
        for (const QRegularExpressionMatch &m :
             QRegularExpression(u"卷号 (\\S{4}-\\S{2})"_s).globalMatch(run.out))
            found.append(m.captured(1));
        return found;
    }();
    QCOMPARE(codes.size(), 3);
    Result<std::unique_ptr<SheetHistory>> opened = SheetHistory::open(history_);
    QVERIFY(opened.ok());
    SheetHistory &history = *opened.value();
    const QList<SheetPupil> pupils = history.pupils(u"一年级一班"_s);
    QCOMPARE(pupilsText(pupils), u"一年级一班/张三/1;一年级一班/李四/2;一年级一班/王五/3"_s);
    for (int k = 0; k < 3; ++k) {
        // Each pupil's own sheet: the name in the information line, the pupil on record.
        QFile sheet(work_.filePath(u"set-%1.docx"_s.arg(k + 1)));
        QVERIFY(sheet.open(QIODevice::ReadOnly));
        const QStringList texts =
            docxreader::parse(docxreader::part(sheet.readAll(), u"word/document.xml"_s).value())
                .value()
                .texts();
        QVERIFY2(texts.join(u'|').contains(u"姓名："_s + pupils[k].name + u"   座号："_s + pupils[k].number),
                 qPrintable(texts.join(u'|')));
        QCOMPARE(history.find(codes[k])->pupilId, pupils[k].id);
    }

    // 李四 got two wrong; the marks replace earlier ones of the same sheet.
    run = command(true, {codes[1], u"--wrong"_s, u"1"_s});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    run = command(true, {codes[1], u"--wrong"_s, u"1,3"_s});
    QVERIFY(run.out.contains(u"4 道题，错 2 道"_s));
    run = command(true, {codes[1], u"--wrong"_s, u"5"_s});
    QCOMPARE(run.status, 1);
    QVERIFY(run.err.contains(u"只有 4 道题，没有第 5 题"_s));
    const QList<MarkedItem> marks = history.marksOf({pupils[1].id});
    QCOMPARE(marks.size(), 4);
    QCOMPARE(std::count_if(marks.begin(), marks.end(), [](const MarkedItem &m) { return !m.correct; }), 2);
    const std::optional<RecordedSheet> marked = history.find(codes[1]);
    const QStringList wrong{marked->questions[0], marked->questions[2]};

    // The review over the days after: nothing the same day, the two the next, each with one like it.
    SheetService service(bank_.dir(), &history);
    ScriptedHost host;
    host.settings().grade = 1;
    host.settings().quantity = 3;
    const auto review = [&](double days) {
        SheetOrder order;
        order.seed = 9;
        order.pupils = {pupils[1]};
        order.review = true;
        order.reviewAt = QDateTime::currentDateTime().addSecs(static_cast<qint64>(days * 86400));
        order.output = u"/out/review.docx"_s;
        RecordingOutputs outputs;
        const SheetOutcome made = service.make(host, order, outputs, *std::make_unique<SheetListener>());
        return history.find(made.made.value(0).code);
    };
    std::optional<RecordedSheet> sameDay = review(0.5);
    QVERIFY(sameDay);
    QCOMPARE(sameDay->questions.size(), 3);
    QVERIFY(!sameDay->settings.contains(u"错题重练"_s));
    std::optional<RecordedSheet> nextDay = review(1.1);
    QVERIFY(nextDay);
    QCOMPARE(nextDay->questions.size(), 2 * 2 + 3);
    QVERIFY(nextDay->settings.contains(u"title=错题重练"_s));
    QCOMPARE((QStringList{nextDay->questions[0], nextDay->questions[2]}), wrong);
    for (int k : {0, 2}) {
        // The one like it: the same topic and difficulty, another question.
        QCOMPARE(nextDay->topicCodes[k + 1], nextDay->topicCodes[k]);
        QCOMPARE(nextDay->difficulties[k + 1], nextDay->difficulties[k]);
        QVERIFY(nextDay->questions[k + 1] != nextDay->questions[k]);
    }
    QCOMPARE(nextDay->pupilId, pupils[1].id);
}

void TestPupils::marksFromACsvAllOrNothing() {
    history_ = work_.filePath(u"csv.sqlite"_s);
    bank_.writeLines(u"tk.txt"_s, {u"甲|1|1|0|1"_s, u"乙|1|1|0|2"_s, u"丙|1|1|0|3"_s});
    Run run =
        generate({u"--grade"_s, u"1"_s, u"--count"_s, u"3"_s, u"--output"_s, work_.filePath(u"one.docx"_s)});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    const QString code = QRegularExpression(u"卷号 (\\S{4}-\\S{2})"_s).match(run.out).captured(1);
    const QString csv = work_.filePath(u"marks.csv"_s);
    const auto write = [&csv](const QByteArray &bytes) {
        QFile f(csv);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    write("卷号,错题\n" + code.toUtf8() + ",2\n" + code.toUtf8() + ",第二题\n");
    run = command(true, {u"--from"_s, csv});
    QCOMPARE(run.status, 1);
    QVERIFY(run.err.contains(u"第3行"_s));
    Result<std::unique_ptr<SheetHistory>> opened = SheetHistory::open(history_);
    QVERIFY(opened.ok());
    QVERIFY(opened.value()->find(code));
    write("卷号,错题,对题\n" + code.toLower().toUtf8() + ",,1 3\n");
    run = command(true, {u"--from"_s, csv});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QVERIFY(run.out.contains(u"3 道题，错 1 道"_s));
}

void TestPupils::reportFigures() {
    const QList<SheetPupil> pupils{SheetPupil{1, u"一班"_s, u"张三"_s, u"1"_s},
                                   SheetPupil{2, u"一班"_s, u"李四"_s, u"2"_s},
                                   SheetPupil{3, u"一班"_s, u"王五"_s, u"3"_s}};
    const QDateTime day(QDate(2026, 5, 4), QTime(9, 0));
    QList<MarkedItem> marks;
    // pupil, sheet, position, correct, topic, difficulty, minutes after nine
    const auto add = [&](qint64 pupil, const QString &code, int position, bool correct, int topic,
                         int difficulty, int minutes) {
        MarkedItem m;
        m.pupilId = pupil;
        m.code = code;
        m.position = position;
        m.correct = correct;
        m.topicCode = QString::number(topic);
        m.difficulty = QString::number(difficulty);
        m.marked = day.addSecs(qint64(minutes) * 60);
        marks.append(m);
    };
    // 张三: 求和 ★ three wrong of four; 求差 基础题 right.
    add(1, u"AAAA-AA"_s, 0, false, 1, 1, 0);
    add(1, u"AAAA-AA"_s, 1, false, 1, 1, 0);
    add(1, u"AAAA-AA"_s, 2, false, 1, 1, 0);
    add(1, u"AAAA-AA"_s, 3, true, 1, 1, 0);
    add(1, u"AAAA-AA"_s, 4, true, 2, 0, 0);
    // 李四: one 求和 ★ wrong, then the same question's mark corrected to right: it counts once, right.
    add(2, u"BBBB-BB"_s, 0, false, 1, 1, 0);
    add(2, u"BBBB-BB"_s, 0, true, 1, 1, 5);
    add(2, u"BBBB-BB"_s, 1, false, 45, 3, 0); // an olympiad topic
    const ClassReport report = classreport::make(u"一班"_s, pupils, marks);
    QCOMPARE(report.asked, 7);
    QCOMPARE(report.wrong, 4);
    QCOMPARE(report.cells.size(), 3);
    const ClassReport::Cell &sums = report.cells[0];
    QCOMPARE(sums.topic, u"求和"_s);
    QCOMPARE(sums.difficulty, 1);
    QCOMPARE(sums.asked, 5);
    QCOMPARE(sums.wrong, 3);
    QCOMPARE(report.cells[2].topic, u"奥数·周期"_s);
    QCOMPARE(report.byTopic().first().topic, u"奥数·周期"_s); // the worst topic first
    QCOMPARE(report.pupils.size(), 3);
    QCOMPARE(report.pupils[0].practise, QStringList{u"求和"_s});
    QVERIFY(report.pupils[1].practise.isEmpty()); // one wrong is not yet a topic to practise
    QCOMPARE(report.pupils[2].asked, 0);
    QVERIFY(classreport::text(report).contains(u"求和\t★\t5\t3\t60%"_s));
}

void TestPupils::reportDrawnToFiles() {
    history_ = work_.filePath(u"report.sqlite"_s);
    {
        Result<std::unique_ptr<SheetHistory>> opened = SheetHistory::open(history_);
        QVERIFY(opened.ok());
        QVERIFY(opened.value()->addPupils({SheetPupil{0, u"二班"_s, u"赵六"_s, u"1"_s}}).ok());
        RecordedSheet sheet;
        sheet.created = QDateTime::currentDateTime();
        sheet.mode = u"列式计算"_s;
        sheet.settings = u"stars=1"_s;
        sheet.pupilId = opened.value()->pupils(u"二班"_s).first().id;
        for (int i = 0; i < 4; ++i) {
            sheet.questions.append(u"第%1题"_s.arg(i));
            sheet.topicCodes.append(u"9"_s);
            sheet.answers.append(u"答"_s);
            sheet.difficulties.append(u"2"_s);
        }
        const Result<QString> code = opened.value()->record(sheet);
        QVERIFY(code.ok());
        QVERIFY(opened.value()
                    ->mark(code.value(), {{0, false}, {1, false}, {2, true}, {3, true}}, sheet.created)
                    .ok());
    }
    for (const QString &name : {u"report.pdf"_s, u"report.png"_s}) {
        QProcess report;
        report.start(QStringLiteral(TESSALY_PROGRAM),
                     {u"report"_s, u"二班"_s, u"--history"_s, history_, u"--output"_s, work_.filePath(name)});
        QVERIFY(report.waitForFinished(60000));
        const QString out = QString::fromUtf8(report.readAllStandardOutput());
        QVERIFY2(report.exitCode() == 0, report.readAllStandardError().constData());
        QVERIFY2(out.contains(u"倍数\t★★\t4\t2\t50%"_s), qPrintable(out));
        QVERIFY(out.contains(u"赵六\t4\t2\t倍数"_s));
    }
    QCOMPARE(QImage(work_.filePath(u"report.png"_s)).size(), QSize(1240, 1754));
    QProcess text;
    text.start(u"pdftotext"_s, {work_.filePath(u"report.pdf"_s), u"-"_s});
    QVERIFY(text.waitForFinished(30000));
    // Qt's PDF maps some glyphs of the CJK face back to their Kangxi radicals (二 as ⼆): compared as
    // a reader sees them.
    const QString pdfText =
        QString::fromUtf8(text.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
    QVERIFY2(pdfText.contains(u"二班：共批改 4 道题，错 2 道"_s.normalized(QString::NormalizationForm_KC)),
             qPrintable(pdfText));
    QVERIFY(pdfText.contains(u"赵六"_s));
    // A class that has no list: said, and no file.
    QProcess none;
    none.start(QStringLiteral(TESSALY_PROGRAM), {u"report"_s, u"九班"_s, u"--history"_s, history_,
                                                 u"--output"_s, work_.filePath(u"none.pdf"_s)});
    QVERIFY(none.waitForFinished(60000));
    QCOMPARE(none.exitCode(), 1);
    QVERIFY(QString::fromUtf8(none.readAllStandardError()).contains(u"没有班级“九班”的名单"_s));
    QVERIFY(!QFile::exists(work_.filePath(u"none.pdf"_s)));
}

QTEST_GUILESS_MAIN(TestPupils)
#include "tst_pupils.moc"
