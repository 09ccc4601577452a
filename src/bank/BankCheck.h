// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Finds bank lines that a run would read as something other than a proper record: too few fields, a
// grade, topic or difficulty outside the code tables. The loading takes such lines all the same; the
// command line reports them so that a bank's author can mend them.
namespace bankcheck {

struct Problem {
    int line; // 1-based
    QString message;
};

QList<Problem> problems(QStringView text);
// "tk.txt 第3行：只有3个字段……", for the user.
QString describe(const QString &fileName, const Problem &problem);

} // namespace bankcheck
