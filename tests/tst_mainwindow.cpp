// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/CodeTables.h"
#include "generation/DocumentWriter.h"
#include "history/SheetCode.h"
#include "history/SheetHistory.h"
#include "mainwindow/Form1.h"
#include "mainwindow/MarkDialog.h"
#include "mainwindow/Module3.h"
#include "mainwindow/NoticePanel.h"
#include "mainwindow/ReportDialog.h"
#include "mainwindow/SectionsDialog.h"
#include "mainwindow/Translations.h"
#include "support/Controls.h"
#include "support/RecordingTarget.h"
#include "support/TempBank.h"
#include "support/TestHttpServer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QStringEncoder>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "components/MyValue.h"
#include "editor/Form3.h"

#include <QDialog>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTcpServer>
#include <QWheelEvent>

using namespace Qt::Literals::StringLiterals;

namespace {

class RecordingNotices : public NoticeSink {
public:
    QStringList texts;
    QStringList titles;
    void ShowNotice(const QString &text, const QString &title, int iconKind) override {
        QCOMPARE(iconKind, 1);
        texts.append(text);
        titles.append(title);
    }
};

class ScriptedQuestions : public Questions {
public:
    QList<bool> answers;
    QStringList asked;
    bool askYesNo(const QString &text) override {
        asked.append(text);
        return answers.isEmpty() ? false : answers.takeFirst();
    }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void startUpState();
    void digitFilter_data();
    void digitFilter();
    void settingsCheck_data();
    void settingsCheck();
    void quantityFollowsColumns_data();
    void quantityFollowsColumns();
    void gradeAndMode_data();
    void gradeAndMode();
    void equationModeAtGradeFiveKeepsTicks();
    void selectAllByHand();
    void handTicksSurviveAGradeChange();
    void olympiadCaptions();
    void difficultyEcho_data();
    void difficultyEcho();
    void difficultyMovesBothWays();
    void difficultyByMouseKeysAndWheel();
    void progressTicks();
    void stopClickDuringARun();
    void stopClickWithNoRun();
    void exitQuestion_data();
    void exitQuestion();
    void wholeRunFromTheButton();
    void batchOfCopiesWithTheirKeys();
    void noTopicTickedMakesNoSheet();
    void largeSheetIsAskedAbout_data();
    void largeSheetIsAskedAbout();
    void lastBankComesBack();
    void runWithNoBank();
    void noticesInTheWindowWithoutATray();
    void trayClicks();
    void downloadFromTheButton();
    void missingBankDownloadsInsideTheRun();
    void editorOpensOnceAndAfresh();
    void keysThatTypeNothingPass_data();
    void keysThatTypeNothingPass();
    void typingIsCheckedWhenItPauses();
    void quantityAboveTheLimit_data();
    void quantityAboveTheLimit();
    void clicksDuringARunAreDropped();
    void failedDownloadSaysSo();
    void qtSpeaksChinese();
    void answerKeyOfTheSheetJustMade();
    void paperChosenInTheDialogIsKept();
    void printChoicesInTheDialogAreKept();
    void sectionsFromTheWindowsChoices();
    void planSavedFromASheetAndLoaded();
    void classSetMarkedAndReported();
    void topicTipsCountTheBank();
    void shortSheetIsSaid();
    void unreadableBankIsSaid();
    void sheetsAreRecordedAndTheirKeysHadByCode();
    void damagedHistoryIsSaidOnce();
    void freshQuestionsInTheWindow();
    void editorQuestionComesOutOnTheNextSheet();

private:
    template <typename T> T *child(const QString &name) const { return control<T>(form_.get(), name); }
    QCheckBox *box(int slot) const { return form_->topicBox(slot); }
    QList<int> enabledSlots() const;
    // The window's services with this test's fakes: recorded notices and answers, a recording target.
    Form1Services testServices();
    void makeForm(std::optional<DownloadSettings> download, const QString &historyFile = {});
    QList<int> tickedSlots() const;

    std::unique_ptr<TempBank> bank_;
    RecordingNotices notices_;
    ScriptedQuestions questions_;
    int endings_ = 0;
    // The last document delivered, kept after the run let its own go.
    RecordingTarget delivered_;
    RecordingTarget *target_ = nullptr;
    QStringList titles_; // the first line of every document delivered
    std::unique_ptr<Form1> form_;
    QString planFile_;               // what the plan's file dialog answers
    QString chosenFile_, className_; // what the other file dialogs and the class question answer
};

void TestMainWindow::init() {
    bank_ = std::make_unique<TempBank>();
    QVERIFY(QFile::copy(QStringLiteral(TESSALY_SAMPLE_BANK), bank_->path(u"tk.txt"_s)));
    makeForm(std::nullopt);
}

Form1Services TestMainWindow::testServices() {
    Form1Services services;
    services.notices = &notices_;
    services.questions = &questions_;
    services.files = UserFiles::inFolder(bank_->dir());
    services.endProgram = [this] { ++endings_; };
    services.makeOutputs = [this](NoticeSink &) -> std::unique_ptr<SheetOutputs> {
        auto outputs = std::make_unique<RecordingOutputs>();
        outputs->onDeliver = [this](const RecordingTarget &document) {
            delivered_ = document;
            target_ = &delivered_;
            titles_.append(document.paragraphs().value(0));
        };
        return outputs;
    };
    return services;
}

void TestMainWindow::makeForm(std::optional<DownloadSettings> download, const QString &historyFile) {
    form_.reset();
    notices_ = RecordingNotices();
    questions_ = ScriptedQuestions();
    target_ = nullptr;
    titles_.clear();
    endings_ = 0;
    Form1Services services = testServices();
    services.download = std::move(download);
    services.historyFile = historyFile;
    services.choosePlanFile = [this](bool) { return planFile_; };
    services.chooseFile = [this](const QString &, const QString &, bool) { return chosenFile_; };
    services.askClassName = [this] { return className_; };
    form_ = std::make_unique<Form1>(services);
}

void TestMainWindow::cleanup() {
    questions_.answers = {true};
    form_.reset();
    bank_.reset();
}

QList<int> TestMainWindow::enabledSlots() const {
    QList<int> slots;
    for (int s = 1; s <= 40; ++s)
        if (box(s)->isEnabled())
            slots.append(s);
    return slots;
}

QList<int> TestMainWindow::tickedSlots() const {
    QList<int> slots;
    for (int s = 1; s <= 40; ++s)
        if (box(s)->isChecked())
            slots.append(s);
    return slots;
}

void TestMainWindow::startUpState() {
    QCOMPARE(form_->windowTitle(), u"Tessaly V%1.%2.%3"_s.arg(TESSALY_VERSION_MAJOR)
                                       .arg(TESSALY_VERSION_MINOR)
                                       .arg(TESSALY_VERSION_REVISION));
    QCOMPARE(child<QComboBox>(u"Combo2"_s)->currentText(), u"小学阶段综合"_s);
    QCOMPARE(child<QComboBox>(u"Combo2"_s)->count(), 7);
    QVERIFY(child<QRadioButton>(u"Option3"_s)->isChecked());
    QCOMPARE(enabledSlots().size(), 40);
    QCOMPARE(tickedSlots().size(), 40);
    QVERIFY(child<QCheckBox>(u"Check44"_s)->isChecked());
    QCOMPARE(child<QCheckBox>(u"Check44"_s)->text(), u"全选"_s);
    QCOMPARE(child<QComboBox>(u"Combo1"_s)->currentText(), u"宋体"_s);
    QCOMPARE(child<QComboBox>(u"Combo1"_s)->count(), 3);
    QCOMPARE(child<QComboBox>(u"Combo6"_s)->currentText(), u"2"_s);
    QCOMPARE(child<QLineEdit>(u"Text1"_s)->text(), u"24"_s);
    QCOMPARE(child<QLineEdit>(u"Text2"_s)->text(), u"2"_s);
    QCOMPARE(child<QLineEdit>(u"Text3"_s)->text(), u"11"_s);
    QCOMPARE(child<QLineEdit>(u"Text4"_s)->text(), u"30"_s);
    QVERIFY(child<QCheckBox>(u"Check18"_s)->isChecked());
    QVERIFY(!child<QCheckBox>(u"Check19"_s)->isChecked());
    QVERIFY(!child<QCheckBox>(u"Check29"_s)->isChecked());
    QVERIFY(child<QCheckBox>(u"Check46"_s)->isChecked());
    QCOMPARE(child<QLabel>(u"Label11"_s)->text(), QString());
    // Shown, the slider settles on its real size without an echo in the status line.
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    QCoreApplication::processEvents();
    QCOMPARE(child<QLabel>(u"Label11"_s)->text(), QString());
    QCOMPARE(child<MyValue>(u"MyValue1"_s)->geometry(), QRect(438, 132, 115, 9));
    QCOMPARE(form_->module3()->trayToolTip(), form_->windowTitle());
    QTimer *timer1 = child<QTimer>(u"Timer1"_s), *timer2 = child<QTimer>(u"Timer2"_s);
    QVERIFY(timer1->isActive());
    QCOMPARE(timer1->interval(), 500);
    QVERIFY(!timer2->isActive());
    QCOMPARE(timer2->interval(), 10);
    QCOMPARE(box(18)->objectName(), u"Check20"_s);
    // The design's descriptions, each followed by what the sample bank holds for it.
    QCOMPARE(box(18)->toolTip(), u"算一件后算多件（题库中有 13 道题）"_s);
    QVERIFY(child<QCheckBox>(u"Check40"_s)
                ->toolTip()
                .startsWith(u"多边形（三角形、平行四边形、梯形、正多边形）面积（"_s));
    QVERIFY(child<QCheckBox>(u"Check5"_s)->toolTip().startsWith(u"能不能，够不够（"_s));
    QVERIFY(child<QCheckBox>(u"Check1"_s)->toolTip().startsWith(u"题库中有"_s)); // no description of its own
    QVERIFY(notices_.texts.isEmpty());
    // The layout in pixels (twips / 15).
    QCOMPARE(child<QPushButton>(u"Command1"_s)->geometry(), QRect(516, 303, 85, 25));
    QCOMPARE(child<QGroupBox>(u"Frame2"_s)->geometry(), QRect(3, 150, 601, 100));
    QCOMPARE(box(25)->geometry().topLeft(), QPoint(309, 15)); // 三角面积: column 7, row 1
}

void TestMainWindow::digitFilter_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("passes");
    for (const QString &field : {u"Text1"_s, u"Text2"_s, u"Text3"_s, u"Text4"_s}) {
        QTest::addRow("%s letter", qPrintable(field)) << field << int(Qt::Key_A) << u"a"_s << false;
        QTest::addRow("%s digit", qPrintable(field)) << field << int(Qt::Key_7) << u"7"_s << true;
    }
    QTest::newRow("full-width digit") << u"Text1"_s << 0 << u"７"_s << false;
    QTest::newRow("minus") << u"Text3"_s << int(Qt::Key_Minus) << u"-"_s << false;
    QTest::newRow("backspace") << u"Text1"_s << int(Qt::Key_Backspace) << u"\b"_s << true;
    QTest::newRow("arrow") << u"Text1"_s << int(Qt::Key_Left) << QString() << true;
}

