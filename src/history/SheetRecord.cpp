// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/SheetRecord.h"

#include "bank/CodeTables.h"
#include "generation/PlanText.h"
#include "generation/PrintChoices.h"
#include "generation/SectionText.h"
#include "generation/SheetSections.h"

#include <QMap>

using namespace Qt::Literals::StringLiterals;

namespace sheetrecord {

namespace {

// The sections' texts, in order, from the settings lines.
QStringList sectionTexts(const QString &settings) {
    QStringList texts;
    for (const QString &line : settings.split(u'\n'))
        if (line.startsWith(u"section="_s))
            texts.append(line.sliced(8));
    return texts;
}

} // namespace

RecordedSheet fromSheet(const DrawnSheet &drawn, const SheetRequest &request, const QString &bankDir) {
    RecordedSheet sheet;
    sheet.code = drawn.code;
    sheet.created = QDateTime::currentDateTime();
    sheet.grade = request.grade;
    sheet.mode = codes::modeName(request.mode);
    QStringList topics;
    for (int slot = 0; slot <= codes::TopicSlotCount; ++slot)
        if (request.topics[static_cast<size_t>(slot)])
            topics.append(slot == 0 ? u"u"_s : QString::number(slot));
    // Never a null text: the column holds no NULL.
    sheet.topics = topics.isEmpty() ? u""_s : topics.join(u',');
    sheet.quantity = request.wantedQuantity();
    sheet.repeats = request.repeats;
    const SheetLayout &l = request.layout;
    sheet.settings = QStringList{u"stars="_s + (request.stars ? u"1"_s : u"0"_s),
                                 u"blankLines="_s + QString::number(l.blankLines),
                                 u"fontName="_s + l.fontName,
                                 u"fontSize="_s + QString::number(l.fontSize),
                                 u"columns="_s + QString::number(l.columns),
                                 u"lineSpacing="_s + QString::number(l.lineSpacing),
                                 u"paper="_s + PageLayout::paperName(l.paper),
                                 u"landscape="_s + (l.landscape ? u"1"_s : u"0"_s)}
                         .join(u'\n');
    // What a sheet of several parts and the print choices add, only where chosen: the records of plain
    // sheets read as they always did.
    QStringList extra;
    const auto chosen = printchoices::values(l), usual = printchoices::values(SheetLayout{});
    for (qsizetype i = 0; i < chosen.size(); ++i)
        if (chosen[i].second != usual[i].second)
            extra.append(chosen[i].first.section(u'/', 1) + u'=' + chosen[i].second.toString());
    if (!request.sections.isEmpty()) {
        for (const SheetSection &section : request.sections)
            extra.append(u"section="_s + sectiontext::write(section));
        QStringList counts;
        for (const qsizetype n : sheetsections::countsBySection(request, drawn))
            counts.append(QString::number(n));
        extra.append(u"sectionCounts="_s + counts.join(u','));
        extra.append(u"numberPerSection="_s + (request.numberPerSection ? u"1"_s : u"0"_s));
    }
    if (request.points > 0)
        extra.append(u"points="_s + QString::number(request.points));
    if (!request.plan.isEmpty()) {
        extra.append(u"plan="_s + plantext::write(request.plan));
        QStringList cells;
        for (const SheetItem &item : drawn.items)
            cells.append(QString::number(item.cell));
        extra.append(u"planCells="_s + cells.join(u','));
    }
    if (request.byDifficulty())
        extra.append(u"difficulty=%1-%2"_s.arg(request.difficultyFrom).arg(request.difficultyTo));
    // The pupil the sheet printed, so the sheet made again prints the same name (line breaks cannot
    // be in a class list's field, but are taken out all the same: they would end the line).
    if (!request.pupil.name.isEmpty()) {
        const auto field = [](QString text) { return text.replace(u'\n', u' '); };
        extra.append(u"pupilClass="_s + field(request.pupil.className));
        extra.append(u"pupilName="_s + field(request.pupil.name));
        extra.append(u"pupilNumber="_s + field(request.pupil.number));
    }
    sheet.pupilId = request.pupil.id;
    if (!extra.isEmpty())
        sheet.settings += u'\n' + extra.join(u'\n');
    sheet.bankStamp = bankStamp(bankDir);
    for (const SheetItem &item : drawn.items) {
        sheet.questions.append(item.question);
        sheet.topicCodes.append(QString::number(item.topicCode));
        sheet.answers.append(item.answer);
        sheet.difficulties.append(item.difficulty);
    }
    return sheet;
}

SheetRequest requestOf(const RecordedSheet &sheet) {
    QMap<QString, QString> values;
    for (const QString &line : sheet.settings.split(u'\n'))
        values.insert(line.section(u'=', 0, 0), line.section(u'=', 1));
    SheetRequest r;
    r.grade = sheet.grade;
    r.mode = codes::modeFromName(sheet.mode).value_or(codes::QuestionMode::Calculation);
    r.quantity = sheet.quantity;
    r.repeats = sheet.repeats;
    r.stars = values.value(u"stars"_s, u"1"_s) == u"1"_s;
    // Older records hold the fields' texts as typed: read the way the window reads them.
    SheetLayout &l = r.layout;
    if (values.contains(u"blankLines"_s))
        l.blankLines = SheetLayout::blankLinesFrom(values.value(u"blankLines"_s));
    l.fontName = values.value(u"fontName"_s, l.fontName);
    if (values.contains(u"fontSize"_s))
        l.fontSize = SheetLayout::fontSizeFrom(values.value(u"fontSize"_s));
    if (values.contains(u"columns"_s))
        l.columns = PageLayout::columnsFrom(values.value(u"columns"_s));
    if (values.contains(u"lineSpacing"_s))
        l.lineSpacing = PageLayout::lineSpacingFrom(values.value(u"lineSpacing"_s));
    l.paper = PageLayout::paperFromName(values.value(u"paper"_s)).value_or(PageLayout::Paper::A4);
    l.landscape = values.value(u"landscape"_s) == u"1"_s;
    l.titleLine = values.value(u"titleLine"_s);
    l.infoLine = printchoices::infoLineFrom(values.value(u"infoLine"_s)).value_or(l.infoLine);
    l.pageNumbers = values.value(u"pageNumbers"_s) == u"true"_s;
    l.sealLine = printchoices::sealLineFrom(values.value(u"sealLine"_s)).value_or(l.sealLine);
    l.scoreTable = values.value(u"scoreTable"_s) == u"true"_s;
    l.qrCode = values.value(u"qrCode"_s, u"true"_s) == u"true"_s;
    l.pinyin = printchoices::pinyinFrom(values.value(u"pinyin"_s)).value_or(l.pinyin);
    l.workingSpace = printchoices::workingSpaceFrom(values.value(u"workingSpace"_s)).value_or(l.workingSpace);
    r.points = values.value(u"points"_s).toInt();
    if (const QStringList range = values.value(u"difficulty"_s).split(u'-'); range.size() == 2) {
        r.difficultyFrom = range.first().toInt();
        r.difficultyTo = range.last().toInt();
    }
    r.numberPerSection = values.value(u"numberPerSection"_s) == u"1"_s;
    if (values.contains(u"plan"_s))
        if (const Result<QList<PlanCell>> plan = plantext::parse(values.value(u"plan"_s), r.mode); plan)
            r.plan = plan.value();
    for (const QString &text : sectionTexts(sheet.settings)) {
        const Result<SheetSection> section = sectiontext::parse(text, r.grade, r.mode);
        if (section)
            r.sections.append(section.value());
    }
    if (values.contains(u"pupilName"_s))
        r.pupil = SheetPupil{sheet.pupilId, values.value(u"pupilClass"_s), values.value(u"pupilName"_s),
                             values.value(u"pupilNumber"_s)};
    return r;
}

DrawnSheet sheetOf(const RecordedSheet &sheet) {
    DrawnSheet drawn;
    drawn.code = sheet.code;
    // The items are kept in order: the sections' counts say where each part begins.
    QList<int> counts;
    for (const QString &line : sheet.settings.split(u'\n'))
        if (line.startsWith(u"sectionCounts="_s))
            for (const QString &n : line.sliced(14).split(u',', Qt::SkipEmptyParts))
                counts.append(n.toInt());
    int section = 0, left = counts.value(0, -1);
    for (qsizetype i = 0; i < sheet.questions.size(); ++i) {
        while (left == 0 && section + 1 < counts.size())
            left = counts.value(++section);
        drawn.items.append(SheetItem{sheet.questions[i], sheet.topicCodes.value(i).toInt(),
                                     sheet.answers.value(i), sheet.difficulties.value(i),
                                     counts.isEmpty() ? 0 : section});
        if (left > 0)
            --left;
    }
    // Each item's cell of the plan, for its points.
    for (const QString &line : sheet.settings.split(u'\n'))
        if (line.startsWith(u"planCells="_s)) {
            const QStringList cells = line.sliced(10).split(u',');
            for (qsizetype i = 0; i < drawn.items.size() && i < cells.size(); ++i)
                drawn.items[i].cell = cells[i].toInt();
        }
    return drawn;
}

} // namespace sheetrecord
