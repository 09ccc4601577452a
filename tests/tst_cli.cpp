// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/GenerateCommand.h"
#include "app/GenerateOptions.h"
#include "documents/DeliveryChoice.h"
#include "download/BankDownload.h"
#include "editor/EntryValues.h"
#include "editor/PlanFile.h"
#include "generation/PlanText.h"
#include "generation/SectionText.h"
#include "support/DocxReader.h"
#include "support/FullDisk.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestCli : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void defaults();
    void defaultTopics_data();
    void defaultTopics();
    void topicsByNameAndNumber();
    void badOptions_data();
    void badOptions();
    void worksheetAndAnswerKeyMatch();
    void sameSeedSameWorksheet();
    void badBank_data();
    void badBank();
    void missingOutputFolder();
    void unwritableOutputFolder();
    void fullDiskKeepsTheOldSheet();
    void pageLayout_data();
    void pageLayout();
    void program();
    void commandsLoadNeitherWindowNorOffice();
    void settingsFiles_data();
    void settingsFiles();
    void sectionsParsed_data();
    void sectionsParsed();
    void plansParsed_data();
    void plansParsed();
    void planFileRoundTrip();

private:
    struct Outcome {
        int status;
        QString out;
        QString err;
    };
    Outcome generate(const QStringList &arguments) const;
    static docxreader::Document read(const QString &path);

    QTemporaryDir work_;
    QString bankDir_;
};

void TestCli::initTestCase() {
    bankDir_ = work_.filePath(u"bank"_s);
    QVERIFY(QDir().mkpath(bankDir_));
    QVERIFY(QFile::copy(QStringLiteral(TESSALY_SAMPLE_BANK), bankDir_ + u"/tk.txt"_s));
}

TestCli::Outcome TestCli::generate(const QStringList &arguments) const {
    const Result<GenerateOptions> options = GenerateOptions::parse(arguments, UserFiles::inFolder(bankDir_));
    if (!options)
        return {2, QString(), options.error()};
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const int status = runGenerate(options.value(), outStream, errStream);
    return {status, out, err};
}

docxreader::Document TestCli::read(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot open %s", qPrintable(path));
    const std::optional<QByteArray> xml = docxreader::part(file.readAll(), u"word/document.xml"_s);
    const std::optional<docxreader::Document> doc = xml ? docxreader::parse(*xml) : std::nullopt;
    if (!doc)
        qFatal("no document in %s", qPrintable(path));
    return *doc;
}

void TestCli::defaults() {
    const Result<GenerateOptions> parsed =
        GenerateOptions::parse({u"--output"_s, u"a.docx"_s}, UserFiles::inFolder(u"/bank"_s));
    QVERIFY(parsed.ok());
    const GenerateOptions &o = parsed.value();
    QCOMPARE(o.bankDir, u"/bank"_s);
    QCOMPARE(o.settings.grade, 0);
    QCOMPARE(o.settings.mode, codes::QuestionMode::Calculation);
    QCOMPARE(o.settings.quantity, 24);
    QCOMPARE(o.settings.layout.fontName, u"宋体"_s);
    QCOMPARE(o.settings.layout.fontSize, 11.0);
    QCOMPARE(o.settings.layout.blankLines, 2);
    QVERIFY(o.settings.stars);
    QVERIFY(!o.settings.answers);
    QVERIFY(!o.settings.repeats);
    QVERIFY(!o.seed.has_value());
    for (bool ticked : o.settings.topics)
        QVERIFY(ticked);
}

