// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/GenerateCommand.h"
#include "app/GenerateOptions.h"
#include "documents/DeliveryChoice.h"
#include "documents/office/OfficeConnection.h"
#include "documents/office/OfficeDelivery.h"
#include "documents/office/OfficeEntry.h"
#include "documents/office/OfficeWarmUp.h"
#include "generation/DocumentWriter.h"
#include "history/SheetHistory.h"
#include "mainwindow/Form1.h"
#include "support/DocxReader.h"
#include "support/OfficeChild.h"
#include "support/RecordingTarget.h"
#include "support/ScriptedHost.h"
#include "support/UnoReadBack.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSizeF>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

// Against a real LibreOffice, started headless with its own profile for these tests and ended by them.
class TestLibreOffice : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void typedDocument_data();
    void typedDocument();
    void stopMidwayStillShows();
    void windowWorksWhileTheOfficeLoads();
    void warmUpBeforeTheFirstSheet();
    void stopWhileTheOfficeLoads();
    void windowStopsWhileTheOfficeWorks();
    void officeOfTheWarmUpEndsWhenUnused();
    void officeFailingWhileTyping();
    void noOfficeFound();
    void officeThatExitsAtOnce();
    void commandLineExportsPdf();
    void twoUpSheetPrintsWhole_data();
    void twoUpSheetPrintsWhole();
    void commandLineEndsTheOfficeItStarted();
    void windowEndedBySignalEndsItsOffice();
    void duplexSheetsStartOnOddPages();

private:
    OfficeOptions options(const QString &pipe) const;

    QTemporaryDir work_;
    std::shared_ptr<OfficeConnection> office_;
    QString pipe_;
};

namespace {

DrawnSheet sample(int questions = 3) {
    DrawnSheet sheet;
    for (int i = 0; i < questions; ++i)
        sheet.items.append({u"小明有%1个苹果，又买了()个，一共有多少个？"_s.arg(i + 3), 1,
                            u"%1＋2＝%2（个）"_s.arg(i + 3).arg(i + 5), QString::number(i % 6)});
    return sheet;
}

// The writer's sample sheet, as its worksheet ("0") or its answers ("1").
void writeSample(ScriptedHost &host, DocumentTarget &target, const QString &answerFlag, int questions = 3) {
    host.settings().layout.fontName = u"楷体"_s;
    host.settings().layout.fontSize = 14;
    host.settings().answers = answerFlag == u"1"_s;
    DocumentWriter::write(host, target, host.settings(), sample(questions), host.todayText());
}

QStringList recorded(const QString &answerFlag, int questions = 3) {
    ScriptedHost host;
    host.setToday(u"2026/12/7"_s);
    RecordingTarget target;
    writeSample(host, target, answerFlag, questions);
    return target.paragraphs();
}

// The sample built as the program builds every sheet, then delivered.
Result<QString> deliverSample(SheetDelivery &delivery, ScriptedHost &host, const QString &answerFlag,
                              int questions = 3) {
    DocxTarget sheet;
    writeSample(host, sheet, answerFlag, questions);
    return delivery.deliver(sheet, QString());
}

QStringList texts(const unoreadback::Document &doc) {
    QStringList result;
    for (const unoreadback::Paragraph &p : doc.paragraphs)
        result.append(p.text);
    return result;
}

// Alive and not a zombie waiting to be reaped.
bool running(qint64 pid) {
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    return !line.contains(") Z ");
}

} // namespace

OfficeOptions TestLibreOffice::options(const QString &pipe) const {
    OfficeOptions o;
    o.pipeName = pipe;
    o.headless = true;
    o.profileDir = work_.filePath(u"profile-"_s + pipe);
    return o;
}

