// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DownloadCommand.h"
#include "bank/BankText.h"
#include "download/BankDownload.h"
#include "download/PageText.h"
#include "support/FullDisk.h"
#include "support/TempBank.h"
#include "support/TestHttpServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTcpServer>
#include <QtTest>
#include <csignal>

using namespace Qt::Literals::StringLiterals;

namespace {

class RecordingHost : public DownloadHost {
public:
    bool answer = true;
    QStringList asked, statuses, notices;
    QList<bool> buttons;
    int events = 0;
    std::function<void(int)> onEvents;
    bool stop = false;

    bool confirm(const QString &question) override {
        asked.append(question);
        return answer;
    }
    void setStatus(const QString &text) override { statuses.append(text); }
    void yield() override {
        ++events;
        if (onEvents)
            onEvents(events);
        QCoreApplication::processEvents();
    }
    bool stopRequested() override { return stop; }
    void showNotice(const QString &text) override { notices.append(text); }
    void setButtonsEnabled(bool enabled) override { buttons.append(enabled); }
};

QByteArray gbk(const QString &text) {
    QStringEncoder encoder("GB18030");
    return encoder(text);
}

QString bankText(const TempBank &bank) {
    return banktext::decode(bank.readBytes(u"tk.txt"_s)).value_or(u"<undecodable>"_s);
}

// The page of a grade: "1", then records ending in "##", with blanks and an ASCII sign to normalise.
QString gradePage(int grade) {
    return u"1甲 %1|%1|1|0|3+4=7##乙\t%1|%1|2|1|9-2=7##"_s.arg(grade);
}

} // namespace

class TestDownload : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void pageText_data();
    void pageText();
    void goodBankInGbk();
    void previousBankIsKeptAndComesBack();
    void charsetsAndBodies_data();
    void charsetsAndBodies();
    void failedGradesKeepTheirRecords_data();
    void failedGradesKeepTheirRecords();
    void neverAnsweringPage();
    void stopEndsTheWait();
    void noUsableGradeLeavesTheBank();
    void answeringNo();
    void noServerSet();
    void foreignTmpFilesStay();
    void fullDiskKeepsTheBank();
    void unreadableOldBankIsNotReplaced();
    void endlessPageIsRefused();
    void anotherDownloadHoldsTheFolder();
    void symlinksAmongTheFilesAreNotFollowed();
    void interruptLeavesTheFolderAsItWas();
    void commandLine();
    void realStaticWebServer();

private:
    DownloadOutcome download(RecordingHost &host, int timeoutMs = 5000);

    std::unique_ptr<TempBank> bank_;
    std::unique_ptr<TestHttpServer> server_;
    QNetworkAccessManager network_;
};

void TestDownload::init() {
    bank_ = std::make_unique<TempBank>();
    server_ = std::make_unique<TestHttpServer>();
    for (int g = 1; g <= 6; ++g)
        server_->setPage(
            u"/xx/%1nj.asp"_s.arg(g),
            {200, "text/html; charset=gb2312", gbk(u"<html><body>"_s + gradePage(g) + u"</body></html>"_s)});
}

DownloadOutcome TestDownload::download(RecordingHost &host, int timeoutMs) {
    DownloadSettings settings;
    settings.server = server_->baseUrl();
    settings.pageTimeoutMs = timeoutMs;
    BankDownload download(network_, settings, bank_->dir());
    return download.run(host);
}

void TestDownload::pageText_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("usable");
    QTest::addColumn<QStringList>("records");
    QTest::newRow("records") << u"1a|1##b|1##"_s << true << QStringList{u"1a|1"_s, u"b|1"_s, QString()};
    QTest::newRow("blanks and breaks go")
        << u"\r\n1a b\t c　d\re\nf##"_s << true << QStringList{u"1abcdef"_s, QString()};
    QTest::newRow("signs") << u"1+-*/="_s << true << QStringList{u"1＋－×÷＝"_s};
    QTest::newRow("error page") << u"<h1>500</h1>"_s << false << QStringList{u"<h1>500<÷h1>"_s};
    QTest::newRow("empty") << QString() << false << QStringList{QString()};
}

