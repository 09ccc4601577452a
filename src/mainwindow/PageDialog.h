// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/PageLayout.h"

#include <QDialog>
#include <memory>

namespace Ui {
class PageDialog;
}

// The paper of the worksheets and its orientation, chosen in a small dialog of its own.
class PageDialog : public QDialog {
    Q_OBJECT

public:
    PageDialog(PageLayout::Paper paper, bool landscape, QWidget *parent = nullptr);
    ~PageDialog() override;

    PageLayout::Paper paper() const;
    bool landscape() const;

private:
    std::unique_ptr<Ui::PageDialog> ui_;
};
