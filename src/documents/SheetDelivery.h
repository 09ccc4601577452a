// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "documents/DocxTarget.h"
#include "generation/DocumentTarget.h"

#include <QString>
#include <memory>

// Hands a finished sheet to the user: saved to a file, loaded into LibreOffice (shown, or headless with
// an export), or saved in the documents folder and opened there.
class SheetDelivery {
public:
    virtual ~SheetDelivery() = default;
    // path: where the user asked for the sheet (the command line's --output); empty: the delivery's own
    // place. Returns where it went: a file's path, or empty when it opened in the office.
    virtual Result<QString> deliver(const DocxTarget &sheet, const QString &path) = 0;
    // After the last sheet of a run: an office started only for exports is ended.
    virtual void finish() {}
};

// Where the sheets of a run are built and where they go: the maker of sheets asks for a new document,
// has the writer fill it, and delivers it. The program builds every sheet as a .docx (DocxOutputs);
// the tests put a recording document here.
class SheetOutputs {
public:
    virtual ~SheetOutputs() = default;
    virtual std::unique_ptr<DocumentTarget> newDocument() = 0;
    // document: one that newDocument() made, filled.
    virtual Result<QString> deliver(DocumentTarget &document, const QString &path) = 0;
    virtual void finish() {}
};

class DocxOutputs : public SheetOutputs {
public:
    explicit DocxOutputs(std::unique_ptr<SheetDelivery> delivery)
        : delivery_(std::move(delivery)) {}
    std::unique_ptr<DocumentTarget> newDocument() override { return std::make_unique<DocxTarget>(); }
    Result<QString> deliver(DocumentTarget &document, const QString &path) override {
        Q_ASSERT(dynamic_cast<DocxTarget *>(&document));
        return delivery_->deliver(static_cast<const DocxTarget &>(document), path);
    }
    void finish() override { delivery_->finish(); }
    SheetDelivery &delivery() { return *delivery_; }

private:
    std::unique_ptr<SheetDelivery> delivery_;
};

// Saves the sheet where the user asked (the command line's .docx output).
class FileDelivery : public SheetDelivery {
public:
    Result<QString> deliver(const DocxTarget &sheet, const QString &path) override;
};
