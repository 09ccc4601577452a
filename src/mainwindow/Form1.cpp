// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/Form1.h"

#include "ui_Form1.h"

#include "bank/CodeTables.h"
#include "bank/LoadHost.h"
#include "bank/NumberValue.h"
#include "common/SettingsWrite.h"
#include "documents/DeliveryChoice.h"
#include "editor/PlanFile.h"
#include "editor/PupilList.h"
#include "editor/TopicGrid.h"
#include "generation/PlanText.h"
#include "generation/PrintChoices.h"
#include "history/SheetCode.h"
#include "history/SheetRecord.h"
#include "mainwindow/MarkDialog.h"
#include "mainwindow/Module3.h"
#include "mainwindow/PageDialog.h"
#include "mainwindow/ProgressTick.h"
#include "mainwindow/ReportDialog.h"
#include "mainwindow/SectionsDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QNetworkAccessManager>
#include <QResizeEvent>
#include <QScopeGuard>
#include <QSettings>
#include <QSpinBox>
#include <QTimer>
#include <cmath>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString TextbookFrameCaption = u"题目类型（以人教年级教材专题训练为依据，解决问题包含书本内题目）"_s;
const QString OlympiadFrameCaption = u"题目类型（专题归类仅供参考）"_s;

// Checkbox values as the program counts them: 0 unticked, 1 ticked, 2 greyed.
int valueOf(const QCheckBox *box) {
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    case Qt::Unchecked:
        break;
    }
    return 0;
}

} // namespace

// The pictures live in this library's resources, which a static library must register itself.
static void initResources() {
    Q_INIT_RESOURCE(resources);
}

namespace {

Form1Services withUserFiles(Form1Services services) {
    if (services.files.bankDir.isEmpty())
        services.files = UserFiles::locate(QCoreApplication::applicationDirPath());
    return services;
}

} // namespace

