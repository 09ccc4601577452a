// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CheckCommand.h"

#include "app/GenerateOptions.h"
#include "bank/ArithmeticCheck.h"
#include "bank/BankLoader.h"
#include "bank/BankRecord.h"
#include "bank/BankText.h"
#include "bank/CodeTables.h"
#include "bank/DuplicateCheck.h"
#include "bank/EncodingCheck.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <map>

using namespace Qt::Literals::StringLiterals;

namespace {

QList<QCommandLineOption> options() {
    return {QCommandLineOption(
                u"bank-dir"_s,
                u"tk.txt 与 zbtk.txt 所在的文件夹，默认为用户的题库文件夹（tessaly --help 列出）"_s,
                u"DIR"_s),
            QCommandLineOption(u"format"_s, u"报告格式：text（默认）或 json"_s, u"F"_s)};
}

struct Finding {
    QString file;
    int line;
    QString kind; // 记录, 重复, 编码, 计算
    QString message;
    QString text;
};

struct Place {
    QString file;
    int line;
};

// difficulty counts of one grade and topic code
using Counts = std::map<std::pair<int, int>, std::array<int, 6>>;

void checkFile(const QString &path, QList<Finding> &findings, QHash<QString, Place> &exact,
               QHash<QString, Place> &similar, Counts &counts) {
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        findings.append({name, 0, u"文件"_s, u"无法读取：%1"_s.arg(file.errorString()), QString()});
        return;
    }
    const QByteArray bytes = file.readAll();
    std::optional<QString> decoded = banktext::decode(bytes);
    if (!decoded) {
        // Undecodable as a whole: each line as best it reads, so its records are still checked (the
        // encoding findings below say which lines are wrong).
        QString text;
        for (const QByteArray &line : bytes.split('\n')) {
            const QByteArray plain = line.endsWith('\r') ? line.chopped(1) : line;
            text +=
                (banktext::validUtf8(plain) ? QString::fromUtf8(plain) : QStringDecoder("GB18030")(plain)) +
                u'\n';
        }
        decoded = text;
    }
    QStringList lines;
    banktext::forEachLine(*decoded, [&](QStringView line) { lines.append(line.toString()); });
    const auto lineText = [&lines](int line) {
        return line >= 1 && line <= lines.size() ? lines[line - 1] : QString();
    };

    for (const encodingcheck::LineFinding &f : encodingcheck::findings(bytes))
        findings.append({name, f.line, u"编码"_s, f.message, lineText(f.line)});
    // One parse a line: the record findings (listed first, as the report has always put them), the
    // duplicates, the arithmetic and the table.
    QList<Finding> later;
    for (int number = 1; number <= lines.size(); ++number) {
        const QString &line = lines[number - 1];
        if (banktext::isBlankLine(line))
            continue;
        const BankRecord r = bankrecord::parse(line);
        for (const QString &message : bankrecord::problems(r))
            findings.append({name, number, u"记录"_s, message, line});
        if (r.fieldCount < 5)
            continue;
        const QString question = r.record.questionText.toString();
        if (!question.trimmed().isEmpty()) {
            if (const auto same = exact.constFind(question); same != exact.cend())
                later.append({name, number, u"重复"_s,
                              u"与 %1 第%2行的题目完全相同"_s.arg(same->file).arg(same->line), line});
            else if (const auto like = similar.constFind(duplicatecheck::comparable(question));
                     like != similar.cend())
                later.append(
                    {name, number, u"重复"_s,
                     u"与 %1 第%2行的题目相同（去掉空白、统一全角半角后）"_s.arg(like->file).arg(like->line),
                     line});
            exact.insert(question, {name, number});
            similar.insert(duplicatecheck::comparable(question), {name, number});
        }
        for (const arithmeticcheck::Mistake &m : arithmeticcheck::mistakes(r.record.answerText))
            later.append(
                {name, number, u"计算"_s, u"计算步骤“%1”不对：左边等于 %2"_s.arg(m.step, m.expected), line});
        const int code = r.topicCode;
        const int difficulty = r.difficulty();
        if (r.grade >= 0 && difficulty >= 0 && ((code >= 0 && code <= 80) || code == 99))
            ++counts[{r.grade, code}][static_cast<size_t>(difficulty)];
    }
    findings += later;
}

QString topicName(int code) {
    if (code == codes::UnclassifiedTextbookCode || code == codes::UnclassifiedOlympiadCode)
        return codes::unclassifiedName();
    if (code <= codes::TopicSlotCount)
        return codes::textbookTopicNames().at(code - 1);
    return codes::olympiadTopicNames().at(code - codes::OlympiadCodeOffset - 1);
}

