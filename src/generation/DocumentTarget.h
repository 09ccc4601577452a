// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/PageLayout.h"

#include <QString>

// The writer's view of the worksheet document. Every operation applies at the insertion point: to the
// text typed after it, or to the paragraph that holds it. An operation that fails is swallowed where it
// happens and remembered, so the writer goes on with the next step and can tell afterwards whether
// the document reached the user.
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
    virtual void endParagraph() = 0;
    // Makes the document visible to the user and brings it to the front.
    virtual void show() = 0;

    bool failed() const { return !firstFailure_.isEmpty(); }
    // The first failure, for the user.
    const QString &failure() const { return firstFailure_; }

protected:
    void recordFailure(const QString &message) {
        if (firstFailure_.isEmpty())
            firstFailure_ = message.isEmpty() ? QStringLiteral("unknown failure") : message;
    }

private:
    QString firstFailure_;
};