void TestLibreOffice::initTestCase() {
    // The office linked into this test, not the module: the warm-up it starts is the one the window takes.
    officemodule::useLinked(officeentry::linked());
    if (QStandardPaths::findExecutable(u"soffice"_s).isEmpty() &&
        findSoffice(OfficeOptions().effectiveSearchDirs()).isEmpty())
        QSKIP("LibreOffice (soffice) is not installed");
    pipe_ = u"tessaly_test_%1"_s.arg(QCoreApplication::applicationPid());
    Result<std::shared_ptr<OfficeConnection>> office = OfficeConnection::connect(options(pipe_));
    QVERIFY2(office.ok(), qPrintable(office.error()));
    office_ = office.value();
    QVERIFY(office_->startedProcess() > 0);
}

void TestLibreOffice::cleanupTestCase() {
    if (!office_)
        return;
    const qint64 pid = office_->startedProcess();
    office_->endOfficeIfStartedHere();
    QVERIFY(!running(pid));
}

void TestLibreOffice::typedDocument_data() {
    QTest::addColumn<QString>("answerFlag");
    QTest::newRow("worksheet") << u"0"_s;
    QTest::newRow("answers") << u"1"_s;
}

void TestLibreOffice::typedDocument() {
    QFETCH(QString, answerFlag);
    ScriptedHost host;
    host.setToday(u"2026/12/7"_s);
    OfficeDelivery target(office_, {});
    const Result<QString> shown = deliverSample(target, host, answerFlag);
    QVERIFY2(shown.ok(), qPrintable(shown.error()));

    QString error;
    const std::optional<unoreadback::Document> doc = unoreadback::read(target, &error);
    QVERIFY2(doc.has_value(), qPrintable(error));
    QCOMPARE(texts(*doc), recorded(answerFlag));

    // 50 points on every side, in 1/100 mm.
    QCOMPARE(doc->topMargin, 1764);
    QCOMPARE(doc->bottomMargin, 1764);
    QCOMPARE(doc->leftMargin, 1764);
    QCOMPARE(doc->rightMargin, 1764);

    const unoreadback::Paragraph &title = doc->paragraphs.at(0);
    QCOMPARE(title.adjust, 3); // centred
    QVERIFY(title.portions.size() >= 2);
    QCOMPARE(title.portions[0].text, answerFlag == u"1"_s ? u"Tessaly练习(答案)"_s : u"Tessaly练习"_s);
    QCOMPARE(title.portions[0].weight, 150.0);
    QCOMPARE(title.portions[0].height, 22.0);
    QCOMPARE(title.portions[0].asianFont, u"黑体"_s);
    QCOMPARE(title.portions[0].westernFont, u"黑体"_s);
    QCOMPARE(title.portions.last().height, 12.0);

    const unoreadback::Paragraph &question = doc->paragraphs.at(4);
    QCOMPARE(question.adjust, 0); // left
    // The write-in blank's room is the spacing after its bracket, not characters.
    QVERIFY2(question.text.startsWith(u"1、小明有3个苹果，又买了()个"_s), qPrintable(question.text));
    for (const unoreadback::Portion &p : question.portions) {
        QCOMPARE(p.weight, 100.0);
        QCOMPARE(p.height, 14.0);
        QCOMPARE(p.asianFont, u"楷体"_s);
    }
    if (answerFlag == u"0"_s) {
        const unoreadback::Paragraph &name = doc->paragraphs.at(2);
        QCOMPARE(name.adjust, 3);
        QCOMPARE(name.portions.at(0).asianFont, u"宋体"_s);
        QCOMPARE(name.portions.at(0).weight, 100.0);
        QCOMPARE(name.portions.at(0).height, 12.0);
    }
    // Open, untitled and unsaved.
    QVERIFY(doc->location.isEmpty());
    target.closeDocument();
}

void TestLibreOffice::stopMidwayStillShows() {
    ScriptedHost host;
    // One checkpoint before each question and before each paragraph end: the sixth is during the
    // second question's blank lines.
    host.onEvents = [&host](int n) {
        if (n == 6)
            host.requestStop();
    };
    OfficeDelivery target(office_, {});
    QVERIFY(deliverSample(target, host, u"0"_s, 5).ok());
    const std::optional<unoreadback::Document> doc = unoreadback::read(target);
    QVERIFY(doc.has_value());
    const QString all = texts(*doc).join(u'\n');
    QVERIFY(all.contains(u"2、小明有4个苹果"_s));
    QVERIFY(!all.contains(u"3、"_s));
    target.closeDocument();
}

