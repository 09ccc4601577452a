// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/SheetCode.h"
#include "history/SheetHistory.h"
#include "history/SheetRecord.h"
#include "service/SheetService.h"
#include "support/RecordingTarget.h"
#include "support/ScriptedHost.h"
#include "support/TempBank.h"

#include "bank/ArithmeticCheck.h"
#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include <QtTest>

using namespace Qt::Literals::StringLiterals;

// The one maker of sheets, with recording outputs and a real history file.
class TestService : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void deliveredSheetIsRecordedUnderItsPrintedCode();
    void failedDeliveryRecordsNothing();
    void stoppedSheetIsShownButNotRecorded();
    void noTopicMakesNothing();
    void batch_data();
    void batch();
    void keyOfAPastSheetRepeatsIt();
    void fortyEqualSheetsFromTemplates();
    void copiesOfABatchAreBalanced();
    void everyCopyFollowsThePlan();

private:
    SheetHistory &history() { return *history_; }
    SheetOutcome make(ScriptedHost &host, RecordingOutputs &outputs, const SheetOrder &order = {});
    // A batch made with this seed, its recorded sheets oldest first.
    template <typename Listener>
    QList<RecordedSheet> madeBatch(ScriptedHost &host, int seed, Listener &listener);

    std::unique_ptr<TempBank> bank_;
    std::unique_ptr<SheetHistory> history_;
};

namespace {

// The code printed after the date, from a document's operations.
QString printedCode(const QStringList &ops) {
    for (const QString &op : ops)
        if (const auto m = QRegularExpression(u"卷号 (\\S+)"_s).match(op); m.hasMatch())
            return m.captured(1);
    return {};
}

QStringList questionLines(const QStringList &ops) {
    QStringList result;
    for (const QString &op : ops)
        if (op.startsWith(u"type "_s) && op.contains(u"、"_s) && !op.contains(u"姓名"_s))
            result.append(op.mid(op.indexOf(u"、"_s) + 1));
    return result;
}

// Records the listener's calls as lines.
struct RecordingListener : SheetListener {
    QStringList calls;
    void shortSheet(qsizetype drawn, const SheetRequest &) override {
        calls.append(u"short %1"_s.arg(drawn));
    }
    void notRecorded(const QString &why) override { calls.append(u"not recorded "_s + why); }
    void planShort(int copy, int, const QStringList &cells, bool balanced) override {
        calls.append(
            u"plan short %1 %2 %3"_s.arg(copy).arg(balanced ? u"balanced"_s : u"asked"_s, cells.join(u'|')));
    }
    void delivered(const MadeSheet &made) override {
        calls.append(u"delivered %1 %2"_s.arg(made.key ? u"key"_s : u"sheet"_s).arg(made.count));
    }
};

} // namespace

void TestService::init() {
    bank_ = std::make_unique<TempBank>();
    QStringList lines;
    for (int i = 0; i < 30; ++i)
        lines.append(u"题%1|1|1|1|答%1"_s.arg(i));
    bank_->writeLines(u"tk.txt"_s, lines);
    Result<std::unique_ptr<SheetHistory>> opened = SheetHistory::open(bank_->path(u"history.sqlite"_s));
    QVERIFY2(opened.ok(), qPrintable(opened.error()));
    history_ = std::move(opened).value();
}

void TestService::cleanup() {
    history_.reset();
    bank_.reset();
}

SheetOutcome TestService::make(ScriptedHost &host, RecordingOutputs &outputs, const SheetOrder &order) {
    SheetService service(bank_->dir(), history_.get());
    RecordingListener listener;
    return service.make(host, order, outputs, listener);
}

void TestService::deliveredSheetIsRecordedUnderItsPrintedCode() {
    ScriptedHost host;
    host.settings().quantity = 5;
    RecordingOutputs outputs;
    const SheetOutcome outcome = make(host, outputs);
    QCOMPARE(outcome.end, SheetOutcome::End::Made);
    QCOMPARE(outputs.sheets.size(), 1);
    const QString code = printedCode(outputs.sheets[0]);
    QVERIFY(sheetcode::parse(code));
    QCOMPARE(outcome.made.value(0).code, code);
    const std::optional<RecordedSheet> recorded = history().find(code);
    QVERIFY(recorded);
    QCOMPARE(recorded->questions, questionLines(outputs.sheets[0]));
    QCOMPARE(outputs.finishes, 1);
}

