// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AddCommand.h"
#include "bank/BankLoader.h"
#include "bank/BankRecord.h"
#include "bank/CodeTables.h"
#include "editor/EditorEntry.h"
#include "editor/Form3.h"
#include "editor/QuestionImport.h"
#include "support/Controls.h"
#include "support/FullDisk.h"
#include "support/TempBank.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray gbk(const QString &text) {
    QStringEncoder encoder("GB18030");
    return encoder(text);
}

const QString DesignLine = u"小明有7元钱，爸爸又给了他2元钱，小明一共有多少元钱？|1|0|0|7＋2＝9##"_s;

} // namespace

class TestEditor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void openingState();
    void gradeTable_data();
    void gradeTable();
    void olympiadAtGradeFive();
    void textbookClickAtGradeZeroStillEnablesAll();
    void selectionSurvivesDisablingAndModes();
    void designExampleByteForByte();
    void topicCodes_data();
    void topicCodes();
    void cleaning_data();
    void cleaning();
    void emptyQuestionIsNotAdded();
    void unwritableBankKeepsTheTexts();
    void fullDiskLeavesTheFileAsItWas();
    void lastLineWithoutEnd();
    void addCommand_data();
    void addCommand();
    void importCsv_data();
    void importCsv();
    void importWithABadRowAddsNothing();

private:
    template <typename T> T *child(const QString &name) const { return control<T>(form_.get(), name); }
    QList<int> enabledSlots() const;
    QStringList submit();
    struct Run {
        int status;
        QString out, err;
    };
    Run add(const QStringList &arguments) const;

    std::unique_ptr<TempBank> bank_;
    std::unique_ptr<Form3> form_;
};

void TestEditor::init() {
    form_.reset();
    bank_ = std::make_unique<TempBank>();
    form_ = std::make_unique<Form3>(bank_->dir());
    form_->show();
}

QList<int> TestEditor::enabledSlots() const {
    QList<int> slots;
    for (int slot = 1; slot <= codes::TopicSlotCount; ++slot)
        if (form_->topicOption(slot)->isEnabled())
            slots.append(slot);
    return slots;
}

QStringList TestEditor::submit() {
    QSignalSpy notices(form_.get(), &Form3::noticeRequested);
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    QStringList texts;
    for (const QList<QVariant> &n : notices)
        texts.append(n.first().toString());
    return texts;
}

TestEditor::Run TestEditor::add(const QStringList &arguments) const {
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = runAddCommand(QStringList{u"--bank-dir"_s, bank_->dir()} + arguments,
                                     UserFiles::inFolder(bank_->dir()), o, e);
    return {status, out, err};
}

void TestEditor::openingState() {
    QCOMPARE(form_->windowTitle(), u"题库编写器"_s);
    QCOMPARE(child<QComboBox>(u"Combo2"_s)->currentText(), u"一年级"_s);
    QCOMPARE(child<QComboBox>(u"Combo2"_s)->count(), 7);
    QCOMPARE(child<QComboBox>(u"Combo1"_s)->currentText(), u"基础题"_s);
    QCOMPARE(child<QComboBox>(u"Combo1"_s)->itemText(5), u"★★★★★"_s);
    QVERIFY(child<QRadioButton>(u"Option3"_s)->isChecked());
    QVERIFY(!child<QRadioButton>(u"Option1"_s)->isChecked());
    QCOMPARE(form_->selectedSlot(), 0);
    QCOMPARE(enabledSlots(), (QList<int>{1, 2, 3, 4, 5}));
    QCOMPARE(child<QPlainTextEdit>(u"Text1"_s)->toPlainText(),
             u"小明有7元钱，爸爸又给了他2元钱，小明一共有多少元钱？\n"_s);
    QCOMPARE(child<QPlainTextEdit>(u"Text2"_s)->toPlainText(), u"7+2=9\n"_s);
    QCOMPARE(child<QGroupBox>(u"Frame1"_s)->title(),
             u"题目类型（以人教年级教材专题训练为依据，解决问题包含书本内题目）"_s);
    QCOMPARE(form_->topicOption(18)->objectName(), u"Check20"_s);
    QCOMPARE(form_->topicOption(1)->text(), u"求和"_s);
    for (const QString &absent : {u"Check18"_s, u"Check19"_s, u"Check29"_s})
        QVERIFY(!form_->findChild<QWidget *>(absent));
    // The layout table in twips, at 15 twips a pixel.
    QCOMPARE(child<QComboBox>(u"Combo2"_s)->geometry(), QRect(39, 126, 148, 20));
    QCOMPARE(child<QPushButton>(u"Command1"_s)->geometry(), QRect(522, 252, 85, 91));
    QCOMPARE(child<QPlainTextEdit>(u"Text2"_s)->geometry(), QRect(3, 306, 511, 34));
    QCOMPARE(child<QGroupBox>(u"Frame1"_s)->geometry(), QRect(6, 150, 601, 100));
}