void TestLibreOffice::windowWorksWhileTheOfficeLoads() {
    // The caller's events run while the office loads the sheet, and the sheet arrives whole.
    ScriptedHost host;
    host.setToday(u"2026/12/7"_s);
    int idles = 0;
    int raiseAsked = 0;
    // A dialog of the window's is open when the sheet arrives: it is shown, not raised over the dialog.
    OfficeDelivery target(office_, {false, [&idles] { ++idles; }, nullptr,
                                    [&raiseAsked] {
                                        ++raiseAsked;
                                        return false;
                                    }});
    const Result<QString> shown = deliverSample(target, host, u"0"_s, 200);
    QVERIFY2(shown.ok(), qPrintable(shown.error()));
    QVERIFY(idles > 0);
    QCOMPARE(raiseAsked, 1);
    const std::optional<unoreadback::Document> doc = unoreadback::read(target);
    QVERIFY(doc.has_value());
    QVERIFY(doc->windowVisible);
    QCOMPARE(texts(*doc), recorded(u"0"_s, 200));
    target.closeDocument();
}

void TestLibreOffice::warmUpBeforeTheFirstSheet() {
    // The window starts the office while the user chooses; the first sheet takes that connection.
    const QString pipe = pipe_ + u"_warm"_s;
    OfficeOptions warm = options(pipe);
    QElapsedTimer clock;
    clock.start();
    officewarmup::start(warm);
    officewarmup::start(warm);      // a second start for the same pipe changes nothing
    QVERIFY(clock.elapsed() < 500); // the window is not held up
    int idles = 0;
    warm.idle = [&idles] { ++idles; };
    const std::shared_ptr<OfficeConnection> office = officewarmup::take(warm);
    QVERIFY(office);
    QVERIFY(idles > 0); // the caller's events ran while the office came up
    QVERIFY(office->startedProcess() > 0);
    QCOMPARE(officewarmup::take(warm), office); // kept for the sheets that follow

    TargetSettings settings;
    settings.kind = TargetSettings::Kind::LibreOffice;
    settings.office = options(pipe);
    settings.folder = work_.filePath(u"unused"_s);
    DeliveryWish wish;
    wish.notify = [](const QString &) {};
    wish.open = [](const QString &) { return true; };
    Result<std::unique_ptr<SheetOutputs>> chosen = chooseOutputs(settings, wish);
    QVERIFY(chosen.ok());
    auto *fallback =
        dynamic_cast<FallbackDelivery *>(&static_cast<DocxOutputs &>(*chosen.value()).delivery());
    QVERIFY(fallback && fallback->primary()); // the warm office takes the sheets
    const qint64 pid = office->startedProcess();
    office->endOfficeIfStartedHere();
    QVERIFY(!running(pid));

    // Without LibreOffice: nothing to take, and nothing said.
    OfficeOptions none = options(pipe_ + u"_none"_s);
    none.searchDirs = {work_.filePath(u"no-office-here"_s)};
    officewarmup::start(none);
    QVERIFY(!officewarmup::take(none));
}

void TestLibreOffice::stopWhileTheOfficeLoads() {
    // A stop while the office loads a long sheet ends the wait at once, and the document is closed as
    // soon as the office has it: no sheet opens after 出题终止.
    const int before = unoreadback::openDocuments(*office_);
    ScriptedHost host;
    host.setToday(u"2026/12/7"_s);
    DocxTarget sheet;
    writeSample(host, sheet, u"0"_s, 3000);
    QElapsedTimer clock;
    qint64 stoppedAt = -1;
    OfficeDelivery target(office_, {false, nullptr,
                                    [&] {
                                        if (stoppedAt < 0 && clock.elapsed() > 200)
                                            stoppedAt = clock.elapsed();
                                        return stoppedAt >= 0;
                                    },
                                    nullptr});
    clock.start();
    const Result<QString> shown = target.deliver(sheet, QString());
    const qint64 returnedAt = clock.elapsed();
    QVERIFY(!shown.ok());
    QCOMPARE(shown.error(), u"出题已终止"_s);
    qInfo("returned %lld ms after the stop", returnedAt - stoppedAt); // bench_pause measures it
    // The office finishes the load on its own and the document goes as it arrives. The office takes one
    // load at a time: once a second sheet has come and gone, the first one was there before it.
    OfficeDelivery next(office_, {true, nullptr, nullptr, nullptr});
    QVERIFY(deliverSample(next, host, u"0"_s).ok());
    QTRY_COMPARE_WITH_TIMEOUT(unoreadback::openDocuments(*office_), before, 120000);
}

