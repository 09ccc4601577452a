// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/DocxPackage.h"
#include "documents/DocxTarget.h"
#include "documents/FallbackDelivery.h"
#include "generation/DocumentWriter.h"
#include "support/DocxReader.h"
#include "support/RecordingTarget.h"
#include "support/ScriptedHost.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestDocx : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void packageParts();
    void zipReadBack_data();
    void zipReadBack();
    void formatting_data();
    void formatting();
    void paragraphsMatchTheWriter_data();
    void paragraphsMatchTheWriter();
    void halfPointSizes();
    void aCopyKeepsWhatItWasGiven();
    void sheetsOnOddPages_data();
    void sheetsOnOddPages();
    void everySheetCarriesItsQrCode();
    void documentsFolderSaveLetsTheWindowRun();
    void missingFolderLeavesNothing();
    void failedWriteKeepsWhatWasThere();
    void libreOfficeReadsTheText();
    void textThatXmlCannotHold_data();
    void textThatXmlCannotHold();
};

namespace {

DrawnSheet sampleSheet() {
    DrawnSheet sheet;
    sheet.items = {{u"小明有7元钱，又得2元，共有多少元？"_s, 1, u"7＋2＝9（元）"_s, u"3"_s},
                   {u"填一填：3＋()＝5"_s, 1, u"2"_s, u"0"_s}};
    return sheet;
}

// The sample sheet written by the writer, as its worksheet ("0") or its answers ("1").
void writeSample(ScriptedHost &host, DocumentTarget &target, const QString &answerFlag) {
    host.settings().layout.fontSize = 14;
    host.settings().layout.fontName = u"楷体"_s;
    host.settings().answers = answerFlag == u"1"_s;
    DocumentWriter::write(host, target, host.settings(), sampleSheet(), host.todayText());
}

docxreader::Document written(DocxTarget &target) {
    const Result<QByteArray> package = target.package();
    if (!package)
        qFatal("no package");
    const std::optional<QByteArray> xml = docxreader::part(package.value(), u"word/document.xml"_s);
    if (!xml)
        qFatal("no document part");
    const std::optional<docxreader::Document> doc = docxreader::parse(*xml);
    if (!doc)
        qFatal("document part is no well-formed XML");
    return *doc;
}

QStringList recordedParagraphs(const QString &answerFlag, const QString &today) {
    ScriptedHost host;
    host.setToday(today);
    RecordingTarget target;
    writeSample(host, target, answerFlag);
    return target.paragraphs();
}

} // namespace

// The package writer's archives, read by libzip and by Info-ZIP's own test: every part's bytes back,
// names in UTF-8, an empty part, one that does not compress.
void TestDocx::zipReadBack_data() {
    QTest::addColumn<QList<docxpackage::Part>>("parts");
    QByteArray noise(200000, Qt::Uninitialized);
    std::uint32_t x = 12345;
    for (char &c : noise) {
        x = x * 1664525u + 1013904223u;
        c = static_cast<char>(x >> 24);
    }
    QTest::newRow("xml parts") << QList<docxpackage::Part>{{u"[Content_Types].xml"_s, QByteArray("<Types/>")},
                                                           {u"word/document.xml"_s, QByteArray(50000, 'w')}};
    QTest::newRow("empty part, chinese name")
        << QList<docxpackage::Part>{{u"空.txt"_s, QByteArray()}, {u"题库/试卷.xml"_s, u"小明"_s.toUtf8()}};
    QTest::newRow("bytes that do not compress") << QList<docxpackage::Part>{{u"noise.bin"_s, noise}};
    QTest::newRow("no parts") << QList<docxpackage::Part>{};
}

