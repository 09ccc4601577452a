// SPDX-License-Identifier: GPL-3.0-or-later
#include "documents/office/OfficeConnection.h"
#include "pictures/SheetScan.h"
#include "support/OfficeChild.h"
#include "support/PdfPages.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <set>

using namespace Qt::Literals::StringLiterals;

// Sheets of many option combinations made by the program, exported to PDF by a real LibreOffice and
// read back from the printed pages: what a teacher would see wrong on paper.
class TestPrint : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void printedSheetHasNoLayoutFault_data();
    void printedSheetHasNoLayoutFault();
    void qrCodeReadBackFromThePrintedSheet();
    void pinyinReadBackFromThePrintedSheet();

private:
    QTemporaryDir work_;
    std::shared_ptr<OfficeConnection> office_;
    QString pipe_;
    QString longBank_, sampleBank_;
};

namespace {

constexpr double MarginPoints = 50;
constexpr double ColumnGapPoints = 567 / 20.0;

// Questions of every length, with write-in blanks in the middle and at the end, so that blanks meet
// line ends in narrow columns.
QByteArray longQuestions() {
    const QStringList pieces{
        u"甲乙两地相距"_s,     u"一辆汽车每小时行"_s,   u"另一辆每小时比它少行"_s, u"小明买了"_s,
        u"每本练习本"_s,       u"学校图书馆有故事书"_s, u"比科技书多"_s,           u"平均分给"_s,
        u"一块长方形菜地长"_s, u"宽比长少"_s,           u"同学们去植树，每行种"_s, u"一共要种"_s};
    const QStringList units{u"千米"_s, u"元"_s, u"本"_s, u"米"_s, u"棵"_s, u"个"_s};
    QStringList lines;
    quint32 seed = 12345;
    const auto next = [&seed](quint32 n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int i = 0; i < 400; ++i) {
        QString q;
        const int parts = 2 + int(next(6));
        for (int p = 0; p < parts; ++p) {
            q += pieces[next(pieces.size())];
            q += next(3) == 0 ? (next(2) ? u"()"_s : u"（）"_s) : QString::number(2 + next(997));
            q += units[next(units.size())] + u"，"_s;
        }
        q += next(2) ? u"一共有多少"_s + units[next(units.size())] + u"？"_s
                     : u"还剩()"_s + units[0] + u"。"_s;
        lines.append(q + u"|1|%1|%2|%3＝%4"_s.arg(1 + next(4)).arg(next(6)).arg(next(90)).arg(next(900)));
    }
    return lines.join(u"\r\n"_s).toUtf8();
}

struct Layout {
    int columns = 2;
    double lineSpacing = 30;
    double size = 11;
    int blankLines = 2;
    double leftMargin = MarginPoints; // wider with the seal line
    bool pinyin = false;              // lines of pinyin over the text, not read as text
};

// Text beside the page's text area: the footer below the bottom margin, the seal line left of the
// left one.
bool inFooter(const QRectF &box, const QSizeF &page) {
    return box.top() > page.height() - MarginPoints;
}
bool inSealStrip(const QRectF &box, const Layout &layout) {
    return box.right() < layout.leftMargin - 2;
}
// The text of a strip, its words in the order poppler found them, spaces left out.
QString stripText(const PdfPage &page, const std::function<bool(const QRectF &)> &in) {
    QString text;
    for (const PdfWord &w : page.words)
        if (in(w.box))
            text += w.text;
    return text;
}

double columnWidth(const QSizeF &page, const Layout &layout) {
    return (page.width() - MarginPoints - layout.leftMargin - (layout.columns - 1) * ColumnGapPoints) /
           layout.columns;
}

int columnOf(const QRectF &box, const QSizeF &page, const Layout &layout) {
    const int columns = layout.columns;
    const double width =
        (page.width() - MarginPoints - layout.leftMargin - (columns - 1) * ColumnGapPoints) / columns;
    const int c = int((box.left() - layout.leftMargin + 2) / (width + ColumnGapPoints));
    return std::clamp(c, 0, columns - 1);
}

struct Line {
    int page, column;
    QString text;
    QRectF box;
};

// A syllable of the pinyin over the text: lowercase Latin letters, tone marks and ü only.
bool isPinyin(const QString &word) {
    static const QRegularExpression syllable(u"^[a-zāáǎàēéěèīíǐìōóǒòūúǔùüǖǘǚǜ]+$"_s);
    return syllable.match(word).hasMatch();
}

// The printed lines in reading order (page, column, top to bottom): the words of a column whose
// middles lie within half a line of each other, left to right.
std::vector<Line> printedLines(const QList<PdfPage> &pages, const Layout &layout) {
    std::vector<Line> lines;
    for (int p = 0; p < pages.size(); ++p) {
        QList<PdfWord> words;
        for (const PdfWord &w : pages[p].words)
            if (!inFooter(w.box, pages[p].size) && !inSealStrip(w.box, layout) &&
                !(layout.pinyin && isPinyin(w.text)))
                words.append(w);
        std::sort(words.begin(), words.end(), [&](const PdfWord &a, const PdfWord &b) {
            const int ca = columnOf(a.box, pages[p].size, layout),
                      cb = columnOf(b.box, pages[p].size, layout);
            if (ca != cb)
                return ca < cb;
            if (qAbs(a.box.center().y() - b.box.center().y()) > a.box.height() / 2)
                return a.box.top() < b.box.top();
            return a.box.left() < b.box.left();
        });
        for (const PdfWord &w : words) {
            const int c = columnOf(w.box, pages[p].size, layout);
            if (!lines.empty() && lines.back().page == p && lines.back().column == c &&
                qAbs(lines.back().box.center().y() - w.box.center().y()) <= w.box.height() / 2) {
                lines.back().text += u' ' + w.text;
                lines.back().box |= w.box;
            } else {
                lines.push_back(Line{p, c, w.text, w.box});
            }
        }
    }
    return lines;
}

// Everything on the printed pages that a sheet must never show.
QStringList layoutFaults(const QList<PdfPage> &pages, const Layout &layout) {
    QStringList faults;
    static const QRegularExpression questionStart(u"^(\\[★+\\])?(\\d+)、"_s);
    static const QRegularExpression splitMark(u"\\][0-9]*$"_s);
    static const QRegularExpression markAlone(u"^\\[★+\\][0-9]*$"_s);
    static const QRegularExpression code(u"卷号 ?[0-9A-Z]{4}-[0-9A-Z]{2}"_s);
    const double lineHeight = std::max(layout.lineSpacing, layout.size * 1.6);
    const int last = int(pages.size()) - 1;

    // The heading spans the columns: read the first page's top as one column.
    Layout oneColumn = layout;
    oneColumn.columns = 1;
    for (const Line &line : printedLines({pages.value(0)}, oneColumn))
        if (line.text.contains(u"卷号"_s) && !code.match(line.text).hasMatch())
            faults.append(u"page 1: the heading splits the code: "_s + line.text);

    static const QRegularExpression sectionStart(u"^[一二三四五六七八九十]+、"_s);
    std::vector<Line> lines = printedLines(pages, layout);
    // The first page's heading spans the columns: the questions (or the first section) begin below it.
    const auto first = std::find_if(lines.begin(), lines.end(), [](const Line &line) {
        return line.text.startsWith(u"1、"_s) || line.text.contains(u"]1、"_s) ||
               line.text.startsWith(u"一、"_s);
    });
    if (first != lines.end()) {
        const double below = first->box.top() - 1;
        lines.erase(
            std::remove_if(lines.begin(), lines.end(),
                           [below](const Line &line) { return line.page == 0 && line.box.top() < below; }),
            lines.end());
    }
    std::map<std::pair<int, int>, double> columnTop, columnBottom;
    int questionPage = -1, questionColumn = -1, number = 0;
    bool afterHeading = false, tallerThanAColumn = false;
    std::set<std::pair<int, int>> continued; // columns that go on with a question taller than a column
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line &line = lines[i];
        const QString &text = line.text;
        const QString where = u"page %1 column %2"_s.arg(line.page + 1).arg(line.column + 1);
        const double column = columnWidth(pages[line.page].size, layout);
        // Where a thing is wider than the column itself, nothing could keep it on one line: the blank
        // is its brackets and four ems between them.
        if ((text.endsWith(u'(') || text.endsWith(u'（') || text.startsWith(u')') ||
             text.startsWith(u'）')) &&
            6 * layout.size < column)
            faults.append(where + u": a write-in blank is split: "_s + text);
        if (splitMark.match(text).hasMatch() || text.startsWith(u'、')) {
            // The rest of the number and its 、 on the next line, about half an em a digit.
            const QString next = i + 1 < lines.size() ? lines[i + 1].text : QString();
            const double rest = (next.indexOf(u'、') + 0.5) * layout.size * 0.55 + layout.size;
            if (line.box.width() + rest < column)
                faults.append(where + u": a mark or number is split: "_s + text);
        }

        const auto key = std::make_pair(line.page, line.column);
        const QRegularExpressionMatch start = questionStart.match(text);
        // A section's heading: a block of its own, after which the numbers may start again from 1.
        const bool heading = sectionStart.match(text).hasMatch();
        // A number parted from its mark at a column too narrow for both: "[★★]1" above, "5、" here.
        QString digits = start.captured(2);
        if (start.hasMatch() && start.captured(1).isEmpty() && i > 0 && lines[i - 1].page == line.page &&
            lines[i - 1].column == line.column)
            if (const auto above = splitMark.match(lines[i - 1].text); above.hasMatch())
                digits = above.captured().mid(1) + digits;
        const int startNumber = digits.toInt();
        const bool opens = heading || (start.hasMatch() &&
                                       (startNumber == number + 1 || (afterHeading && startNumber == 1)));
        if (!columnTop.count(key) && (number != 0 || opens)) {
            columnTop[key] = line.box.top();
            // The column before ended with a question that began at its top: what spills here is its.
            if (tallerThanAColumn)
                continued.insert(key);
        }
        columnBottom[key] = line.box.bottom();
        if (opens) {
            // A question that begins at the top of its column and still goes on is taller than a
            // column: nothing could keep it whole.
            // (Its first line may be its mark alone, where mark and number are wider than the column.)
            const bool markAbove = i > 0 && lines[i - 1].page == line.page &&
                                   lines[i - 1].column == line.column &&
                                   splitMark.match(lines[i - 1].text).hasMatch();
            const double top = markAbove ? lines[i - 1].box.top() : line.box.top();
            tallerThanAColumn = !heading && top <= columnTop[key] + 1;
            afterHeading = heading;
            if (!heading)
                number = startNumber;
            else if (number == 0)
                number = -1; // questions follow: every line from here belongs to a block
            questionPage = line.page;
            questionColumn = line.column;
        } else if (number != 0 && (line.page != questionPage || line.column != questionColumn) &&
                   !markAlone.match(text).hasMatch()) { // a mark alone belongs to the question below it
            if (tallerThanAColumn)
                continued.insert(key);
            else
                faults.append(u"question %1 goes on from page %2 column %3 to %4"_s.arg(number)
                                  .arg(questionPage + 1)
                                  .arg(questionColumn + 1)
                                  .arg(where));
            questionPage = line.page;
            questionColumn = line.column;
        }
    }
    if (number == 0)
        faults.append(u"no question found"_s);
    if (!columnBottom.count({last, 0}))
        faults.append(u"the last page holds no question"_s);
    // After the first page every column starts at the top margin: a page or column that opens lower
    // opens with the working space of a question before it.
    for (const auto &[key, top] : columnTop)
        if (key.first > 0 && top > MarginPoints + lineHeight + 1 && !continued.count(key))
            faults.append(u"page %1 column %2 begins %3 pt down, with empty lines"_s.arg(key.first + 1)
                              .arg(key.second + 1)
                              .arg(top - MarginPoints, 0, 'f', 0));
    return faults;
}

} // namespace

