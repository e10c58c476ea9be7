#include "Database.h"

#include "Errors.h"
#include "SqlSupport.h"

#include "Shop.h"

#include <QLocale>
#include <QSqlDriver>
#include <libpq-fe.h>
#include <memory>
#include <sqlite3.h>

// The file's rows read straight through SQLite's API: QtSql's copying of
// each value would cost a query window more than the engine's own work.
// A server's text rows are read from libpq's result (ServerRows.cpp).
namespace {
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

TextRows::TextRows(Shop& shop, const QString& sql, const QVariantList& values)
{
    store::BeforeStatement(shop, sql, values);
    sqlite3* connection = store::SqliteHandle(shop.connection());
    if (!connection) {
        result_ = store::ServerTextResult(shop.connection(), sql, values);
        if (!result_)
            query_ = store::Run(shop.connection(), sql, values);
        return;
    }
    if (sqlite3_prepare16_v2(connection, sql.utf16(), int(sql.size() * 2), &statement_, nullptr) !=
        SQLITE_OK)
        throw MovrntError(QString::fromUtf8(sqlite3_errmsg(connection)), store::kSource);
    for (int i = 0; i < values.size(); ++i)
        if (Bind(statement_, i + 1, values.at(i)) != SQLITE_OK)
            throw MovrntError(QString::fromUtf8(sqlite3_errmsg(connection)), store::kSource);
}

TextRows::~TextRows()
{
    sqlite3_finalize(statement_);
    PQclear(result_);
}

bool TextRows::next()
{
    if (result_)
        return ++row_ < PQntuples(result_);
    if (!statement_)
        return query_.next();
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        throw MovrntError(QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(statement_))),
                          store::kSource);
    return false;
}

QString TextRows::text(int column) const
{
    if (result_)
        return store::ServerText(result_, row_, column);
    if (!statement_)
        return query_.value(column).toString();
    switch (sqlite3_column_type(statement_, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return QString::number(sqlite3_column_int64(statement_, column));
    case SQLITE_FLOAT:
        return QString::number(sqlite3_column_double(statement_, column), 'g',
                               QLocale::FloatingPointShortest);
    default:
        return QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(statement_, column)),
            sqlite3_column_bytes(statement_, column));
    }
}

namespace store {
sqlite3* SqliteHandle(const QSqlDatabase& db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

int StepRows(sqlite3* connection, const QString& sql, const QVariantList& values,
             const EachRow& row)
{
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
    const int columns = sqlite3_column_count(raw);
    for (;;) {
        const int rc = sqlite3_step(raw);
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW)
            failed();
        QVariantList values;
        values.reserve(columns);
        for (int c = 0; c < columns; ++c)
            values << SqliteColumnValue(raw, c);
        if (!row(std::move(values)))
            break;
    }
    return columns;
}
} // namespace store