void TestDocx::zipReadBack() {
    QFETCH(QList<docxpackage::Part>, parts);
    const Result<QByteArray> zipped = docxpackage::zip(parts);
    QVERIFY2(zipped.ok(), qPrintable(zipped.error()));
    QStringList names;
    for (const docxpackage::Part &p : parts) {
        names.append(p.first);
        QCOMPARE(docxreader::part(zipped.value(), p.first), std::optional<QByteArray>(p.second));
    }
    if (!parts.isEmpty())
        QCOMPARE(docxreader::partNames(zipped.value()), std::optional<QStringList>(names));
    QTemporaryDir dir;
    QFile file(dir.filePath(u"p.zip"_s));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(zipped.value()) == zipped.value().size());
    file.close();
    QProcess unzip;
    unzip.start(u"unzip"_s, {u"-tq"_s, file.fileName()});
    QVERIFY(unzip.waitForFinished(30000));
    // unzip says of an archive of no entries that it is empty (1), of a sound one nothing (0).
    QCOMPARE(unzip.exitCode(), parts.isEmpty() ? 1 : 0);
}

void TestDocx::packageParts() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"sheet.docx"_s);
    ScriptedHost host;
    DocxTarget target;
    writeSample(host, target, u"0"_s);
    const Status saved = target.saveTo(path);
    QVERIFY2(saved, qPrintable(saved.error()));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray package = file.readAll();
    const std::optional<QStringList> names = docxreader::partNames(package);
    QVERIFY(names.has_value());
    QCOMPARE(*names, (QStringList{u"[Content_Types].xml"_s, u"_rels/.rels"_s, u"word/document.xml"_s}));
    const QByteArray types = docxreader::part(package, u"[Content_Types].xml"_s).value_or(QByteArray());
    QVERIFY(types.contains("wordprocessingml.document.main+xml"));
    QVERIFY(docxreader::part(package, u"_rels/.rels"_s).value_or(QByteArray()).contains("word/document.xml"));
    // Nothing but the document is left in the folder: the temporary file was renamed.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"sheet.docx"_s});
}

void TestDocx::formatting_data() {
    QTest::addColumn<QString>("answerFlag");
    QTest::newRow("worksheet") << u"0"_s;
    QTest::newRow("answers") << u"1"_s;
}

void TestDocx::formatting() {
    QFETCH(QString, answerFlag);
    ScriptedHost host;
    host.setToday(u"2026/12/7"_s);
    DocxTarget target; // only read in memory
    writeSample(host, target, answerFlag);
    const docxreader::Document doc = written(target);
    const bool answers = answerFlag == u"1"_s;

    QCOMPARE(doc.margins, QStringList(4, u"1000"_s)); // 50 points
    const docxreader::Paragraph &title = doc.paragraphs.at(0);
    QCOMPARE(title.alignment, u"center"_s);
    QCOMPARE(title.runs.size(), 2);
    QCOMPARE(title.runs[0].text, answers ? u"Tessaly练习(答案)"_s : u"Tessaly练习"_s);
    QVERIFY(title.runs[0].bold);
    QCOMPARE(title.runs[0].font, u"黑体"_s);
    QCOMPARE(title.runs[0].latin, u"黑体"_s);
    QCOMPARE(title.runs[0].halfPoints, 44);
    QCOMPARE(title.runs[1].text, u"    2026/12/7"_s);
    QCOMPARE(title.runs[1].halfPoints, 24);

    // The empty centred line after the title is 12 point.
    QCOMPARE(doc.paragraphs.at(1).alignment, u"center"_s);
    QVERIFY(doc.paragraphs.at(1).runs.isEmpty());
    QCOMPARE(doc.paragraphs.at(1).markHalfPoints, 24);

    const docxreader::Paragraph &nameLine = doc.paragraphs.at(2);
    QCOMPARE(nameLine.alignment, u"center"_s);
    if (answers) {
        QVERIFY(nameLine.runs.isEmpty());
    } else {
        QCOMPARE(nameLine.text(), DocumentWriter::nameLine());
        QVERIFY(!nameLine.runs[0].bold);
        QCOMPARE(nameLine.runs[0].font, u"宋体"_s);
        QCOMPARE(nameLine.runs[0].halfPoints, 24);
    }
    QCOMPARE(doc.paragraphs.at(3).alignment, u"center"_s);

    const docxreader::Paragraph &question = doc.paragraphs.at(4);
    QCOMPARE(question.alignment, u"left"_s);
    // Two blank lines after each question, in its own paragraph.
    QCOMPARE(question.text(),
             answers ? u"[★★★]1、小明有7元钱，又得2元，共有多少元？　　（答案：7＋2＝9（元））\n\n"_s
                     : u"[★★★]1、小明有7元钱，又得2元，共有多少元？\n\n"_s);
    for (const docxreader::Run &run : question.runs) {
        QCOMPARE(run.font, u"楷体"_s);
        QCOMPARE(run.halfPoints, 28);
        QVERIFY(!run.bold);
    }
    QCOMPARE(question.markHalfPoints, 28);
    // The write-in blank: its brackets, with the room of eight half-em spaces after the first as
    // character spacing (14 point: 8 × 7 point = 1,120 twips), so no line can end inside it.
    const docxreader::Paragraph &second = doc.paragraphs.at(5);
    QVERIFY2(second.text().startsWith(u"2、填一填：3＋()＝5"_s), qPrintable(second.text()));
    QVERIFY(target.documentXml().contains("<w:spacing w:val=\"1120\"/>"));
}

