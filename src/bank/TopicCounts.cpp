// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/TopicCounts.h"

#include "bank/BankLoader.h"
#include "bank/BankText.h"

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
    for (const QString &path : files) {
        if (!QFileInfo(path).isFile())
            continue;
        const Result<QString> text = banktext::readFile(path);
        if (!text)
            continue;
        banktext::forEachLine(text.value(), [this](QStringView line) {
            const QList<QStringView> fields = line.split(u'|');
            if (fields.size() < 3)
                return;
            bool gradeOk = false, codeOk = false;
            const int grade = fields[1].trimmed().toInt(&gradeOk);
            const int code = fields[2].trimmed().toInt(&codeOk);
            if (gradeOk && codeOk && grade >= 0 && grade <= 6) {
                ++counts_[grade * 1000 + code];
                if (grade != 0)
                    ++counts_[code]; // grade 0, 小学阶段综合, takes every grade
            }
        });
    }
}

int TopicCounts::count(int grade, int code) {
    refresh();
    return counts_.value(grade * 1000 + code);
}
