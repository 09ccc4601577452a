// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/BankCheck.h"
#include "bank/BankLoader.h"
#include "bank/BankRecord.h"
#include "bank/BankText.h"
#include "bank/CodeTables.h"
#include "bank/NumberValue.h"
#include "bank/TopicCounts.h"
#include "common/AtomicFile.h"
#include "editor/TopicGrid.h"
#include "support/FullDisk.h"
#include "support/ScriptedHost.h"
#include "support/TempBank.h"

#include <QFile>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestBank : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void numberValue_data();
    void numberValue();
    void codeTables();
    void gradeRules_data();
    void gradeRules();
    void decode_data();
    void decode();
    void lineDecoderReadsAsIconv_data();
    void lineDecoderReadsAsIconv();
    void lines_data();
    void lines();
    void readLinesInPieces_data();
    void readLinesInPieces();

    void gradeSelection_data();
    void gradeSelection();
    void recordFields();
    void keptLinesReadAgain_data();
    void keptLinesReadAgain();
    void gradeReadForEveryLine();
    void missingDownloadedBank();
    void stopWhileReadingDownloadedBank();
    void unreadableFileIsSkipped();
    void appendKeepsEncoding_data();
    void appendKeepsEncoding();
    void appendOnFullDiskTakesTheLineBack();
    void atomicWrite_data();
    void atomicWrite();
    void atomicWriteOnFullDisk();
    void everyReaderReadsALineAlike_data();
    void everyReaderReadsALineAlike();
};

void TestBank::numberValue_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("digit") << u"3"_s << 3.0;
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("blanks and trailing text") << u"  12abc"_s << 12.0;
    QTest::newRow("fraction") << u"2.5"_s << 2.5;
    QTest::newRow("negative") << u"-4"_s << -4.0;
    QTest::newRow("no number") << u"abc"_s << 0.0;
    QTest::newRow("sign only") << u"-"_s << 0.0;
    QTest::newRow("full-width digit is no number") << u"３"_s << 0.0;
}

void TestBank::numberValue() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(::numberValue(text), value);
    QCOMPARE(integerValue(text), static_cast<int>(value));
}

void TestBank::codeTables() {
    QCOMPARE(codes::gradeNames().size(), 7);
    QCOMPARE(codes::gradeNames().first(), u"小学阶段综合"_s);
    QCOMPARE(codes::difficultyNames().at(3), u"★★★"_s);
    QCOMPARE(codes::textbookTopicNames().size(), 40);
    QCOMPARE(codes::olympiadTopicNames().size(), 40);
    QCOMPARE(codes::textbookTopicNames().at(17), u"归一"_s);
    QCOMPARE(codes::olympiadTopicNames().at(26), u"表 面 积"_s);
    QCOMPARE(codes::olympiadTopicNames().at(35), u"牛 吃 草"_s);

    QCOMPARE(topicgrid::controlName(18), u"Check20"_s);
    QCOMPARE(topicgrid::controlName(25), u"Check31"_s);
    QCOMPARE(topicgrid::controlName(40), u"Check40"_s);
    QCOMPARE(topicgrid::slotOfControl(27), 28);
    QCOMPARE(topicgrid::slotOfControl(18), 0); // 星级 is no topic box

    QCOMPARE(codes::topicCode(5, true), 45);
    QCOMPARE(codes::slotOfTopicCode(45, true), 5);
    QCOMPARE(codes::slotOfTopicCode(45, false), -1);
    QCOMPARE(codes::slotOfTopicCode(0, false), 0);
    QCOMPARE(codes::slotOfTopicCode(99, true), 0);
    QCOMPARE(codes::slotOfTopicCode(0, true), -1);
    QCOMPARE(codes::slotOfTopicCode(99, false), -1);
}

