// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "history/ClassReport.h"
#include "history/SheetHistory.h"

#include <QDialog>
#include <functional>
#include <memory>

QT_BEGIN_NAMESPACE
class QChartView;
QT_END_NAMESPACE

namespace Ui {
class ReportDialog;
}

// 班级报告: a class's wrong shares per topic and difficulty as a chart, each pupil's marks and topics
// to practise as a table, and the two exported as a PDF or PNG.
class ReportDialog : public QDialog {
    Q_OBJECT

public:
    // The file to export to, chosen by the user (empty: cancelled).
    ReportDialog(SheetHistory &history, const QString &className, std::function<QString()> chooseFile,
                 QWidget *parent = nullptr);
    ~ReportDialog() override;

    void showClass(const QString &className);
    const ClassReport &report() const { return report_; }
    Status exportTo(const QString &path) const;

private:
    std::unique_ptr<Ui::ReportDialog> ui_;
    SheetHistory &history_;
    std::function<QString()> chooseFile_;
    QChartView *view_;
    ClassReport report_;
};
