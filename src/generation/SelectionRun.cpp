// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/SelectionRun.h"

#include "bank/NumberValue.h"
#include "generation/DocumentWriter.h"
#include "generation/TopicFilter.h"

#include <QDateTime>
#include <QSet>
#include <algorithm>
#include <numeric>

using namespace Qt::Literals::StringLiterals;

namespace {

// The writer splits the lists on spaces again, so an item must not hold one: a space inside a hand-made
// bank line would otherwise shift every later answer onto the wrong question.
void appendItem(QString &list, QStringView item) {
    list += u' ';
    if (!item.contains(u' ')) {
        list += item;
        return;
    }
    for (QChar c : item)
        if (c != u' ')
            list += c;
}

// Each item is preceded by exactly one space; dropping only that first space keeps empty items (an
// empty answer, say) in their places, where trimming every leading space would shift the lists.
QString joined(const QString &list) {
    return list.isEmpty() ? QString() : list.sliced(1);
}

} // namespace

SelectionRun::SelectionRun(QString bankDir)
    : bankDir_(std::move(bankDir)) {}

QString SelectionRun::avoidKey(QStringView question) {
    QString key;
    key.reserve(question.size());
    for (QChar c : question)
        if (c != u' ')
            key += c;
    return key;
}

void SelectionRun::filter(SelectionHost &host) {
    candidates_.clear();
    freshness_ = Freshness{};
    for (const QuestionRecord &record : bank_.records()) {
        host.processEvents();
        if (host.runState().stopRequested())
            break;
        const int code = TopicFilter::codeOf(record.topicCode);
        if (TopicFilter::passes(host, code))
            candidates_.push_back(Candidate{&record, code});
    }
    if (avoid_.isEmpty())
        return;
    // Fresh questions first; the lately used ones only as far as the sheet needs them, oldest first.
    CandidateList fresh, used;
    for (const Candidate &c : candidates_) {
        const auto last = avoid_.constFind(avoidKey(c.record->questionText));
        if (last == avoid_.cend())
            fresh.push_back(c);
        else
            used.push_back(c);
    }
    std::stable_sort(used.begin(), used.end(), [this](const Candidate &a, const Candidate &b) {
        return avoid_.value(avoidKey(a.record->questionText)) <
               avoid_.value(avoidKey(b.record->questionText));
    });
    const qsizetype wanted = host.check29() == 1 ? 1 : integerValue(host.quantityText());
    freshness_.fresh = static_cast<qsizetype>(fresh.size());
    const qsizetype missing = std::max<qsizetype>(0, wanted - freshness_.fresh);
    freshness_.reused = std::min<qsizetype>(missing, static_cast<qsizetype>(used.size()));
    candidates_ = std::move(fresh);
    candidates_.insert(candidates_.end(), used.begin(), used.begin() + freshness_.reused);
}

void SelectionRun::append(RunState &state, const Candidate &candidate) {
    appendItem(state.out, candidate.record->questionText);
    state.outlx += u' ';
    state.outlx += QString::number(candidate.topicCode);
    appendItem(state.outjs, candidate.record->answerText);
    appendItem(state.outnd, candidate.record->difficulty);
    ++drawn_;
}

void SelectionRun::draw(SelectionHost &host) {
    RunState &state = host.runState();
    const std::size_t count = candidates_.size();
    if (count == 0) {
        // Nothing to draw from: one checkpoint, then the hand-over with empty lists.
        host.processEvents();
        return;
    }

    // Without repeats the draw takes candidates from a shrinking pool (a lazy Fisher-Yates shuffle), so
    // each draw costs O(1) and every remaining candidate is equally likely. A candidate whose text was
    // drawn already is dropped from the pool without being appended; when the pool is empty, every
    // distinct text is on the sheet and the draw ends.
    std::vector<std::uint32_t> pool(count);
    std::iota(pool.begin(), pool.end(), 0u);
    std::size_t poolNext = 0;
    QSet<QStringView> drawnTexts;
    drawnTexts.reserve(static_cast<qsizetype>(std::min<std::size_t>(count, 1u << 16)));

    qsizetype appended = 0;
    for (;;) {
        host.processEvents();
        if (state.stopRequested())
            break;
        ++draws_;
        if (host.check29() != 0) {
            std::uniform_int_distribution<std::size_t> any(0, count - 1);
            const Candidate &picked = candidates_[any(random_)];
            append(state, picked);
            drawnTexts.insert(picked.record->questionText);
            ++appended;
        } else {
            if (poolNext == count)
                break;
            std::uniform_int_distribution<std::size_t> rest(poolNext, count - 1);
            std::swap(pool[poolNext], pool[rest(random_)]);
            const Candidate &picked = candidates_[pool[poolNext++]];
            if (!drawnTexts.contains(picked.record->questionText)) {
                drawnTexts.insert(picked.record->questionText);
                append(state, picked);
                ++appended;
            }
            if (poolNext == count)
                break;
        }
        if (appended >= integerValue(host.quantityText()))
            break;
    }
}

WorksheetArgs SelectionRun::select(SelectionHost &host) {
    RunState &state = host.runState();
    state.qt = 0;
    state.out.clear();
    state.outlx.clear();
    state.outjs.clear();
    state.outnd.clear();
    draws_ = 0;
    drawn_ = 0;

    report_ = BankLoader::load(host, bankDir_, bank_);
    filter(host);
    host.startProgress();
    random_.seed(seed_ ? *seed_ : static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch()));
    draw(host);

    WorksheetArgs args;
    args.questionList = joined(state.out);
    args.topicCodeList = joined(state.outlx);
    args.answerList = joined(state.outjs);
    args.difficultyList = joined(state.outnd);
    args.lineSpacing = host.lineSpacingText();
    args.columns = host.columnsText();
    args.fontSize = host.fontSizeText();
    args.fontName = host.fontNameText();
    args.quantity = host.quantityText();
    args.starFlag = QString::number(host.check18());
    args.answerFlag = QString::number(host.check19());
    return args;
}

void SelectionRun::run(SelectionHost &host, DocumentTarget &target) {
    const WorksheetArgs args = select(host);
    DocumentWriter::write(host, target, args);
}

void SelectionRun::release() {
    bank_ = QuestionBank();
    candidates_ = CandidateList();
}
