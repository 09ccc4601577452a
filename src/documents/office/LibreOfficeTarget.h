// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "documents/office/OfficeConnection.h"
#include "generation/DocumentTarget.h"

#include <functional>
#include <memory>

// The worksheet in a new Writer document of a running LibreOffice. The document is made hidden and
// becomes visible, in front, at show(); it stays open, untitled and unsaved, and the office is never
// ended here.
// The sheet is built as a .docx in memory and loaded as a template in one call (much faster than typing
// it through the office's text API, which the benchmarks compare).
class LibreOfficeTarget : public DocumentTarget {
public:
    explicit LibreOfficeTarget(std::shared_ptr<OfficeConnection> office);
    ~LibreOfficeTarget() override;

    // While the office loads the sheet, the call runs on a thread of its own and the
    // caller's thread calls idle() every few milliseconds: a window keeps drawing and takes clicks.
    struct WaitHooks {
        std::function<void()> idle;
    };
    void setWaitHooks(WaitHooks hooks);

    void newDocument() override;
    void setPageMargins(int points) override;
    void setBold(bool bold) override;
    void setFontName(const QString &name) override;
    void setFontSize(double points) override;
    void setAlignment(Alignment alignment) override;
    void setPageLayout(const PageLayout &layout) override;
    void beginQuestions() override;
    void setKeep(bool withNext, bool together) override;
    void typeText(const QString &text) override;
    void endParagraph() override;
    void show() override;

    // Stores a copy as PDF, ODT or DOCX, chosen by the file's extension; the document itself stays
    // untitled and unsaved. Written under a temporary name and renamed.
    Status exportTo(const QString &path);
    // Closes the document without saving (tests, and a command line that only exports).
    void closeDocument();
    // Loads a one-line sheet hidden and closes it again: the office's first document (Writer, the .docx
    // import, the fonts) costs a few hundred milliseconds that the user's first sheet then does not pay.
    static void warmUpWriter(const std::shared_ptr<OfficeConnection> &office);

    struct Impl;
    Impl &impl() { return *d_; }

private:
    std::unique_ptr<Impl> d_;
};
