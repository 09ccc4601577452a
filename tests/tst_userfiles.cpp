// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/SettingsWrite.h"
#include "common/UserFiles.h"
#include "support/FullDisk.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

bool writeBytes(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

QByteArray readBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray SampleBank = "示例题一|1|1|0|3\r\n示例题二|1|2|0|5\r\n"_ba;

} // namespace

class TestUserFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void locate_data();
    void locate();
    void readOnlyProgramFolderIsNotPortable();
    void firstStartCopiesTheSample_data();
    void firstStartCopiesTheSample();
    void firstStartOnAFullDisk();
    void settingsKeepTheirOtherKeys();
    void settingsOnAFullDiskStayByteForByte();
    void installedProgramKeepsFilesInTheUsersFolders();

private:
    QString userData_, userConfig_;
};

void TestUserFiles::initTestCase() {
    QCoreApplication::setApplicationName(u"Tessaly"_s);
    userData_ = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    userConfig_ = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    // The test environment points both into the build tree, never at a real home.
    QVERIFY(userData_.endsWith(u"/Tessaly"_s) && userConfig_.endsWith(u"/Tessaly"_s));
}

void TestUserFiles::locate_data() {
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<bool>("portable");
    QTest::newRow("empty program folder") << QStringList{} << false;
    QTest::newRow("other files only") << QStringList{u"readme.txt"_s} << false;
    QTest::newRow("downloaded bank") << QStringList{u"tk.txt"_s} << true;
    QTest::newRow("own questions only") << QStringList{u"zbtk.txt"_s} << true;
    QTest::newRow("settings only") << QStringList{u"tessaly.ini"_s} << true;
}

void TestUserFiles::locate() {
    QFETCH(QStringList, present);
    QFETCH(bool, portable);
    QTemporaryDir program;
    for (const QString &name : present)
        QVERIFY(writeBytes(program.filePath(name), "x\n"));
    const UserFiles files = UserFiles::locate(program.path());
    QCOMPARE(files.portable, portable);
    if (portable) {
        QCOMPARE(files.bankDir, program.path());
        QCOMPARE(files.settingsFile, program.filePath(u"tessaly.ini"_s));
        QCOMPARE(files.dataDir, program.path());
    } else {
        QCOMPARE(files.bankDir, userData_);
        QCOMPARE(files.settingsFile, userConfig_ + u"/tessaly.ini"_s);
        QCOMPARE(files.dataDir, userData_);
    }
}

void TestUserFiles::readOnlyProgramFolderIsNotPortable() {
    // A bank in a folder the user cannot write to (an installed program's) is not the user's bank.
    FullDisk disk(64);
    if (!disk.available())
        QSKIP("needs root to mount a read-only file system");
    QVERIFY(writeBytes(disk.path(u"tk.txt"_s), SampleBank));
    QVERIFY(disk.makeReadOnly());
    const UserFiles files = UserFiles::locate(disk.dir());
    QVERIFY(!files.portable);
    QCOMPARE(files.bankDir, userData_);
}

void TestUserFiles::firstStartCopiesTheSample_data() {
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<bool>("copied");
    QTest::newRow("no bank") << QStringList{} << true;
    QTest::newRow("a downloaded bank") << QStringList{u"tk.txt"_s} << false;
    QTest::newRow("own questions only") << QStringList{u"zbtk.txt"_s} << false;
}

void TestUserFiles::firstStartCopiesTheSample() {
    QFETCH(QStringList, present);
    QFETCH(bool, copied);
    QTemporaryDir work;
    const QString sample = work.filePath(u"share/tessaly/tk.txt"_s);
    QVERIFY(writeBytes(sample, SampleBank));
    const QString bankDir = work.filePath(u"user/data/Tessaly"_s); // not there yet
    for (const QString &name : present)
        QVERIFY(writeBytes(bankDir + u'/' + name, "mine\n"));

    const Result<FirstStart> prepared = prepareUserFiles(UserFiles::inFolder(bankDir), sample);
    QVERIFY2(prepared.ok(), qPrintable(prepared.error()));
    QCOMPARE(prepared.value().sampleCopied, copied);
    QVERIFY(QFileInfo(bankDir).isDir());
    if (copied)
        QCOMPARE(readBytes(bankDir + u"/tk.txt"_s), SampleBank);
    for (const QString &name : present)
        QCOMPARE(readBytes(bankDir + u'/' + name), "mine\n"_ba);

    // The next start finds the bank and copies nothing.
    const Result<FirstStart> again = prepareUserFiles(UserFiles::inFolder(bankDir), sample);
    QVERIFY(again.ok() && !again.value().sampleCopied);
}

void TestUserFiles::firstStartOnAFullDisk() {
    FullDisk disk(64);
    if (!disk.available())
        QSKIP("needs root to mount a small file system");
    QTemporaryDir work;
    const QString sample = work.filePath(u"tk.txt"_s);
    QVERIFY(writeBytes(sample, QByteArray(qsizetype{200} * 1024, 'a'))); // larger than the disk
    const Result<FirstStart> prepared = prepareUserFiles(UserFiles::inFolder(disk.dir()), sample);
    QVERIFY(!prepared.ok());
    QVERIFY2(prepared.error().contains(u"磁盘已满"_s), qPrintable(prepared.error()));
    QCOMPARE(disk.entries(), QStringList{}); // no half bank that would count as one at the next start
}