void TestCli::defaultTopics_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("ticked"); // topic slots ticked, 未归类题 aside
    QTest::newRow("grade 1") << QStringList{u"--grade"_s, u"1"_s} << 5;
    QTest::newRow("grade by name") << QStringList{u"--grade"_s, u"三年级"_s} << 17;
    QTest::newRow("equations at grade 6")
        << QStringList{u"--grade"_s, u"6"_s, u"--mode"_s, u"equation"_s} << 28;
    QTest::newRow("olympiad grade 1") << QStringList{u"--grade"_s, u"1"_s, u"--mode"_s, u"奥数"_s} << 3;
    QTest::newRow("olympiad grade 4 takes all")
        << QStringList{u"--grade"_s, u"4"_s, u"--mode"_s, u"奥数"_s} << 40;
}

void TestCli::defaultTopics() {
    QFETCH(QStringList, arguments);
    QFETCH(int, ticked);
    const Result<GenerateOptions> parsed =
        GenerateOptions::parse(arguments + QStringList{u"--output"_s, u"a.docx"_s}, {});
    QVERIFY2(parsed.ok(), qPrintable(parsed.error()));
    const auto &boxes = parsed.value().settings.topics;
    QVERIFY(boxes[0]);
    QCOMPARE(static_cast<int>(std::count(boxes.begin() + 1, boxes.end(), true)), ticked);
}

void TestCli::topicsByNameAndNumber() {
    const Result<GenerateOptions> parsed = GenerateOptions::parse(
        {u"--mode"_s, u"奥数"_s, u"--topics"_s, u"3,和差,表面积,牛 吃 草"_s, u"--output"_s, u"a.docx"_s}, {});
    QVERIFY2(parsed.ok(), qPrintable(parsed.error()));
    const auto &boxes = parsed.value().settings.topics;
    QVERIFY(!boxes[0]); // 未归类题 only when listed
    QVERIFY(boxes[3]);
    QVERIFY(boxes[9]);
    QVERIFY(boxes[27]);
    QVERIFY(boxes[36]);
    QCOMPARE(static_cast<int>(std::count(boxes.begin(), boxes.end(), true)), 4);
}