void TestMainWindow::digitFilter() {
    QFETCH(QString, field);
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(bool, passes);
    QLineEdit *edit = child<QLineEdit>(field);
    edit->setText(u"1"_s);
    edit->setCursorPosition(1);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(edit, &press);
    if (passes) {
        QVERIFY(notices_.texts.isEmpty());
        if (text == u"7"_s)
            QCOMPARE(edit->text(), u"17"_s);
        if (key == Qt::Key_Backspace)
            QCOMPARE(edit->text(), QString());
    } else {
        QCOMPARE(edit->text(), u"1"_s);
        QCOMPARE(notices_.texts, QStringList{u"请输入数字！"_s});
        QCOMPARE(notices_.titles, QStringList{u"Corvane"_s});
    }
}

void TestMainWindow::settingsCheck_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QString>("reset");
    QTest::newRow("columns 11") << u"Text2"_s << u"11"_s << u"列数请不要少于1列，超过10列！"_s << u"2"_s;
    QTest::newRow("columns 0") << u"Text2"_s << u"0"_s << u"列数请不要少于1列，超过10列！"_s << u"2"_s;
    QTest::newRow("columns empty") << u"Text2"_s << QString() << u"列数请不要少于1列，超过10列！"_s << u"2"_s;
    QTest::newRow("columns 10 is fine") << u"Text2"_s << u"10"_s << QString() << u"10"_s;
    QTest::newRow("size 0") << u"Text3"_s << u"0"_s << u"字号请不要少于1号！"_s << u"12"_s;
    QTest::newRow("spacing 19") << u"Text4"_s << u"19"_s << u"行距请不要少于20磅！"_s << u"30"_s;
    QTest::newRow("spacing 20 is fine") << u"Text4"_s << u"20"_s << QString() << u"20"_s;
    QTest::newRow("quantity empty") << u"Text1"_s << QString() << u"数量至少一题！"_s << u"24"_s;
    QTest::newRow("pasted text") << u"Text1"_s << u"abc"_s << u"数量至少一题！"_s << u"24"_s;
}

void TestMainWindow::settingsCheck() {
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, notice);
    QFETCH(QString, reset);
    child<QLineEdit>(field)->setText(value);
    form_->settingsCheck();
    QCOMPARE(child<QLineEdit>(field)->text(), reset);
    QCOMPARE(notices_.texts, notice.isEmpty() ? QStringList{} : QStringList{notice});
    if (field == u"Text2"_s && !notice.isEmpty())
        QCOMPARE(child<QLineEdit>(u"Text1"_s)->text(), u"12"_s); // columns 2 in 列式计算
}

void TestMainWindow::quantityFollowsColumns_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("columns");
    QTest::addColumn<QString>("quantity");
    QTest::newRow("奥数") << u"Option1"_s << u"3"_s << u"63"_s;
    QTest::newRow("估算") << u"Option2"_s << u"3"_s << u"63"_s;
    QTest::newRow("列式计算") << u"Option3"_s << u"3"_s << u"18"_s;
    QTest::newRow("解方程 leaves it") << u"Option4"_s << u"3"_s << u"24"_s;
    QTest::newRow("pasted text") << u"Option3"_s << u"x"_s << u"24"_s;
    QTest::newRow("emptied") << u"Option3"_s << QString() << u"24"_s;
}

void TestMainWindow::quantityFollowsColumns() {
    QFETCH(QString, mode);
    QFETCH(QString, columns);
    QFETCH(QString, quantity);
    child<QRadioButton>(mode)->click();
    child<QLineEdit>(u"Text1"_s)->setText(u"24"_s);
    child<QLineEdit>(u"Text2"_s)->setText(columns);
    QCOMPARE(child<QLineEdit>(u"Text1"_s)->text(), quantity);
}

void TestMainWindow::gradeAndMode_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("grade");
    QTest::addColumn<QList<int>>("enabled");
    QTest::addColumn<QList<int>>("ticked");
    QTest::addColumn<int>("shownGrade");
    const QList<int> geometry{13, 16, 25, 26, 27, 28, 30, 31, 32, 37, 39, 40};
    QList<int> all, nonGeometry;
    for (int s = 1; s <= 40; ++s) {
        all.append(s);
        if (!geometry.contains(s))
            nonGeometry.append(s);
    }
    const QList<int> first{1, 2, 3, 4, 5};
    QList<int> third;
    for (int s = 1; s <= 16; ++s)
        third.append(s);
    third.append(18);
    QTest::newRow("列式计算 一年级") << u"Option3"_s << 1 << first << first << 1;
    QTest::newRow("估算 一年级 is the same") << u"Option2"_s << 1 << first << first << 1;
    QTest::newRow("列式计算 三年级: 归一 without 路程") << u"Option3"_s << 3 << third << third << 3;
    QTest::newRow("解方程 jumps to 五年级") << u"Option4"_s << -1 << QList<int>{} << QList<int>{} << 5;
    QTest::newRow("解方程 then 六年级") << u"Option4"_s << 6 << nonGeometry << nonGeometry << 6;
    QTest::newRow("奥数 returns to all") << u"Option1"_s << -1 << all << all << 0;
    QTest::newRow("奥数 一年级") << u"Option1"_s << 1 << QList<int>{9, 15, 40} << QList<int>{9, 15, 40} << 1;
}

void TestMainWindow::gradeAndMode() {
    QFETCH(QString, mode);
    QFETCH(int, grade);
    QFETCH(QList<int>, enabled);
    QFETCH(QList<int>, ticked);
    QFETCH(int, shownGrade);
    auto *combo = child<QComboBox>(u"Combo2"_s);
    child<QRadioButton>(mode)->click();
    if (grade >= 0)
        combo->setCurrentIndex(grade);
    QCOMPARE(combo->currentIndex(), shownGrade);
    if (grade < 0 && mode == u"Option4"_s) {
        // At 五年级 every box but the geometry ones and the grade-6 topics.
        for (int s = 1; s <= 40; ++s)
            QCOMPARE(box(s)->isEnabled(), codes::textbookMinimumGrade(s) <= 5 && !codes::isGeometrySlot(s));
        return;
    }
    QCOMPARE(enabledSlots(), enabled);
    QCOMPARE(tickedSlots(), ticked);
    QVERIFY(child<QCheckBox>(u"Check44"_s)->isChecked());
}

