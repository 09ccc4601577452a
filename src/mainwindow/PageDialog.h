// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/SheetModel.h"

#include <QDialog>
#include <memory>

namespace Ui {
class PageDialog;
}

// The paper of the worksheets and how they print around the questions (the teacher's title line, the
// information line, the working space, the seal line, page numbers, the score table, the short key),
// chosen in a small dialog of its own.
class PageDialog : public QDialog {
    Q_OBJECT

public:
    // The layout's paper, orientation and print choices; the rest of it is left as it is.
    PageDialog(const SheetLayout &layout, bool compactKey, QWidget *parent = nullptr);
    ~PageDialog() override;

    // The given layout with the dialog's choices.
    SheetLayout chosen(SheetLayout layout) const;
    bool compactKey() const;

private:
    std::unique_ptr<Ui::PageDialog> ui_;
};
