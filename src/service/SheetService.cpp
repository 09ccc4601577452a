// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/SheetService.h"

#include "generation/DocumentWriter.h"
#include "generation/PlanText.h"
#include "generation/ReviewSections.h"
#include "history/ReviewSchedule.h"
#include "history/SheetRecord.h"

#include <QDateTime>
#include <QFileInfo>
#include <QScopeGuard>
#include <future>

using namespace Qt::Literals::StringLiterals;

SheetService::SheetService(QString bankDir, SheetHistory *history)
    : bankDir_(std::move(bankDir))
    , history_(history)
    , run_(bankDir_) {}

QString SheetService::copyPath(const QString &path, int copy, int files) {
    if (path.isEmpty() || files == 1)
        return path;
    const QFileInfo info(path);
    return info.path() + u'/' + info.completeBaseName() + u'-' + QString::number(copy) + u'.' + info.suffix();
}

namespace {

// Delivers a filled document; says its warnings first. Null on success, else why it failed.
std::optional<QString> deliverDocument(SheetOutputs &outputs, DocumentTarget &document, const QString &path,
                                       SheetListener &listener, QString *where) {
    if (!document.warnings().isEmpty())
        listener.documentWarnings(document.warnings());
    if (document.failed())
        return document.failure();
    Result<QString> delivered = outputs.deliver(document, path);
    if (!delivered)
        return delivered.error();
    *where = delivered.value();
    return std::nullopt;
}

// A delivery that failed because the user stopped the run is a stop, not a failure to report.
SheetOutcome failed(const QString &why, bool stopped = false) {
    SheetOutcome outcome;
    outcome.end = stopped ? SheetOutcome::End::Stopped : SheetOutcome::End::Failed;
    outcome.error = why;
    return outcome;
}

// The document to write the next sheet (or key) into: a new one, or, for one file, the batch's shared
// one from a new page.
DocumentTarget *documentFor(SheetOutputs &outputs, const SheetRequest &asked,
                            std::unique_ptr<DocumentTarget> &shared, std::unique_ptr<DocumentTarget> &own) {
    const bool oneFile = asked.oneFile;
    if (!oneFile) {
        own = outputs.newDocument();
        return own.get();
    }
    if (shared) {
        shared->nextSheet();
    } else {
        shared = outputs.newDocument();
        shared->setSheetsOnOddPages(asked.duplex);
    }
    return shared.get();
}

} // namespace