void TestMainWindow::equationModeAtGradeFiveKeepsTicks() {
    child<QComboBox>(u"Combo2"_s)->setCurrentIndex(5);
    const QList<int> before = tickedSlots();
    child<QRadioButton>(u"Option4"_s)->click();
    QCOMPARE(tickedSlots(), before); // a geometry box stays ticked while disabled
    for (int s : {13, 16, 25, 26, 27, 28, 30, 31, 32})
        QVERIFY(!box(s)->isEnabled());
    QVERIFY(box(29)->isEnabled());
}

void TestMainWindow::selectAllByHand() {
    auto *all = child<QCheckBox>(u"Check44"_s);
    child<QComboBox>(u"Combo2"_s)->setCurrentIndex(2);
    all->click();
    QCOMPARE(all->text(), u"全不选"_s);
    QVERIFY(tickedSlots().isEmpty());
    all->click();
    QCOMPARE(all->text(), u"全选"_s);
    QCOMPARE(tickedSlots(), enabledSlots());
    QCOMPARE(tickedSlots().size(), 8);
}

void TestMainWindow::handTicksSurviveAGradeChange() {
    auto *combo = child<QComboBox>(u"Combo2"_s);
    combo->setCurrentIndex(1);
    child<QCheckBox>(u"Check44"_s)->click(); // unticked: all boxes clear
    box(30)->setChecked(true);               // ticked by hand while disabled
    combo->setCurrentIndex(2);
    QVERIFY(box(30)->isChecked());
    QVERIFY(!box(30)->isEnabled());
    QCOMPARE(tickedSlots(), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 30}));
}

void TestMainWindow::olympiadCaptions() {
    child<QRadioButton>(u"Option1"_s)->click();
    QCOMPARE(child<QGroupBox>(u"Frame2"_s)->title(), u"题目类型（专题归类仅供参考）"_s);
    QCOMPARE(box(1)->text(), u"平均"_s);
    QCOMPARE(child<QCheckBox>(u"Check28"_s)->text(), u"表 面 积"_s);
    QVERIFY(child<QCheckBox>(u"Check5"_s)->toolTip().startsWith(u"能不能，够不够（"_s));
    // Then 三年级: everything unticked, the enabled states as they were.
    child<QComboBox>(u"Combo2"_s)->setCurrentIndex(1);
    child<QComboBox>(u"Combo2"_s)->setCurrentIndex(3);
    QVERIFY(tickedSlots().isEmpty());
    QCOMPARE(enabledSlots(), (QList<int>{9, 15, 40}));
    QVERIFY(!child<QCheckBox>(u"Check44"_s)->isChecked());
    QCOMPARE(child<QCheckBox>(u"Check44"_s)->text(), u"全不选"_s);
    child<QRadioButton>(u"Option2"_s)->click();
    QCOMPARE(box(1)->text(), u"求和"_s);
    QCOMPARE(enabledSlots().size(), 40);
    QCOMPARE(child<QGroupBox>(u"Frame2"_s)->title(),
             u"题目类型（以人教年级教材专题训练为依据，解决问题包含书本内题目）"_s);
}

void TestMainWindow::difficultyEcho_data() {
    QTest::addColumn<int>("moved");
    QTest::addColumn<int>("snapped");
    QTest::addColumn<QString>("label");
    QTest::newRow("35") << 35 << 40 << u"你选择的是[★★]题！"_s;
    QTest::newRow("0") << 0 << 0 << u"你选择的是[基础]题！"_s;
    QTest::newRow("1") << 1 << 20 << u"你选择的是[★]题！"_s;
    QTest::newRow("100") << 100 << 100 << u"你选择的是[★★★★★]题！"_s;
}

void TestMainWindow::difficultyMovesBothWays() {
    auto *slider = child<MyValue>(u"MyValue1"_s);
    slider->setValue(100);
    QCOMPARE(slider->Value(), 100);
    // The wheel: a notch down from 100 goes to the step below, and on down; a notch up, back up.
    const auto wheel = [slider](int delta) {
        const QPointF at(slider->width() / 2.0, slider->height() / 2.0);
        QWheelEvent event(at, slider->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(slider, &event);
    };
    wheel(-120);
    QCOMPARE(slider->Value(), 80);
    wheel(-120);
    QCOMPARE(slider->Value(), 60);
    wheel(120);
    QCOMPARE(slider->Value(), 80);
    // The keys, the same.
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Left);
    QCOMPARE(slider->Value(), 60);
    QTest::keyClick(slider, Qt::Key_Right);
    QCOMPARE(slider->Value(), 80);
    QCOMPARE(child<QLabel>(u"Label11"_s)->text(), u"你选择的是[★★★★]题！"_s);
}

void TestMainWindow::difficultyEcho() {
    QFETCH(int, moved);
    QFETCH(int, snapped);
    QFETCH(QString, label);
    auto *slider = child<MyValue>(u"MyValue1"_s);
    slider->setValue(moved == 0 ? 20 : 0); // make sure the next value is a change
    slider->setValue(moved);
    QCOMPARE(slider->Value(), snapped);
    QCOMPARE(child<QLabel>(u"Label11"_s)->text(), label);
}

void TestMainWindow::progressTicks() {
    auto *label = child<QLabel>(u"Label11"_s);
    label->setText(u"before"_s);
    RunState &state = form_->runState();
    state.jmz = 0;
    state.imz = 0;
    for (int i = 0; i < 11; ++i)
        form_->progressTick();
    QCOMPARE(label->text(), u"before"_s);
    form_->progressTick();
    QCOMPARE(label->text(), u"正在出题中，点■停止(0秒)."_s);

    state.jmz = 250;
    state.imz = 21;
    form_->progressTick();
    QCOMPARE(label->text(), u"正在出题中，点■停止(2秒).."_s);
    state.jmz = 350;
    state.imz = 101;
    form_->progressTick();
    QCOMPARE(label->text(), u"正在出题中，点■停止(4秒)......"_s);
    QCOMPARE(state.imz, 1); // reset by that tick, then counted

    QVERIFY(notices_.texts.isEmpty());
    state.jmz = 6000;
    form_->progressTick();
    QCOMPARE(notices_.texts, QStringList{u"已经运行了60秒，有可能题目不好找建议终止本次出题！"_s});
    form_->progressTick();
    QCOMPARE(notices_.texts.size(), 1);
    state.jmz = 12000;
    form_->progressTick();
    QCOMPARE(notices_.texts.last(), u"已经运行了120秒，有可能题目不好找建议终止本次出题！"_s);
}

void TestMainWindow::stopClickDuringARun() {
    auto *button = child<QPushButton>(u"Command1"_s);
    auto *label = child<QLabel>(u"Label11"_s);
    bool disabledDuringRun = false;
    // The click arrives through the first checkpoint of the run.
    QTimer::singleShot(0, this, [&] {
        disabledDuringRun = !button->isEnabled() && form_->running();
        QTest::mouseClick(label, Qt::LeftButton);
    });
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(disabledDuringRun);
    QVERIFY(!form_->running());
    QVERIFY(button->isEnabled());
    QCOMPARE(form_->runState().qt, 1);
    QCOMPARE(label->text(), QString());
    QVERIFY(!child<QTimer>(u"Timer2"_s)->isActive());
    QCOMPARE(notices_.texts, QStringList{u"出题终止，请点击再次出题！"_s});
    QVERIFY(target_);
    QVERIFY(target_->operations().contains(u"show"_s));
    QVERIFY(!target_->paragraphs().join(QString()).contains(u"1、"_s));
}

void TestMainWindow::stopClickWithNoRun() {
    auto *label = child<QLabel>(u"Label11"_s);
    label->setText(u"你选择的是[★]题！"_s);
    QTest::mouseClick(label, Qt::LeftButton);
    QCOMPARE(label->text(), QString());
    QCOMPARE(form_->runState().qt, 1);
    QCOMPARE(notices_.texts, QStringList{u"出题终止，请点击再次出题！"_s});
    // The next run resets the flag and writes its questions.
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    QCOMPARE(form_->runState().qt, 0);
    QVERIFY(target_->paragraphs().join(QString()).contains(u"24、"_s));
}

