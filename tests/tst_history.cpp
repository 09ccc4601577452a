// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/GenerateCommand.h"
#include "app/GenerateOptions.h"
#include "app/HistoryCommands.h"
#include "bank/TextNormal.h"
#include "history/SheetCode.h"
#include "history/SheetHistory.h"
#include "history/SheetRecord.h"
#include "support/DocxReader.h"
#include "support/TempBank.h"

#include <QFile>
#include <QProcess>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>
#include <future>

using namespace Qt::Literals::StringLiterals;

class TestHistory : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void codesRoundTripAndRefuseTypos();
    void recordAndReadBack();
    void everySheetCarriesItsCode();
    void keyOfARecordedSheetAfterTheBankChanged();
    void twoProgramsWritingAtOnce();
    void damagedHistoryNeverStopsASheet();
    void freshQuestionsOverSeveralSheets();
    void batchOfDistinctSheets();
    void longSheetRecordedInBatchesWithEventsBetween();
    void historyOfTheEarlierFormatIsBroughtUpToDate();
    void sheetOfSectionsMadeAgainByItsCode();
    void keyOfATemplateSheetKeepsItsNumbers();

private:
    struct Run {
        int status;
        QString out, err;
    };
    Run generate(const QStringList &arguments) const;
    static docxreader::Document read(const QString &path);

    TempBank bank_;
    QTemporaryDir work_;
};

void TestHistory::initTestCase() {
    QVERIFY(QFile::copy(QStringLiteral(TESSALY_SAMPLE_BANK), bank_.path(u"tk.txt"_s)));
}

TestHistory::Run TestHistory::generate(const QStringList &arguments) const {
    const Result<GenerateOptions> options =
        GenerateOptions::parse(arguments, UserFiles::inFolder(bank_.dir()));
    if (!options)
        return {2, QString(), options.error()};
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = runGenerate(options.value(), o, e);
    return {status, out, err};
}

docxreader::Document TestHistory::read(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return docxreader::parse(docxreader::part(file.readAll(), u"word/document.xml"_s).value_or(QByteArray()))
        .value();
}

void TestHistory::codesRoundTripAndRefuseTypos() {
    static const QString alphabet = u"23456789ABCDEFGHJKLMNPQRSTUVWXYZ"_s;
    for (int n = 0; n < 50; ++n) {
        const QString code = sheetcode::make();
        QVERIFY(QRegularExpression(u"^[2-9A-HJ-NP-Z]{4}-[2-9A-HJ-NP-Z]{2}$"_s).match(code).hasMatch());
        QCOMPARE(sheetcode::parse(code), std::optional<QString>(code));
        QCOMPARE(sheetcode::parse(code.toLower().remove(u'-')), std::optional<QString>(code));
        QCOMPARE(sheetcode::parse(u" "_s + code + u" "_s), std::optional<QString>(code));
        // Every single wrong character is refused, never taken for another sheet.
        const QString plain = QString(code).remove(u'-');
        for (int i = 0; i < plain.size(); ++i)
            for (QChar c : alphabet)
                if (c != plain[i]) {
                    QString typo = plain;
                    typo[i] = c;
                    QVERIFY2(!sheetcode::parse(typo), qPrintable(typo));
                }
    }
    for (const QString &bad : {u""_s, u"K7Q2"_s, u"K7Q2-9F1"_s, u"K7O2-9F"_s, u"K712-9F"_s})
        QVERIFY(!sheetcode::parse(bad));
}

