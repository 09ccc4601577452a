// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/SheetRecord.h"

#include "bank/CodeTables.h"

#include <QMap>

using namespace Qt::Literals::StringLiterals;

namespace sheetrecord {

namespace {

QStringList splitList(const QString &list) {
    return list.isEmpty() ? QStringList() : list.split(u' ');
}

} // namespace

RecordedSheet fromSheet(const WorksheetArgs &args, const WorksheetSettings &settings,
                        const QString &bankDir) {
    RecordedSheet sheet;
    sheet.created = QDateTime::currentDateTime();
    sheet.grade = settings.grade;
    sheet.mode = codes::modeName(settings.mode);
    QStringList topics;
    for (int slot = 0; slot <= codes::TopicSlotCount; ++slot)
        if (settings.topicBoxes[static_cast<size_t>(slot)] == 1)
            topics.append(slot == 0 ? u"u"_s : QString::number(slot));
    sheet.topics = topics.join(u',');
    sheet.quantity = settings.quantity.toInt();
    sheet.repeats = settings.repeats;
    sheet.settings = QStringList{u"stars="_s + (settings.stars ? u"1"_s : u"0"_s),
                                 u"blankLines="_s + settings.blankLines,
                                 u"fontName="_s + settings.fontName,
                                 u"fontSize="_s + settings.fontSize,
                                 u"columns="_s + settings.columns,
                                 u"lineSpacing="_s + settings.lineSpacing,
                                 u"paper="_s + settings.paper,
                                 u"landscape="_s + (settings.landscape ? u"1"_s : u"0"_s)}
                         .join(u'\n');
    sheet.bankStamp = bankStamp(bankDir);
    sheet.questions = splitList(args.questionList);
    sheet.topicCodes = splitList(args.topicCodeList);
    sheet.answers = splitList(args.answerList);
    sheet.difficulties = splitList(args.difficultyList);
    return sheet;
}

WorksheetSettings settingsOf(const RecordedSheet &sheet) {
    QMap<QString, QString> values;
    for (const QString &line : sheet.settings.split(u'\n'))
        values.insert(line.section(u'=', 0, 0), line.section(u'=', 1));
    WorksheetSettings s;
    s.grade = sheet.grade;
    s.mode = codes::modeFromName(sheet.mode).value_or(codes::QuestionMode::Calculation);
    s.quantity = QString::number(sheet.quantity);
    s.repeats = sheet.repeats;
    s.stars = values.value(u"stars"_s, u"1"_s) == u"1"_s;
    s.blankLines = values.value(u"blankLines"_s, s.blankLines);
    s.fontName = values.value(u"fontName"_s, s.fontName);
    s.fontSize = values.value(u"fontSize"_s, s.fontSize);
    s.columns = values.value(u"columns"_s, s.columns);
    s.lineSpacing = values.value(u"lineSpacing"_s, s.lineSpacing);
    s.paper = values.value(u"paper"_s, s.paper);
    s.landscape = values.value(u"landscape"_s) == u"1"_s;
    return s;
}

WorksheetArgs argsOf(const RecordedSheet &sheet, bool answers) {
    const WorksheetSettings s = settingsOf(sheet);
    WorksheetArgs args;
    args.questionList = sheet.questions.join(u' ');
    args.topicCodeList = sheet.topicCodes.join(u' ');
    args.answerList = sheet.answers.join(u' ');
    args.difficultyList = sheet.difficulties.join(u' ');
    args.lineSpacing = s.lineSpacing;
    args.columns = s.columns;
    args.fontSize = s.fontSize;
    args.fontName = s.fontName;
    args.quantity = s.quantity;
    args.starFlag = s.stars ? u"1"_s : u"0"_s;
    args.answerFlag = answers ? u"1"_s : u"0"_s;
    args.sheetCode = sheet.code;
    return args;
}

} // namespace sheetrecord