namespace {

struct Notices : NoticeSink {
    QStringList texts;
    void ShowNotice(const QString &text, const QString &, int) override { texts.append(text); }
};
struct Yes : Questions {
    bool askYesNo(const QString &) override { return true; }
};

} // namespace

void TestLibreOffice::windowStopsWhileTheOfficeWorks() {
    // The real window and the real office: a stop given while LibreOffice takes a 10,000-question sheet
    // gives the button back, says 出题终止, records nothing, and the sheet never stays open.
    QTemporaryDir bank;
    QVERIFY(QFile::copy(QStringLiteral(TESSALY_SAMPLE_BANK), bank.filePath(u"tk.txt"_s)));
    qputenv("TESSALY_OFFICE_PIPE", pipe_.toUtf8());
    qputenv("TESSALY_TARGET", "libreoffice");
    const int before = unoreadback::openDocuments(*office_);
    Notices notices;
    Yes yes;
    Form1Services services;
    services.notices = &notices;
    services.questions = &yes;
    services.files = UserFiles::inFolder(bank.path());
    services.historyFile = bank.filePath(u"history.sqlite"_s);
    services.endProgram = [] {};
    auto window = std::make_unique<Form1>(services);
    window->findChild<QCheckBox *>(u"Check29"_s)->setChecked(true); // repeats: 10,000 from the sample
    window->findChild<QLineEdit *>(u"Text1"_s)->setText(u"10000"_s);
    // Once the writing is done (the progress timer off again) the office has the sheet: stop then.
    auto *progress = window->findChild<QTimer *>(u"Timer2"_s);
    QElapsedTimer sinceStop;
    bool wasRunning = false;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, &watch, [&] {
        wasRunning = wasRunning || progress->isActive();
        if (wasRunning && !progress->isActive() && !sinceStop.isValid()) {
            QTest::qWait(300);
            sinceStop.start();
            window->stopAction();
        }
    });
    watch.start();
    QTest::mouseClick(window->findChild<QPushButton *>(u"Command1"_s), Qt::LeftButton);
    watch.stop();
    qunsetenv("TESSALY_TARGET");
    qunsetenv("TESSALY_OFFICE_PIPE");
    QVERIFY(sinceStop.isValid());
    qInfo("button back %lld ms after the stop; notices: %s", sinceStop.elapsed(),
          qPrintable(notices.texts.join(u'|')));
    QVERIFY(window->findChild<QPushButton *>(u"Command1"_s)->isEnabled());
    QVERIFY2(notices.texts.contains(u"出题终止，请点击再次出题！"_s), qPrintable(notices.texts.join(u'|')));
    QVERIFY2(!notices.texts.join(u'|').contains(u"没有做成"_s), qPrintable(notices.texts.join(u'|')));
    Result<std::unique_ptr<SheetHistory>> history = SheetHistory::open(services.historyFile);
    QVERIFY(history.ok());
    QVERIFY(history.value()->list().isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(unoreadback::openDocuments(*office_), before, 180000);
}