QString listName(int code) {
    return code == codes::UnclassifiedOlympiadCode || code > codes::TopicSlotCount ? u"奥数"_s : u"教材"_s;
}

} // namespace

QString checkHelpText() {
    return u"用法：tessaly check [选项]\n检查题库：不合格式的行、重复的题目、编码问题、计算步骤的算术，"
           u"并列出各年级各专题各难度的题量。\n\n选项：\n"_s +
           optionHelpLines(options());
}

int runCheckCommand(const QStringList &arguments, const UserFiles &files, QTextStream &out,
                    QTextStream &err) {
    QCommandLineParser parser;
    parser.addOptions(options());
    if (!parser.parse(QStringList{u"tessaly"_s} + arguments)) {
        err << u"tessaly check："_s << parserErrorText(parser, options()) << Qt::endl;
        return 2;
    }
    const QString format = parser.isSet(u"format"_s) ? parser.value(u"format"_s) : u"text"_s;
    if (format != u"text"_s && format != u"json"_s) {
        err << u"tessaly check：--format：“%1”无效，应为 text 或 json"_s.arg(format) << Qt::endl;
        return 2;
    }
    const QString dir = parser.isSet(u"bank-dir"_s) ? parser.value(u"bank-dir"_s) : files.bankDir;
    QStringList bankFiles;
    for (const QString &path : {BankLoader::downloadedBankPath(dir), BankLoader::userBankPath(dir)})
        if (QFileInfo(path).isFile())
            bankFiles.append(path);
    if (bankFiles.isEmpty()) {
        err << u"题库不存在：%1 中既没有 tk.txt 也没有 zbtk.txt"_s.arg(QDir::toNativeSeparators(dir))
            << Qt::endl;
        return 1;
    }

    QList<Finding> findings;
    QHash<QString, Place> exact, similar;
    Counts counts;
    for (const QString &path : bankFiles)
        checkFile(path, findings, exact, similar, counts);

    if (format == u"json"_s) {
        QJsonArray found, table;
        for (const Finding &f : findings)
            found.append(QJsonObject{{u"file"_s, f.file},
                                     {u"line"_s, f.line},
                                     {u"kind"_s, f.kind},
                                     {u"message"_s, f.message},
                                     {u"text"_s, f.text}});
        for (const auto &[key, byDifficulty] : counts) {
            QJsonArray d;
            int total = 0;
            for (int n : byDifficulty) {
                d.append(n);
                total += n;
            }
            table.append(QJsonObject{{u"grade"_s, key.first},
                                     {u"code"_s, key.second},
                                     {u"list"_s, listName(key.second)},
                                     {u"topic"_s, topicName(key.second)},
                                     {u"difficulty"_s, d},
                                     {u"total"_s, total}});
        }
        QJsonArray checked;
        for (const QString &path : bankFiles)
            checked.append(QFileInfo(path).fileName());
        out << QString::fromUtf8(
            QJsonDocument(QJsonObject{{u"files"_s, checked}, {u"findings"_s, found}, {u"counts"_s, table}})
                .toJson(QJsonDocument::Indented));
        return findings.isEmpty() ? 0 : 1;
    }

    for (const Finding &f : findings) {
        out << f.file << u" 第"_s << f.line << u"行 ["_s << f.kind << u"] "_s << f.message << Qt::endl;
        if (!f.text.isEmpty())
            out << u"    "_s << f.text << Qt::endl;
    }
    out << Qt::endl << u"题量（年级 × 专题 × 难度：基础 ★ ★★ ★★★ ★★★★ ★★★★★ 合计）："_s << Qt::endl;
    for (const auto &[key, byDifficulty] : counts) {
        QStringList cells;
        int total = 0;
        for (int n : byDifficulty) {
            cells.append(QString::number(n));
            total += n;
        }
        out << u"  "_s << codes::gradeNames().at(key.first) << u" "_s << listName(key.second) << u" "_s
            << topicName(key.second) << u"("_s << key.second << u")："_s << cells.join(u' ') << u"  共"_s
            << total << Qt::endl;
    }
    out << Qt::endl
        << (findings.isEmpty() ? u"没有发现问题。"_s : u"共发现 %1 处问题。"_s.arg(findings.size()))
        << Qt::endl;
    return findings.isEmpty() ? 0 : 1;
}
