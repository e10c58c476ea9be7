#include "Database.h"

#include "Errors.h"
#include "Money.h"
#include "ServerAddress.h"
#include "Shop.h"
#include "ShopRules.h"
#include "ShopSchema.h"
#include "SqlSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlRecord>
#include <memory>
#include <sqlite3.h>

// Statements on a shop and on connections of their own, and the
// transactions that hold them together.
namespace store {
[[noreturn]] void Fail(const QSqlError& error, const QString& what)
{
    QString text = DatabaseErrorText(error);
    if (!what.isEmpty())
        text = what + (text.isEmpty() ? QString() : QStringLiteral("：") + text);
    throw MovrntError(text, kSource, error.nativeErrorCode());
}

} // namespace store

using namespace store;

namespace store {
void FailOn(const QSqlDatabase& db, const QSqlError& error, const QString& what)
{
    if (ConnectionLost(db))
        throw MovrntError(kConnectionLost + QStringLiteral("：") + error.text().trimmed(), kSource,
                          QStringLiteral("08006"));
    Fail(error, what);
}
} // namespace store

namespace {
// Outside a transaction, a connection found broken is made again first;
// then the shop must be open.
void Reconnected(Shop& shop)
{
    if (!shop.engine().keptInFile() && !shop.inTransaction() && !shop.closedOnPurpose() &&
        (!shop.isOpen() || ConnectionLost(shop.connection())))
        shop.reconnect();
    if (!shop.isOpen())
        throw MovrntError(QStringLiteral("数据库连接未打开"), kSource);
}
} // namespace

namespace store {
QSqlQuery Run(QSqlDatabase db, const QString& sql, const QVariantList& values)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // Without values, run as it stands: a server prepares only queries and
    // changes of rows, never a CREATE.
    if (values.isEmpty()) {
        if (!query.exec(sql))
            FailOn(db, query.lastError());
        return query;
    }
    if (!query.prepare(sql))
        FailOn(db, query.lastError());
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        FailOn(db, query.lastError());
    return query;
}

bool Exists(QSqlDatabase db, const QString& type, const QString& name)
{
    return Run(db, SchemaOf(db).existsQuery(type), {type, name}).next();
}

bool HasColumn(QSqlDatabase db, const QString& table, const QString& column)
{
    return Run(db, SchemaOf(db).hasColumnQuery(), {table, column}).next();
}

qint64 Scalar(QSqlDatabase db, const QString& sql)
{
    QSqlQuery query = Run(db, sql, {});
    return query.next() ? query.value(0).toLongLong() : 0;
}

// Every row of a statement to `row` until it returns false, read through
// QtSql; returns the number of columns.
int StepRows(QSqlDatabase db, const QString& sql, const QVariantList& values, const EachRow& row)
{
    QSqlQuery query = Run(db, sql, values);
    const int columns = query.record().count();
    while (query.next()) {
        QVariantList values;
        values.reserve(columns);
        for (int c = 0; c < columns; ++c)
            values << query.value(c);
        if (!row(std::move(values)))
            break;
    }
    return columns;
}
} // namespace store

QString DatabaseErrorText(const QSqlError& error)
{
    const QString text = error.text().trimmed();
    const QString code = error.nativeErrorCode();
    // A server names the rule a row broke: said as the file's trigger says it.
    if (const QString rule = RuleRefusal(text); !rule.isEmpty())
        return rule;
    // The shop's own checks on a server raise their words as a check's failure.
    if (code == u"23514") {
        static const QRegularExpression own(
            QStringLiteral("ERROR:\\s*(.*?)\\s*(CONTEXT:|\\(23514\\)|$)"),
            QRegularExpression::DotMatchesEverythingOption);
        if (const QRegularExpressionMatch match = own.match(text); match.hasMatch())
            return match.captured(1);
    }
    if (code == u"22003" || text.contains(QStringLiteral("integer overflow")))
        return kBeyondCounting; // a sum of amounts, each within the bound
    if (code == kLockTimeoutCode)
        return QStringLiteral(
                   "要修改的记录正被其他柜台（或专家操作方式）占用，等待 %1 秒后仍未释放，"
                   "请稍后再试")
            .arg(kLockTimeoutSeconds);
    static const std::pair<const char*, const char*> meanings[] = {
        {"42501", "数据库服务器上的这个用户没有所需的权限"},
        {"42P01", "数据库服务器上缺少所需的数据表"},
        {"42P07", "数据库服务器上已经有同名的数据表"},
        {"3F000", "数据库服务器上没有可以建立数据表的模式（schema）"},
        {"3D000", "数据库服务器上没有这个数据库"},
        {"28P01", "数据库服务器拒绝登录：用户名或密码不对"},
        {"28000", "数据库服务器拒绝登录：不允许这个用户从本机登录"},
        {"53100", "数据库服务器的磁盘已满"},
        {"57014", "语句已被取消或超时"},
    };
    for (const auto& [state, meaning] : meanings)
        if (code == QLatin1String(state))
            return QString::fromUtf8(meaning) + QStringLiteral("\n详细信息：") + text.simplified();
    return ConnectionFailureText(text);
}

QVariantList SelectKeys(Shop& shop, const QString& sql, const QVariantList& values)
{
    QSqlQuery query = RunSql(shop, sql + shop.engine().forUpdate(), values);
    QVariantList keys;
    while (query.next())
        keys << query.value(0);
    return keys;
}

