// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/SheetSections.h"

#include "bank/CodeTables.h"

using namespace Qt::Literals::StringLiterals;

namespace sheetsections {

QString chineseNumeral(int n) {
    static const QString digits = u"〇一二三四五六七八九"_s;
    if (n < 1 || n > 99)
        return QString::number(n);
    if (n < 10)
        return digits.at(n);
    const int tens = n / 10, ones = n % 10;
    return (tens > 1 ? QString(digits.at(tens)) : QString()) + u'十' +
           (ones ? QString(digits.at(ones)) : QString());
}

QString titleOf(const SheetSection &section) {
    if (!section.title.trimmed().isEmpty())
        return section.title.trimmed();
    const QStringList &names =
        codes::usesOlympiadList(section.mode) ? codes::olympiadTopicNames() : codes::textbookTopicNames();
    QStringList ticked;
    for (int slot = 1; slot <= codes::TopicSlotCount; ++slot)
        if (section.topics[static_cast<size_t>(slot)])
            ticked.append(names.value(slot - 1));
    if (ticked.isEmpty() || ticked.size() > 3)
        return codes::modeName(section.mode);
    if (ticked.size() == 1)
        return ticked.first();
    return ticked.mid(0, ticked.size() - 1).join(u'、') + u'与' + ticked.last();
}

QString pointsText(const SheetSection &section, qsizetype questions) {
    const int total = section.sectionPoints(questions);
    if (section.total <= 0 && section.points > 0)
        return u"（每题%1分，共%2分）"_s.arg(section.points).arg(total);
    if (total > 0)
        return u"（共%1分）"_s.arg(total);
    return {};
}

QString heading(const SheetSection &section, int index, qsizetype questions) {
    return chineseNumeral(index + 1) + u'、' + titleOf(section) + pointsText(section, questions);
}

int pointsOf(const SheetRequest &request, const SheetItem &item) {
    if (!request.plan.isEmpty())
        return item.cell >= 0 && item.cell < request.plan.size() ? std::max(0, request.plan[item.cell].points)
                                                                 : 0;
    if (request.sections.isEmpty())
        return std::max(0, request.points);
    if (item.section < 0 || item.section >= request.sections.size())
        return 0;
    const SheetSection &section = request.sections[item.section];
    return section.total > 0 ? 0 : std::max(0, section.points);
}

QList<qsizetype> countsBySection(const SheetRequest &request, const DrawnSheet &sheet) {
    QList<qsizetype> counts(request.sections.size(), 0);
    for (const SheetItem &item : sheet.items)
        if (item.section >= 0 && item.section < counts.size())
            ++counts[item.section];
    return counts;
}

int fullScore(const SheetRequest &request, const DrawnSheet &sheet) {
    if (!request.plan.isEmpty()) {
        int total = 0;
        for (const SheetItem &item : sheet.items)
            total += pointsOf(request, item);
        return total;
    }
    if (request.sections.isEmpty())
        return std::max(0, request.points) * static_cast<int>(sheet.items.size());
    const QList<qsizetype> counts = countsBySection(request, sheet);
    int total = 0;
    for (qsizetype s = 0; s < request.sections.size(); ++s)
        total += request.sections[s].sectionPoints(counts[s]);
    return total;
}

QList<QStringList> scoreTable(const SheetRequest &request) {
    QStringList numbers{u"题号"_s}, scores{u"得分"_s}, markers{u"评卷人"_s};
    const qsizetype parts = std::max<qsizetype>(1, request.sections.size());
    for (qsizetype s = 0; s < parts && !request.sections.isEmpty(); ++s) {
        numbers.append(chineseNumeral(static_cast<int>(s) + 1));
        scores.append(QString());
        markers.append(QString());
    }
    numbers.append(u"总分"_s);
    scores.append(QString());
    markers.append(QString());
    return {numbers, scores, markers};
}

codes::QuestionMode modeOf(const SheetRequest &request, const SheetItem &item) {
    if (item.section >= 0 && item.section < request.sections.size())
        return request.sections[item.section].mode;
    return request.mode;
}

} // namespace sheetsections
