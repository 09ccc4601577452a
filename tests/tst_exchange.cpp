// SPDX-License-Identifier: GPL-3.0-or-later
// Banks in and out of the files teachers keep them in: the export to CSV and .xlsx, read back by the
// import, and spreadsheets and documents that LibreOffice itself made, read through its filters.
#include "app/AddCommand.h"
#include "app/ExportCommand.h"
#include "bank/BankRecord.h"
#include "bank/BankText.h"
#include "common/BankFileNames.h"
#include "documents/OfficeModule.h"
#include "documents/office/OfficeConnection.h"
#include "documents/office/OfficeEntry.h"
#include "documents/office/OfficeTable.h"
#include "editor/BankExport.h"
#include "editor/CsvRows.h"
#include "editor/EditorEntry.h"
#include "editor/QuestionImport.h"
#include "support/FullDisk.h"
#include "support/UnoReadBack.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestExchange : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void everyLineOfTheSampleComesBack();
    void exportChooses_data();
    void exportChooses();
    void exportRefuses_data();
    void exportRefuses();
    void exportOnAFullDiskKeepsTheOldFile();
    void filesOfTheOffice_data();
    void filesOfTheOffice();
    void commandImportsAWorkbookAsItImportsTheCsv();
    void filesTheOfficeCannotGiveATableOf_data();
    void filesTheOfficeCannotGiveATableOf();

private:
    struct Run {
        int status = 0;
        QString out, err;
    };
    Run exportBank(const QStringList &arguments);
    Run add(const QStringList &arguments);
    OfficeOptions officeOptions() const;
    QString lines(const QString &bankDir) const;

    QTemporaryDir work_;
    QString bank_; // the sample bank's folder
    UserFiles files_;
    std::shared_ptr<OfficeConnection> office_;
    QString pipe_;
};

TestExchange::Run TestExchange::exportBank(const QStringList &arguments) {
    Run run;
    QTextStream out(&run.out), err(&run.err);
    run.status = runExportCommand(arguments, files_, out, err);
    return run;
}

TestExchange::Run TestExchange::add(const QStringList &arguments) {
    Run run;
    QTextStream out(&run.out), err(&run.err);
    run.status = runAddCommand(arguments, files_, out, err);
    return run;
}

OfficeOptions TestExchange::officeOptions() const {
    OfficeOptions o;
    o.pipeName = pipe_;
    o.headless = true;
    o.profileDir = work_.filePath(u"profile"_s);
    return o;
}

QString TestExchange::lines(const QString &bankDir) const {
    const Result<QString> text = banktext::readFile(bankfiles::userBankPath(bankDir));
    return text ? text.value() : u"(unreadable) "_s + text.error();
}

void TestExchange::initTestCase() {
    bank_ = work_.filePath(u"bank"_s);
    QVERIFY(QDir().mkpath(bank_));
    QVERIFY(QFile::copy(QStringLiteral(TESSALY_SAMPLE_BANK), bank_ + u"/tk.txt"_s));
    files_ = UserFiles::inFolder(bank_);
    // The office linked into this test, as the module would give it.
    officemodule::useLinked(officeentry::linked());
    if (QStandardPaths::findExecutable(u"soffice"_s).isEmpty())
        return; // the tests that need it skip
    pipe_ = u"tessaly_exchange_%1"_s.arg(QCoreApplication::applicationPid());
    Result<std::shared_ptr<OfficeConnection>> office = OfficeConnection::connect(officeOptions());
    QVERIFY2(office.ok(), qPrintable(office.error()));
    office_ = office.value();
    qputenv("TESSALY_OFFICE_PIPE", pipe_.toUtf8());
    qputenv("TESSALY_OFFICE_PROFILE", work_.filePath(u"profile"_s).toUtf8());
}

void TestExchange::cleanupTestCase() {
    if (office_)
        office_->endOfficeIfStartedHere();
}

