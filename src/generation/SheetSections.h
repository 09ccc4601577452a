// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/SheetModel.h"

#include <QList>
#include <QString>
#include <QStringList>

// What a sheet of several parts prints about them: the parts' headings with their points, the score
// table, each question's points and the full score.
namespace sheetsections {

// 一, 二, … 十, 十一, … 九十九 (and the digits beyond).
QString chineseNumeral(int n);
// A section's title: its own, else the names of its topics (up to three, "求和与求差"), else its mode.
QString titleOf(const SheetSection &section);
// "（每题5分，共40分）", "（共40分）" or nothing, for the questions drawn into it.
QString pointsText(const SheetSection &section, qsizetype questions);
// "一、求和与求差（每题5分，共40分）".
QString heading(const SheetSection &section, int index, qsizetype questions);
// The points of one question (0: none given).
int pointsOf(const SheetRequest &request, const SheetItem &item);
// How many of the drawn items stand in each section.
QList<qsizetype> countsBySection(const SheetRequest &request, const DrawnSheet &sheet);
// The points of the whole sheet (0: none given), by the questions drawn.
int fullScore(const SheetRequest &request, const DrawnSheet &sheet);
// 题号 一 二 … 总分 / 得分 / 评卷人.
QList<QStringList> scoreTable(const SheetRequest &request);
// The mode that prints an item: its section's, or the sheet's.
codes::QuestionMode modeOf(const SheetRequest &request, const SheetItem &item);

} // namespace sheetsections
