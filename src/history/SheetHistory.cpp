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
#include <QUrl>
#include <QVariant>

using namespace Qt::Literals::StringLiterals;

namespace {

QString describe(const QSqlError &error) {
    const QString text = error.text().trimmed();
    return text.isEmpty() ? u"未知的数据库错误"_s : text;
}

// A prepared statement run once for each row of the columns (all of one length); no rows, nothing run.
bool runForRows(QSqlQuery &query, std::initializer_list<QVariantList> columns) {
    if (columns.size() == 0 || columns.begin()->isEmpty())
        return true;
    for (const QVariantList &column : columns)
        query.addBindValue(column);
    return query.execBatch();
}

} // namespace

QString SheetHistory::defaultPath(const UserFiles &files) {
    const QSettings ini(files.settingsFile, QSettings::IniFormat);
    if (QString url = ini.value(u"history/url"_s).toString().trimmed(); !url.isEmpty())
        return url;
    const QString configured = ini.value(u"history/file"_s).toString();
    return configured.isEmpty() ? files.dataDir + u"/history.sqlite"_s : configured;
}

bool SheetHistory::isServerAddress(const QString &location) {
    return location.startsWith(u"postgresql://"_s) || location.startsWith(u"postgres://"_s);
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

SheetHistory::SheetHistory(QString connection, Dialect dialect)
    : connection_(std::move(connection))
    , dialect_(dialect) {}

QString SheetHistory::sql(QString statement) const {
    // The one statement text for both databases: an id that numbers itself, 64-bit whole numbers, and
    // the larger of two values.
    const bool server = dialect_ == Dialect::Postgres;
    statement.replace(u"%ID%"_s, server ? u"BIGSERIAL PRIMARY KEY"_s : u"INTEGER PRIMARY KEY"_s);
    statement.replace(u"%BIG%"_s, server ? u"BIGINT"_s : u"INTEGER"_s);
    statement.replace(u"%MAX%"_s, server ? u"GREATEST"_s : u"MAX"_s);
    return statement;
}

bool SheetHistory::beginWrite(QSqlQuery &q) const {
    if (dialect_ == Dialect::Sqlite)
        return q.exec(u"BEGIN IMMEDIATE"_s);
    // On the server two programs' sheets would lock the rows of the questions they share in their own
    // orders and deadlock: one writer at a time, as the file has it, waiting for the other's commit.
    if (!q.exec(u"BEGIN"_s))
        return false;
    if (q.exec(u"SELECT pg_advisory_xact_lock(72615310)"_s))
        return true;
    // Ended on a query of its own, so the caller still reads why the lock failed.
    QSqlQuery(QSqlDatabase::database(connection_)).exec(u"ROLLBACK"_s);
    return false;
}

SheetHistory::~SheetHistory() {
    {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

namespace {

// The address without its password, for messages.
QString shownAddress(const QUrl &url) {
    return url.toDisplayString(QUrl::RemovePassword);
}

} // namespace

Result<std::unique_ptr<SheetHistory>> SheetHistory::open(const QString &location) {
    using Opened = Result<std::unique_ptr<SheetHistory>>;
    static QAtomicInt serial;
    const QString connection = u"tessaly-history-%1"_s.arg(serial.fetchAndAddRelaxed(1));
    if (isServerAddress(location)) {
        if (!QSqlDatabase::isDriverAvailable(u"QPSQL"_s))
            return Opened::failure(u"缺少 Qt 的 PostgreSQL 驱动（libqt6sql6-psql）"_s);
        const QUrl url(location);
        const QString database = url.path().mid(1);
        if (!url.isValid() || url.host().isEmpty() || database.isEmpty())
            return Opened::failure(
                u"出卷记录的地址“%1”不对，应为 postgresql://用户:密码@服务器:端口/数据库"_s.arg(
                    shownAddress(url)));
        std::unique_ptr<SheetHistory> history(new SheetHistory(connection, Dialect::Postgres));
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, connection);
        db.setHostName(url.host());
        db.setPort(url.port(5432));
        db.setDatabaseName(database);
        db.setUserName(url.userName());
        db.setPassword(url.password());
        // A server that does not answer is given up on in seconds, not waited for without end.
        db.setConnectOptions(u"connect_timeout=5"_s);
        if (!db.open())
            return Opened::failure(
                u"无法连接出卷记录的服务器 %1：%2"_s.arg(shownAddress(url), describe(db.lastError())));
        if (const Status migrated = history->migrateOnServer(); !migrated)
            return Opened::failure(u"出卷记录 %1 无法使用：%2"_s.arg(shownAddress(url), migrated.error()));
        return Opened::success(std::move(history));
    }
    const QString &path = location;
    if (!QSqlDatabase::isDriverAvailable(u"QSQLITE"_s))
        return Opened::failure(u"缺少 Qt 的 SQLite 驱动（libqt6sql6-sqlite）"_s);
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return Opened::failure(u"无法创建文件夹 %1"_s.arg(QDir::toNativeSeparators(info.absolutePath())));
    std::unique_ptr<SheetHistory> history(new SheetHistory(connection, Dialect::Sqlite));
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

namespace {

// The tables of a new history, at version 2.
const QStringList &firstSchema() {
    static const QStringList schema = {
        u"CREATE TABLE IF NOT EXISTS sheets (id %ID%, code TEXT NOT NULL UNIQUE, "
        u"created TEXT NOT NULL, grade INTEGER NOT NULL, mode TEXT NOT NULL, topics TEXT NOT NULL, "
        u"quantity INTEGER NOT NULL, repeats INTEGER NOT NULL, settings TEXT NOT NULL, bank_stamp TEXT NOT NULL)"_s,
        u"CREATE TABLE IF NOT EXISTS items (sheet_id %BIG% NOT NULL REFERENCES sheets(id), "
        u"position INTEGER NOT NULL, question TEXT NOT NULL, topic_code TEXT NOT NULL, answer TEXT NOT NULL, "
        u"difficulty TEXT NOT NULL, question_key %BIG% NOT NULL DEFAULT 0, PRIMARY KEY (sheet_id, position))"_s,
        u"CREATE INDEX IF NOT EXISTS sheets_created ON sheets(created)"_s};
    return schema;
}

// The latest use of each question (by key, in milliseconds since the epoch): what the fresh look-up
// reads, one row a question however many sheets printed it. Version 2.
const QStringList &questionUseSchema() {
    static const QStringList schema = {
        u"CREATE TABLE IF NOT EXISTS question_use (question_key %BIG% PRIMARY KEY, last_used %BIG% NOT NULL)"_s,
        u"CREATE INDEX IF NOT EXISTS question_use_last ON question_use(last_used)"_s};
    return schema;
}

// Version 3: the classes' pupils, the pupil a sheet was made for, and the marks of its questions.
const QStringList &pupilSchema() {
    static const QStringList schema = {
        u"CREATE TABLE IF NOT EXISTS pupils (id %ID%, class_name TEXT NOT NULL, name TEXT NOT NULL, "
        u"number TEXT NOT NULL, UNIQUE (class_name, name, number))"_s,
        u"ALTER TABLE sheets ADD COLUMN pupil_id %BIG%"_s,
        u"CREATE INDEX IF NOT EXISTS sheets_pupil ON sheets(pupil_id)"_s,
        u"CREATE TABLE IF NOT EXISTS marks (sheet_id %BIG% NOT NULL REFERENCES sheets(id), "
        u"position INTEGER NOT NULL, correct INTEGER NOT NULL, marked TEXT NOT NULL, "
        u"PRIMARY KEY (sheet_id, position))"_s};
    return schema;
}

} // namespace

Status SheetHistory::migrateOnServer() {
    QSqlDatabase db = QSqlDatabase::database(connection_);
    QSqlQuery q(db);
    const auto fail = [&q](const QSqlQuery &failed) {
        const QString why = describe(failed.lastError());
        q.exec(u"ROLLBACK"_s);
        return Status::failure(why);
    };
    // One program at a time brings the schema up to date: the others wait for its lock, then find
    // the version it left.
    if (!q.exec(u"BEGIN"_s))
        return Status::failure(describe(q.lastError()));
    if (!q.exec(u"SELECT pg_advisory_xact_lock(72615309)"_s))
        return fail(q);
    if (!q.exec(u"SELECT to_regclass('tessaly_schema') IS NOT NULL"_s) || !q.next())
        return fail(q);
    int version = 0;
    if (q.value(0).toBool()) {
        if (!q.exec(u"SELECT version FROM tessaly_schema"_s))
            return fail(q);
        version = q.next() ? q.value(0).toInt() : 0;
    } else if (!q.exec(u"CREATE TABLE tessaly_schema (version INTEGER NOT NULL)"_s)) {
        return fail(q);
    }
    if (version > SchemaVersion) {
        q.exec(u"ROLLBACK"_s);
        return Status::failure(u"记录来自更新的 Tessaly（格式 %1）"_s.arg(version));
    }
    QStringList schema;
    if (version < 2)
        schema = firstSchema() + questionUseSchema();
    if (version < 3)
        schema += pupilSchema();
    for (const QString &statement : std::as_const(schema))
        if (!q.exec(sql(statement)))
            return fail(q);
    if (version != SchemaVersion &&
        !q.exec(version == 0 ? u"INSERT INTO tessaly_schema (version) VALUES (%1)"_s.arg(SchemaVersion)
                             : u"UPDATE tessaly_schema SET version = %1"_s.arg(SchemaVersion)))
        return fail(q);
    if (!q.exec(u"COMMIT"_s))
        return fail(q);
    return succeeded();
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
    // Version 0 (a new file), 1 or 2 to 3. The write lock is taken at the start (IMMEDIATE), so two
    // programs opening a new file at once wait for each other rather than both failing on the upgrade.
    if (!q.exec(u"BEGIN IMMEDIATE"_s))
        return Status::failure(describe(q.lastError()));
    const auto fail = [&q](const QSqlQuery &failed) {
        const QString why = describe(failed.lastError());
        q.exec(u"ROLLBACK"_s);
        return Status::failure(why);
    };
    if (!q.exec(u"PRAGMA user_version"_s) || !q.next())
        return fail(q);
    const int now = q.value(0).toInt();
    if (now == SchemaVersion) // the other program was first
        return q.exec(u"COMMIT"_s) ? succeeded() : Status::failure(describe(q.lastError()));
    QStringList schema;
    if (now == 0)
        schema = firstSchema();
    else if (now == 1)
        // Version 1 kept no key: the column, then a key for every item already recorded.
        schema = {u"ALTER TABLE items ADD COLUMN question_key INTEGER NOT NULL DEFAULT 0"_s};
    if (now < 2)
        schema += questionUseSchema();
    schema += pupilSchema();
    for (const QString &statement : std::as_const(schema))
        if (!q.exec(sql(statement)))
            return fail(q);
    if (now == 1) {
        QSqlQuery rows(db);
        rows.setForwardOnly(true);
        if (!rows.exec(u"SELECT items.rowid, items.question, sheets.created FROM items "
                       u"JOIN sheets ON sheets.id = items.sheet_id"_s))
            return fail(rows);
        QVariantList ids, keys;
        QHash<qint64, qint64> lastUsed;
        QString lastCreated;
        qint64 when = 0;
        while (rows.next()) {
            const qint64 key = static_cast<qint64>(textnormal::spacelessKey(rows.value(1).toString()));
            ids << rows.value(0);
            keys << key;
            if (const QString created = rows.value(2).toString(); created != lastCreated) {
                when = QDateTime::fromString(created, Qt::ISODateWithMs).toMSecsSinceEpoch();
                lastCreated = created;
            }
            qint64 &latest = lastUsed[key];
            latest = std::max(latest, when);
        }
        QSqlQuery update(db);
        update.prepare(u"UPDATE items SET question_key = ? WHERE rowid = ?"_s);
        if (!runForRows(update, {keys, ids}))
            return fail(update);
        QVariantList useKeys, useTimes;
        for (auto it = lastUsed.cbegin(); it != lastUsed.cend(); ++it) {
            useKeys << it.key();
            useTimes << it.value();
        }
        QSqlQuery use(db);
        use.prepare(u"INSERT INTO question_use (question_key, last_used) VALUES (?, ?)"_s);
        if (!runForRows(use, {useKeys, useTimes}))
            return fail(use);
    }
    if (!q.exec(u"PRAGMA user_version = %1"_s.arg(SchemaVersion)))
        return fail(q);
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
    if (!beginWrite(control))
        return Result<QString>::failure(describe(control.lastError()));
    const auto fail = [&control](const QSqlQuery &q) {
        const QString why = describe(q.lastError());
        control.exec(u"ROLLBACK"_s);
        return Result<QString>::failure(why);
    };
    QSqlQuery insert(db);
    insert.prepare(u"INSERT INTO sheets (code, created, grade, mode, topics, quantity, repeats, settings, "
                   u"bank_stamp, pupil_id) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s);
    // A code already taken (one in a billion) is drawn again, unless the sheet printed its code already:
    // then the record fails rather than name another sheet's code.
    const bool printed = !sheet.code.isEmpty();
    for (int attempt = 0;; ++attempt) {
        if (!printed)
            sheet.code = sheetcode::make();
        // The text columns hold no NULL: a text never set is stored empty.
        const auto text = [](const QString &s) { return QVariant(s.isNull() ? u""_s : s); };
        const QVariant values[] = {sheet.code,
                                   sheet.created.toUTC().toString(Qt::ISODateWithMs),
                                   sheet.grade,
                                   text(sheet.mode),
                                   text(sheet.topics),
                                   sheet.quantity,
                                   sheet.repeats ? 1 : 0,
                                   text(sheet.settings),
                                   text(sheet.bankStamp),
                                   sheet.pupilId > 0 ? QVariant(sheet.pupilId)
                                                     : QVariant(QMetaType(QMetaType::LongLong))};
        for (int i = 0; i < 10; ++i)
            insert.bindValue(i, values[i]);
        if (insert.exec())
            break;
        // On the server a failed statement ends the transaction: start it again before the next try.
        if (dialect_ == Dialect::Postgres) {
            control.exec(u"ROLLBACK"_s);
            if (printed || attempt > 5 || !beginWrite(control))
                return Result<QString>::failure(describe(insert.lastError()));
            continue;
        }
        QSqlQuery taken(db);
        taken.prepare(u"SELECT 1 FROM sheets WHERE code = ?"_s);
        taken.addBindValue(sheet.code);
        if (printed || attempt > 5 || !taken.exec() || !taken.next())
            return fail(insert);
    }
    const qlonglong id = insert.lastInsertId().toLongLong();
    QSqlQuery item(db);
    item.prepare(u"INSERT INTO items (sheet_id, position, question, topic_code, answer, difficulty, "
                 u"question_key) VALUES (?, ?, ?, ?, ?, ?, ?)"_s);
    QSqlQuery use(db);
    use.prepare(
        sql(u"INSERT INTO question_use (question_key, last_used) VALUES (?, ?) ON CONFLICT (question_key) "
            u"DO UPDATE SET last_used = %MAX%(question_use.last_used, excluded.last_used)"_s));
    const qint64 used = sheet.created.toMSecsSinceEpoch();
    // In batches, with the caller's events between them: a sheet of 100,000 questions is recorded
    // without the window pausing for it.
    constexpr qsizetype Batch = 2000;
    for (qsizetype from = 0; from < sheet.questions.size(); from += Batch) {
        if (from > 0 && idle)
            idle();
        const qsizetype to = std::min(sheet.questions.size(), from + Batch);
        QVariantList ids, positions, questions, codes, answers, difficulties, keys;
        for (qsizetype i = from; i < to; ++i) {
            ids << id;
            positions << i;
            // A list shorter than the questions (an answer missing) stores empty texts, never NULL.
            const auto text = [](const QString &s) { return QVariant(s.isNull() ? u""_s : s); };
            questions << text(sheet.questions[i]);
            codes << text(sheet.topicCodes.value(i));
            answers << text(sheet.answers.value(i));
            difficulties << text(sheet.difficulties.value(i));
            keys << static_cast<qint64>(textnormal::spacelessKey(sheet.questions[i]));
        }
        if (!runForRows(item, {ids, positions, questions, codes, answers, difficulties, keys}))
            return fail(item);
        if (!runForRows(use, {keys, QVariantList(keys.size(), used)}))
            return fail(use);
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
    s.pupilId = q.value(10).toLongLong();
    return s;
}

const QString Columns =
    u"code, created, grade, mode, topics, quantity, repeats, settings, bank_stamp, id, pupil_id"_s;

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

namespace {

// One row a question: its key and the time of the newest sheet that printed it. Read forward only, so
// the driver keeps no rows.
QHash<quint64, qint64> usedSinceOn(const QSqlDatabase &db, const QDateTime &since) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(u"SELECT question_key, last_used FROM question_use WHERE last_used >= ?"_s);
    q.addBindValue(since.toMSecsSinceEpoch());
    QHash<quint64, qint64> used;
    if (!q.exec())
        return used;
    while (q.next())
        used.insert(static_cast<quint64>(q.value(0).toLongLong()), q.value(1).toLongLong());
    return used;
}

} // namespace

QHash<quint64, qint64> SheetHistory::usedSince(const QDateTime &since) {
    return usedSinceOn(QSqlDatabase::database(connection_), since);
}

QHash<quint64, qint64> SheetHistory::usedSinceApart(const QDateTime &since) const {
    static QAtomicInt made;
    const QString name = connection_ + u"-apart-"_s + QString::number(made.fetchAndAddRelaxed(1));
    QHash<quint64, qint64> used;
    {
        QSqlDatabase db = QSqlDatabase::cloneDatabase(connection_, name);
        if (db.open())
            used = usedSinceOn(db, since);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return used;
}

Result<int> SheetHistory::addPupils(const QList<SheetPupil> &pupils) {
    QSqlDatabase db = QSqlDatabase::database(connection_);
    QSqlQuery control(db);
    if (!beginWrite(control))
        return Result<int>::failure(describe(control.lastError()));
    QSqlQuery add(db);
    add.prepare(u"INSERT INTO pupils (class_name, name, number) VALUES (?, ?, ?) "
                u"ON CONFLICT (class_name, name, number) DO NOTHING"_s);
    int added = 0;
    for (const SheetPupil &p : pupils) {
        add.bindValue(0, p.className);
        add.bindValue(1, p.name);
        add.bindValue(2, p.number.isNull() ? u""_s : p.number);
        if (!add.exec()) {
            const QString why = describe(add.lastError());
            control.exec(u"ROLLBACK"_s);
            return Result<int>::failure(why);
        }
        added += add.numRowsAffected() > 0 ? 1 : 0;
    }
    if (!control.exec(u"COMMIT"_s)) {
        const QString why = describe(control.lastError());
        control.exec(u"ROLLBACK"_s);
        return Result<int>::failure(why);
    }
    return Result<int>::success(added);
}

QList<SheetPupil> SheetHistory::pupils(const QString &className) {
    QSqlQuery q(QSqlDatabase::database(connection_));
    // Numbers as the class list writes them ("3", "12", "2023015"): shorter ones first, so 3 comes
    // before 12.
    const QString order = u" ORDER BY class_name, LENGTH(number), number, name"_s;
    if (className.isEmpty()) {
        q.prepare(u"SELECT id, class_name, name, number FROM pupils"_s + order);
    } else {
        q.prepare(u"SELECT id, class_name, name, number FROM pupils WHERE class_name = ?"_s + order);
        q.addBindValue(className);
    }
    QList<SheetPupil> found;
    if (q.exec())
        while (q.next())
            found.append(SheetPupil{q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(),
                                    q.value(3).toString()});
    return found;
}

QStringList SheetHistory::classes() {
    QSqlQuery q(QSqlDatabase::database(connection_));
    QStringList found;
    if (q.exec(u"SELECT DISTINCT class_name FROM pupils ORDER BY class_name"_s))
        while (q.next())
            found.append(q.value(0).toString());
    return found;
}

Status SheetHistory::mark(const QString &code, const QList<std::pair<int, bool>> &marks,
                          const QDateTime &when) {
    QSqlDatabase db = QSqlDatabase::database(connection_);
    QSqlQuery control(db);
    if (!beginWrite(control))
        return Status::failure(describe(control.lastError()));
    const auto fail = [&control](const QString &why) {
        control.exec(u"ROLLBACK"_s);
        return Status::failure(why);
    };
    QSqlQuery sheet(db);
    sheet.prepare(
        u"SELECT id, (SELECT COUNT(*) FROM items WHERE sheet_id = sheets.id) FROM sheets WHERE code = ?"_s);
    sheet.addBindValue(code);
    if (!sheet.exec())
        return fail(describe(sheet.lastError()));
    if (!sheet.next())
        return fail(u"出卷记录里没有卷号为 %1 的试卷"_s.arg(code));
    const qlonglong id = sheet.value(0).toLongLong();
    const int count = sheet.value(1).toInt();
    QVariantList ids, positions, corrects, times;
    for (const auto &[position, correct] : marks) {
        if (position < 0 || position >= count)
            return fail(u"试卷 %1 只有 %2 道题，没有第 %3 题"_s.arg(code).arg(count).arg(position + 1));
        ids << id;
        positions << position;
        corrects << (correct ? 1 : 0);
        times << when.toUTC().toString(Qt::ISODateWithMs);
    }
    QSqlQuery put(db);
    put.prepare(
        u"INSERT INTO marks (sheet_id, position, correct, marked) VALUES (?, ?, ?, ?) "
        u"ON CONFLICT (sheet_id, position) DO UPDATE SET correct = excluded.correct, marked = excluded.marked"_s);
    if (!runForRows(put, {ids, positions, corrects, times}))
        return fail(describe(put.lastError()));
    if (!control.exec(u"COMMIT"_s))
        return fail(describe(control.lastError()));
    return succeeded();
}

QList<MarkedItem> SheetHistory::marksOf(const QList<qint64> &pupilIds) {
    QList<MarkedItem> found;
    if (pupilIds.isEmpty())
        return found;
    QStringList marks;
    for (qsizetype i = 0; i < pupilIds.size(); ++i)
        marks.append(u"?"_s);
    QSqlQuery q(QSqlDatabase::database(connection_));
    q.setForwardOnly(true);
    q.prepare(
        u"SELECT sheets.pupil_id, sheets.code, marks.position, marks.correct, marks.marked, sheets.grade, "
        u"items.question, items.topic_code, items.answer, items.difficulty, items.question_key "
        u"FROM marks JOIN sheets ON sheets.id = marks.sheet_id "
        u"JOIN items ON items.sheet_id = marks.sheet_id AND items.position = marks.position "
        u"WHERE sheets.pupil_id IN ("_s +
        marks.join(u',') + u") ORDER BY marks.marked, sheets.code, marks.position"_s);
    for (const qint64 id : pupilIds)
        q.addBindValue(id);
    if (!q.exec())
        return found;
    while (q.next())
        found.append(MarkedItem{
            q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toInt(), q.value(3).toInt() != 0,
            QDateTime::fromString(q.value(4).toString(), Qt::ISODateWithMs).toLocalTime(), q.value(5).toInt(),
            q.value(6).toString(), q.value(7).toString(), q.value(8).toString(), q.value(9).toString(),
            static_cast<quint64>(q.value(10).toLongLong())});
    return found;
}