void TestPrint::initTestCase() {
    if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    if (QStandardPaths::findExecutable(u"soffice"_s).isEmpty() &&
        findSoffice(OfficeOptions().effectiveSearchDirs()).isEmpty())
        QSKIP("LibreOffice (soffice) is not installed");
    pipe_ = u"tessaly_print_%1"_s.arg(QCoreApplication::applicationPid());
    OfficeOptions options;
    options.pipeName = pipe_;
    options.headless = true;
    options.profileDir = work_.filePath(u"profile"_s);
    Result<std::shared_ptr<OfficeConnection>> office = OfficeConnection::connect(options);
    QVERIFY2(office.ok(), qPrintable(office.error()));
    office_ = office.value();

    longBank_ = work_.filePath(u"long"_s);
    sampleBank_ = work_.filePath(u"sample"_s);
    QVERIFY(QDir().mkpath(longBank_) && QDir().mkpath(sampleBank_));
    QFile tk(longBank_ + u"/tk.txt"_s);
    QVERIFY(tk.open(QIODevice::WriteOnly) && tk.write(longQuestions()) > 0 && tk.flush());
    tk.close();
    QVERIFY(QFile::copy(QStringLiteral(TESSALY_SAMPLE_BANK), sampleBank_ + u"/tk.txt"_s));
}

