// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/TopicCounts.h"

#include "bank/BankLoader.h"
#include "bank/BankRecord.h"
#include "bank/BankText.h"
#include "bank/CodeTables.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

TopicCounts::TopicCounts(QString bankDir)
    : dir_(std::move(bankDir)) {}

void TopicCounts::refresh() {
    const QString files[] = {BankLoader::downloadedBankPath(dir_), BankLoader::userBankPath(dir_)};
    QString stamp;
    for (const QString &path : files) {
        const QFileInfo info(path);
        stamp +=
            u"%1:%2:%3;"_s.arg(info.exists()).arg(info.size()).arg(info.lastModified().toMSecsSinceEpoch());
    }
    if (stamp == stamp_)
        return;
    stamp_ = stamp;
    counts_.clear();
    // Counted as a run loads, read as it reads: a line belongs to every grade position that would take it.
    struct Count : banktext::LineSink {
        QHash<int, int> counts;
        bool line(QStringView line, banktext::LinePlace) override {
            if (banktext::isBlankLine(line))
                return true;
            const BankRecord r = bankrecord::parse(line);
            for (int grade = 0; grade < codes::GradeCount; ++grade)
                if (r.takenAtGrade(grade))
                    ++counts[grade * 1000 + r.topicCode];
            return true;
        }
        void restart() override { counts.clear(); }
    };
    for (const QString &path : files) {
        if (!QFileInfo(path).isFile())
            continue;
        Count file;
        if (!banktext::readLines(path, file))
            continue;
        for (auto it = file.counts.cbegin(); it != file.counts.cend(); ++it)
            counts_[it.key()] += it.value();
    }
}

int TopicCounts::count(int grade, int code) {
    refresh();
    return counts_.value(grade * 1000 + code);
}