SheetOutcome SheetService::make(SheetHost &host, const SheetOrder &order, SheetOutputs &outputs,
                                SheetListener &listener) {
    // Whichever way the run ends: an office started only for exports is ended, the bank is let go.
    const auto done = qScopeGuard([&] {
        outputs.finish();
        run_.release();
    });
    const SheetRequest asked = host.request();
    SheetOutcome outcome;
    if (!asked.anyTopic()) {
        outcome.end = SheetOutcome::End::NoTopic;
        return outcome;
    }
    const int copies =
        order.pupils.isEmpty() ? std::max(1, asked.copies) : static_cast<int>(order.pupils.size());
    const int files = asked.oneFile ? 1 : copies;

    // Fresh questions: those of the sheets of the last days are left out where the bank allows. The
    // history is asked on a thread (and a connection) of its own while the first copy's bank loads.
    QHash<quint64, qint64> avoid;
    std::shared_future<QHash<quint64, qint64>> lookUp;
    if (asked.freshDays > 0 && history_) {
        const QDateTime since = QDateTime::currentDateTime().addDays(-asked.freshDays);
        lookUp = std::async(std::launch::async, [history = history_, since] {
                     return history->usedSinceApart(since);
                 }).share();
    }

    // One file for the whole batch: the sheets in one document, the keys in another, recorded once both
    // reached the user.
    std::unique_ptr<DocumentTarget> oneSheet, oneKey;
    QList<RecordedSheet> pending;
    QList<MadeSheet> pendingMade;

    // Copies of a batch are balanced: without a plan of their own, every copy after the first follows
    // the first one's make-up (topics × difficulties), filled up from the whole choice where the bank
    // runs short of a cell.
    const bool balanced = copies > 1 && asked.plan.isEmpty() && asked.sections.isEmpty() && !order.review;
    QList<PlanCell> firstMakeUp;
    const auto unbalance = qScopeGuard([this] {
        run_.setPlan({}, 0);
        run_.setReview({});
        run_.keepBankBetweenSheets(false);
    });
    const QDateTime reviewAt = order.reviewAt.isValid() ? order.reviewAt : QDateTime::currentDateTime();
    run_.keepBankBetweenSheets(copies > 1);

    for (int copy = 1; copy <= copies; ++copy) {
        listener.copyStarted(copy, copies);
        if (balanced && copy > 1)
            run_.setPlan(firstMakeUp, asked.quantity);
        run_.setSeed(order.seed
                         ? std::optional<std::uint64_t>(*order.seed + static_cast<std::uint64_t>(copy - 1))
                         : std::nullopt);
        if (copy == 1 && lookUp.valid())
            run_.setAvoid(lookUp);
        else
            run_.setAvoid(avoid);
        const SheetPupil pupil = order.pupils.value(copy - 1);
        qsizetype due = 0;
        if (order.review && history_ && pupil.id > 0) {
            const QList<SheetItem> again =
                reviewschedule::itemsOf(reviewschedule::due(history_->marksOf({pupil.id}), reviewAt));
            due = again.size();
            run_.setReview(again);
            listener.reviewDue(pupil, due);
        }
        DrawnSheet sheet = run_.select(host);
        if (copy == 1 && lookUp.valid())
            avoid = lookUp.get();
        if (!run_.loadReport().unreadable.isEmpty() &&
            !listener.bankUnreadable(run_.loadReport().unreadable)) {
            host.endProgress();
            outcome.end = SheetOutcome::End::BankUnreadable;
            outcome.error = run_.loadReport().unreadable.join(u'\n');
            return outcome;
        }
        if (copy == 1 && !run_.loadReport().problems.isEmpty())
            listener.bankProblems(run_.loadReport().problems);
        const bool stopped = host.stopRequested();
        // What the writer and the record take: the choices as they stand once the draw is done.
        SheetRequest request = host.request();
        request.pupil = pupil;
        if (due > 0)
            request.sections = reviewsections::of(request, due);
        if (balanced && copy == 1)
            firstMakeUp = plantext::makeUpOf(sheet, request.mode);
        if (balanced && copy > 1)
            request.plan = firstMakeUp;
        if (!run_.shortCells().isEmpty() && !stopped) {
            const QList<PlanCell> &plan = request.plan;
            QStringList cells;
            for (const auto &[k, missing] : run_.shortCells())
                if (k < plan.size())
                    cells.append(
                        u"%1 少 %2 道"_s.arg(plantext::cellName(plan[k], request.mode)).arg(missing));
            listener.planShort(copy, copies, cells, balanced);
        }
        const qsizetype count = sheet.items.size();
        if (!stopped && count < request.wantedQuantity())
            listener.shortSheet(count, request);
        if (run_.freshness().reused > 0)
            listener.fewerFresh(copy, copies, run_.freshness().fresh, run_.freshness().reused);
        // The next copy leaves out what this one used, as the most recent of all (after the last copy
        // there is none: the look-up's table, shared with the draw, is not copied for nothing).
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (copy < copies)
            for (const SheetItem &item : sheet.items)
                avoid.insert(SelectionRun::avoidKey(item.question), now + copy);

        // The code is printed on the sheet; the sheet is recorded under it only once it reached the user.
        if (history_ && !stopped)
            sheet.code = history_->newCode();
        const QString today = host.todayText();
        const QString output = copyPath(order.output, copy, files);
        const QString keyOutput = copyPath(order.keyOutput, copy, files);

        std::unique_ptr<DocumentTarget> own;
        DocumentTarget *document = documentFor(outputs, asked, oneSheet, own);
        DocumentWriter::write(host, *document, request, sheet, today);
        host.endProgress();

        MadeSheet made{sheet.code, count, false, QString()};
        if (!asked.oneFile) {
            if (const std::optional<QString> why =
                    deliverDocument(outputs, *document, output, listener, &made.where))
                return failed(*why, host.stopRequested());
            // A long sheet's document is let go here, with the window's events after it, not at the end
            // of the copy together with everything else.
            own.reset();
            host.yield();
        }
        outcome.request = request;
        outcome.sheet = sheet;

        RecordedSheet record;
        if (!sheet.code.isEmpty())
            record = sheetrecord::fromSheet(sheet, request, bankDir_);
        if (asked.oneFile) {
            made.where = output;
            pendingMade.append(made);
            if (!sheet.code.isEmpty())
                pending.append(record);
        } else {
            if (!sheet.code.isEmpty())
                if (const Result<QString> kept = history_->record(record, [&host] { host.yield(); }); !kept) {
                    listener.notRecorded(kept.error());
                    made.code.clear();
                }
            record = RecordedSheet();
            host.yield();
            listener.delivered(made);
            outcome.made.append(made);
        }

        if (stopped) {
            outcome.end = SheetOutcome::End::Stopped;
            break;
        }
        if (order.withKeys) {
            SheetRequest keyRequest = request;
            keyRequest.answers = true;
            std::unique_ptr<DocumentTarget> ownKey;
            DocumentTarget *key = documentFor(outputs, asked, oneKey, ownKey);
            DocumentWriter::write(host, *key, keyRequest, sheet, today);
            MadeSheet keyMade{made.code, count, true, keyOutput};
            if (!asked.oneFile) {
                if (const std::optional<QString> why =
                        deliverDocument(outputs, *key, keyOutput, listener, &keyMade.where))
                    return failed(*why, host.stopRequested());
                listener.delivered(keyMade);
                outcome.made.append(keyMade);
            } else {
                pendingMade.append(keyMade);
            }
        }
    }

    if (oneSheet) {
        QString where;
        if (const std::optional<QString> why =
                deliverDocument(outputs, *oneSheet, order.output, listener, &where))
            return failed(*why);
        if (oneKey)
            if (const std::optional<QString> why =
                    deliverDocument(outputs, *oneKey, order.keyOutput, listener, &where))
                return failed(*why);
        for (RecordedSheet &record : pending)
            if (const Result<QString> kept = history_->record(record, [&host] { host.yield(); }); !kept) {
                listener.notRecorded(kept.error());
                for (MadeSheet &m : pendingMade)
                    if (m.code == record.code)
                        m.code.clear();
            }
        for (const MadeSheet &m : pendingMade) {
            listener.delivered(m);
            outcome.made.append(m);
        }
    }
    return outcome;
}

SheetOutcome SheetService::remake(RunControl &control, SheetRequest request, const DrawnSheet &sheet,
                                  const QString &today, const QString &path, SheetOutputs &outputs,
                                  SheetListener &listener) {
    const auto done = qScopeGuard([&] { outputs.finish(); });
    std::unique_ptr<DocumentTarget> document = outputs.newDocument();
    DocumentWriter::write(control, *document, request, sheet, today);
    MadeSheet made{sheet.code, sheet.items.size(), request.answers, QString()};
    if (const std::optional<QString> why = deliverDocument(outputs, *document, path, listener, &made.where))
        return failed(*why);
    listener.delivered(made);
    SheetOutcome outcome;
    outcome.made.append(made);
    outcome.request = std::move(request);
    outcome.sheet = sheet;
    return outcome;
}
