#include "Database.h"

#include "Errors.h"
#include "ProgramFolder.h"
#include "Shop.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <memory>
#include <sqlite3.h>

namespace {
const QString kSource = QStringLiteral("MOVRNT.db");

// Column order is the physical order: statements without column lists rely on it.
const char* const kSchema[] = {
    "CREATE TABLE ydxx (bh TEXT PRIMARY KEY NOT NULL, pm TEXT, lx TEXT, ydlx TEXT, zy TEXT,"
    " gj TEXT, rkrq TEXT, sfycz TEXT, nrjj TEXT)",
    "CREATE TABLE zjxx (zdbh INTEGER PRIMARY KEY AUTOINCREMENT, bh TEXT, czrq TEXT, ghrq TEXT,"
    " yjje TEXT, sfyh TEXT, hybh TEXT)",
    "CREATE TABLE hyxx (hybh TEXT PRIMARY KEY NOT NULL, hyxm TEXT, hyxb TEXT, hyzz TEXT,"
    " lxdh TEXT, hydj INTEGER, zjje REAL, yjje REAL, yjps INTEGER, rhrq TEXT)",
    "CREATE TABLE ydbl (gspl INTEGER, aqpl INTEGER, xjpl INTEGER, dzpl INTEGER, kbpl INTEGER,"
    " khpl INTEGER, khpl2 INTEGER, dhpl INTEGER, qtpl INTEGER)",
    "CREATE TABLE ndyj (ydlx TEXT, m1 INTEGER, m2 INTEGER, m3 INTEGER, m4 INTEGER, m5 INTEGER,"
    " m6 INTEGER, m7 INTEGER, m8 INTEGER, m9 INTEGER, m10 INTEGER, m11 INTEGER, m12 INTEGER)",
};

// The change log: one row a kind of change, its serial moved on by every
// committed change, so that other connections learn what changed and how.
const char* const kChangeLog[] = {
    "CREATE TABLE IF NOT EXISTS bdjl (lb TEXT PRIMARY KEY NOT NULL, xh INTEGER NOT NULL, cz TEXT)",
    "INSERT OR IGNORE INTO bdjl VALUES ('ydxx', 0, NULL), ('hyxx', 0, NULL), ('zjxx', 0, NULL),"
    " ('sjk', 0, NULL)",
};

// Indexes are added to older files as well as new ones, so they are kept apart
// from the tables and made idempotent. Every condition and every sort the
// windows offer has one: a sort reads its pages in index order (the rowid,
// last in every index, breaks ties).
const char* const kIndexes[] = {
    "CREATE INDEX IF NOT EXISTS ydxx_ydlx ON ydxx (ydlx)",
    "CREATE INDEX IF NOT EXISTS ydxx_pm ON ydxx (pm)",
    "CREATE INDEX IF NOT EXISTS ydxx_gj ON ydxx (gj)",
    "CREATE INDEX IF NOT EXISTS ydxx_rkrq ON ydxx (rkrq)",
    "CREATE INDEX IF NOT EXISTS ydxx_lx ON ydxx (lx)",
    "CREATE INDEX IF NOT EXISTS ydxx_sfycz ON ydxx (sfycz)",
    "CREATE INDEX IF NOT EXISTS ydxx_zy ON ydxx (zy)",
    "CREATE INDEX IF NOT EXISTS ydxx_sort ON ydxx (ydlx, rkrq, lx)",
    "CREATE INDEX IF NOT EXISTS zjxx_disc ON zjxx (bh)",
    "DROP INDEX IF EXISTS zjxx_bh",
    "CREATE INDEX IF NOT EXISTS zjxx_returned ON zjxx (sfyh)",
    "CREATE INDEX IF NOT EXISTS zjxx_open ON zjxx (sfyh, czrq)",
    // The reports of what is out join the open rentals to their disc or member.
    "CREATE INDEX IF NOT EXISTS zjxx_open_disc ON zjxx (sfyh, bh)",
    "CREATE INDEX IF NOT EXISTS zjxx_open_member ON zjxx (sfyh, hybh)",
    // The figures and charts count a month's or a year's rentals by their
    // disc's type or genre: read from these two alone, without the tables.
    "CREATE INDEX IF NOT EXISTS zjxx_day_disc ON zjxx (czrq, bh)",
    "CREATE INDEX IF NOT EXISTS ydxx_disc_kind ON ydxx (bh, lx, ydlx)",
    "CREATE INDEX IF NOT EXISTS zjxx_member ON zjxx (hybh)",
    "DROP INDEX IF EXISTS zjxx_hybh",
    "CREATE INDEX IF NOT EXISTS zjxx_czrq ON zjxx (czrq)",
    "CREATE INDEX IF NOT EXISTS zjxx_ghrq ON zjxx (ghrq)",
    "CREATE INDEX IF NOT EXISTS zjxx_yjje ON zjxx (yjje)",
    "CREATE INDEX IF NOT EXISTS hyxx_hyxm ON hyxx (hyxm)",
    "CREATE INDEX IF NOT EXISTS hyxx_hyxb ON hyxx (hyxb)",
    "CREATE INDEX IF NOT EXISTS hyxx_hyzz ON hyxx (hyzz)",
    "CREATE INDEX IF NOT EXISTS hyxx_lxdh ON hyxx (lxdh)",
    "CREATE INDEX IF NOT EXISTS hyxx_hydj ON hyxx (hydj)",
    "CREATE INDEX IF NOT EXISTS hyxx_zjje ON hyxx (zjje)",
    "CREATE INDEX IF NOT EXISTS hyxx_yjje ON hyxx (yjje)",
    "CREATE INDEX IF NOT EXISTS hyxx_yjps ON hyxx (yjps)",
    "CREATE INDEX IF NOT EXISTS hyxx_rhrq ON hyxx (rhrq)",
    "CREATE INDEX IF NOT EXISTS hyxx_joined ON hyxx (rhrq, hybh)",
};

[[noreturn]] void Fail(const QSqlError& error, const QString& what = {})
{
    QString text = error.text().trimmed();
    if (!what.isEmpty())
        text = what + (text.isEmpty() ? QString() : QStringLiteral("：") + text);
    throw MovrntError(text, kSource);
}

QSqlQuery Run(QSqlDatabase db, const QString& sql, const QVariantList& values)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        Fail(query.lastError());
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        Fail(query.lastError());
    return query;
}