void TestDownload::pageText() {
    QFETCH(QString, page);
    QFETCH(bool, usable);
    QFETCH(QStringList, records);
    QCOMPARE(pagetext::usable(page), usable);
    QCOMPARE(pagetext::records(pagetext::normalised(page)), records);
}

void TestDownload::goodBankInGbk() {
    RecordingHost host;
    const DownloadOutcome outcome = download(host);
    QVERIFY(outcome.confirmed);
    QCOMPARE(outcome.usableGrades, 6);
    QVERIFY(outcome.bankWritten);
    QCOMPARE(host.asked, QStringList{u"题库已经准备完毕，确认下载？"_s});
    QStringList expected{u"正在下载题库中，估计需要1分钟，请等待......"_s};
    for (int g = 1; g <= 6; ++g)
        expected.append(u"%1年级题库下载成功，正在下载%2年级题库……"_s.arg(g).arg(g + 1));
    expected.append(QString());
    QCOMPARE(host.statuses, expected);
    QCOMPARE(host.notices, QStringList{u"下载任务结束！"_s});
    QCOMPARE(host.buttons, (QList<bool>{false, true}));

    // One line per record, the first beginning with that "1", and the empty line after each grade.
    QString expectedBank;
    for (int g = 1; g <= 6; ++g)
        expectedBank += u"1甲%1|%1|1|0|3＋4＝7\r\n乙%1|%1|2|1|9－2＝7\r\n\r\n"_s.arg(g);
    QCOMPARE(bankText(*bank_), expectedBank);
    QVERIFY(!banktext::looksLikeUtf8(bank_->readBytes(u"tk.txt"_s)));
    // Nothing left beside the bank: no grade files, no lock (and no backup where there was no bank).
    QCOMPARE(QDir(bank_->dir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"tk.txt"_s});
}

void TestDownload::previousBankIsKeptAndComesBack() {
    const QString backup = BankDownload::backupPath(bank_->dir());
    QVERIFY(!BankDownload::restoreBackup(bank_->dir())); // nothing to restore yet
    bank_->writeLines(u"tk.txt"_s, {u"自己的题|3|1|0|1＋1＝2"_s});
    const QByteArray mine = bank_->readBytes(u"tk.txt"_s);
    RecordingHost host;
    QVERIFY(download(host).bankWritten);
    const QByteArray downloaded = bank_->readBytes(u"tk.txt"_s);
    QVERIFY(downloaded != mine);
    QCOMPARE(bank_->readBytes(u"tk.txt.bak"_s), mine);

    // Back, and back again: one generation, each restore keeping the bank it replaces.
    const Status restored = BankDownload::restoreBackup(bank_->dir());
    QVERIFY2(restored, qPrintable(restored.error()));
    QCOMPARE(bank_->readBytes(u"tk.txt"_s), mine);
    QCOMPARE(bank_->readBytes(u"tk.txt.bak"_s), downloaded);
    QVERIFY(BankDownload::restoreBackup(bank_->dir()));
    QCOMPARE(bank_->readBytes(u"tk.txt"_s), downloaded);
    QVERIFY(QFileInfo::exists(backup));

    // A second download keeps the bank it replaces, not an older one.
    RecordingHost again;
    QVERIFY(download(again).bankWritten);
    QCOMPARE(bank_->readBytes(u"tk.txt.bak"_s), downloaded);
}

void TestDownload::charsetsAndBodies_data() {
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("body");
    const QString page = u"1题目|1|1|0|答##"_s;
    QTest::newRow("utf-8 by meta")
        << QByteArray("text/html")
        << (u"<html><head><meta charset=\"utf-8\"></head><body>"_s + page + u"</body></html>"_s).toUtf8();
    QTest::newRow("utf-8 by http-equiv")
        << QByteArray("text/html")
        << (u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\"></head>"
            u"<BODY class=x>\n"_s +
            page + u"\n</BODY></html>"_s)
               .toUtf8();
    QTest::newRow("gbk, no charset anywhere")
        << QByteArray("text/html") << gbk(u"<body>"_s + page + u"</body>"_s);
    QTest::newRow("no body element") << QByteArray("text/plain; charset=utf-8") << page.toUtf8();
}