Form1::Form1(Form1Services services, QWidget *parent)
    : QWidget(parent)
    , ui_(std::make_unique<Ui::Form1>())
    , services_(withUserFiles(std::move(services)))
    , module3_(nullptr)
    , timer1_(new QTimer(this))
    , timer2_(new QTimer(this))
    , service_(services_.files.bankDir, nullptr)
    , network_(new QNetworkAccessManager(this)) {
    initResources();
    ui_->setupUi(this);
    scaleToTheDesktop();
    // 全选 and 未归类题 sit on the frame's top edge: keep them above it so all of them takes clicks.
    ui_->Check44->raise();
    ui_->Check46->raise();
    module3_ = new Module3(this);
    notices_ = services_.notices ? services_.notices : module3_;
    if (!services_.questions)
        ownQuestions_ = std::make_unique<MessageBoxQuestions>(this);
    questions_ = services_.questions ? services_.questions : ownQuestions_.get();
    // The real word processor is reached ahead of the first worksheet, once the window is up.
    realTarget_ = !services_.makeOutputs;
    if (!services_.makeOutputs) {
        const QString settingsFile = services_.files.settingsFile;
        services_.makeOutputs = [this, settingsFile](NoticeSink &notices) -> std::unique_ptr<SheetOutputs> {
            DeliveryWish wish;
            // A stop while the office works on the sheet ends the wait and discards the document.
            wish.cancelled = [this] { return state_.stopRequested(); };
            // A sheet that arrives while 确认退出 (or any dialog of ours) is open stays behind it.
            wish.mayRaise = [] { return QApplication::activeModalWidget() == nullptr; };
            // A starting office takes a second or two, a long sheet many: the window keeps drawing and
            // takes its clicks meanwhile.
            wish.idle = [] { QCoreApplication::processEvents(); };
            wish.notify = [&notices](const QString &text) { notices.ShowNotice(text, noticeTitle(), 1); };
            // The window's choice always has a way: the documents folder when no office takes a sheet.
            return std::move(chooseOutputs(TargetSettings::read(settingsFile), wish)).value();
        };
    }
    if (!services_.endProgram)
        services_.endProgram = [this] {
            // The run yields inside this handler's caller; ending at once means not unwinding it.
            if (running_ || downloading_)
                ::_exit(0);
            QCoreApplication::quit();
        };

    downloadSettings_ =
        services_.download ? *services_.download : DownloadSettings::read(services_.files.settingsFile);
    network_->setObjectName(u"WebBrowser1"_s);

    timer1_->setObjectName(u"Timer1"_s);
    timer1_->setInterval(500);
    timer2_->setObjectName(u"Timer2"_s);
    timer2_->setInterval(10);
    connect(timer1_, &QTimer::timeout, this, &Form1::settingsCheck);
    connect(timer2_, &QTimer::timeout, this, &Form1::progressTick);

    for (QLineEdit *field : {ui_->Text1, ui_->Text2, ui_->Text3, ui_->Text4}) {
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, field] { beingEdited_.insert(field); });
        // Enter ends the editing as leaving the field does: the value is checked now.
        connect(field, &QLineEdit::returnPressed, this, [this, field] {
            beingEdited_.erase(field);
            settingsCheck();
        });
    }
    // 100000 fits the quantity field in a smaller face; the field keeps its place in the layout.
    connect(ui_->Text1, &QLineEdit::textChanged, this, &Form1::fitQuantity);
    fitQuantity();
    ui_->Label11->installEventFilter(this);
    ui_->Label11->setCursor(Qt::PointingHandCursor);

    connect(ui_->Text2, &QLineEdit::textChanged, this, &Form1::quantityFollowsColumns);
    // The slider sizes itself, and so moves its thumb and raises Change, on its first resize event, which
    // Qt holds back until the window is shown. Deliver it now, before the echo listens, so the status line
    // stays empty at start-up.
    QResizeEvent sized(ui_->MyValue1->size(), QSize());
    QCoreApplication::sendEvent(ui_->MyValue1, &sized);
    ui_->MyValue1->setAttribute(Qt::WA_PendingResizeEvent, false);
    difficultyBefore_ = ui_->MyValue1->Value();
    connect(ui_->MyValue1, &MyValue::Change, this, &Form1::difficultyEcho);
    connect(ui_->Combo2, &QComboBox::currentIndexChanged, this, &Form1::ApplyGradeTopics);
    connect(ui_->Check44, &QCheckBox::stateChanged, this, &Form1::SelectAllTopics);
    connect(ui_->Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            onOlympiadMode();
    });
    for (QRadioButton *textbook : {ui_->Option2, ui_->Option3})
        connect(textbook, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                onTextbookMode();
        });
    connect(ui_->Option4, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            onEquationMode();
    });
    connect(ui_->Command1, &QPushButton::clicked, this, &Form1::runFromButton);
    connect(ui_->Command3, &QPushButton::clicked, this, &Form1::downloadFromButton);
    connect(ui_->Command4, &QPushButton::clicked, this, &Form1::openEditor);
    connect(ui_->Command5, &QPushButton::clicked, this, &Form1::answerKeyOfLastSheet);
    connect(ui_->Command6, &QPushButton::clicked, this, &Form1::pageSettings);
    connect(ui_->Command7, &QPushButton::clicked, this, &Form1::answerKeyByCode);
    connect(ui_->Command8, &QPushButton::clicked, this, &Form1::restoreLastBank);
    connect(ui_->Command9, &QPushButton::clicked, this, &Form1::editSections);
    connect(ui_->Command10, &QPushButton::clicked, this, &Form1::planMenu);
    connect(ui_->Command11, &QPushButton::clicked, this, &Form1::classMenu);
    if (!services_.chooseFile)
        services_.chooseFile = [this](const QString &caption, const QString &filter, bool save) {
            return save ? QFileDialog::getSaveFileName(this, caption, QString(), filter)
                        : QFileDialog::getOpenFileName(this, caption, QString(), filter);
        };
    if (!services_.askClassName)
        services_.askClassName = [this] {
            return QInputDialog::getText(this, u"导入班级名单"_s, u"名单里没有 班级 一列。这些学生的班级："_s)
                .trimmed();
        };
    if (!services_.choosePlanFile)
        services_.choosePlanFile = [this](bool save) {
            const QString filter = u"细目表 (*.csv)"_s;
            return save ? QFileDialog::getSaveFileName(this, u"保存细目表"_s, u"细目表.csv"_s, filter)
                        : QFileDialog::getOpenFileName(this, u"载入细目表"_s, QString(), filter);
        };
    {
        // The paper and the print choices are kept between runs of the program.
        const QSettings ini(services_.files.settingsFile, QSettings::IniFormat);
        printLayout_.paper = PageLayout::paperFromName(ini.value(u"page/paper"_s, u"A4"_s).toString())
                                 .value_or(PageLayout::Paper::A4);
        printLayout_.landscape = ini.value(u"page/landscape"_s, false).toBool();
        printchoices::load(services_.files.settingsFile, printLayout_);
        compactKey_ = ini.value(u"page/compactKey"_s, false).toBool();
        ui_->CheckFresh->setChecked(ini.value(u"history/fresh"_s, false).toBool());
        ui_->SpinFresh->setValue(ini.value(u"history/freshDays"_s, 7).toInt());
    }
    // The fresh-question choice is kept for the next start.
    const auto keepFresh = [this] {
        keepSettings({{u"history/fresh"_s, ui_->CheckFresh->isChecked()},
                      {u"history/freshDays"_s, ui_->SpinFresh->value()}},
                     u"“避开最近出过的题”"_s);
    };
    connect(ui_->CheckFresh, &QCheckBox::toggled, this, keepFresh);
    connect(ui_->SpinFresh, &QSpinBox::valueChanged, this, keepFresh);
    connect(module3_, &Module3::leftClicked, this, [this] {
        showNormal();
        show();
        activateWindow();
        setFocus();
    });
    connect(module3_, &Module3::rightClicked, this, [this] {
        raise();
        activateWindow();
    });

    startUp();
}

Form1::~Form1() = default;

double Form1::desktopScale() const {
    // The form's positions are the original's, made for 96 dpi. A desktop that sets a larger font DPI
    // (125 % to 200 %) grows the texts but not the positions; Qt's own high-DPI scaling, where it is on,
    // grows both and leaves the logical DPI at 96.
    return std::max(1.0, logicalDpiY() / 96.0);
}

void Form1::scaleToTheDesktop() {
    const double factor = desktopScale();
    if (factor <= 1.0)
        return; // the original geometry, to the pixel
    const auto scaled = [factor](int v) { return static_cast<int>(std::lround(v * factor)); };
    for (QWidget *child : findChildren<QWidget *>()) {
        // The form's own controls; the parts inside a spin box or a list lay themselves out.
        if (child->isWindow() || child->objectName().isEmpty() || child->objectName().startsWith(u"qt_"_s))
            continue;
        const QRect r = child->geometry();
        child->setGeometry(scaled(r.x()), scaled(r.y()), scaled(r.width()), scaled(r.height()));
    }
    const QSize size(scaled(width()), scaled(height()));
    setMinimumSize(size);
    setMaximumSize(size);
    resize(size);
}

