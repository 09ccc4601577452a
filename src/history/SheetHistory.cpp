// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/SheetHistory.h"

#include <algorithm>

#include "bank/BankLoader.h"
#include "bank/TextNormal.h"
#include "history/SheetCode.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

using namespace Qt::Literals::StringLiterals;

namespace {

QString describe(const QSqlError &error) {
    const QString text = error.text().trimmed();
    return text.isEmpty() ? u"未知的数据库错误"_s : text;
}

} // namespace

QString SheetHistory::defaultPath(const UserFiles &files) {
    const QSettings ini(files.settingsFile, QSettings::IniFormat);
    const QString configured = ini.value(u"history/file"_s).toString();
    return configured.isEmpty() ? files.dataDir + u"/history.sqlite"_s : configured;
}

QString bankStamp(const QString &bankDir) {
    QString stamp;
    for (const QString &path : {BankLoader::downloadedBankPath(bankDir), BankLoader::userBankPath(bankDir)}) {
        const QFileInfo info(path);
        stamp += u"%1:%2:%3;"_s.arg(info.fileName())
                     .arg(info.exists() ? info.size() : -1)
                     .arg(info.exists() ? info.lastModified().toMSecsSinceEpoch() : 0);
    }
    return stamp;
}

SheetHistory::SheetHistory(QString connection)
    : connection_(std::move(connection)) {}

