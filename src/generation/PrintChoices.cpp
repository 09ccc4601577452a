// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/PrintChoices.h"

#include <QSettings>

using namespace Qt::Literals::StringLiterals;

namespace printchoices {

namespace {

// A choice's names: the one the command line and tessaly.ini write, and the Chinese one it also takes.
template <typename Choice> struct Named {
    Choice value;
    const char16_t *name;
    const char16_t *chinese;
};

constexpr Named<SheetLayout::InfoLine> infoLines[] = {
    {SheetLayout::InfoLine::Original, u"original", u"姓名座号情况"},
    {SheetLayout::InfoLine::School, u"school", u"姓名班级学号得分"}};
constexpr Named<SheetLayout::SealLine> sealLines[] = {{SheetLayout::SealLine::None, u"none", u"无"},
                                                      {SheetLayout::SealLine::FirstPage, u"first", u"首页"},
                                                      {SheetLayout::SealLine::OddPages, u"odd", u"奇数页"},
                                                      {SheetLayout::SealLine::EveryPage, u"every", u"每页"}};
constexpr Named<SheetLayout::WorkingSpace> workingSpaces[] = {
    {SheetLayout::WorkingSpace::Blank, u"blank", u"空行"},
    {SheetLayout::WorkingSpace::Ruled, u"ruled", u"横线"},
    {SheetLayout::WorkingSpace::AnswerLine, u"answer", u"答句"}};
constexpr Named<SheetLayout::Pinyin> pinyins[] = {{SheetLayout::Pinyin::None, u"none", u"无"},
                                                  {SheetLayout::Pinyin::All, u"all", u"全部"},
                                                  {SheetLayout::Pinyin::Hard, u"hard", u"生字"}};

template <typename Choice, std::size_t N> QString nameOf(const Named<Choice> (&names)[N], Choice value) {
    for (const Named<Choice> &n : names)
        if (n.value == value)
            return QString::fromUtf16(n.name);
    return QString::fromUtf16(names[0].name);
}

template <typename Choice, std::size_t N>
std::optional<Choice> valueOf(const Named<Choice> (&names)[N], const QString &text) {
    const QString t = text.trimmed().toLower();
    for (const Named<Choice> &n : names)
        if (t == QStringView(n.name) || t == QStringView(n.chinese))
            return n.value;
    return std::nullopt;
}

} // namespace

QString infoLineName(SheetLayout::InfoLine line) {
    return nameOf(infoLines, line);
}
QString sealLineName(SheetLayout::SealLine line) {
    return nameOf(sealLines, line);
}
QString workingSpaceName(SheetLayout::WorkingSpace space) {
    return nameOf(workingSpaces, space);
}
std::optional<SheetLayout::InfoLine> infoLineFrom(const QString &name) {
    return valueOf(infoLines, name);
}
std::optional<SheetLayout::SealLine> sealLineFrom(const QString &name) {
    return valueOf(sealLines, name);
}
std::optional<SheetLayout::WorkingSpace> workingSpaceFrom(const QString &name) {
    return valueOf(workingSpaces, name);
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
    layout.qrCode = ini.value(u"page/qrCode"_s, layout.qrCode).toBool();
    layout.pinyin = pinyinFrom(ini.value(u"page/pinyin"_s).toString()).value_or(layout.pinyin);
    layout.workingSpace =
        workingSpaceFrom(ini.value(u"page/workingSpace"_s).toString()).value_or(layout.workingSpace);
}

QList<std::pair<QString, QVariant>> values(const SheetLayout &layout) {
    return {{u"page/titleLine"_s, layout.titleLine},
            {u"page/infoLine"_s, infoLineName(layout.infoLine)},
            {u"page/pageNumbers"_s, layout.pageNumbers},
            {u"page/sealLine"_s, sealLineName(layout.sealLine)},
            {u"page/scoreTable"_s, layout.scoreTable},
            {u"page/qrCode"_s, layout.qrCode},
            {u"page/pinyin"_s, pinyinName(layout.pinyin)},
            {u"page/workingSpace"_s, workingSpaceName(layout.workingSpace)}};
}

QString pinyinName(SheetLayout::Pinyin pinyin) {
    return nameOf(pinyins, pinyin);
}

QString pinyinChineseName(SheetLayout::Pinyin pinyin) {
    for (const Named<SheetLayout::Pinyin> &n : pinyins)
        if (n.value == pinyin)
            return QString::fromUtf16(n.chinese);
    return QString::fromUtf16(pinyins[0].chinese);
}

std::optional<SheetLayout::Pinyin> pinyinFrom(const QString &name) {
    return valueOf(pinyins, name);
}

} // namespace printchoices