// The whole sample bank out to CSV and back through the import: every line gives the question, steps,
// grade, topic code and difficulty it had (the names in the table map back to the codes), templates too.
void TestExchange::everyLineOfTheSampleComesBack() {
    const QString csv = work_.filePath(u"sample.csv"_s);
    const Run exported = exportBank({u"--output"_s, csv});
    QCOMPARE(exported.status, 0);
    QVERIFY2(exported.out.contains(u"已把 521 道题导出到"_s), qPrintable(exported.out));

    const Result<questionimport::Outcome> imported = questionimport::read(csv);
    QVERIFY2(imported.ok(), qPrintable(imported.error()));
    QVERIFY2(imported.value().problems.isEmpty(), qPrintable(imported.value().problems.join(u'\n')));
    const Result<QString> original = banktext::readFile(bank_ + u"/tk.txt"_s);
    QVERIFY(original.ok());
    const QStringList originalLines = original.value().split(u"\r\n"_s, Qt::SkipEmptyParts);
    QCOMPARE(imported.value().questions.size(), originalLines.size());
    for (qsizetype i = 0; i < originalLines.size(); ++i) {
        // The editor's line ends in "##"; the sample's lines do not: that mark is all that differs.
        const QString again = editorentry::recordLine(imported.value().questions[i]);
        QCOMPARE(again, originalLines[i] + u"##"_s);
    }
}

void TestExchange::exportChooses_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("grade");     // every row's grade code, or -1 for any
    QTest::addColumn<int>("topic");     // every row's topic code, or -1 for any
    QTest::addColumn<bool>("olympiad"); // every row in the olympiad list (when topic or mode is set)
    QTest::newRow("a grade by name") << QStringList{u"--grade"_s, u"三年级"_s} << 3 << -1 << false;
    QTest::newRow("a grade by number") << QStringList{u"--grade"_s, u"6"_s} << 6 << -1 << false;
    QTest::newRow("a textbook topic by number") << QStringList{u"--topic"_s, u"1"_s} << -1 << 1 << false;
    QTest::newRow("an olympiad topic")
        << QStringList{u"--mode"_s, u"奥数"_s, u"--topic"_s, u"3"_s} << -1 << 43 << true;
    QTest::newRow("grade and mode") << QStringList{u"--grade"_s, u"2"_s, u"--mode"_s, u"olympiad"_s} << 2
                                    << -1 << true;
}

// What a filter keeps is exactly the bank's lines of that grade, topic or list, counted from the file.
void TestExchange::exportChooses() {
    QFETCH(QStringList, options);
    QFETCH(int, grade);
    QFETCH(int, topic);
    QFETCH(bool, olympiad);
    const QString csv = work_.filePath(u"chosen.csv"_s);
    const Run run = exportBank(QStringList{u"--output"_s, csv} + options);
    QCOMPARE(run.status, 0);

    const Result<QString> original = banktext::readFile(bank_ + u"/tk.txt"_s);
    QVERIFY(original.ok());
    const bool byList = options.contains(u"--mode"_s);
    int expected = 0;
    for (const QString &line : original.value().split(u"\r\n"_s, Qt::SkipEmptyParts)) {
        const BankRecord r = bankrecord::parse(line);
        const bool inOlympiad = r.topicCode == 99 || (r.topicCode > 40 && r.topicCode <= 80);
        if ((grade < 0 || r.grade == grade) && (topic < 0 || r.topicCode == topic) &&
            (!byList || inOlympiad == olympiad))
            ++expected;
    }
    QVERIFY(expected > 0);
    QVERIFY2(run.out.contains(u"已把 %1 道题导出到"_s.arg(expected)), qPrintable(run.out));

    const Result<questionimport::Outcome> imported = questionimport::read(csv);
    QVERIFY(imported.ok());
    QCOMPARE(imported.value().questions.size(), expected);
    for (const editorentry::NewQuestion &q : imported.value().questions) {
        if (grade >= 0)
            QCOMPARE(q.grade, grade);
        if (topic >= 0 || byList)
            QCOMPARE(q.olympiad, olympiad);
        if (topic >= 0)
            QCOMPARE(editorentry::topicCode(q.olympiad, q.slot), topic);
    }
}

void TestExchange::exportRefuses_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("no output") << QStringList{} << 2 << u"缺少 --output FILE"_s;
    QTest::newRow("an unknown format")
        << QStringList{u"--output"_s, u"bank.txt"_s} << 2 << u"--format：“txt”无效，应为 csv 或 xlsx"_s;
    QTest::newRow("a grade of none") << QStringList{u"--output"_s, u"b.csv"_s, u"--grade"_s, u"七年级"_s} << 2
                                     << u"--grade：“七年级”无效"_s;
    QTest::newRow("a topic of none") << QStringList{u"--output"_s, u"b.csv"_s, u"--topic"_s, u"41"_s} << 2
                                     << u"--topic：“41”无效"_s;
    QTest::newRow("own questions, none yet")
        << QStringList{u"--output"_s, u"b.csv"_s, u"--own"_s} << 1 << u"没有符合条件的题目，没有写入文件。"_s;
}