bool Exists(QSqlDatabase db, const QString& type, const QString& name)
{
    QSqlQuery query =
        Run(db, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = ? AND name = ?"),
            {type, name});
    return query.next();
}

qint64 Scalar(QSqlDatabase db, const QString& sql)
{
    QSqlQuery query = Run(db, sql, {});
    return query.next() ? query.value(0).toLongLong() : 0;
}

// The planner needs row counts to choose between a condition's index and a
// sort's: a table without statistics, or one that has more than doubled
// since they were taken, is analysed again. Small tables do without.
bool NeedsStatistics(QSqlDatabase db)
{
    const bool haveStats = Exists(db, QStringLiteral("table"), QStringLiteral("sqlite_stat1"));
    for (const char* table : {"ydxx", "zjxx", "hyxx"}) {
        const qint64 rows =
            Scalar(db, QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table)));
        if (rows < 1000)
            continue;
        if (!haveStats)
            return true;
        QSqlQuery stat =
            Run(db, QStringLiteral("SELECT stat FROM sqlite_stat1 WHERE tbl = ? LIMIT 1"),
                {QString::fromLatin1(table)});
        if (!stat.next() || stat.value(0).toString().section(u' ', 0, 0).toLongLong() * 2 < rows)
            return true;
    }
    return false;
}

// What an older file still lacks: indexes to build or replace, statistics.
QStringList UpgradeSteps(QSqlDatabase db)
{
    QStringList steps;
    for (const char* sql : kIndexes) {
        const QString statement = QString::fromLatin1(sql);
        const bool drop = statement.startsWith(QStringLiteral("DROP"));
        const QString name = statement.section(u' ', drop ? 4 : 5, drop ? 4 : 5);
        if (Exists(db, QStringLiteral("index"), name) == drop)
            steps << statement;
    }
    if (!Exists(db, QStringLiteral("table"), QStringLiteral("bdjl")))
        for (const char* sql : kChangeLog)
            steps << QString::fromLatin1(sql);
    if (NeedsStatistics(db))
        steps << QStringLiteral("ANALYZE");
    return steps;
}

