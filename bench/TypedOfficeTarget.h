// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "documents/office/OfficeConnection.h"
#include "generation/DocumentTarget.h"

#include <memory>

// The worksheet typed into a new Writer document through the office's text API, the way the program
// does not: kept to measure against loading the .docx in one call.
// - Batched: a text cursor with the controllers locked, whole runs of text in one insertString and all
//   pending properties in one setPropertyValues;
// - Plain: one call per operation.
// The page layout, the questions' section and the keep flags are left out.
class TypedOfficeTarget : public DocumentTarget {
public:
    enum class Batching { Batched, Plain };

    TypedOfficeTarget(std::shared_ptr<OfficeConnection> office, Batching batching);
    ~TypedOfficeTarget() override;

    void newDocument() override;
    void setPageMargins(int points) override;
    void setBold(bool bold) override;
    void setFontName(const QString &name) override;
    void setFontSize(double points) override;
    void setAlignment(Alignment alignment) override;
    void setPageLayout(const PageLayout &) override {}
    void beginQuestions() override {}
    void setKeep(bool, bool) override {}
    void typeText(const QString &text) override;
    void endParagraph() override;
    void lineBreak() override { typeText(QStringLiteral("\n")); }
    void insertTable(const QList<QStringList> &) override {}
    void ruleToLineEnd() override { typeText(QStringLiteral("\t")); }
    void nextSheet() override {}
    // Makes the typed document visible, as a delivery would.
    void show();
    void closeDocument();

    struct Impl;

private:
    std::unique_ptr<Impl> d_;
};
