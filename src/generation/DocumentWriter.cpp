// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/DocumentWriter.h"

#include "bank/TextNormal.h"
#include "generation/PinyinText.h"
#include "generation/SheetSections.h"

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
// The pinyin a sheet asks for: the dictionary (null: none), and the grade whose 生字 alone carry it
// (-1: every character).
struct PinyinChoice {
    const pinyintext::Dictionary *dictionary = nullptr;
    int grade = -1;
};

void typeWithPinyin(DocumentTarget &target, const QString &text, const PinyinChoice &pinyin) {
    if (!pinyin.dictionary) {
        target.typeText(text);
        return;
    }
    for (const pinyintext::Piece &piece : pinyin.grade < 0
                                              ? pinyin.dictionary->annotate(text)
                                              : pinyin.dictionary->annotateHard(text, pinyin.grade)) {
        if (piece.pinyin.isEmpty())
            target.typeText(piece.text);
        else
            target.typeRuby(piece.text, piece.pinyin);
    }
}

void typeQuestion(DocumentTarget &target, const QString &question, const PinyinChoice &pinyin) {
    static const QRegularExpression blank(u"([(（])\u00A0+([)）])"_s);
    qsizetype from = 0;
    for (auto m = blank.globalMatch(question); m.hasNext();) {
        const QRegularExpressionMatch found = m.next();
        typeWithPinyin(target, question.sliced(from, found.capturedStart() - from), pinyin);
        target.typeWriteInBlank(found.captured(1), found.captured(2));
        from = found.capturedEnd();
    }
    typeWithPinyin(target, question.sliced(from), pinyin);
}