void TestBank::gradeRules_data() {
    QTest::addColumn<int>("grade");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("enabledSlots"); // "all", "none", "keep" or a comma list

    using M = codes::QuestionMode;
    QTest::newRow("calc all") << 0 << int(M::Calculation) << u"all"_s;
    QTest::newRow("calc 1") << 1 << int(M::Calculation) << u"1,2,3,4,5"_s;
    QTest::newRow("calc 2") << 2 << int(M::Calculation) << u"1,2,3,4,5,6,7,8"_s;
    QTest::newRow("calc 3: 归一 without 路程")
        << 3 << int(M::Calculation) << u"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,18"_s;
    QTest::newRow("estimation 3 equals calc 3")
        << 3 << int(M::Estimation) << u"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,18"_s;
    QTest::newRow("calc 5: 异分加减 early")
        << 5 << int(M::Calculation)
        << u"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,"
           u"27,28,29,30,31,32,33"_s;
    QTest::newRow("calc 6") << 6 << int(M::Calculation) << u"all"_s;
    QTest::newRow("equation 6 without geometry")
        << 6 << int(M::Equation)
        << u"1,2,3,4,5,6,7,8,9,10,11,12,14,15,17,18,19,20,21,22,23,24,29,33,34,35,36,38"_s;
    QTest::newRow("olympiad all") << 0 << int(M::Olympiad) << u"all"_s;
    QTest::newRow("olympiad 1") << 1 << int(M::Olympiad) << u"9,15,40"_s;
    QTest::newRow("olympiad 4 keeps states") << 4 << int(M::Olympiad) << u"keep"_s;
}

void TestBank::gradeRules() {
    QFETCH(int, grade);
    QFETCH(int, mode);
    QFETCH(QString, enabledSlots);
    const auto m = static_cast<codes::QuestionMode>(mode);
    QSet<int> expected;
    if (enabledSlots == u"all"_s)
        for (int s = 1; s <= 40; ++s)
            expected.insert(s);
    else if (enabledSlots != u"keep"_s)
        for (const QString &s : enabledSlots.split(u','))
            expected.insert(s.toInt());
    for (int slot = 1; slot <= 40; ++slot) {
        const std::optional<bool> enabled = codes::slotEnabledForGrade(slot, grade, m);
        if (enabledSlots == u"keep"_s) {
            QVERIFY2(!enabled.has_value(), qPrintable(QString::number(slot)));
            continue;
        }
        QVERIFY2(enabled.has_value(), qPrintable(QString::number(slot)));
        QCOMPARE(*enabled, expected.contains(slot));
    }
    QCOMPARE(codes::gradeSelectsAll(grade, m), enabledSlots != u"keep"_s);
}

void TestBank::decode_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    const QString sample = u"小明有7元钱|1|1|0|7＋2＝9"_s;
    QStringEncoder gbk("GB18030");
    QTest::newRow("utf-8") << sample.toUtf8() << sample;
    QTest::newRow("utf-8 with byte-order mark") << QByteArray("\xEF\xBB\xBF" + sample.toUtf8()) << sample;
    QTest::newRow("gbk") << QByteArray(gbk(sample)) << sample;
    QTest::newRow("ascii") << QByteArray("abc|1|2") << u"abc|1|2"_s;
    QTest::newRow("gbk that is valid utf-8 by chance") << QByteArray("\xCE\xA8\xD2\xBB") << u"唯一"_s;
    QTest::newRow("short utf-8 chinese") << u"唯一"_s.toUtf8() << u"唯一"_s;
    QTest::newRow("gb18030 four-byte character") << QByteArray(gbk(u"𠀀题"_s)) << u"𠀀题"_s;
    // GB18030 records whose bytes are valid UTF-8 as well: the everyday reading wins.
    for (const QString &text : {u"缁℃：|1|1|0|2"_s, u"唯一|1|1|0|2"_s})
        QTest::newRow(qPrintable(u"confusable gbk "_s + text)) << QByteArray(gbk(text)) << text;
    // And UTF-8 records whose bytes are valid GB18030 ("文件" reads as "鏂囦欢" there).
    for (const QString &text : {u"唯一|1|1|0|2"_s, u"文件|1|1|0|2"_s, u"上次|2|3|0|1"_s, u"文件"_s})
        QTest::newRow(qPrintable(u"confusable utf-8 "_s + text)) << text.toUtf8() << text;
}

void TestBank::decode() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const std::optional<QString> decoded = banktext::decode(bytes);
    QVERIFY(decoded.has_value());
    QCOMPARE(*decoded, text);
}