void TestCli::badOptions_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("named");
    const QStringList out{u"--output"_s, u"a.docx"_s};
    QTest::newRow("grade out of range") << QStringList{u"--grade"_s, u"7"_s} + out << u"--grade"_s;
    QTest::newRow("unknown mode") << QStringList{u"--mode"_s, u"几何"_s} + out << u"--mode"_s;
    QTest::newRow("unknown topic") << QStringList{u"--topics"_s, u"1,飞行"_s} + out << u"--topics"_s;
    QTest::newRow("olympiad name in textbook mode")
        << QStringList{u"--topics"_s, u"容斥原理"_s} + out << u"--topics"_s;
    QTest::newRow("slot 41") << QStringList{u"--topics"_s, u"41"_s} + out << u"--topics"_s;
    QTest::newRow("count 0") << QStringList{u"--count"_s, u"0"_s} + out << u"--count"_s;
    QTest::newRow("count text") << QStringList{u"--count"_s, u"many"_s} + out << u"--count"_s;
    QTest::newRow("font") << QStringList{u"--font"_s, u"Arial"_s} + out << u"--font"_s;
    QTest::newRow("size") << QStringList{u"--size"_s, u"0"_s} + out << u"--size"_s;
    QTest::newRow("size nan") << QStringList{u"--size"_s, u"nan"_s} + out << u"--size"_s;
    QTest::newRow("size inf") << QStringList{u"--size"_s, u"inf"_s} + out << u"--size"_s;
    QTest::newRow("value missing") << out + QStringList{u"--grade"_s} << u"--grade 缺少取值"_s;
    QTest::newRow("blank lines") << QStringList{u"--blank-lines"_s, u"9"_s} + out << u"--blank-lines"_s;
    QTest::newRow("columns 11") << QStringList{u"--columns"_s, u"11"_s} + out << u"--columns"_s;
    QTest::newRow("columns 0") << QStringList{u"--columns"_s, u"0"_s} + out << u"--columns"_s;
    QTest::newRow("line spacing 19") << QStringList{u"--line-spacing"_s, u"19"_s} + out
                                     << u"--line-spacing"_s;
    QTest::newRow("line spacing nan")
        << QStringList{u"--line-spacing"_s, u"nan"_s} + out << u"--line-spacing"_s;
    QTest::newRow("paper A5") << QStringList{u"--paper"_s, u"A5"_s} + out << u"16K"_s;
    QTest::newRow("seed") << QStringList{u"--seed"_s, u"-1"_s} + out << u"--seed"_s;
    QTest::newRow("no output") << QStringList{} << u"--output"_s;
    QTest::newRow("output not docx") << QStringList{u"--output"_s, u"a.txt"_s} << u"--output"_s;
    QTest::newRow("duplex without one file") << QStringList{u"--duplex"_s} + out << u"--duplex"_s;
    QTest::newRow("section without value") << QStringList{u"--section"_s, u"count"_s} + out << u"count"_s;
    QTest::newRow("section of unknown key")
        << QStringList{u"--section"_s, u"colour=red"_s} + out << u"colour"_s;
    QTest::newRow("section count 0") << QStringList{u"--section"_s, u"count=0"_s} + out << u"count"_s;
    QTest::newRow("section of an unknown topic")
        << QStringList{u"--section"_s, u"topics=飞行"_s} + out << u"飞行"_s;
    QTest::newRow("section topics read in its own mode")
        << QStringList{u"--section"_s, u"topics=容斥原理;mode=估算"_s} + out << u"估算"_s;
    QTest::newRow("section with --count")
        << QStringList{u"--section"_s, u"topics=1"_s, u"--count"_s, u"5"_s} + out << u"--count"_s;
    QTest::newRow("number per section alone")
        << QStringList{u"--number-per-section"_s} + out << u"--number-per-section"_s;
    QTest::newRow("difficulty 6") << QStringList{u"--difficulty"_s, u"6"_s} + out << u"--difficulty"_s;
    QTest::newRow("difficulty range downwards")
        << QStringList{u"--difficulty"_s, u"3-1"_s} + out << u"--difficulty"_s;
    QTest::newRow("difficulty word") << QStringList{u"--difficulty"_s, u"难"_s} + out << u"--difficulty"_s;
    QTest::newRow("plan with --count")
        << QStringList{u"--plan"_s, u"求和:3@1"_s, u"--count"_s, u"5"_s} + out << u"--plan"_s;
    QTest::newRow("plan file missing")
        << QStringList{u"--plan"_s, u"/nowhere/plan.csv"_s} + out << u"无法读取"_s;
    QTest::newRow("points 0") << QStringList{u"--points"_s, u"0"_s} + out << u"--points"_s;
    QTest::newRow("seal line") << QStringList{u"--seal-line"_s, u"left"_s} + out << u"--seal-line"_s;
    QTest::newRow("info line") << QStringList{u"--info-line"_s, u"x"_s} + out << u"--info-line"_s;
    QTest::newRow("working space") << QStringList{u"--working-space"_s, u"grid"_s} + out
                                   << u"--working-space"_s;
    QTest::newRow("key is the sheet")
        << QStringList{u"--answer-key"_s, u"a.docx"_s} + out << u"--answer-key"_s;
    // Named, in Chinese, with the options there are.
    QTest::newRow("unknown option") << QStringList{u"--colour"_s} + out << u"未知的选项“colour”"_s;
    QTest::newRow("unknown option lists the known ones")
        << QStringList{u"--colour"_s} + out << u"--blank-lines"_s;
}

void TestCli::sectionsParsed_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("written"); // as the history keeps it
    QTest::newRow("topics by number and name, points, title")
        << u"topics=1,求差;count=8;points=5;title=求和与求差"_s
        << u"mode=列式计算;topics=1,2;count=8;points=5;title=求和与求差"_s;
    QTest::newRow("the mode before or after the topics")
        << u"topics=容斥原理;mode=奥数;total=30"_s << u"mode=奥数;topics=15;count=10;total=30"_s;
    QTest::newRow("unclassified, spaces")
        << u" topics = u , 3 ; count = 4 "_s << u"mode=列式计算;topics=u,3;count=4"_s;
    QTest::newRow("a title's semicolon kept as a full-width one")
        << u"topics=1;title=一；二"_s << u"mode=列式计算;topics=1;count=10;title=一；二"_s;
}