void TestService::failedDeliveryRecordsNothing() {
    // A sheet that never reached the user (the office gone, the disk full) has no record and no key.
    ScriptedHost host;
    RecordingOutputs outputs;
    outputs.failWith = u"磁盘已满"_s;
    SheetOrder order;
    order.withKeys = true;
    const SheetOutcome outcome = make(host, outputs, order);
    QCOMPARE(outcome.end, SheetOutcome::End::Failed);
    QCOMPARE(outcome.error, u"磁盘已满"_s);
    QVERIFY(outcome.made.isEmpty());
    QVERIFY(history().list().isEmpty());
    QCOMPARE(outputs.finishes, 1); // an office started for it is still ended
}

void TestService::stoppedSheetIsShownButNotRecorded() {
    ScriptedHost host;
    host.onEvents = [&host](int n) {
        if (n == 40) // after loading and filtering, during the draw
            host.requestStop();
    };
    RecordingOutputs outputs;
    const SheetOutcome outcome = make(host, outputs);
    QCOMPARE(outcome.end, SheetOutcome::End::Stopped);
    QCOMPARE(outputs.sheets.size(), 1);
    QVERIFY(printedCode(outputs.sheets[0]).isEmpty());
    QVERIFY(history().list().isEmpty());
}

void TestService::noTopicMakesNothing() {
    ScriptedHost host;
    host.settings().topics.fill(false);
    RecordingOutputs outputs;
    const SheetOutcome outcome = make(host, outputs);
    QCOMPARE(outcome.end, SheetOutcome::End::NoTopic);
    QVERIFY(outputs.sheets.isEmpty());
    QVERIFY(history().list().isEmpty());
}

void TestService::batch_data() {
    QTest::addColumn<bool>("oneFile");
    QTest::newRow("a file each") << false;
    QTest::newRow("one file") << true;
}

void TestService::batch() {
    QFETCH(bool, oneFile);
    ScriptedHost host;
    host.settings().quantity = 8;
    host.settings().copies = 3;
    host.settings().oneFile = oneFile;
    RecordingOutputs outputs;
    SheetOrder order;
    order.seed = 5;
    order.withKeys = true;
    order.output = u"/out/sheet.docx"_s;
    order.keyOutput = u"/out/key.docx"_s;
    const SheetOutcome outcome = make(host, outputs, order);
    QCOMPARE(outcome.end, SheetOutcome::End::Made);
    QCOMPARE(outcome.made.size(), 6);
    const QList<RecordedSheet> recorded = history().list();
    QCOMPARE(recorded.size(), 3);
    // No question shared between the copies; each copy's key prints its questions.
    QSet<QString> seen;
    for (const RecordedSheet &listed : recorded) {
        const std::optional<RecordedSheet> sheet = history().find(listed.code);
        QVERIFY(sheet);
        QCOMPARE(sheet->questions.size(), 8);
        for (const QString &q : sheet->questions) {
            QVERIFY2(!seen.contains(q), qPrintable(q));
            seen.insert(q);
        }
    }
    if (oneFile) {
        QCOMPARE(outputs.deliveredTo, (QStringList{u"/out/sheet.docx"_s, u"/out/key.docx"_s}));
        QCOMPARE(outputs.sheets[0].count(u"next sheet"_s), 2);
        QCOMPARE(outputs.sheets[1].count(u"type Tessaly练习(答案)"_s), 3);
    } else {
        QCOMPARE(outputs.deliveredTo,
                 (QStringList{u"/out/sheet-1.docx"_s, u"/out/key-1.docx"_s, u"/out/sheet-2.docx"_s,
                              u"/out/key-2.docx"_s, u"/out/sheet-3.docx"_s, u"/out/key-3.docx"_s}));
        for (qsizetype copy = 0; copy < 3; ++copy) {
            const QStringList &sheet = outputs.sheets[2 * copy], &key = outputs.sheets[2 * copy + 1];
            QCOMPARE(printedCode(key), printedCode(sheet));
            QVERIFY(key.contains(u"type Tessaly练习(答案)"_s));
            QCOMPARE(questionLines(key), questionLines(sheet));
            QCOMPARE(key.filter(QRegularExpression(u"^type 　　（答案：答\\d+）$"_s)).size(), 8);
        }
    }
}

