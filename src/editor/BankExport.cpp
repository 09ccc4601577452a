// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/BankExport.h"

#include "bank/BankRecord.h"
#include "bank/BankText.h"
#include "bank/CodeTables.h"
#include "common/BankFileNames.h"
#include "editor/CsvRows.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace bankexport {

const QStringList &header() {
    static const QStringList names{u"题目"_s, u"计算步骤"_s, u"范围"_s, u"专题"_s, u"难度"_s, u"题型"_s};
    return names;
}

namespace {

struct Collect : banktext::LineSink {
    const Filter &filter;
    Table &table;
    qsizetype fileStart; // a restart reads this file again from its first line
    int skipped = 0;
    Collect(const Filter &f, Table &t)
        : filter(f)
        , table(t)
        , fileStart(t.rows.size()) {}

    bool line(QStringView text, banktext::LinePlace) override {
        if (text.trimmed().isEmpty())
            return true;
        const BankRecord r = bankrecord::parse(text);
        if (r.record.questionText.trimmed().isEmpty()) {
            ++skipped;
            return true;
        }
        const bool olympiad = codes::slotOfTopicCode(r.topicCode, true) >= 0;
        const int slot = r.topicCode >= 0 ? codes::slotOfTopicCode(r.topicCode, olympiad) : -1;
        if (filter.grade && r.grade != *filter.grade)
            return true;
        if (filter.olympiad && olympiad != *filter.olympiad)
            return true;
        if (filter.slot && (slot != *filter.slot || olympiad != filter.olympiad.value_or(false)))
            return true;

        const QStringList &grades = codes::gradeNames();
        const QString grade = r.grade >= 0 ? grades[r.grade] : r.gradeText.toString();
        QString topic = r.record.topicCode.toString();
        if (slot == 0)
            topic = codes::unclassifiedName();
        else if (slot > 0)
            topic = (olympiad ? codes::olympiadTopicNames() : codes::textbookTopicNames())[slot - 1];
        const int level = r.difficulty();
        const QString difficulty =
            level >= 0 ? codes::difficultyNames()[level] : r.record.difficulty.toString();
        table.rows.append({r.record.questionText.toString(), r.record.answerText.toString(), grade, topic,
                           difficulty, olympiad ? u"奥数"_s : u"列式计算"_s});
        return true;
    }
    void restart() override {
        table.rows.resize(fileStart);
        skipped = 0;
    }
};

} // namespace

Result<Table> rows(const QString &bankDir, const Filter &filter) {
    Table table;
    QStringList paths;
    if (!filter.ownOnly)
        paths.append(bankfiles::downloadedBankPath(bankDir));
    paths.append(bankfiles::userBankPath(bankDir));
    for (const QString &path : paths) {
        if (!QFileInfo::exists(path))
            continue;
        Collect collect(filter, table);
        const Result<bool> read = banktext::readLines(path, collect);
        if (!read)
            return Result<Table>::failure(read.error());
        table.skipped += collect.skipped;
    }
    return Result<Table>::success(std::move(table));
}

QByteArray csv(const QList<QStringList> &rows) {
    QByteArray bytes("\xEF\xBB\xBF");
    bytes += csvrows::line(header());
    for (const QStringList &row : rows)
        bytes += csvrows::line(row);
    return bytes;
}

} // namespace bankexport