void TestMainWindow::exitQuestion_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void TestMainWindow::exitQuestion() {
    QFETCH(bool, yes);
    form_->show();
    questions_.answers = {yes};
    form_->close();
    QCOMPARE(questions_.asked, QStringList{u"确认退出？"_s});
    QCOMPARE(endings_, yes ? 1 : 0);
    QCOMPARE(form_->isVisible(), !yes);
    QCOMPARE(form_->module3()->trayRemoved(), yes);
}

void TestMainWindow::wholeRunFromTheButton() {
    child<QComboBox>(u"Combo2"_s)->setCurrentIndex(2);
    child<QCheckBox>(u"Check19"_s)->setChecked(true);
    child<QComboBox>(u"Combo1"_s)->setCurrentIndex(1);
    child<QLineEdit>(u"Text1"_s)->setText(u"10"_s);
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    QVERIFY(target_);
    const QStringList ops = target_->operations();
    QCOMPARE(ops.first(), u"new"_s);
    QCOMPARE(ops.last(), u"show"_s);
    QVERIFY(ops.contains(u"type Tessaly练习(答案)"_s));
    QVERIFY(ops.contains(u"font 楷体"_s));
    QVERIFY(ops.contains(u"size 11"_s));
    int questions = 0;
    for (const QString &p : target_->paragraphs())
        if (p.contains(u"、"_s)) {
            ++questions;
            QVERIFY2(p.contains(u"　　（答案："_s), qPrintable(p));
        }
    QCOMPARE(questions, 10);
    QVERIFY(!child<QTimer>(u"Timer2"_s)->isActive());
    QCOMPARE(child<QLabel>(u"Label11"_s)->text(), QString());
    QCOMPARE(form_->runState().jmz, 0);
    QCOMPARE(form_->lastSheet()->sheet.items.size(), 10);
    QVERIFY(notices_.texts.isEmpty());
}

void TestMainWindow::batchOfCopiesWithTheirKeys() {
    // 份数 2: two sheets, each followed by its key, as the command line's --copies makes them.
    child<QLineEdit>(u"Text1"_s)->setText(u"5"_s);
    child<QSpinBox>(u"SpinCopies"_s)->setValue(2);
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    QCOMPARE(titles_.size(), 4);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(titles_[i].startsWith(u"Tessaly练习(答案)"_s), i % 2 == 1);
    QCOMPARE(titles_[0].section(u"卷号 "_s, 1),
             titles_[1].section(u"卷号 "_s, 1)); // a key has its sheet's code
    QVERIFY(titles_[0].section(u"卷号 "_s, 1) != titles_[2].section(u"卷号 "_s, 1));
    QVERIFY(child<QPushButton>(u"Command1"_s)->isEnabled());
}

void TestMainWindow::noTopicTickedMakesNoSheet() {
    child<QCheckBox>(u"Check44"_s)->setChecked(false); // 全不选
    child<QCheckBox>(u"Check46"_s)->setChecked(false); // 未归类题
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    QCOMPARE(notices_.texts, QStringList{u"没有勾选任何专题，请至少勾选一个专题再出题。"_s});
    QVERIFY(titles_.isEmpty());
    QVERIFY(!form_->lastSheet());
    QVERIFY(child<QPushButton>(u"Command1"_s)->isEnabled());
}

void TestMainWindow::largeSheetIsAskedAbout_data() {
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("yes");
    QTest::newRow("2000 is not asked") << u"2000"_s << 1 << false << true;
    QTest::newRow("2001, yes") << u"2001"_s << 1 << true << true;
    QTest::newRow("2001, no") << u"2001"_s << 1 << true << false;
    QTest::newRow("1001 twice") << u"1001"_s << 2 << true << false;
}

void TestMainWindow::largeSheetIsAskedAbout() {
    QFETCH(QString, quantity);
    QFETCH(int, copies);
    QFETCH(bool, asked);
    QFETCH(bool, yes);
    child<QLineEdit>(u"Text1"_s)->setText(quantity);
    child<QSpinBox>(u"SpinCopies"_s)->setValue(copies);
    questions_.answers = {yes};
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    QCOMPARE(questions_.asked.size(), asked ? 1 : 0);
    if (asked)
        QVERIFY(questions_.asked[0].contains(QString::number(quantity.toInt() * copies)));
    QCOMPARE(titles_.isEmpty(), !yes); // the sample bank gives a sheet, shorter than asked
}

void TestMainWindow::lastBankComesBack() {
    auto *restore = child<QPushButton>(u"Command8"_s);
    QVERIFY(!restore->isEnabled()); // no backup yet
    const QByteArray sample = bank_->readBytes(u"tk.txt"_s);
    bank_->writeLines(u"tk.txt.bak"_s, {u"上次的题|1|1|0|1＋1＝2"_s});
    const QByteArray before = bank_->readBytes(u"tk.txt.bak"_s);
    makeForm(std::nullopt);
    restore = child<QPushButton>(u"Command8"_s);
    QVERIFY(restore->isEnabled());
    questions_.answers = {false}; // asked first; No leaves both
    QTest::mouseClick(restore, Qt::LeftButton);
    QCOMPARE(bank_->readBytes(u"tk.txt"_s), sample);
    questions_.answers = {true};
    QTest::mouseClick(restore, Qt::LeftButton);
    QCOMPARE(bank_->readBytes(u"tk.txt"_s), before);
    QCOMPARE(bank_->readBytes(u"tk.txt.bak"_s), sample);
    QCOMPARE(notices_.texts, QStringList{u"已换回上次下载之前的题库。"_s});
}

void TestMainWindow::runWithNoBank() {
    QFile::remove(bank_->path(u"tk.txt"_s));
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    // The download asks first; answered No, it ends with its notice and the run goes on.
    QCOMPARE(questions_.asked, QStringList{u"题库已经准备完毕，确认下载？"_s});
    QCOMPARE(notices_.texts, (QStringList{u"题库不存在，请下载最新题库！"_s, u"下载任务结束！"_s,
                                          u"没有符合所选范围和专题的题目，试卷只有标题。"_s}));
    QVERIFY(target_->operations().contains(u"show"_s));
    QVERIFY(child<QPushButton>(u"Command1"_s)->isEnabled());
}

void TestMainWindow::noticesInTheWindowWithoutATray() {
    // The offscreen platform has no tray: the window shows the notice itself, and a later one replaces it.
    Module3 *tray = form_->module3();
    tray->ShowNotice(u"第一条"_s, u"Corvane"_s, 1);
    tray->ShowNotice(u"第二条"_s, u"Corvane"_s, 1);
    QVERIFY(tray->panel()->isVisibleTo(form_.get()));
    QCOMPARE(tray->panel()->text(), u"第二条"_s);
    QCOMPARE(tray->panel()->title(), u"Corvane"_s);
}

void TestMainWindow::trayClicks() {
    form_->showMinimized();
    QVERIFY(form_->isMinimized());
    Q_EMIT form_->module3()->leftClicked(); // restores and focuses the window
    QVERIFY(!form_->isMinimized());
    QVERIFY(form_->isVisible());
}

namespace {

void serveGrades(TestHttpServer &server) {
    for (int g = 1; g <= 6; ++g)
        server.setPage(u"/xx/%1nj.asp"_s.arg(g), {200, "text/html; charset=utf-8",
                                                  (u"<body>1新%1|%1|1|0|答##</body>"_s.arg(g)).toUtf8()});
}

} // namespace

void TestMainWindow::downloadFromTheButton() {
    TestHttpServer server;
    serveGrades(server);
    makeForm(DownloadSettings{server.baseUrl(), 5000});
    // The start-up page is asked for without waiting for it.
    QTRY_VERIFY(server.requests().contains(u"/xx/orveltk.asp?id=20160808"_s));

    auto *run = child<QPushButton>(u"Command1"_s), *get = child<QPushButton>(u"Command3"_s);
    QCOMPARE(get->text(), u"下载题库"_s);
    bool disabledMeanwhile = false;
    QTimer::singleShot(
        0, this, [&] { disabledMeanwhile = !run->isEnabled() && !get->isEnabled() && form_->downloading(); });
    questions_.answers = {true};
    form_->runState().qt = 1; // a stop clicked earlier does not end this download
    QTest::mouseClick(get, Qt::LeftButton);
    QCOMPARE(questions_.asked, QStringList{u"题库已经准备完毕，确认下载？"_s});
    QVERIFY(disabledMeanwhile);
    QVERIFY(run->isEnabled() && get->isEnabled());
    QCOMPARE(form_->lastDownload().usableGrades, 6);
    QCOMPARE(notices_.texts, QStringList{u"下载任务结束！"_s});
    QCOMPARE(child<QLabel>(u"Label11"_s)->text(), QString());
    QStringEncoder gb("GB18030");
    const QByteArray fresh = gb(u"1新1|1|1|0|答"_s);
    QVERIFY(bank_->readBytes(u"tk.txt"_s).startsWith(fresh));
}

