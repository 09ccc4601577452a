// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "generation/SheetModel.h"

#include <QString>
#include <functional>
#include <optional>

// One --section of `tessaly generate`: "topics=1,2;count=8;points=5;title=…", with mode= and total=
// too. What it leaves out comes from the sheet's own options (the mode, the grade's topics) and a
// count of ten.
namespace sectiontext {

// A topic's box by its name in the mode's list (olympiad or not); the command line reads names, the
// history only box numbers.
using TopicNames = std::function<std::optional<int>(const QString &name, bool olympiad)>;
Result<SheetSection> parse(const QString &text, int grade, codes::QuestionMode mode,
                           const TopicNames &names = {});
// A topic's box: a number 1..40, u, unclassified or 未归类题 for 0, else a name through `names`.
std::optional<int> topicSlot(const QString &text, bool olympiad, const TopicNames &names);
// The text that parses back to the section (topics as box numbers, u for 未归类题).
QString write(const SheetSection &section);

} // namespace sectiontext