void TestEditor::gradeTable_data() {
    QTest::addColumn<int>("grade");
    QTest::addColumn<QList<int>>("enabled");
    const auto range = [](int from, int to) {
        QList<int> r;
        for (int i = from; i <= to; ++i)
            r.append(i);
        return r;
    };
    QTest::newRow("0 all") << 0 << range(1, 40);
    QTest::newRow("1") << 1 << range(1, 5);
    QTest::newRow("2") << 2 << range(1, 8);
    QTest::newRow("3 with 归一 in 18") << 3 << range(1, 16) + QList<int>{18};
    QTest::newRow("4 adds 路程 in 17") << 4 << range(1, 24);
    QTest::newRow("5") << 5 << range(1, 33);
    QTest::newRow("6") << 6 << range(1, 40);
}

void TestEditor::gradeTable() {
    QFETCH(int, grade);
    QFETCH(QList<int>, enabled);
    child<QComboBox>(u"Combo2"_s)->setCurrentIndex(grade);
    QCOMPARE(enabledSlots(), enabled);
}

void TestEditor::olympiadAtGradeFive() {
    auto *grade = child<QComboBox>(u"Combo2"_s);
    grade->setCurrentIndex(5);
    QTest::mouseClick(child<QRadioButton>(u"Option1"_s), Qt::LeftButton);
    QCOMPARE(grade->currentText(), u"小学阶段综合"_s);
    QCOMPARE(enabledSlots().size(), 40);
    QCOMPARE(child<QGroupBox>(u"Frame1"_s)->title(), u"题目类型（专题归类仅供参考）"_s);
    QStringList captions;
    for (int slot = 1; slot <= 40; ++slot)
        captions.append(form_->topicOption(slot)->text());
    QCOMPARE(captions, codes::olympiadTopicNames());
    QVERIFY(captions.contains(u"表 面 积"_s) && captions.contains(u"牛 吃 草"_s));
    grade->setCurrentIndex(3); // the olympiad list leaves the options as they are
    QCOMPARE(enabledSlots().size(), 40);
    QTest::mouseClick(child<QRadioButton>(u"Option3"_s), Qt::LeftButton);
    QCOMPARE(form_->topicOption(1)->text(), u"求和"_s);
}

void TestEditor::textbookClickAtGradeZeroStillEnablesAll() {
    auto *grade = child<QComboBox>(u"Combo2"_s);
    // Grade 0 shown while options are disabled: the click must still run the grade rule.
    grade->blockSignals(true);
    grade->setCurrentIndex(0);
    grade->blockSignals(false);
    QCOMPARE(enabledSlots().size(), 5);
    QTest::mouseClick(child<QRadioButton>(u"Option3"_s), Qt::LeftButton);
    QCOMPARE(grade->currentIndex(), 0);
    QCOMPARE(enabledSlots().size(), 40);
}

void TestEditor::selectionSurvivesDisablingAndModes() {
    child<QComboBox>(u"Combo2"_s)->setCurrentIndex(6);
    QTest::mouseClick(form_->topicOption(38), Qt::LeftButton);
    QCOMPARE(form_->selectedSlot(), 38);
    child<QComboBox>(u"Combo2"_s)->setCurrentIndex(1);
    QVERIFY(!form_->topicOption(38)->isEnabled());
    QCOMPARE(form_->selectedSlot(), 38);
    QTest::mouseClick(child<QRadioButton>(u"Option1"_s), Qt::LeftButton);
    QCOMPARE(form_->selectedSlot(), 38);
    // Disabled and selected still counts: the record gets olympiad topic 78.
    child<QComboBox>(u"Combo2"_s)->setCurrentIndex(1);
    QCOMPARE(submit(), QStringList{u"恭喜！本地题库添加成功！"_s});
    QVERIFY(bank_->readBytes(u"zbtk.txt"_s).contains("|1|78|0|"));
}

