// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/SelectionRun.h"

#include "bank/TextNormal.h"
#include "generation/ReviewSections.h"
#include "generation/SectionHost.h"
#include "generation/TopicFilter.h"

#include <QDateTime>
#include <QSet>
#include <algorithm>
#include <functional>
#include <numeric>

using namespace Qt::Literals::StringLiterals;

namespace {

// Items keep no space: sheets recorded by earlier versions were made so, and the fresh-question key
// must find their questions again.
SheetItem itemOf(const Candidate &candidate, QStringView question, QStringView answer, QStringView difficulty,
                 int section) {
    return SheetItem{textnormal::withoutSpaces(question), candidate.record->topic,
                     textnormal::withoutSpaces(answer), textnormal::withoutSpaces(difficulty), section};
}

// Draws of a template for one item before the item is given up.
constexpr int InstanceAttempts = 400;

} // namespace

const QuestionText *SelectionRun::textOf(const BankEntry &record) {
    if (textFor_ != &record) {
        textFor_ = &record;
        text_ = bank_.text(record);
        if (!text_ && !bankChanged_) {
            bankChanged_ = true;
            report_.unreadable.append(
                u"题库文件 %1 在出卷时被改动了（或已无法读取），请重新出卷"_s.arg(bank_.fileName(record)));
        }
    }
    return text_ ? &*text_ : nullptr;
}

const QuestionTemplate *SelectionRun::templateOf(const BankEntry &record) {
    const auto index = static_cast<std::size_t>(&record - bank_.entries().data());
    if (templateState_.size() != bank_.entries().size())
        templateState_.assign(bank_.entries().size(), 0);
    signed char &state = templateState_[index];
    if (state == 0) {
        const QuestionText *text = textOf(record);
        if (!text)
            return nullptr;
        state = 1;
        if (QuestionTemplate::defines(text->question)) {
            templates_.insert_or_assign(index, QuestionTemplate::parse(text->question, text->answer));
            state = 2;
        }
    }
    return state == 2 ? &templates_.at(index) : nullptr;
}

std::optional<SheetItem> SelectionRun::itemFor(const Candidate &candidate, int section, bool distinctOnly) {
    const QuestionTemplate *t = templateOf(*candidate.record);
    const QuestionText *text = textOf(*candidate.record);
    if (!text)
        return std::nullopt;
    if (!t)
        return itemOf(candidate, text->question, text->answer, text->difficulty, section);
    // Each instance is a question of its own: none twice on a sheet, and a fresh one before one the
    // class saw lately (the earlier copies of a batch are among those).
    const auto notOnSheet = [this](const QString &question) {
        return !sheetInstances_.contains(avoidKey(question));
    };
    const auto fresh = [this, &notOnSheet](const QString &question) {
        return notOnSheet(question) && !avoid_.contains(avoidKey(question));
    };
    std::optional<QuestionTemplate::Instance> instance = t->instantiate(random_, fresh, InstanceAttempts);
    if (!instance)
        instance = t->instantiate(random_, notOnSheet, InstanceAttempts);
    if (!instance && !distinctOnly)
        instance = t->instantiate(random_, {}, InstanceAttempts);
    if (!instance)
        return std::nullopt;
    SheetItem item = itemOf(candidate, instance->question, instance->answer, text->difficulty, section);
    sheetInstances_.insert(avoidKey(item.question));
    return item;
}

bool SelectionRun::difficultyPasses(const BankEntry &record) const {
    if (difficultyFrom_ < 0)
        return true;
    // As the mark reads it: "3.0" is three stars, a text that is no number 基础题, a fraction no level.
    return record.level != BankEntry::NoLevel && record.level >= difficultyFrom_ &&
           record.level <= difficultyTo_;
}

SelectionRun::SelectionRun(QString bankDir)
    : bankDir_(std::move(bankDir)) {}

quint64 SelectionRun::avoidKey(QStringView question) {
    return textnormal::spacelessKey(question);
}

