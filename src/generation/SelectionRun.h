// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/BankLoader.h"
#include "bank/QuestionBank.h"
#include "bank/QuestionTemplate.h"
#include "generation/CandidateList.h"
#include "generation/SheetHost.h"
#include "generation/SheetModel.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <cstdint>
#include <future>
#include <optional>
#include <random>
#include <unordered_map>

// The draw of one sheet: load the bank, filter by topic, draw (for a sheet of several sections, a
// filter and a draw for each). It yields to the host at every line
// loaded, record filtered and draw, and ends the current phase when the host asks it to stop.
class SelectionRun {
public:
    explicit SelectionRun(QString bankDir);

    // Without a seed the generator is seeded from the clock.
    void setSeed(std::optional<std::uint64_t> seed) { seed_ = seed; }

    // The drawn items, in the order drawn (no code yet).
    DrawnSheet select(SheetHost &host);

    // A plan to follow in place of the request's (the balanced copies of a batch follow the first
    // copy's make-up), with the quantity to fill up to from the request's own choice where cells fall
    // short (0: none). Empty: the request's plan, if any.
    void setPlan(QList<PlanCell> plan, int fillTo) {
        planOverride_ = std::move(plan);
        fillTo_ = fillTo;
    }
    // The questions of a review sheet (the pupil's wrong ones that are due), printed again in a first
    // section, each followed by one like it; the request's own choice follows. Empty: none.
    void setReview(QList<SheetItem> review) { review_ = std::move(review); }
    // The cells of the last sheet's plan that fell short: each cell's index and how many it lacked.
    const QList<std::pair<int, int>> &shortCells() const { return shortCells_; }

    // Keeps the loaded bank for the next select() while the grade stays (the copies of a batch), until
    // release().
    void keepBankBetweenSheets(bool keep) { keepBank_ = keep; }

    // Frees the bank and the candidates of the last run.
    void release();

    // Questions to leave out (fresh questions): their keys (avoidKey) with when they were last used, in
    // ms since the epoch. Where that leaves fewer candidates than asked, the least
    // recently used of them come back, the oldest first.
    void setAvoid(QHash<quint64, qint64> lastUsed) {
        avoid_ = std::move(lastUsed);
        avoidLater_ = {};
    }
    // The same, still being looked up (on a thread of its own, while the bank loads): taken once the
    // bank is loaded.
    void setAvoid(std::shared_future<QHash<quint64, qint64>> lastUsed) {
        avoid_.clear();
        avoidLater_ = std::move(lastUsed);
    }
    struct Freshness {
        qsizetype fresh = 0;  // candidates not used lately
        qsizetype reused = 0; // lately used ones taken back to fill the sheet
    };
    const Freshness &freshness() const { return freshness_; }
    static quint64 avoidKey(QStringView question);

    const LoadReport &loadReport() const { return report_; }
    const QuestionBank &bank() const { return bank_; }
    const CandidateList &candidates() const { return candidates_; }
    // Draws made by the last run (appended or not).
    qsizetype drawCount() const { return draws_; }

private:
    // The candidates among all the bank's records, or among `only`.
    void filter(SheetHost &host, const std::vector<const BankEntry *> *only = nullptr);
    // The bank's records of one topic code, indexed once a load.
    const std::vector<const BankEntry *> &recordsOfTopic(int code);
    bool difficultyPasses(const BankEntry &record) const;
    // The record's text, read again from its file (the last one read is kept: a draw reads its pick
    // for the template test and for the item). None when the file changed under the run: the draw
    // then ends, and the load report says so.
    const QuestionText *textOf(const BankEntry &record);
    // The record's template, read once a load; none for a plain question.
    const QuestionTemplate *templateOf(const BankEntry &record);
    // The sheet's item for a candidate: a template's instance is one not on the sheet yet and, where it
    // can be, not lately used (`distinctOnly`: none rather than one already on the sheet).
    std::optional<SheetItem> itemFor(const Candidate &candidate, int section, bool distinctOnly);
    // Appends the host's quantity of items, marked as of this section.
    void draw(SheetHost &host, DrawnSheet &sheet, int section);
    // The review section: each question again, then one of its topic and difficulty.
    void drawReview(SheetHost &host, DrawnSheet &sheet, const SheetRequest &request);

    QString bankDir_;
    std::optional<std::uint64_t> seed_;
    std::mt19937_64 random_;
    QuestionBank bank_;
    CandidateList candidates_;
    LoadReport report_;
    qsizetype draws_ = 0;
    QHash<quint64, qint64> avoid_;
    std::shared_future<QHash<quint64, qint64>> avoidLater_;
    Freshness freshness_;
    QSet<quint64> drawnKeys_;                     // the questions on the sheet, by their avoidKey
    int difficultyFrom_ = -1, difficultyTo_ = -1; // the request's, read once a sheet
    QList<PlanCell> planOverride_;
    bool reuseWhenShort_ = true;
    bool keepBank_ = false, bankLoaded_ = false;
    QHash<int, std::vector<const BankEntry *>> byTopic_;
    bool byTopicMade_ = false;
    const BankEntry *textFor_ = nullptr; // whose text text_ is
    std::optional<QuestionText> text_;
    bool bankChanged_ = false;               // a line could not be read again: the draw ends
    std::vector<signed char> templateState_; // by record index: 0 not read yet, 1 plain, 2 template
    std::unordered_map<std::size_t, QuestionTemplate> templates_;
    QSet<quint64> sheetInstances_; // the keys of the template instances on the sheet
    QList<SheetItem> review_;
    QSet<quint64> reviewKeys_; // the review's questions: none of them is drawn as one like it
    int loadedGrade_ = -1;
    int fillTo_ = 0;
    QList<std::pair<int, int>> shortCells_;
};
