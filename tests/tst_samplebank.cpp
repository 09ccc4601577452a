// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/BankCheck.h"
#include "bank/BankText.h"
#include "bank/CodeTables.h"

#include <QFile>
#include <QMap>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

// The bank that ships beside the program: well formed, and covering what it claims.
class TestSampleBank : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void layout();
    void noMalformedRecord();
    void coversEveryTopic();
    void answersUseFullWidthSigns();

private:
    QByteArray bytes_;
    QString text_;
    QList<QStringList> records_;
};

void TestSampleBank::initTestCase() {
    QFile file(QStringLiteral(TESSALY_SAMPLE_BANK));
    QVERIFY(file.open(QIODevice::ReadOnly));
    bytes_ = file.readAll();
    const std::optional<QString> text = banktext::decode(bytes_);
    QVERIFY(text.has_value());
    text_ = *text;
    banktext::forEachLine(text_, [&](QStringView line) { records_.append(line.toString().split(u'|')); });
    QVERIFY(records_.size() > 400);
}

void TestSampleBank::layout() {
    // GB18030 like a downloaded bank: not UTF-8, every line ended by CR LF, no editor "##".
    QVERIFY(!banktext::looksLikeUtf8(bytes_));
    QVERIFY(bytes_.endsWith("\r\n"));
    QCOMPARE(bytes_.count("\r\n"), records_.size());
    QCOMPARE(bytes_.count('\n'), records_.size());
    QVERIFY(!text_.contains(u"##"_s));
    QVERIFY(!text_.contains(u' '));
    QVERIFY(!text_.contains(u'\t'));
}

void TestSampleBank::noMalformedRecord() {
    const QList<bankcheck::Problem> problems = bankcheck::problems(text_);
    for (const bankcheck::Problem &p : problems)
        qWarning() << bankcheck::describe(u"tk.txt"_s, p);
    QVERIFY(problems.isEmpty());
    for (const QStringList &r : std::as_const(records_))
        QCOMPARE(r.size(), 5);
}

void TestSampleBank::coversEveryTopic() {
    QMap<QPair<int, int>, int> perGradeAndCode;
    QMap<int, int> perCode;
    QSet<int> grades;
    for (const QStringList &r : std::as_const(records_)) {
        const int grade = r[1].toInt(), code = r[2].toInt();
        perGradeAndCode[{grade, code}] += 1;
        perCode[code] += 1;
        grades.insert(grade);
    }
    QCOMPARE(grades, (QSet<int>{1, 2, 3, 4, 5, 6}));
    for (int slot = 1; slot <= codes::TopicSlotCount; ++slot) {
        for (int grade = codes::textbookMinimumGrade(slot); grade <= 6; ++grade)
            QVERIFY2(perGradeAndCode.value({grade, slot}) >= 3,
                     qPrintable(u"%1 at grade %2"_s.arg(codes::textbookTopicNames()[slot - 1]).arg(grade)));
        QVERIFY2(perCode.value(codes::topicCode(slot, true)) >= 1,
                 qPrintable(codes::olympiadTopicNames()[slot - 1]));
        // The olympiad topics offered at grade 1 have grade-1 questions.
        if (codes::olympiadEnabledAtGradeOne(slot))
            QVERIFY(perGradeAndCode.value({1, codes::topicCode(slot, true)}) >= 1);
    }
    QVERIFY(perCode.value(codes::UnclassifiedTextbookCode) >= 1);
    QVERIFY(perCode.value(codes::UnclassifiedOlympiadCode) >= 1);

    QSet<int> difficulties;
    for (const QStringList &r : std::as_const(records_))
        difficulties.insert(r[3].toInt());
    QCOMPARE(difficulties, (QSet<int>{0, 1, 2, 3, 4, 5}));
}

void TestSampleBank::answersUseFullWidthSigns() {
    for (const QStringList &r : std::as_const(records_)) {
        for (QChar sign : {u'+', u'-', u'*', u'/', u'='})
            QVERIFY2(!r[4].contains(sign), qPrintable(r[4]));
        QVERIFY2(r[4].contains(u'＝') || r[4].contains(u'。'), qPrintable(r[4]));
    }
}

QTEST_GUILESS_MAIN(TestSampleBank)
#include "tst_samplebank.moc"
