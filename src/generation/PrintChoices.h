// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "generation/SheetModel.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <optional>
#include <utility>

// The choices of how a sheet prints around its questions (the teacher's title line, the information
// line, page numbers, the seal line, the score table, the working space), kept in tessaly.ini's [page]
// group for the window and the command line alike, with their names on the command line.
namespace printchoices {

// Sets the layout's print choices from the settings file (those it does not hold stay as they are).
void load(const QString &settingsFile, SheetLayout &layout);
// The settings file's keys and values for the layout's print choices.
QList<std::pair<QString, QVariant>> values(const SheetLayout &layout);

// Names as the command line and the settings file write them.
QString infoLineName(SheetLayout::InfoLine line);          // original, school
QString sealLineName(SheetLayout::SealLine line);          // none, first, odd, every
QString workingSpaceName(SheetLayout::WorkingSpace space); // blank, ruled, answer
QString pinyinName(SheetLayout::Pinyin pinyin);            // none, all, hard
// The Chinese names the window shows: 无, 全部, 生字.
QString pinyinChineseName(SheetLayout::Pinyin pinyin);
std::optional<SheetLayout::InfoLine> infoLineFrom(const QString &name);
std::optional<SheetLayout::SealLine> sealLineFrom(const QString &name);
std::optional<SheetLayout::WorkingSpace> workingSpaceFrom(const QString &name);
std::optional<SheetLayout::Pinyin> pinyinFrom(const QString &name);

} // namespace printchoices