void TestBank::lineDecoderReadsAsIconv_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << QByteArray("7+2=9|1|1|0|7+2=9");
    QTest::newRow("utf-8 Chinese") << QString(u"小明有7个苹果|1|1|2|7＋2＝9（个）"_s).toUtf8();
    QTest::newRow("gb18030 Chinese") << banktext::encode(u"小明有7个苹果|1|1|2|7＋2＝9（个）"_s);
    QTest::newRow("four-byte characters") << QString(u"𠮷野家|😀"_s).toUtf8();
    QTest::newRow("gb18030 four-byte") << banktext::encode(u"𠮷野家"_s);
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF");
    QTest::newRow("overlong three bytes") << QByteArray("\xE0\x80\xAF");
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80");
    QTest::newRow("past U+10FFFF") << QByteArray("\xF4\x90\x80\x80");
    QTest::newRow("cut at the end") << QByteArray("\xE4\xB8");
    QTest::newRow("lone continuation") << QByteArray("a\x80"
                                                     "b");
    QTest::newRow("F5 and above") << QByteArray("\xF5\x80\x80\x80");
    QTest::newRow("noncharacter U+FFFE") << QByteArray("\xEF\xBF\xBE");
    QTest::newRow("byte-order mark inside") << QByteArray("a\xEF\xBB\xBF"
                                                          "b");
    QTest::newRow("empty") << QByteArray();
    // An empty line of a real buffer: iconv must never be handed an output buffer of no bytes.
    QTest::newRow("empty, not null") << QByteArray("", 0);
}

// The check's line decoder reads UTF-8 by hand and GB18030 through UCS-4: each line is valid in an
// encoding exactly when iconv's decoding of it is, and gives the same text.
void TestBank::lineDecoderReadsAsIconv() {
    QFETCH(QByteArray, bytes);
    banktext::LineDecoder decoder;
    QString text;
    const bool utf8 = decoder.utf8(bytes, text);
    QCOMPARE(utf8, banktext::validUtf8(bytes));
    if (utf8)
        QCOMPARE(text, QString::fromUtf8(bytes));
    const bool gb = decoder.gb18030(bytes, text);
    QCOMPARE(gb, banktext::validGb18030(bytes));
    if (gb)
        QCOMPARE(text, QString(QStringDecoder("GB18030")(bytes)));
    // And random bytes, a thousand lines of them, against the same judges.
    QRandomGenerator random(qHash(bytes));
    for (int n = 0; n < 1000; ++n) {
        QByteArray line(random.bounded(12), Qt::Uninitialized);
        for (char &c : line)
            c = static_cast<char>(random.bounded(2) ? random.bounded(0x80, 0x100)
                                                    : random.bounded(0x20, 0x80));
        QCOMPARE(decoder.utf8(line, text), banktext::validUtf8(line));
        QCOMPARE(decoder.gb18030(line, text), banktext::validGb18030(line));
    }
}

void TestBank::lines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("crlf") << u"a\r\nb\r\n"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("lone lf") << u"a\nb\nc"_s << QStringList{u"a"_s, u"b"_s, u"c"_s};
    QTest::newRow("lone cr") << u"a\rb"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("mixed with empty line") << u"a\r\n\nb\r"_s << QStringList{u"a"_s, QString(), u"b"_s};
    QTest::newRow("lf cr is two ends") << u"a\n\rb"_s << QStringList{u"a"_s, QString(), u"b"_s};
    QTest::newRow("empty") << QString() << QStringList{};
    QTest::newRow("no end") << u"only"_s << QStringList{u"only"_s};
}

void TestBank::lines() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QStringList got;
    banktext::forEachLine(text, [&](QStringView line) { got.append(line.toString()); });
    QCOMPARE(got, lines);
}

namespace {

struct CollectedLines : banktext::LineSink {
    QStringList lines;
    QList<banktext::LinePlace> places;
    int restarts = 0;
    bool line(QStringView line, banktext::LinePlace place) override {
        lines.append(line.toString());
        places.append(place);
        return true;
    }
    void restart() override {
        lines.clear();
        places.clear();
        ++restarts;
    }
};

} // namespace