void SelectionRun::filter(SheetHost &host, const std::vector<const BankEntry *> *only) {
    candidates_.clear();
    const auto consider = [&](const BankEntry &record) {
        host.yield();
        if (host.stopRequested())
            return false;
        // A question already on the sheet (an earlier section or cell) is no candidate for the rest.
        if (TopicFilter::passes(host, record.topic) && difficultyPasses(record) &&
            (drawnKeys_.isEmpty() || !drawnKeys_.contains(record.key)) &&
            (reviewKeys_.isEmpty() || !reviewKeys_.contains(record.key)))
            candidates_.push_back(Candidate{&record});
        return true;
    };
    if (only) {
        for (const BankEntry *record : *only)
            if (!consider(*record))
                break;
    } else {
        for (const BankEntry &record : bank_.entries())
            if (!consider(record))
                break;
    }
    if (avoid_.isEmpty())
        return;
    // Fresh questions first; the lately used ones only as far as the sheet needs them, oldest first.
    // Each candidate's key and time are looked up once, not at every comparison of the sort.
    CandidateList fresh;
    std::vector<std::pair<qint64, Candidate>> used;
    fresh.reserve(candidates_.size());
    for (const Candidate &c : candidates_) {
        const auto last = avoid_.constFind(c.record->key);
        if (last == avoid_.cend())
            fresh.push_back(c);
        else
            used.emplace_back(*last, c);
    }
    const qsizetype wanted = host.repeatsAllowed() ? 1 : host.quantity();
    const auto freshCount = static_cast<qsizetype>(fresh.size());
    const qsizetype missing = std::max<qsizetype>(0, wanted - freshCount);
    const qsizetype reused =
        reuseWhenShort_ ? std::min<qsizetype>(missing, static_cast<qsizetype>(used.size())) : 0;
    // Only the oldest `reused` are taken back, oldest first and, at one time, in bank order (the
    // entries lie in bank order, so their addresses tell it): not a sort of every used candidate.
    const auto older = [](const auto &a, const auto &b) {
        return a.first != b.first ? a.first < b.first
                                  : std::less<const BankEntry *>{}(a.second.record, b.second.record);
    };
    std::partial_sort(used.begin(), used.begin() + reused, used.end(), older);
    freshness_.fresh += freshCount;
    freshness_.reused += reused;
    candidates_ = std::move(fresh);
    for (qsizetype i = 0; i < reused; ++i)
        candidates_.push_back(used[static_cast<size_t>(i)].second);
}

void SelectionRun::draw(SheetHost &host, DrawnSheet &sheet, int section) {
    const std::size_t count = candidates_.size();
    if (count == 0) {
        // Nothing to draw from: one checkpoint, then the hand-over with no items.
        host.yield();
        return;
    }

    // Without repeats the draw takes candidates from a shrinking pool (a lazy Fisher-Yates shuffle), so
    // each draw costs O(1) and every remaining candidate is equally likely. A candidate whose text was
    // drawn already is dropped from the pool without being appended; when the pool is empty, every
    // distinct text is on the sheet and the draw ends.
    std::vector<std::uint32_t> pool(count);
    std::iota(pool.begin(), pool.end(), 0u);
    std::size_t poolNext = 0;
    // The questions on the sheet so far, its earlier sections' too: no question comes twice on a sheet
    // without repeats (two that differ by spaces only print alike, and count as one).
    QSet<quint64> &drawnKeys = drawnKeys_;
    drawnKeys.reserve(static_cast<qsizetype>(std::min<std::size_t>(count, 1u << 16)));
    const qsizetype before = sheet.items.size();

    const auto wanted = [&] { return sheet.items.size() - before < host.quantity(); };
    // A template that can give no instance gives nothing: a run of such draws ends the sheet rather
    // than drawing for ever.
    std::size_t failures = 0;
    bool sawTemplate = false;
    for (;;) {
        host.yield();
        if (host.stopRequested() || bankChanged_)
            break;
        ++draws_;
        if (host.repeatsAllowed()) {
            std::uniform_int_distribution<std::size_t> any(0, count - 1);
            const Candidate &picked = candidates_[any(random_)];
            if (std::optional<SheetItem> item = itemFor(picked, section, false)) {
                sheet.items.append(std::move(*item));
                drawnKeys.insert(picked.record->key);
                failures = 0;
            } else if (++failures > count + InstanceAttempts) {
                break;
            }
        } else {
            if (poolNext == count)
                break;
            std::uniform_int_distribution<std::size_t> rest(poolNext, count - 1);
            std::swap(pool[poolNext], pool[rest(random_)]);
            const Candidate &picked = candidates_[pool[poolNext++]];
            if (templateOf(*picked.record)) {
                // A template stays drawable: its instances are told apart, not its text.
                sawTemplate = true;
                if (std::optional<SheetItem> item = itemFor(picked, section, true))
                    sheet.items.append(std::move(*item));
            } else if (!drawnKeys.contains(picked.record->key)) {
                if (std::optional<SheetItem> item = itemFor(picked, section, true)) {
                    drawnKeys.insert(picked.record->key);
                    sheet.items.append(std::move(*item));
                }
            }
            if (poolNext == count)
                break;
        }
        if (!wanted())
            break;
    }
    if (!sawTemplate || host.repeatsAllowed() || host.stopRequested() || bankChanged_ || !wanted())
        return;
    // Every candidate has been drawn once and the sheet is still short: the templates give more
    // instances, each new to the sheet, until none can.
    std::vector<const Candidate *> templates;
    for (const Candidate &c : candidates_)
        if (templateOf(*c.record))
            templates.push_back(&c);
    while (!templates.empty() && wanted()) {
        host.yield();
        if (host.stopRequested() || bankChanged_)
            break;
        ++draws_;
        std::uniform_int_distribution<std::size_t> any(0, templates.size() - 1);
        const std::size_t k = any(random_);
        if (std::optional<SheetItem> item = itemFor(*templates[k], section, true)) {
            sheet.items.append(std::move(*item));
        } else {
            templates[k] = templates.back();
            templates.pop_back();
        }
    }
}

