// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/SectionsDialog.h"

#include "bank/CodeTables.h"
#include "generation/SheetSections.h"
#include "ui_SectionsDialog.h"

#include <QHeaderView>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace {

enum Column { ModeColumn, TopicsColumn, CountColumn, PointsColumn, TotalColumn, TitleColumn };

// The ticked topics' names, for a look at what a section holds.
QString topicsText(const SheetSection &section) {
    const QStringList &names =
        codes::usesOlympiadList(section.mode) ? codes::olympiadTopicNames() : codes::textbookTopicNames();
    QStringList ticked;
    if (section.topics[0])
        ticked.append(codes::unclassifiedName());
    for (int slot = 1; slot <= codes::TopicSlotCount; ++slot)
        if (section.topics[static_cast<size_t>(slot)])
            ticked.append(names.value(slot - 1));
    return ticked.join(u'、');
}

QTableWidgetItem *fixedItem(const QString &text) {
    auto *item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    item->setToolTip(text);
    return item;
}

} // namespace

SectionsDialog::SectionsDialog(QList<SheetSection> sections, bool numberPerSection, CurrentChoice current,
                               QWidget *parent)
    : QDialog(parent)
    , ui_(std::make_unique<Ui::SectionsDialog>())
    , sections_(std::move(sections))
    , current_(std::move(current)) {
    ui_->setupUi(this);
    ui_->numberPerSectionBox->setChecked(numberPerSection);
    ui_->sectionTable->horizontalHeader()->setSectionResizeMode(TitleColumn, QHeaderView::Stretch);
    if (sections_.isEmpty() && current_)
        sections_.append(current_());
    fillTable();
    connect(ui_->addButton, &QPushButton::clicked, this, [this] {
        if (!readTable() || !current_)
            return;
        sections_.append(current_());
        fillTable();
        ui_->sectionTable->selectRow(static_cast<int>(sections_.size()) - 1);
    });
    connect(ui_->upButton, &QPushButton::clicked, this, [this] { move(-1); });
    connect(ui_->downButton, &QPushButton::clicked, this, [this] { move(1); });
    connect(ui_->removeButton, &QPushButton::clicked, this, [this] {
        const int row = ui_->sectionTable->currentRow();
        if (row < 0 || row >= sections_.size() || !readTable())
            return;
        sections_.removeAt(row);
        fillTable();
        ui_->sectionTable->selectRow(std::min(row, static_cast<int>(sections_.size()) - 1));
    });
    connect(ui_->buttons, &QDialogButtonBox::accepted, this, &SectionsDialog::acceptIfValid);
}

SectionsDialog::~SectionsDialog() = default;

bool SectionsDialog::numberPerSection() const {
    return ui_->numberPerSectionBox->isChecked();
}

void SectionsDialog::fillTable() {
    QTableWidget *table = ui_->sectionTable;
    table->setRowCount(static_cast<int>(sections_.size()));
    for (int row = 0; row < sections_.size(); ++row) {
        const SheetSection &s = sections_[row];
        table->setVerticalHeaderItem(row, new QTableWidgetItem(sheetsections::chineseNumeral(row + 1)));
        table->setItem(row, ModeColumn, fixedItem(codes::modeName(s.mode)));
        table->setItem(row, TopicsColumn, fixedItem(topicsText(s)));
        table->setItem(row, CountColumn, new QTableWidgetItem(QString::number(s.quantity)));
        table->setItem(row, PointsColumn,
                       new QTableWidgetItem(s.points > 0 ? QString::number(s.points) : QString()));
        table->setItem(row, TotalColumn,
                       new QTableWidgetItem(s.total > 0 ? QString::number(s.total) : QString()));
        table->setItem(row, TitleColumn, new QTableWidgetItem(s.title));
    }
    ui_->problemLabel->clear();
}

void SectionsDialog::move(int by) {
    const int row = ui_->sectionTable->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= sections_.size() || !readTable())
        return;
    sections_.swapItemsAt(row, to);
    fillTable();
    ui_->sectionTable->selectRow(to);
}

bool SectionsDialog::readTable() {
    QTableWidget *table = ui_->sectionTable;
    const auto number = [&](int row, int column, int low, int high, int *value) {
        const QString text =
            table->item(row, column) ? table->item(row, column)->text().trimmed() : QString();
        if (text.isEmpty() && low == 0) {
            *value = 0;
            return true;
        }
        bool ok = false;
        const int n = text.toInt(&ok);
        if (ok && n >= low && n <= high) {
            *value = n;
            return true;
        }
        ui_->problemLabel->setText(u"第%1道大题的“%2”应为 %3 到 %4 的整数。"_s.arg(
            sheetsections::chineseNumeral(row + 1), table->horizontalHeaderItem(column)->text(),
            QString::number(low), QString::number(high)));
        table->setCurrentCell(row, column);
        table->setFocus();
        return false;
    };
    for (int row = 0; row < sections_.size() && row < table->rowCount(); ++row) {
        SheetSection &s = sections_[row];
        if (!number(row, CountColumn, 1, 100000, &s.quantity) ||
            !number(row, PointsColumn, 0, 1000, &s.points) || !number(row, TotalColumn, 0, 10000, &s.total))
            return false;
        s.title = table->item(row, TitleColumn) ? table->item(row, TitleColumn)->text().trimmed() : QString();
    }
    ui_->problemLabel->clear();
    return true;
}

void SectionsDialog::acceptIfValid() {
    if (!readTable())
        return;
    Q_EMIT sectionsChosen(sections_, numberPerSection());
    accept();
}