void TestExchange::exportRefuses() {
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(QString, message);
    QDir::setCurrent(work_.path());
    const Run run = exportBank(options);
    QCOMPARE(run.status, status);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(!QFile::exists(work_.filePath(u"b.csv"_s)));
}

void TestExchange::exportOnAFullDiskKeepsTheOldFile() {
    FullDisk disk(256);
    if (!disk.available())
        QSKIP("mounting a small file system needs root");
    const QString target = disk.path(u"bank.xlsx"_s);
    QVERIFY(exportBank({u"--output"_s, target, u"--grade"_s, u"1"_s}).status == 0);
    QFile before(target);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray old = before.readAll();
    before.close();
    QVERIFY(disk.fill(u"filler"_s, 4096));
    const Run run = exportBank({u"--output"_s, target, u"--format"_s, u"csv"_s});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(u"没有导出"_s) && run.err.contains(u"磁盘"_s), qPrintable(run.err));
    QFile after(target);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), old);
    QCOMPARE(disk.entries(), QStringList{u"bank.xlsx"_s});
}

void TestExchange::filesOfTheOffice_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("outFilter"); // empty: our own export, no conversion
    QTest::addColumn<bool>("document");     // made from an HTML table by Writer, not from the CSV by Calc
    QTest::newRow("our .xlsx") << u"ours.xlsx"_s << QString() << false;
    QTest::newRow("Excel 2007-365 by Calc") << u"calc.xlsx"_s << u"Calc MS Excel 2007 XML"_s << false;
    QTest::newRow("Excel 97-2003 by Calc") << u"calc.xls"_s << u"MS Excel 97"_s << false;
    QTest::newRow("OpenDocument spreadsheet") << u"calc.ods"_s << u"calc8"_s << false;
    QTest::newRow("Word 2007-365 table by Writer") << u"writer.docx"_s << u"MS Word 2007 XML"_s << true;
    QTest::newRow("OpenDocument text table") << u"writer.odt"_s << u"writer8"_s << true;
}

// Each file read through the office gives the cells of the CSV it was made from, row for row, and the
// same questions as the CSV's import.
void TestExchange::filesOfTheOffice() {
    if (!office_)
        QSKIP("LibreOffice (soffice) is not installed");
    QFETCH(QString, name);
    QFETCH(QString, outFilter);
    QFETCH(bool, document);
    const QString csv = work_.filePath(u"grade2.csv"_s);
    QCOMPARE(exportBank({u"--output"_s, csv, u"--grade"_s, u"2"_s}).status, 0);
    QFile csvFile(csv);
    QVERIFY(csvFile.open(QIODevice::ReadOnly));
    const Result<QList<QStringList>> cells = csvrows::parse(csvFile.readAll());
    QVERIFY(cells.ok());

    const QString path = work_.filePath(name);
    QString error;
    if (outFilter.isEmpty()) {
        QCOMPARE(exportBank({u"--output"_s, path, u"--grade"_s, u"2"_s}).status, 0);
    } else if (!document) {
        // Comma, double quote, UTF-8 (76), from the first line: how a teacher opens the exported CSV.
        QVERIFY2(unoreadback::convert(*office_, csv, u"Text - txt - csv (StarCalc)"_s, u"44,34,76,1"_s, path,
                                      outFilter, &error),
                 qPrintable(error));
    } else {
        QString html = u"<html><head><meta charset=\"utf-8\"></head><body><p>二年级题库</p><table>"_s;
        for (const QStringList &row : cells.value()) {
            html += u"<tr>"_s;
            for (const QString &cell : row)
                html += u"<td>"_s + cell.toHtmlEscaped() + u"</td>"_s;
            html += u"</tr>"_s;
        }
        html += u"</table><p>后面的文字</p><table><tr><td>第二个表格</td></tr></table></body></html>"_s;
        const QString htmlPath = work_.filePath(u"table.html"_s);
        QFile out(htmlPath);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(html.toUtf8());
        out.close();
        QVERIFY2(unoreadback::convert(*office_, htmlPath, u"HTML (StarWriter)"_s, QString(), path, outFilter,
                                      &error),
                 qPrintable(error));
    }

    const Result<QList<QStringList>> table = officetable::read(officeOptions(), path);
    QVERIFY2(table.ok(), qPrintable(table.error()));
    QCOMPARE(table.value().size(), cells.value().size());
    for (qsizetype r = 0; r < cells.value().size(); ++r)
        QCOMPARE(table.value()[r], cells.value()[r]);

    const Result<questionimport::Outcome> fromOffice = questionimport::fromRows(table.value());
    const Result<questionimport::Outcome> fromCsv = questionimport::read(csv);
    QVERIFY(fromOffice.ok() && fromCsv.ok());
    QVERIFY(fromOffice.value().problems.isEmpty());
    QCOMPARE(fromOffice.value().questions.size(), fromCsv.value().questions.size());
    for (qsizetype i = 0; i < fromCsv.value().questions.size(); ++i)
        QCOMPARE(editorentry::recordLine(fromOffice.value().questions[i]),
                 editorentry::recordLine(fromCsv.value().questions[i]));
    QVERIFY(office_->startedProcess() > 0); // the test's office, which a reading never ends
}