// The pinyin dictionary, read once for the program's run.
const Result<std::shared_ptr<const pinyintext::Dictionary>> &pinyinDictionary() {
    static const Result<std::shared_ptr<const pinyintext::Dictionary>> loaded =
        pinyintext::Dictionary::load();
    return loaded;
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

QString DocumentWriter::cornerCodeText(const QString &code, const QString &pupilNumber) {
    return u"TESSALY:"_s + code + (pupilNumber.isEmpty() ? QString() : u':' + pupilNumber);
}

std::optional<QString> DocumentWriter::codeInCornerText(const QString &scanned) {
    static const QRegularExpression pattern(u"^TESSALY:([2-9A-HJ-NP-Z]{4}-[2-9A-HJ-NP-Z]{2})(:|$)"_s);
    const QRegularExpressionMatch m = pattern.match(scanned.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    return m.captured(1);
}

Result<QString> DocumentWriter::codeInScan(const QStringList &texts) {
    for (const QString &text : texts)
        if (const std::optional<QString> code = codeInCornerText(text))
            return Result<QString>::success(*code);
    return Result<QString>::failure(texts.isEmpty()
                                        ? u"照片上没有找到二维码（拍清楚试卷右上角再试，或直接给出卷号）"_s
                                        : u"照片上的二维码不是 Tessaly 试卷的卷号"_s);
}

QString DocumentWriter::pupilLine(const SheetPupil &pupil, SheetLayout::InfoLine line) {
    // The pupil's own sheet: the name, class and number printed, the rest still to fill in.
    const auto filled = [](const QString &text, int width) {
        return text.isEmpty() ? QString(width, u'_') : text;
    };
    if (line == SheetLayout::InfoLine::School)
        return u"姓名："_s + pupil.name + QString(3, u' ') + u"班级："_s + filled(pupil.className, 10) +
               QString(3, u' ') + u"学号："_s + filled(pupil.number, 10) + QString(3, u' ') + u"得分："_s +
               QString(8, u'_');
    return u"姓名："_s + pupil.name + QString(3, u' ') + u"座号："_s + filled(pupil.number, 10) +
           QString(4, u' ') + u"情况："_s + QString(11, u'_');
}

QString DocumentWriter::schoolInfoLine() {
    return u"姓名："_s + QString(11, u'_') + QString(3, u' ') + u"班级："_s + QString(10, u'_') +
           QString(3, u' ') + u"学号："_s + QString(10, u'_') + QString(3, u' ') + u"得分："_s +
           QString(8, u'_');
}

namespace {

DocumentTarget::SealPages sealPages(SheetLayout::SealLine line) {
    switch (line) {
    case SheetLayout::SealLine::FirstPage:
        return DocumentTarget::SealPages::First;
    case SheetLayout::SealLine::OddPages:
        return DocumentTarget::SealPages::Odd;
    case SheetLayout::SealLine::EveryPage:
        return DocumentTarget::SealPages::Every;
    case SheetLayout::SealLine::None:
        break;
    }
    return DocumentTarget::SealPages::None;
}

// The page, the choices around the text, the teacher's own line and the title with its date, code and
// full score, centred. The title line may wrap between its parts where the paper is narrow.
void writeHeading(DocumentTarget &target, const SheetRequest &request, const DrawnSheet &sheet,
                  const QString &today, const QString &titleText, const PageLayout &page) {
    const SheetLayout &layout = request.layout;
    target.newDocument();
    target.setPageMargins(MarginPoints);
    target.setPageLayout(page);
    if (layout.pageNumbers)
        target.setPageNumbers(true);
    if (layout.sealLine != SheetLayout::SealLine::None && !request.answers)
        target.setSealLine(sealPages(layout.sealLine));
    if (layout.qrCode && !request.answers && !sheet.code.isEmpty())
        target.setCornerCode(DocumentWriter::cornerCodeText(sheet.code, request.pupil.number));

    if (!layout.titleLine.trimmed().isEmpty()) {
        target.setFontName(u"宋体"_s);
        target.setFontSize(14);
        target.typeText(layout.titleLine.trimmed());
        target.setAlignment(DocumentTarget::Alignment::Center);
        target.endParagraph();
    }
    // Title in 22 point, the date after it in 12 point, centred; then an empty centred line.
    target.setBold(true);
    target.setFontName(u"黑体"_s);
    target.setFontSize(22);
    target.typeText(titleText);
    // The date and the code follow on the title's line where they fit, else each begins a line of its
    // own: a heading wrapped by the word processor could part the code in two.
    const double room = page.widthTwips() / 20.0 - 2 * MarginPoints;
    double used = printedWidth(titleText, 22);
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
    if (const int full = sheetsections::fullScore(request, sheet); full > 0)
        typePart(u"满分%1分"_s.arg(full), 12);
    // Small, after the date: by this code the sheet's key can be had any time later.
    if (!sheet.code.isEmpty())
        typePart(u"卷号 "_s + sheet.code, 9);
    target.setAlignment(DocumentTarget::Alignment::Center);
    target.endParagraph();
    target.setFontSize(12);
    target.endParagraph();
}

// Numbers the questions and types each section's heading where its questions begin: bold, held to its
// first question; the numbers start again in each section where the request asks so.
class Numbering {
public:
    Numbering(const SheetRequest &request, const DrawnSheet &sheet)
        : request_(request)
        , sizes_(sheetsections::countsBySection(request, sheet)) {}

    int next(DocumentTarget &target, const SheetItem &item) {
        if (item.section != section_ && item.section >= 0 && item.section < request_.sections.size()) {
            section_ = item.section;
            if (request_.numberPerSection)
                number_ = 0;
            target.setBold(true);
            target.setKeep(true, true);
            target.typeText(sheetsections::heading(request_.sections[section_], section_, sizes_[section_]));
            target.endParagraph();
            target.setBold(false);
        }
        return ++number_;
    }

private:
    const SheetRequest &request_;
    QList<qsizetype> sizes_;
    int section_ = -1;
    int number_ = 0;
};

} // namespace

void DocumentWriter::write(RunControl &control, DocumentTarget &target, const SheetRequest &request,
                           const DrawnSheet &sheet, const QString &today) {
    if (request.answers && request.compactKey) {
        writeCompactKey(control, target, request, sheet, today);
        return;
    }
    const SheetLayout &layout = request.layout;
    const bool answerVersion = request.answers;
    writeHeading(target, request, sheet, today, title(request.mode, answerVersion), layout.pageLayout());

    target.setBold(false);
    target.setFontName(u"宋体"_s);
    target.setFontSize(12);
    if (!answerVersion)
        target.typeText(
            request.pupil.name.isEmpty()
                ? (layout.infoLine == SheetLayout::InfoLine::School ? schoolInfoLine() : nameLine())
                : pupilLine(request.pupil, layout.infoLine));
    target.setAlignment(DocumentTarget::Alignment::Center);
    target.endParagraph();
    if (layout.scoreTable && !answerVersion) {
        target.insertTable(sheetsections::scoreTable(request));
        target.setFontSize(12);
    }
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

    // Pinyin over the questions, for the pupils' sheet (a key is the teacher's).
    PinyinChoice pinyin;
    if (layout.pinyin != SheetLayout::Pinyin::None && !answerVersion) {
        if (const auto &loaded = pinyinDictionary(); loaded) {
            pinyin.dictionary = loaded.value().get();
            pinyin.grade = layout.pinyin == SheetLayout::Pinyin::Hard ? std::max(1, request.grade) : -1;
        } else {
            target.addWarning(u"题目没有注拼音：%1"_s.arg(loaded.error()));
        }
    }
    const qsizetype count = sheet.items.size();
    const int blanks = std::max(0, layout.blankLines);
    Numbering numbering(request, sheet);
    for (qsizetype i = 0; i < count; ++i) {
        if (stopNow())
            return;
        const SheetItem &item = sheet.items[i];
        const int number = numbering.next(target, item);
        const codes::QuestionMode mode = sheetsections::modeOf(request, item);
        const QString mark = request.stars ? codes::difficultyMark(item.difficulty) : QString();
        // A question and its working space are one paragraph whose lines stay together: they never
        // part at a page or a column, and no page begins with the blank lines of the one before.
        target.setKeep(false, true);
        typeQuestion(target,
                     mark + QString::number(number) + u"、"_s +
                         preparedQuestion(item.question, mode == codes::QuestionMode::Estimation,
                                          mode == codes::QuestionMode::Equation),
                     pinyin);
        if (answerVersion && !item.answer.isEmpty()) {
            target.typeText(u"　　（答案："_s + item.answer + u"）"_s);
            if (const int points = sheetsections::pointsOf(request, item); points > 0)
                target.typeText(u"（%1分）"_s.arg(points));
        }
        for (int b = 0; b < blanks; ++b) {
            if (stopNow())
                return;
            target.lineBreak();
            switch (layout.workingSpace) {
            case SheetLayout::WorkingSpace::Ruled:
                target.ruleToLineEnd();
                break;
            case SheetLayout::WorkingSpace::AnswerLine:
                if (b + 1 == blanks) {
                    target.typeText(u"答："_s);
                    target.ruleToLineEnd();
                }
                break;
            case SheetLayout::WorkingSpace::Blank:
                break;
            }
        }
        // The last question ends the document: a paragraph after it could only make an empty page.
        if (i + 1 < count) {
            if (stopNow())
                return;
            target.endParagraph();
        }
    }
}

void DocumentWriter::writeCompactKey(RunControl &control, DocumentTarget &target, const SheetRequest &request,
                                     const DrawnSheet &sheet, const QString &today) {
    // One page of answers for the teacher: number, answer and points, three columns, no working space.
    PageLayout page = request.layout.pageLayout();
    page.columns = std::max(page.columns, 3);
    page.lineSpacing = 0;
    writeHeading(target, request, sheet, today, title(request.mode, true), page);
    target.setEvenColumns(true);
    target.setBold(true);
    target.setFontName(u"黑体"_s);
    target.setFontSize(14);
    target.typeText(u"参考答案"_s);
    target.setAlignment(DocumentTarget::Alignment::Center);
    target.endParagraph();
    target.beginQuestions();
    target.setBold(false);
    target.setFontName(u"宋体"_s);
    target.setFontSize(10.5);
    target.setAlignment(DocumentTarget::Alignment::Left);

    Numbering numbering(request, sheet);
    const qsizetype count = sheet.items.size();
    for (qsizetype i = 0; i < count; ++i) {
        control.yield();
        if (control.stopRequested())
            return;
        const SheetItem &item = sheet.items[i];
        const int number = numbering.next(target, item);
        target.setKeep(false, true);
        QString line = QString::number(number) + u"、"_s + item.answer;
        if (const int points = sheetsections::pointsOf(request, item); points > 0)
            line += u"（%1分）"_s.arg(points);
        target.typeText(line);
        if (i + 1 < count)
            target.endParagraph();
    }
}