void TestUserFiles::settingsKeepTheirOtherKeys() {
    QTemporaryDir work;
    const QString ini = work.filePath(u"config/Tessaly/tessaly.ini"_s); // the folder is made
    QVERIFY(writeSettings(ini, {{u"download/server"_s, u"http://127.0.0.1:9"_s}}).ok());
    QVERIFY(writeSettings(ini, {{u"page/paper"_s, u"A3"_s}, {u"page/landscape"_s, true}}).ok());
    const QSettings read(ini, QSettings::IniFormat);
    QCOMPARE(read.value(u"download/server"_s).toString(), u"http://127.0.0.1:9"_s);
    QCOMPARE(read.value(u"page/paper"_s).toString(), u"A3"_s);
    QCOMPARE(read.value(u"page/landscape"_s).toBool(), true);
}

void TestUserFiles::settingsOnAFullDiskStayByteForByte() {
    FullDisk disk(64);
    if (!disk.available())
        QSKIP("needs root to mount a small file system");
    const QString ini = disk.path(u"tessaly.ini"_s);
    const QByteArray old = "[download]\nserver=http://127.0.0.1:9\n\n[page]\npaper=A4\n"_ba;
    QVERIFY(writeBytes(ini, old));
    QVERIFY(disk.fill(u"filler"_s, 512));
    const Status written = writeSettings(ini, {{u"page/note"_s, QString(4000, u'长')}});
    QVERIFY(!written.ok());
    QVERIFY2(written.error().contains(u"磁盘已满"_s), qPrintable(written.error()));
    QCOMPARE(readBytes(ini), old);
    QCOMPARE(disk.entries(), QStringList{u"tessaly.ini"_s});
}

void TestUserFiles::installedProgramKeepsFilesInTheUsersFolders() {
    // The program as installed: <prefix>/bin/tessaly (no bank beside it) and the sample bank in
    // <prefix>/share/tessaly. A user's first run gets the sample in the user's data folder.
    QTemporaryDir root;
    const QString program = root.filePath(u"usr/bin/tessaly"_s);
    QVERIFY(QDir().mkpath(root.filePath(u"usr/bin"_s)));
    QVERIFY(QFile::copy(QStringLiteral(TESSALY_PROGRAM), program));
    QVERIFY(writeBytes(root.filePath(u"usr/share/tessaly/tk.txt"_s), SampleBank));
    // The user's program folder is read-only to the user in real life; here it holds no bank, which is
    // what decides for a folder that could be written.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"HOME"_s, root.filePath(u"home"_s));
    env.insert(u"XDG_DATA_HOME"_s, root.filePath(u"home/.local/share"_s));
    env.insert(u"XDG_CONFIG_HOME"_s, root.filePath(u"home/.config"_s));
    const QString dataDir = root.filePath(u"home/.local/share/Tessaly"_s);
    const QString history = root.filePath(u"home/kept.sqlite"_s);
    QVERIFY(writeBytes(root.filePath(u"home/.config/Tessaly/tessaly.ini"_s),
                       "[history]\nfile="_ba + history.toUtf8() + "\n"_ba));

    const auto run = [&](const QStringList &arguments, QString *err) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, arguments);
        if (!p.waitForFinished(60000))
            return -1;
        *err = QString::fromUtf8(p.readAllStandardError()) + QString::fromUtf8(p.readAllStandardOutput());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    QString err;
    const QString sheet = root.filePath(u"sheet.docx"_s);
    QCOMPARE(run({u"generate"_s, u"--grade"_s, u"1"_s, u"--count"_s, u"2"_s, u"--output"_s, sheet}, &err), 0);
    QVERIFY2(err.contains(u"已把示例题库复制到"_s), qPrintable(err));
    QCOMPARE(readBytes(dataDir + u"/tk.txt"_s), SampleBank);
    QVERIFY(QFileInfo(sheet).size() > 0);
    QVERIFY2(QFileInfo(history).isFile(), "the history follows tessaly.ini in the user's config folder");
    QVERIFY(!QFileInfo::exists(root.filePath(u"usr/bin/tk.txt"_s)));

    // Own questions go to the same folder; the second run copies nothing.
    QCOMPARE(run({u"add"_s, u"--grade"_s, u"1"_s, u"--topic"_s, u"1"_s, u"--question"_s, u"新加的题"_s,
                  u"--steps"_s, u"3+4=7"_s},
                 &err),
             0);
    QVERIFY2(!err.contains(u"已把示例题库复制到"_s), qPrintable(err));
    // A new zbtk.txt is written in the bank's own encoding, GB18030.
    QVERIFY(readBytes(dataDir + u"/zbtk.txt"_s)
                .contains(QByteArray(QStringEncoder("GB18030").encode(u"新加的题"_s))));

    QCOMPARE(run({u"--help"_s}, &err), 0);
    QVERIFY2(err.contains(QDir::toNativeSeparators(dataDir)), qPrintable(err));
    QVERIFY2(err.contains(root.filePath(u"home/.config/Tessaly/tessaly.ini"_s)), qPrintable(err));
}

QTEST_GUILESS_MAIN(TestUserFiles)
#include "tst_userfiles.moc"
