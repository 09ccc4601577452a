// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CheckCommand.h"
#include "bank/ArithmeticCheck.h"
#include "bank/BankText.h"
#include "bank/ExactArithmetic.h"
#include "support/TempBank.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestCheck : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void arithmetic_data();
    void arithmetic();
    void machineIntegersAgreeWithGmp();
    void plantedFaultsAreFound();
    void faultsFarInALargeBank_data();
    void faultsFarInALargeBank();
    void cleanBankIsClean();
    void sampleBankIsClean();
    void badOptions();

private:
    struct Run {
        int status;
        QString out, err;
    };
    static Run check(const QStringList &arguments, const QString &dir);
};

TestCheck::Run TestCheck::check(const QStringList &arguments, const QString &dir) {
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = runCheckCommand(arguments, UserFiles::inFolder(dir), o, e);
    return {status, out, err};
}

void TestCheck::arithmetic_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("wrong"); // the steps found wrong, each with what its left side is
    QTest::newRow("whole numbers, unit") << u"7＋2＝9（元）"_s << QStringList{};
    QTest::newRow("wrong sum") << u"7＋2＝10（元）"_s << QStringList{u"7＋2＝10 → 9"_s};
    QTest::newRow("chain, the second link wrong")
        << u"12×3×5＝36×5＝190（块）"_s << QStringList{u"36×5＝190 → 180"_s};
    QTest::newRow("chain, all right") << u"3＋4＝5＋2＝7"_s << QStringList{};
    QTest::newRow("two steps after a unit")
        << u"256－38＝218（人）256＋218＝475（人）"_s << QStringList{u"256+218＝475 → 474"_s};
    QTest::newRow("decimals exactly") << u"0.1＋0.2＝0.3"_s << QStringList{};
    QTest::newRow("decimal wrong") << u"2.5×4＝11"_s << QStringList{u"2.5×4＝11 → 10"_s};
    // Leading zeros are decimal digits, never an octal number: 0.25 is a quarter, and 0.8 or 09 are
    // numbers, not a crash of the whole check.
    QTest::newRow("leading zeros") << u"0.25×4＝1"_s << QStringList{};
    QTest::newRow("leading zero with 8 and 9") << u"0.8＋0.9＝1.7"_s << QStringList{};
    QTest::newRow("zero-padded whole number") << u"09＋1＝10"_s << QStringList{};
    QTest::newRow("leading zero wrong") << u"0.08×100＝9"_s << QStringList{u"0.08×100＝9 → 8"_s};
    // Past 18 digits a number is read through GMP's text reader, below them as a machine integer.
    QTest::newRow("twenty digits") << u"12345678901234567890＋1＝12345678901234567891"_s << QStringList{};
    QTest::newRow("twenty digits wrong")
        << u"99999999999999999999＋1＝100000000000000000001"_s << QStringList{u"x → 100000000000000000000"_s};
    QTest::newRow("eighteen decimal places")
        << u"0.000000000000000001×1000000000000000000＝1"_s << QStringList{};
    // Values past 64 bits while reckoning: the machine integers give way to GMP.
    QTest::newRow("product past 64 bits")
        << u"4294967296×4294967296＝18446744073709551616"_s << QStringList{};
    QTest::newRow("product past 64 bits wrong")
        << u"4294967296×4294967296×2＝36893488147419103233"_s << QStringList{u"x → 36893488147419103232"_s};
    QTest::newRow("a large value that comes back down")
        << u"999999999999×999999999999÷999999999999＝999999999999"_s << QStringList{};
    QTest::newRow("a sum right at the 64-bit edge")
        << u"9223372036854775807－1＋1＝9223372036854775807"_s << QStringList{};
    QTest::newRow("fractions in words") << u"7分之5＋7分之1＝7分之6"_s << QStringList{};
    QTest::newRow("fraction wrong") << u"9分之4＋9分之1＝9分之6"_s
                                    << QStringList{u"9分之4+9分之1＝9分之6 → 5/9"_s};
    QTest::newRow("fraction with a slash") << u"4/9＋1/9＝5/9"_s << QStringList{};
    QTest::newRow("percent") << u"(1＋30%)×(1－30%)＝91%"_s << QStringList{};
    QTest::newRow("percent wrong") << u"200×15%＝35（元）"_s << QStringList{u"200×15%＝35 → 30"_s};
    QTest::newRow("full-width brackets") << u"（36－8）÷（3－1）＝14（岁）"_s << QStringList{};
    QTest::newRow("remainder") << u"51÷7＝7（袋）……2（个）"_s << QStringList{};
    QTest::newRow("remainder wrong") << u"17÷5＝3……3"_s << QStringList{u"17/5＝3……3 → 3……2"_s};
    QTest::newRow("a time of day is skipped") << u"8时30分＋2时＝10时30分"_s << QStringList{};
    QTest::newRow("a ratio is skipped") << u"3∶4＝6∶9"_s << QStringList{};
    QTest::newRow("words are skipped") << u"答：一共有9个苹果。"_s << QStringList{};
    QTest::newRow("a comparison is no step") << u"8×9＝72（人）；72＜77，不够坐。"_s << QStringList{};
}