void TestCli::sectionsParsed() {
    QFETCH(QString, text);
    QFETCH(QString, written);
    const Result<SheetSection> section =
        sectiontext::parse(text, 3, codes::QuestionMode::Calculation, entryvalues::topicSlot);
    QVERIFY2(section.ok(), qPrintable(section.error()));
    QCOMPARE(sectiontext::write(section.value()), written);
    // What the history keeps reads back to the same section.
    const Result<SheetSection> again = sectiontext::parse(written, 3, codes::QuestionMode::Calculation);
    QVERIFY(again.ok());
    QVERIFY(again.value() == section.value());
}

void TestCli::plansParsed_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("written"); // as the history keeps it; empty: refused, naming the cell
    QTest::newRow("four cells, topics by name")
        << u"求和:3@1,求和:2@2,求差:3@1-2,倍数:2@3"_s << u"1:3@1,1:2@2,2:3@1-2,9:2@3"_s;
    QTest::newRow("names of the difficulties, points, full-width marks")
        << u"求和：3@基础题，求差:2@★-★★★:5"_s << u"1:3@0,2:2@1-3:5"_s;
    QTest::newRow("unknown topic") << u"飞行:3@1"_s << QString();
    QTest::newRow("no difficulty") << u"求和:3"_s << QString();
    QTest::newRow("range downwards") << u"求和:3@3-1"_s << QString();
    QTest::newRow("count 0") << u"求和:0@1"_s << QString();
    QTest::newRow("nothing") << u" , "_s << QString();
}

void TestCli::plansParsed() {
    QFETCH(QString, text);
    QFETCH(QString, written);
    const Result<QList<PlanCell>> plan =
        plantext::parse(text, codes::QuestionMode::Calculation, entryvalues::topicSlot);
    if (written.isEmpty()) {
        QVERIFY(!plan.ok());
        QVERIFY(!plan.error().contains(u'\n'));
        return;
    }
    QVERIFY2(plan.ok(), qPrintable(plan.error()));
    QCOMPARE(plantext::write(plan.value()), written);
    QCOMPARE(plantext::parse(written, codes::QuestionMode::Calculation).value(), plan.value());
}