void TestPrint::cleanupTestCase() {
    if (office_)
        office_->endOfficeIfStartedHere();
}

void TestPrint::printedSheetHasNoLayoutFault_data() {
    QTest::addColumn<bool>("longQuestions");
    QTest::addColumn<QStringList>("options");
    struct Row {
        const char *name;
        bool longBank;
        QStringList options;
    };
    const Row rows[] = {
        {"estimation, 楷体 12, two columns",
         false,
         {u"--seed"_s, u"5017"_s, u"--mode"_s, u"估算"_s, u"--font"_s, u"楷体"_s, u"--size"_s, u"12"_s,
          u"--blank-lines"_s, u"2"_s, u"--columns"_s, u"2"_s, u"--count"_s, u"30"_s, u"--no-stars"_s}},
        {"size 9, three blank lines, one column, spacing 35",
         false,
         {u"--seed"_s, u"1060"_s, u"--size"_s, u"9"_s, u"--blank-lines"_s, u"3"_s, u"--columns"_s, u"1"_s,
          u"--line-spacing"_s, u"35"_s, u"--count"_s, u"80"_s}},
        {"long questions, three narrow columns",
         true,
         {u"--seed"_s, u"7"_s, u"--columns"_s, u"3"_s, u"--size"_s, u"12"_s, u"--count"_s, u"60"_s}},
        {"long questions, four columns on 16K, answers",
         true,
         {u"--seed"_s, u"8"_s, u"--columns"_s, u"4"_s, u"--paper"_s, u"16K"_s, u"--size"_s, u"10"_s,
          u"--answers"_s, u"--count"_s, u"50"_s}},
        {"long questions, 16K estimation key",
         true,
         {u"--seed"_s, u"9"_s, u"--mode"_s, u"估算"_s, u"--paper"_s, u"16K"_s, u"--answers"_s, u"--size"_s,
          u"14"_s, u"--count"_s, u"30"_s}},
        {"long questions, 黑体 16, no working space",
         true,
         {u"--seed"_s, u"10"_s, u"--font"_s, u"黑体"_s, u"--size"_s, u"16"_s, u"--blank-lines"_s, u"0"_s,
          u"--count"_s, u"40"_s}},
        {"long questions, eight blank lines, B5",
         true,
         {u"--seed"_s, u"11"_s, u"--paper"_s, u"B5"_s, u"--blank-lines"_s, u"8"_s, u"--count"_s, u"20"_s}},
        {"A3 two-up, equation mode",
         false,
         {u"--seed"_s, u"12"_s, u"--paper"_s, u"A3"_s, u"--landscape"_s, u"--mode"_s, u"解方程"_s,
          u"--count"_s, u"60"_s, u"--repeats"_s}},
        {"long questions, 8K two-up, size 20",
         true,
         {u"--seed"_s, u"13"_s, u"--paper"_s, u"8K"_s, u"--landscape"_s, u"--size"_s, u"20"_s, u"--count"_s,
          u"30"_s}},
        {"three sections of 100 points, page numbers, seal line on every page, score table",
         true,
         {u"--seed"_s, u"15"_s, u"--section"_s, u"topics=1;count=10;points=4;title=求和"_s, u"--section"_s,
          u"topics=2;count=10;points=3"_s, u"--section"_s, u"topics=3,4;count=6;total=30"_s,
          u"--page-numbers"_s, u"--seal-line"_s, u"every"_s, u"--score-table"_s, u"--info-line"_s,
          u"school"_s, u"--title-line"_s, u"实验小学三年级第三单元测验"_s}},
        {"A3 two-up, seal line on odd pages, page numbers, ruled working space",
         true,
         {u"--seed"_s, u"16"_s, u"--paper"_s, u"A3"_s, u"--landscape"_s, u"--count"_s, u"80"_s,
          u"--seal-line"_s, u"odd"_s, u"--page-numbers"_s, u"--working-space"_s, u"ruled"_s,
          u"--blank-lines"_s, u"3"_s}},
        {"sections numbered each from 1, answer lines, 16K",
         true,
         {u"--seed"_s, u"17"_s, u"--paper"_s, u"16K"_s, u"--section"_s, u"topics=1,2;count=12;points=2"_s,
          u"--section"_s, u"topics=3;count=12;points=3"_s, u"--number-per-section"_s, u"--working-space"_s,
          u"answer"_s, u"--page-numbers"_s}},
        {"pinyin over every character of grade 1, two columns",
         false,
         {u"--seed"_s, u"18"_s, u"--grade"_s, u"1"_s, u"--pinyin"_s, u"all"_s, u"--count"_s, u"30"_s}},
        {"long questions, pinyin over the 生字 of grade 2, size 14, line spacing 20",
         true,
         {u"--seed"_s, u"19"_s, u"--pinyin"_s, u"hard"_s, u"--size"_s, u"14"_s, u"--line-spacing"_s, u"20"_s,
          u"--count"_s, u"20"_s}},
        {"long questions, one column, size 28",
         true,
         {u"--seed"_s, u"14"_s, u"--columns"_s, u"1"_s, u"--size"_s, u"28"_s, u"--line-spacing"_s, u"20"_s,
          u"--count"_s, u"12"_s}},
    };
    for (const Row &row : rows)
        QTest::newRow(row.name) << row.longBank << row.options;

    // A wider trial on demand (TESSALY_PRINT_TRIAL=N): N sheets of options drawn at random.
    const int trial = qEnvironmentVariableIntValue("TESSALY_PRINT_TRIAL");
    std::mt19937 random(20261209);
    const auto pick = [&random](const QStringList &from) {
        return from.at(std::uniform_int_distribution<qsizetype>(0, from.size() - 1)(random));
    };
    for (int n = 0; n < trial; ++n) {
        QStringList options{u"--seed"_s,          QString::number(n),
                            u"--count"_s,         pick({u"12"_s, u"30"_s, u"60"_s}),
                            u"--size"_s,          pick({u"9"_s, u"11"_s, u"12"_s, u"14"_s, u"16"_s, u"20"_s}),
                            u"--blank-lines"_s,   pick({u"0"_s, u"1"_s, u"2"_s, u"3"_s, u"5"_s, u"8"_s}),
                            u"--columns"_s,       pick({u"1"_s, u"2"_s, u"3"_s}),
                            u"--font"_s,          pick({u"宋体"_s, u"楷体"_s, u"黑体"_s}),
                            u"--mode"_s,          pick({u"列式计算"_s, u"估算"_s, u"解方程"_s}),
                            u"--working-space"_s, pick({u"blank"_s, u"ruled"_s, u"answer"_s})};
        const QString paper = pick({u"A4"_s, u"B5"_s, u"16K"_s, u"A3 landscape"_s, u"8K landscape"_s});
        options << u"--paper"_s << paper.section(u' ', 0, 0);
        if (paper.contains(u"landscape"_s))
            options << u"--landscape"_s;
        for (const QString &flag : {u"--answers"_s, u"--no-stars"_s, u"--page-numbers"_s, u"--score-table"_s})
            if (random() % 3 == 0)
                options << flag;
        if (random() % 3 == 0)
            options << u"--seal-line"_s << pick({u"first"_s, u"odd"_s, u"every"_s});
        if (random() % 2 == 0)
            options << u"--repeats"_s;
        QTest::addRow("trial %d", n) << true << options;
    }
}

