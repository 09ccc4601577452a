// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "documents/SheetDelivery.h"
#include "generation/DocumentTarget.h"

#include <QStringList>
#include <functional>
#include <memory>

// Records every operation as one readable line ("bold 1", "font 黑体", "size 22", "align center",
// "type …", "blank ()", "br", "rule", "table a|b / c|d", "para", "margins 50", "show"); the writer's tests
// compare these lines.
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
    void typeWriteInBlank(const QString &open, const QString &close) override;
    void typeRuby(const QString &base, const QString &ruby) override;
    void endParagraph() override { ops_.append(QStringLiteral("para")); }
    void lineBreak() override { ops_.append(QStringLiteral("br")); }
    void setPageNumbers(bool on) override;
    void setSealLine(SealPages pages) override;
    void setEvenColumns(bool even) override {
        ops_.append(even ? QStringLiteral("even columns") : QStringLiteral("filled columns"));
    }
    void insertTable(const QList<QStringList> &rows) override;
    void ruleToLineEnd() override { ops_.append(QStringLiteral("rule")); }
    void nextSheet() override { ops_.append(QStringLiteral("next sheet")); }
    // What a delivery does with the finished document; the recording outputs call it.
    virtual void show() { ops_.append(QStringLiteral("show")); }

    const QStringList &operations() const { return ops_; }
    // The document's paragraphs as plain text: typed text, split where paragraphs end, a line break
    // as "\n".
    QStringList paragraphs() const;
    void clear() { ops_.clear(); }
    // A failure of the document, as a failing builder reports it.
    void fail(const QString &why) { recordFailure(why); }

private:
    QStringList ops_;
};

// Outputs that build recording documents and "deliver" them by recording "show": the window's and the
// service's tests see every sheet as written. A failure can be set for the deliveries.
class RecordingOutputs : public SheetOutputs {
public:
    using Make = std::function<std::unique_ptr<RecordingTarget>()>;
    explicit RecordingOutputs(Make make = {})
        : make_(std::move(make)) {}
    std::unique_ptr<DocumentTarget> newDocument() override;
    Result<QString> deliver(DocumentTarget &document, const QString &path) override;
    void finish() override { ++finishes; }

    // Called with every document delivered, while it still exists.
    std::function<void(const RecordingTarget &)> onDeliver;
    QString failWith;          // non-empty: every delivery fails with this
    QStringList deliveredTo;   // the path of each delivery, in order
    QList<QStringList> sheets; // the operations of each delivered document
    int finishes = 0;

private:
    Make make_;
};