void TestCli::planFileRoundTrip() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"plan.csv"_s);
    const QList<PlanCell> plan{PlanCell{1, 0, 0, 3, 5}, PlanCell{2, 1, 3, 2, 0}, PlanCell{0, 2, 2, 1, 0}};
    QVERIFY(planfile::write(path, plan, codes::QuestionMode::Calculation).ok());
    // What a spreadsheet shows: the names, and the header the reader takes.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY2(text.contains(u"专题,难度,题量,分值\r\n求和,基础题,3,5\r\n求差,1-3,2,\r\n未归类题,★★,1,"_s),
             qPrintable(text));
    file.close();
    const Result<QList<PlanCell>> back = planfile::read(path, codes::QuestionMode::Calculation);
    QVERIFY2(back.ok(), qPrintable(back.error()));
    QCOMPARE(back.value(), plan);
    // A row the reader cannot take is named by its line, and --plan reads the file as well.
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("topic,difficulty,count\n求和,1,2\n求和,9,2\n");
    file.close();
    const Result<QList<PlanCell>> bad = planfile::read(path, codes::QuestionMode::Calculation);
    QVERIFY(!bad.ok());
    QVERIFY2(bad.error().startsWith(u"第3行"_s), qPrintable(bad.error()));
    const Result<GenerateOptions> options =
        GenerateOptions::parse({u"--plan"_s, path, u"--output"_s, u"a.docx"_s}, {});
    QVERIFY(!options.ok());
    QVERIFY(options.error().startsWith(u"--plan：第3行"_s));

    // Saved over an older plan on a full disk: the older one stays byte for byte, and the reason is said.
    FullDisk disk(64);
    if (!disk.available())
        QSKIP("mounting a small file system needs root");
    const QString saved = disk.path(u"plan.csv"_s);
    QVERIFY(planfile::write(saved, {PlanCell{1, 0, 0, 3, 0}}, codes::QuestionMode::Calculation).ok());
    QFile before(saved);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray old = before.readAll();
    before.close();
    QVERIFY(disk.fill(u"filler"_s, 512));
    QList<PlanCell> big;
    for (int i = 0; i < 2000; ++i)
        big.append(PlanCell{1 + i % 40, 0, 5, 1 + i, 0});
    const Status failed = planfile::write(saved, big, codes::QuestionMode::Calculation);
    QVERIFY(!failed.ok());
    QVERIFY2(failed.error().contains(u"磁盘已满"_s), qPrintable(failed.error()));
    QVERIFY(before.open(QIODevice::ReadOnly));
    QCOMPARE(before.readAll(), old);
    QCOMPARE(disk.entries(), QStringList{u"plan.csv"_s});
}

void TestCli::badOptions() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, named);
    const Result<GenerateOptions> parsed = GenerateOptions::parse(arguments, {});
    QVERIFY(!parsed.ok());
    QVERIFY2(parsed.error().contains(named), qPrintable(parsed.error()));
    QVERIFY(!parsed.error().contains(u'\n'));
}

void TestCli::worksheetAndAnswerKeyMatch() {
    const QString sheet = work_.filePath(u"sheet.docx"_s), key = work_.filePath(u"key.docx"_s);
    const Outcome o = generate({u"--grade"_s, u"3"_s, u"--count"_s, u"10"_s, u"--seed"_s, u"5"_s,
                                u"--output"_s, sheet, u"--answer-key"_s, key});
    QCOMPARE(o.status, 0);
    QVERIFY2(o.out.contains(u"10 道题"_s) && o.out.contains(sheet) && o.out.contains(key), qPrintable(o.out));
    QVERIFY2(o.err.isEmpty(), qPrintable(o.err));

    const QStringList sheetLines = read(sheet).texts(), keyLines = read(key).texts();
    QVERIFY(sheetLines.at(0).startsWith(u"Tessaly练习    "_s));
    QVERIFY(keyLines.at(0).startsWith(u"Tessaly练习(答案)"_s));
    QCOMPARE(sheetLines.at(2), u"姓名：___________   座号：__________    情况：___________"_s);
    QVERIFY(keyLines.at(2).isEmpty());

    QStringList questions, answered;
    // Each question's paragraph ends in the line breaks of its working space.
    for (const QString &line : sheetLines)
        if (line.contains(u"、"_s))
            questions.append(QString(line).remove(u'\n'));
    for (const QString &line : keyLines)
        if (line.contains(u"、"_s))
            answered.append(QString(line).remove(u'\n'));
    QCOMPARE(questions.size(), 10);
    QCOMPARE(answered.size(), 10);
    for (int i = 0; i < 10; ++i) {
        QVERIFY2(answered[i].startsWith(questions[i] + u"　　（答案："_s), qPrintable(answered[i]));
        QVERIFY(questions[i].contains(QString::number(i + 1) + u"、"_s));
    }
}