void ApplyPragmas(QSqlDatabase db)
{
    Run(db, QStringLiteral("PRAGMA journal_mode=WAL"), {});
    Run(db, QStringLiteral("PRAGMA synchronous=FULL"), {});
    Run(db, QString::fromLatin1(PageCachePragma()), {});
}

void Upgrade(QSqlDatabase db, const UpgradeProgress& progress)
{
    const QStringList steps = UpgradeSteps(db);
    for (qsizetype i = 0; i < steps.size(); ++i) {
        if (progress)
            progress(int(i), int(steps.size()));
        Run(db, steps[i], {});
    }
    if (progress && !steps.isEmpty())
        progress(int(steps.size()), int(steps.size()));
}
} // namespace

const char* const kChangeLogStatement = "UPDATE bdjl SET xh = xh + 1, cz = ? WHERE lb = ?";

QByteArray PageCachePragma()
{
    return "PRAGMA cache_size=" + QByteArray::number(-kPageCacheKiB);
}

const QList<std::pair<QString, QStringList>>& ShopTables()
{
    static const QList<std::pair<QString, QStringList>> tables = {
        {"ydxx", {"bh", "pm", "lx", "ydlx", "zy", "gj", "rkrq", "sfycz", "nrjj"}},
        {"zjxx", {"zdbh", "bh", "czrq", "ghrq", "yjje", "sfyh", "hybh"}},
        {"hyxx", {"hybh", "hyxm", "hyxb", "hyzz", "lxdh", "hydj", "zjje", "yjje", "yjps", "rhrq"}},
        {"ydbl", {}},
        {"ndyj", {}},
    };
    return tables;
}

QString DatabasePath()
{
    return JoinPath(ProgramFolder(), QStringLiteral("MOVRNT.db"));
}

void CreateEmptyDatabase(const QString& path)
{
    if (QFileInfo::exists(path))
        throw MovrntError(QStringLiteral("数据库文件已存在：") + path, kSource);
    const QString name = QStringLiteral("movrnt-create");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            Fail(db.lastError(), QStringLiteral("无法创建数据库文件 ") + path);
        try {
            for (const char* sql : kSchema)
                Run(db, QString::fromLatin1(sql), {});
            for (const char* sql : kChangeLog)
                Run(db, QString::fromLatin1(sql), {});
            ApplyPragmas(db);
            Upgrade(db, {});
            Run(db, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"), {});
        } catch (...) {
            db.close();
            QSqlDatabase::removeDatabase(name);
            throw;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    KeepPrivate(path, false);
}

void PrepareShopConnection(QSqlDatabase db, const QString& path, const UpgradeProgress& progress)
{
    // A file that is not a database only shows itself on the first read.
    for (const auto& [table, columns] : ShopTables()) {
        bool found = false;
        try {
            found = Exists(db, QStringLiteral("table"), table);
        } catch (const MovrntError& error) {
            throw MovrntError(QStringLiteral("数据库文件已损坏，或不是本系统的数据库：%1（%2）")
                                  .arg(path, error.description()),
                              kSource);
        }
        if (!found)
            throw MovrntError(
                QStringLiteral("数据库文件缺少数据表 ") + table + QStringLiteral("：") + path,
                kSource);
    }
    ApplyPragmas(db);
    Upgrade(db, progress);
}

namespace {
std::unique_ptr<Shop> standing;
}

void OpenDatabase(const UpgradeProgress& progress)
{
    OpenDatabase(DatabasePath(), progress);
}

void OpenDatabase(const QString& path, const UpgradeProgress& progress)
{
    standing.reset();
    standing = std::make_unique<Shop>(path, progress);
}

void CloseDatabase()
{
    standing.reset();
}

bool IsDatabaseOpen()
{
    return Shop::InUse() && Shop::InUse()->isOpen();
}

QSqlDatabase DbConnection()
{
    return Shop::InUse() ? Shop::InUse()->connection() : QSqlDatabase();
}

qint64 ConnectionSerial()
{
    return Shop::InUse() ? Shop::InUse()->serial() : 0;
}

QSqlQuery RunSql(const QString& sql, const QVariantList& values)
{
    if (!IsDatabaseOpen())
        throw MovrntError(QStringLiteral("数据库连接未打开"), kSource);
    return Run(DbConnection(), sql, values);
}

namespace {
sqlite3* SqliteHandle(const QSqlDatabase& db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

// Binds as QtSql's SQLite driver does, so both paths compare alike.
int Bind(sqlite3_stmt* statement, int index, const QVariant& value)
{
    if (value.isNull())
        return sqlite3_bind_null(statement, index);
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return sqlite3_bind_int64(statement, index, value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlite3_bind_double(statement, index, value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return sqlite3_bind_blob(statement, index, bytes.constData(), int(bytes.size()),
                                 SQLITE_TRANSIENT);
    }
    default: {
        const QString text = value.toString();
        return sqlite3_bind_text16(statement, index, text.utf16(), int(text.size() * 2),
                                   SQLITE_TRANSIENT);
    }
    }
}

} // namespace

QVariant SqliteColumnValue(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return qint64(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(statement, column);
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, column)),
                          sqlite3_column_bytes(statement, column));
    case SQLITE_NULL: {
        // A null of the column's declared type, as QtSql gives it.
        const char* declared = sqlite3_column_decltype(statement, column);
        if (!declared)
            return QVariant();
        const QByteArray type = QByteArray(declared).toLower();
        if (type == "integer" || type == "int")
            return QVariant(QMetaType::fromType<int>());
        if (type == "double" || type == "float" || type == "real" || type.startsWith("numeric"))
            return QVariant(QMetaType::fromType<double>());
        if (type == "blob")
            return QVariant(QMetaType::fromType<QByteArray>());
        return QVariant(QMetaType::fromType<QString>());
    }
    default: // UTF-8 as stored; Qt's decoder is quicker than a UTF-16 copy made by SQLite
        return QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
            sqlite3_column_bytes(statement, column));
    }
}