// The reading in pieces gives the lines the reading of the whole file gives, wherever a piece ends.
void TestBank::readLinesInPieces_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("restarts");
    const auto gbk = [](const QString &text) { return banktext::encode(text); };
    const qsizetype piece = qsizetype{1} << 20;
    const QByteArray filler(piece - 1, 'a');
    QTest::newRow("small gbk") << gbk(u"小明有7元钱|1|1|0|7＋2＝9\r\n第二行"_s) << 0;
    QTest::newRow("small utf-8") << u"小明\n唯一"_s.toUtf8() << 0;
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("cr lf cut by the piece's end") << QByteArray(filler + "\r\nb\r\n") << 0;
    QTest::newRow("lone cr at the piece's end") << QByteArray(filler + "\rb") << 0;
    QTest::newRow("cr at the file's end") << QByteArray(filler + "\r") << 0;
    QTest::newRow("gbk character cut by the piece's end") << QByteArray(filler + gbk(u"题\n又"_s)) << 0;
    QTest::newRow("four-byte character cut") << QByteArray(QByteArray(piece - 2, 'a') + gbk(u"𠀀\n"_s)) << 0;
    // ASCII at the start chooses nothing; the UTF-8 far on is read as UTF-8.
    QTest::newRow("utf-8 character cut") << QByteArray(filler + u"题\n"_s.toUtf8()) << 1;
    QByteArray longLine;
    while (longLine.size() < 3 * piece)
        longLine += gbk(u"很长的题目"_s);
    QTest::newRow("a line longer than three pieces") << QByteArray("x\n" + longLine + "\ny") << 0;
    // "文件" in UTF-8 is valid GB18030 as well ("鏂囦欢"): the start reads as UTF-8, the whole as GB18030.
    QByteArray utf8Start;
    while (utf8Start.size() < 2 * piece)
        utf8Start += u"文件|1|1|0|2\r\n"_s.toUtf8();
    QTest::newRow("utf-8 at the start, a gbk line far on")
        << QByteArray(utf8Start + gbk(u"丁|3|4|5|z\r\n"_s)) << 1;
    QTest::newRow("utf-8 with byte-order mark") << QByteArray("\xEF\xBB\xBF" + utf8Start) << 0;
    // Past four pieces a thread decodes ahead of the lines' hand-over.
    QByteArray large;
    for (int i = 0; large.size() < 6 * piece; ++i)
        large += gbk(u"第%1题：每箱有%2个苹果|3|1|2|%2×3＝%3（个）\r\n"_s.arg(i).arg(i % 97).arg(i % 97 * 3));
    QTest::newRow("large gbk, decoded ahead") << large << 0;
    QTest::newRow("large, cr lf cut by a piece's end")
        << QByteArray(QByteArray(5 * piece - 1, 'a') + "\r\nb\r\n") << 0;
    QTest::newRow("large, gbk character cut by a piece's end")
        << QByteArray(QByteArray(5 * piece - 1, 'a') + gbk(u"题\n又"_s)) << 0;
    QByteArray largeUtf8;
    while (largeUtf8.size() < 5 * piece)
        largeUtf8 += u"文件|1|1|0|2\r\n"_s.toUtf8();
    QTest::newRow("large utf-8 start, a gbk line far on")
        << QByteArray(largeUtf8 + gbk(u"丁|3|4|5|z\r\n"_s)) << 1;
}

void TestBank::readLinesInPieces() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, restarts);
    TempBank files;
    files.writeBytes(u"tk.txt"_s, bytes);
    CollectedLines sink;
    const Result<bool> read = banktext::readLines(files.dir() + u"/tk.txt"_s, sink);
    QVERIFY2(read.ok(), qPrintable(read.error()));
    QVERIFY(read.value());
    const std::optional<QString> whole = banktext::decode(bytes);
    QVERIFY(whole.has_value());
    QStringList expected;
    banktext::forEachLine(*whole, [&](QStringView line) { expected.append(line.toString()); });
    QCOMPARE(sink.lines.size(), expected.size());
    QVERIFY(sink.lines == expected);
    QCOMPARE(sink.restarts, restarts);
    // Each line's place among the bytes holds that very line, in the encoding it was read in.
    banktext::LineDecoder decoder;
    for (qsizetype i = 0; i < sink.lines.size(); ++i) {
        const banktext::LinePlace &place = sink.places[i];
        QString again;
        const QByteArrayView at = QByteArrayView(bytes).sliced(place.offset, place.size);
        QVERIFY(place.utf8 ? decoder.utf8(at, again) : decoder.gb18030(at, again));
        if (again != sink.lines[i])
            QFAIL(qPrintable(u"line %1 is not at its place"_s.arg(i + 1)));
    }

    // Undecodable bytes name the file; a sink that says stop ends the reading.
    files.writeBytes(u"zbtk.txt"_s, QByteArray(bytes + "\x80\xFF\x80"));
    CollectedLines broken;
    const Result<bool> bad = banktext::readLines(files.dir() + u"/zbtk.txt"_s, broken);
    QVERIFY(!bad.ok());
    QVERIFY(bad.error().contains(u"zbtk.txt"_s));
    struct FirstOnly : banktext::LineSink {
        int seen = 0;
        bool line(QStringView, banktext::LinePlace) override { return ++seen < 1; }
        void restart() override {}
    } first;
    const Result<bool> stopped = banktext::readLines(files.dir() + u"/tk.txt"_s, first);
    QVERIFY(stopped.ok());
    QCOMPARE(stopped.value(), expected.isEmpty());
}