void TestLibreOffice::officeOfTheWarmUpEndsWhenUnused() {
    const QString pipe = pipe_ + u"_exit"_s;
    OfficeOptions warm = options(pipe);
    officewarmup::start(warm);
    const std::shared_ptr<OfficeConnection> office = officewarmup::take(warm);
    QVERIFY(office);
    const qint64 pid = office->startedProcess();
    QVERIFY(pid > 0);
    // A sheet of ours is open in it: it stays.
    OfficeDelivery delivery(office, {});
    ScriptedHost host;
    QVERIFY(deliverSample(delivery, host, u"0"_s).ok());
    officewarmup::endIfUnused();
    QVERIFY(running(pid));
    // The sheet closed, nothing else open: it is ended with the program.
    delivery.closeDocument();
    officewarmup::endIfUnused();
    QTRY_VERIFY_WITH_TIMEOUT(!running(pid), 20000);
}

void TestLibreOffice::officeFailingWhileTyping() {
    // The office ends in the middle of the typing (closed by the user, crashed, the pipe broken): the
    // user is told and gets the .docx of the whole worksheet. A second office of its own plays that part.
    Result<std::shared_ptr<OfficeConnection>> ending =
        OfficeConnection::connect(options(pipe_ + u"_ending"_s));
    QVERIFY2(ending.ok(), qPrintable(ending.error()));
    QStringList notices, opened;
    FallbackDelivery target(
        std::make_unique<OfficeDelivery>(ending.value(), OfficeDelivery::Options{}), QString(),
        work_.filePath(u"fallback-mid"_s), [&](const QString &text) { notices.append(text); },
        [&](const QString &path) {
            opened.append(path);
            return true;
        });
    ScriptedHost host;
    host.setToday(u"2026/12/7"_s);
    DocxTarget sheet;
    writeSample(host, sheet, u"0"_s);
    ending.value()->endOfficeIfStartedHere(); // gone before the sheet reaches it
    const Result<QString> saved = target.deliver(sheet, QString());
    QVERIFY2(saved.ok(), qPrintable(saved.error()));
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices[0].contains(u"出错"_s) && notices[0].contains(saved.value()), qPrintable(notices[0]));
    QCOMPARE(opened, QStringList{saved.value()});

    QFile file(saved.value());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const std::optional<QByteArray> xml = docxreader::part(file.readAll(), u"word/document.xml"_s);
    QVERIFY(xml.has_value());
    QCOMPARE(docxreader::parse(*xml)->texts(), recorded(u"0"_s));
}

void TestLibreOffice::noOfficeFound() {
    QTemporaryDir empty;
    TargetSettings settings;
    settings.office.pipeName = u"tessaly_nobody_%1"_s.arg(QCoreApplication::applicationPid());
    settings.office.searchDirs = {empty.path()};
    settings.folder = work_.filePath(u"fallback-none"_s);
    QStringList notices, opened;
    DeliveryWish wish;
    wish.notify = [&](const QString &text) { notices.append(text); };
    wish.open = [&](const QString &path) {
        opened.append(path);
        return true;
    };
    Result<std::unique_ptr<SheetOutputs>> chosen = chooseOutputs(settings, wish);
    QVERIFY(chosen.ok());
    ScriptedHost host;
    host.setToday(u"2026/12/7"_s);
    std::unique_ptr<DocumentTarget> sheet = chosen.value()->newDocument();
    writeSample(host, *sheet, u"1"_s);
    const Result<QString> delivered = chosen.value()->deliver(*sheet, QString());
    QVERIFY2(delivered.ok(), qPrintable(delivered.error()));
    const QString &saved = delivered.value();
    QVERIFY(saved.startsWith(settings.folder + u"/Tessaly练习(答案)_"_s));
    QVERIFY(saved.endsWith(u".docx"_s));
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices[0].contains(u"没有可用的文字处理软件"_s) && notices[0].contains(saved),
             qPrintable(notices[0]));
    QCOMPARE(opened, QStringList{saved});
    QVERIFY(QFile::exists(saved));
}