void TestDocx::paragraphsMatchTheWriter_data() {
    formatting_data();
}

void TestDocx::paragraphsMatchTheWriter() {
    QFETCH(QString, answerFlag);
    ScriptedHost host;
    host.setToday(u"7/12/26"_s);
    DocxTarget target; // only read in memory
    writeSample(host, target, answerFlag);
    QCOMPARE(written(target).texts(), recordedParagraphs(answerFlag, u"7/12/26"_s));
}

void TestDocx::halfPointSizes() {
    DocxTarget target; // only read in memory
    target.setFontSize(10.5);
    target.typeText(u"a"_s);
    target.setFontSize(11.3); // rounds to the nearest half point
    target.typeText(u"b"_s);
    const docxreader::Document doc = written(target);
    QCOMPARE(doc.paragraphs.at(0).runs.at(0).halfPoints, 21);
    QCOMPARE(doc.paragraphs.at(0).runs.at(1).halfPoints, 23);
}

void TestDocx::sheetsOnOddPages_data() {
    QTest::addColumn<bool>("odd");
    QTest::addColumn<int>("columns");
    QTest::newRow("one-sided") << false << 2;
    QTest::newRow("two-sided, two columns") << true << 2;
    QTest::newRow("two-sided, one column") << true << 1;
}

// Three sheets in one file: for two-sided printing the second and third open with a section that starts
// on an odd page, the first and the questions' continuous sections as before.
void TestDocx::sheetsOnOddPages() {
    QFETCH(bool, odd);
    QFETCH(int, columns);
    ScriptedHost host;
    host.settings().layout.columns = columns;
    DocxTarget target;
    target.setSheetsOnOddPages(odd);
    for (int sheet = 0; sheet < 3; ++sheet) {
        if (sheet > 0)
            target.nextSheet();
        DocumentWriter::write(host, target, host.settings(), sampleSheet(), u"2026/12/9"_s);
    }
    const QByteArray xml = target.documentXml();
    QCOMPARE(xml.count("w:val=\"oddPage\""), odd ? 2 : 0);
    if (odd) // not before the first sheet's questions
        QVERIFY(xml.indexOf("oddPage") > xml.indexOf("填一填"));
}