void TestCli::sameSeedSameWorksheet() {
    const auto questions = [this](const QString &seed, const QString &name) {
        const QString path = work_.filePath(name);
        const Outcome o = generate({u"--seed"_s, seed, u"--output"_s, path});
        if (o.status != 0)
            qFatal("generate failed: %s", qPrintable(o.err));
        return read(path).texts().mid(4);
    };
    QCOMPARE(questions(u"11"_s, u"a.docx"_s), questions(u"11"_s, u"b.docx"_s));
    QVERIFY(questions(u"11"_s, u"a.docx"_s) != questions(u"12"_s, u"c.docx"_s));
}

void TestCli::badBank_data() {
    QTest::addColumn<QByteArray>("tk");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("no bank at all") << QByteArray() << 1 << u"题库不存在"_s;
    QTest::newRow("undecodable") << QByteArray("\xFF\xFE\xFF|1|1|0|a\r\n") << 1 << u"编码"_s;
    QTest::newRow("short record is a warning") << QByteArray("only|1|1\r\n") << 0 << u"第1行"_s;
    // Found in the pass that loads: the first ten named, the rest counted.
    QByteArray many;
    for (int i = 0; i < 14; ++i)
        many += "only|1|1\r\n";
    QTest::newRow("many short records") << many << 0 << u"tk.txt 还有 4 处问题未列出"_s;
}

void TestCli::badBank() {
    QFETCH(QByteArray, tk);
    QFETCH(int, status);
    QFETCH(QString, message);
    QTemporaryDir dir;
    if (!tk.isEmpty()) {
        QFile file(dir.filePath(u"tk.txt"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(tk);
    }
    const QString output = dir.filePath(u"out.docx"_s);
    const Result<GenerateOptions> options =
        GenerateOptions::parse({u"--bank-dir"_s, dir.path(), u"--output"_s, output}, {});
    QVERIFY(options.ok());
    QString out, err;
    QTextStream o(&out), e(&err);
    QCOMPARE(runGenerate(options.value(), o, e), status);
    QVERIFY2(err.contains(message), qPrintable(err));
    QCOMPARE(QFile::exists(output), status == 0);
}

void TestCli::missingOutputFolder() {
    const QString output = work_.filePath(u"nowhere/out.docx"_s);
    const Outcome o = generate({u"--output"_s, output});
    QCOMPARE(o.status, 1);
    QVERIFY2(o.err.contains(u"输出文件夹不存在"_s), qPrintable(o.err));
    QVERIFY(!QFile::exists(output));
}

void TestCli::unwritableOutputFolder() {
    // A folder that is there but cannot be written is said as such, not as missing.
    FullDisk disk(64);
    if (!disk.available() || !disk.makeReadOnly())
        QSKIP("mounting a file system needs root");
    const QString output = disk.path(u"out.docx"_s);
    const Outcome o = generate({u"--output"_s, output});
    QCOMPARE(o.status, 1);
    QVERIFY2(o.err.contains(u"输出文件夹不能写入"_s), qPrintable(o.err));
    QVERIFY(!o.err.contains(u"不存在"_s));
}

void TestCli::fullDiskKeepsTheOldSheet() {
    FullDisk disk(16);
    if (!disk.available())
        QSKIP("mounting a small tmpfs needs root");
    const QString output = disk.path(u"sheet.docx"_s);
    QFile old(output);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("last week's sheet") > 0);
    old.close();
    QVERIFY(disk.fill(u"filler"_s, 2048));
    // Through the real program, as a user's script would run it.
    QProcess p;
    p.start(QStringLiteral(TESSALY_PROGRAM),
            {u"generate"_s, u"--bank-dir"_s, bankDir_, u"--count"_s, u"300"_s, u"--repeats"_s, u"--history"_s,
             work_.filePath(u"history.sqlite"_s), u"--output"_s, output});
    QVERIFY(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QCOMPARE(p.exitCode(), 1);
    QVERIFY2(err.contains(u"磁盘已满"_s) && !err.contains(u"Unknown error"_s), qPrintable(err));
    QVERIFY(p.readAllStandardOutput().isEmpty()); // no success line
    QFile after(output);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), QByteArray("last week's sheet"));
    QCOMPARE(disk.entries(), QStringList{u"sheet.docx"_s});
}