void TestLibreOffice::officeThatExitsAtOnce() {
    // A soffice that starts and leaves at once (no display, a broken install) is given up on soon, not
    // after the whole start-up deadline.
    QTemporaryDir fake;
    QFile script(fake.filePath(u"soffice"_s));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nexit 1\n");
    script.close();
    QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));
    OfficeOptions o;
    o.pipeName = u"tessaly_gone_%1"_s.arg(QCoreApplication::applicationPid());
    o.searchDirs = {fake.path()};
    o.startTimeoutMs = 60000;
    QElapsedTimer clock;
    clock.start();
    const Result<std::shared_ptr<OfficeConnection>> office = OfficeConnection::connect(o);
    QVERIFY(!office.ok());
    QVERIFY2(clock.elapsed() < 15000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(office.error().contains(u"退出"_s));
}

void TestLibreOffice::commandLineExportsPdf() {
    if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    const QString bank = work_.filePath(u"bank"_s);
    QVERIFY(QDir().mkpath(bank));
    QVERIFY(QFile::copy(QStringLiteral(TESSALY_SAMPLE_BANK), bank + u"/tk.txt"_s));
    qputenv("TESSALY_OFFICE_PIPE", pipe_.toUtf8()); // the test's office, which the command must not end
    const QString pdf = work_.filePath(u"sheet.pdf"_s), odt = work_.filePath(u"key.odt"_s);
    const Result<GenerateOptions> options = GenerateOptions::parse(
        {u"--bank-dir"_s, bank, u"--grade"_s, u"2"_s, u"--count"_s, u"5"_s, u"--seed"_s, u"9"_s,
         u"--target"_s, u"libreoffice"_s, u"--headless"_s, u"--output"_s, pdf, u"--answer-key"_s, odt},
        UserFiles::inFolder(bank));
    qunsetenv("TESSALY_OFFICE_PIPE");
    QVERIFY2(options.ok(), qPrintable(options.error()));
    QString out, err;
    QTextStream o(&out), e(&err);
    qputenv("TESSALY_OFFICE_PIPE", pipe_.toUtf8());
    const int status = runGenerate(options.value(), o, e);
    qunsetenv("TESSALY_OFFICE_PIPE");
    QVERIFY2(status == 0, qPrintable(err));
    QVERIFY(QFile::exists(odt));
    QVERIFY(office_->startedProcess() > 0);

    QProcess text;
    text.start(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s});
    QVERIFY(text.waitForFinished(30000));
    const QString content = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(content.contains(u"Tessaly"_s) && content.contains(u"姓名"_s) && content.contains(u"5、"_s),
             qPrintable(content));
    QProcess fonts;
    fonts.start(u"pdffonts"_s, {pdf});
    QVERIFY(fonts.waitForFinished(30000));
    QVERIFY(QString::fromUtf8(fonts.readAllStandardOutput()).contains(u"CJK"_s));
}

void TestLibreOffice::twoUpSheetPrintsWhole_data() {
    QTest::addColumn<QStringList>("layout");
    QTest::addColumn<QSizeF>("pageSize"); // points
    QTest::newRow("A3 landscape, two columns")
        << QStringList{u"--paper"_s, u"A3"_s, u"--landscape"_s, u"--columns"_s, u"2"_s}
        << QSizeF(1190.55, 841.89);
    QTest::newRow("A4, one column, large spacing")
        << QStringList{u"--columns"_s, u"1"_s, u"--line-spacing"_s, u"40"_s} << QSizeF(595.28, 841.89);
}