void TestDownload::charsetsAndBodies() {
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, body);
    for (int g = 1; g <= 6; ++g)
        server_->setPage(u"/xx/%1nj.asp"_s.arg(g), {200, contentType, body});
    RecordingHost host;
    QCOMPARE(download(host).usableGrades, 6);
    QVERIFY(bankText(*bank_).startsWith(u"1题目|1|1|0|答\r\n\r\n1题目"_s));
}

void TestDownload::failedGradesKeepTheirRecords_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QString>("statusText");
    using M = TestHttpServer::Mode;
    const QByteArray gbkType = "text/html; charset=gbk";
    const QString network = u"网络连接失败，3年级题库下载不成功！"_s;
    const QString cut = u"3年级题库页面没有完整收到（连接中断），下载不成功！"_s;
    QTest::newRow("server error") << 500 << int(M::Normal) << gbkType << network;
    QTest::newRow("not found") << 404 << int(M::Normal) << gbkType << network;
    QTest::newRow("reset after a declared length") << 200 << int(M::CutOff) << gbkType << cut;
    QTest::newRow("HTTP/1.0 closed halfway") << 200 << int(M::PlainClose) << gbkType << cut;
    QTest::newRow("chunked, reset halfway") << 200 << int(M::ChunkedCut) << gbkType << cut;
    QTest::newRow("GBK labelled UTF-8") << 200 << int(M::Normal) << QByteArray("text/html; charset=utf-8")
                                        << u"3年级题库页面的文字编码有误，下载不成功！"_s;
}

void TestDownload::failedGradesKeepTheirRecords() {
    QFETCH(int, status);
    QFETCH(int, mode);
    QFETCH(QByteArray, contentType);
    QFETCH(QString, statusText);
    // The bank before: records of grades 2 and 3 (one of them in a user-edited, LF-ended form).
    // "3.0" is grade 3 to every reader of the bank, the download's keeping too.
    bank_->writeLines(u"tk.txt"_s,
                      {u"旧二|2|1|0|a"_s, u"旧三|3|1|0|b"_s, u"旧三又|3|2|0|c"_s, u"旧三点零|3.0|1|0|d"_s});
    QString records;
    for (int i = 0; i < 20; ++i)
        records += u"新题%1|3|1|0|答##"_s.arg(i);
    server_->setPage(u"/xx/3nj.asp"_s, {status, contentType, gbk(u"<body>1"_s + records + u"</body>"_s),
                                        static_cast<TestHttpServer::Mode>(mode)});
    RecordingHost host;
    const DownloadOutcome outcome = download(host);
    QCOMPARE(outcome.usableGrades, 5);
    QVERIFY2(host.statuses.contains(statusText), qPrintable(host.statuses.join(u'\n')));
    QCOMPARE(outcome.failedGrades, QList<int>{3});
    QCOMPARE(host.notices, QStringList{u"下载任务结束！3年级题库下载不成功，这些年级保留原来的题目。"_s});
    const QString bank = bankText(*bank_);
    QVERIFY(bank.contains(u"旧三|3|1|0|b\r\n旧三又|3|2|0|c\r\n旧三点零|3.0|1|0|d\r\n"_s));
    QVERIFY(!bank.contains(u"旧二"_s)); // grade 2 came fresh
    QVERIFY(bank.contains(u"乙2|2|2|1|9－2＝7"_s));
    // The kept records stand where grade 3 belongs.
    QVERIFY(bank.indexOf(u"乙2|"_s) < bank.indexOf(u"旧三"_s));
    QVERIFY(bank.indexOf(u"旧三"_s) < bank.indexOf(u"1甲4|"_s));
}

void TestDownload::neverAnsweringPage() {
    server_->setPage(u"/xx/2nj.asp"_s, {200, "text/html", QByteArray(), TestHttpServer::Mode::NeverAnswer});
    RecordingHost host;
    QElapsedTimer clock;
    clock.start();
    const DownloadOutcome outcome = download(host, 700);
    QVERIFY(clock.elapsed() >= 700);
    QVERIFY(clock.elapsed() < 10000);
    QCOMPARE(outcome.usableGrades, 5);
    QVERIFY(host.statuses.contains(u"网络连接失败，2年级题库下载不成功！"_s));
}

