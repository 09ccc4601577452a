// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/GenerateOptions.h"

#include "bank/CodeTables.h"
#include "editor/EntryValues.h"
#include "editor/PlanFile.h"
#include "generation/PageLayout.h"
#include "generation/PlanText.h"
#include "generation/PrintChoices.h"
#include "generation/SectionText.h"

#include <QCommandLineParser>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

using Parsed = Result<GenerateOptions>;

QCommandLineOption option(const QString &name, const QString &description, const QString &value = {}) {
    return value.isEmpty() ? QCommandLineOption(name, description)
                           : QCommandLineOption(name, description, value);
}

const QList<QCommandLineOption> &allOptions() {
    static const QList<QCommandLineOption> options = {
        option(u"bank-dir"_s,
               u"题库文件夹（tk.txt 与 zbtk.txt 所在处），默认为用户的题库文件夹（tessaly --help 列出）"_s,
               u"DIR"_s),
        option(u"grade"_s, u"范围：0 到 6（0 = 小学阶段综合），或年级名称，默认 0"_s, u"N"_s),
        option(
            u"mode"_s,
            u"题型：奥数、估算、列式计算、解方程（或 olympiad、estimation、calculation、equation），默认 列式计算"_s,
            u"M"_s),
        option(
            u"topics"_s,
            u"专题：逗号分隔的格子编号 1 到 40 或本题型的专题名称，以及 unclassified/未归类题；默认为主窗口在该范围和题型下勾选的专题与未归类题"_s,
            u"LIST"_s),
        option(u"count"_s, u"题量：1 到 100000，默认 24"_s, u"N"_s),
        option(u"repeats"_s, u"题目随机重复"_s),
        option(u"difficulty"_s,
               u"只出这个难度的题：0 到 5（0 = 基础题，或 ★ 到 ★★★★★），或范围如 1-3；默认不限难度"_s,
               u"D"_s),
        option(u"font"_s, u"字体：宋体、楷体、黑体，默认 宋体"_s, u"NAME"_s),
        option(u"size"_s, u"字号：1 到 1638，默认 11"_s, u"N"_s),
        option(u"blank-lines"_s, u"每题后的空行：0 到 8，默认 2"_s, u"N"_s),
        option(u"columns"_s, u"题目分几栏排：1 到 10，默认 2"_s, u"N"_s),
        option(u"line-spacing"_s, u"题目的行距（磅，至少这么多）：20 到 1584，默认 30"_s, u"PT"_s),
        option(u"paper"_s, u"纸张：A4、A3、B4、B5、16K、8K，默认 A4"_s, u"NAME"_s),
        option(u"landscape"_s, u"横向（A3 或 8K 横向分两栏即为两版并排）"_s),
        option(u"no-stars"_s, u"不印难度星级"_s),
        option(u"answers"_s, u"输出答案版"_s),
        option(u"seed"_s, u"随机种子：相同的种子、题库和选项得到相同的试卷"_s, u"N"_s),
        option(u"output"_s,
               u"要写入的文件：.docx；用 LibreOffice 时也可以是 .pdf 或 .odt（docx 目标时必需）"_s,
               u"FILE"_s),
        option(u"answer-key"_s, u"同时把同一组题目的答案版写入此文件"_s, u"FILE"_s),
        option(
            u"target"_s,
            u"docx（写文件，--output 为 .docx 时的默认）或 libreoffice（在 LibreOffice 中打开新文档；--output 为 .pdf、.odt 时的默认）"_s,
            u"T"_s),
        option(u"fresh-days"_s, u"避开最近 N 天出过的题（不够时用用过最久的题补足）：1 到 3650"_s, u"N"_s),
        option(u"copies"_s, u"一次出 N 份互不重复的试卷（各有卷号，文件名加 -1、-2……）：1 到 100"_s, u"N"_s),
        option(u"one-file"_s, u"与 --copies 一起用：各份试卷写进同一个文件，每份另起一页"_s),
        option(u"class"_s,
               u"为这个班的每个学生各出一份（姓名印在信息栏，各有卷号；名单用 tessaly class import 导入）"_s,
               u"CLASS"_s),
        option(
            u"review"_s,
            u"错题重练：这个学生（姓名或学号）或这个班每个学生到期的错题（错后 1、2、4、8、16 天再练）各配一道同类题，作为第一道大题，后面是本次选的题"_s,
            u"WHO"_s),
        option(u"duplex"_s,
               u"与 --one-file 一起用：每份试卷从奇数页起（双面打印时，一份试卷不会印在另一份的背面）"_s),
        option(u"section"_s,
               u"一道大题（可给多次，按给出的顺序为 "
               u"一、二、三……）：\"topics=1,2;count=8;points=5;title=求和与求差\"，"
               u"另可有 mode=题型、total=本大题总分；未给的取 --mode、该范围的专题与 10 道"_s,
               u"SECTION"_s),
        option(u"plan"_s,
               u"双向细目表：\"求和:3@1,求和:2@2,求差:3@1-2,倍数:2@3\"（专题:题量@难度，可加 :分值），或 CSV "
               u"文件"
               u"（列：专题、难度、题量、分值）；每份试卷都照此出题，不够的格子会说明"_s,
               u"PLAN"_s),
        option(u"number-per-section"_s, u"与 --section 一起用：每道大题的小题从 1 起编号"_s),
        option(u"points"_s, u"不分大题时每题的分数（标题后印满分，答案版每题后印分数）：1 到 1000"_s, u"N"_s),
        option(u"compact-key"_s, u"答案版只印一页参考答案（题号、答案、分数），不印题目"_s),
        option(u"title-line"_s, u"标题上方的一行（学校、班级、单元），默认取 tessaly.ini 的 page/titleLine"_s,
               u"TEXT"_s),
        option(u"info-line"_s,
               u"标题下的信息栏：original（姓名、座号、情况）或 school（姓名、班级、学号、得分）"_s,
               u"KIND"_s),
        option(u"page-numbers"_s, u"每页页脚印“第 x 页（共 y 页）”"_s),
        option(u"seal-line"_s, u"左边的密封线：none、first（首页）、odd（奇数页）或 every（每页）"_s,
               u"PAGES"_s),
        option(u"score-table"_s, u"标题下印得分栏（题号、得分、评卷人）"_s),
        option(u"pinyin"_s, u"题目的汉字上注拼音：none（默认）、all（全部）或 hard（只注该年级还没学的字）"_s,
               u"KIND"_s),
        option(u"no-qr"_s, u"不在右上角印卷号的二维码（默认有卷号的试卷都印，tessaly mark --scan 读它）"_s),
        option(u"working-space"_s,
               u"每题后的答题处：blank（空行）、ruled（横线）或 answer（空行后“答：____”）"_s, u"KIND"_s),
        option(u"history"_s, u"出卷记录文件（默认在用户数据文件夹；tessaly.ini 的 history/file）"_s,
               u"FILE"_s),
        option(u"verbose"_s, u"出错时也列出 LibreOffice 自己的错误信息"_s),
        option(u"headless"_s,
               u"不显示 LibreOffice 窗口（服务器与测试用）；本命令自己启动的 LibreOffice 用完即关闭"_s),
    };
    return options;
}

