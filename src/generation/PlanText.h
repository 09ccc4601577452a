// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "generation/SectionText.h"
#include "generation/SheetModel.h"

#include <QList>
#include <QString>

// A plan (双向细目表) as `--plan` writes it: cells "专题:题量@难度" joined by commas, a difficulty or a
// range (1-2, 基础题, ★★), and each question's points after a second colon: "求和:3@1,求差:3@1-2:5".
namespace plantext {

Result<QList<PlanCell>> parse(const QString &text, codes::QuestionMode mode,
                              const sectiontext::TopicNames &names = {});
// The text that parses back to the cells (topics as box numbers).
QString write(const QList<PlanCell> &plan);
// A difficulty or a range as the user writes it: "2", "1-3", "基础题", "★★-★★★".
Result<std::pair<int, int>> difficultyRange(const QString &text);
// The notice of the cells that fell short (no final stop): of the user's plan, or of the first copy's
// make-up that a batch's copies follow.
QString shortCellsText(int copy, int copies, const QStringList &cells, bool balanced);
// "求和 ★★" or "求差 基础题至★", for the notices.
QString cellName(const PlanCell &cell, codes::QuestionMode mode);
// The make-up of a drawn sheet as a plan: per topic and difficulty, in the order first drawn.
QList<PlanCell> makeUpOf(const DrawnSheet &sheet, codes::QuestionMode mode);

} // namespace plantext