void TestHistory::recordAndReadBack() {
    const QString path = work_.filePath(u"read-back.sqlite"_s);
    Result<std::unique_ptr<SheetHistory>> history = SheetHistory::open(path);
    QVERIFY2(history.ok(), qPrintable(history.error()));
    DrawnSheet args;
    args.items = {{u"甲题"_s, 1, u"1＋1＝2"_s, u"0"_s},
                  {u"乙题"_s, 2, u"3"_s, u"2"_s},
                  {u"丙题"_s, 43, u"答"_s, u"5"_s}};
    SheetRequest settings;
    settings.grade = 3;
    settings.mode = codes::QuestionMode::Estimation;
    settings.layout.blankLines = 4;
    settings.layout.paper = PageLayout::Paper::A3;
    settings.layout.landscape = true;
    RecordedSheet sheet = sheetrecord::fromSheet(args, settings, bank_.dir());
    const Result<QString> code = history.value()->record(sheet);
    QVERIFY2(code.ok(), qPrintable(code.error()));
    QVERIFY(sheetcode::parse(code.value()));
    RecordedSheet second = sheetrecord::fromSheet(args, settings, bank_.dir());
    QVERIFY(history.value()->record(second).ok());
    QVERIFY(second.code != sheet.code);

    history = SheetHistory::open(path); // read back through a new connection
    const std::optional<RecordedSheet> found = history.value()->find(code.value());
    QVERIFY(found.has_value());
    QCOMPARE(found->questions, (QStringList{u"甲题"_s, u"乙题"_s, u"丙题"_s}));
    QCOMPARE(found->answers, (QStringList{u"1＋1＝2"_s, u"3"_s, u"答"_s}));
    QCOMPARE(found->difficulties, (QStringList{u"0"_s, u"2"_s, u"5"_s}));
    QCOMPARE(found->topicCodes, (QStringList{u"1"_s, u"2"_s, u"43"_s}));
    QCOMPARE(found->grade, 3);
    QCOMPARE(found->mode, u"估算"_s);
    const SheetRequest again = sheetrecord::requestOf(*found);
    QCOMPARE(again.layout.blankLines, 4);
    QCOMPARE(again.layout.paper, PageLayout::Paper::A3);
    QVERIFY(again.layout.landscape);
    QCOMPARE(sheetrecord::sheetOf(*found).code, code.value());
    const QList<RecordedSheet> listed = history.value()->list();
    QCOMPARE(listed.size(), 2);
    QCOMPARE(listed.first().code, second.code); // newest first
    QVERIFY(!history.value()->find(sheetcode::make()).has_value());

    // The fresh-question look-up: each question with the time of the newest sheet that printed it, to
    // the millisecond, and nothing from before the window.
    RecordedSheet older = sheetrecord::fromSheet(args, settings, bank_.dir());
    older.created = QDateTime::currentDateTimeUtc().addDays(-20);
    older.questions = QStringList{u"旧题"_s, u"甲题"_s, u"乙题"_s};
    QVERIFY(history.value()->record(older).ok());
    const auto key = [](const QString &question) { return textnormal::spacelessKey(question); };
    const QHash<quint64, qint64> used = history.value()->usedSince(QDateTime::currentDateTime().addDays(-10));
    QCOMPARE(used.size(), 3);
    QVERIFY(!used.contains(key(u"旧题"_s)));
    QCOMPARE(used.value(key(u"甲 题"_s)), used.value(key(u"甲题"_s))); // spaces make no other question
    QCOMPARE(used.value(key(u"甲题"_s)),
             found->created.toMSecsSinceEpoch() > listed.first().created.toMSecsSinceEpoch()
                 ? found->created.toMSecsSinceEpoch()
                 : listed.first().created.toMSecsSinceEpoch());
    QCOMPARE(history.value()->usedSince(QDateTime::currentDateTime().addDays(-30)).value(key(u"旧题"_s)),
             older.created.toMSecsSinceEpoch());
    // The same look-up on a thread and a connection of its own (while the bank loads), twice at once.
    const QDateTime since = QDateTime::currentDateTime().addDays(-10);
    const SheetHistory *shared = history.value().get();
    auto apart = std::async(std::launch::async, [shared, since] { return shared->usedSinceApart(since); });
    auto twice = std::async(std::launch::async, [shared, since] { return shared->usedSinceApart(since); });
    QCOMPARE(apart.get(), used);
    QCOMPARE(twice.get(), used);
}

