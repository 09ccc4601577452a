// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/SheetModel.h"

#include <QDialog>
#include <functional>
#include <memory>

namespace Ui {
class SectionsDialog;
}

// The sections of a sheet (大题): added from the main window's current choice of mode, topics and
// count, put in order, removed; their counts, points and titles edited in the table. It stays open
// beside the main window, so the topics of the next section can be ticked there. An empty list makes
// the plain sheet of one list.
class SectionsDialog : public QDialog {
    Q_OBJECT

public:
    using CurrentChoice = std::function<SheetSection()>;
    // With no sections yet, the current choice stands as section one.
    SectionsDialog(QList<SheetSection> sections, bool numberPerSection, CurrentChoice current,
                   QWidget *parent = nullptr);
    ~SectionsDialog() override;

    QList<SheetSection> sections() const { return sections_; }
    bool numberPerSection() const;

Q_SIGNALS:
    // OK pressed with every cell valid.
    void sectionsChosen(const QList<SheetSection> &sections, bool numberPerSection);

private:
    void fillTable();
    void move(int by);
    // Reads the editable cells back; false (and the reason shown) for a cell that is no valid number.
    bool readTable();
    void acceptIfValid();

    std::unique_ptr<Ui::SectionsDialog> ui_;
    QList<SheetSection> sections_;
    CurrentChoice current_;
};
