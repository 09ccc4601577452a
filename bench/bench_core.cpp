// SPDX-License-Identifier: GPL-3.0-or-later
// Times the bank loading and the draw on synthetic banks and prints the figures.
//   bench_core [--quick]
#include "bank/BankText.h"
#include "generation/SelectionRun.h"
#include "generation/SettingsHost.h"
#include "generation/SheetModel.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// A bank of `lines` records across all grades and textbook topics, like a downloaded tk.txt.
void writeBank(const QString &path, int lines) {
    QString text;
    text.reserve(static_cast<qsizetype>(lines) * 60);
    for (int i = 0; i < lines; ++i) {
        const int a = i % 97 + 3, b = i % 89 + 2;
        text += u"小明有%1个苹果，又买了%2个，第%3题一共有多少个？|%4|%5|%6|%1＋%2＝%7\r\n"_s.arg(a)
                    .arg(b)
                    .arg(i)
                    .arg(i % 6 + 1)
                    .arg(i % 40 + 1)
                    .arg(i % 6)
                    .arg(a + b);
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(banktext::encode(text)) < 0)
        qFatal("cannot write %s", qPrintable(path));
}

// Records when the draw starts (the progress display on).
class TimingHost : public SettingsHost {
public:
    QElapsedTimer clock;
    qint64 drawStart = 0;
    void startProgress() override { drawStart = clock.nsecsElapsed(); }
};

struct RunTimes {
    double total; // reset, load, filter and draw, ms
    double draw;  // the draw alone, ms
};

RunTimes timeRun(const QString &dir, const QString &quantity) {
    TimingHost host;
    host.settings().quantity = quantity.toInt();
    SelectionRun run(dir);
    run.setSeed(7);
    host.clock.start();
    run.select(host);
    const qint64 drawEnd = host.clock.nsecsElapsed(); // the draw is the last step of select()
    const double total = drawEnd / 1e6;
    return {total, (drawEnd - host.drawStart) / 1e6};
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const bool quick = app.arguments().contains(u"--quick"_s);
    const int repeats = quick ? 3 : 7;
    QTemporaryDir tmp;

    std::printf("%-10s %14s %22s %8s\n", "lines", "read+decode ms", "load+filter+draw24 ms", "ratio");
    for (int lines : {10'000, 100'000, 1'000'000}) {
        const QString dir = tmp.filePath(QString::number(lines));
        QDir().mkpath(dir);
        writeBank(dir + u"/tk.txt"_s, lines);

        std::vector<double> floors, runs;
        for (int r = 0; r < repeats; ++r) {
            QElapsedTimer t;
            t.start();
            const Result<QString> text = banktext::readFile(dir + u"/tk.txt"_s);
            if (!text)
                qFatal("read failed");
            floors.push_back(t.nsecsElapsed() / 1e6);
            runs.push_back(timeRun(dir, u"24"_s).total);
        }
        const double floor = median(floors), run = median(runs);
        std::printf("%-10d %14.2f %22.2f %8.2f\n", lines, floor, run, run / floor);
    }

    // The draw without repeats from 100,000 candidates: the cost should grow with the quantity only.
    const QString dir = tmp.filePath(u"100000"_s);
    std::printf("\n%-10s %14s %14s\n", "quantity", "draw ms", "us/question");
    for (int quantity : {1'000, 10'000}) {
        std::vector<double> draws;
        draws.reserve(repeats);
        for (int r = 0; r < repeats; ++r)
            draws.push_back(timeRun(dir, QString::number(quantity)).draw);
        const double d = median(draws);
        std::printf("%-10d %14.3f %14.3f\n", quantity, d, d * 1000 / quantity);
    }

    // A batch of 40 copies of 20 questions by a plan of ten cells (two questions of a topic at a
    // difficulty each), from one load of the 100,000-line bank, each copy leaving out what the earlier
    // ones used, as the service draws a batch.
    {
        std::vector<double> loads, batches;
        for (int r = 0; r < repeats; ++r) {
            TimingHost host;
            for (int k = 0; k < 10; ++k)
                host.settings().plan.append(PlanCell{k * 4 + 1, k * 4 % 6, k * 4 % 6, 2, 0});
            SelectionRun run(dir);
            run.setSeed(5);
            run.keepBankBetweenSheets(true);
            QHash<quint64, qint64> avoid;
            host.clock.start();
            qint64 firstDraw = 0;
            for (int copy = 1; copy <= 40; ++copy) {
                run.setAvoid(avoid);
                const DrawnSheet sheet = run.select(host);
                if (copy == 1)
                    firstDraw = host.drawStart;
                if (sheet.items.size() != 20)
                    qFatal("copy %d has %lld questions", copy, static_cast<long long>(sheet.items.size()));
                for (const SheetItem &item : sheet.items)
                    avoid.insert(SelectionRun::avoidKey(item.question), copy);
            }
            const qint64 end = host.clock.nsecsElapsed();
            loads.push_back(firstDraw / 1e6);
            batches.push_back((end - firstDraw) / 1e6);
        }
        std::printf("\n40 copies of 20 by a plan (100,000 lines): load %.2f ms, then the 40 draws %.2f ms\n",
                    median(loads), median(batches));
    }

    // 10,000 instances of the sample bank's kinds of templates (a condition, a remainder, a hidden
    // product), each new to the run, as a batch of forty copies would ask of them.
    {
        const QList<QuestionTemplate> templates = {
            QuestionTemplate::parse(u"小明有{a=2..99}元，又得{b=2..99}元，一共多少元？"_s,
                                    u"{a}＋{b}＝{a+b}（元）"_s),
            QuestionTemplate::parse(u"树上有{a=20..999}只鸟，飞走了{b=2..99}只。{?a-b>10}"_s,
                                    u"{a}－{b}＝{a-b}（只）"_s),
            QuestionTemplate::parse(u"{n=100..999}个桃，每盘{k=3..9}个。{?余(n,k)>0}"_s,
                                    u"{n}÷{k}＝{商(n,k)}（盘）……{余(n,k)}（个）"_s),
            QuestionTemplate::parse(u"{#x=2..99}{#y=2..99}{s=x*y}块糖分给{x}人，每人几块？"_s,
                                    u"{s}÷{x}＝{y}（块）"_s),
        };
        std::vector<double> times;
        for (int r = 0; r < repeats; ++r) {
            std::mt19937_64 random(7);
            QSet<quint64> seen;
            const auto fresh = [&seen](const QString &q) {
                return !seen.contains(SelectionRun::avoidKey(q));
            };
            QElapsedTimer clock;
            clock.start();
            for (int n = 0; n < 10000; ++n) {
                const std::optional<QuestionTemplate::Instance> instance =
                    templates[n % templates.size()].instantiate(random, fresh);
                if (!instance)
                    qFatal("instance %d not drawn", n);
                seen.insert(SelectionRun::avoidKey(instance->question));
            }
            times.push_back(clock.nsecsElapsed() / 1e6);
        }
        std::printf("\n10,000 template instances, each new: %.2f ms\n", median(times));
    }
    return 0;
}
