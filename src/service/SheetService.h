// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "documents/SheetDelivery.h"
#include "generation/SelectionRun.h"
#include "generation/SheetHost.h"
#include "generation/SheetModel.h"
#include "history/SheetHistory.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// A sheet or key that reached the user.
struct MadeSheet {
    QString code;    // empty: not recorded
    qsizetype count; // questions on it
    bool key;        // the answer version made beside a sheet, or of a past sheet
    QString where;   // the file's path; empty when it opened in the office
};

// What the maker of sheets tells its caller as it goes; the window words it as notices, the command line
// as lines on its error stream. Every call has a default that says nothing.
class SheetListener {
public:
    virtual ~SheetListener() = default;
    virtual void copyStarted(int /*copy*/, int /*copies*/) {}
    // A bank file could not be read; returning false ends the run before anything is written.
    virtual bool bankUnreadable(const QStringList & /*messages*/) { return true; }
    // Lines of the bank that its author ought to mend, found where the host checks lines (first copy).
    virtual void bankProblems(const QList<FileProblems> & /*files*/) {}
    // Fewer questions than asked (none: 0).
    virtual void shortSheet(qsizetype /*drawn*/, const SheetRequest & /*request*/) {}
    // Fresh questions ran short: `reused` lately used ones filled the sheet.
    virtual void fewerFresh(int /*copy*/, int /*copies*/, qsizetype /*fresh*/, qsizetype /*reused*/) {}
    virtual void notRecorded(const QString & /*why*/) {}
    // Cells of the plan that the bank could not fill: "求和 ★★ 少 1 道"; the plan the user's, or the
    // first copy's make-up that a batch's copies follow (balanced).
    virtual void planShort(int /*copy*/, int /*copies*/, const QStringList & /*cells*/, bool /*balanced*/) {}
    // What a document had to change in the text.
    virtual void documentWarnings(const QStringList & /*warnings*/) {}
    virtual void delivered(const MadeSheet & /*made*/) {}
    // A review sheet's pupil and how many of the pupil's wrong questions are due again on it.
    virtual void reviewDue(const SheetPupil & /*pupil*/, qsizetype /*due*/) {}
};

// One request of the user: the sheet (copies and one file included), and where the command line wants
// the files (copy k of several goes to "name-k.ext").
struct SheetOrder {
    std::optional<std::uint64_t> seed; // copy k draws with seed + k - 1
    bool withKeys = false;             // a key beside each sheet
    QString output;
    QString keyOutput;
    // One sheet for each pupil, in order, the pupil's name printed on it (the copies of the request
    // then do not count); empty: none.
    QList<SheetPupil> pupils;
    // Each pupil's sheet begins with the pupil's wrong questions that are due again (see
    // reviewschedule), each with one like it.
    bool review = false;
    // When the review's schedule is read; invalid: now.
    QDateTime reviewAt;
};

struct SheetOutcome {
    enum class End { Made, Stopped, NoTopic, BankUnreadable, Failed };
    End end = End::Made;
    QString error; // for Failed and BankUnreadable
    QList<MadeSheet> made;
    // The last sheet made, as it was written, for its key later.
    SheetRequest request;
    DrawnSheet sheet;
    bool ok() const { return end == End::Made || end == End::Stopped; }
};

// The road of every sheet: fresh look-up, draw, short-sheet notice, code, writing into one builder,
// delivery, record (only once the sheet reached the user), key, batches of copies in files of their own
// or in one; and keys of past sheets. The history may be null: sheets are then made without codes.
class SheetService {
public:
    SheetService(QString bankDir, SheetHistory *history);

    SheetOutcome make(SheetHost &host, const SheetOrder &order, SheetOutputs &outputs,
                      SheetListener &listener);
    // A sheet made earlier (its request and drawn items, code included), as it was or as its key.
    SheetOutcome remake(RunControl &control, SheetRequest request, const DrawnSheet &sheet,
                        const QString &today, const QString &path, SheetOutputs &outputs,
                        SheetListener &listener);

    void setHistory(SheetHistory *history) { history_ = history; }
    SelectionRun &run() { return run_; }

    // The file of copy k of n: "sheet.docx" stays for one file, "sheet-3.docx" for the third of several.
    static QString copyPath(const QString &path, int copy, int files);

private:
    QString bankDir_;
    SheetHistory *history_;
    SelectionRun run_;
};