void TestPrint::printedSheetHasNoLayoutFault() {
    QFETCH(bool, longQuestions);
    QFETCH(QStringList, options);
    const QString pdf = work_.filePath(u"sheet.pdf"_s);
    QFile::remove(pdf);
    QProcess program;
    program.setProcessEnvironment(officeChildEnvironment(pipe_));
    program.start(QStringLiteral(TESSALY_PROGRAM),
                  QStringList{u"generate"_s, u"--bank-dir"_s, longQuestions ? longBank_ : sampleBank_,
                              u"--history"_s, work_.filePath(u"history.sqlite"_s), u"--target"_s,
                              u"libreoffice"_s, u"--headless"_s, u"--output"_s, pdf} +
                      options);
    QVERIFY(program.waitForFinished(120000));
    QVERIFY2(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0,
             qPrintable(u"exit %1 (%2): %3 %4"_s.arg(program.exitCode())
                            .arg(program.exitStatus() == QProcess::NormalExit ? u"normal"_s : u"crashed"_s)
                            .arg(QString::fromUtf8(program.readAllStandardError()),
                                 QString::fromUtf8(program.readAllStandardOutput()))));

    Layout layout;
    const auto value = [&options](const QString &name, double fallback) {
        const qsizetype at = options.indexOf(name);
        return at < 0 ? fallback : options.at(at + 1).toDouble();
    };
    layout.columns = int(value(u"--columns"_s, 2));
    layout.lineSpacing = value(u"--line-spacing"_s, 30);
    layout.size = value(u"--size"_s, 11);
    layout.blankLines = int(value(u"--blank-lines"_s, 2));
    const qsizetype seal = options.indexOf(u"--seal-line"_s);
    // The seal line is the pupils' sheet's: a key has none.
    const QString sealPages = seal < 0 || options.contains(u"--answers"_s) ? u"none"_s : options.at(seal + 1);
    if (sealPages != u"none"_s)
        layout.leftMargin = MarginPoints + 30; // the gutter the seal line takes
    layout.pinyin = options.contains(u"--pinyin"_s);
    QString error;
    const QList<PdfPage> pages = readPdfPages(pdf, &error);
    QVERIFY2(!pages.isEmpty(), qPrintable(error));
    QStringList faults = layoutFaults(pages, layout);
    // The footer: every page numbered, with the count of pages; the seal line where it was asked for.
    for (int p = 0; p < pages.size(); ++p) {
        const PdfPage &page = pages[p];
        const QString footer =
            stripText(page, [&page](const QRectF &box) { return inFooter(box, page.size); });
        const QString expected = options.contains(u"--page-numbers"_s)
                                     ? u"第%1页（共%2页）"_s.arg(p + 1).arg(pages.size())
                                     : QString();
        if (footer != expected)
            faults.append(u"page %1's footer reads “%2”"_s.arg(p + 1).arg(footer));
        const QString strip =
            stripText(page, [&layout](const QRectF &box) { return inSealStrip(box, layout); });
        const bool sealed = sealPages == u"every"_s || (sealPages == u"odd"_s && p % 2 == 0) ||
                            (sealPages == u"first"_s && p == 0);
        if (sealed != (strip.contains(u"密封线内不要答题"_s) && strip.contains(u"学号"_s)))
            faults.append(u"page %1's seal strip reads “%2”"_s.arg(p + 1).arg(strip));
    }
    QVERIFY2(faults.isEmpty(), qPrintable(u"%1 pages (%2): "_s.arg(pages.size()).arg(options.join(u' ')) +
                                          faults.join(u"; "_s)));
}