void TestMainWindow::missingBankDownloadsInsideTheRun() {
    TestHttpServer server;
    serveGrades(server);
    makeForm(DownloadSettings{server.baseUrl(), 5000});
    QFile::remove(bank_->path(u"tk.txt"_s));
    bank_->writeLines(u"zbtk.txt"_s, {u"自己写的题|1|1|0|答##"_s});
    questions_.answers = {true};
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    QCOMPARE(notices_.texts, (QStringList{u"题库不存在，请下载最新题库！"_s, u"下载任务结束！"_s,
                                          u"只找到 1 道符合所选范围和专题的题目，试卷只有这 1 道题。"_s}));
    QVERIFY(QFile::exists(bank_->path(u"tk.txt"_s)));
    // This run goes on with zbtk.txt only; the fresh tk.txt is for the next one.
    const QString sheet = target_->paragraphs().join(u'\n');
    QVERIFY(sheet.contains(u"1、自己写的题"_s));
    QVERIFY(!sheet.contains(u"新1"_s));
    QVERIFY(!sheet.contains(u"2、"_s));
    QVERIFY(child<QPushButton>(u"Command1"_s)->isEnabled());
}

void TestMainWindow::difficultyByMouseKeysAndWheel() {
    auto *slider = child<MyValue>(u"MyValue1"_s);
    auto *label = child<QLabel>(u"Label11"_s);
    QTest::keyClick(slider, Qt::Key_End);
    QCOMPARE(slider->Value(), 0);
    QCOMPARE(label->text(), u"你选择的是[基础]题！"_s);
    QTest::keyClick(slider, Qt::Key_Home);
    QCOMPARE(label->text(), u"你选择的是[★★★★★]题！"_s);
    // A click left of the thumb: its centre under the pointer, 22 from the position, snapped to 40.
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(30, 4));
    QCOMPARE(slider->Value(), 40);
    QCOMPARE(label->text(), u"你选择的是[★★]题！"_s);
    // One notch forward: 40 + the desktop's three lines, snapped to 60.
    QCOMPARE(slider->wheelStep(), QApplication::wheelScrollLines());
    QWheelEvent wheel(QPointF(10, 4), slider->mapToGlobal(QPointF(10, 4)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(slider, &wheel);
    QCOMPARE(slider->Value(), 60);
    QCOMPARE(label->text(), u"你选择的是[★★★]题！"_s);
}

void TestMainWindow::keysThatTypeNothingPass_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("refused");
    QTest::newRow("Tab") << int(Qt::Key_Tab) << int(Qt::NoModifier) << false;
    QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << false;
    QTest::newRow("Esc") << int(Qt::Key_Escape) << int(Qt::NoModifier) << false;
    for (const auto &[name, key] :
         {std::pair{"Ctrl+A", Qt::Key_A}, std::pair{"Ctrl+C", Qt::Key_C}, std::pair{"Ctrl+V", Qt::Key_V},
          std::pair{"Ctrl+X", Qt::Key_X}, std::pair{"Ctrl+Z", Qt::Key_Z}})
        QTest::newRow(name) << int(key) << int(Qt::ControlModifier) << false;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << int(Qt::NoModifier) << false;
    QTest::newRow("a digit") << int(Qt::Key_7) << int(Qt::NoModifier) << false;
    QTest::newRow("a letter") << int(Qt::Key_A) << int(Qt::NoModifier) << true;
    QTest::newRow("a sign") << int(Qt::Key_Minus) << int(Qt::NoModifier) << true;
}