void TestDownload::stopEndsTheWait() {
    for (int g = 1; g <= 6; ++g)
        server_->setPage(u"/xx/%1nj.asp"_s.arg(g),
                         {200, "text/html", QByteArray(), TestHttpServer::Mode::NeverAnswer});
    bank_->writeLines(u"tk.txt"_s, {u"旧|1|1|0|a"_s});
    const QByteArray before = bank_->readBytes(u"tk.txt"_s);
    RecordingHost host;
    host.onEvents = [&host](int n) {
        if (n == 20)
            host.stop = true;
    };
    QElapsedTimer clock;
    clock.start();
    const DownloadOutcome outcome = download(host, 20000);
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(outcome.usableGrades, 0);
    QVERIFY(outcome.stopped);
    QCOMPARE(bank_->readBytes(u"tk.txt"_s), before);
    QCOMPARE(host.notices, QStringList{u"下载已停止，原来的题库没有改动。"_s});
}

void TestDownload::noUsableGradeLeavesTheBank() {
    for (int g = 1; g <= 6; ++g)
        server_->setPage(u"/xx/%1nj.asp"_s.arg(g), {500, "text/html", "<body>Internal error</body>"});
    bank_->writeBytes(u"tk.txt"_s, "a|1|1\nb|2|1");
    RecordingHost host;
    const DownloadOutcome outcome = download(host);
    QCOMPARE(outcome.usableGrades, 0);
    QVERIFY(!outcome.bankWritten);
    QCOMPARE(bank_->readBytes(u"tk.txt"_s), QByteArray("a|1|1\nb|2|1"));
    QCOMPARE(host.statuses.size(), 8);
    QCOMPARE(host.statuses.at(6), u"网络连接失败，6年级题库下载不成功！"_s);
    // A failure is never reported as the plain end of a download.
    QCOMPARE(host.notices, QStringList{u"下载失败：六个年级的题库都没有下载成功，原来的题库没有改动。"_s});
}

void TestDownload::answeringNo() {
    RecordingHost host;
    host.answer = false;
    const DownloadOutcome outcome = download(host);
    QVERIFY(!outcome.confirmed);
    QVERIFY(host.statuses.isEmpty());
    QCOMPARE(host.notices, QStringList{u"下载任务结束！"_s});
    QCOMPARE(host.buttons, (QList<bool>{false, true}));
    QVERIFY(server_->requests().isEmpty());
    QVERIFY(!QFile::exists(bank_->path(u"tk.txt"_s)));
}

void TestDownload::noServerSet() {
    bank_->writeLines(u"tk.txt"_s, {u"旧|1|1|0|a"_s});
    const QByteArray before = bank_->readBytes(u"tk.txt"_s);
    RecordingHost host;
    BankDownload download(network_, DownloadSettings{}, bank_->dir());
    const DownloadOutcome outcome = download.run(host);
    QCOMPARE(outcome.usableGrades, 0);
    for (int g = 1; g <= 6; ++g)
        QVERIFY(host.statuses.contains(u"网络连接失败，%1年级题库下载不成功！"_s.arg(g)));
    QCOMPARE(bank_->readBytes(u"tk.txt"_s), before);
    QVERIFY(server_->requests().isEmpty());
}

void TestDownload::foreignTmpFilesStay() {
    bank_->writeBytes(u"notes.tmp"_s, "someone else's file");
    bank_->writeBytes(u"7nj.tmp"_s, "not ours either");
    RecordingHost host;
    QCOMPARE(download(host).usableGrades, 6);
    QCOMPARE(bank_->readBytes(u"notes.tmp"_s), QByteArray("someone else's file"));
    QCOMPARE(bank_->readBytes(u"7nj.tmp"_s), QByteArray("not ours either"));
    QVERIFY(!bankText(*bank_).contains(u"someone"_s));
}