namespace {

// How many questions of each topic and difficulty a recorded sheet holds.
QMap<QString, int> makeUp(const RecordedSheet &sheet) {
    QMap<QString, int> counts;
    for (qsizetype i = 0; i < sheet.questions.size(); ++i)
        ++counts[sheet.topicCodes.value(i) + u'@' + sheet.difficulties.value(i)];
    return counts;
}

// Topics 1 to 3, difficulties 0 to 4, `each` questions of every pair.
void writeMixedBank(TempBank &bank, int each) {
    QStringList lines;
    for (int topic = 1; topic <= 3; ++topic)
        for (int difficulty = 0; difficulty <= 4; ++difficulty)
            for (int n = 0; n < each; ++n)
                lines.append(u"题%1-%2-%3|1|%1|%2|答"_s.arg(topic).arg(difficulty).arg(n));
    bank.writeLines(u"tk.txt"_s, lines);
}

} // namespace

template <typename Listener>
QList<RecordedSheet> TestService::madeBatch(ScriptedHost &host, int seed, Listener &listener) {
    SheetOrder order;
    order.seed = seed;
    order.output = u"/out/sheet.docx"_s;
    RecordingOutputs outputs;
    SheetService service(bank_->dir(), history_.get());
    if (service.make(host, order, outputs, listener).end != SheetOutcome::End::Made)
        return {};
    QList<RecordedSheet> sheets;
    for (const RecordedSheet &listed : history().list())
        sheets.insert(0, *history().find(listed.code));
    return sheets;
}

void TestService::copiesOfABatchAreBalanced() {
    // Enough of every topic and difficulty for four copies of whatever the first one holds.
    writeMixedBank(*bank_, 20);
    ScriptedHost host;
    host.settings().grade = 1;
    host.settings().quantity = 10;
    host.settings().copies = 4;
    RecordingListener listener;
    const QList<RecordedSheet> sheets = madeBatch(host, 11, listener);
    QCOMPARE(sheets.size(), 4);
    // The same count per topic and difficulty on every copy, and no question on two of them.
    QSet<QString> seen;
    for (const RecordedSheet &sheet : sheets) {
        QCOMPARE(makeUp(sheet), makeUp(sheets.first()));
        for (const QString &q : sheet.questions) {
            QVERIFY2(!seen.contains(q), qPrintable(q));
            seen.insert(q);
        }
    }
    QVERIFY2(!listener.calls.join(u'\n').contains(u"plan short"_s), qPrintable(listener.calls.join(u'\n')));
    // One load of the bank for the batch: the grade read for each of its 300 lines once, and at the
    // start of each of the four copies, to see that it stayed.
    QCOMPARE(host.gradeReads, 300 + 4);
}

void TestService::everyCopyFollowsThePlan() {
    writeMixedBank(*bank_, 4);
    ScriptedHost host;
    host.settings().grade = 1;
    host.settings().copies = 3;
    // Two of topic 1 at one star, three of topic 2 at 基础题 to two stars, two of topic 3 at four stars:
    // the bank holds four of topic 3 at four stars, so the third copy takes two of them again, the least
    // recently used: a plan is followed where the bank allows.
    host.settings().plan = {PlanCell{1, 1, 1, 2, 5}, PlanCell{2, 0, 2, 3, 0}, PlanCell{3, 4, 4, 2, 0}};
    RecordingListener listener;
    const QList<RecordedSheet> sheets = madeBatch(host, 3, listener);
    QCOMPARE(sheets.size(), 3);
    for (const RecordedSheet &sheet : sheets) {
        const QMap<QString, int> counts = makeUp(sheet);
        QCOMPARE(counts.value(u"1@1"_s), 2);
        int second = 0;
        for (const QString &d : {u"0"_s, u"1"_s, u"2"_s})
            second += counts.value(u"2@"_s + d);
        QCOMPARE(second, 3);
        QCOMPARE(counts.value(u"3@4"_s), 2); // topic 3's four are used twice over, oldest again
    }
    // The history records the plan, its points with it.
    QVERIFY(sheets.first().settings.contains(u"plan=1:2@1:5,2:3@0-2,3:2@4"_s));
}

