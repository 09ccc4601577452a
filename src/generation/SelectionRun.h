// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/BankLoader.h"
#include "bank/QuestionBank.h"
#include "generation/CandidateList.h"
#include "generation/DocumentTarget.h"
#include "generation/SelectionHost.h"
#include "generation/WorksheetArgs.h"

#include <QHash>
#include <QString>
#include <cstdint>
#include <optional>
#include <random>

// One generation run: reset, load the bank, filter by topic, draw, and hand the drawn questions to
// the worksheet writer. It yields to the host at every line loaded, record filtered and draw, and
// ends the current phase when the host's stop flag is set.
class SelectionRun {
public:
    explicit SelectionRun(QString bankDir);

    // Without a seed the generator is seeded from the clock.
    void setSeed(std::optional<std::uint64_t> seed) { seed_ = seed; }

    // Everything up to the hand-over; returns the writer's arguments.
    WorksheetArgs select(SelectionHost &host);
    // select() followed by the writer.
    void run(SelectionHost &host, DocumentTarget &target);

    // Frees the bank and the candidates of the last run (the drawn lists are in the host's state).
    void release();

    // Questions to leave out (fresh questions): their texts (blanks removed) with when they were last
    // used, in ms since the epoch. Where that leaves fewer candidates than asked, the least recently
    // used of them come back, the oldest first.
    void setAvoid(QHash<QString, qint64> lastUsed) { avoid_ = std::move(lastUsed); }
    struct Freshness {
        qsizetype fresh = 0;  // candidates not used lately
        qsizetype reused = 0; // lately used ones taken back to fill the sheet
    };
    const Freshness &freshness() const { return freshness_; }
    static QString avoidKey(QStringView question);

    const LoadReport &loadReport() const { return report_; }
    const QuestionBank &bank() const { return bank_; }
    const CandidateList &candidates() const { return candidates_; }
    // Draws made by the last run (appended or not).
    qsizetype drawCount() const { return draws_; }
    // Questions appended by the last run.
    qsizetype drawnCount() const { return drawn_; }

private:
    void filter(SelectionHost &host);
    void draw(SelectionHost &host);
    void append(RunState &state, const Candidate &candidate);

    QString bankDir_;
    std::optional<std::uint64_t> seed_;
    std::mt19937_64 random_;
    QuestionBank bank_;
    CandidateList candidates_;
    LoadReport report_;
    qsizetype draws_ = 0;
    qsizetype drawn_ = 0;
    QHash<QString, qint64> avoid_;
    Freshness freshness_;
};