void TestLibreOffice::twoUpSheetPrintsWhole() {
    QFETCH(QStringList, layout);
    QFETCH(QSizeF, pageSize);
    if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    // 500 questions of different lengths, each marked at its start and its end.
    QTemporaryDir bank;
    QStringList lines;
    for (int i = 1; i <= 500; ++i)
        lines.append(u"起%1起"_s.arg(i) + QString(10 + (i * 37) % 90, u'题') + u"止%1止|1|1|0|答"_s.arg(i));
    QFile tk(bank.filePath(u"tk.txt"_s));
    QVERIFY(tk.open(QIODevice::WriteOnly));
    tk.write(lines.join(u"\r\n"_s).toUtf8());
    tk.close();
    const QString pdf = work_.filePath(u"two-up.pdf"_s);
    QProcess program;
    program.setProcessEnvironment(officeChildEnvironment(pipe_)); // the test's office
    program.start(QStringLiteral(TESSALY_PROGRAM),
                  QStringList{u"generate"_s, u"--bank-dir"_s, bank.path(), u"--grade"_s, u"1"_s, u"--count"_s,
                              u"500"_s, u"--blank-lines"_s, u"3"_s, u"--size"_s, u"14"_s, u"--target"_s,
                              u"libreoffice"_s, u"--headless"_s, u"--output"_s, pdf} +
                      layout);
    QVERIFY(program.waitForFinished(240000));
    QVERIFY2(program.exitCode() == 0, program.readAllStandardError().constData());

    QProcess info;
    info.start(u"pdfinfo"_s, {pdf});
    QVERIFY(info.waitForFinished(30000));
    const QString about = QString::fromUtf8(info.readAllStandardOutput());
    const QRegularExpressionMatch size =
        QRegularExpression(u"Page size:\\s+([\\d.]+) x ([\\d.]+) pts"_s).match(about);
    QVERIFY2(size.hasMatch(), qPrintable(about));
    QVERIFY2(qAbs(size.captured(1).toDouble() - pageSize.width()) < 1 &&
                 qAbs(size.captured(2).toDouble() - pageSize.height()) < 1,
             qPrintable(about));
    const int pages = QRegularExpression(u"Pages:\\s+(\\d+)"_s).match(about).captured(1).toInt();
    QVERIFY(pages > 1);

    // Every question starts and ends on the same page, and the last page holds a question.
    QHash<int, int> startPage, endPage;
    static const QRegularExpression start(u"起(\\d+)起"_s), end(u"止(\\d+)止"_s);
    for (int page = 1; page <= pages; ++page) {
        QProcess text;
        // In the order the page draws its text: line after line down a column, column after column.
        text.start(u"pdftotext"_s,
                   {u"-raw"_s, u"-f"_s, QString::number(page), u"-l"_s, QString::number(page), pdf, u"-"_s});
        QVERIFY(text.waitForFinished(30000));
        QString content = QString::fromUtf8(text.readAllStandardOutput());
        content.remove(QRegularExpression(u"\\s"_s));
        for (auto m = start.globalMatch(content); m.hasNext();)
            startPage[m.next().captured(1).toInt()] = page;
        for (auto m = end.globalMatch(content); m.hasNext();)
            endPage[m.next().captured(1).toInt()] = page;
        if (page == pages)
            QVERIFY2(end.match(content).hasMatch(), "the last page holds no question");
    }
    QCOMPARE(startPage.size(), 500);
    QCOMPARE(endPage.size(), 500);
    for (auto it = startPage.cbegin(); it != startPage.cend(); ++it)
        QVERIFY2(endPage.value(it.key()) == it.value(),
                 qPrintable(u"question %1 starts on page %2, ends on %3"_s.arg(it.key())
                                .arg(it.value())
                                .arg(endPage.value(it.key()))));
}

void TestLibreOffice::commandLineEndsTheOfficeItStarted() {
    // A pipe no office listens on: the command starts its own headless office and ends it again.
    const QString pipe = u"tessaly_cli_%1"_s.arg(QCoreApplication::applicationPid());
    const QString bank = work_.filePath(u"bank"_s);
    const QString pdf = work_.filePath(u"own.pdf"_s);
    QProcess program;
    QProcessEnvironment env = officeChildEnvironment(pipe);
    env.insert(u"TESSALY_OFFICE_PROFILE"_s, work_.filePath(u"profile-cli"_s));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TESSALY_PROGRAM), {u"generate"_s, u"--bank-dir"_s, bank, u"--headless"_s,
                                                    u"--target"_s, u"libreoffice"_s, u"--output"_s, pdf});
    QVERIFY(program.waitForFinished(120000));
    QVERIFY2(program.exitCode() == 0, program.readAllStandardError().constData());
    QVERIFY(QFile::exists(pdf));
    QProcess pgrep;
    pgrep.start(u"pgrep"_s, {u"-f"_s, pipe});
    QVERIFY(pgrep.waitForFinished(10000));
    QVERIFY2(pgrep.readAllStandardOutput().trimmed().isEmpty(),
             "the office started by the command still runs");
}

