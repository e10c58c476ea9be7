#pragma once

#include "Errors.h"

#include <QByteArray>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <atomic>
#include <functional>

// Pages the connection keeps in memory. SQLite's default of 2 MB holds a
// fraction of the disc table on a large shop, and a jump through a sorted grid
// then reads each row from the file again.
constexpr int kPageCacheKiB = 64 * 1024;
// The statement that gives a connection that cache.
QByteArray PageCachePragma();

// The database file in the program folder.
QString DatabasePath();
// Where this counter's shop is configured to be: a PostgreSQL URL when one
// was chosen (the command line, the local settings), else DatabasePath().
// What the main window opens, and where the logon and the shop-wide settings
// look before it has; code that holds a Shop asks it (path(), engine()).
QString ShopLocation();
void SetShopLocation(const QString& location);

// What a database's refusal means, said in the shop's words, its own words
// after it in brackets: a rule broken, a lock held too long, a right or a
// table missing on a server, a login refused.
QString DatabaseErrorText(const QSqlError& error);

// Makes a new database file with the shop's empty tables. Throws MovrntError.
void CreateEmptyDatabase(const QString& path);

// Called before each step of bringing an older file up to date (building an
// index, gathering statistics) and once when all `total` steps are done;
// never called when the file needs nothing.
using UpgradeProgress = std::function<void(int done, int total)>;

// The shop's tables with the columns, in order, of the three working tables
// (the chart scratch tables: empty lists).
const QList<std::pair<QString, QStringList>>& ShopTables();

// Why the server at a URL cannot serve as the shop's database (out of reach,
// refused, no shop's tables); empty when it can.
// Safe on a worker thread; a server that does not answer is given up on
// after `timeoutSeconds`.
QString ServerShopProblem(const QString& url, int timeoutSeconds = 10);

// Makes the shop's empty tables in an empty database on a server, in one
// transaction; a database that already holds them is refused. Throws MovrntError.
void CreateServerShop(QSqlDatabase db);
// The same within a transaction the caller holds.
void CreateServerTables(QSqlDatabase db);

// Checks that an opened file holds the shop's tables, sets the connection up
// and brings an older file up to date. Returns what the clerk must be told
// once: the rows an older shop holds that break the rules it now keeps.
// Throws MovrntError.
QString PrepareShopConnection(QSqlDatabase db, const QString& path,
                              const UpgradeProgress& progress);

// For programs without a main window (tools, tests, benchmarks): a shop on
// the database file in the program folder (or at a path), kept until
// CloseDatabase as the counter's session shop (SessionShop()). A missing file, one that is not a
// database, or one without the shop's tables is an error (MovrntError); none is ever created
// silently.
void OpenDatabase(const UpgradeProgress& progress = {}); // at ShopLocation()
void OpenDatabase(const QString& location, const UpgradeProgress& progress = {});
void CloseDatabase();

// The server's connection broke (the server restarted, the network dropped).
bool ConnectionLost(const QSqlDatabase& db);

// Called with every statement RunSql and FetchRows run from now on (tests
// read the plans of what the program really runs); returns the one before.
using StatementSeen = std::function<void(const QString& sql, const QVariantList& values)>;
StatementSeen SetStatementSeen(StatementSeen seen);

class Shop;

// Runs a statement with bound values on the shop's connection; throws
// MovrntError when the database rejects it.
QSqlQuery RunSql(Shop& shop, const QString& sql, const QVariantList& values = {});
// Every row of a query with bound values, each row a list of its values; on
// SQLite read straight through its API, since QtSql's copying of each value
// would cost a query window more than the engine's own work. Throws MovrntError.
struct FetchedRows
{
    int columns = 0;
    QList<QVariantList> rows;
};
FetchedRows FetchRows(Shop& shop, const QString& sql, const QVariantList& values = {});
// Every row of a query with bound values, read on a connection of its own
// to the shop at `location` (for a worker thread), in the types FetchRows
// gives; `row` returns false to stop, and on a file `stop` set stops the
// statement even before its first row (then it throws). Throws MovrntError.
void ScanRows(const QString& location, const QString& sql, const QVariantList& values,
              const std::function<bool(const QVariantList&)>& row,
              const std::atomic_bool* stop = nullptr);
// The rows of a statement read once from first to last, each cell as the
// text QVariant::toString() would make of it, read where the engine keeps
// it (on a file through SQLite's API, on a server as libpq's text: no value
// made of every cell). For reports and lists. Throws MovrntError.
class TextRows
{
public:
    TextRows(Shop& shop, const QString& sql, const QVariantList& values = {});
    ~TextRows();
    TextRows(const TextRows&) = delete;
    TextRows& operator=(const TextRows&) = delete;
    bool next();
    QString text(int column) const;

private:
    struct sqlite3_stmt* statement_ = nullptr;
    struct pg_result* result_ = nullptr;
    int row_ = -1;
    QSqlQuery query_;
};

// A column of the row a statement stands on, typed as QtSql types it.
struct sqlite3_stmt;
QVariant SqliteColumnValue(sqlite3_stmt* statement, int column);
// The first column of the first row of a query (an invalid QVariant when no row).
QVariant RunScalar(Shop& shop, const QString& sql, const QVariantList& values = {});

// The keys of the rows a statement selects, locked where counters share the
// shop; `sql` selects one column.
QVariantList SelectKeys(Shop& shop, const QString& sql, const QVariantList& values = {});
// Within the caller's transaction: deletes the rows of `table` whose `column`
// is one of `keys`, some hundreds a statement, telling `progress` the keys
// done after each. Returns the rows deleted.
qint64 DeleteByKeys(Shop& shop, const QString& table, const QString& column,
                    const QVariantList& keys, const RowsDone& progress = {});

// Statements that belong together: all of them or none. Begins on
// construction, rolls back on destruction unless commit() succeeded; the
// changes announced within it are announced once it has committed.
class Transaction
{
public:
    explicit Transaction(Shop& shop);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    class Shop* shop_ = nullptr;
    bool open_ = false;
};

// A transaction the server gave up on to keep others consistent (a
// serialization failure, a deadlock): run again as a whole, never half.
// `attempt`: the one that failed, from 1. A lock waited for in vain
// (kLockTimeoutCode) is tried once more.
bool WorthRetrying(const class MovrntError& error, int attempt);
constexpr int kTransactionAttempts = 3;
// How long a counter's transaction on a server waits for a lock.
constexpr int kLockTimeoutSeconds = 3;
inline const QString kLockTimeoutCode = QStringLiteral("55P03");

template <typename F> auto InTransaction(Shop& shop, F&& work)
{
    for (int attempt = 1;; ++attempt) {
        try {
            Transaction transaction(shop);
            if constexpr (std::is_void_v<decltype(work())>) {
                work();
                transaction.commit();
                return;
            } else {
                auto result = work();
                transaction.commit();
                return result;
            }
        } catch (const MovrntError& error) {
            if (attempt >= kTransactionAttempts || !WorthRetrying(error, attempt))
                throw;
        }
    }
}
