// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/DocumentWriter.h"

#include "bank/NumberValue.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// Puts prefix before every occurrence of word that does not already follow it, so "多少" becomes
// "大约多少" while an existing "大约多少" stays as it is.
QString prefixUnlessPreceded(const QString &text, const QString &word, const QString &prefix) {
    QString result;
    result.reserve(text.size() + 8 * prefix.size());
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(word, from);
        if (at < 0)
            break;
        result += QStringView(text).sliced(from, at - from);
        if (!QStringView(text).first(at).endsWith(prefix))
            result += prefix;
        result += word;
        from = at + word.size();
    }
    result += QStringView(text).sliced(from);
    return result;
}

// Blank lines after a question: the number in the list's text, never below zero.
int blankLines(WriterHost &host) {
    return std::max(0, integerValue(host.combo6Text()));
}

} // namespace

DocumentWriter::Mode DocumentWriter::modeOf(WriterHost &host) {
    if (host.option1())
        return Mode::Olympiad;
    if (host.option2())
        return Mode::Estimation;
    if (host.option4())
        return Mode::Equation;
    return Mode::Plain;
}

QString DocumentWriter::title(Mode mode, bool answerVersion) {
    QString base;
    switch (mode) {
    case Mode::Olympiad:
        base = u"小学数学奥数练习"_s;
        break;
    case Mode::Estimation:
        base = u"小学数学估算解决问题练习"_s;
        break;
    case Mode::Equation:
        base = u"小学数学列方程解决问题练习"_s;
        break;
    case Mode::Plain:
        base = u"Tessaly练习"_s;
        break;
    }
    return answerVersion ? base + u"(答案)"_s : base;
}

QString DocumentWriter::nameLine() {
    return u"姓名："_s + QString(11, u'_') + QString(3, u' ') + u"座号："_s + QString(10, u'_') +
           QString(4, u' ') + u"情况："_s + QString(11, u'_');
}

QString DocumentWriter::preparedQuestion(QString question, bool estimation, bool equation) {
    question.remove(u'\t');
    question.remove(u' ');
    question.remove(QChar(0x3000));
    question.remove(u"\r\n"_s);
    // The write-in blank: eight no-break spaces, so it never breaks at a line end and loses its width.
    const QString blank(8, QChar(0x00A0));
    question.replace(u"()"_s, u"("_s + blank + u")"_s);
    question.replace(u"（）"_s, u"（"_s + blank + u"）"_s);
    if (estimation) {
        question = prefixUnlessPreceded(question, u"多少"_s, u"大约"_s);
        question = prefixUnlessPreceded(question, u"几"_s, u"大约"_s);
        question += u" （请用估算的方法解决问题！）"_s;
    }
    if (equation)
        question += u" （请列方程解决问题！）"_s;
    return question;
}

QString DocumentWriter::difficultyMark(QStringView difficulty) {
    const double value = numberValue(difficulty);
    if (value < 1 || value > 5 || value != static_cast<int>(value))
        return {};
    return u"["_s + QString(static_cast<int>(value), QChar(0x2605)) + u"]"_s;
}

QStringList DocumentWriter::splitList(const QString &list) {
    if (list.isEmpty())
        return {};
    return list.split(u' ');
}

void DocumentWriter::write(WriterHost &host, DocumentTarget &target, const WorksheetArgs &args) {
    const QStringList questions = splitList(args.questionList);
    const QStringList answers = splitList(args.answerList);
    const QStringList difficulties = splitList(args.difficultyList);
    const bool answerVersion = numberValue(args.answerFlag) == 1;

    target.newDocument();
    target.setPageMargins(50);
    PageLayout layout;
    layout.paper = PageLayout::paperFromName(host.paperText()).value_or(PageLayout::Paper::A4);
    layout.landscape = host.landscape();
    layout.columns = PageLayout::columnsFrom(args.columns);
    layout.lineSpacing = PageLayout::lineSpacingFrom(args.lineSpacing);
    target.setPageLayout(layout);

    // Title in 22 point, the date after it in 12 point, centred; then an empty centred line.
    target.setBold(true);
    target.setFontName(u"黑体"_s);
    target.setFontSize(22);
    target.typeText(title(modeOf(host), answerVersion));
    target.setFontSize(12);
    target.typeText(u"    "_s + host.todayText());
    if (!args.sheetCode.isEmpty()) {
        // Small, after the date: by this code the sheet's key can be had any time later.
        target.setFontSize(9);
        target.typeText(u"    卷号 "_s + args.sheetCode);
    }
    target.setAlignment(DocumentTarget::Alignment::Center);
    target.endParagraph();
    target.setFontSize(12);
    target.endParagraph();

    target.setBold(false);
    target.setFontName(u"宋体"_s);
    target.setFontSize(12);
    if (!answerVersion)
        target.typeText(nameLine());
    target.setAlignment(DocumentTarget::Alignment::Center);
    target.endParagraph();
    target.endParagraph();
    target.beginQuestions();

    target.setFontName(args.fontName);
    // The size field is text; a text that is no size is refused like the word processor would.
    bool sizeOk = false;
    const double size = args.fontSize.trimmed().toDouble(&sizeOk);
    if (sizeOk && size > 0)
        target.setFontSize(size);
    target.setAlignment(DocumentTarget::Alignment::Left);

    const auto stopNow = [&host] {
        host.processEvents();
        return host.runState().stopRequested();
    };

    bool stopped = false;
    for (qsizetype i = 0; i < questions.size() && !stopped; ++i) {
        if (stopNow())
            break;
        const QString question = preparedQuestion(questions[i], host.option2(), host.option4());
        const QString mark =
            host.check18() == 1 && i < difficulties.size() ? difficultyMark(difficulties[i]) : QString();
        const int blanks = blankLines(host);
        const bool last = i + 1 == questions.size();
        // A question and its working space stay on one page: its lines together, and each line held
        // to the next up to its last blank line (the last question's held to the end, so a sheet never
        // ends on a page of nothing but empty lines).
        target.setKeep(blanks > 0, true);
        target.typeText(mark + QString::number(i + 1) + u"、"_s + question);
        if (answerVersion && i < answers.size())
            target.typeText(u"　　（答案："_s + answers[i] + u"）"_s);

        for (int b = 0; b <= blanks; ++b) {
            if (stopNow()) {
                stopped = true;
                break;
            }
            target.endParagraph();
            if (b < blanks)
                target.setKeep(b + 1 < blanks || last, false);
        }
    }

    target.show();
    host.endProgress();
}