void TestService::keyOfAPastSheetRepeatsIt() {
    ScriptedHost host;
    host.settings().quantity = 4;
    host.settings().layout.fontName = u"楷体"_s;
    RecordingOutputs outputs;
    const SheetOutcome made = make(host, outputs);
    const std::optional<RecordedSheet> recorded = history().find(made.made.value(0).code);
    QVERIFY(recorded);

    // Made later, with other settings in the host: the record's settings and questions count.
    SettingsHost later;
    SheetRequest request = sheetrecord::requestOf(*recorded);
    request.answers = true;
    RecordingOutputs keyOutputs;
    SheetService service(bank_->dir(), nullptr);
    SheetListener quiet;
    const SheetOutcome key = service.remake(later, request, sheetrecord::sheetOf(*recorded), u"2026/1/2"_s,
                                            QString(), keyOutputs, quiet);
    QVERIFY(key.ok());
    const QStringList ops = keyOutputs.sheets.value(0);
    QVERIFY(ops.contains(u"font 楷体"_s));
    QCOMPARE(printedCode(ops), recorded->code);
    QStringList questions;
    for (const QString &line : questionLines(ops))
        if (!line.startsWith(u"　　（答案"_s))
            questions.append(line);
    QCOMPARE(questions, questionLines(outputs.sheets[0]));
}

void TestService::fortyEqualSheetsFromTemplates() {
    // One template for each cell of the plan: a class of forty, ten questions each, all different.
    bank_->writeLines(u"tk.txt"_s,
                      {u"小明有{a=10..60}元，又得{b=10..39}元，一共多少元？|1|1|1|{a}＋{b}＝{a+b}（元）"_s,
                       u"树上有{a=20..99}只鸟，飞走了{b=2..19}只，还剩几只？|1|2|1|{a}－{b}＝{a-b}（只）"_s,
                       u"{n=20..99}个桃，每盘放{k=3..9}个，能放几盘，还剩几个？{?余(n,k)>0}|1|3|2|"
                       u"{n}÷{k}＝{商(n,k)}（盘）……{余(n,k)}（个）"_s});
    ScriptedHost host;
    host.settings().grade = 1;
    host.settings().copies = 40;
    host.settings().plan = {PlanCell{1, 1, 1, 4, 0}, PlanCell{2, 1, 1, 3, 0}, PlanCell{3, 2, 2, 3, 0}};
    RecordingListener listener;
    const QList<RecordedSheet> sheets = madeBatch(host, 5, listener);
    QCOMPARE(sheets.size(), 40);
    QSet<QString> seen;
    for (const RecordedSheet &sheet : sheets) {
        const QMap<QString, int> counts = makeUp(sheet);
        QCOMPARE(counts, (QMap<QString, int>{{u"1@1"_s, 4}, {u"2@1"_s, 3}, {u"3@2"_s, 3}}));
        for (qsizetype i = 0; i < sheet.questions.size(); ++i) {
            QVERIFY2(!seen.contains(sheet.questions[i]), qPrintable(sheet.questions[i]));
            seen.insert(sheet.questions[i]);
            QVERIFY(!sheet.answers[i].contains(u'{'));
            QVERIFY2(arithmeticcheck::mistakes(sheet.answers[i]).isEmpty(), qPrintable(sheet.answers[i]));
        }
    }
    QCOMPARE(seen.size(), 400);

    // The same seed makes the same batch again: the instances come from the seed.
    QTemporaryDir again;
    Result<std::unique_ptr<SheetHistory>> opened = SheetHistory::open(again.filePath(u"again.sqlite"_s));
    QVERIFY(opened.ok());
    history_ = std::move(opened).value();
    const QList<RecordedSheet> repeated = madeBatch(host, 5, listener);
    QCOMPARE(repeated.size(), 40);
    for (int k = 0; k < 40; ++k)
        QCOMPARE(repeated[k].questions, sheets[k].questions);
}

QTEST_GUILESS_MAIN(TestService)
#include "tst_service.moc"
