// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "common/UserFiles.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

// One recorded sheet: what it was made from and the items it printed, in order.
struct RecordedSheet {
    QString code;
    QDateTime created;
    int grade = 0;
    QString mode;     // 奥数, 估算, 列式计算, 解方程
    QString topics;   // the ticked boxes, as slot numbers ("1,2,18,u")
    int quantity = 0; // asked for
    bool repeats = false;
    QString settings;  // the writer's settings (marks, blank lines, font, size, layout), as key=value lines
    QString bankStamp; // the bank files' sizes and times when the sheet was made
    QStringList questions, topicCodes, answers, difficulties;
};

// The history of sheets: an SQLite file opened through Qt SQL. Its schema carries a version and is
// brought up to date when opened; it is in WAL mode with a busy timeout, so two programs writing at
// once both succeed. A file that cannot be opened or is damaged is reported and left as it is.
class SheetHistory {
public:
    // Where the history lives: tessaly.ini's [history] file, else history.sqlite in the user's data
    // folder (beside the program when it is portable).
    static QString defaultPath(const UserFiles &files);

    static Result<std::unique_ptr<SheetHistory>> open(const QString &path);
    ~SheetHistory();
    SheetHistory(const SheetHistory &) = delete;
    SheetHistory &operator=(const SheetHistory &) = delete;

    // A code no recorded sheet has: printed on a sheet before it is recorded.
    QString newCode();
    // Stores the sheet under its code, or under a new one (filled in) when it has none, and returns it.
    // `idle` (when set) runs between the batches of a long sheet's items.
    Result<QString> record(RecordedSheet &sheet, const std::function<void()> &idle = {});
    std::optional<RecordedSheet> find(const QString &code);
    // Newest first, without their items.
    QList<RecordedSheet> list(int limit = 1000);
    // The questions of the sheets made since then (blanks removed), each with when it was last used (ms
    // since the epoch): what fresh questions leave out.
    QHash<quint64, qint64> usedSince(const QDateTime &since);

    static constexpr int SchemaVersion = 2;

private:
    explicit SheetHistory(QString connection);
    Status migrate();

    QString connection_;
};

// The bank files' sizes and times: a sheet recorded with another stamp was made from another bank.
QString bankStamp(const QString &bankDir);