namespace {

QStringList questionsOf(const QuestionBank &bank) {
    QStringList result;
    for (qsizetype i = 0; i < bank.size(); ++i)
        result.append(bank.text(i).value_or(QuestionText{u"(unreadable)"_s, {}, {}}).question);
    return result;
}

} // namespace

void TestBank::gradeSelection_data() {
    QTest::addColumn<int>("grade");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("all grades") << 0 << QStringList{u"甲"_s, u"乙"_s, u"丙"_s, u"无分隔"_s, u"丁"_s, u"甲"_s};
    QTest::newRow("grade 1") << 1 << QStringList{u"甲"_s, u"无分隔"_s, u"甲"_s};
    QTest::newRow("grade 3") << 3 << QStringList{u"丙"_s, u"无分隔"_s, u"丁"_s};
    QTest::newRow("grade 6 has none of its own") << 6 << QStringList{u"无分隔"_s};
}

void TestBank::gradeSelection() {
    QFETCH(int, grade);
    QFETCH(QStringList, expected);
    TempBank files;
    // Blank lines hold no record; a line without "|" is taken under every grade.
    files.writeLines(u"tk.txt"_s, {u"甲|1|1|0|1＋1＝2"_s, u"乙|0|2|1|x"_s, u""_s, u"丙|3|9|2|y"_s, u"  \t "_s,
                                   u"无分隔"_s});
    files.writeBytes(u"zbtk.txt"_s, banktext::encode(u"丁|3|4|5|z##\n甲|1|1|0|1＋1＝2##\n"_s));
    ScriptedHost host;
    host.settings().grade = grade;
    QuestionBank bank;
    const LoadReport report = BankLoader::load(host, files.dir(), bank);
    QVERIFY(!report.downloadedBankMissing);
    QVERIFY(report.userBankPresent);
    QCOMPARE(questionsOf(bank), expected);
    QVERIFY(host.notices().isEmpty());
}

void TestBank::recordFields() {
    TempBank files;
    files.writeLines(u"tk.txt"_s, {u"三个字段|3|12"_s, u"多余字段|3|1|2|答|六|七"_s});
    files.writeLines(u"zbtk.txt"_s, {u"编辑|3|5|1|7＋2＝9##"_s, u"两次|3|5|1|a####"_s});
    ScriptedHost host;
    host.settings().grade = 3;
    QuestionBank bank;
    BankLoader::load(host, files.dir(), bank);
    QCOMPARE(bank.size(), 4);
    QCOMPARE(bank.at(0).topic, 12);
    QCOMPARE(bank.at(0).level, 0); // no difficulty reads as 基础题
    QVERIFY(bank.text(0)->difficulty.isEmpty());
    QVERIFY(bank.text(0)->answer.isEmpty());
    QCOMPARE(bank.text(1)->answer, u"答"_s);
    QCOMPARE(bank.at(1).level, 2);
    // Only one trailing "##" is the editor's end mark.
    QCOMPARE(bank.text(2)->answer, u"7＋2＝9"_s);
    QCOMPARE(bank.text(3)->answer, u"a##"_s);
}