void TestDownload::fullDiskKeepsTheBank() {
    FullDisk disk(64);
    if (!disk.available())
        QSKIP("mounting a small tmpfs needs root");
    // An old bank of about 20 KB, and fresh pages that cannot fit beside it and its new copy.
    QStringList old;
    for (int i = 0; i < 400; ++i)
        old.append(u"旧题%1|%2|1|0|答%1"_s.arg(i).arg(i % 6 + 1));
    QFile tk(disk.path(u"tk.txt"_s));
    QVERIFY(tk.open(QIODevice::WriteOnly));
    QVERIFY(tk.write(gbk(old.join(u"\r\n"_s) + u"\r\n"_s)) > 0);
    tk.close();
    const QByteArray before = [&] {
        QFile f(disk.path(u"tk.txt"_s));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    for (int g = 1; g <= 6; ++g) {
        QString records;
        for (int i = 0; i < 300; ++i)
            records += u"新的第%1题，小明有%1元钱|%2|1|0|答案%1##"_s.arg(i).arg(g);
        server_->setPage(u"/xx/%1nj.asp"_s.arg(g),
                         {200, "text/html; charset=gbk", gbk(u"<body>1"_s + records + u"</body>"_s)});
    }
    QVERIFY(disk.fill(u"filler"_s, qint64{40} * 1024));

    DownloadSettings settings;
    settings.server = server_->baseUrl();
    BankDownload download(network_, settings, disk.dir());
    RecordingHost host;
    const DownloadOutcome outcome = download.run(host);
    QCOMPARE(outcome.usableGrades, 6);
    QVERIFY(!outcome.bankWritten);
    QVERIFY2(outcome.failure.contains(u"磁盘已满"_s), qPrintable(outcome.failure));
    QCOMPARE(host.notices.size(), 1);
    QVERIFY2(host.notices[0].contains(u"原来的题库没有改动"_s), qPrintable(host.notices[0]));
    QFile after(disk.path(u"tk.txt"_s));
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), before);
    QCOMPARE(disk.entries(), QStringList{u"tk.txt"_s});
}

void TestDownload::unreadableOldBankIsNotReplaced() {
    // One byte that GB18030 cannot decode: the old records of the failed grade cannot be kept.
    bank_->writeBytes(u"tk.txt"_s, gbk(u"旧三|3|1|0|b\r\n"_s) + "\x80|3|1|0|c\r\n");
    const QByteArray before = bank_->readBytes(u"tk.txt"_s);
    server_->setPage(u"/xx/3nj.asp"_s, {500, "text/html", "<body>error</body>"});
    RecordingHost host;
    const DownloadOutcome outcome = download(host);
    QCOMPARE(outcome.usableGrades, 5);
    QVERIFY(!outcome.bankWritten);
    QCOMPARE(bank_->readBytes(u"tk.txt"_s), before);
    QCOMPARE(host.notices.size(), 1);
    QVERIFY2(host.notices[0].contains(u"无法保留"_s) && host.notices[0].contains(u"原来的题库没有改动"_s),
             qPrintable(host.notices[0]));

    QString outText, errText, noInput;
    QTextStream in(&noInput), out(&outText), err(&errText);
    QCOMPARE(
        runDownloadCommand({u"--server"_s, server_->baseUrl(), u"--bank-dir"_s, bank_->dir(), u"--yes"_s},
                           UserFiles::inFolder(bank_->dir()), in, out, err),
        1);
    QCOMPARE(bank_->readBytes(u"tk.txt"_s), before);
}

void TestDownload::endlessPageIsRefused() {
    server_->setPage(u"/xx/2nj.asp"_s, {200, "text/html", QByteArray(), TestHttpServer::Mode::Endless});
    bank_->writeLines(u"tk.txt"_s, {u"旧二|2|1|0|a"_s});
    DownloadSettings settings;
    settings.server = server_->baseUrl();
    settings.pageLimitBytes = qint64{4} * 1024 * 1024;
    BankDownload download(network_, settings, bank_->dir());
    RecordingHost host;
    const DownloadOutcome outcome = download.run(host);
    QCOMPARE(outcome.failedGrades, QList<int>{2});
    QVERIFY(host.statuses.contains(u"2年级题库页面过大（超过4MB），已停止接收，下载不成功！"_s));
    QVERIFY(bankText(*bank_).contains(u"旧二|2|1|0|a"_s));
}