void TestHistory::everySheetCarriesItsCode() {
    const QString file = work_.filePath(u"codes.sqlite"_s);
    const QString sheet = work_.filePath(u"coded.docx"_s), key = work_.filePath(u"coded-key.docx"_s);
    const Run run =
        generate({u"--count"_s, u"4"_s, u"--history"_s, file, u"--output"_s, sheet, u"--answer-key"_s, key});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    const QString code = QRegularExpression(u"卷号 (\\S{4}-\\S{2})"_s).match(run.out).captured(1);
    QVERIFY2(sheetcode::parse(code), qPrintable(run.out));
    QVERIFY(read(sheet).texts().first().endsWith(u"卷号 "_s + code));
    QVERIFY(read(key).texts().first().endsWith(u"卷号 "_s + code)); // the key says which sheet it answers
    QCOMPARE(read(sheet).paragraphs.first().runs.last().halfPoints, 18); // small: 9 points
}

void TestHistory::sheetOfSectionsMadeAgainByItsCode() {
    const QString file = work_.filePath(u"sections.sqlite"_s);
    const QString sheet = work_.filePath(u"sections.docx"_s);
    const Run run =
        generate({u"--grade"_s, u"3"_s, u"--section"_s, u"topics=1,2;count=3;points=5;title=第一部分"_s,
                  u"--section"_s, u"mode=估算;count=2;total=20"_s, u"--number-per-section"_s,
                  u"--page-numbers"_s, u"--seal-line"_s, u"first"_s, u"--score-table"_s, u"--title-line"_s,
                  u"三年级测验"_s, u"--history"_s, file, u"--output"_s, sheet});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    const QString code = QRegularExpression(u"卷号 (\\S{4}-\\S{2})"_s).match(run.out).captured(1);
    QVERIFY2(sheetcode::parse(code), qPrintable(run.out));

    // The sheet again, word for word and with the same choices around it; its key, short.
    const QString again = work_.filePath(u"sections-again.docx"_s),
                  key = work_.filePath(u"sections-key.docx"_s);
    QString out, err;
    QTextStream o(&out), e(&err);
    const UserFiles files = UserFiles::inFolder(bank_.dir());
    QCOMPARE(runKeyCommand({code, u"--history"_s, file, u"--output"_s, again}, files, false, o, e), 0);
    QCOMPARE(
        runKeyCommand({code, u"--history"_s, file, u"--compact"_s, u"--output"_s, key}, files, true, o, e),
        0);
    const auto document = [](const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly)
                   ? docxreader::part(f.readAll(), u"word/document.xml"_s).value_or(QByteArray())
                   : QByteArray();
    };
    QVERIFY(!document(sheet).isEmpty());
    QCOMPARE(document(again), document(sheet));
    const QStringList keyTexts = read(key).texts();
    QVERIFY(keyTexts.contains(u"参考答案"_s));
    const auto second = std::find_if(keyTexts.begin(), keyTexts.end(),
                                     [](const QString &t) { return t.startsWith(u"二、估算（共20分）"_s); });
    QVERIFY2(second != keyTexts.end(), qPrintable(keyTexts.join(u'|')));
    QVERIFY(keyTexts.contains(u"一、第一部分（每题5分，共15分）"_s));
    QVERIFY((second + 1)->startsWith(u"1、"_s)); // numbered again in each section
}

