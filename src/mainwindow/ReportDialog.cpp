// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/ReportDialog.h"

#include "pictures/ReportChart.h"
#include "ui_ReportDialog.h"

#include <QChart>
#include <QChartView>
#include <QMessageBox>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

ReportDialog::ReportDialog(SheetHistory &history, const QString &className,
                           std::function<QString()> chooseFile, QWidget *parent)
    : QDialog(parent)
    , ui_(std::make_unique<Ui::ReportDialog>())
    , history_(history)
    , chooseFile_(std::move(chooseFile)) {
    ui_->setupUi(this);
    auto *layout = new QVBoxLayout(ui_->FrameChart);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new QChartView(ui_->FrameChart);
    view_->setRenderHint(QPainter::Antialiasing);
    layout->addWidget(view_);
    ui_->TablePupils->setColumnCount(4);
    ui_->TablePupils->setHorizontalHeaderLabels({u"学生"_s, u"批改"_s, u"错"_s, u"要多练的专题"_s});
    ui_->TablePupils->horizontalHeader()->setStretchLastSection(true);
    ui_->ComboClass->addItems(history_.classes());
    connect(ui_->ComboClass, &QComboBox::currentTextChanged, this, &ReportDialog::showClass);
    connect(ui_->CommandExport, &QPushButton::clicked, this, [this] {
        const QString path = chooseFile_();
        if (path.isEmpty())
            return;
        if (const Status written = exportTo(path); !written)
            QMessageBox::warning(this, windowTitle(), u"报告没有导出：%1"_s.arg(written.error()));
    });
    connect(ui_->CommandClose, &QPushButton::clicked, this, &QDialog::close);
    if (const int at = ui_->ComboClass->findText(className); at >= 0)
        ui_->ComboClass->setCurrentIndex(at);
    showClass(ui_->ComboClass->currentText());
}

ReportDialog::~ReportDialog() = default;

void ReportDialog::showClass(const QString &className) {
    const QList<SheetPupil> pupils = history_.pupils(className);
    QList<qint64> ids;
    for (const SheetPupil &p : pupils)
        ids.append(p.id);
    report_ = classreport::make(className, pupils, history_.marksOf(ids));
    ui_->LabelTotal->setText(u"共批改 %1 道题，错 %2 道"_s.arg(report_.asked).arg(report_.wrong));
    QChart *old = view_->chart();
    view_->setChart(reportchart::chartOf(report_));
    delete old;
    ui_->TablePupils->setRowCount(static_cast<int>(report_.pupils.size()));
    for (int r = 0; r < report_.pupils.size(); ++r) {
        const ClassReport::PupilTopics &p = report_.pupils[r];
        const QStringList cells{p.pupil.name, QString::number(p.asked), QString::number(p.wrong),
                                p.practise.isEmpty() ? u"—"_s : p.practise.join(u"、"_s)};
        for (int c = 0; c < 4; ++c)
            ui_->TablePupils->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
}

Status ReportDialog::exportTo(const QString &path) const {
    return reportchart::write(report_, path);
}