void TestCheck::arithmetic() {
    QFETCH(QString, answer);
    QFETCH(QStringList, wrong);
    QStringList found;
    for (const arithmeticcheck::Mistake &m : arithmeticcheck::mistakes(answer))
        found.append(m.step + u" → "_s + m.expected);
    // Steps are shown as the checker reads them; compare their values only where the sign forms differ.
    QCOMPARE(found.size(), wrong.size());
    for (qsizetype i = 0; i < wrong.size(); ++i)
        QCOMPARE(found[i].section(u" → "_s, 1), wrong[i].section(u" → "_s, 1));
}

// The check reckons in machine integers and turns to GMP only past 64 bits: over thousands of sides
// made of every form the grammar has, both read the same sides as arithmetic and give the same values.
void TestCheck::machineIntegersAgreeWithGmp() {
    QRandomGenerator random(20261209);
    const auto number = [&random]() -> QString {
        switch (random.bounded(6)) {
        case 0:
            return QString::number(random.bounded(10));
        case 1:
            return QString::number(random.bounded(1000)) + u'.' + QString::number(random.bounded(100));
        case 2:
            return QString::number(random.bounded(1, 20)) + u"分之"_s + QString::number(random.bounded(20));
        case 3:
            return QString::number(random.bounded(200)) + u'%';
        case 4: // near and past the machine's limit
            return QString::number(random.generate64() >> random.bounded(0, 40));
        default:
            return QString::number(random.bounded(100000));
        }
    };
    std::function<QString(int)> side = [&](int depth) -> QString {
        QString text = depth > 0 && random.bounded(4) == 0 ? u'(' + side(depth - 1) + u')' : number();
        if (random.bounded(8) == 0)
            text.prepend(u'-');
        const int more = random.bounded(4);
        for (int k = 0; k < more; ++k) {
            text += QStringView(u"+-*/").at(random.bounded(4));
            text += depth > 0 && random.bounded(3) == 0 ? u'(' + side(depth - 1) + u')' : number();
        }
        if (random.bounded(30) == 0) // not arithmetic: a stray sign or a word
            text.insert(random.bounded(text.size() + 1), random.bounded(2) ? u"+"_s : u"个"_s);
        return text;
    };
    int small = 0, large = 0, none = 0;
    for (int n = 0; n < 20000; ++n) {
        const QString text = side(2);
        bool tooLarge = false;
        const std::optional<exactarithmetic::SmallRational> fast =
            exactarithmetic::evaluateSmall(text, &tooLarge);
        const std::optional<mpq_class> exact = exactarithmetic::evaluate(text);
        if (tooLarge) {
            QVERIFY(!fast);
            ++large;
            continue;
        }
        QVERIFY2(fast.has_value() == exact.has_value(), qPrintable(text));
        if (!fast) {
            ++none;
            continue;
        }
        const mpq_class value(mpz_class(std::to_string(fast->numerator)),
                              mpz_class(std::to_string(fast->denominator)));
        QVERIFY2(value == *exact && value.get_den() == mpz_class(std::to_string(fast->denominator)),
                 qPrintable(text));
        ++small;
    }
    // Every kind of outcome was met, each many times.
    QVERIFY2(small > 5000 && large > 500 && none > 500,
             qPrintable(u"%1 small, %2 large, %3 not arithmetic"_s.arg(small).arg(large).arg(none)));
}