void TestHistory::keyOfARecordedSheetAfterTheBankChanged() {
    TempBank bank;
    bank.writeLines(u"tk.txt"_s, {u"原来的第一题|1|1|0|1＋1＝2"_s, u"原来的第二题|1|1|1|2＋2＝4"_s});
    const QString file = work_.filePath(u"changed.sqlite"_s);
    const Result<GenerateOptions> options =
        GenerateOptions::parse({u"--bank-dir"_s, bank.dir(), u"--grade"_s, u"1"_s, u"--count"_s, u"2"_s,
                                u"--history"_s, file, u"--output"_s, work_.filePath(u"before.docx"_s)},
                               UserFiles::inFolder(bank.dir()));
    QVERIFY(options.ok());
    QString out, err;
    QTextStream o(&out), e(&err);
    QCOMPARE(runGenerate(options.value(), o, e), 0);
    const QString code = QRegularExpression(u"卷号 (\\S{4}-\\S{2})"_s).match(out).captured(1);

    QTest::qWait(20);
    bank.writeLines(u"tk.txt"_s, {u"换过的题|1|1|0|9"_s});
    const QString keyPath = work_.filePath(u"later-key.docx"_s);
    QString kout, kerr;
    QTextStream ko(&kout), ke(&kerr);
    QCOMPARE(runKeyCommand({code, u"--history"_s, file, u"--bank-dir"_s, bank.dir(), u"--output"_s, keyPath},
                           UserFiles::inFolder(bank.dir()), true, ko, ke),
             0);
    QVERIFY2(kerr.contains(u"题库在出这份试卷之后改过"_s), qPrintable(kerr));
    const QString all = read(keyPath).texts().join(u'\n');
    QVERIFY(all.contains(u"原来的第一题"_s) && all.contains(u"原来的第二题"_s) &&
            !all.contains(u"换过的题"_s));
    QVERIFY(all.contains(u"（答案："_s));
    // The sheet itself, again.
    QString sout, serr;
    QTextStream so(&sout), se(&serr);
    QCOMPARE(
        runKeyCommand({code.toLower(), u"--history"_s, file, u"--output"_s, work_.filePath(u"again.docx"_s)},
                      UserFiles::inFolder(bank.dir()), false, so, se),
        0);
    QVERIFY(!read(work_.filePath(u"again.docx"_s)).texts().join(u'\n').contains(u"（答案："_s));
    // A typo is refused; a code of no sheet is said so.
    QString x;
    QTextStream xo(&x), xe(&x);
    QString typo = code;
    typo[0] = typo[0] == u'2' ? u'3' : u'2';
    QCOMPARE(runKeyCommand({typo, u"--history"_s, file, u"--output"_s, keyPath},
                           UserFiles::inFolder(bank.dir()), true, xo, xe),
             2);
    QCOMPARE(runKeyCommand({sheetcode::make(), u"--history"_s, file, u"--output"_s, keyPath},
                           UserFiles::inFolder(bank.dir()), true, xo, xe),
             1);
}

void TestHistory::twoProgramsWritingAtOnce() {
    const QString file = work_.filePath(u"shared.sqlite"_s);
    const QString loop =
        u"for i in 1 2 3 4 5 6 7 8; do \"$0\" generate --bank-dir \"$1\" --count 5 --history \"$2\" "
        u"--output \"$3$i.docx\" || exit 1; done"_s;
    QProcess a, b;
    for (auto [process, name] : {std::pair{&a, u"a"_s}, std::pair{&b, u"b"_s}})
        process->start(u"sh"_s, {u"-c"_s, loop, QStringLiteral(TESSALY_PROGRAM), bank_.dir(), file,
                                 work_.filePath(name)});
    QVERIFY(a.waitForFinished(120000) && b.waitForFinished(120000));
    const QByteArray warnings = QByteArray(a.readAllStandardError()) + b.readAllStandardError();
    QVERIFY2(a.exitCode() == 0 && b.exitCode() == 0, warnings.constData());
    QVERIFY2(!warnings.contains("出卷记录"), warnings.constData());
    Result<std::unique_ptr<SheetHistory>> history = SheetHistory::open(file);
    QVERIFY(history.ok());
    QCOMPARE(history.value()->list().size(), 16);
}

void TestHistory::damagedHistoryNeverStopsASheet() {
    const QString file = work_.filePath(u"damaged.sqlite"_s);
    QByteArray garbage(4096, 'x');
    garbage.prepend("not a database at all");
    QFile damaged(file);
    QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write(garbage) == garbage.size());
    damaged.close();
    const QString sheet = work_.filePath(u"unrecorded.docx"_s);
    const Run run = generate({u"--count"_s, u"3"_s, u"--history"_s, file, u"--output"_s, sheet});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.err.contains(u"不记入出卷记录"_s), qPrintable(run.err));
    QVERIFY(!run.out.contains(u"卷号"_s));
    QVERIFY(QFile::exists(sheet));
    QVERIFY(damaged.open(QIODevice::ReadOnly));
    QCOMPARE(damaged.readAll(), garbage); // left for a look, not overwritten
}