void TestPrint::qrCodeReadBackFromThePrintedSheet() {
    // A pupil's sheet printed by LibreOffice to PDF, the page rendered as a scanner would give it: the
    // QR code in its corner reads back as the code printed on the sheet.
    const QString pdf = work_.filePath(u"scan.pdf"_s);
    QFile::remove(pdf);
    QProcess program;
    program.setProcessEnvironment(officeChildEnvironment(pipe_));
    const QString history = work_.filePath(u"scan.sqlite"_s);
    program.start(QStringLiteral(TESSALY_PROGRAM),
                  {u"generate"_s, u"--bank-dir"_s, sampleBank_, u"--grade"_s, u"2"_s, u"--count"_s, u"8"_s,
                   u"--history"_s, history, u"--target"_s, u"libreoffice"_s, u"--headless"_s, u"--output"_s,
                   pdf});
    QVERIFY(program.waitForFinished(120000));
    QVERIFY2(program.exitCode() == 0, program.readAllStandardError().constData());
    const QString code = QRegularExpression(u"卷号 (\\S{4}-\\S{2})"_s)
                             .match(QString::fromUtf8(program.readAllStandardOutput()))
                             .captured(1);
    QVERIFY(!code.isEmpty());
    for (const int dpi : {150, 300}) {
        const QString prefix = work_.filePath(u"scan-%1"_s.arg(dpi));
        QProcess render;
        render.start(u"pdftoppm"_s, {u"-r"_s, QString::number(dpi), u"-f"_s, u"1"_s, u"-l"_s, u"1"_s,
                                     u"-png"_s, u"-singlefile"_s, pdf, prefix});
        QVERIFY(render.waitForFinished(60000) && render.exitCode() == 0);
        const Result<QStringList> texts = sheetscan::scan(prefix + u".png"_s);
        QVERIFY2(texts.ok(), qPrintable(texts.error()));
        QCOMPARE(texts.value(), QStringList{u"TESSALY:"_s + code});
        // Photographed the wrong way round, it reads all the same.
        const QImage turned = QImage(prefix + u".png"_s).transformed(QTransform().rotate(90));
        QCOMPARE(sheetscan::codesIn(turned), QStringList{u"TESSALY:"_s + code});
    }
    // `tessaly mark --scan` finds the sheet in the history by it.
    QProcess mark;
    mark.start(QStringLiteral(TESSALY_PROGRAM), {u"mark"_s, u"--scan"_s, work_.filePath(u"scan-150.png"_s),
                                                 u"--wrong"_s, u"2"_s, u"--history"_s, history});
    QVERIFY(mark.waitForFinished(60000));
    QVERIFY2(mark.exitCode() == 0, mark.readAllStandardError().constData());
    QVERIFY(QString::fromUtf8(mark.readAllStandardOutput()).contains(code + u"：8 道题，错 1 道"_s));
}