// The bank keeps its files open and reads a line again when a sheet takes it: a file replaced by a new
// one (as every writer of the program replaces it) still gives the lines of the load; one written over
// in place gives no other question in the old one's stead.
void TestBank::keptLinesReadAgain_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("gbk, cr lf") << banktext::encode(u"甲题|1|1|0|答一\r\n乙题|1|2|3|答二\r\n"_s);
    QTest::newRow("utf-8 with mark, lf")
        << QByteArray("\xEF\xBB\xBF" + u"甲题|1|1|0|答一\n乙题|1|2|3|答二"_s.toUtf8());
}

void TestBank::keptLinesReadAgain() {
    QFETCH(QByteArray, bytes);
    TempBank files;
    files.writeBytes(u"tk.txt"_s, bytes);
    ScriptedHost host;
    QuestionBank bank;
    BankLoader::load(host, files.dir(), bank);
    QCOMPARE(bank.size(), 2);
    QCOMPARE(bank.text(1)->question, u"乙题"_s);
    QCOMPARE(bank.text(1)->difficulty, u"3"_s);
    QCOMPARE(bank.text(1)->answer, u"答二"_s);
    QCOMPARE(bank.fileName(bank.at(1)), u"tk.txt"_s);

    const QString path = files.path(u"tk.txt"_s);
    QVERIFY(QFile::rename(path, path + u".old"_s));
    files.writeLines(u"tk.txt"_s, {u"新题|1|1|0|新答"_s});
    QCOMPARE(bank.text(0)->question, u"甲题"_s);
    QCOMPARE(bank.text(1)->answer, u"答二"_s);

    QFile inPlace(path + u".old"_s);
    QVERIFY(inPlace.open(QIODevice::ReadWrite));
    QByteArray changed = bytes;
    changed.replace(banktext::encode(u"乙"_s), banktext::encode(u"丙"_s));
    changed.replace(u"乙"_s.toUtf8(), u"丙"_s.toUtf8());
    QVERIFY(inPlace.write(changed) == changed.size());
    inPlace.close();
    QVERIFY(!bank.text(1).has_value());
    QCOMPARE(bank.text(0)->question, u"甲题"_s);
}

void TestBank::gradeReadForEveryLine() {
    TempBank files;
    files.writeLines(u"tk.txt"_s, {u"a|1|1"_s, u"b|2|1"_s, u"c|2|1"_s, u"d|1|1"_s});
    ScriptedHost host;
    host.settings().grade = 1;
    // The user picks grade 2 while the second line is being read.
    host.onEvents = [&host](int n) {
        if (n == 2)
            host.settings().grade = 2;
    };
    QuestionBank bank;
    BankLoader::load(host, files.dir(), bank);
    QCOMPARE(questionsOf(bank), (QStringList{u"a"_s, u"b"_s, u"c"_s}));
    QCOMPARE(host.gradeReads, 4);
    QCOMPARE(host.checkpoints, 4);
}

void TestBank::missingDownloadedBank() {
    TempBank files;
    files.writeLines(u"zbtk.txt"_s, {u"自己的|2|1|0|a##"_s, u"别的|3|1|0|b##"_s});
    ScriptedHost host;
    host.settings().grade = 2;
    // The download writes a fresh tk.txt; this run must not read it.
    host.setDownload([&] { files.writeLines(u"tk.txt"_s, {u"新下载|2|1|0|c"_s}); });
    QuestionBank bank;
    const LoadReport report = BankLoader::load(host, files.dir(), bank);
    QVERIFY(report.downloadedBankMissing);
    QCOMPARE(host.notices(), QStringList{u"题库不存在，请下载最新题库！"_s});
    QCOMPARE(host.trace, QStringList{u"download"_s});
    QCOMPARE(questionsOf(bank), QStringList{u"自己的"_s});
    QVERIFY(QFile::exists(files.path(u"tk.txt"_s)));
}

void TestBank::stopWhileReadingDownloadedBank() {
    TempBank files;
    files.writeLines(u"tk.txt"_s, {u"a|0|1"_s, u"b|0|1"_s, u"c|0|1"_s});
    files.writeLines(u"zbtk.txt"_s, {u"d|0|1"_s});
    ScriptedHost host;
    host.onEvents = [&host](int n) {
        if (n == 2)
            host.requestStop();
    };
    QuestionBank bank;
    const LoadReport report = BankLoader::load(host, files.dir(), bank);
    QVERIFY(report.stopped);
    QCOMPARE(questionsOf(bank), QStringList{u"a"_s});
    // zbtk.txt is opened, its first checkpoint sees the flag, and none of its lines is read.
    QCOMPARE(host.checkpoints, 3);
}