namespace {

QStringList questionsOf(const docxreader::Document &doc) {
    QStringList questions;
    for (const QString &line : doc.texts())
        if (line.contains(u"、"_s))
            questions.append(line.section(u"、"_s, 1));
    return questions;
}

} // namespace

void TestHistory::freshQuestionsOverSeveralSheets() {
    TempBank bank;
    QStringList lines;
    for (int i = 1; i <= 10; ++i)
        lines.append(u"第%1道新题|1|1|0|%1"_s.arg(i));
    bank.writeLines(u"tk.txt"_s, lines);
    const QString file = work_.filePath(u"fresh.sqlite"_s);
    const auto sheet = [&](const QString &name, QString *err) {
        const Run run =
            generate({u"--bank-dir"_s, bank.dir(), u"--grade"_s, u"1"_s, u"--count"_s, u"4"_s,
                      u"--fresh-days"_s, u"7"_s, u"--history"_s, file, u"--output"_s, work_.filePath(name)});
        *err = run.err;
        if (run.status != 0)
            qFatal("generate failed: %s", qPrintable(run.err));
        return questionsOf(read(work_.filePath(name)));
    };
    QString err1, err2, err3;
    const QStringList first = sheet(u"fresh1.docx"_s, &err1);
    const QStringList second = sheet(u"fresh2.docx"_s, &err2);
    QCOMPARE(first.size(), 4);
    QCOMPARE(second.size(), 4);
    for (const QString &q : second)
        QVERIFY2(!first.contains(q), qPrintable(q));
    QVERIFY(!err2.contains(u"用过最久"_s));
    // Two fresh questions are left: they, and two of the first sheet's (the least recently used).
    const QStringList third = sheet(u"fresh3.docx"_s, &err3);
    QCOMPARE(third.size(), 4);
    int fromFirst = 0, fresh = 0;
    for (const QString &q : third) {
        QVERIFY(!second.contains(q));
        fromFirst += first.contains(q);
        fresh += !first.contains(q);
    }
    QCOMPARE(fresh, 2);
    QCOMPARE(fromFirst, 2);
    // The first sheet's questions were used at one time: those taken back are its first two in bank order.
    const auto bankOrder = [](QStringList questions) {
        std::sort(questions.begin(), questions.end(), [](const QString &a, const QString &b) {
            return a.section(u"道"_s, 0, 0).mid(1).toInt() < b.section(u"道"_s, 0, 0).mid(1).toInt();
        });
        return questions;
    };
    QStringList takenBack;
    for (const QString &q : third)
        if (first.contains(q))
            takenBack.append(q);
    QCOMPARE(bankOrder(takenBack), bankOrder(first).mid(0, 2));
    QVERIFY2(err3.contains(u"最近用过的题以外只有 2 道，另用了 2 道用过最久的题"_s), qPrintable(err3));
}