void TestCheck::plantedFaultsAreFound() {
    TempBank bank;
    QStringEncoder gb("GB18030");
    QByteArray tk = gb(QStringList{
                           u"好题一|1|1|0|1＋1＝2"_s,        // 1 clean
                           u"只有三段|1|1"_s,                // 2 too few fields
                           u"年级不对|8|1|0|1"_s,            // 3 grade outside the table
                           u"|1|1|0|1"_s,                    // 4 empty question
                           u"没有答案|1|1|0|"_s,             // 5 empty answer
                           u"三年级才有的专题|1|18|0|2"_s,   // 6 topic not offered at grade 1
                           u"好题一|2|1|0|1＋1＝2"_s,        // 7 the same question again
                           u"好 题 二|1|1|0|3"_s,            // 8
                           u"好题二|1|1|0|3"_s,              // 9 the same once blanks go
                           u"算错了|2|3|1|12－5＝8（个）"_s, // 10 arithmetic
                       }
                           .join(u"\r\n"_s) +
                       u"\r\n"_s);
    tk += "\xFF\xFE|1|1|0|1\r\n"; // 11 bytes of no encoding
    bank.writeBytes(u"tk.txt"_s, tk);
    // zbtk.txt: GBK with one UTF-8 line pasted in.
    QByteArray zbtk = gb(u"自己的题甲|2|1|0|1\r\n自己的题乙|2|1|0|2\r\n"_s);
    zbtk += u"粘贴来的题|2|1|0|3\r\n"_s.toUtf8();
    bank.writeBytes(u"zbtk.txt"_s, zbtk);
    const Run run = check({u"--bank-dir"_s, bank.dir(), u"--format"_s, u"json"_s}, bank.dir());
    QCOMPARE(run.status, 1);
    const QJsonObject report = QJsonDocument::fromJson(run.out.toUtf8()).object();
    QStringList found;
    for (const QJsonValueConstRef f : report[u"findings"_s].toArray())
        found.append(u"%1:%2:%3"_s.arg(f[u"file"_s].toString())
                         .arg(f[u"line"_s].toInt())
                         .arg(f[u"kind"_s].toString()));
    for (const QString &expected :
         {u"tk.txt:2:记录"_s, u"tk.txt:3:记录"_s, u"tk.txt:4:记录"_s, u"tk.txt:5:记录"_s, u"tk.txt:6:记录"_s,
          u"tk.txt:7:重复"_s, u"tk.txt:9:重复"_s, u"tk.txt:10:计算"_s, u"tk.txt:11:编码"_s,
          u"zbtk.txt:3:编码"_s})
        QVERIFY2(found.contains(expected), qPrintable(expected + u" not in "_s + found.join(u' ')));
    QVERIFY2(!found.contains(u"tk.txt:1:记录"_s) && !found.contains(u"tk.txt:8:重复"_s),
             qPrintable(found.join(u' ')));
    // Each finding carries its line's text.
    for (const QJsonValueConstRef f : report[u"findings"_s].toArray())
        if (f[u"line"_s].toInt() == 10)
            QVERIFY(f[u"text"_s].toString().startsWith(u"算错了"_s));
    // The counts: grade 1, topic 1, difficulty 0 holds 好题一, 好 题 二, 好题二, 没有答案 and the garbled
    // line.
    bool counted = false;
    for (const QJsonValueConstRef c : report[u"counts"_s].toArray())
        if (c[u"grade"_s].toInt() == 1 && c[u"code"_s].toInt() == 1) {
            QCOMPARE(c[u"difficulty"_s].toArray().at(0).toInt(), 5);
            QCOMPARE(c[u"topic"_s].toString(), u"求和"_s);
            counted = true;
        }
    QVERIFY(counted);

    const Run text = check({u"--bank-dir"_s, bank.dir()}, bank.dir());
    QCOMPARE(text.status, 1);
    QVERIFY(text.out.contains(u"tk.txt 第10行 [计算] 计算步骤“12－5＝8”不对：左边等于 7"_s));
    QVERIFY(text.out.contains(u"    算错了|2|3|1|12－5＝8（个）"_s));
}

void TestCheck::faultsFarInALargeBank_data() {
    QTest::addColumn<bool>("utf8");
    QTest::newRow("GB18030") << false;
    QTest::newRow("UTF-8, one GB18030 line far on") << true;
}

