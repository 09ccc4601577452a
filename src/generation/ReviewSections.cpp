// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/ReviewSections.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace reviewsections {

QList<SheetSection> of(const SheetRequest &request, qsizetype due) {
    if (due <= 0)
        return request.sections;
    SheetSection review;
    review.title = u"错题重练"_s;
    review.mode = request.mode;
    review.topics.fill(false);
    review.quantity = static_cast<int>(due * 2);
    QList<SheetSection> sections{review};
    if (!request.sections.isEmpty())
        return sections + request.sections;
    if (request.quantity > 0) {
        SheetSection rest;
        rest.title = u"新题练习"_s;
        rest.mode = request.mode;
        rest.topics = request.topics;
        rest.quantity = request.quantity;
        rest.points = request.points;
        sections.append(rest);
    }
    return sections;
}

std::pair<codes::QuestionMode, int> topicBox(int topicCode, codes::QuestionMode sheetMode) {
    if (const int olympiadSlot = codes::slotOfTopicCode(topicCode, true); olympiadSlot >= 0)
        return {codes::QuestionMode::Olympiad, olympiadSlot};
    const codes::QuestionMode textbook =
        codes::usesOlympiadList(sheetMode) ? codes::QuestionMode::Calculation : sheetMode;
    return {textbook, std::max(0, codes::slotOfTopicCode(topicCode, false))};
}

} // namespace reviewsections
