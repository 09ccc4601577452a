// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "documents/SheetDelivery.h"
#include "documents/office/OfficeConnection.h"

#include <functional>
#include <memory>

// The sheet in a new Writer document of a running LibreOffice. The finished .docx is loaded as a
// template in one call (much faster than typing it through the office's text API, which the benchmarks
// compare), hidden; then it is shown in front, or, headless, exported where the user asked and closed.
// A shown document stays open, untitled and unsaved, and the office is never ended while it holds one.
class OfficeDelivery : public SheetDelivery {
public:
    struct Options {
        // Export where the user asked and close the document; an office started for this is ended at
        // finish().
        bool headless = false;
        // While the office loads the sheet, the call runs on a thread of its own and the caller's thread
        // calls idle() every few milliseconds: a window keeps drawing and takes clicks.
        std::function<void()> idle;
        // A stop given while the office works on a sheet: the wait ends at once and the document is
        // closed as soon as the office has it.
        std::function<bool()> cancelled;
        // Asked once the document is visible: whether it may come to the front now (no dialog of ours
        // open); unset: it may.
        std::function<bool()> mayRaise;
    };
    OfficeDelivery(std::shared_ptr<OfficeConnection> office, Options options);
    ~OfficeDelivery() override;

    Result<QString> deliver(const DocxTarget &sheet, const QString &path) override;
    void finish() override;

    // Stores a copy of the last document as PDF, ODT or DOCX, chosen by the file's extension; the
    // document itself stays untitled and unsaved. Written under a temporary name and renamed.
    Status exportTo(const QString &path);
    // Closes the last document without saving (tests, and exports).
    void closeDocument();
    // Loads a one-line sheet hidden and closes it again: the office's first document (Writer, the .docx
    // import, the fonts) costs a few hundred milliseconds that the user's first sheet then does not pay.
    static void warmUpWriter(const std::shared_ptr<OfficeConnection> &office);

    struct Impl;
    Impl &impl() { return *d_; }

private:
    std::unique_ptr<Impl> d_;
};
