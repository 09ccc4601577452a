// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/DocxTarget.h"
#include "generation/DocumentWriter.h"
#include "generation/PinyinText.h"
#include "support/ScriptedHost.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

// The pinyin over a question: the readings in their words, measured on a table of word-problem words
// written by hand; the tone changes of 一 and 不; which characters a grade's 生字 pinyin marks.
class TestPinyin : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void readingsOfTheTable();
    void inSentences_data();
    void inSentences();
    void onlyUnknownCharactersForAGrade();
    void numbersAndSignsCarryNone();
    void dataMadeFromThePackages();
    void sheetCarriesRubyOverItsQuestions();

private:
    std::shared_ptr<const pinyintext::Dictionary> dictionary_;
};

namespace {

QString readingsOf(const QList<pinyintext::Piece> &pieces) {
    QStringList out;
    for (const pinyintext::Piece &p : pieces)
        if (!p.pinyin.isEmpty())
            out.append(p.pinyin);
    return out.join(u' ');
}

} // namespace

void TestPinyin::initTestCase() {
    const Result<std::shared_ptr<const pinyintext::Dictionary>> loaded = pinyintext::Dictionary::load();
    QVERIFY2(loaded.ok(), qPrintable(loaded.error()));
    dictionary_ = loaded.value();
}

void TestPinyin::readingsOfTheTable() {
    QFile file(QFINDTESTDATA("data/pinyin-readings.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    int words = 0, characters = 0, right = 0;
    QStringList wrong;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QString word = line.section(u'\t', 0, 0);
        const QStringList expected = line.section(u'\t', 1).split(u' ');
        QCOMPARE(expected.size(), word.size());
        const QStringList got = readingsOf(dictionary_->annotate(word)).split(u' ');
        ++words;
        for (qsizetype i = 0; i < word.size(); ++i) {
            ++characters;
            if (got.value(i) == expected[i])
                ++right;
        }
        if (got != expected)
            wrong.append(u"%1 %2 (expected %3)"_s.arg(word, got.join(u' '), expected.join(u' ')));
    }
    QVERIFY(words >= 200);
    const double accuracy = double(right) / characters;
    qInfo("%d words, %d characters, %.2f %% read right", words, characters, accuracy * 100);
    for (const QString &w : std::as_const(wrong))
        qInfo("%s", qPrintable(w));
    QVERIFY2(accuracy >= 0.99, qPrintable(wrong.join(u"; "_s)));
}

void TestPinyin::inSentences_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("readings");
    QTest::newRow("a sum") << u"小明有7元，又得2元，一共多少元？"_s
                           << u"xiǎo míng yǒu yuán yòu dé yuán yí gòng duō shǎo yuán"_s;
    QTest::newRow("what is left") << u"树上有9只鸟，飞走了3只，还剩几只？"_s
                                  << u"shù shang yǒu zhī niǎo fēi zǒu le zhī hái shèng jǐ zhī"_s;
    QTest::newRow("a rectangle") << u"长方形的长是8米"_s << u"cháng fāng xíng de cháng shì mǐ"_s;
    QTest::newRow("one at the end") << u"第一"_s << u"dì yī"_s;
    QTest::newRow("one before a fourth tone") << u"一次"_s << u"yí cì"_s;
    QTest::newRow("not before a fourth tone") << u"不够"_s << u"bú gòu"_s;
}

void TestPinyin::inSentences() {
    QFETCH(QString, text);
    QFETCH(QString, readings);
    QCOMPARE(readingsOf(dictionary_->annotate(text)), readings);
}

void TestPinyin::onlyUnknownCharactersForAGrade() {
    // 的 is among the first characters a pupil learns; 筐 is not known in grade 1.
    QVERIFY(dictionary_->rankOf(u'的') > 0 &&
            dictionary_->rankOf(u'的') <= pinyintext::Dictionary::knownCharacters(1));
    QVERIFY(dictionary_->rankOf(u'筐') > pinyintext::Dictionary::knownCharacters(1));
    const QList<pinyintext::Piece> pieces = dictionary_->annotateHard(u"一筐的苹果"_s, 1);
    QStringList marked;
    for (const pinyintext::Piece &p : pieces)
        if (!p.pinyin.isEmpty())
            marked.append(p.text);
    QVERIFY(marked.contains(u"筐"_s));
    QVERIFY(!marked.contains(u"的"_s));
    // Later grades know more: never more marked in grade 6 than in grade 1.
    for (int grade = 2; grade <= 6; ++grade)
        QVERIFY(pinyintext::Dictionary::knownCharacters(grade) >=
                pinyintext::Dictionary::knownCharacters(grade - 1));
}

void TestPinyin::numbersAndSignsCarryNone() {
    const QList<pinyintext::Piece> pieces = dictionary_->annotate(u"3＋5＝（　）个"_s);
    QCOMPARE(pieces.size(), 2);
    QCOMPARE(pieces[0].text, u"3＋5＝（　）"_s);
    QVERIFY(pieces[0].pinyin.isEmpty());
    QCOMPARE(pieces[1].pinyin, u"gè"_s);
}

void TestPinyin::dataMadeFromThePackages() {
    // The shipped data is what the tool makes from the installed packages, byte for byte.
    QTemporaryDir out;
    QProcess tool;
    tool.start(u"python3"_s,
               {QStringLiteral(TESSALY_SOURCE_DIR) + u"/tools/make_pinyin_data.py"_s, out.path()});
    QVERIFY(tool.waitForFinished(120000));
    QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
    for (const QString &name : {u"pinyin.txt"_s, u"char-frequency.txt"_s}) {
        QFile made(out.filePath(name)), shipped(QStringLiteral(TESSALY_SOURCE_DIR) + u"/data/"_s + name);
        QVERIFY(made.open(QIODevice::ReadOnly) && shipped.open(QIODevice::ReadOnly));
        QVERIFY2(made.readAll() == shipped.readAll(), qPrintable(name));
    }
}

void TestPinyin::sheetCarriesRubyOverItsQuestions() {
    ScriptedHost host;
    SheetRequest request = host.settings();
    request.grade = 1;
    request.layout.pinyin = SheetLayout::Pinyin::All;
    DrawnSheet sheet;
    sheet.items.append(SheetItem{u"小明有7元，一共多少元？"_s, 1, u"7＋2＝9（元）"_s, u"0"_s, 0});
    DocxTarget target;
    DocumentWriter::write(host, target, request, sheet, u"2026/12/9"_s);
    const QString xml = QString::fromUtf8(target.documentXml());
    // Each character of the question its own ruby; the number and the signs none.
    QCOMPARE(xml.count(u"<w:ruby>"_s), 9); // 小明有 元 一共多少元
    QVERIFY(xml.contains(u"\u00A0yí\u00A0"_s) && xml.contains(u"\u00A0gòng\u00A0"_s));
    QVERIFY(!xml.contains(u"\u00A0yī\u00A0"_s));
    // The key is the teacher's: no pinyin.
    DocxTarget key;
    request.answers = true;
    DocumentWriter::write(host, key, request, sheet, u"2026/12/9"_s);
    QVERIFY(!key.documentXml().contains("<w:ruby>"));
    // 生字 only: a grade-6 pupil knows every character of this question.
    DocxTarget hard;
    request.answers = false;
    request.grade = 6;
    request.layout.pinyin = SheetLayout::Pinyin::Hard;
    DocumentWriter::write(host, hard, request, sheet, u"2026/12/9"_s);
    QVERIFY(!hard.documentXml().contains("<w:ruby>"));
}

QTEST_GUILESS_MAIN(TestPinyin)
#include "tst_pinyin.moc"
