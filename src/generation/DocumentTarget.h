// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/PageLayout.h"

#include <QString>
#include <QStringList>

// The writer's view of the worksheet document. Every operation applies at the insertion point: to the
// text typed after it, or to the paragraph that holds it. An operation that fails is swallowed where it
// happens and remembered, so the writer goes on with the next step and the sheet's maker can tell
// afterwards whether the document is whole. Building is all a target does: a delivery hands the finished
// document to the user.
class DocumentTarget {
public:
    enum class Alignment { Left = 0, Center = 1 };

    virtual ~DocumentTarget() = default;

    virtual void newDocument() = 0;
    // Top, bottom, left and right margins, in points.
    virtual void setPageMargins(int points) = 0;
    virtual void setBold(bool bold) = 0;
    virtual void setFontName(const QString &name) = 0;
    virtual void setFontSize(double points) = 0;
    virtual void setAlignment(Alignment alignment) = 0;
    // The paper, its orientation, and how the questions flow; set once, right after the margins.
    virtual void setPageLayout(const PageLayout &layout) = 0;
    // The paragraphs from here on are the questions: in the layout's columns, with its line spacing.
    virtual void beginQuestions() = 0;
    // For the paragraph that holds the insertion point: stay on the page of the next paragraph, and
    // keep its own lines together. A new paragraph starts with both off.
    virtual void setKeep(bool withNext, bool together) = 0;
    virtual void typeText(const QString &text) = 0;
    // A write-in blank: its brackets with the room of eight spaces between them, never broken at a
    // line end. Word processors break lines at any space, no-break ones too, so a target may make the
    // room another way.
    static constexpr int WriteInBlankSpaces = 8;
    virtual void typeWriteInBlank(const QString &open, const QString &close) {
        typeText(open + QString(WriteInBlankSpaces, QChar(0x00A0)) + close);
    }
    // A new line within the paragraph: the working space after a question belongs to the question, so
    // no page or column can begin with it.
    virtual void lineBreak() = 0;
    virtual void endParagraph() = 0;
    // Keeps the sheet written so far and starts another in the same document, from a new page: the
    // copies of a batch in one file. The writer's next newDocument() begins the new sheet.
    virtual void nextSheet() = 0;
    // For two-sided printing: every sheet after the first starts on an odd page (a blank page before it
    // where needed), so no pupil's sheet is printed on the back of another's.
    virtual void setSheetsOnOddPages(bool /*odd*/) {}

    // What a sheet prints around its text, set after the page layout, each for the sheet being written:
    // "第 x 页（共 y 页）" at the foot of every page, counted from each sheet's first page;
    virtual void setPageNumbers(bool /*on*/) {}
    // the seal line (密封线) down the left edge, with 学校/班级/姓名/学号 outside it.
    enum class SealPages { None, First, Odd, Every };
    virtual void setSealLine(SealPages /*pages*/) {}
    // A character with its pinyin over it (ruby), at the current format; without ruby, the character.
    virtual void typeRuby(const QString &base, const QString &ruby) {
        Q_UNUSED(ruby)
        typeText(base);
    }
    // The sheet's code as a QR code in the top right corner of its first page (see cornerCodeText).
    virtual void setCornerCode(const QString & /*text*/) {}
    // The columns of the last page evened out rather than filled one after the other: for a sheet of
    // short lines such as the one-page key (a word processor may then part a paragraph kept whole).
    virtual void setEvenColumns(bool /*even*/) {}

    // A ruled table of these rows, centred, standing where the insertion point's empty paragraph was
    // (the score table under the heading).
    virtual void insertTable(const QList<QStringList> &rows) = 0;
    // A tab to the end of the line that draws a line to write on there (the ruled working space and the
    // answer line).
    virtual void ruleToLineEnd() = 0;

    // What the target had to change in the text (characters a file cannot hold), for the user to read.
    const QStringList &warnings() const { return warnings_; }
    bool failed() const { return !firstFailure_.isEmpty(); }
    // The first failure, for the user.
    const QString &failure() const { return firstFailure_; }
    // What the writer could not do as asked, said beside the document's own warnings.
    void addWarning(const QString &message) { recordWarning(message); }

protected:
    void recordWarning(const QString &message) { warnings_.append(message); }
    void recordFailure(const QString &message) {
        if (firstFailure_.isEmpty())
            firstFailure_ = message.isEmpty() ? QStringLiteral("unknown failure") : message;
    }

private:
    QString firstFailure_;
    QStringList warnings_;
};
