// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/BankCheck.h"

#include "bank/BankRecord.h"
#include "bank/BankText.h"

using namespace Qt::Literals::StringLiterals;

namespace bankcheck {

QList<Problem> problems(QStringView text) {
    QList<Problem> found;
    int number = 0;
    banktext::forEachLine(text, [&](QStringView line) {
        ++number;
        if (banktext::isBlankLine(line))
            return;
        for (const QString &message : bankrecord::problems(bankrecord::parse(line)))
            found.append({number, message});
    });
    return found;
}

QString describe(const QString &fileName, const Problem &problem) {
    return u"%1 第%2行：%3"_s.arg(fileName).arg(problem.line).arg(problem.message);
}

} // namespace bankcheck
