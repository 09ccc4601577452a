// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/BankLoader.h"

#include "bank/BankRecord.h"
#include "bank/BankText.h"
#include "common/BankFileNames.h"

#include <QFileInfo>
#include <memory>

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
    FileLoad(LoadHost &host, QuestionBank &bank, int file, FileProblems &problems)
        : host_(host)
        , bank_(bank)
        , file_(file)
        , problems_(problems)
        , checks_(host.checksLines())
        , firstRecord_(bank.size()) {}

    bool line(QStringView line, banktext::LinePlace place) override {
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
            bank_.keep(parsed.record, file_, place);
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
    const int file_;
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
        auto file = std::make_unique<QFile>(path);
        if (!file->open(QIODevice::ReadOnly)) {
            report.unreadable.append(banktext::cannotRead(*file));
            return;
        }
        // A line of a bank runs to 40 bytes and more: room for every line a large file may have.
        bank.expect(static_cast<qsizetype>(file->size() / 40));
        QFile &opened = *file;
        FileLoad lines(host, bank, bank.addFile(std::move(file)), problems);
        const Result<bool> read = banktext::readLines(opened, lines);
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
