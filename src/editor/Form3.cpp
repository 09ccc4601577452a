// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/Form3.h"

#include "bank/CodeTables.h"
#include "editor/EditorEntry.h"
#include "editor/TopicGrid.h"
#include "ui_Form3.h"

#include <QRadioButton>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString TextbookFrameCaption = u"题目类型（以人教年级教材专题训练为依据，解决问题包含书本内题目）"_s;
const QString OlympiadFrameCaption = u"题目类型（专题归类仅供参考）"_s;
const QString DesignQuestion = u"小明有7元钱，爸爸又给了他2元钱，小明一共有多少元钱？\n"_s;
const QString DesignSteps = u"7+2=9\n"_s;

} // namespace

// The banner lives in the program's resource library, which a static library must register itself.
static void initEditorResources() {
    Q_INIT_RESOURCE(resources);
}

Form3::Form3(QString bankDir, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , ui_(std::make_unique<Ui::Form3>())
    , bankDir_(std::move(bankDir)) {
    initEditorResources();
    ui_->setupUi(this);
    // Closing the editor discards it; the next opening starts afresh.
    setAttribute(Qt::WA_DeleteOnClose);
    ui_->Text1->setPlainText(DesignQuestion);
    ui_->Text2->setPlainText(DesignSteps);

    connect(ui_->Combo2, &QComboBox::currentIndexChanged, this, &Form3::gradeClick);
    connect(ui_->Option1, &QRadioButton::clicked, this, [this] { modeClick(true); });
    connect(ui_->Option3, &QRadioButton::clicked, this, [this] { modeClick(false); });
    connect(ui_->Command1, &QPushButton::clicked, this, &Form3::submit);

    ui_->Combo2->clear();
    ui_->Combo2->addItems(codes::gradeNames());
    ui_->Combo2->setCurrentIndex(1);
    ui_->Combo1->clear();
    ui_->Combo1->addItems(codes::difficultyNames());
    ui_->Combo1->setCurrentIndex(0);
}

Form3::~Form3() = default;

QRadioButton *Form3::topicOption(int slot) const {
    return findChild<QRadioButton *>(topicgrid::controlName(slot));
}

bool Form3::olympiadMode() const {
    return ui_->Option1->isChecked();
}

int Form3::selectedSlot() const {
    for (int slot = 1; slot <= codes::TopicSlotCount; ++slot)
        if (topicOption(slot)->isChecked())
            return slot;
    return 0;
}

void Form3::gradeClick() {
    const int grade = ui_->Combo2->currentIndex();
    for (int slot = 1; slot <= codes::TopicSlotCount; ++slot)
        if (const std::optional<bool> enabled = codes::editorSlotEnabledForGrade(slot, grade, olympiadMode()))
            topicOption(slot)->setEnabled(*enabled);
}

void Form3::modeClick(bool olympiad) {
    // Through grade 6 to 0, so the grade click runs even when 0 was already shown.
    if (ui_->Combo2->currentIndex() == 0)
        ui_->Combo2->setCurrentIndex(6);
    ui_->Combo2->setCurrentIndex(0);
    ui_->Frame1->setTitle(olympiad ? OlympiadFrameCaption : TextbookFrameCaption);
    const QStringList &names = olympiad ? codes::olympiadTopicNames() : codes::textbookTopicNames();
    for (int slot = 1; slot <= codes::TopicSlotCount; ++slot)
        topicOption(slot)->setText(names.at(slot - 1));
}

void Form3::submit() {
    editorentry::NewQuestion q;
    q.question = editorentry::cleanQuestion(ui_->Text1->toPlainText());
    ui_->Text1->setPlainText(q.question);
    q.steps = editorentry::cleanSteps(ui_->Text2->toPlainText());
    ui_->Text2->setPlainText(q.steps);
    q.olympiad = olympiadMode();
    q.slot = selectedSlot();
    q.grade = ui_->Combo2->currentIndex();
    q.difficulty = ui_->Combo1->currentIndex();

    if (q.question.isEmpty()) {
        Q_EMIT noticeRequested(u"题目是空的，没有添加到本地题库。"_s);
        return;
    }
    const Status added = editorentry::append(bankDir_, {q});
    if (!added) {
        // The boxes keep what was typed, so nothing is lost; the user can try again.
        Q_EMIT noticeRequested(u"题目没有添加到本地题库：%1"_s.arg(added.error()));
        return;
    }
    Q_EMIT noticeRequested(u"恭喜！本地题库添加成功！"_s);
}