void TestCli::pageLayout_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("orientation");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("lineTwips");
    QTest::newRow("defaults: A4 portrait, two columns, 30 pt")
        << QStringList{} << 11906 << 16838 << QString() << 2 << 600;
    QTest::newRow("A3 landscape, two-up") << QStringList{u"--paper"_s, u"A3"_s, u"--landscape"_s} << 23811
                                          << 16838 << u"landscape"_s << 2 << 600;
    QTest::newRow("8K landscape") << QStringList{u"--paper"_s, u"8k"_s, u"--landscape"_s} << 22110 << 15307
                                  << u"landscape"_s << 2 << 600;
    QTest::newRow("B5, one column, 24 pt")
        << QStringList{u"--paper"_s, u"B5"_s, u"--columns"_s, u"1"_s, u"--line-spacing"_s, u"24"_s} << 10318
        << 14570 << QString() << 1 << 480;
    QTest::newRow("16K, three columns") << QStringList{u"--paper"_s, u"16K"_s, u"--columns"_s, u"3"_s}
                                        << 11055 << 15307 << QString() << 3 << 600;
}

void TestCli::pageLayout() {
    QFETCH(QStringList, arguments);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QString, orientation);
    QFETCH(int, columns);
    QFETCH(int, lineTwips);
    const QString path = work_.filePath(u"layout.docx"_s);
    const Outcome o = generate(arguments + QStringList{u"--count"_s, u"6"_s, u"--output"_s, path});
    QVERIFY2(o.status == 0, qPrintable(o.err));
    const docxreader::Document doc = read(path);
    // The heading in one column, the questions in a continuous section of their own.
    QCOMPARE(doc.sections.size(), 2);
    for (const docxreader::Section &section : doc.sections) {
        QCOMPARE(section.widthTwips, width);
        QCOMPARE(section.heightTwips, height);
        QCOMPARE(section.orientation, orientation);
    }
    QCOMPARE(doc.sections[0].columns, 1);
    QCOMPARE(doc.sections[1].columns, columns);
    QCOMPARE(doc.sections[1].type, u"continuous"_s);
    QVERIFY(doc.sections[1].columnGapTwips > 0);
    QCOMPARE(doc.paragraphs.at(0).columns, 1); // the title
    for (qsizetype i = 4; i < doc.paragraphs.size(); ++i) {
        const docxreader::Paragraph &p = doc.paragraphs[i];
        QCOMPARE(p.columns, columns);
        QCOMPARE(p.lineTwips, lineTwips);
        QCOMPARE(p.lineRule, u"atLeast"_s);
    }
    // Each question one paragraph with its blank lines, kept whole; nothing after the last.
    const docxreader::Paragraph &first = doc.paragraphs.at(4);
    QVERIFY(first.text().startsWith(u"1、"_s) || first.text().contains(u"]1、"_s));
    QVERIFY(first.text().endsWith(u"\n\n"_s));
    QVERIFY(!first.keepNext && first.keepLines);
    QVERIFY(doc.paragraphs.last().text().contains(u"6、"_s));
    QVERIFY(doc.paragraphs.last().keepLines);
}