void TestDownload::anotherDownloadHoldsTheFolder() {
    bank_->writeLines(u"tk.txt"_s, {u"旧|1|1|0|a"_s});
    const QByteArray before = bank_->readBytes(u"tk.txt"_s);
    QLockFile other(BankDownload::lockFile(bank_->dir()));
    QVERIFY(other.tryLock(0));
    RecordingHost host;
    const DownloadOutcome outcome = download(host);
    QVERIFY(!outcome.bankWritten);
    QVERIFY(outcome.failure.contains(u"另一个下载"_s));
    QVERIFY(server_->requests().isEmpty());
    QCOMPARE(bank_->readBytes(u"tk.txt"_s), before);
    QCOMPARE(host.buttons, (QList<bool>{false, true}));
    other.unlock();
    QCOMPARE(download(host).usableGrades, 6);
}

void TestDownload::symlinksAmongTheFilesAreNotFollowed() {
    // Links where the grade files once lay, pointing at the user's own questions.
    bank_->writeLines(u"zbtk.txt"_s, {u"我的题|1|1|0|a"_s});
    const QByteArray mine = bank_->readBytes(u"zbtk.txt"_s);
    for (int g = 1; g <= 6; ++g)
        QVERIFY(QFile::link(bank_->path(u"zbtk.txt"_s), bank_->path(u"%1nj.tmp"_s.arg(g))));
    RecordingHost host;
    QCOMPARE(download(host).usableGrades, 6);
    QCOMPARE(bank_->readBytes(u"zbtk.txt"_s), mine);
    QVERIFY(bankText(*bank_).startsWith(u"1甲1|"_s));
}

void TestDownload::interruptLeavesTheFolderAsItWas() {
    for (int g = 1; g <= 6; ++g)
        server_->setPage(u"/xx/%1nj.asp"_s.arg(g),
                         {200, "text/html", QByteArray(), TestHttpServer::Mode::NeverAnswer});
    server_->setPage(u"/xx/1nj.asp"_s,
                     {200, "text/html; charset=gbk", gbk(u"<body>"_s + gradePage(1) + u"</body>"_s)});
    bank_->writeLines(u"tk.txt"_s, {u"旧|1|1|0|a"_s});
    const QByteArray before = bank_->readBytes(u"tk.txt"_s);
    const QStringList entries =
        QDir(bank_->dir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    QProcess program;
    program.start(QStringLiteral(TESSALY_PROGRAM), {u"download"_s, u"--server"_s, server_->baseUrl(),
                                                    u"--bank-dir"_s, bank_->dir(), u"--yes"_s});
    QVERIFY(program.waitForStarted(10000));
    // Once grade 1 is in and grade 2 hangs, Ctrl+C.
    QTRY_VERIFY_WITH_TIMEOUT(server_->requests().contains(u"/xx/2nj.asp"_s), 20000);
    ::kill(static_cast<pid_t>(program.processId()), SIGINT);
    QTRY_VERIFY_WITH_TIMEOUT(program.state() == QProcess::NotRunning, 10000);
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 130);
    QCOMPARE(bank_->readBytes(u"tk.txt"_s), before);
    QCOMPARE(QDir(bank_->dir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), entries);
}