void TestPrint::pinyinReadBackFromThePrintedSheet() {
    // One question, printed by LibreOffice with pinyin over it: the PDF holds each syllable above its
    // character, in the order of the text.
    const QString bank = work_.filePath(u"pinyin-bank"_s);
    QVERIFY(QDir().mkpath(bank));
    QFile file(bank + u"/tk.txt"_s);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(u"小明有7元，又得2元，一共多少元？|1|1|0|7＋2＝9（元）\r\n"_s.toUtf8());
    file.close();
    const QString pdf = work_.filePath(u"pinyin.pdf"_s);
    QProcess program;
    program.setProcessEnvironment(officeChildEnvironment(pipe_));
    program.start(QStringLiteral(TESSALY_PROGRAM),
                  {u"generate"_s, u"--bank-dir"_s, bank, u"--grade"_s, u"1"_s, u"--count"_s, u"1"_s,
                   u"--pinyin"_s, u"all"_s, u"--history"_s, work_.filePath(u"pinyin.sqlite"_s), u"--target"_s,
                   u"libreoffice"_s, u"--headless"_s, u"--output"_s, pdf});
    QVERIFY(program.waitForFinished(120000));
    QVERIFY2(program.exitCode() == 0, program.readAllStandardError().constData());
    QString error;
    const QList<PdfPage> pages = readPdfPages(pdf, &error);
    QVERIFY2(!pages.isEmpty(), qPrintable(error));
    QList<PdfWord> syllables;
    QHash<QString, QRectF> characters;
    for (const PdfWord &w : pages.first().words) {
        if (isPinyin(w.text))
            syllables.append(w);
        else if (w.text == u"小"_s || w.text == u"共"_s)
            characters.insert(w.text, w.box);
    }
    std::sort(syllables.begin(), syllables.end(), [](const PdfWord &a, const PdfWord &b) {
        return qAbs(a.box.top() - b.box.top()) > a.box.height() / 2 ? a.box.top() < b.box.top()
                                                                    : a.box.left() < b.box.left();
    });
    QStringList read;
    for (const PdfWord &w : syllables)
        read.append(w.text);
    QCOMPARE(read.join(u' '), u"xiǎo míng yǒu yuán yòu dé yuán yí gòng duō shǎo yuán"_s);
    // Over its own character: 小's syllable just above it, and 共's on the next line above 共.
    QVERIFY(characters.contains(u"小"_s) && characters.contains(u"共"_s));
    for (const auto &pair : {std::pair{u"xiǎo"_s, u"小"_s}, std::pair{u"gòng"_s, u"共"_s}}) {
        const QString &syllable = pair.first, &character = pair.second;
        const auto over = std::find_if(syllables.begin(), syllables.end(),
                                       [&](const PdfWord &w) { return w.text == syllable; });
        QVERIFY(over != syllables.end());
        const QRectF base = characters.value(character);
        QVERIFY(over->box.bottom() <= base.top() + 1 && base.top() - over->box.bottom() < base.height());
        QVERIFY(qAbs(over->box.center().x() - base.center().x()) < base.width());
    }
}

QTEST_GUILESS_MAIN(TestPrint)
#include "tst_print.moc"