void TestCli::program() {
    QProcess p;
    p.start(QStringLiteral(TESSALY_PROGRAM), {u"--help"_s});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    const QString help = QString::fromUtf8(p.readAllStandardOutput());
    for (const char *option :
         {"--bank-dir", "--grade", "--mode", "--topics", "--count", "--repeats", "--font", "--size",
          "--blank-lines", "--no-stars", "--answers", "--seed", "--output", "--answer-key"})
        QVERIFY2(help.contains(QLatin1StringView(option)), option);

    p.start(QStringLiteral(TESSALY_PROGRAM),
            {u"generate"_s, u"--grade"_s, u"8"_s, u"--output"_s, u"x.docx"_s});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 2);
    const QString err = QString::fromUtf8(p.readAllStandardError()).trimmed();
    QVERIFY(err.contains(u"--grade"_s));
    QVERIFY(!err.contains(u'\n'));

    const QString output = work_.filePath(u"program.docx"_s);
    p.start(QStringLiteral(TESSALY_PROGRAM), {u"generate"_s, u"--bank-dir"_s, bankDir_, u"--history"_s,
                                              work_.filePath(u"history.sqlite"_s), u"--output"_s, output});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(QString::fromUtf8(p.readAllStandardOutput()).contains(u"24 道题"_s));
    QVERIFY(QFile::exists(output));
}

// The dynamic loader's own account of what a command loaded: neither the widgets nor the office's
// libraries, which only the window and a sheet for the office need, nor Qt Network and what it brings
// (the download's), nor a zip library with its cryptography (the package writer is the program's own).
void TestCli::commandsLoadNeitherWindowNorOffice() {
    const QList<QStringList> commands{{u"--help"_s},
                                      {u"check"_s, u"--bank-dir"_s, bankDir_},
                                      {u"generate"_s, u"--bank-dir"_s, bankDir_, u"--history"_s,
                                       work_.filePath(u"loaded.sqlite"_s), u"--output"_s,
                                       work_.filePath(u"loaded.docx"_s)}};
    for (const QStringList &arguments : commands) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"LD_DEBUG"_s, u"files"_s);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TESSALY_PROGRAM), arguments);
        QVERIFY(p.waitForFinished(30000));
        const QString loaded = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(loaded.contains(u"libQt6Core"_s), "LD_DEBUG said nothing");
        for (const QString &library : {u"libQt6Widgets"_s, u"libuno_cppu"_s, u"libtessaly-office"_s,
                                       u"libQt6Network"_s, u"libgssapi_krb5"_s, u"libzip"_s, u"libcrypto"_s})
            QVERIFY2(!loaded.contains(library), qPrintable(arguments.first() + u" loaded "_s + library));
    }
}

void TestCli::settingsFiles_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("server");
    using K = TargetSettings::Kind;
    QTest::newRow("nothing set") << QByteArray() << QByteArray() << QByteArray() << int(K::Automatic)
                                 << QString();
    QTest::newRow("ini") << QByteArray("[document]\ntarget = docx\n[download]\nserver = http://h:81//\n")
                         << QByteArray() << QByteArray() << int(K::Docx) << u"http://h:81"_s;
    QTest::newRow("environment wins")
        << QByteArray("[document]\ntarget = docx\n") << QByteArray("TESSALY_TARGET")
        << QByteArray("LibreOffice") << int(K::LibreOffice) << QString();
    QTest::newRow("unknown target is automatic") << QByteArray("[document]\ntarget = word\n") << QByteArray()
                                                 << QByteArray() << int(K::Automatic) << QString();
}

void TestCli::settingsFiles() {
    QFETCH(QByteArray, ini);
    QFETCH(QByteArray, variable);
    QFETCH(QByteArray, value);
    QFETCH(int, kind);
    QFETCH(QString, server);
    QTemporaryDir dir;
    if (!ini.isEmpty()) {
        QFile file(dir.filePath(u"tessaly.ini"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ini);
    }
    if (!variable.isEmpty())
        qputenv(variable.constData(), value);
    const TargetSettings target = TargetSettings::read(dir.filePath(u"tessaly.ini"_s));
    const DownloadSettings download = DownloadSettings::read(dir.filePath(u"tessaly.ini"_s));
    if (!variable.isEmpty())
        qunsetenv(variable.constData());
    QCOMPARE(int(target.kind), kind);
    QCOMPARE(download.server, server);
    QCOMPARE(download.pageUrl(3).toString(), server.isEmpty() ? QString() : server + u"/xx/3nj.asp"_s);
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