void TestEditor::designExampleByteForByte() {
    QCOMPARE(submit(), QStringList{u"恭喜！本地题库添加成功！"_s});
    QCOMPARE(bank_->readBytes(u"zbtk.txt"_s), gbk(DesignLine + u"\r\n"_s));
    // The cleaned texts stand in the boxes; the window stays open, and a second press adds the same again.
    QCOMPARE(child<QPlainTextEdit>(u"Text1"_s)->toPlainText(),
             u"小明有7元钱，爸爸又给了他2元钱，小明一共有多少元钱？"_s);
    QCOMPARE(child<QPlainTextEdit>(u"Text2"_s)->toPlainText(), u"7＋2＝9"_s);
    QVERIFY(form_->isVisible());
    submit();
    QCOMPARE(bank_->readBytes(u"zbtk.txt"_s), gbk(DesignLine + u"\r\n"_s + DesignLine + u"\r\n"_s));
}

void TestEditor::topicCodes_data() {
    QTest::addColumn<bool>("olympiad");
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("code");
    QTest::newRow("textbook none") << false << 0 << 0;
    QTest::newRow("textbook 18 (Check20)") << false << 18 << 18;
    QTest::newRow("olympiad 3") << true << 3 << 43;
    QTest::newRow("olympiad none") << true << 0 << 99;
    QTest::newRow("olympiad 40") << true << 40 << 80;
}

void TestEditor::topicCodes() {
    QFETCH(bool, olympiad);
    QFETCH(int, slot);
    QFETCH(int, code);
    QTest::mouseClick(child<QRadioButton>(olympiad ? u"Option1"_s : u"Option3"_s), Qt::LeftButton);
    if (slot)
        form_->topicOption(slot)->setChecked(true);
    child<QComboBox>(u"Combo1"_s)->setCurrentIndex(2);
    submit();
    QCOMPARE(bank_->readBytes(u"zbtk.txt"_s),
             gbk(u"小明有7元钱，爸爸又给了他2元钱，小明一共有多少元钱？|0|%1|2|7＋2＝9##\r\n"_s.arg(code)));
}

void TestEditor::cleaning_data() {
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("cleanQuestion");
    QTest::addColumn<QString>("cleanSteps");
    QTest::newRow("steps over two lines") << u"题"_s << u"12 - 5\r\n= 7"_s << u"题"_s << u"12－5＝7"_s;
    QTest::newRow("blanks and breaks in the question")
        << u"小明　有\t7 元\r\n钱"_s << u"3*4/2"_s << u"小明有7元钱"_s << u"3×4÷2"_s;
    QTest::newRow("a bar stays text") << u"a|b"_s << u"1|2"_s << u"a｜b"_s << u"1｜2"_s;
    QTest::newRow("lone CR and LF go") << u"a\rb\nc"_s << u"1\n+\r2"_s << u"abc"_s << u"1＋2"_s;
}

void TestEditor::cleaning() {
    QFETCH(QString, question);
    QFETCH(QString, steps);
    QFETCH(QString, cleanQuestion);
    QFETCH(QString, cleanSteps);
    child<QPlainTextEdit>(u"Text1"_s)->setPlainText(question);
    child<QPlainTextEdit>(u"Text2"_s)->setPlainText(steps);
    submit();
    QCOMPARE(child<QPlainTextEdit>(u"Text1"_s)->toPlainText(), cleanQuestion);
    QCOMPARE(child<QPlainTextEdit>(u"Text2"_s)->toPlainText(), cleanSteps);
    QCOMPARE(bank_->readBytes(u"zbtk.txt"_s), gbk(cleanQuestion + u"|1|0|0|"_s + cleanSteps + u"##\r\n"_s));
    // The loader reads it back as one record of five fields.
    QCOMPARE(editorentry::cleanQuestion(question), cleanQuestion);
    const QString line = cleanQuestion + u"|1|0|0|"_s + cleanSteps + u"##"_s;
    const QuestionRecord record = bankrecord::parse(line).record;
    QCOMPARE(record.questionText.toString(), cleanQuestion);
    QCOMPARE(record.answerText.toString(), cleanSteps);
}