DrawnSheet SelectionRun::select(SheetHost &host) {
    draws_ = 0;
    freshness_ = Freshness{};
    drawnKeys_.clear();
    sheetInstances_.clear();
    DrawnSheet sheet;
    // The copies of a batch draw from one load of the bank, as long as the grade stays.
    const int grade = host.gradePosition();
    if (!keepBank_ || !bankLoaded_ || grade != loadedGrade_) {
        report_ = BankLoader::load(host, bankDir_, bank_);
        byTopicMade_ = false;
        textFor_ = nullptr;
        text_.reset();
        bankChanged_ = false;
        templateState_.clear();
        templates_.clear();
        bankLoaded_ = !host.stopRequested();
        loadedGrade_ = grade;
    }
    if (avoidLater_.valid()) {
        avoid_ = avoidLater_.get();
        avoidLater_ = {};
    }
    random_.seed(seed_ ? *seed_ : static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch()));
    const SheetRequest request = host.request();
    const QList<SheetSection> sections =
        review_.isEmpty() ? request.sections : reviewsections::of(request, review_.size());
    reviewKeys_.clear();
    for (const SheetItem &item : std::as_const(review_))
        reviewKeys_.insert(avoidKey(item.question));
    difficultyFrom_ = request.byDifficulty() ? request.difficultyFrom : -1;
    difficultyTo_ = request.difficultyTo;
    shortCells_.clear();
    const QList<PlanCell> &plan = planOverride_.isEmpty() ? request.plan : planOverride_;
    if (!plan.isEmpty() && review_.isEmpty()) {
        // A plan: each cell its topic, difficulty and count, in order. A balanced copy (one filled up
        // to its count) takes no lately used question into a cell: a question of another cell that is
        // new to the batch does better than one the class has seen.
        host.startProgress();
        reuseWhenShort_ = fillTo_ <= 0;
        for (int k = 0; k < plan.size() && !host.stopRequested(); ++k) {
            const PlanCell &cell = plan[k];
            SheetSection part;
            part.mode = request.mode;
            if (cell.slot >= 0 && cell.slot <= codes::TopicSlotCount)
                part.topics[static_cast<size_t>(cell.slot)] = true;
            part.quantity = cell.count;
            difficultyFrom_ = cell.difficultyFrom;
            difficultyTo_ = cell.difficultyTo;
            SectionHost partHost(host, part);
            const qsizetype before = sheet.items.size();
            // A cell looks at the records of its topic only: a batch of forty copies by a plan of ten
            // cells would otherwise go through the whole bank four hundred times.
            const int code = cell.slot == 0
                                 ? codes::unclassifiedCode(codes::usesOlympiadList(request.mode))
                                 : codes::topicCode(cell.slot, codes::usesOlympiadList(request.mode));
            filter(partHost, &recordsOfTopic(code));
            draw(partHost, sheet, 0);
            for (qsizetype i = before; i < sheet.items.size(); ++i)
                sheet.items[i].cell = k;
            if (const auto drawn = static_cast<int>(sheet.items.size() - before); drawn < cell.count)
                shortCells_.append({k, cell.count - drawn});
        }
        // What the cells could not give comes from the sheet's own choice, so a copy keeps its count.
        if (fillTo_ > sheet.items.size() && !host.stopRequested()) {
            SheetSection rest;
            rest.mode = request.mode;
            rest.topics = request.topics;
            rest.quantity = fillTo_ - static_cast<int>(sheet.items.size());
            difficultyFrom_ = request.byDifficulty() ? request.difficultyFrom : -1;
            difficultyTo_ = request.difficultyTo;
            SectionHost restHost(host, rest);
            reuseWhenShort_ = true;
            filter(restHost);
            draw(restHost, sheet, 0);
        }
        reuseWhenShort_ = true;
        return sheet;
    }
    if (sections.isEmpty()) {
        filter(host);
        host.startProgress();
        draw(host, sheet, 0);
        return sheet;
    }
    // A sheet of several parts: one load, then each section's own filter and draw, in order.
    host.startProgress();
    for (int s = 0; s < sections.size() && !host.stopRequested(); ++s) {
        if (s == 0 && !review_.isEmpty()) {
            drawReview(host, sheet, request);
            continue;
        }
        SectionHost section(host, sections[s]);
        filter(section);
        draw(section, sheet, s);
    }
    return sheet;
}

