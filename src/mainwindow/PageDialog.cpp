// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/PageDialog.h"

#include "ui_PageDialog.h"

PageDialog::PageDialog(PageLayout::Paper paper, bool landscape, QWidget *parent)
    : QDialog(parent)
    , ui_(std::make_unique<Ui::PageDialog>()) {
    ui_->setupUi(this);
    ui_->paperBox->addItems(PageLayout::paperNames());
    ui_->paperBox->setCurrentText(PageLayout::paperName(paper));
    ui_->landscapeBox->setChecked(landscape);
}

PageDialog::~PageDialog() = default;

PageLayout::Paper PageDialog::paper() const {
    return PageLayout::paperFromName(ui_->paperBox->currentText()).value_or(PageLayout::Paper::A4);
}

bool PageDialog::landscape() const {
    return ui_->landscapeBox->isChecked();
}