void TestBank::unreadableFileIsSkipped() {
    TempBank files;
    // Neither UTF-8 nor GB18030: skipped like a missing file, and the user bank is still read.
    files.writeBytes(u"tk.txt"_s, QByteArray("\xFF\xFF\xFF|1|1\r\n"));
    files.writeLines(u"zbtk.txt"_s, {u"好|1|1"_s});
    ScriptedHost host;
    QuestionBank bank;
    const LoadReport report = BankLoader::load(host, files.dir(), bank);
    QCOMPARE(report.unreadable.size(), 1);
    QVERIFY(report.unreadable.first().contains(u"tk.txt"_s));
    QVERIFY(!report.downloadedBankMissing);
    QCOMPARE(questionsOf(bank), QStringList{u"好"_s});
}

void TestBank::appendKeepsEncoding_data() {
    QTest::addColumn<QByteArray>("existing");
    QTest::addColumn<QByteArray>("expected");
    const QString line = u"新题|2|3|1|答案##"_s;
    QStringEncoder gbk("GB18030");
    const QByteArray gbLine = gbk(line);
    QTest::newRow("new file") << QByteArray() << QByteArray(gbLine + "\r\n");
    QTest::newRow("gbk file") << QByteArray(gbk(u"旧|1|1|0|a\r\n"_s))
                              << QByteArray(QByteArray(gbk(u"旧|1|1|0|a\r\n"_s)) + gbLine + "\r\n");
    QTest::newRow("utf-8 file stays utf-8")
        << u"旧|1|1|0|a\n"_s.toUtf8() << QByteArray(u"旧|1|1|0|a\n"_s.toUtf8() + line.toUtf8() + "\r\n");
    QTest::newRow("last line without end")
        << QByteArray("a|1|1") << QByteArray(QByteArray("a|1|1\r\n") + gbLine + "\r\n");
}

void TestBank::appendKeepsEncoding() {
    QFETCH(QByteArray, existing);
    QFETCH(QByteArray, expected);
    TempBank files;
    if (!existing.isEmpty())
        files.writeBytes(u"zbtk.txt"_s, existing);
    const Status status = banktext::appendLine(files.path(u"zbtk.txt"_s), u"新题|2|3|1|答案##"_s);
    QVERIFY2(status.ok(), qPrintable(status.error()));
    QCOMPARE(files.readBytes(u"zbtk.txt"_s), expected);
}

namespace {

QByteArray bytesOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

void TestBank::appendOnFullDiskTakesTheLineBack() {
    FullDisk disk(16);
    if (!disk.available())
        QSKIP("mounting a small tmpfs needs root");
    const QString path = disk.path(u"zbtk.txt"_s);
    QStringEncoder gbk("GB18030");
    const QByteArray before = gbk(u"旧|1|1|0|a\r\n"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(before) == before.size());
    file.close();
    QVERIFY(disk.fill(u"filler"_s, 1));
    // Longer than what is left, so part of it could land before the disk says no.
    const Status status = banktext::appendLine(path, QString(QString(3000, u'题') + u"|1|1|0|a##"_s));
    QVERIFY(!status.ok());
    QVERIFY2(status.error().contains(u"磁盘已满"_s), qPrintable(status.error()));
    QCOMPARE(bytesOf(path), before);
}

void TestBank::atomicWrite_data() {
    QTest::addColumn<QString>("existing"); // "", "file", "symlink", "folder"
    QTest::addColumn<bool>("ok");
    QTest::newRow("new file") << u""_s << true;
    QTest::newRow("replaces a file, keeps its permissions") << u"file"_s << true;
    QTest::newRow("writes through a symlink, which stays") << u"symlink"_s << true;
    QTest::newRow("a folder of that name") << u"folder"_s << false;
}

void TestBank::atomicWrite() {
    QFETCH(QString, existing);
    QFETCH(bool, ok);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"tk.txt"_s);
    const QString real = dir.filePath(u"real.txt"_s);
    if (existing == u"file"_s || existing == u"symlink"_s) {
        QFile file(existing == u"file"_s ? path : real);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("old");
        file.close();
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        if (existing == u"symlink"_s)
            QVERIFY(QFile::link(real, path));
    }
    if (existing == u"folder"_s)
        QVERIFY(QDir(dir.path()).mkdir(u"tk.txt"_s));