void TestEditor::emptyQuestionIsNotAdded() {
    child<QPlainTextEdit>(u"Text1"_s)->setPlainText(u" \t　\r\n"_s);
    const QStringList notices = submit();
    QCOMPARE(notices.size(), 1);
    QVERIFY(notices[0].contains(u"空"_s) && !notices[0].contains(u"成功"_s));
    QVERIFY(!QFile::exists(bank_->path(u"zbtk.txt"_s)));
}

void TestEditor::unwritableBankKeepsTheTexts() {
    // A folder where zbtk.txt should be (a read-only folder does not stop root, who runs CI).
    QVERIFY(QDir(bank_->dir()).mkdir(u"zbtk.txt"_s));
    child<QPlainTextEdit>(u"Text1"_s)->setPlainText(u"我的题"_s);
    const QStringList notices = submit();
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices[0].startsWith(u"题目没有添加到本地题库"_s) && notices[0].contains(u"zbtk.txt"_s),
             qPrintable(notices[0]));
    QCOMPARE(child<QPlainTextEdit>(u"Text1"_s)->toPlainText(), u"我的题"_s);
    QVERIFY(form_->isVisible());
}

void TestEditor::fullDiskLeavesTheFileAsItWas() {
    FullDisk disk(16);
    if (!disk.available())
        QSKIP("mounting a small tmpfs needs root");
    const QByteArray before = gbk(u"旧题|1|1|0|答##\r\n"_s);
    QFile file(disk.path(u"zbtk.txt"_s));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(before) == before.size());
    file.close();
    QVERIFY(disk.fill(u"filler"_s, 1024));
    form_ = std::make_unique<Form3>(disk.dir());
    const QString long_ = QString(20000, u'长');
    child<QPlainTextEdit>(u"Text1"_s)->setPlainText(long_);
    const QStringList notices = submit();
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices[0].contains(u"磁盘已满"_s), qPrintable(notices[0]));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QCOMPARE(child<QPlainTextEdit>(u"Text1"_s)->toPlainText(), long_);
}

void TestEditor::lastLineWithoutEnd() {
    bank_->writeBytes(u"zbtk.txt"_s, gbk(u"手写的题|1|1|0|答"_s));
    submit();
    QCOMPARE(bank_->readBytes(u"zbtk.txt"_s), gbk(u"手写的题|1|1|0|答\r\n"_s + DesignLine + u"\r\n"_s));
}

void TestEditor::addCommand_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("line");
    QTest::newRow("defaults") << QStringList{u"--question"_s, u"题 一"_s, u"--steps"_s, u"1+1=2"_s} << 0
                              << u"题一|1|0|0|1＋1＝2##"_s;
    QTest::newRow("names") << QStringList{u"--question"_s,   u"题"_s,     u"--steps"_s, u"s"_s,
                                          u"--grade"_s,      u"三年级"_s, u"--topic"_s, u"归一"_s,
                                          u"--difficulty"_s, u"★★★"_s}
                           << 0 << u"题|3|18|3|s##"_s;
    QTest::newRow("olympiad by number") << QStringList{u"--question"_s, u"题"_s, u"--mode"_s,  u"olympiad"_s,
                                                       u"--topic"_s,    u"3"_s,  u"--grade"_s, u"0"_s}
                                        << 0 << u"题|0|43|0|##"_s;
    QTest::newRow("olympiad name with blanks")
        << QStringList{u"--question"_s, u"题"_s, u"--mode"_s, u"奥数"_s, u"--topic"_s, u"牛吃草"_s} << 0
        << QString();
    QTest::newRow("empty question") << QStringList{u"--question"_s, u"  "_s} << 2 << QString();
    QTest::newRow("grade 7") << QStringList{u"--question"_s, u"题"_s, u"--grade"_s, u"7"_s} << 2 << QString();
    QTest::newRow("olympiad topic in textbook mode")
        << QStringList{u"--question"_s, u"题"_s, u"--topic"_s, u"牛吃草"_s} << 2 << QString();
    QTest::newRow("difficulty 6") << QStringList{u"--question"_s, u"题"_s, u"--difficulty"_s, u"6"_s} << 2
                                  << QString();
}