// Slot 1..40 for a number, or what the editor and `tessaly add` take for a name (a topic of the mode's
// list, unclassified or 未归类题 for the unclassified box, 0).
std::optional<int> slotFrom(const QString &item, codes::QuestionMode mode) {
    bool ok = false;
    const int number = item.toInt(&ok);
    if (ok)
        return number >= 1 && number <= codes::TopicSlotCount ? std::optional<int>(number) : std::nullopt;
    if (item.trimmed().isEmpty())
        return std::nullopt;
    return entryvalues::topicSlot(item, codes::usesOlympiadList(mode));
}

// An option that takes a whole number from low to high: nothing when it is not given, a failure that
// names the option and its range when its value is not such a number. unit names the number ("整数").
Result<std::optional<int>> integerOption(const QCommandLineParser &parser, const QString &name, int low,
                                         int high, const QString &unit = u"整数"_s) {
    using Read = Result<std::optional<int>>;
    if (!parser.isSet(name))
        return Read::success(std::nullopt);
    const QString text = parser.value(name);
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        return Read::failure(u"--%1：“%2”无效，应为 %3 到 %4 的%5"_s.arg(name, text, QString::number(low),
                                                                         QString::number(high), unit));
    return Read::success(value);
}

} // namespace

QString GenerateOptions::helpText() {
    QString text =
        u"用法：tessaly generate --output FILE [选项]\n"
        u"从题库抽题，把试卷（以及可选的答案版）写成 .docx 文件，或在 LibreOffice 中排好。\n\n选项：\n"_s;
    return text + optionHelpLines(allOptions());
}