void SelectionRun::drawReview(SheetHost &host, DrawnSheet &sheet, const SheetRequest &request) {
    for (const SheetItem &again : std::as_const(review_)) {
        if (host.stopRequested())
            break;
        SheetItem item = again;
        item.section = 0;
        item.cell = -1;
        sheet.items.append(item);
        // One like it: the same topic at the same difficulty (a template of it gives a new instance).
        const auto [mode, slot] = reviewsections::topicBox(again.topicCode, request.mode);
        SheetSection like;
        like.mode = mode;
        like.topics.fill(false);
        like.topics[static_cast<size_t>(slot)] = true;
        like.quantity = 1;
        const std::optional<int> level = codes::difficultyLevel(again.difficulty);
        difficultyFrom_ = level.value_or(-1);
        difficultyTo_ = level.value_or(-1);
        SectionHost likeHost(host, like);
        const qsizetype before = sheet.items.size();
        filter(likeHost, &recordsOfTopic(again.topicCode));
        draw(likeHost, sheet, 0);
        // A small bank may have no other question of that difficulty: one of the topic at another does
        // better than none.
        if (sheet.items.size() == before && level && !host.stopRequested()) {
            difficultyFrom_ = -1;
            filter(likeHost, &recordsOfTopic(again.topicCode));
            draw(likeHost, sheet, 0);
        }
    }
    difficultyFrom_ = request.byDifficulty() ? request.difficultyFrom : -1;
    difficultyTo_ = request.difficultyTo;
}

const std::vector<const BankEntry *> &SelectionRun::recordsOfTopic(int code) {
    if (!byTopicMade_) {
        byTopic_.clear();
        for (const BankEntry &record : bank_.entries())
            byTopic_[record.topic].push_back(&record);
        byTopicMade_ = true;
    }
    static const std::vector<const BankEntry *> none;
    const auto found = byTopic_.constFind(code);
    return found == byTopic_.cend() ? none : *found;
}

void SelectionRun::release() {
    textFor_ = nullptr;
    text_.reset();
    templateState_ = {};
    templates_.clear();
    sheetInstances_.clear();
    byTopicMade_ = false;
    byTopic_.clear();
    bankLoaded_ = false;
    drawnKeys_.clear();
    review_.clear();
    reviewKeys_.clear();
    bank_ = QuestionBank();
    candidates_ = CandidateList();
}