void TestHistory::batchOfDistinctSheets() {
    TempBank bank;
    QStringList lines;
    for (int i = 1; i <= 10; ++i)
        lines.append(u"批量第%1题|1|1|0|%1"_s.arg(i));
    bank.writeLines(u"tk.txt"_s, lines);
    const QString file = work_.filePath(u"batch.sqlite"_s);
    const auto batch = [&](int copies, QString *out, QString *err) {
        const Run run = generate({u"--bank-dir"_s, bank.dir(), u"--grade"_s, u"1"_s, u"--count"_s, u"3"_s,
                                  u"--copies"_s, QString::number(copies), u"--history"_s, file, u"--output"_s,
                                  work_.filePath(u"batch.docx"_s), u"--answer-key"_s,
                                  work_.filePath(u"batch-key.docx"_s)});
        *out = run.out;
        *err = run.err;
        return run.status;
    };
    QString out, err;
    QCOMPARE(batch(3, &out, &err), 0);
    QStringList seen;
    for (int k = 1; k <= 3; ++k) {
        const QStringList questions = questionsOf(read(work_.filePath(u"batch-%1.docx"_s.arg(k))));
        QCOMPARE(questions.size(), 3);
        for (const QString &q : questions)
            QVERIFY2(!seen.contains(q), qPrintable(q)); // no question shared between the sheets
        seen += questions;
        QVERIFY(QFile::exists(work_.filePath(u"batch-key-%1.docx"_s.arg(k))));
    }
    QCOMPARE(QRegularExpression(u"卷号 (\\S{4}-\\S{2})"_s).globalMatch(out).hasNext(), true);
    QVERIFY(err.contains(u"正在出第 3/3 份"_s));
    Result<std::unique_ptr<SheetHistory>> history = SheetHistory::open(file);
    QCOMPARE(history.value()->list().size(), 3);

    // In one file: three sheets, each on a page of its own (a new section per heading), codes on each.
    const Run one = generate({u"--bank-dir"_s, bank.dir(), u"--grade"_s, u"1"_s, u"--count"_s, u"3"_s,
                              u"--copies"_s, u"3"_s, u"--one-file"_s, u"--history"_s, file, u"--output"_s,
                              work_.filePath(u"all.docx"_s)});
    QVERIFY2(one.status == 0, qPrintable(one.err));
    const docxreader::Document all = read(work_.filePath(u"all.docx"_s));
    const QStringList allQuestions = questionsOf(all);
    QCOMPARE(allQuestions.size(), 9);
    QCOMPARE(QSet<QString>(allQuestions.begin(), allQuestions.end()).size(), 9);
    int titles = 0;
    for (const QString &line : all.texts())
        titles += line.startsWith(u"Tessaly练习"_s) && line.contains(u"卷号"_s);
    QCOMPARE(titles, 3);
    QCOMPARE(all.sections.size(), 6);          // heading and questions, three times
    QCOMPARE(all.sections[2].type, QString()); // the second sheet's heading starts a new page
    QCOMPARE(all.sections[3].type, u"continuous"_s);
    QVERIFY(!QFile::exists(work_.filePath(u"all-1.docx"_s)));

    // Four sheets of three from ten questions: the fourth cannot be distinct, and says so.
    QString out4, err4;
    QCOMPARE(batch(4, &out4, &err4), 0);
    QVERIFY2(err4.contains(u"第 4 份只有 1 道题与前面各份"_s), qPrintable(err4));
}

// A sheet of 5,001 questions: three batches, the caller's events twice between them, every item kept
// in its place.
void TestHistory::longSheetRecordedInBatchesWithEventsBetween() {
    Result<std::unique_ptr<SheetHistory>> history = SheetHistory::open(work_.filePath(u"long.sqlite"_s));
    QVERIFY(history.ok());
    DrawnSheet drawn;
    for (int i = 0; i < 5001; ++i)
        drawn.items.append({u"第%1题"_s.arg(i), 1, u"答%1"_s.arg(i), u"1"_s});
    RecordedSheet sheet = sheetrecord::fromSheet(drawn, SheetRequest{}, bank_.dir());
    int idles = 0;
    const Result<QString> code = history.value()->record(sheet, [&idles] { ++idles; });
    QVERIFY2(code.ok(), qPrintable(code.error()));
    QCOMPARE(idles, 2);
    const std::optional<RecordedSheet> back = history.value()->find(code.value());
    QVERIFY(back.has_value());
    QCOMPARE(back->questions.size(), 5001);
    QCOMPARE(back->questions.at(4000), u"第4000题"_s);
    QCOMPARE(back->answers.at(5000), u"答5000"_s);
}

