// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "generation/SheetModel.h"

#include <QList>
#include <QString>

// A plan (双向细目表) as a CSV file a spreadsheet program opens: a header row 专题, 难度, 题量, 分值 (the
// last optional; English names topic, difficulty, count, points too), then one cell a row: the topic by
// box number or name in the sheet's mode, a difficulty or a range (1-2, 基础题, ★★).
namespace planfile {

Result<QList<PlanCell>> read(const QString &path, codes::QuestionMode mode);
Result<QList<PlanCell>> parse(const QByteArray &bytes, codes::QuestionMode mode);
// Written under a temporary name and renamed: a failed write leaves the old file as it was.
Status write(const QString &path, const QList<PlanCell> &plan, codes::QuestionMode mode);

} // namespace planfile