void TestDocx::everySheetCarriesItsQrCode() {
    // A batch in one file: each coded sheet its own picture, the key and an uncoded sheet none.
    ScriptedHost host;
    DocxTarget target;
    DrawnSheet sheet = sampleSheet();
    const QStringList codes{u"K7Q2-9F"_s, QString(), u"ABCD-EF"_s};
    for (qsizetype k = 0; k < codes.size(); ++k) {
        if (k > 0)
            target.nextSheet();
        sheet.code = codes[k];
        DocumentWriter::write(host, target, host.settings(), sheet, u"2026/12/9"_s);
    }
    target.nextSheet();
    SheetRequest key = host.settings();
    key.answers = true;
    DocumentWriter::write(host, target, key, sheet, u"2026/12/9"_s);
    const Result<QByteArray> package = target.package();
    QVERIFY(package.ok());
    const QStringList names = docxreader::partNames(package.value()).value_or(QStringList());
    QVERIFY(names.contains(u"word/media/qr1.png"_s) && names.contains(u"word/media/qr2.png"_s));
    QVERIFY(!names.contains(u"word/media/qr3.png"_s));
    QVERIFY(
        docxreader::part(package.value(), u"word/media/qr1.png"_s).value().startsWith("\x89PNG\r\n\x1a\n"));
    const QByteArray xml = target.documentXml();
    QCOMPARE(xml.count("<wp:anchor"), 2);
    QVERIFY(xml.indexOf("rIdQr2") > xml.indexOf("rIdQr1"));
    const QByteArray rels = docxreader::part(package.value(), u"word/_rels/document.xml.rels"_s).value();
    QVERIFY(rels.contains("Id=\"rIdQr2\"") && rels.contains("Target=\"media/qr2.png\""));
    QVERIFY(docxreader::part(package.value(), u"[Content_Types].xml"_s).value().contains("image/png"));
    // Asked for none: none.
    DocxTarget plain;
    host.settings().layout.qrCode = false;
    DocumentWriter::write(host, plain, host.settings(), sheet, u"2026/12/9"_s);
    QVERIFY(!plain.documentXml().contains("<wp:anchor"));
}

// A delivery works on a copy aside while the writer may go on: the two never see each other's changes.
void TestDocx::aCopyKeepsWhatItWasGiven() {
    ScriptedHost host;
    DocxTarget target;
    writeSample(host, target, u"0"_s);
    const QByteArray before = target.documentXml();
    const DocxTarget copy = target;
    target.typeText(u"之后写的"_s);
    target.endParagraph();
    target.nextSheet();
    target.setBold(true);
    QCOMPARE(copy.documentXml(), before);
    QVERIFY(target.documentXml().contains("之后写的"));
    DocxTarget other = copy;
    other.setFontSize(30);
    other.typeText(u"x"_s);
    QCOMPARE(copy.documentXml(), before);
}

// Without an office, the window's sheet goes into the documents folder: a long one is packed and saved
// while the window's events run, and the file holds the sheet's document part byte for byte.
void TestDocx::documentsFolderSaveLetsTheWindowRun() {
    QTemporaryDir folder;
    ScriptedHost host;
    DocxTarget target;
    DrawnSheet sheet;
    for (int i = 0; i < 20000; ++i)
        sheet.items.append(
            {u"第%1题：小明有%1个苹果，又买了8个，一共有多少个？"_s.arg(i), 1, u"x"_s, u"1"_s});
    DocumentWriter::write(host, target, SheetRequest{}, sheet, u"2026/12/9"_s);
    int idles = 0;
    QStringList told;
    FallbackDelivery delivery(
        nullptr, u"没有文字处理软件"_s, folder.path(), [&told](const QString &text) { told.append(text); },
        nullptr, nullptr, [&idles] { ++idles; });
    const Result<QString> saved = delivery.deliver(target, QString());
    QVERIFY2(saved.ok(), qPrintable(saved.error()));
    QVERIFY(idles > 0);
    QFile file(saved.value());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(docxreader::part(file.readAll(), u"word/document.xml"_s).value_or(QByteArray()),
             target.documentXml());
    QCOMPARE(told.size(), 1);
}

void TestDocx::missingFolderLeavesNothing() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"no-such-folder/sheet.docx"_s);
    ScriptedHost host;
    DocxTarget target;
    writeSample(host, target, u"0"_s);
    const Status saved = target.saveTo(path);
    QVERIFY(!saved);
    QVERIFY(saved.error().contains(u"sheet.docx"_s));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{});
}

