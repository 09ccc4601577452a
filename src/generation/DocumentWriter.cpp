// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/DocumentWriter.h"

#include "bank/TextNormal.h"

#include <QRegularExpression>
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

constexpr int MarginPoints = 50;

// About how wide the text prints at this size, in points, erring wide: a Chinese character an em, any
// other character six tenths of one.
double printedWidth(const QString &text, double size) {
    double ems = 0;
    for (const QChar c : text)
        ems += c.unicode() >= 0x2E80 ? 1.0 : 0.6;
    return ems * size;
}

// The question's text with each write-in blank typed as one, so the word processor keeps it whole.
void typeQuestion(DocumentTarget &target, const QString &question) {
    static const QRegularExpression blank(u"([(（])\u00A0+([)）])"_s);
    qsizetype from = 0;
    for (auto m = blank.globalMatch(question); m.hasNext();) {
        const QRegularExpressionMatch found = m.next();
        target.typeText(question.sliced(from, found.capturedStart() - from));
        target.typeWriteInBlank(found.captured(1), found.captured(2));
        from = found.capturedEnd();
    }
    target.typeText(question.sliced(from));
}

} // namespace

QString DocumentWriter::title(codes::QuestionMode mode, bool answerVersion) {
    QString base;
    switch (mode) {
    case codes::QuestionMode::Olympiad:
        base = u"小学数学奥数练习"_s;
        break;
    case codes::QuestionMode::Estimation:
        base = u"小学数学估算解决问题练习"_s;
        break;
    case codes::QuestionMode::Equation:
        base = u"小学数学列方程解决问题练习"_s;
        break;
    case codes::QuestionMode::Calculation:
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
    question = textnormal::withoutBlanks(std::move(question));
    // The write-in blank: eight no-break spaces as text; the writer types it as one blank.
    const QString blank(DocumentTarget::WriteInBlankSpaces, QChar(0x00A0));
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

void DocumentWriter::write(RunControl &control, DocumentTarget &target, const SheetRequest &request,
                           const DrawnSheet &sheet, const QString &today) {
    const SheetLayout &layout = request.layout;
    const bool answerVersion = request.answers;
    const bool estimation = request.mode == codes::QuestionMode::Estimation;
    const bool equation = request.mode == codes::QuestionMode::Equation;

    target.newDocument();
    target.setPageMargins(MarginPoints);
    target.setPageLayout(layout.pageLayout());

    // Title in 22 point, the date after it in 12 point, centred; then an empty centred line.
    target.setBold(true);
    target.setFontName(u"黑体"_s);
    target.setFontSize(22);
    target.typeText(title(request.mode, answerVersion));
    // The date and the code follow on the title's line where they fit, else each begins a line of its
    // own: a heading wrapped by the word processor could part the code in two.
    const double room = layout.pageLayout().widthTwips() / 20.0 - 2 * MarginPoints;
    double used = printedWidth(title(request.mode, answerVersion), 22);
    const auto typePart = [&](const QString &part, double size) {
        target.setFontSize(size);
        const QString gap = u"    "_s;
        if (used + printedWidth(gap + part, size) <= room) {
            target.typeText(gap);
            used += printedWidth(gap + part, size);
        } else {
            target.lineBreak();
            used = printedWidth(part, size);
        }
        target.typeText(part);
    };
    typePart(today, 12);
    // Small, after the date: by this code the sheet's key can be had any time later.
    if (!sheet.code.isEmpty())
        typePart(u"卷号 "_s + sheet.code, 9);
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

    target.setFontName(layout.fontName);
    // A size field that held no size leaves the size as it is, as the word processor would.
    if (layout.fontSize > 0)
        target.setFontSize(layout.fontSize);
    target.setAlignment(DocumentTarget::Alignment::Left);

    const auto stopNow = [&control] {
        control.yield();
        return control.stopRequested();
    };

    const qsizetype count = sheet.items.size();
    const int blanks = std::max(0, layout.blankLines);
    for (qsizetype i = 0; i < count; ++i) {
        if (stopNow())
            return;
        const SheetItem &item = sheet.items[i];
        const QString mark = request.stars ? codes::difficultyMark(item.difficulty) : QString();
        // A question and its working space are one paragraph whose lines stay together: they never
        // part at a page or a column, and no page begins with the blank lines of the one before.
        target.setKeep(false, true);
        typeQuestion(target, mark + QString::number(i + 1) + u"、"_s +
                                 preparedQuestion(item.question, estimation, equation));
        if (answerVersion && !item.answer.isEmpty())
            target.typeText(u"　　（答案："_s + item.answer + u"）"_s);
        for (int b = 0; b < blanks; ++b) {
            if (stopNow())
                return;
            target.lineBreak();
        }
        // The last question ends the document: a paragraph after it could only make an empty page.
        if (i + 1 < count) {
            if (stopNow())
                return;
            target.endParagraph();
        }
    }
}