FetchedRows FetchRows(const QString& sql, const QVariantList& values)
{
    if (!IsDatabaseOpen())
        throw MovrntError(QStringLiteral("数据库连接未打开"), kSource);
    FetchedRows fetched;
    const QSqlDatabase db = DbConnection();
    sqlite3* connection = SqliteHandle(db);
    if (!connection) { // another engine: through QtSql
        QSqlQuery query = Run(db, sql, values);
        fetched.columns = query.record().count();
        while (query.next()) {
            QVariantList row;
            row.reserve(fetched.columns);
            for (int c = 0; c < fetched.columns; ++c)
                row << query.value(c);
            fetched.rows << row;
        }
        return fetched;
    }
    const auto failed = [connection] {
        throw MovrntError(QString::fromUtf8(sqlite3_errmsg(connection)), kSource);
    };
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare16_v2(connection, sql.utf16(), int(sql.size() * 2), &raw, nullptr) !=
        SQLITE_OK)
        failed();
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
    for (int i = 0; i < values.size(); ++i)
        if (Bind(raw, i + 1, values.at(i)) != SQLITE_OK)
            failed();
    fetched.columns = sqlite3_column_count(raw);
    for (;;) {
        const int rc = sqlite3_step(raw);
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW)
            failed();
        QVariantList row;
        row.reserve(fetched.columns);
        for (int c = 0; c < fetched.columns; ++c)
            row << SqliteColumnValue(raw, c);
        fetched.rows << row;
    }
    return fetched;
}

QVariant RunScalar(const QString& sql, const QVariantList& values)
{
    QSqlQuery query = RunSql(sql, values);
    return query.next() ? query.value(0) : QVariant();
}

Transaction::Transaction()
{
    if (!IsDatabaseOpen())
        throw MovrntError(QStringLiteral("数据库连接未打开"), kSource);
    shop_ = Shop::InUse();
    if (!shop_->connection().transaction())
        Fail(shop_->connection().lastError(), QStringLiteral("无法开始事务"));
    ++shop_->transactions_;
    open_ = true;
}

Transaction::~Transaction()
{
    if (!open_)
        return;
    --shop_->transactions_;
    shop_->rolledBack();
    if (shop_->isOpen())
        shop_->connection().rollback();
}

void Transaction::commit()
{
    if (!open_)
        return;
    open_ = false;
    --shop_->transactions_;
    QSqlDatabase db = shop_->connection();
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        db.rollback();
        shop_->rolledBack();
        Fail(error, QStringLiteral("无法提交事务"));
    }
    shop_->committed();
}