qint64 DeleteByKeys(Shop& shop, const QString& table, const QString& column,
                    const QVariantList& keys, const RowsDone& progress)
{
    // Small enough for every engine's limit of values, large enough that a
    // million rows take a few thousand statements.
    constexpr qsizetype kChunk = 500;
    qint64 deleted = 0;
    for (qsizetype at = 0; at < keys.size(); at += kChunk) {
        const QVariantList chunk = keys.mid(at, kChunk);
        const QString marks =
            QStringLiteral("?") + QStringLiteral(", ?").repeated(chunk.size() - 1);
        deleted +=
            RunSql(shop,
                   QStringLiteral("DELETE FROM %1 WHERE %2 IN (%3)").arg(table, column, marks),
                   chunk)
                .numRowsAffected();
        if (progress && !progress(at + chunk.size(), keys.size()))
            throw WorkCancelled();
    }
    return deleted;
}

bool WorthRetrying(const MovrntError& error, int attempt)
{
    if (error.code() == kLockTimeoutCode)
        return attempt < 2; // once more: a lock held longer is no passing thing
    return error.code() == u"40001" || error.code() == u"40P01";
}

namespace {
StatementSeen statementSeen;
} // namespace

void store::BeforeStatement(Shop& shop, const QString& sql, const QVariantList& values)
{
    Reconnected(shop);
    if (statementSeen)
        statementSeen(sql, values);
}

StatementSeen SetStatementSeen(StatementSeen seen)
{
    std::swap(seen, statementSeen);
    return seen;
}

QSqlQuery RunSql(Shop& shop, const QString& sql, const QVariantList& values)
{
    BeforeStatement(shop, sql, values);
    return Run(shop.connection(), sql, values);
}

void ScanRows(const QString& location, const QString& sql, const QVariantList& values,
              const std::function<bool(const QVariantList&)>& row, const std::atomic_bool* stop)
{
    const EachRow each = [&row](QVariantList&& values) { return row(values); };
    if (IsServerUrl(location)) {
        const QString name = QStringLiteral("movrnt-scan-%1").arg(quintptr(&row));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            const auto closed = qScopeGuard([&db] { db.close(); });
            ParseServerUrl(location).apply(db);
            if (!db.open())
                Fail(db.lastError(), QStringLiteral("无法连接数据库服务器"));
            StepRows(db, sql, values, each);
        }
        QSqlDatabase::removeDatabase(name);
        return;
    }
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open_v2(QFile::encodeName(location).constData(), &raw,
                                       SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    const std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close_v2);
    if (opened != SQLITE_OK)
        throw MovrntError(QString::fromUtf8(sqlite3_errmsg(raw)), kSource);
    if (stop)
        sqlite3_progress_handler(
            raw, 1000,
            [](void* flag) { return static_cast<const std::atomic_bool*>(flag)->load() ? 1 : 0; },
            const_cast<std::atomic_bool*>(stop));
    StepRows(raw, sql, values, each);
}

FetchedRows FetchRows(Shop& shop, const QString& sql, const QVariantList& values)
{
    BeforeStatement(shop, sql, values);
    FetchedRows fetched;
    const QSqlDatabase db = shop.connection();
    const EachRow keep = [&fetched](QVariantList&& row) {
        fetched.rows << std::move(row);
        return true;
    };
    // Another engine than the file's: through QtSql.
    sqlite3* connection = SqliteHandle(db);
    fetched.columns =
        connection ? StepRows(connection, sql, values, keep) : StepRows(db, sql, values, keep);
    return fetched;
}

QVariant RunScalar(Shop& shop, const QString& sql, const QVariantList& values)
{
    QSqlQuery query = RunSql(shop, sql, values);
    return query.next() ? query.value(0) : QVariant();
}

Transaction::Transaction(Shop& shop) : shop_(&shop)
{
    Reconnected(shop);
    QSqlDatabase db = shop_->connection();
    // The file is written by one transaction at a time: taken at the start, a
    // read made in it cannot go stale before its write.
    if (shop_->engine().keptInFile()) {
        QSqlQuery begin(db);
        if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE")))
            Fail(begin.lastError(), QStringLiteral("无法开始事务"));
    } else if (!db.transaction()) {
        Fail(db.lastError(), QStringLiteral("无法开始事务"));
    } else {
        // A row or table another connection holds is waited for a few
        // seconds, never for as long as that one likes.
        QSqlQuery limit(db);
        if (!limit.exec(
                QStringLiteral("SET LOCAL lock_timeout = '%1s'").arg(kLockTimeoutSeconds))) {
            const QSqlError error = limit.lastError();
            db.rollback();
            Fail(error, QStringLiteral("无法开始事务"));
        }
    }
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
        shop_->rolledBack();
        // The server may have committed before the line broke: never redone blindly.
        if (ConnectionLost(db))
            throw MovrntError(kConnectionLost +
                                  QStringLiteral("，无法确定刚才的操作是否已经保存。请重新查询，"
                                                 "确认后再决定是否重做！"),
                              kSource, QStringLiteral("08007"));
        db.rollback();
        Fail(error, QStringLiteral("无法提交事务"));
    }
    shop_->committed();
}
