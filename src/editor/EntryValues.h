// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

// The values a question's classification is given in on the command line and in an import file: each
// as the number the bank stores, or as the name the editor shows.
namespace entryvalues {

// 0..6, or "小学阶段综合", "一年级" .. "六年级".
std::optional<int> grade(const QString &text);
// true for the olympiad list (奥数, olympiad), false for the textbook list (列式计算, 估算, 解方程,
// textbook, calculation, estimation, equation).
std::optional<bool> olympiad(const QString &text);
// 1..40 or a topic name of the list; 0 for none (empty, "0", "未归类题", "unclassified").
std::optional<int> topicSlot(const QString &text, bool olympiad);
// 0..5, a row of ★ (one to five), or "基础题".
std::optional<int> difficulty(const QString &text);

} // namespace entryvalues
