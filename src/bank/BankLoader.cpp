// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/BankLoader.h"

#include "bank/BankText.h"
#include "bank/NumberValue.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

QString BankLoader::downloadedBankPath(const QString &dir) {
    return dir + u"/tk.txt"_s;
}
QString BankLoader::userBankPath(const QString &dir) {
    return dir + u"/zbtk.txt"_s;
}

namespace {

bool isBankFile(const QString &path) {
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

} // namespace

QuestionRecord BankLoader::parseLine(QStringView line, QStringView *grade, bool *hasGrade) {
    QStringView fields[5];
    int count = 0;
    qsizetype start = 0;
    while (count < 5) {
        const qsizetype bar = line.indexOf(u'|', start);
        if (bar < 0) {
            fields[count++] = line.sliced(start);
            break;
        }
        fields[count++] = line.sliced(start, bar - start);
        start = bar + 1;
    }
    *hasGrade = count > 1;
    *grade = fields[1];

    QStringView answer = fields[4];
    // The editor ends its lines with "##"; that mark is not part of the answer.
    if (answer.endsWith(u"##"))
        answer.chop(2);
    return QuestionRecord{fields[0], fields[2], fields[3], answer};
}

bool BankLoader::addLines(LoadHost &host, QString text, QuestionBank &bank) {
    const QStringView kept = bank.keepText(std::move(text));
    bool stopped = false;
    banktext::forEachLine(kept, [&](QStringView line) {
        if (stopped)
            return;
        host.processEvents();
        if (host.stopRequested()) {
            stopped = true;
            return;
        }
        if (banktext::isBlankLine(line))
            return;
        QStringView grade;
        bool hasGrade = false;
        const QuestionRecord record = parseLine(line, &grade, &hasGrade);
        const int selected = host.gradePosition();
        const bool taken = !hasGrade || selected == 0 || numberValue(grade) == selected;
        if (taken)
            bank.append(record);
    });
    return !stopped;
}

LoadReport BankLoader::load(LoadHost &host, const QString &dir, QuestionBank &bank) {
    LoadReport report;
    bank.clear();

    const auto readInto = [&](const QString &path) {
        Result<QString> text = banktext::readFile(path);
        if (!text) {
            report.unreadable.append(text.error());
            return;
        }
        if (!addLines(host, std::move(text).value(), bank))
            report.stopped = true;
    };

    const QString downloaded = downloadedBankPath(dir);
    if (isBankFile(downloaded)) {
        readInto(downloaded);
    } else {
        // The download may write a new tk.txt; this run goes on with zbtk.txt all the same.
        report.downloadedBankMissing = true;
        host.showNotice(u"题库不存在，请下载最新题库！"_s);
        host.downloadBank();
    }

    const QString user = userBankPath(dir);
    if (isBankFile(user)) {
        report.userBankPresent = true;
        readInto(user);
    }
    return report;
}
