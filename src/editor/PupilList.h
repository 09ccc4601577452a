// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "generation/SheetModel.h"

#include <QByteArray>
#include <QList>
#include <QString>

// A class list as a spreadsheet saves it: the columns 姓名, 学号 and 班级 (or name, number, class) in
// any order, 学号 optional; without a 班级 column every pupil is of the class given.
namespace pupillist {

Result<QList<SheetPupil>> parse(const QByteArray &bytes, const QString &className);
Result<QList<SheetPupil>> read(const QString &path, const QString &className);

} // namespace pupillist