void TestDownload::commandLine() {
    QString outText, errText;
    QString noInput;
    QTextStream in(&noInput), out(&outText), err(&errText);
    QCOMPARE(
        runDownloadCommand({u"--server"_s, server_->baseUrl(), u"--bank-dir"_s, bank_->dir(), u"--yes"_s},
                           UserFiles::inFolder(bank_->dir()), in, out, err),
        0);
    QVERIFY(outText.contains(u"6年级题库下载成功，正在下载7年级题库……"_s));
    QVERIFY(outText.contains(u"下载任务结束！"_s));
    QVERIFY(QFile::exists(bank_->path(u"tk.txt"_s)));

    // Without --yes and with nothing typed, the answer is No: nothing is fetched.
    const int requests = static_cast<int>(server_->requests().size());
    QCOMPARE(runDownloadCommand({u"--server"_s, server_->baseUrl(), u"--bank-dir"_s, bank_->dir()},
                                UserFiles::inFolder(bank_->dir()), in, out, err),
             1);
    QCOMPARE(server_->requests().size(), requests);

    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
    const QString nowhere = u"http://127.0.0.1:%1"_s.arg(closed.serverPort());
    closed.close();
    QCOMPARE(runDownloadCommand({u"--server"_s, nowhere, u"--bank-dir"_s, bank_->dir(), u"--yes"_s},
                                UserFiles::inFolder(bank_->dir()), in, out, err),
             1);
    QCOMPARE(runDownloadCommand({u"--server"_s, u"::"_s}, UserFiles::inFolder(bank_->dir()), in, out, err),
             2);
}

void TestDownload::realStaticWebServer() {
    const QString nginx = QStandardPaths::findExecutable(u"nginx"_s, {u"/usr/sbin"_s, u"/usr/bin"_s});
    if (nginx.isEmpty())
        QSKIP("nginx is not installed");
    QTemporaryDir site;
    // nginx's workers run as an unprivileged user: the site must be readable by others.
    QVERIFY(QFile::setPermissions(site.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                   QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup |
                                                   QFile::ExeGroup));
    QVERIFY(QDir(site.path()).mkpath(u"www/xx"_s) && QDir(site.path()).mkpath(u"logs"_s));
    for (int g = 1; g <= 6; ++g) {
        QFile page(site.filePath(u"www/xx/%1nj.asp"_s.arg(g)));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write(gbk(u"<html><head><meta charset=\"gbk\"></head><body>\r\n"_s + gradePage(g) +
                       u"\r\n</body></html>"_s));
    }
    QTcpServer probe; // a free loopback port for nginx
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    QFile conf(site.filePath(u"nginx.conf"_s));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write(u"daemon off;\nworker_processes 1;\npid %1/nginx.pid;\nerror_log %1/logs/error.log;\n"
               u"events { worker_connections 16; }\n"
               u"http {\n access_log off;\n client_body_temp_path %1/logs;\n proxy_temp_path %1/logs;\n"
               u" fastcgi_temp_path %1/logs;\n uwsgi_temp_path %1/logs;\n scgi_temp_path %1/logs;\n"
               u" types { text/html asp; }\n"
               u" server { listen 127.0.0.1:%2; root %1/www; }\n}\n"_s.arg(site.path())
                   .arg(port)
                   .toUtf8());
    conf.close();
    QProcess server;
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(
        nginx, {u"-p"_s, site.path(), u"-c"_s, conf.fileName(), u"-e"_s, site.filePath(u"logs/error.log"_s)});
    QVERIFY(server.waitForStarted(10000));
    QTcpSocket socket;
    QElapsedTimer up;
    up.start();
    bool listening = false;
    while (!listening && up.elapsed() < 10000) {
        socket.connectToHost(QHostAddress::LocalHost, port);
        listening = socket.waitForConnected(200);
        socket.abort();
        if (!listening)
            QTest::qWait(50);
    }
    QVERIFY2(listening, server.readAll().constData());

    DownloadSettings settings;
    settings.server = u"http://127.0.0.1:%1"_s.arg(port);
    settings.pageTimeoutMs = 10000;
    BankDownload download(network_, settings, bank_->dir());
    RecordingHost host;
    const DownloadOutcome outcome = download.run(host);
    server.terminate();
    QVERIFY(server.waitForFinished(10000));
    QCOMPARE(outcome.usableGrades, 6);
    QVERIFY(bankText(*bank_).startsWith(u"1甲1|1|1|0|3＋4＝7\r\n乙1|1|2|1|9－2＝7\r\n\r\n1甲2"_s));
}

QTEST_GUILESS_MAIN(TestDownload)
#include "tst_download.moc"