// Logging out of the desktop sends SIGTERM: the window ends the office it started for its warm-up all the
// same.
void TestLibreOffice::windowEndedBySignalEndsItsOffice() {
    const QString pipe = u"tessaly_term_%1"_s.arg(QCoreApplication::applicationPid());
    const auto officeRunsNow = [&pipe] {
        QProcess pgrep;
        pgrep.start(u"pgrep"_s, {u"-f"_s, u"soffice.*"_s + pipe});
        pgrep.waitForFinished(10000);
        return !pgrep.readAllStandardOutput().trimmed().isEmpty();
    };
    // A fresh profile makes the office restart itself once while it starts: for a moment no process
    // of it is found. Once seen it counts as started, and it counts as ended only when no look in two
    // seconds finds it.
    bool started = false;
    const auto officeStarted = [&] { return started || (started = officeRunsNow()); };
    const auto officeStillRuns = [&] {
        for (int look = 0; look < 10; ++look) {
            if (officeRunsNow())
                return true;
            QTest::qWait(200);
        }
        return false;
    };
    QProcess window;
    QProcessEnvironment env = officeChildEnvironment(pipe);
    env.insert(u"TESSALY_OFFICE_PROFILE"_s, work_.filePath(u"profile-term"_s));
    env.insert(u"XDG_CONFIG_HOME"_s, work_.filePath(u"term-config"_s));
    env.insert(u"XDG_DATA_HOME"_s, work_.filePath(u"term-data"_s));
    window.setProcessEnvironment(env);
    window.start(QStringLiteral(TESSALY_PROGRAM), {});
    QVERIFY(window.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(officeStarted(), 60000);
    window.terminate();
    QVERIFY(window.waitForFinished(60000));
    QCOMPARE(window.exitStatus(), QProcess::NormalExit);
    QTRY_VERIFY2_WITH_TIMEOUT(!officeStillRuns(), "the window's office outlived it", 30000);
}

// Three one-page sheets in one file for two-sided printing: printed by the office, each starts on an odd
// page, with a blank page between them.
void TestLibreOffice::duplexSheetsStartOnOddPages() {
    if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    ScriptedHost host;
    DocxTarget target;
    target.setSheetsOnOddPages(true);
    for (int sheet = 0; sheet < 3; ++sheet) {
        if (sheet > 0)
            target.nextSheet();
        writeSample(host, target, u"0"_s);
    }
    const QString pdf = work_.filePath(u"duplex.pdf"_s);
    OfficeDelivery delivery(office_, {true, nullptr, nullptr, nullptr});
    const Result<QString> exported = delivery.deliver(target, pdf);
    QVERIFY2(exported.ok(), qPrintable(exported.error()));
    QProcess info;
    info.start(u"pdfinfo"_s, {pdf});
    QVERIFY(info.waitForFinished(30000));
    const QString about = QString::fromUtf8(info.readAllStandardOutput());
    QCOMPARE(QRegularExpression(u"Pages:\\s+(\\d+)"_s).match(about).captured(1).toInt(), 5);
    for (int page = 1; page <= 5; ++page) {
        QProcess text;
        text.start(u"pdftotext"_s,
                   {u"-f"_s, QString::number(page), u"-l"_s, QString::number(page), pdf, u"-"_s});
        QVERIFY(text.waitForFinished(30000));
        QString content = QString::fromUtf8(text.readAllStandardOutput());
        content.remove(QRegularExpression(u"\\s"_s));
        QVERIFY2(content.contains(u"小明有3个苹果"_s) == (page % 2 == 1),
                 qPrintable(u"page %1: "_s.arg(page) + content));
    }
}

QTEST_MAIN(TestLibreOffice)
#include "tst_libreoffice.moc"