QString Form1::caption() const {
    return u"Tessaly V%1.%2.%3"_s.arg(TESSALY_VERSION_MAJOR)
        .arg(TESSALY_VERSION_MINOR)
        .arg(TESSALY_VERSION_REVISION);
}

void Form1::startUp() {
    setWindowTitle(caption());
    if (realTarget_)
        QTimer::singleShot(0, this,
                           [this] { warmUpOffice(TargetSettings::read(services_.files.settingsFile)); });
    requestStartPage(*network_, downloadSettings_);
    ui_->Combo1->clear();
    ui_->Combo1->addItems({u"宋体"_s, u"楷体"_s, u"黑体"_s});
    ui_->Combo1->setCurrentIndex(0);
    // Filling the list selects its first entry, which runs the grade handler: all boxes enabled and ticked.
    ui_->Combo2->clear();
    ui_->Combo2->addItems(codes::gradeNames());
    ui_->Combo2->setCurrentIndex(0);
    module3_->AddTrayIcon(caption());
    updateRestore();
    ui_->Combo2->setCurrentIndex(0);
    timer1_->start();
}

QCheckBox *Form1::topicBox(int slot) const {
    return findChild<QCheckBox *>(topicgrid::controlName(slot));
}

// ---- the settings fields ----

bool Form1::numericKeyPasses(QKeyEvent *event) {
    const QString text = event->text();
    // Only keys that type a character are filtered: Tab, Shift+Tab, Esc, Enter, Backspace, Delete, the
    // arrows and the Ctrl shortcuts (select all, copy, paste, cut, undo) type none and pass. A pasted
    // text that is no number is the settings check's business.
    if (text.isEmpty() || !text.at(0).isPrint() ||
        (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return true;
    const QChar c = text.at(0);
    return c >= u'0' && c <= u'9';
}

bool Form1::isNumberField(const QObject *object) const {
    return object == ui_->Text1 || object == ui_->Text2 || object == ui_->Text3 || object == ui_->Text4;
}

bool Form1::beingTyped(const QLineEdit *field) const {
    return field->hasFocus() && beingEdited_.count(field) > 0;
}

bool Form1::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress && isNumberField(watched)) {
        if (!numericKeyPasses(static_cast<QKeyEvent *>(event))) {
            notices_->ShowNotice(u"请输入数字！"_s, noticeTitle(), 1);
            return true;
        }
    } else if (event->type() == QEvent::FocusOut && isNumberField(watched)) {
        // Leaving a field ends its typing: check it now rather than at the next tick.
        beingEdited_.erase(static_cast<QLineEdit *>(watched));
        QTimer::singleShot(0, this, &Form1::settingsCheck);
    } else if (watched == ui_->Label11 && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && ui_->Label11->rect().contains(mouse->position().toPoint()))
            stopAction();
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::quantityFollowsColumns() {
    const QString text = ui_->Text2->text();
    if (text.isEmpty())
        return;
    bool ok = false;
    const double columns = text.toDouble(&ok);
    if (!ok)
        return; // a pasted text that is no number leaves the quantity alone
    if (ui_->Option1->isChecked() || ui_->Option2->isChecked())
        ui_->Text1->setText(QString::number(columns * 21));
    else if (ui_->Option3->isChecked())
        ui_->Text1->setText(QString::number(columns * 6));
}

void Form1::settingsCheck() {
    // A field the user is editing is left alone until the focus leaves it or Enter is pressed: "25"
    // must not be checked, and reset, while it is still "2", however long the pause between the keys.
    const auto settled = [this](const QLineEdit *field) { return !beingTyped(field); };
    const double columns = numberValue(ui_->Text2->text());
    if (settled(ui_->Text2) && (columns < 1 || columns > 10)) {
        notices_->ShowNotice(u"列数请不要少于1列，超过10列！"_s, noticeTitle(), 1);
        ui_->Text2->setText(u"2"_s);
    }
    if (settled(ui_->Text3) && numberValue(ui_->Text3->text()) < 1) {
        notices_->ShowNotice(u"字号请不要少于1号！"_s, noticeTitle(), 1);
        ui_->Text3->setText(u"12"_s);
    }
    if (settled(ui_->Text4) && numberValue(ui_->Text4->text()) < 20) {
        notices_->ShowNotice(u"行距请不要少于20磅！"_s, noticeTitle(), 1);
        ui_->Text4->setText(u"30"_s);
    }
    const double quantity = numberValue(ui_->Text1->text());
    if (settled(ui_->Text1) && quantity < 1) {
        notices_->ShowNotice(u"数量至少一题！"_s, noticeTitle(), 1);
        ui_->Text1->setText(u"24"_s);
    } else if (settled(ui_->Text1) && quantity > MaximumQuantity) {
        // As many as the command line takes; more would only fill the memory.
        notices_->ShowNotice(u"数量请不要超过100000题！"_s, noticeTitle(), 1);
        ui_->Text1->setText(u"24"_s);
    }
}

void Form1::difficultyEcho() {
    int value = ui_->MyValue1->Value();
    // To a step of 20, upwards as it always has; but a move down of less than a step (a wheel notch
    // or a key from 100 gives 97) goes to the step below, or it would only ever come back up.
    const bool smallStepDown = value < difficultyBefore_ && difficultyBefore_ - value < 20;
    const int snapped = value < 0 || value > 100 ? value
                        : smallStepDown          ? value / 20 * 20
                                                 : (value + 19) / 20 * 20;
    difficultyBefore_ = snapped;
    if (snapped != value) {
        value = snapped;
        ui_->MyValue1->setValue(snapped); // raises Change again; that pass finds the value on a step
    }
    const QString mark =
        value % 20 == 0 && value <= 100 ? codes::difficultyChoiceMark(value / 20) : QString();
    ui_->Label11->setText(u"你选择的是"_s + mark + u"题！"_s);
}

void Form1::closeEvent(QCloseEvent *event) {
    if (!questions_->askYesNo(u"确认退出？"_s)) {
        event->ignore();
        return;
    }
    module3_->RemoveTrayIcon();
    event->accept();
    services_.endProgram();
}

// ---- topic boxes by grade and mode ----

void Form1::SelectAllTopics() {
    if (ui_->Check44->isChecked()) {
        ui_->Check44->setText(u"全选"_s);
        for (int slot = 1; slot <= codes::TopicSlotCount; ++slot)
            if (QCheckBox *box = topicBox(slot); box->isEnabled())
                box->setChecked(true);
    } else {
        ui_->Check44->setText(u"全不选"_s);
        for (int slot = 1; slot <= codes::TopicSlotCount; ++slot)
            topicBox(slot)->setChecked(false);
    }
}

void Form1::ApplyGradeTopics() {
    // Whichever way the handler ends, the tooltips count for the grade now chosen.
    const auto tips = qScopeGuard([this] { updateTopicTips(); });
    const int grade = ui_->Combo2->currentIndex();
    ui_->Check44->setChecked(false);
    if (ui_->Option1->isChecked()) {
        if (grade == 0 || grade == 1) {
            for (int slot = 1; slot <= codes::TopicSlotCount; ++slot)
                topicBox(slot)->setEnabled(grade == 0 || codes::olympiadEnabledAtGradeOne(slot));
            ui_->Check44->setChecked(true);
        }
        return; // grades 2 to 6 keep the enabled states as they are
    }
    if (grade < 0 || grade >= codes::GradeCount)
        return;
    const bool equations = ui_->Option4->isChecked();
    for (int slot = 1; slot <= codes::TopicSlotCount; ++slot) {
        const bool enable = grade == 0 || codes::textbookMinimumGrade(slot) <= grade;
        // The equation mode never enables a geometry box; the mode handler has disabled them.
        if (equations && codes::isGeometrySlot(slot) && enable)
            continue;
        topicBox(slot)->setEnabled(enable);
    }
    ui_->Check44->setChecked(true);
}

void Form1::setCaptions(bool olympiad) {
    const QStringList &names = olympiad ? codes::olympiadTopicNames() : codes::textbookTopicNames();
    for (int slot = 1; slot <= codes::TopicSlotCount; ++slot)
        topicBox(slot)->setText(names[slot - 1]);
    updateTopicTips();
}

void Form1::updateTopicTips() {
    if (!topicCounts_)
        topicCounts_ = std::make_unique<TopicCounts>(services_.files.bankDir);
    const bool olympiad = ui_->Option1->isChecked();
    const int grade = std::max(ui_->Combo2->currentIndex(), 0);
    const QString where = grade == 0 ? u"题库中"_s : u"题库中%1"_s.arg(codes::gradeNames().at(grade));
    const auto tip = [&](QCheckBox *box, int code) {
        // The design's description stays first; the count follows it.
        if (!designTips_.contains(box))
            designTips_.insert(box, box->toolTip());
        const QString design = designTips_.value(box);
        const QString count = u"%1有 %2 道题"_s.arg(where).arg(topicCounts_->count(grade, code));
        box->setToolTip(design.isEmpty() ? count : design + u"（"_s + count + u"）"_s);
    };
    for (int slot = 1; slot <= codes::TopicSlotCount; ++slot)
        tip(topicBox(slot), codes::topicCode(slot, olympiad));
    tip(ui_->Check46, codes::unclassifiedCode(olympiad));
}

void Form1::resetGrade() {
    // Through 六年级 back to 小学阶段综合, so the grade handler runs in the new mode in every case.
    if (ui_->Combo2->currentIndex() == 0)
        ui_->Combo2->setCurrentIndex(6);
    ui_->Combo2->setCurrentIndex(0);
}

void Form1::onOlympiadMode() {
    resetGrade();
    ui_->Frame2->setTitle(OlympiadFrameCaption);
    setCaptions(true);
}

void Form1::onTextbookMode() {
    resetGrade();
    ui_->Frame2->setTitle(TextbookFrameCaption);
    setCaptions(false);
}

void Form1::onEquationMode() {
    ui_->Frame2->setTitle(TextbookFrameCaption);
    for (int slot = 1; slot <= codes::TopicSlotCount; ++slot)
        if (codes::isGeometrySlot(slot))
            topicBox(slot)->setEnabled(false);
    ui_->Combo2->setCurrentIndex(5);
    setCaptions(false);
}

void Form1::fitQuantity() {
    QLineEdit *field = ui_->Text1;
    QFont font = this->font();
    const int room = field->width() - 6;
    while (font.pointSizeF() > 6 && QFontMetrics(font).horizontalAdvance(field->text()) > room)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    field->setFont(font);
}

// ---- the run, its progress and its stop ----

namespace {

// The window's words for what the maker of sheets reports.
class WindowListener : public SheetListener {
public:
    WindowListener(NoticeSink &notices, int freshDays)
        : notices_(notices)
        , freshDays_(freshDays) {}
    void planShort(int copy, int copies, const QStringList &cells, bool balanced) override {
        say(plantext::shortCellsText(copy, copies, cells, balanced) + u"。"_s);
    }
    void shortSheet(qsizetype drawn, const SheetRequest &request) override {
        say(request.shortSheetText(drawn) + u"。"_s);
    }
    void fewerFresh(int copy, int copies, qsizetype fresh, qsizetype reused) override {
        const QString which = copies > 1 ? u"第 %1 份："_s.arg(copy) : QString();
        say(which + u"最近 %1 天没用过的题只有 %2 道，另用了 %3 道用过最久的题。"_s.arg(freshDays_)
                        .arg(fresh)
                        .arg(reused));
    }
    void notRecorded(const QString &why) override { say(u"这份试卷没有记入出卷记录：%1"_s.arg(why)); }
    // A bank file that is there but could not be read (or changed under the run): the sheet is made
    // from the rest, and the teacher learns why it may be short.
    bool bankUnreadable(const QStringList &messages) override {
        say(messages.join(u'\n'));
        return true;
    }

private:
    void say(const QString &text) { notices_.ShowNotice(text, noticeTitle(), 1); }
    NoticeSink &notices_;
    int freshDays_;
};

} // namespace

void Form1::whileRunning(const std::function<void()> &work) {
    running_ = true;
    ui_->Command1->setEnabled(false);
    ui_->Command5->setEnabled(false);
    work();
    // Clicks that came in while the run went on (a double click, an impatient second one) are
    // delivered now, while the button is still disabled and the run still counts as going: they are
    // dropped, not taken for a new run.
    QCoreApplication::processEvents();
    running_ = false;
    ui_->Command1->setEnabled(true);
    ui_->Command5->setEnabled(lastSheet_.has_value());
}

void Form1::runFromButton() {
    if (running_)
        return; // a second click cannot start a second run on the same state
    whileRunning([this] {
        state_.qt = 0;
        const SheetRequest asked = request();
        if (!asked.anyTopic()) {
            notices_->ShowNotice(u"没有勾选任何专题，请至少勾选一个专题再出题。"_s, noticeTitle(), 1);
            return;
        }
        // The office lays a long sheet out for minutes: the user decides whether it is worth it.
        const qint64 total = qint64(asked.quantity) * std::max(1, asked.copies);
        if (total > LargeSheet &&
            !questions_->askYesNo(u"这次要出 %1 道题，放进文字处理软件要好几分钟。确定要出吗？"_s.arg(total)))
            return;
        // A history that cannot be kept never stops the sheet: it is made without a code.
        service_.setHistory(history());
        std::unique_ptr<SheetOutputs> outputs = services_.makeOutputs(*notices_);
        WindowListener listener(*notices_, asked.freshDays);
        SheetOrder order;
        // A sheet for each pupil of the class chosen in 班级…, the names printed, review sheets if asked.
        if (!classChoice_.isEmpty() && history()) {
            order.pupils = history()->pupils(classChoice_);
            order.review = reviewChoice_;
        }
        // A batch comes with the key of every copy, as the command line's does.
        order.withKeys = asked.copies > 1 || order.pupils.size() > 1;
        SheetOutcome outcome = service_.make(*this, order, *outputs, listener);
        if (outcome.end == SheetOutcome::End::Failed)
            notices_->ShowNotice(u"试卷没有做成：%1"_s.arg(outcome.error), noticeTitle(), 1);
        else if (outcome.end != SheetOutcome::End::NoTopic)
            lastSheet_ = std::move(outcome);
    });
}

void Form1::progressTick() {
    const ProgressTick tick = ProgressTick::advance(state_);
    if (tick.label)
        ui_->Label11->setText(*tick.label);
    if (tick.notice)
        notices_->ShowNotice(*tick.notice, noticeTitle(), 1);
}

void Form1::stopAction() {
    state_.qt = 1;
    ui_->Label11->setText(QString());
    timer2_->stop();
    notices_->ShowNotice(u"出题终止，请点击再次出题！"_s, noticeTitle(), 1);
}

void Form1::startProgress() {
    timer2_->start();
}

void Form1::endProgress() {
    timer2_->stop();
    state_.jmz = 0;
    state_.imz = 0;
    ui_->Label11->setText(QString());
}

void Form1::yield() {
    // A bank of 100,000 lines yields 100,000 times; events are let through every few milliseconds, which
    // keeps the window responsive without spending the run in the event loop. The stop flag is still
    // tested by the caller at every checkpoint.
    if (!lastEvents_.isValid() || lastEvents_.elapsed() >= 4) {
        QCoreApplication::processEvents();
        lastEvents_.restart();
    }
}

// ---- the controls, as the run and the writer read them ----

int Form1::gradePosition() {
    return ui_->Combo2->currentIndex();
}
void Form1::showNotice(const QString &text) {
    notices_->ShowNotice(text, noticeTitle(), 1);
}
void Form1::downloadBank() {
    // The missing-bank path of a run: the same download, run to its end inside the loading.
    if (downloading_)
        return;
    downloading_ = true;
    BankDownload download(*network_, downloadSettings_, services_.files.bankDir);
    lastDownload_ = download.run(*this);
    downloading_ = false;
    updateRestore();
}

void Form1::updateRestore() {
    ui_->Command8->setEnabled(QFileInfo::exists(BankDownload::backupPath(services_.files.bankDir)));
}

void Form1::restoreLastBank() {
    if (running_ || downloading_)
        return;
    if (!questions_->askYesNo(u"换回上次下载之前的题库？现在的题库会留作备份，可以再换回来。"_s))
        return;
    const Status restored = BankDownload::restoreBackup(services_.files.bankDir);
    notices_->ShowNotice(restored ? u"已换回上次下载之前的题库。"_s
                                  : u"题库没有换回：%1"_s.arg(restored.error()),
                         noticeTitle(), 1);
    updateTopicTips();
    updateRestore();
}

void Form1::downloadFromButton() {
    if (downloading_ || running_)
        return;
    // A stop clicked earlier must not end this download's waits before they begin.
    state_.qt = 0;
    downloadBank();
}

void Form1::typeAnswerKey(SheetRequest request, const DrawnSheet &sheet, const QString &today) {
    whileRunning([&] {
        state_.qt = 0;
        // The sheet's own settings (marks, blank lines, title, paper), whatever the controls show now.
        request.answers = true;
        std::unique_ptr<SheetOutputs> outputs = services_.makeOutputs(*notices_);
        SheetListener quiet;
        const SheetOutcome outcome = service_.remake(static_cast<SheetHost &>(*this), std::move(request),
                                                     sheet, today, QString(), *outputs, quiet);
        if (outcome.end == SheetOutcome::End::Failed)
            notices_->ShowNotice(u"答案版没有做成：%1"_s.arg(outcome.error), noticeTitle(), 1);
    });
}

void Form1::answerKeyOfLastSheet() {
    if (running_ || !lastSheet_)
        return;
    typeAnswerKey(lastSheet_->request, lastSheet_->sheet, todayText());
}

SheetHistory *Form1::history() {
    if (history_ || historyFailed_)
        return history_.get();
    const QString path =
        services_.historyFile.isEmpty() ? SheetHistory::defaultPath(services_.files) : services_.historyFile;
    Result<std::unique_ptr<SheetHistory>> opened = SheetHistory::open(path);
    if (opened) {
        history_ = std::move(opened).value();
    } else {
        historyFailed_ = true; // told once; the file is left as it is for a look
        notices_->ShowNotice(u"出卷记录无法使用，这次出的试卷不记卷号：%1"_s.arg(opened.error()),
                             noticeTitle(), 1);
    }
    return history_.get();
}

SheetRequest Form1::request() {
    SheetRequest r;
    r.grade = std::max(gradePosition(), 0);
    r.mode = mode();
    for (int slot = 0; slot <= codes::TopicSlotCount; ++slot)
        r.topics[static_cast<size_t>(slot)] = topicTicked(slot);
    r.repeats = repeatsAllowed();
    r.quantity = quantity();
    r.layout = printLayout_;
    SheetLayout &l = r.layout;
    l.columns = PageLayout::columnsFrom(ui_->Text2->text());
    l.lineSpacing = PageLayout::lineSpacingFrom(ui_->Text4->text());
    l.fontSize = SheetLayout::fontSizeFrom(ui_->Text3->text());
    l.fontName = ui_->Combo1->currentText();
    l.blankLines = SheetLayout::blankLinesFrom(ui_->Combo6->currentText());
    r.stars = valueOf(ui_->Check18) == 1;
    r.answers = valueOf(ui_->Check19) == 1;
    r.freshDays = ui_->CheckFresh->isChecked() ? ui_->SpinFresh->value() : 0;
    r.copies = ui_->SpinCopies->value();
    if (ui_->CheckDifficulty->isChecked()) {
        const int value = ui_->MyValue1->Value();
        if (value >= 0 && value <= 100 && value % 20 == 0)
            r.difficultyFrom = r.difficultyTo = value / 20;
    }
    r.sections = sections_;
    r.plan = plan_;
    r.numberPerSection = numberPerSection_;
    r.compactKey = compactKey_;
    return r;
}

void Form1::answerKeyByCode() {
    if (running_)
        return;
    bool ok = false;
    const QString typed =
        QInputDialog::getText(this, u"按卷号取答案"_s, u"卷号（印在试卷标题后，例如 K7Q2-9F）："_s,
                              QLineEdit::Normal, QString(), &ok);
    if (!ok || typed.trimmed().isEmpty())
        return;
    const std::optional<QString> code = sheetcode::parse(typed);
    if (!code) {
        notices_->ShowNotice(u"“%1”不是有效的卷号，请核对后再试。"_s.arg(typed.trimmed()), noticeTitle(), 1);
        return;
    }
    SheetHistory *sheets = history();
    const std::optional<RecordedSheet> sheet = sheets ? sheets->find(*code) : std::nullopt;
    if (!sheet) {
        notices_->ShowNotice(u"出卷记录里没有卷号为 %1 的试卷。"_s.arg(*code), noticeTitle(), 1);
        return;
    }
    if (bankStamp(services_.files.bankDir) != sheet->bankStamp)
        notices_->ShowNotice(u"题库在出这份试卷之后改过；答案照当时记录的题目写出。"_s, noticeTitle(), 1);
    typeAnswerKey(sheetrecord::requestOf(*sheet), sheetrecord::sheetOf(*sheet),
                  sheetDate(sheet->created.date()));
}

void Form1::pageSettings() {
    PageDialog dialog(printLayout_, compactKey_, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    printLayout_ = dialog.chosen(printLayout_);
    compactKey_ = dialog.compactKey();
    QList<std::pair<QString, QVariant>> values{{u"page/paper"_s, PageLayout::paperName(printLayout_.paper)},
                                               {u"page/landscape"_s, printLayout_.landscape},
                                               {u"page/compactKey"_s, compactKey_}};
    values += printchoices::values(printLayout_);
    keepSettings(values, u"纸张设置"_s);
}

void Form1::editSections() {
    // One dialog, beside the window: the topics of the next section are ticked here while it is open.
    if (!sectionsDialog_) {
        const auto current = [this] {
            SheetSection section;
            section.mode = mode();
            for (int slot = 0; slot <= codes::TopicSlotCount; ++slot)
                section.topics[static_cast<size_t>(slot)] = topicTicked(slot);
            section.quantity = std::max(1, quantity());
            return section;
        };
        sectionsDialog_ = new SectionsDialog(sections_, numberPerSection_, current, this);
        sectionsDialog_->setAttribute(Qt::WA_DeleteOnClose);
        connect(sectionsDialog_, &SectionsDialog::sectionsChosen, this,
                [this](const QList<SheetSection> &sections, bool perSection) {
                    sections_ = sections;
                    numberPerSection_ = perSection;
                    showSections();
                });
    }
    sectionsDialog_->show();
    sectionsDialog_->raise();
    sectionsDialog_->activateWindow();
}

void Form1::planMenu() {
    QMenu menu(this);
    menu.addAction(u"载入细目表…"_s, this, &Form1::loadPlan);
    QAction *save = menu.addAction(u"保存本卷的细目表…"_s, this, &Form1::saveLastSheetsPlan);
    save->setEnabled(lastSheet_.has_value());
    QAction *clear = menu.addAction(u"不用细目表"_s, this, &Form1::clearPlan);
    clear->setEnabled(!plan_.isEmpty());
    menu.exec(ui_->Command10->mapToGlobal(QPoint(0, ui_->Command10->height())));
}

void Form1::loadPlan() {
    const QString path = services_.choosePlanFile(false);
    if (path.isEmpty())
        return;
    const Result<QList<PlanCell>> plan = planfile::read(path, mode());
    if (!plan) {
        notices_->ShowNotice(u"细目表没有载入：%1"_s.arg(plan.error()), noticeTitle(), 1);
        return;
    }
    plan_ = plan.value();
    showSections();
}

void Form1::saveLastSheetsPlan() {
    if (!lastSheet_)
        return;
    const QString path = services_.choosePlanFile(true);
    if (path.isEmpty())
        return;
    // The plan the sheet followed, else what it holds: so many of each topic at each difficulty.
    const SheetRequest &made = lastSheet_->request;
    const QList<PlanCell> plan =
        made.plan.isEmpty() ? plantext::makeUpOf(lastSheet_->sheet, made.mode) : made.plan;
    const Status saved = planfile::write(path, plan, made.mode);
    if (!saved)
        notices_->ShowNotice(u"细目表没有保存：%1"_s.arg(saved.error()), noticeTitle(), 1);
}

void Form1::clearPlan() {
    plan_.clear();
    showSections();
}

void Form1::classMenu() {
    QMenu menu(this);
    menu.addAction(u"导入班级名单…"_s, this, &Form1::importClassList);
    SheetHistory *kept = history();
    const QStringList classes = kept ? kept->classes() : QStringList();
    QMenu *each = menu.addMenu(u"为全班每人出一份"_s);
    each->setEnabled(!classes.isEmpty());
    for (const QString &c : classes) {
        QAction *a = each->addAction(c, this, [this, c] { chooseClass(c, false); });
        a->setCheckable(true);
        a->setChecked(c == classChoice_ && !reviewChoice_);
    }
    QMenu *review = menu.addMenu(u"错题重练（全班每人一份）"_s);
    review->setEnabled(!classes.isEmpty());
    for (const QString &c : classes) {
        QAction *a = review->addAction(c, this, [this, c] { chooseClass(c, true); });
        a->setCheckable(true);
        a->setChecked(c == classChoice_ && reviewChoice_);
    }
    QAction *none = menu.addAction(u"不为班级出卷"_s, this, [this] { chooseClass(QString(), false); });
    none->setEnabled(!classChoice_.isEmpty());
    menu.addSeparator();
    menu.addAction(u"批改试卷…"_s, this, &Form1::openMarking)->setEnabled(kept != nullptr);
    menu.addAction(u"班级报告…"_s, this, &Form1::openReport)->setEnabled(!classes.isEmpty());
    menu.exec(ui_->Command11->mapToGlobal(QPoint(0, ui_->Command11->height())));
}

void Form1::importClassList() {
    const QString path = services_.chooseFile(u"导入班级名单"_s, u"班级名单 (*.csv)"_s, false);
    if (path.isEmpty())
        return;
    Result<QList<SheetPupil>> pupils = pupillist::read(path, QString());
    if (!pupils && pupils.error().contains(u"班级 一列"_s)) {
        const QString className = services_.askClassName();
        if (className.isEmpty())
            return;
        pupils = pupillist::read(path, className);
    }
    SheetHistory *kept = history();
    const Result<int> added = !pupils ? Result<int>::failure(pupils.error())
                              : kept  ? kept->addPupils(pupils.value())
                                      : Result<int>::failure(u"出卷记录打不开"_s);
    if (!added) {
        notices_->ShowNotice(u"名单没有导入：%1"_s.arg(added.error()), noticeTitle(), 1);
        return;
    }
    QStringList classes;
    for (const SheetPupil &p : pupils.value())
        if (!classes.contains(p.className))
            classes.append(p.className);
    QStringList counts;
    for (const QString &c : std::as_const(classes))
        counts.append(u"%1 共 %2 名"_s.arg(c).arg(kept->pupils(c).size()));
    notices_->ShowNotice(u"名单已导入（新加 %1 名）：%2"_s.arg(added.value()).arg(counts.join(u"；"_s)),
                         noticeTitle(), 1);
}

void Form1::chooseClass(const QString &className, bool review) {
    classChoice_ = className;
    reviewChoice_ = review && !className.isEmpty();
    showSections();
}

MarkDialog *Form1::markDialog() const {
    return markDialog_;
}

ReportDialog *Form1::reportDialog() const {
    return reportDialog_;
}

void Form1::openMarking() {
    if (!markDialog_) {
        markDialog_ = new MarkDialog([this] { return history(); },
                                     [this] {
                                         return services_.chooseFile(
                                             u"试卷的照片或扫描件"_s,
                                             u"图片 (*.jpg *.jpeg *.png *.bmp *.tif *.tiff)"_s, false);
                                     },
                                     this);
        markDialog_->setAttribute(Qt::WA_DeleteOnClose);
        markDialog_->setWindowFlag(Qt::Window);
    }
    markDialog_->show();
    markDialog_->raise();
    markDialog_->activateWindow();
}

void Form1::openReport() {
    SheetHistory *kept = history();
    if (!kept)
        return;
    if (!reportDialog_) {
        reportDialog_ = new ReportDialog(
            *kept, classChoice_,
            [this] {
                return services_.chooseFile(u"导出班级报告"_s, u"PDF (*.pdf);;PNG 图片 (*.png)"_s, true);
            },
            this);
        reportDialog_->setAttribute(Qt::WA_DeleteOnClose);
        reportDialog_->setWindowFlag(Qt::Window);
    }
    reportDialog_->show();
    reportDialog_->raise();
    reportDialog_->activateWindow();
}

void Form1::showSections() {
    // The class a run makes its sheets for comes first: it changes what the run makes most.
    const QString forClass = classChoice_.isEmpty()
                                 ? QString()
                                 : (reviewChoice_ ? u"错题重练：%1；"_s : u"全班：%1；"_s).arg(classChoice_);
    if (!forClass.isEmpty() && plan_.isEmpty() && sections_.isEmpty()) {
        ui_->LabelSections->setText(forClass.chopped(1));
        return;
    }
    if (!plan_.isEmpty()) {
        int questions = 0;
        for (const PlanCell &c : plan_)
            questions += c.count;
        ui_->LabelSections->setText(forClass + u"按细目表：%1 格，%2 题"_s.arg(plan_.size()).arg(questions));
        return;
    }
    if (sections_.isEmpty()) {
        ui_->LabelSections->clear();
        return;
    }
    int questions = 0, points = 0;
    for (const SheetSection &s : sections_) {
        questions += s.quantity;
        points += s.sectionPoints(s.quantity);
    }
    QString text = forClass + u"%1 道大题，%2 题"_s.arg(sections_.size()).arg(questions);
    if (points > 0)
        text += u"，%1 分"_s.arg(points);
    ui_->LabelSections->setText(text);
}

void Form1::keepSettings(const QList<std::pair<QString, QVariant>> &values, const QString &what) {
    const Status kept = writeSettings(services_.files.settingsFile, values);
    if (!kept)
        notices_->ShowNotice(u"%1只用于这次运行：%2"_s.arg(what, kept.error()), noticeTitle(), 1);
}

void Form1::openEditor() {
    // One editor at a time: a second press brings the open one to the front with what it holds.
    if (!editor_) {
        editor_ = new Form3(services_.files.bankDir, this);
        connect(editor_, &Form3::noticeRequested, this, &Form1::showNotice);
    }
    editor_->show();
    editor_->raise();
    editor_->activateWindow();
}

bool Form1::confirm(const QString &question) {
    return questions_->askYesNo(question);
}

void Form1::setStatus(const QString &text) {
    ui_->Label11->setVisible(true);
    ui_->Label11->setText(text);
}

void Form1::setButtonsEnabled(bool enabled) {
    // Inside a run the run's own button stays off until the run ends.
    ui_->Command1->setEnabled(enabled && !running_);
    ui_->Command3->setEnabled(enabled);
}
codes::QuestionMode Form1::mode() {
    if (ui_->Option1->isChecked())
        return codes::QuestionMode::Olympiad;
    if (ui_->Option2->isChecked())
        return codes::QuestionMode::Estimation;
    if (ui_->Option4->isChecked())
        return codes::QuestionMode::Equation;
    return codes::QuestionMode::Calculation;
}
QString Form1::todayText() {
    return sheetDate(QDate::currentDate());
}
bool Form1::topicTicked(int slot) {
    // A greyed box is not ticked.
    return valueOf(slot == 0 ? ui_->Check46 : topicBox(slot)) == 1;
}
bool Form1::repeatsAllowed() {
    return valueOf(ui_->Check29) == 1;
}
int Form1::quantity() {
    // The field's leading number, read afresh at every draw: "3题" is 3, "abc" is 0.
    return integerValue(ui_->Text1->text());
}
