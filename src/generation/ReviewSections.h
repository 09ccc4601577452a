// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/SheetModel.h"

// A review sheet: a first section of the pupil's questions to practise again, each followed by one
// like it (the same topic and difficulty), then the sheet's own choice as it would be without them.
namespace reviewsections {

// The sections of a review sheet of `due` questions (none: the request's own).
QList<SheetSection> of(const SheetRequest &request, qsizetype due);
// The mode and box of a topic code, for drawing a question like one of the review: an olympiad code
// in the olympiad list, a textbook code in the request's mode (or 列式计算 on an olympiad sheet).
std::pair<codes::QuestionMode, int> topicBox(int topicCode, codes::QuestionMode sheetMode);

} // namespace reviewsections
