// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/BankLoader.h"

#include "bank/BankRecord.h"
#include "bank/BankText.h"
#include "common/BankFileNames.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

QString BankLoader::downloadedBankPath(const QString &dir) {
    return bankfiles::downloadedBankPath(dir);
}
QString BankLoader::userBankPath(const QString &dir) {
    return bankfiles::userBankPath(dir);
}

namespace {

bool isBankFile(const QString &path) {
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

} // namespace

bool BankLoader::addLines(LoadHost &host, QString text, QuestionBank &bank) {
    const QStringView kept = bank.keepText(std::move(text));
    bool stopped = false;
    banktext::forEachLine(kept, [&](QStringView line) {
        if (stopped)
            return;
        host.yield();
        if (host.stopRequested()) {
            stopped = true;
            return;
        }
        if (banktext::isBlankLine(line))
            return;
        const BankRecord parsed = bankrecord::parse(line);
        if (parsed.takenAtGrade(host.gradePosition()))
            bank.append(parsed.record);
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
