// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "history/ClassReport.h"

#include <QString>

QT_BEGIN_NAMESPACE
class QChart;
QT_END_NAMESPACE

// The class report as a picture: a bar chart of the wrong share per topic, one bar for each difficulty
// marked, above the table of the pupils and the topics each should practise. The report window shows
// the same chart; a file is a PNG or a PDF by its name. Needs a QApplication.
namespace reportchart {

// The chart for a picture `width` pixels wide, its type sized to it (0: the window's usual sizes).
QChart *chartOf(const ClassReport &report, int width = 0);
Status write(const ClassReport &report, const QString &path);

} // namespace reportchart
