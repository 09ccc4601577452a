// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MarkDialog.h"

#include "generation/DocumentWriter.h"
#include "history/MarkNumbers.h"
#include "history/SheetCode.h"
#include "pictures/SheetScan.h"
#include "ui_MarkDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QSet>

using namespace Qt::Literals::StringLiterals;

MarkDialog::MarkDialog(std::function<SheetHistory *()> history, std::function<QString()> choosePicture,
                       QWidget *parent)
    : QDialog(parent)
    , ui_(std::make_unique<Ui::MarkDialog>())
    , history_(std::move(history))
    , choosePicture_(std::move(choosePicture)) {
    ui_->setupUi(this);
    new QGridLayout(ui_->FrameTicks);
    connect(ui_->TextCode, &QLineEdit::returnPressed, this, [this] { openSheet(ui_->TextCode->text()); });
    connect(ui_->CommandScan, &QPushButton::clicked, this, &MarkDialog::scanPicture);
    connect(ui_->TextWrong, &QLineEdit::textEdited, this, &MarkDialog::ticksFromText);
    connect(ui_->TextWrong, &QLineEdit::returnPressed, this, &MarkDialog::save);
    connect(ui_->CommandSave, &QPushButton::clicked, this, &MarkDialog::save);
    connect(ui_->CommandClose, &QPushButton::clicked, this, &QDialog::close);
}

MarkDialog::~MarkDialog() = default;

bool MarkDialog::openSheet(const QString &text) {
    code_.clear();
    showTicks(0);
    ui_->TextWrong->setEnabled(false);
    ui_->CommandSave->setEnabled(false);
    const std::optional<QString> code = sheetcode::parse(text);
    if (!code) {
        ui_->LabelSheet->setText(u"“%1”不是有效的卷号（可能抄错了一个字符）"_s.arg(text.trimmed()));
        return false;
    }
    SheetHistory *history = history_();
    if (!history) {
        ui_->LabelSheet->setText(u"出卷记录打不开，无法批改"_s);
        return false;
    }
    const std::optional<RecordedSheet> sheet = history->find(*code);
    if (!sheet) {
        ui_->LabelSheet->setText(u"出卷记录里没有卷号为 %1 的试卷"_s.arg(*code));
        return false;
    }
    QString who;
    for (const SheetPupil &p : history->pupils())
        if (p.id == sheet->pupilId)
            who = u"，"_s + p.className + u' ' + p.name;
    code_ = *code;
    ui_->TextCode->setText(*code);
    ui_->LabelSheet->setText(u"%1：%2 道题%3，%4 出卷。勾上做错的题："_s.arg(*code)
                                 .arg(sheet->questions.size())
                                 .arg(who, sheet->created.toString(u"M月d日 HH:mm"_s)));
    showTicks(static_cast<int>(sheet->questions.size()));
    ui_->TextWrong->clear();
    ui_->TextWrong->setEnabled(true);
    ui_->CommandSave->setEnabled(true);
    ui_->TextWrong->setFocus();
    return true;
}

void MarkDialog::scanPicture() {
    const QString path = choosePicture_();
    if (path.isEmpty())
        return;
    const Result<QStringList> texts = sheetscan::scan(path);
    if (!texts) {
        ui_->LabelSheet->setText(texts.error());
        return;
    }
    const Result<QString> code = DocumentWriter::codeInScan(texts.value());
    if (!code) {
        ui_->LabelSheet->setText(code.error());
        return;
    }
    openSheet(code.value());
}

void MarkDialog::showTicks(int count) {
    qDeleteAll(ticks_);
    ticks_.clear();
    auto *grid = static_cast<QGridLayout *>(ui_->FrameTicks->layout());
    constexpr int PerRow = 10;
    for (int n = 1; n <= count; ++n) {
        auto *tick = new QCheckBox(QString::number(n), ui_->FrameTicks);
        tick->setObjectName(u"CheckWrong%1"_s.arg(n));
        grid->addWidget(tick, (n - 1) / PerRow, (n - 1) % PerRow);
        connect(tick, &QCheckBox::toggled, this, &MarkDialog::textFromTicks);
        ticks_.append(tick);
    }
}

void MarkDialog::ticksFromText() {
    const Result<QList<int>> numbers = questionNumbers(ui_->TextWrong->text());
    if (!numbers)
        return; // half typed: the ticks stay until the numbers read
    const QSet<int> wrong(numbers.value().begin(), numbers.value().end());
    syncing_ = true;
    for (qsizetype i = 0; i < ticks_.size(); ++i)
        ticks_[i]->setChecked(wrong.contains(static_cast<int>(i) + 1));
    syncing_ = false;
}

void MarkDialog::textFromTicks() {
    if (syncing_)
        return;
    QStringList numbers;
    for (qsizetype i = 0; i < ticks_.size(); ++i)
        if (ticks_[i]->isChecked())
            numbers.append(QString::number(i + 1));
    ui_->TextWrong->setText(numbers.join(u','));
}

bool MarkDialog::save() {
    if (code_.isEmpty())
        return false;
    const Result<QList<int>> numbers = questionNumbers(ui_->TextWrong->text());
    if (!numbers) {
        ui_->LabelSaved->setText(numbers.error());
        return false;
    }
    for (const int n : numbers.value())
        if (n > ticks_.size()) {
            ui_->LabelSaved->setText(u"这份试卷只有 %1 道题，没有第 %2 题"_s.arg(ticks_.size()).arg(n));
            return false;
        }
    const QSet<int> wrong(numbers.value().begin(), numbers.value().end());
    QList<std::pair<int, bool>> marks;
    for (int n = 1; n <= ticks_.size(); ++n)
        marks.append({n - 1, !wrong.contains(n)});
    SheetHistory *history = history_();
    const Status kept = history ? history->mark(code_, marks, QDateTime::currentDateTime())
                                : Status::failure(u"出卷记录打不开"_s);
    if (!kept) {
        ui_->LabelSaved->setText(u"没有保存：%1"_s.arg(kept.error()));
        return false;
    }
    ui_->LabelSaved->setText(
        u"已保存 %1：%2 道题，错 %3 道"_s.arg(code_).arg(ticks_.size()).arg(wrong.size()));
    // The next paper.
    code_.clear();
    showTicks(0);
    ui_->TextWrong->clear();
    ui_->TextWrong->setEnabled(false);
    ui_->CommandSave->setEnabled(false);
    ui_->TextCode->clear();
    ui_->TextCode->setFocus();
    ui_->LabelSheet->setText(u"输入下一份的卷号或扫描照片"_s);
    return true;
}