// A history written by the version before keys: opened, it gains a key for every item it holds, and
// the fresh look-up finds its questions.
void TestHistory::historyOfTheEarlierFormatIsBroughtUpToDate() {
    const QString path = work_.filePath(u"format1.sqlite"_s);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"format1"_s);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        for (const QString &statement :
             {u"CREATE TABLE sheets (id INTEGER PRIMARY KEY, code TEXT NOT NULL UNIQUE, created TEXT NOT "
              u"NULL, "
              u"grade INTEGER NOT NULL, mode TEXT NOT NULL, topics TEXT NOT NULL, quantity INTEGER NOT NULL, "
              u"repeats INTEGER NOT NULL, settings TEXT NOT NULL, bank_stamp TEXT NOT NULL)"_s,
              u"CREATE TABLE items (sheet_id INTEGER NOT NULL REFERENCES sheets(id), position INTEGER NOT "
              u"NULL, "
              u"question TEXT NOT NULL, topic_code TEXT NOT NULL, answer TEXT NOT NULL, difficulty TEXT NOT "
              u"NULL, "
              u"PRIMARY KEY (sheet_id, position))"_s,
              u"CREATE INDEX sheets_created ON sheets(created)"_s,
              u"INSERT INTO sheets VALUES (1, 'ABCD-EF', '%1', 3, '列式计算', '1', 2, 0, '', '')"_s.arg(
                  QDateTime::currentDateTimeUtc().addDays(-1).toString(Qt::ISODateWithMs)),
              u"INSERT INTO items VALUES (1, 0, '早先的 题', '1', '1', '0')"_s,
              u"INSERT INTO items VALUES (1, 1, '另一道题', '1', '2', '1')"_s, u"PRAGMA user_version = 1"_s})
            QVERIFY2(q.exec(statement), qPrintable(q.lastError().text()));
        db.close();
    }
    QSqlDatabase::removeDatabase(u"format1"_s);
    Result<std::unique_ptr<SheetHistory>> history = SheetHistory::open(path);
    QVERIFY2(history.ok(), qPrintable(history.error()));
    const QHash<quint64, qint64> used = history.value()->usedSince(QDateTime::currentDateTime().addDays(-7));
    QCOMPARE(used.size(), 2);
    QVERIFY(used.contains(textnormal::spacelessKey(u"早先的题"_s)));
    QVERIFY(used.contains(textnormal::spacelessKey(u"另一道题"_s)));
    QVERIFY(history.value()->find(u"ABCD-EF"_s).has_value());
}

void TestHistory::keyOfATemplateSheetKeepsItsNumbers() {
    TempBank bank;
    bank.writeLines(u"tk.txt"_s,
                    {u"小明有{a=2..99}元，又得{b=2..99}元，一共多少元？|1|1|0|{a}＋{b}＝{a+b}（元）"_s});
    const QString file = work_.filePath(u"templates.sqlite"_s);
    const QString sheet = work_.filePath(u"templates.docx"_s), key = work_.filePath(u"templates-key.docx"_s);
    const Result<GenerateOptions> options =
        GenerateOptions::parse({u"--bank-dir"_s, bank.dir(), u"--grade"_s, u"1"_s, u"--count"_s, u"6"_s,
                                u"--history"_s, file, u"--output"_s, sheet, u"--answer-key"_s, key},
                               UserFiles::inFolder(bank.dir()));
    QVERIFY(options.ok());
    QString out, err;
    QTextStream o(&out), e(&err);
    QCOMPARE(runGenerate(options.value(), o, e), 0);
    const QString code = QRegularExpression(u"卷号 (\\S{4}-\\S{2})"_s).match(out).captured(1);
    QVERIFY(sheetcode::parse(code));
    const QStringList texts = read(key).texts();
    QCOMPARE(std::count_if(texts.begin(), texts.end(),
                           [](const QString &t) { return t.contains(u"又得"_s) && !t.contains(u'{'); }),
             6);

    // Drawn again, the template would give other numbers; the key of the code gives the sheet's own.
    const QString later = work_.filePath(u"templates-key-later.docx"_s);
    QCOMPARE(runKeyCommand({code, u"--history"_s, file, u"--bank-dir"_s, bank.dir(), u"--output"_s, later},
                           UserFiles::inFolder(bank.dir()), true, o, e),
             0);
    QCOMPARE(read(later).texts(), texts);
}

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
