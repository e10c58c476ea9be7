#pragma once

// What the store's own files share: statements run on a connection given,
// failures said in the shop's words, and the questions asked of a database's
// catalogue. Not for the rest of the program, which runs on the shop.

#include "Database.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <functional>

struct sqlite3;
struct pg_conn;
struct pg_result;
class Shop;

namespace store {
// What messages name as the failing part.
inline const QString kSource = QStringLiteral("MOVRNT.db");
inline const QString kConnectionLost = QStringLiteral("与数据库服务器的连接已中断");

// Throws the database's refusal, in the shop's words after `what`.
[[noreturn]] void Fail(const QSqlError& error, const QString& what = {});
// The same, saying first when the connection broke.
[[noreturn]] void FailOn(const QSqlDatabase& db, const QSqlError& error, const QString& what = {});
// Runs a statement (prepared when it has values) on a connection; throws
// MovrntError, saying first when the connection broke.
QSqlQuery Run(QSqlDatabase db, const QString& sql, const QVariantList& values);
// Before a statement of the shop's connection: a broken line made again
// (outside a transaction), and the statement shown to whoever watches them.
void BeforeStatement(Shop& shop, const QString& sql, const QVariantList& values);
// A table, index, trigger or (on a server) constraint of that name exists
// in the shop's schema.
bool Exists(QSqlDatabase db, const QString& type, const QString& name);
bool HasColumn(QSqlDatabase db, const QString& table, const QString& column);
// The first column of the first row, 0 when none.
qint64 Scalar(QSqlDatabase db, const QString& sql);

// Every row of a statement to `row` until it returns false; returns the
// number of columns. Through QtSql, or straight through SQLite's API.
using EachRow = std::function<bool(QVariantList&& row)>;
int StepRows(QSqlDatabase db, const QString& sql, const QVariantList& values, const EachRow& row);
int StepRows(sqlite3* connection, const QString& sql, const QVariantList& values,
             const EachRow& row);
// The SQLite handle under a QtSql connection; null for another engine.
sqlite3* SqliteHandle(const QSqlDatabase& db);
// The libpq connection under an open QtSql connection; null for another engine.
pg_conn* ServerHandle(const QSqlDatabase& db);
// A statement's whole result in the server's text, values bound as QtSql's
// driver binds them; null where QtSql must read it (a result of its own
// still being read, a value of bytes). Throws the server's refusal.
pg_result* ServerTextResult(const QSqlDatabase& db, const QString& sql, const QVariantList& values);
// A cell as the text QVariant::toString() makes of QtSql's value for it.
QString ServerText(const pg_result* result, int row, int column);
} // namespace store