void TestEditor::addCommand() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, line);
    const Run run = add(arguments);
    QCOMPARE(run.status, status);
    if (status != 0) {
        QVERIFY(!QFile::exists(bank_->path(u"zbtk.txt"_s)));
        QVERIFY(run.err.startsWith(u"tessaly add："_s));
        return;
    }
    QVERIFY(run.out.contains(u"已添加 1 道题"_s));
    if (!line.isEmpty())
        QCOMPARE(bank_->readBytes(u"zbtk.txt"_s), gbk(line + u"\r\n"_s));
}

void TestEditor::importCsv_data() {
    QTest::addColumn<QByteArray>("csv");
    const QString table = u"难度,题目,专题,范围,计算步骤\r\n"
                          u"★,\"小明有7元钱, 又得\"\"2\"\"元\",求和,一年级,7+2=9\r\n"
                          u"2,\"两行\n的题\",3,2,\"5-3\n=2\"\r\n"
                          u",,,,\r\n"_s;
    QTest::newRow("utf-8") << table.toUtf8();
    QTest::newRow("utf-8 with BOM") << QByteArray("\xEF\xBB\xBF" + table.toUtf8());
    QTest::newRow("gb18030") << gbk(table);
    QTest::newRow("english header, LF only") << (u"difficulty,question,topic,grade,steps,mode\n"
                                                 u"1,\"小明有7元钱, 又得\"\"2\"\"元\",1,1,7+2=9,textbook\n"
                                                 u"2,\"两行\n的题\",比多,二年级,\"5-3\n=2\",列式计算\n"_s)
                                                    .toUtf8();
}

void TestEditor::importCsv() {
    QFETCH(QByteArray, csv);
    bank_->writeBytes(u"q.csv"_s, csv);
    const Run run = add({u"--from"_s, bank_->path(u"q.csv"_s)});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(bank_->readBytes(u"zbtk.txt"_s), gbk(u"小明有7元钱,又得\"2\"元|1|1|1|7＋2＝9##\r\n"
                                                  u"两行的题|2|3|2|5－3＝2##\r\n"_s));
}

void TestEditor::importWithABadRowAddsNothing() {
    bank_->writeLines(u"zbtk.txt"_s, {u"旧|1|1|0|a##"_s});
    const QByteArray before = bank_->readBytes(u"zbtk.txt"_s);
    bank_->writeBytes(u"q.csv"_s, u"题目,计算步骤,范围,专题,难度\n好题,1+1,1,1,0\n坏题,1,9,1,0\n,x,1,1,0\n"
                                  u"又一题,1,1,飞行,0\n"_s.toUtf8());
    const Run run = add({u"--from"_s, bank_->path(u"q.csv"_s)});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(u"第3行：范围“9”无效"_s), qPrintable(run.err));
    QVERIFY(run.err.contains(u"第4行：题目是空的"_s));
    QVERIFY(run.err.contains(u"第5行：专题“飞行”无效"_s));
    QVERIFY(run.err.contains(u"没有导入任何题目"_s));
    QCOMPARE(bank_->readBytes(u"zbtk.txt"_s), before);

    // A header without the needed columns, and a quote never closed.
    bank_->writeBytes(u"q.csv"_s, "question,grade\nx,1\n");
    QCOMPARE(add({u"--from"_s, bank_->path(u"q.csv"_s)}).status, 1);
    bank_->writeBytes(u"q.csv"_s, "question,steps,grade,topic,difficulty\n\"x,1,1,1,0\n");
    const Run unclosed = add({u"--from"_s, bank_->path(u"q.csv"_s)});
    QCOMPARE(unclosed.status, 1);
    QVERIFY2(unclosed.err.contains(u"CSV"_s), qPrintable(unclosed.err));
    QCOMPARE(bank_->readBytes(u"zbtk.txt"_s), before);
}

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