    const Status status = writeFileAtomically(path, "new bytes");
    QCOMPARE(status.ok(), ok);
    if (ok) {
        QCOMPARE(bytesOf(path), QByteArray("new bytes"));
        if (existing != u""_s)
            QCOMPARE(QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                     QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        QCOMPARE(QFileInfo(path).isSymLink(), existing == u"symlink"_s);
    } else {
        QVERIFY2(status.error().contains(u"文件夹"_s), qPrintable(status.error()));
        QVERIFY(QFileInfo(path).isDir());
    }
    // No temporary file is left, whatever happened.
    QStringList expected{u"tk.txt"_s};
    if (existing == u"symlink"_s)
        expected.prepend(u"real.txt"_s);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
             expected);
}

void TestBank::atomicWriteOnFullDisk() {
    FullDisk disk(16);
    if (!disk.available())
        QSKIP("mounting a small tmpfs needs root");
    const QString path = disk.path(u"tk.txt"_s);
    QVERIFY(writeFileAtomically(path, QByteArray(3000, 'o')).ok());
    QVERIFY(disk.fill(u"filler"_s, 2048));
    AtomicFile file(path);
    QVERIFY(file.open().ok());
    // Written in pieces, as the bank join does: the failure sticks and commit() reports it.
    Status step = succeeded();
    for (int i = 0; i < 10; ++i)
        step = file.write(QByteArray(1024, 'n'));
    QVERIFY(!step.ok());
    const Status committed = file.commit();
    QVERIFY(!committed.ok());
    QVERIFY2(committed.error().contains(u"磁盘已满"_s) && committed.error().contains(u"tk.txt"_s),
             qPrintable(committed.error()));
    QCOMPARE(bytesOf(path), QByteArray(3000, 'o'));
    QCOMPARE(disk.entries(), QStringList{u"tk.txt"_s});
}

void TestBank::everyReaderReadsALineAlike_data() {
    QTest::addColumn<QString>("grade");
    QTest::addColumn<int>("readAs"); // the grade a run takes the line at; -1: only 小学阶段综合
    QTest::addColumn<bool>("fault"); // the check calls the grade wrong
    QTest::newRow("3") << u"3"_s << 3 << false;
    QTest::newRow("3.0") << u"3.0"_s << 3 << false;
    QTest::newRow("blank around") << u" 3 "_s << 3 << false;
    QTest::newRow("+3") << u"+3"_s << 3 << false;
    QTest::newRow("3.5") << u"3.5"_s << -1 << true;
    QTest::newRow("7") << u"7"_s << -1 << true;
}

void TestBank::everyReaderReadsALineAlike() {
    // The loader (what a sheet draws), the topic counts (the window's tooltips), the check and the
    // download (bankrecord::parse(...).grade decides which old records a failed grade keeps) go by one
    // parse: a line means the same to all of them.
    QFETCH(QString, grade);
    QFETCH(int, readAs);
    QFETCH(bool, fault);
    const QString line = u"小明有3个苹果|"_s + grade + u"|5|1|3＋0＝3"_s;
    TempBank files;
    files.writeLines(u"tk.txt"_s, {line});
    TopicCounts counts(files.dir());
    for (int position = 0; position < codes::GradeCount; ++position) {
        ScriptedHost host;
        host.settings().grade = position;
        QuestionBank bank;
        BankLoader::load(host, files.dir(), bank);
        const int expected = position == 0 || position == readAs ? 1 : 0;
        QCOMPARE(bank.size(), expected);
        QCOMPARE(counts.count(position, 5), expected);
    }
    QCOMPARE(bankrecord::parse(line).grade, readAs);
    bool gradeFault = false;
    for (const bankcheck::Problem &p : bankcheck::problems(line))
        gradeFault = gradeFault || p.message.contains(u"年级"_s);
    QCOMPARE(gradeFault, fault);
}

QTEST_GUILESS_MAIN(TestBank)
#include "tst_bank.moc"
