// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/SheetRecord.h"

#include "bank/CodeTables.h"

#include <QMap>

using namespace Qt::Literals::StringLiterals;

namespace sheetrecord {

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
    sheet.quantity = request.quantity;
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
    return r;
}

DrawnSheet sheetOf(const RecordedSheet &sheet) {
    DrawnSheet drawn;
    drawn.code = sheet.code;
    for (qsizetype i = 0; i < sheet.questions.size(); ++i)
        drawn.items.append(SheetItem{sheet.questions[i], sheet.topicCodes.value(i).toInt(),
                                     sheet.answers.value(i), sheet.difficulties.value(i)});
    return drawn;
}

} // namespace sheetrecord