// The command as a teacher runs it: a workbook gives zbtk.txt the very lines the CSV gives.
void TestExchange::commandImportsAWorkbookAsItImportsTheCsv() {
    if (!office_)
        QSKIP("LibreOffice (soffice) is not installed");
    const QString csv = work_.filePath(u"olympiad.csv"_s), xlsx = work_.filePath(u"olympiad.xlsx"_s);
    QCOMPARE(exportBank({u"--output"_s, csv, u"--mode"_s, u"奥数"_s}).status, 0);
    QString error;
    QVERIFY2(unoreadback::convert(*office_, csv, u"Text - txt - csv (StarCalc)"_s, u"44,34,76,1"_s, xlsx,
                                  u"Calc MS Excel 2007 XML"_s, &error),
             qPrintable(error));
    const QString byCsv = work_.filePath(u"by-csv"_s), byXlsx = work_.filePath(u"by-xlsx"_s);
    QVERIFY(QDir().mkpath(byCsv) && QDir().mkpath(byXlsx));
    const Run fromCsv = add({u"--from"_s, csv, u"--bank-dir"_s, byCsv});
    const Run fromXlsx = add({u"--from"_s, xlsx, u"--bank-dir"_s, byXlsx});
    QVERIFY2(fromCsv.status == 0, qPrintable(fromCsv.err));
    QVERIFY2(fromXlsx.status == 0, qPrintable(fromXlsx.err));
    QCOMPARE(fromXlsx.out.section(u' ', 0, 1), fromCsv.out.section(u' ', 0, 1));
    QCOMPARE(lines(byXlsx), lines(byCsv));
    QVERIFY(lines(byXlsx).count(u"##"_s) > 10);
}

void TestExchange::filesTheOfficeCannotGiveATableOf_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // empty: no file
    QTest::addColumn<QString>("message");
    QTest::newRow("no such file") << u"gone.xlsx"_s << QByteArray() << u"文件不存在或不能读"_s;
    QTest::newRow("a document without a table")
        << u"letter.html.odt"_s << QByteArray("<p>no table</p>") << u"文档里没有表格"_s;
    QTest::newRow("a spreadsheet header without the columns")
        << u"other.ods"_s << QByteArray("姓名,班级\n张三,1\n") << u"第1行（表头）缺少这些列"_s;
}

// Nothing is written to zbtk.txt, and the teacher reads why.
void TestExchange::filesTheOfficeCannotGiveATableOf() {
    if (!office_)
        QSKIP("LibreOffice (soffice) is not installed");
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    const QString path = work_.filePath(name);
    if (!content.isEmpty()) {
        const bool text = name.endsWith(u".odt"_s);
        const QString source = work_.filePath(text ? u"source.html"_s : u"source.csv"_s);
        QFile out(source);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(text ? "<html><head><meta charset=\"utf-8\"></head><body>" + content + "</body></html>"
                       : content);
        out.close();
        QString error;
        QVERIFY2(text ? unoreadback::convert(*office_, source, u"HTML (StarWriter)"_s, QString(), path,
                                             u"writer8"_s, &error)
                      : unoreadback::convert(*office_, source, u"Text - txt - csv (StarCalc)"_s,
                                             u"44,34,76,1"_s, path, u"calc8"_s, &error),
                 qPrintable(error));
    }
    const QString into = work_.filePath(u"refused-"_s + name);
    QVERIFY(QDir().mkpath(into));
    const Run run = add({u"--from"_s, path, u"--bank-dir"_s, into});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(u"没有导入任何题目"_s) && run.err.contains(message), qPrintable(run.err));
    QVERIFY(!QFile::exists(bankfiles::userBankPath(into)));
}

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
