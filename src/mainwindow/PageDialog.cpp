// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/PageDialog.h"

#include "ui_PageDialog.h"

PageDialog::PageDialog(const SheetLayout &layout, bool compactKey, QWidget *parent)
    : QDialog(parent)
    , ui_(std::make_unique<Ui::PageDialog>()) {
    ui_->setupUi(this);
    ui_->paperBox->addItems(PageLayout::paperNames());
    ui_->paperBox->setCurrentText(PageLayout::paperName(layout.paper));
    ui_->landscapeBox->setChecked(layout.landscape);
    ui_->titleLineEdit->setText(layout.titleLine);
    // The lists hold the choices in the order of their enumerations.
    ui_->infoLineBox->setCurrentIndex(static_cast<int>(layout.infoLine));
    ui_->workingSpaceBox->setCurrentIndex(static_cast<int>(layout.workingSpace));
    ui_->sealLineBox->setCurrentIndex(static_cast<int>(layout.sealLine));
    ui_->pageNumbersBox->setChecked(layout.pageNumbers);
    ui_->scoreTableBox->setChecked(layout.scoreTable);
    ui_->pinyinBox->setCurrentIndex(static_cast<int>(layout.pinyin));
    ui_->qrCodeBox->setChecked(layout.qrCode);
    ui_->compactKeyBox->setChecked(compactKey);
}

PageDialog::~PageDialog() = default;

SheetLayout PageDialog::chosen(SheetLayout layout) const {
    layout.paper = PageLayout::paperFromName(ui_->paperBox->currentText()).value_or(PageLayout::Paper::A4);
    layout.landscape = ui_->landscapeBox->isChecked();
    layout.titleLine = ui_->titleLineEdit->text().trimmed();
    layout.infoLine = static_cast<SheetLayout::InfoLine>(ui_->infoLineBox->currentIndex());
    layout.workingSpace = static_cast<SheetLayout::WorkingSpace>(ui_->workingSpaceBox->currentIndex());
    layout.sealLine = static_cast<SheetLayout::SealLine>(ui_->sealLineBox->currentIndex());
    layout.pageNumbers = ui_->pageNumbersBox->isChecked();
    layout.scoreTable = ui_->scoreTableBox->isChecked();
    layout.pinyin = static_cast<SheetLayout::Pinyin>(ui_->pinyinBox->currentIndex());
    layout.qrCode = ui_->qrCodeBox->isChecked();
    return layout;
}

bool PageDialog::compactKey() const {
    return ui_->compactKeyBox->isChecked();
}