void TestMainWindow::keysThatTypeNothingPass() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, refused);
    auto *field = child<QLineEdit>(u"Text4"_s);
    QTest::keyClick(field, static_cast<Qt::Key>(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(notices_.texts.contains(u"请输入数字！"_s), refused);
}

void TestMainWindow::typingIsCheckedWhenItPauses() {
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    auto *spacing = child<QLineEdit>(u"Text4"_s);
    spacing->setFocus();
    QTRY_VERIFY(spacing->hasFocus());
    spacing->selectAll();
    QTest::keyClicks(spacing, u"2"_s);
    form_->settingsCheck(); // the half-second tick between the two keys
    QCOMPARE(spacing->text(), u"2"_s);
    QTest::qWait(1700); // a long pause: still being edited, still not reset (it gave 305 once)
    form_->settingsCheck();
    QCOMPARE(spacing->text(), u"2"_s);
    QTest::keyClicks(spacing, u"5"_s);
    form_->settingsCheck();
    QCOMPARE(spacing->text(), u"25"_s);
    QVERIFY(notices_.texts.isEmpty());
    // A value too small is still caught once the focus leaves.
    spacing->selectAll();
    QTest::keyClicks(spacing, u"1"_s);
    form_->settingsCheck();
    QCOMPARE(spacing->text(), u"1"_s);
    child<QLineEdit>(u"Text1"_s)->setFocus();
    QTRY_COMPARE(spacing->text(), u"30"_s);
    QCOMPARE(notices_.texts, QStringList{u"行距请不要少于20磅！"_s});
    // Enter checks it too, with the focus still in the field.
    spacing->setFocus();
    QTRY_VERIFY(spacing->hasFocus());
    spacing->selectAll();
    QTest::keyClicks(spacing, u"1"_s);
    form_->settingsCheck();
    QCOMPARE(spacing->text(), u"1"_s);
    QTest::keyClick(spacing, Qt::Key_Return);
    QCOMPARE(spacing->text(), u"30"_s);
}

void TestMainWindow::quantityAboveTheLimit_data() {
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("notice");
    QTest::newRow("100000 is allowed") << u"100000"_s << u"100000"_s << QString();
    QTest::newRow("100001") << u"100001"_s << u"24"_s << u"数量请不要超过100000题！"_s;
    QTest::newRow("999999999") << u"999999999"_s << u"24"_s << u"数量请不要超过100000题！"_s;
    QTest::newRow("0") << u"0"_s << u"24"_s << u"数量至少一题！"_s;
}

void TestMainWindow::quantityAboveTheLimit() {
    QFETCH(QString, quantity);
    QFETCH(QString, after);
    QFETCH(QString, notice);
    auto *field = child<QLineEdit>(u"Text1"_s);
    field->setText(quantity); // pasted, not typed
    form_->settingsCheck();
    QCOMPARE(field->text(), after);
    QCOMPARE(notices_.texts, notice.isEmpty() ? QStringList() : QStringList{notice});
    // 100000 stays readable in the field.
    field->setText(u"100000"_s);
    QVERIFY(QFontMetrics(field->font()).horizontalAdvance(field->text()) <= field->width() - 6);
}

namespace {

// A word processor that keeps the window busy to the end: the second click of a double click reaches
// the queue while the worksheet is shown, and is delivered only after.
class ClickAtShow : public RecordingTarget {
public:
    explicit ClickAtShow(QPushButton *button)
        : button_(button) {}
    void show() override {
        RecordingTarget::show();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(
                button_, new QMouseEvent(type, QPointF(5, 5), button_->mapToGlobal(QPointF(5, 5)),
                                         Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    }

private:
    QPushButton *button_;
};

} // namespace

void TestMainWindow::clicksDuringARunAreDropped() {
    QPushButton *run = nullptr;
    int targets = 0;
    Form1Services services = testServices();
    services.makeOutputs = [&targets, &run](NoticeSink &) -> std::unique_ptr<SheetOutputs> {
        ++targets;
        return std::make_unique<RecordingOutputs>([&run] { return std::make_unique<ClickAtShow>(run); });
    };
    form_ = std::make_unique<Form1>(services);
    run = child<QPushButton>(u"Command1"_s);
    QTest::mouseClick(run, Qt::LeftButton);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QCOMPARE(targets, 1);
    QVERIFY(run->isEnabled());
    QTest::mouseClick(run, Qt::LeftButton); // a click after the run is a new run
    QCOMPARE(targets, 2);
}

void TestMainWindow::failedDownloadSaysSo() {
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
    const QString nowhere = u"http://127.0.0.1:%1"_s.arg(closed.serverPort());
    closed.close();
    makeForm(DownloadSettings{nowhere, 2000});
    const QByteArray before = bank_->readBytes(u"tk.txt"_s);
    questions_.answers = {true};
    QTest::mouseClick(child<QPushButton>(u"Command3"_s), Qt::LeftButton);
    QCOMPARE(notices_.texts, QStringList{u"下载失败：六个年级的题库都没有下载成功，原来的题库没有改动。"_s});
    QCOMPARE(bank_->readBytes(u"tk.txt"_s), before);
}

void TestMainWindow::qtSpeaksChinese() {
    QVERIFY(installChineseTranslations(*QCoreApplication::instance()));
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    QVERIFY2(box.button(QMessageBox::Yes)->text().contains(u"是"_s),
             qPrintable(box.button(QMessageBox::Yes)->text()));
    QVERIFY(box.button(QMessageBox::No)->text().contains(u"否"_s));
    std::unique_ptr<QMenu> menu(child<QLineEdit>(u"Text1"_s)->createStandardContextMenu());
    QStringList actions;
    for (QAction *a : menu->actions())
        actions.append(a->text());
    QVERIFY2(actions.join(u' ').contains(u"复制"_s), qPrintable(actions.join(u' ')));
    QVERIFY(actions.join(u' ').contains(u"粘贴"_s));
}

void TestMainWindow::answerKeyOfTheSheetJustMade() {
    auto *key = child<QPushButton>(u"Command5"_s);
    QCOMPARE(key->text(), u"本卷答案"_s);
    QVERIFY(!key->isEnabled()); // no sheet yet
    child<QComboBox>(u"Combo2"_s)->setCurrentIndex(3);
    child<QComboBox>(u"Combo6"_s)->setCurrentText(u"3"_s);
    child<QLineEdit>(u"Text1"_s)->setText(u"8"_s);
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    QVERIFY(key->isEnabled());
    const QStringList sheetOps = target_->operations();
    QStringList questions;
    for (const QString &op : sheetOps)
        if (op.startsWith(u"type "_s) && op.contains(u"、"_s))
            questions.append(op.mid(5));
    QCOMPARE(questions.size(), 8);

    // The controls change; the key still belongs to the sheet that was made.
    child<QCheckBox>(u"Check18"_s)->setChecked(false);
    child<QComboBox>(u"Combo6"_s)->setCurrentText(u"5"_s);
    child<QRadioButton>(u"Option2"_s)->setChecked(true);
    QTest::mouseClick(key, Qt::LeftButton);
    const QStringList keyOps = target_->operations();
    QVERIFY(keyOps.contains(u"type Tessaly练习(答案)"_s));
    QStringList keyed;
    for (qsizetype i = 0; i < keyOps.size(); ++i)
        if (keyOps[i].startsWith(u"type "_s) && keyOps[i].contains(u"、"_s)) {
            keyed.append(keyOps[i].mid(5));
            QVERIFY(keyOps.value(i + 1).startsWith(u"type 　　（答案："_s));
        }
    QCOMPARE(keyed, questions); // same questions, order and marks
    // The same three blank lines after each question.
    const auto linesBetween = [&questions](const QStringList &ops) {
        const qsizetype from = ops.indexOf(u"type "_s + questions[0]),
                        to = ops.indexOf(u"type "_s + questions[1]);
        return ops.mid(from, to - from).count(u"br"_s);
    };
    QCOMPARE(linesBetween(keyOps), 3);
    QCOMPARE(linesBetween(sheetOps), 3);
    QVERIFY(key->isEnabled());
}

void TestMainWindow::printChoicesInTheDialogAreKept() {
    QTimer::singleShot(0, this, [] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->findChild<QLineEdit *>(u"titleLineEdit"_s)->setText(u"实验小学三年级一班"_s);
        dialog->findChild<QCheckBox *>(u"pageNumbersBox"_s)->setChecked(true);
        dialog->findChild<QCheckBox *>(u"scoreTableBox"_s)->setChecked(true);
        dialog->findChild<QComboBox *>(u"infoLineBox"_s)->setCurrentIndex(1);
        dialog->findChild<QComboBox *>(u"workingSpaceBox"_s)->setCurrentIndex(1);
        dialog->findChild<QComboBox *>(u"pinyinBox"_s)->setCurrentIndex(1);
        dialog->findChild<QCheckBox *>(u"qrCodeBox"_s)->setChecked(false);
        dialog->accept();
    });
    QTest::mouseClick(child<QPushButton>(u"Command6"_s), Qt::LeftButton);
    // Kept in tessaly.ini: the next start prints the same way.
    makeForm(std::nullopt);
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    const QStringList ops = target_->operations();
    QVERIFY(ops.contains(u"page numbers"_s));
    QVERIFY(ops.contains(u"type 实验小学三年级一班"_s));
    QVERIFY(ops.contains(u"table 题号|总分 / 得分| / 评卷人|"_s));
    QVERIFY(ops.contains(u"type "_s + DocumentWriter::schoolInfoLine()));
    QVERIFY(ops.contains(u"rule"_s)); // the ruled working space
    // Pinyin over every Chinese character of the questions.
    QVERIFY(std::any_of(ops.begin(), ops.end(), [](const QString &op) { return op.startsWith(u"ruby "_s); }));
    const QSettings ini(UserFiles::inFolder(bank_->dir()).settingsFile, QSettings::IniFormat);
    QCOMPARE(ini.value(u"page/pinyin"_s).toString(), u"all"_s);
    QCOMPARE(ini.value(u"page/qrCode"_s).toBool(), false);
}

void TestMainWindow::sectionsFromTheWindowsChoices() {
    child<QLineEdit>(u"Text1"_s)->setText(u"3"_s);
    QTest::mouseClick(child<QPushButton>(u"Command9"_s), Qt::LeftButton);
    auto *dialog = form_->findChild<SectionsDialog *>();
    QVERIFY(dialog && dialog->isVisible());
    auto *table = dialog->findChild<QTableWidget *>(u"sectionTable"_s);
    QCOMPARE(table->rowCount(), 1); // the window's choice is section one
    table->item(0, 3)->setText(u"5"_s);
    // The next section from the window's choice as it is now, while the dialog stays open.
    child<QLineEdit>(u"Text1"_s)->setText(u"2"_s);
    QTest::mouseClick(dialog->findChild<QPushButton *>(u"addButton"_s), Qt::LeftButton);
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->item(1, 2)->text(), u"2"_s);
    table->item(1, 4)->setText(u"20"_s);
    table->item(1, 5)->setText(u"第二部分"_s);
    // A bad cell keeps the dialog open and says which.
    table->item(0, 2)->setText(u"多"_s);
    auto *ok = dialog->findChild<QDialogButtonBox *>(u"buttons"_s)->button(QDialogButtonBox::Ok);
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(dialog->isVisible());
    QVERIFY(dialog->findChild<QLabel *>(u"problemLabel"_s)->text().contains(u"第一道大题"_s));
    table->item(0, 2)->setText(u"3"_s);
    QTest::mouseClick(ok, Qt::LeftButton);
    QTRY_VERIFY(form_->findChild<SectionsDialog *>() == nullptr);
    QCOMPARE(child<QLabel>(u"LabelSections"_s)->text(), u"2 道大题，5 题，35 分"_s);

    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    const QStringList paragraphs = target_->paragraphs();
    QVERIFY2(paragraphs.first().contains(u"满分35分"_s), qPrintable(paragraphs.first()));
    const auto first = std::find_if(paragraphs.begin(), paragraphs.end(),
                                    [](const QString &p) { return p.startsWith(u"一、"_s); });
    QVERIFY(first != paragraphs.end());
    QVERIFY(first->endsWith(u"（每题5分，共15分）"_s));
    QVERIFY(paragraphs.contains(u"二、第二部分（共20分）"_s));
    // Numbered through the sheet: the second section goes on from 4.
    const qsizetype second = paragraphs.indexOf(u"二、第二部分（共20分）"_s);
    QVERIFY(paragraphs.at(second + 1).contains(u"4、"_s));
}

void TestMainWindow::planSavedFromASheetAndLoaded() {
    QStringList lines;
    for (int topic = 1; topic <= 2; ++topic)
        for (int d = 0; d <= 2; ++d)
            for (int n = 0; n < 5; ++n)
                lines.append(u"题%1%2%3|1|%1|%2|答"_s.arg(topic).arg(d).arg(n));
    bank_->writeLines(u"tk.txt"_s, lines);
    makeForm(std::nullopt);
    child<QComboBox>(u"Combo2"_s)->setCurrentIndex(1);
    child<QLineEdit>(u"Text1"_s)->setText(u"6"_s);
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    // The sheet's make-up saved as a plan, then loaded: the next sheet has the same topics and
    // difficulties, whatever the quantity field says.
    QTemporaryDir dir;
    planFile_ = dir.filePath(u"plan.csv"_s);
    form_->saveLastSheetsPlan();
    QVERIFY(QFile::exists(planFile_));
    const auto makeUp = [](const DrawnSheet &sheet) {
        QMap<QString, int> counts;
        for (const SheetItem &item : sheet.items)
            ++counts[QString::number(item.topicCode) + u'@' + item.difficulty];
        return counts;
    };
    const QMap<QString, int> first = makeUp(form_->lastSheet()->sheet);
    form_->loadPlan();
    QCOMPARE(child<QLabel>(u"LabelSections"_s)->text().left(6), u"按细目表：%1"_s.arg(first.size()).left(6));
    child<QLineEdit>(u"Text1"_s)->setText(u"20"_s);
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    QCOMPARE(makeUp(form_->lastSheet()->sheet), first);
    // A file that is no plan is said, and the plan stays.
    QFile broken(planFile_);
    QVERIFY(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("专题,难度,题量\n飞行,1,2\n");
    broken.close();
    form_->loadPlan();
    QVERIFY2(notices_.texts.last().startsWith(u"细目表没有载入：第2行"_s), qPrintable(notices_.texts.last()));
    form_->clearPlan();
    QVERIFY(child<QLabel>(u"LabelSections"_s)->text().isEmpty());
}

void TestMainWindow::classSetMarkedAndReported() {
    QTemporaryDir dir;
    chosenFile_ = dir.filePath(u"名单.csv"_s);
    QFile list(chosenFile_);
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write("姓名,学号\n张三,1\n李四,2\n");
    list.close();
    // A list without its class: the window asks for it.
    className_ = u"一年级一班"_s;
    form_->importClassList();
    QVERIFY2(notices_.texts.last().startsWith(u"名单已导入（新加 2 名）：一年级一班 共 2 名"_s),
             qPrintable(notices_.texts.last()));
    form_->chooseClass(u"一年级一班"_s, false);
    QCOMPARE(child<QLabel>(u"LabelSections"_s)->text(), u"全班：一年级一班"_s);
    child<QComboBox>(u"Combo2"_s)->setCurrentIndex(1);
    child<QLineEdit>(u"Text1"_s)->setText(u"4"_s);
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    QCOMPARE(titles_.size(), 4); // each pupil's sheet and its key

    Result<std::unique_ptr<SheetHistory>> opened =
        SheetHistory::open(SheetHistory::defaultPath(UserFiles::inFolder(bank_->dir())));
    QVERIFY(opened.ok());
    const QList<SheetPupil> pupils = opened.value()->pupils(u"一年级一班"_s);
    QList<RecordedSheet> sheets = opened.value()->list();
    QCOMPARE(sheets.size(), 2);
    const QString code = sheets.last().code; // the first made: 张三's
    QCOMPARE(opened.value()->find(code)->pupilId, pupils.first().id);

    // Marking a pile: the code, the wrong numbers typed, Enter; then the next code has the focus.
    form_->openMarking();
    MarkDialog *marking = form_->markDialog();
    QVERIFY(marking);
    QVERIFY(!marking->openSheet(u"ABCD-E"_s));
    QVERIFY(marking->openSheet(code.toLower()));
    QCOMPARE(marking->ticks().size(), 4);
    auto *wrong = marking->findChild<QLineEdit *>(u"TextWrong"_s);
    QTest::keyClicks(wrong, u"2,4"_s);
    QVERIFY(marking->ticks()[1]->isChecked() && marking->ticks()[3]->isChecked());
    marking->ticks()[3]->setChecked(false); // a tick taken off changes the numbers
    QCOMPARE(wrong->text(), u"2"_s);
    QTest::keyClick(wrong, Qt::Key_Return);
    QVERIFY(marking->findChild<QLabel *>(u"LabelSaved"_s)->text().contains(u"错 1 道"_s));
    QVERIFY(marking->findChild<QLineEdit *>(u"TextCode"_s)->text().isEmpty());
    const QList<MarkedItem> marks = opened.value()->marksOf({pupils.first().id});
    QCOMPARE(marks.size(), 4);
    QCOMPARE(std::count_if(marks.begin(), marks.end(), [](const MarkedItem &m) { return !m.correct; }), 1);

    // The report of the class: the mark in its figures, exported as a picture.
    form_->openReport();
    ReportDialog *report = form_->reportDialog();
    QVERIFY(report);
    QCOMPARE(report->report().asked, 4);
    QCOMPARE(report->report().wrong, 1);
    QCOMPARE(report->findChild<QTableWidget *>(u"TablePupils"_s)->rowCount(), 2);
    const QString png = dir.filePath(u"report.png"_s);
    QVERIFY(report->exportTo(png).ok());
    QVERIFY(QFile::exists(png));

    // Review sheets for the class: 张三's one wrong question is not due yet, the sheets are the usual.
    form_->chooseClass(u"一年级一班"_s, true);
    QCOMPARE(child<QLabel>(u"LabelSections"_s)->text(), u"错题重练：一年级一班"_s);
    form_->chooseClass(QString(), false);
    QVERIFY(child<QLabel>(u"LabelSections"_s)->text().isEmpty());
}

void TestMainWindow::paperChosenInTheDialogIsKept() {
    QTimer::singleShot(0, this, [] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->findChild<QComboBox *>(u"paperBox"_s)->setCurrentText(u"A3"_s);
        dialog->findChild<QCheckBox *>(u"landscapeBox"_s)->setChecked(true);
        dialog->accept();
    });
    QTest::mouseClick(child<QPushButton>(u"Command6"_s), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    QVERIFY(target_->operations().contains(u"layout A3 landscape columns 2 spacing 30"_s));
    // Kept in tessaly.ini for the next start.
    makeForm(std::nullopt);
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    QVERIFY(target_->operations().contains(u"layout A3 landscape columns 2 spacing 30"_s));
    QVERIFY(QString::fromUtf8(bank_->readBytes(u"tessaly.ini"_s)).contains(u"paper=A3"_s));
}

void TestMainWindow::topicTipsCountTheBank() {
    // A bank of our own: three 求和 at grade 1, one at grade 2, one 未归类题 at grade 1.
    bank_->writeLines(u"tk.txt"_s, {u"甲|1|1|0|1"_s, u"乙|1|1|1|1"_s, u"丙|2|1|0|1"_s, u"丁|1|0|0|1"_s});
    bank_->writeLines(u"zbtk.txt"_s, {u"戊|1|1|2|1##"_s});
    makeForm(std::nullopt);
    QVERIFY(box(1)->toolTip().endsWith(u"题库中有 4 道题"_s)); // 小学阶段综合: every grade
    child<QComboBox>(u"Combo2"_s)->setCurrentIndex(1);
    QVERIFY(box(1)->toolTip().endsWith(u"题库中一年级有 3 道题"_s));
    QVERIFY(box(2)->toolTip().endsWith(u"题库中一年级有 0 道题"_s));
    QVERIFY(child<QCheckBox>(u"Check46"_s)->toolTip().endsWith(u"题库中一年级有 1 道题"_s));
    // The bank changes on disk: the next look counts again.
    QTest::qWait(20);
    bank_->writeLines(u"zbtk.txt"_s, {u"戊|1|1|2|1##"_s, u"己|1|1|2|1##"_s});
    child<QComboBox>(u"Combo2"_s)->setCurrentIndex(2);
    child<QComboBox>(u"Combo2"_s)->setCurrentIndex(1);
    QVERIFY(box(1)->toolTip().endsWith(u"题库中一年级有 4 道题"_s));
    // The olympiad list counts its own codes.
    child<QRadioButton>(u"Option1"_s)->setChecked(true);
    QVERIFY(box(1)->toolTip().contains(u"有 0 道题"_s));
}

// zbtk.txt in neither encoding: the sheet comes from tk.txt, and the notice names the file that was
// left out, before the one of the short sheet.
void TestMainWindow::unreadableBankIsSaid() {
    bank_->writeLines(u"tk.txt"_s, {u"甲|1|1|0|1"_s, u"乙|1|1|1|1"_s});
    bank_->writeBytes(u"zbtk.txt"_s, QByteArray("\xFF\xFF\xFF|1|1\r\n"));
    makeForm(std::nullopt);
    child<QComboBox>(u"Combo2"_s)->setCurrentIndex(1);
    child<QLineEdit>(u"Text1"_s)->setText(u"2"_s);
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    QCOMPARE(notices_.texts.size(), 1);
    QVERIFY2(notices_.texts.first().contains(u"zbtk.txt"_s) &&
                 notices_.texts.first().contains(u"编码无法识别"_s),
             qPrintable(notices_.texts.first()));
    QCOMPARE(target_->paragraphs().filter(u"、"_s).size(), 2);
}

void TestMainWindow::shortSheetIsSaid() {
    bank_->writeLines(u"tk.txt"_s, {u"甲|1|1|0|1"_s, u"乙|1|1|1|1"_s, u"丙|1|2|0|1"_s});
    makeForm(std::nullopt);
    child<QComboBox>(u"Combo2"_s)->setCurrentIndex(1);
    child<QLineEdit>(u"Text1"_s)->setText(u"10"_s);
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    QCOMPARE(notices_.texts, QStringList{u"只找到 3 道符合所选范围和专题的题目，试卷只有这 3 道题。"_s});
    // Enough questions: nothing said.
    notices_.texts.clear();
    child<QLineEdit>(u"Text1"_s)->setText(u"2"_s);
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    QVERIFY(notices_.texts.isEmpty());
    // 按难度选题: only the questions of the chosen stars, and the notice names them when they were the
    // cause.
    child<MyValue>(u"MyValue1"_s)->setValue(20);
    child<QCheckBox>(u"CheckDifficulty"_s)->setChecked(true);
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    QCOMPARE(notices_.texts,
             QStringList{u"只找到 1 道符合所选范围、专题和难度（★）的题目，试卷只有这 1 道题。"_s});
    QVERIFY(target_->paragraphs().contains(u"[★]1、乙\n\n"_s));
}

void TestMainWindow::sheetsAreRecordedAndTheirKeysHadByCode() {
    QTemporaryDir dir;
    makeForm(std::nullopt, dir.filePath(u"history.sqlite"_s));
    child<QLineEdit>(u"Text1"_s)->setText(u"5"_s);
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    QString code;
    for (const QString &op : target_->operations())
        if (op.startsWith(u"type 卷号 "_s))
            code = op.mid(8);
    QVERIFY2(sheetcode::parse(code), qPrintable(target_->operations().join(u'|')));
    QStringList sheetQuestions;
    for (const QString &p : target_->paragraphs())
        if (p.contains(u"、"_s))
            sheetQuestions.append(QString(p).remove(u'\n'));
    QVERIFY(notices_.texts.isEmpty());

    // Another sheet later; then the first one's key by its code, typed in lower case.
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    QTimer::singleShot(0, this, [&code] {
        auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->setTextValue(code.toLower());
        dialog->accept();
    });
    QTest::mouseClick(child<QPushButton>(u"Command7"_s), Qt::LeftButton);
    const QStringList keyParagraphs = target_->paragraphs();
    QVERIFY(keyParagraphs.first().startsWith(u"Tessaly练习(答案)"_s));
    QVERIFY(keyParagraphs.first().endsWith(u"卷号 "_s + code));
    QStringList keyed;
    for (const QString &p : keyParagraphs)
        if (p.contains(u"、"_s))
            keyed.append(p.section(u"　　（答案："_s, 0, 0).remove(u'\n'));
    QCOMPARE(keyed, sheetQuestions);

    // A code with a typo is refused with a notice.
    QString typo = code;
    typo[0] = typo[0] == u'2' ? u'3' : u'2';
    QTimer::singleShot(0, this, [&typo] {
        auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->setTextValue(typo);
        dialog->accept();
    });
    QTest::mouseClick(child<QPushButton>(u"Command7"_s), Qt::LeftButton);
    QVERIFY(notices_.texts.last().contains(u"不是有效的卷号"_s));
}

void TestMainWindow::damagedHistoryIsSaidOnce() {
    QTemporaryDir dir;
    QFile damaged(dir.filePath(u"history.sqlite"_s));
    QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write(QByteArray(2048, 'z')) == 2048);
    damaged.close();
    makeForm(std::nullopt, damaged.fileName());
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    QCOMPARE(notices_.texts.size(), 1); // told once
    QVERIFY(notices_.texts[0].startsWith(u"出卷记录无法使用"_s));
    QVERIFY(target_->operations().contains(u"show"_s)); // the sheets were made all the same
    QVERIFY(damaged.open(QIODevice::ReadOnly));
    QCOMPARE(damaged.readAll(), QByteArray(2048, 'z'));
}

void TestMainWindow::freshQuestionsInTheWindow() {
    QStringList lines;
    for (int i = 1; i <= 6; ++i)
        lines.append(u"窗口第%1题|1|1|0|%1"_s.arg(i));
    bank_->writeLines(u"tk.txt"_s, lines);
    QTemporaryDir dir;
    makeForm(std::nullopt, dir.filePath(u"history.sqlite"_s));
    child<QComboBox>(u"Combo2"_s)->setCurrentIndex(1);
    child<QLineEdit>(u"Text1"_s)->setText(u"3"_s);
    child<QCheckBox>(u"CheckFresh"_s)->setChecked(true);
    const auto questions = [this] {
        QStringList q;
        for (const QString &p : target_->paragraphs())
            if (p.contains(u"、"_s))
                q.append(p.section(u"、"_s, 1));
        return q;
    };
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    const QStringList first = questions();
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    const QStringList second = questions();
    QCOMPARE(first.size(), 3);
    for (const QString &q : second)
        QVERIFY(!first.contains(q));
    QVERIFY(notices_.texts.isEmpty());
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    QCOMPARE(notices_.texts, QStringList{u"最近 7 天没用过的题只有 0 道，另用了 3 道用过最久的题。"_s});
    // The choice is kept for the next start.
    QVERIFY(QString::fromUtf8(bank_->readBytes(u"tessaly.ini"_s)).contains(u"fresh=true"_s));
}

void TestMainWindow::editorOpensOnceAndAfresh() {
    auto *edit = child<QPushButton>(u"Command4"_s);
    QTest::mouseClick(edit, Qt::LeftButton);
    QPointer<Form3> first = form_->editor();
    QVERIFY(first && first->isVisible());
    QVERIFY(first->isWindow());
    QVERIFY(form_->isEnabled()); // not modal
    first->findChild<QPlainTextEdit *>(u"Text1"_s)->setPlainText(u"写了一半"_s);
    QTest::mouseClick(edit, Qt::LeftButton);
    QCOMPARE(form_->editor(), first.data());
    QCOMPARE(first->findChild<QPlainTextEdit *>(u"Text1"_s)->toPlainText(), u"写了一半"_s);
    first->close();
    QTRY_VERIFY(!first); // closing discards it
    QTest::mouseClick(edit, Qt::LeftButton);
    QVERIFY(form_->editor());
    QCOMPARE(form_->editor()->findChild<QPlainTextEdit *>(u"Text1"_s)->toPlainText(),
             u"小明有7元钱，爸爸又给了他2元钱，小明一共有多少元钱？\n"_s);
    form_->editor()->close();
}

void TestMainWindow::editorQuestionComesOutOnTheNextSheet() {
    QTest::mouseClick(child<QPushButton>(u"Command4"_s), Qt::LeftButton);
    Form3 *editor = form_->editor();
    editor->findChild<QPlainTextEdit *>(u"Text1"_s)->setPlainText(u"自己出的一道长方形题目"_s);
    editor->findChild<QPlainTextEdit *>(u"Text2"_s)->setPlainText(u"3 * 4 = 12"_s);
    editor->findChild<QComboBox *>(u"Combo2"_s)->setCurrentIndex(4);
    editor->topicOption(23)->setChecked(true);
    QTest::mouseClick(editor->findChild<QPushButton *>(u"Command1"_s), Qt::LeftButton);
    QCOMPARE(notices_.texts, QStringList{u"恭喜！本地题库添加成功！"_s});
    QCOMPARE(notices_.titles, QStringList{u"Corvane"_s});
    editor->close();

    // Grade four, only topic 23 ticked, a sheet large enough to hold every candidate.
    child<QComboBox>(u"Combo2"_s)->setCurrentIndex(4);
    child<QCheckBox>(u"Check44"_s)->setChecked(false);
    box(23)->setChecked(true);
    child<QCheckBox>(u"Check46"_s)->setChecked(false);
    child<QLineEdit>(u"Text1"_s)->setText(u"100"_s);
    QTest::mouseClick(child<QPushButton>(u"Command1"_s), Qt::LeftButton);
    QVERIFY(target_);
    QVERIFY2(target_->paragraphs().join(u'\n').contains(u"自己出的一道长方形题目"_s),
             qPrintable(target_->paragraphs().join(u'\n')));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
