// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/MarkNumbers.h"

#include <QRegularExpression>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

Result<QList<int>> questionNumbers(const QString &text) {
    QList<int> numbers;
    static const QRegularExpression separators(u"[,，、;；\\s]+"_s);
    for (const QString &part : text.split(separators, Qt::SkipEmptyParts)) {
        const QStringList ends = part.split(u'-');
        bool ok = ends.size() <= 2;
        const int from = ok ? ends.first().toInt(&ok) : 0;
        bool okTo = true;
        const int to = ends.size() == 2 ? ends.last().toInt(&okTo) : from;
        if (!ok || !okTo || from < 1 || to < from || to - from > 100000)
            return Result<QList<int>>::failure(u"题号“%1”读不出，应为 3,7,12 或 2-5"_s.arg(part));
        for (int n = from; n <= to; ++n)
            if (!numbers.contains(n))
                numbers.append(n);
    }
    return Result<QList<int>>::success(numbers);
}
