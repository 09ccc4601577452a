// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/PrintChoices.h"

#include <QSettings>

using namespace Qt::Literals::StringLiterals;

namespace printchoices {

QString infoLineName(SheetLayout::InfoLine line) {
    return line == SheetLayout::InfoLine::School ? u"school"_s : u"original"_s;
}

QString sealLineName(SheetLayout::SealLine line) {
    switch (line) {
    case SheetLayout::SealLine::FirstPage:
        return u"first"_s;
    case SheetLayout::SealLine::OddPages:
        return u"odd"_s;
    case SheetLayout::SealLine::EveryPage:
        return u"every"_s;
    case SheetLayout::SealLine::None:
        break;
    }
    return u"none"_s;
}

QString workingSpaceName(SheetLayout::WorkingSpace space) {
    switch (space) {
    case SheetLayout::WorkingSpace::Ruled:
        return u"ruled"_s;
    case SheetLayout::WorkingSpace::AnswerLine:
        return u"answer"_s;
    case SheetLayout::WorkingSpace::Blank:
        break;
    }
    return u"blank"_s;
}

std::optional<SheetLayout::InfoLine> infoLineFrom(const QString &name) {
    const QString n = name.trimmed().toLower();
    if (n == u"original"_s || n == u"姓名座号情况"_s)
        return SheetLayout::InfoLine::Original;
    if (n == u"school"_s || n == u"姓名班级学号得分"_s)
        return SheetLayout::InfoLine::School;
    return std::nullopt;
}

std::optional<SheetLayout::SealLine> sealLineFrom(const QString &name) {
    const QString n = name.trimmed().toLower();
    if (n == u"none"_s || n == u"无"_s)
        return SheetLayout::SealLine::None;
    if (n == u"first"_s || n == u"首页"_s)
        return SheetLayout::SealLine::FirstPage;
    if (n == u"odd"_s || n == u"奇数页"_s)
        return SheetLayout::SealLine::OddPages;
    if (n == u"every"_s || n == u"每页"_s)
        return SheetLayout::SealLine::EveryPage;
    return std::nullopt;
}

std::optional<SheetLayout::WorkingSpace> workingSpaceFrom(const QString &name) {
    const QString n = name.trimmed().toLower();
    if (n == u"blank"_s || n == u"空行"_s)
        return SheetLayout::WorkingSpace::Blank;
    if (n == u"ruled"_s || n == u"横线"_s)
        return SheetLayout::WorkingSpace::Ruled;
    if (n == u"answer"_s || n == u"答句"_s)
        return SheetLayout::WorkingSpace::AnswerLine;
    return std::nullopt;
}

void load(const QString &settingsFile, SheetLayout &layout) {
    if (settingsFile.isEmpty())
        return;
    const QSettings ini(settingsFile, QSettings::IniFormat);
    layout.titleLine = ini.value(u"page/titleLine"_s, layout.titleLine).toString();
    layout.infoLine = infoLineFrom(ini.value(u"page/infoLine"_s).toString()).value_or(layout.infoLine);
    layout.pageNumbers = ini.value(u"page/pageNumbers"_s, layout.pageNumbers).toBool();
    layout.sealLine = sealLineFrom(ini.value(u"page/sealLine"_s).toString()).value_or(layout.sealLine);
    layout.scoreTable = ini.value(u"page/scoreTable"_s, layout.scoreTable).toBool();
    layout.workingSpace =
        workingSpaceFrom(ini.value(u"page/workingSpace"_s).toString()).value_or(layout.workingSpace);
}

QList<std::pair<QString, QVariant>> values(const SheetLayout &layout) {
    return {{u"page/titleLine"_s, layout.titleLine},
            {u"page/infoLine"_s, infoLineName(layout.infoLine)},
            {u"page/pageNumbers"_s, layout.pageNumbers},
            {u"page/sealLine"_s, sealLineName(layout.sealLine)},
            {u"page/scoreTable"_s, layout.scoreTable},
            {u"page/workingSpace"_s, workingSpaceName(layout.workingSpace)}};
}

} // namespace printchoices
