// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/DocumentTarget.h"

#include <QStringList>

// Records every operation as one readable line ("bold 1", "font 黑体", "size 22", "align center",
// "type …", "para", "margins 50", "show"); the writer's tests compare these lines.
class RecordingTarget : public DocumentTarget {
public:
    void newDocument() override { ops_.append(QStringLiteral("new")); }
    void setPageMargins(int points) override;
    void setBold(bool bold) override;
    void setFontName(const QString &name) override;
    void setFontSize(double points) override;
    void setAlignment(Alignment alignment) override;
    void setPageLayout(const PageLayout &layout) override;
    void beginQuestions() override { ops_.append(QStringLiteral("questions")); }
    void setKeep(bool withNext, bool together) override;
    void typeText(const QString &text) override;
    void endParagraph() override { ops_.append(QStringLiteral("para")); }
    void show() override { ops_.append(QStringLiteral("show")); }

    const QStringList &operations() const { return ops_; }
    // The document's paragraphs as plain text: typed text, split where paragraphs end.
    QStringList paragraphs() const;
    void clear() { ops_.clear(); }

private:
    QStringList ops_;
};