SheetHistory::~SheetHistory() {
    {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

Result<std::unique_ptr<SheetHistory>> SheetHistory::open(const QString &path) {
    using Opened = Result<std::unique_ptr<SheetHistory>>;
    if (!QSqlDatabase::isDriverAvailable(u"QSQLITE"_s))
        return Opened::failure(u"缺少 Qt 的 SQLite 驱动（libqt6sql6-sqlite）"_s);
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return Opened::failure(u"无法创建文件夹 %1"_s.arg(QDir::toNativeSeparators(info.absolutePath())));
    static QAtomicInt serial;
    const QString connection = u"tessaly-history-%1"_s.arg(serial.fetchAndAddRelaxed(1));
    std::unique_ptr<SheetHistory> history(new SheetHistory(connection));
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, connection);
    db.setDatabaseName(path);
    // Another program writing at the same moment is waited for, not failed on.
    db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=10000"_s);
    if (!db.open())
        return Opened::failure(
            u"无法打开出卷记录 %1：%2"_s.arg(QDir::toNativeSeparators(path), describe(db.lastError())));
    // A new file being set up by another program at this moment (its journal switched to WAL) can refuse
    // a reader for a moment, past what the busy timeout covers: try again for a few seconds.
    Status migrated = history->migrate();
    for (int attempt = 0; !migrated && migrated.error().contains(u"locked"_s) && attempt < 100; ++attempt) {
        QThread::msleep(50);
        migrated = history->migrate();
    }
    if (!migrated)
        return Opened::failure(
            u"出卷记录 %1 无法使用：%2"_s.arg(QDir::toNativeSeparators(path), migrated.error()));
    return Opened::success(std::move(history));
}

Status SheetHistory::migrate() {
    QSqlDatabase db = QSqlDatabase::database(connection_);
    QSqlQuery q(db);
    // Reading the version reads the file's header: a damaged file fails here, before anything is written.
    if (!q.exec(u"PRAGMA user_version"_s) || !q.next())
        return Status::failure(describe(q.lastError()));
    const int version = q.value(0).toInt();
    if (version > SchemaVersion)
        return Status::failure(u"记录来自更新的 Tessaly（格式 %1）"_s.arg(version));
    if (!q.exec(u"PRAGMA journal_mode"_s) || !q.next())
        return Status::failure(describe(q.lastError()));
    if (q.value(0).toString().compare(u"wal"_s, Qt::CaseInsensitive) != 0 &&
        !q.exec(u"PRAGMA journal_mode=WAL"_s))
        return Status::failure(describe(q.lastError()));
    if (version == SchemaVersion)
        return succeeded();
    // Version 0 (a new file) to 1. The write lock is taken at the start (IMMEDIATE), so two programs
    // opening a new file at once wait for each other rather than both failing on the upgrade.
    if (!q.exec(u"BEGIN IMMEDIATE"_s))
        return Status::failure(describe(q.lastError()));
    if (!q.exec(u"PRAGMA user_version"_s) || !q.next()) {
        const QString why = describe(q.lastError());
        q.exec(u"ROLLBACK"_s);
        return Status::failure(why);
    }
    if (q.value(0).toInt() == SchemaVersion) // the other program was first
        return q.exec(u"COMMIT"_s) ? succeeded() : Status::failure(describe(q.lastError()));
    const QStringList schema{
        u"CREATE TABLE IF NOT EXISTS sheets (id INTEGER PRIMARY KEY, code TEXT NOT NULL UNIQUE, "
        u"created TEXT NOT NULL, grade INTEGER NOT NULL, mode TEXT NOT NULL, topics TEXT NOT NULL, "
        u"quantity INTEGER NOT NULL, repeats INTEGER NOT NULL, settings TEXT NOT NULL, bank_stamp TEXT NOT NULL)"_s,
        u"CREATE TABLE IF NOT EXISTS items (sheet_id INTEGER NOT NULL REFERENCES sheets(id), "
        u"position INTEGER NOT NULL, question TEXT NOT NULL, topic_code TEXT NOT NULL, answer TEXT NOT NULL, "
        u"difficulty TEXT NOT NULL, PRIMARY KEY (sheet_id, position))"_s,
        u"CREATE INDEX IF NOT EXISTS sheets_created ON sheets(created)"_s, u"PRAGMA user_version = 1"_s};
    for (const QString &statement : schema)
        if (!q.exec(statement)) {
            const QString why = describe(q.lastError());
            q.exec(u"ROLLBACK"_s);
            return Status::failure(why);
        }
    if (!q.exec(u"COMMIT"_s))
        return Status::failure(describe(q.lastError()));
    return succeeded();
}

QString SheetHistory::newCode() {
    for (int attempt = 0;; ++attempt) {
        QString code = sheetcode::make();
        QSqlQuery taken(QSqlDatabase::database(connection_));
        taken.prepare(u"SELECT 1 FROM sheets WHERE code = ?"_s);
        taken.addBindValue(code);
        if (attempt > 5 || !taken.exec() || !taken.next())
            return code;
    }
}

Result<QString> SheetHistory::record(RecordedSheet &sheet, const std::function<void()> &idle) {
    QSqlDatabase db = QSqlDatabase::database(connection_);
    QSqlQuery control(db);
    // IMMEDIATE: the write lock up front, waited for under the busy timeout, never a deadlock between
    // two programs that both read first.
    if (!control.exec(u"BEGIN IMMEDIATE"_s))
        return Result<QString>::failure(describe(control.lastError()));
    const auto fail = [&control](const QSqlQuery &q) {
        const QString why = describe(q.lastError());
        control.exec(u"ROLLBACK"_s);
        return Result<QString>::failure(why);
    };
    QSqlQuery insert(db);
    insert.prepare(
        u"INSERT INTO sheets (code, created, grade, mode, topics, quantity, repeats, settings, bank_stamp) "
        u"VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"_s);
    // A code already taken (one in a billion) is drawn again, unless the sheet printed its code already:
    // then the record fails rather than name another sheet's code.
    const bool printed = !sheet.code.isEmpty();
    for (int attempt = 0;; ++attempt) {
        if (!printed)
            sheet.code = sheetcode::make();
        const QVariant values[] = {sheet.code,
                                   sheet.created.toUTC().toString(Qt::ISODateWithMs),
                                   sheet.grade,
                                   sheet.mode,
                                   sheet.topics,
                                   sheet.quantity,
                                   sheet.repeats ? 1 : 0,
                                   sheet.settings,
                                   sheet.bankStamp};
        for (int i = 0; i < 9; ++i)
            insert.bindValue(i, values[i]);
        if (insert.exec())
            break;
        QSqlQuery taken(db);
        taken.prepare(u"SELECT 1 FROM sheets WHERE code = ?"_s);
        taken.addBindValue(sheet.code);
        if (printed || attempt > 5 || !taken.exec() || !taken.next())
            return fail(insert);
    }
    const qlonglong id = insert.lastInsertId().toLongLong();
    QSqlQuery item(db);
    item.prepare(u"INSERT INTO items (sheet_id, position, question, topic_code, answer, difficulty) "
                 u"VALUES (?, ?, ?, ?, ?, ?)"_s);
    // In batches, with the caller's events between them: a sheet of 100,000 questions is recorded
    // without the window pausing for it.
    constexpr qsizetype Batch = 2000;
    for (qsizetype from = 0; from < sheet.questions.size(); from += Batch) {
        if (from > 0 && idle)
            idle();
        const qsizetype to = std::min(sheet.questions.size(), from + Batch);
        QVariantList ids, positions, questions, codes, answers, difficulties;
        for (qsizetype i = from; i < to; ++i) {
            ids << id;
            positions << i;
            // A list shorter than the questions (an answer missing) stores empty texts, never NULL.
            const auto text = [](const QString &s) { return QVariant(s.isNull() ? u""_s : s); };
            questions << text(sheet.questions[i]);
            codes << text(sheet.topicCodes.value(i));
            answers << text(sheet.answers.value(i));
            difficulties << text(sheet.difficulties.value(i));
        }
        for (const QVariantList &column : {ids, positions, questions, codes, answers, difficulties})
            item.addBindValue(column);
        if (!item.execBatch())
            return fail(item);
    }
    if (!control.exec(u"COMMIT"_s))
        return fail(control);
    return Result<QString>::success(sheet.code);
}

namespace {

RecordedSheet summary(const QSqlQuery &q) {
    RecordedSheet s;
    s.code = q.value(0).toString();
    s.created = QDateTime::fromString(q.value(1).toString(), Qt::ISODateWithMs).toLocalTime();
    s.grade = q.value(2).toInt();
    s.mode = q.value(3).toString();
    s.topics = q.value(4).toString();
    s.quantity = q.value(5).toInt();
    s.repeats = q.value(6).toInt() != 0;
    s.settings = q.value(7).toString();
    s.bankStamp = q.value(8).toString();
    return s;
}

const QString Columns = u"code, created, grade, mode, topics, quantity, repeats, settings, bank_stamp, id"_s;

} // namespace

std::optional<RecordedSheet> SheetHistory::find(const QString &code) {
    QSqlDatabase db = QSqlDatabase::database(connection_);
    QSqlQuery q(db);
    q.prepare(u"SELECT "_s + Columns + u" FROM sheets WHERE code = ?"_s);
    q.addBindValue(code);
    if (!q.exec() || !q.next())
        return std::nullopt;
    RecordedSheet sheet = summary(q);
    const qlonglong id = q.value(9).toLongLong();
    QSqlQuery items(db);
    items.prepare(
        u"SELECT question, topic_code, answer, difficulty FROM items WHERE sheet_id = ? ORDER BY position"_s);
    items.addBindValue(id);
    if (!items.exec())
        return std::nullopt;
    while (items.next()) {
        sheet.questions << items.value(0).toString();
        sheet.topicCodes << items.value(1).toString();
        sheet.answers << items.value(2).toString();
        sheet.difficulties << items.value(3).toString();
    }
    return sheet;
}

QList<RecordedSheet> SheetHistory::list(int limit) {
    QSqlQuery q(QSqlDatabase::database(connection_));
    q.prepare(u"SELECT "_s + Columns + u" FROM sheets ORDER BY created DESC, id DESC LIMIT ?"_s);
    q.addBindValue(limit);
    QList<RecordedSheet> sheets;
    if (q.exec())
        while (q.next())
            sheets.append(summary(q));
    return sheets;
}

QHash<QString, qint64> SheetHistory::usedSince(const QDateTime &since) {
    QSqlQuery q(QSqlDatabase::database(connection_));
    q.prepare(
        u"SELECT items.question, MAX(sheets.created) FROM items JOIN sheets ON sheets.id = items.sheet_id "
        u"WHERE sheets.created >= ? GROUP BY items.question"_s);
    q.addBindValue(since.toUTC().toString(Qt::ISODateWithMs));
    QHash<QString, qint64> used;
    if (q.exec())
        while (q.next()) {
            used.insert(textnormal::withoutSpaces(q.value(0).toString()),
                        QDateTime::fromString(q.value(1).toString(), Qt::ISODateWithMs).toMSecsSinceEpoch());
        }
    return used;
}