void TestDocx::failedWriteKeepsWhatWasThere() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"sheet.docx"_s);
    QVERIFY(QDir(dir.path()).mkdir(u"sheet.docx"_s)); // a folder stands where the file should go
    QFile marker(path + u"/keep.txt"_s);
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.close();
    DocxTarget target;
    target.typeText(u"x"_s);
    QVERIFY(!target.saveTo(path));
    QVERIFY(QFile::exists(path + u"/keep.txt"_s));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{});
}

void TestDocx::libreOfficeReadsTheText() {
    const QString soffice = QStandardPaths::findExecutable(u"soffice"_s);
    if (soffice.isEmpty())
        QSKIP("LibreOffice (soffice) is not installed");
    QTemporaryDir dir;
    QStringList files;
    for (const QString &flag : {u"0"_s, u"1"_s}) {
        ScriptedHost host;
        host.setToday(u"7/12/26"_s);
        const QString path = dir.filePath(u"sheet%1.docx"_s.arg(flag));
        DocxTarget target;
        writeSample(host, target, flag);
        QVERIFY(target.saveTo(path));
        files.append(path);
    }
    QProcess office;
    office.setProcessChannelMode(QProcess::MergedChannels);
    office.start(soffice,
                 QStringList{u"--headless"_s, u"--norestore"_s,
                             u"-env:UserInstallation=file://"_s + dir.filePath(u"profile"_s),
                             u"--convert-to"_s, u"txt:Text (encoded):UTF8"_s, u"--outdir"_s, dir.path()} +
                     files);
    QVERIFY(office.waitForFinished(120000));
    QCOMPARE(office.exitCode(), 0);
    for (const QString &flag : {u"0"_s, u"1"_s}) {
        QFile text(dir.filePath(u"sheet%1.txt"_s.arg(flag)));
        QVERIFY2(text.open(QIODevice::ReadOnly), office.readAll().constData());
        QString content = QString::fromUtf8(text.readAll());
        content.remove(QChar(0xFEFF));
        QStringList lines = content.split(u'\n');
        for (QString &line : lines)
            line.remove(u'\r');
        // A line break within a paragraph is a line of the text too.
        QStringList expected = recordedParagraphs(flag, u"7/12/26"_s).join(u'\n').split(u'\n');
        while (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        while (!expected.isEmpty() && expected.last().isEmpty())
            expected.removeLast();
        QCOMPARE(lines, expected);
    }
}

void TestDocx::textThatXmlCannotHold_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<int>("warnings");
    QTest::newRow("lone high surrogate") << u"甲"_s + QChar(0xD800) + u"乙"_s << u"甲\uFFFD乙"_s << 1;
    QTest::newRow("lone low surrogate at the end") << u"甲"_s + QChar(0xDC00) << u"甲\uFFFD"_s << 1;
    QTest::newRow("a pair stays") << u"𠀀题"_s << u"𠀀题"_s << 0;
    QTest::newRow("control characters go") << u"a\u0001b\u001Fc\tq"_s << u"abc\tq"_s << 2;
    QTest::newRow("U+FFFE and U+FFFF go") << u"x\uFFFEy\uFFFFz"_s << u"xyz"_s << 2;
}

void TestDocx::textThatXmlCannotHold() {
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QFETCH(int, warnings);
    QTemporaryDir dir;
    DocxTarget target;
    target.typeText(typed);
    target.endParagraph();
    target.typeText(u"后面的题"_s);
    QVERIFY(target.saveTo(dir.filePath(u"sheet.docx"_s)));
    QCOMPARE(target.warnings().size(), warnings);
    // Well-formed to the end: the text after the bad character is there too.
    QXmlStreamReader xml(target.documentXml());
    while (!xml.atEnd())
        xml.readNext();
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    const std::optional<docxreader::Document> document = docxreader::parse(target.documentXml());
    QVERIFY(document.has_value());
    const QStringList texts = document->texts();
    QCOMPARE(texts.value(0), kept);
    QCOMPARE(texts.value(1), u"后面的题"_s);
}

QTEST_GUILESS_MAIN(TestDocx)
#include "tst_docx.moc"