QString optionHelpLines(const QList<QCommandLineOption> &options) {
    QString text;
    for (const QCommandLineOption &o : options) {
        QString name = u"  --"_s + o.names().first();
        if (!o.valueName().isEmpty())
            name += u' ' + o.valueName();
        text += name.leftJustified(22) + u' ' + o.description() + u'\n';
    }
    return text;
}

QString parserErrorText(const QCommandLineParser &parser, const QList<QCommandLineOption> &options) {
    QStringList names;
    for (const QCommandLineOption &o : options)
        names.append(u"--"_s + o.names().first());
    const QString accepted = u"可用的选项：%1（tessaly --help 有详细说明）"_s.arg(names.join(u' '));
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty())
        return u"未知的选项“%1”；%2"_s.arg(unknown.first(), accepted);
    // The parser's only other complaint is an option given without its value.
    for (const QCommandLineOption &o : options)
        if (!o.valueName().isEmpty() && parser.errorText().contains(u"'--"_s + o.names().first() + u"'"_s))
            return u"选项 --%1 缺少取值（%2）"_s.arg(o.names().first(), o.valueName());
    return u"选项有误；%1"_s.arg(accepted);
}

Result<GenerateOptions> GenerateOptions::parse(const QStringList &arguments, const UserFiles &files) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(allOptions());
    // QCommandLineParser expects the program name first.
    if (!parser.parse(QStringList{u"tessaly"_s} + arguments))
        return Parsed::failure(parserErrorText(parser, allOptions()));
    if (!parser.positionalArguments().isEmpty())
        return Parsed::failure(u"多余的参数：%1"_s.arg(parser.positionalArguments().join(u' ')));

    GenerateOptions o;
    o.files = files;
    o.bankDir = parser.isSet(u"bank-dir"_s) ? parser.value(u"bank-dir"_s) : files.bankDir;

    if (parser.isSet(u"grade"_s)) {
        const std::optional<int> grade = entryvalues::grade(parser.value(u"grade"_s));
        if (!grade)
            return Parsed::failure(u"--grade：“%1”无效，应为 0 到 6 或 %2"_s.arg(
                parser.value(u"grade"_s), codes::gradeNames().join(u'、')));
        o.settings.grade = *grade;
    }
    if (parser.isSet(u"mode"_s)) {
        const std::optional<codes::QuestionMode> mode = codes::modeFromName(parser.value(u"mode"_s));
        if (!mode)
            return Parsed::failure(
                u"--mode：“%1”无效，应为 奥数、估算、列式计算、解方程（或 olympiad、estimation、"
                u"calculation、equation）"_s.arg(parser.value(u"mode"_s)));
        o.settings.mode = *mode;
    }

    o.settings.topics = SheetRequest::defaultTopics(o.settings.grade, o.settings.mode);
    if (parser.isSet(u"topics"_s)) {
        o.settings.topics.fill(false);
        const QStringList items = parser.value(u"topics"_s).split(u',', Qt::SkipEmptyParts);
        if (items.isEmpty())
            return Parsed::failure(u"--topics：至少要给出一个专题"_s);
        for (const QString &raw : items) {
            const QString item = raw.trimmed();
            const std::optional<int> slot = slotFrom(item, o.settings.mode);
            if (!slot)
                return Parsed::failure(
                    u"--topics：未知专题“%1”，应为 1 到 40、%2题型的专题名称或 unclassified/未归类题"_s.arg(
                        item, codes::modeName(o.settings.mode)));
            o.settings.topics[static_cast<size_t>(*slot)] = true;
        }
    }

    const Result<std::optional<int>> count = integerOption(parser, u"count"_s, 1, 100000);
    if (!count)
        return Parsed::failure(count.error());
    if (count.value())
        o.settings.quantity = *count.value();
    o.settings.repeats = parser.isSet(u"repeats"_s);
    if (parser.isSet(u"difficulty"_s)) {
        // Read as a plan's cell reads its difficulty.
        const QString text = parser.value(u"difficulty"_s);
        const Result<std::pair<int, int>> range = plantext::difficultyRange(text);
        if (!range)
            return Parsed::failure(
                u"--difficulty：“%1”无效，应为 0 到 5（0 = 基础题，或 ★ 到 ★★★★★），或由低到高的范围如 1-3"_s
                    .arg(text));
        o.settings.difficultyFrom = range.value().first;
        o.settings.difficultyTo = range.value().second;
    }

    if (parser.isSet(u"font"_s)) {
        const QString font = parser.value(u"font"_s);
        if (font != u"宋体"_s && font != u"楷体"_s && font != u"黑体"_s)
            return Parsed::failure(u"--font：“%1”无效，应为 宋体、楷体 或 黑体"_s.arg(font));
        o.settings.layout.fontName = font;
    }
    if (parser.isSet(u"size"_s)) {
        bool ok = false;
        const double size = parser.value(u"size"_s).toDouble(&ok);
        if (!ok || !(size >= 1 && size <= 1638)) // written so that nan fails too
            return Parsed::failure(u"--size：“%1”无效，应为 1 到 1638 的数字"_s.arg(parser.value(u"size"_s)));
        o.settings.layout.fontSize = size;
    }
    const Result<std::optional<int>> blanks = integerOption(parser, u"blank-lines"_s, 0, 8);
    if (!blanks)
        return Parsed::failure(blanks.error());
    if (blanks.value())
        o.settings.layout.blankLines = *blanks.value();
    const Result<std::optional<int>> columns = integerOption(parser, u"columns"_s, 1, 10);
    if (!columns)
        return Parsed::failure(columns.error());
    if (columns.value())
        o.settings.layout.columns = *columns.value();
    if (parser.isSet(u"line-spacing"_s)) {
        bool ok = false;
        const double spacing = parser.value(u"line-spacing"_s).toDouble(&ok);
        if (!ok || !(spacing >= 20 && spacing <= 1584))
            return Parsed::failure(
                u"--line-spacing：“%1”无效，应为 20 到 1584 的磅数"_s.arg(parser.value(u"line-spacing"_s)));
        o.settings.layout.lineSpacing = spacing;
    }
    if (parser.isSet(u"paper"_s)) {
        const std::optional<PageLayout::Paper> paper = PageLayout::paperFromName(parser.value(u"paper"_s));
        if (!paper)
            return Parsed::failure(u"--paper：“%1”无效，应为 %2"_s.arg(parser.value(u"paper"_s),
                                                                       PageLayout::paperNames().join(u'、')));
        o.settings.layout.paper = *paper;
    }
    o.settings.layout.landscape = parser.isSet(u"landscape"_s);

    // How the sheet prints around its questions: tessaly.ini's choices, then the options.
    printchoices::load(files.settingsFile, o.settings.layout);
    if (parser.isSet(u"title-line"_s))
        o.settings.layout.titleLine = parser.value(u"title-line"_s).trimmed();
    if (parser.isSet(u"info-line"_s)) {
        const auto line = printchoices::infoLineFrom(parser.value(u"info-line"_s));
        if (!line)
            return Parsed::failure(
                u"--info-line：“%1”无效，应为 original 或 school"_s.arg(parser.value(u"info-line"_s)));
        o.settings.layout.infoLine = *line;
    }
    if (parser.isSet(u"page-numbers"_s))
        o.settings.layout.pageNumbers = true;
    if (parser.isSet(u"seal-line"_s)) {
        const auto seal = printchoices::sealLineFrom(parser.value(u"seal-line"_s));
        if (!seal)
            return Parsed::failure(
                u"--seal-line：“%1”无效，应为 none、first、odd 或 every"_s.arg(parser.value(u"seal-line"_s)));
        o.settings.layout.sealLine = *seal;
    }
    if (parser.isSet(u"score-table"_s))
        o.settings.layout.scoreTable = true;
    if (parser.isSet(u"no-qr"_s))
        o.settings.layout.qrCode = false;
    if (parser.isSet(u"pinyin"_s)) {
        const auto pinyin = printchoices::pinyinFrom(parser.value(u"pinyin"_s));
        if (!pinyin)
            return Parsed::failure(
                u"--pinyin：“%1”无效，应为 none、all 或 hard"_s.arg(parser.value(u"pinyin"_s)));
        o.settings.layout.pinyin = *pinyin;
    }
    if (parser.isSet(u"working-space"_s)) {
        const auto space = printchoices::workingSpaceFrom(parser.value(u"working-space"_s));
        if (!space)
            return Parsed::failure(u"--working-space：“%1”无效，应为 blank、ruled 或 answer"_s.arg(
                parser.value(u"working-space"_s)));
        o.settings.layout.workingSpace = *space;
    }
    const Result<std::optional<int>> points = integerOption(parser, u"points"_s, 1, 1000);
    if (!points)
        return Parsed::failure(points.error());
    if (points.value())
        o.settings.points = *points.value();
    o.settings.compactKey = parser.isSet(u"compact-key"_s);
    for (const QString &text : parser.values(u"section"_s)) {
        const Result<SheetSection> section =
            sectiontext::parse(text, o.settings.grade, o.settings.mode, entryvalues::topicSlot);
        if (!section)
            return Parsed::failure(section.error());
        o.settings.sections.append(section.value());
    }
    if (parser.isSet(u"plan"_s)) {
        const QString plan = parser.value(u"plan"_s);
        const Result<QList<PlanCell>> cells =
            plan.endsWith(u".csv"_s, Qt::CaseInsensitive)
                ? planfile::read(plan, o.settings.mode)
                : plantext::parse(plan, o.settings.mode, entryvalues::topicSlot);
        if (!cells)
            return Parsed::failure(u"--plan："_s + cells.error());
        if (!o.settings.sections.isEmpty() || parser.isSet(u"topics"_s) || parser.isSet(u"count"_s))
            return Parsed::failure(
                u"--plan：细目表自带专题与题量，不能再用 --section、--topics 或 --count"_s);
        o.settings.plan = cells.value();
    }
    o.settings.numberPerSection = parser.isSet(u"number-per-section"_s);
    if (o.settings.numberPerSection && o.settings.sections.isEmpty())
        return Parsed::failure(u"--number-per-section：须与 --section 一起用"_s);
    if (!o.settings.sections.isEmpty() &&
        (parser.isSet(u"topics"_s) || parser.isSet(u"count"_s) || points.value()))
        return Parsed::failure(
            u"--section：各大题自带专题、题量与分数，不能再用 --topics、--count 或 --points"_s);
    o.settings.stars = !parser.isSet(u"no-stars"_s);
    o.settings.answers = parser.isSet(u"answers"_s);

    if (parser.isSet(u"seed"_s)) {
        bool ok = false;
        const qulonglong seed = parser.value(u"seed"_s).toULongLong(&ok);
        if (!ok)
            return Parsed::failure(u"--seed：“%1”无效，应为非负整数"_s.arg(parser.value(u"seed"_s)));
        o.seed = seed;
    }

    o.output = parser.value(u"output"_s);
    o.answerKey = parser.value(u"answer-key"_s);
    o.headless = parser.isSet(u"headless"_s);
    // The office module reads it where it words a failure.
    if (parser.isSet(u"verbose"_s))
        qputenv("TESSALY_VERBOSE", "1");
    o.history = parser.value(u"history"_s);
    const Result<std::optional<int>> days = integerOption(parser, u"fresh-days"_s, 1, 3650, u"天数"_s);
    if (!days)
        return Parsed::failure(days.error());
    if (days.value())
        o.settings.freshDays = *days.value();
    const Result<std::optional<int>> copies = integerOption(parser, u"copies"_s, 1, 100);
    if (!copies)
        return Parsed::failure(copies.error());
    if (copies.value())
        o.settings.copies = *copies.value();
    const auto isDocx = [](const QString &path) { return path.endsWith(u".docx"_s, Qt::CaseInsensitive); };
    if (parser.isSet(u"target"_s)) {
        const std::optional<TargetSettings::Kind> kind =
            TargetSettings::kindFromName(parser.value(u"target"_s));
        if (!kind || *kind == TargetSettings::Kind::Automatic)
            return Parsed::failure(
                u"--target：“%1”无效，应为 docx 或 libreoffice"_s.arg(parser.value(u"target"_s)));
        o.target = *kind;
    } else {
        o.target = o.output.isEmpty() || isDocx(o.output) ? TargetSettings::Kind::Docx
                                                          : TargetSettings::Kind::LibreOffice;
    }

    if (o.target == TargetSettings::Kind::Docx) {
        if (o.output.isEmpty())
            return Parsed::failure(u"--output：必须给出要写入的 .docx 文件"_s);
        for (const auto &[name, path] :
             {std::pair{u"--output"_s, o.output}, std::pair{u"--answer-key"_s, o.answerKey}})
            if (!path.isEmpty() && !isDocx(path))
                return Parsed::failure(
                    u"%1：“%2”无效，不用 LibreOffice 时文件名应以 .docx 结尾"_s.arg(name, path));
        if (o.headless)
            return Parsed::failure(u"--headless：只能与 --target libreoffice 一起用"_s);
    } else {
        static const QStringList exportable{u"pdf"_s, u"odt"_s, u"docx"_s};
        for (const auto &[name, path] :
             {std::pair{u"--output"_s, o.output}, std::pair{u"--answer-key"_s, o.answerKey}})
            if (!path.isEmpty() && !exportable.contains(QFileInfo(path).suffix().toLower()))
                return Parsed::failure(
                    u"%1：“%2”无效，文件名应以 .pdf、.odt 或 .docx 结尾"_s.arg(name, path));
        if (o.output.isEmpty() && !o.answerKey.isEmpty())
            return Parsed::failure(u"--answer-key：须与 --output 一起用"_s);
        if (o.output.isEmpty() && o.headless)
            return Parsed::failure(u"--headless：不显示窗口时须用 --output 给出要导出的文件"_s);
    }
    o.className = parser.value(u"class"_s).trimmed();
    o.review = parser.value(u"review"_s).trimmed();
    if (parser.isSet(u"class"_s) && o.className.isEmpty())
        return Parsed::failure(u"--class：要给出班级，例如 三年级一班"_s);
    if (parser.isSet(u"review"_s) && o.review.isEmpty())
        return Parsed::failure(u"--review：要给出学生的姓名、学号或班级"_s);
    if (!o.className.isEmpty() && !o.review.isEmpty())
        return Parsed::failure(u"--class 与 --review 只能用一个（--review 也可以给班级）"_s);
    if ((!o.className.isEmpty() || !o.review.isEmpty()) && copies.value())
        return Parsed::failure(u"--copies：为学生出卷时每人一份，不能再给份数"_s);
    o.settings.oneFile = parser.isSet(u"one-file"_s);
    if (o.settings.oneFile && o.target != TargetSettings::Kind::Docx)
        return Parsed::failure(u"--one-file：只能用于写 .docx 文件（docx 目标）"_s);
    o.settings.duplex = parser.isSet(u"duplex"_s);
    if (o.settings.duplex && !o.settings.oneFile)
        return Parsed::failure(u"--duplex：须与 --one-file 一起用"_s);
    if (!o.answerKey.isEmpty() &&
        QFileInfo(o.answerKey).absoluteFilePath() == QFileInfo(o.output).absoluteFilePath())
        return Parsed::failure(u"--answer-key：不能与 --output 是同一个文件"_s);
    return Parsed::success(std::move(o));
}
