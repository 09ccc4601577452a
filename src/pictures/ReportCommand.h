// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTextStream>

// `tessaly report CLASS --output FILE`: the class report drawn to a PDF or PNG, its table also on the
// output. Runs in the pictures module under a QApplication (the chart is a graphics widget), reading
// the application's arguments.
int runReportCommand(QTextStream &out, QTextStream &err);