// A bank of 50,000 lines is examined in batches on worker threads: faults on either side of a batch's
// edge, a duplicate of a line batches earlier and one in the other file are found on their own lines, in
// line order, as a bank of ten lines has them; so is an encoding that turns far into the file.
void TestCheck::faultsFarInALargeBank() {
    QFETCH(bool, utf8);
    QStringList lines;
    for (int i = 1; i <= 50000; ++i) {
        const int a = i % 97 + 3, b = i / 97 % 89 + 2;
        lines.append(
            u"第%1题：每箱有%2个苹果，%3箱一共有多少个？|3|1|2|%2×%3＝%4（个）"_s.arg(i).arg(a).arg(b).arg(
                a * b));
    }
    lines[16383] = u"第16384题：算错了|3|1|2|12－5＝8（个）"_s; // the last line of a batch
    lines[16384] = lines[2];                                    // the first of the next: line 3 again
    lines[32768] = u"年级不对|8|1|0|1"_s;
    lines[39999] = u"第40000题：zbtk 里也有|3|1|2|1＋1＝2"_s;
    TempBank bank;
    const QString text = lines.join(u"\r\n"_s) + u"\r\n"_s;
    QByteArray tk;
    if (utf8) {
        // Line 20000 pasted in GB18030 into a UTF-8 file: the start chose UTF-8, the check reads on.
        const qsizetype at = text.indexOf(u"第20000题"_s);
        const qsizetype end = text.indexOf(u"\r\n"_s, at);
        tk = text.first(at).toUtf8() + banktext::encode(QStringView(text).sliced(at, end - at)) +
             text.sliced(end).toUtf8();
    } else {
        tk = banktext::encode(text);
    }
    bank.writeBytes(u"tk.txt"_s, tk);
    bank.writeLines(u"zbtk.txt"_s, {u"自己的题|3|1|0|2"_s, u"第40000题：zbtk 里也有|4|1|2|1＋1＝2"_s});
    const Run run = check({u"--bank-dir"_s, bank.dir(), u"--format"_s, u"json"_s}, bank.dir());
    QCOMPARE(run.status, 1);
    QStringList found;
    for (const QJsonValueConstRef f :
         QJsonDocument::fromJson(run.out.toUtf8()).object()[u"findings"_s].toArray())
        found.append(u"%1:%2:%3:%4"_s.arg(f[u"file"_s].toString())
                         .arg(f[u"line"_s].toInt())
                         .arg(f[u"kind"_s].toString(), f[u"message"_s].toString()));
    QStringList expected;
    if (utf8)
        expected.append(u"tk.txt:20000:编码:"_s);
    expected += QStringList{
        u"tk.txt:32769:记录:"_s,
        u"tk.txt:16384:计算:计算步骤“12－5＝8”不对：左边等于 7"_s,
        u"tk.txt:16385:重复:与 tk.txt 第3行的题目完全相同"_s,
        u"zbtk.txt:2:重复:与 tk.txt 第40000行的题目完全相同"_s,
    };
    QCOMPARE(found.size(), expected.size());
    for (qsizetype i = 0; i < found.size(); ++i)
        QVERIFY2(found[i].startsWith(expected[i]), qPrintable(found[i] + u" is not "_s + expected[i]));
}

void TestCheck::cleanBankIsClean() {
    TempBank bank;
    bank.writeLines(u"tk.txt"_s, {u"小明有7元钱，又得2元，一共几元？|1|1|0|7＋2＝9（元）"_s,
                                  u"每箱12个，3箱几个？|3|11|2|12×3＝36（个）"_s});
    const Run run = check({u"--bank-dir"_s, bank.dir()}, bank.dir());
    QVERIFY2(run.status == 0, qPrintable(run.out));
    QVERIFY(run.out.contains(u"没有发现问题。"_s));
    QVERIFY(run.out.contains(u"三年级 教材 连乘(11)：0 0 1 0 0 0  共1"_s));
}

void TestCheck::sampleBankIsClean() {
    TempBank bank;
    QVERIFY(QFile::copy(QStringLiteral(TESSALY_SAMPLE_BANK), bank.path(u"tk.txt"_s)));
    const Run run = check({u"--bank-dir"_s, bank.dir()}, bank.dir());
    QVERIFY2(run.status == 0, qPrintable(run.out.left(2000)));
}

void TestCheck::badOptions() {
    TempBank bank;
    QCOMPARE(check({u"--format"_s, u"xml"_s}, bank.dir()).status, 2);
    QCOMPARE(check({u"--colour"_s}, bank.dir()).status, 2);
    const Run none = check({u"--bank-dir"_s, bank.dir()}, bank.dir());
    QCOMPARE(none.status, 1);
    QVERIFY(none.err.contains(u"题库不存在"_s));
}

QTEST_GUILESS_MAIN(TestCheck)
#include "tst_check.moc"
