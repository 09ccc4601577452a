// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CheckCommand.h"

#include "app/BankScan.h"
#include "app/GenerateOptions.h"
#include "bank/BankLoader.h"
#include "bank/CodeTables.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

namespace {

QList<QCommandLineOption> options() {
    return {QCommandLineOption(
                u"bank-dir"_s,
                u"tk.txt 与 zbtk.txt 所在的文件夹，默认为用户的题库文件夹（tessaly --help 列出）"_s,
                u"DIR"_s),
            QCommandLineOption(u"format"_s, u"报告格式：text（默认）或 json"_s, u"F"_s)};
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

    const bankscan::Report scanned = bankscan::scan(bankFiles);
    const QList<bankscan::Finding> &findings = scanned.findings;
    const bankscan::Counts &counts = scanned.counts;

    if (format == u"json"_s) {
        QJsonArray found, table;
        for (const bankscan::Finding &f : findings)
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

    for (const bankscan::Finding &f : findings) {
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
