// SPDX-License-Identifier: GPL-3.0-or-later
// The cost of recording a sheet of 24 questions in a history that already holds 10,000 sheets (made ten
// a day over the last thousand days, their questions drawn from a bank of 20,000), of finding one sheet by
// its code there, and of the fresh-question look-up of the last 7 and the last 365 days.
//   bench_history [--quick]
#include "history/SheetHistory.h"
#include "history/SheetRecord.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int sheets = app.arguments().contains(u"--quick"_s) ? 1'000 : 10'000;
    QTemporaryDir dir;
    Result<std::unique_ptr<SheetHistory>> history = SheetHistory::open(dir.filePath(u"history.sqlite"_s));
    if (!history)
        qFatal("%s", qPrintable(history.error()));
    const DrawnSheet args = syntheticWorksheet(24);
    const SheetRequest settings;
    QElapsedTimer fill;
    fill.start();
    QString someCode;
    // Each sheet prints 24 of the bank's questions, as a real history does: the look-up then meets
    // thousands of distinct questions, not the same 24 again and again.
    constexpr int BankSize = 20'000;
    for (int i = 0; i < sheets; ++i) {
        RecordedSheet sheet = sheetrecord::fromSheet(args, settings, dir.path());
        for (int q = 0; q < sheet.questions.size(); ++q)
            sheet.questions[q] =
                u"第%1题：小明有一些苹果，妈妈又给了他几个，小明现在一共有多少个苹果？"_s.arg(
                    (i * 7919 + q * 104729) % BankSize);
        sheet.created = QDateTime::currentDateTime().addSecs(-static_cast<qint64>(i) * 8640);
        const Result<QString> code = history.value()->record(sheet);
        if (!code)
            qFatal("%s", qPrintable(code.error()));
        if (i == sheets / 2)
            someCode = code.value();
    }
    std::printf("filled %d sheets of 24 questions in %.1f s\n", sheets, fill.nsecsElapsed() / 1e9);
    std::vector<double> record, find;
    for (int r = 0; r < 21; ++r) {
        RecordedSheet sheet = sheetrecord::fromSheet(args, settings, dir.path());
        QElapsedTimer t;
        t.start();
        history.value()->record(sheet);
        record.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        if (!history.value()->find(someCode))
            qFatal("lost a sheet");
        find.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("with %d sheets recorded: record one more %.2f ms, find one by code %.2f ms (medians)\n",
                sheets, median(record), median(find));
    for (int days : {7, 365}) {
        std::vector<double> lookups;
        qsizetype found = 0;
        for (int r = 0; r < 11; ++r) {
            QElapsedTimer t;
            t.start();
            found = history.value()->usedSince(QDateTime::currentDateTime().addDays(-days)).size();
            lookups.push_back(t.nsecsElapsed() / 1e6);
        }
        std::printf("fresh questions, last %d days (%lld distinct questions): %.2f ms (median)\n", days,
                    static_cast<long long>(found), median(lookups));
    }
    return 0;
}
