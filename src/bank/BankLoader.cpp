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

// Takes the lines of one file as they are decoded.
class FileLoad : public banktext::LineSink {
public:
    FileLoad(LoadHost &host, QuestionBank &bank, FileProblems &problems)
        : host_(host)
        , bank_(bank)
        , problems_(problems)
        , checks_(host.checksLines())
        , firstRecord_(bank.size()) {}

    bool line(QStringView line) override {
        ++number_;
        host_.yield();
        if (host_.stopRequested())
            return false;
        if (banktext::isBlankLine(line))
            return true;
        const BankRecord parsed = bankrecord::parse(line);
        if (checks_)
            for (const QString &message : bankrecord::problems(parsed)) {
                if (problems_.first.size() < BankLoader::KeptProblems)
                    problems_.first.append({number_, message});
                ++problems_.total;
            }
        if (parsed.takenAtGrade(host_.gradePosition()))
            bank_.keep(parsed.record, line);
        return true;
    }
    void restart() override {
        bank_.truncate(firstRecord_);
        problems_.first.clear();
        problems_.total = 0;
        number_ = 0;
    }

private:
    LoadHost &host_;
    QuestionBank &bank_;
    FileProblems &problems_;
    const bool checks_;
    const qsizetype firstRecord_;
    int number_ = 0;
};

} // namespace

LoadReport BankLoader::load(LoadHost &host, const QString &dir, QuestionBank &bank) {
    LoadReport report;
    bank.clear();

    const auto readInto = [&](const QString &path) {
        FileProblems problems{QFileInfo(path).fileName(), {}, 0};
        FileLoad lines(host, bank, problems);
        // A line of a bank runs to 40 bytes and more: room for every line a large file may have.
        bank.expect(static_cast<qsizetype>(QFileInfo(path).size() / 40));
        const Result<bool> read = banktext::readLines(path, lines);
        if (!read)
            report.unreadable.append(read.error());
        else if (!read.value())
            report.stopped = true;
        if (problems.total > 0)
            report.problems.append(std::move(problems));
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
