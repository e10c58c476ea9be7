#include "Database.h"

#include "SqlSupport.h"

#include <QLocale>
#include <QSqlDriver>
#include <libpq-fe.h>

// A server's rows read as the text libpq already holds: QtSql would make a
// value of every cell, which costs a long report more than the server's work.
namespace {
// The type numbers of the server's catalogue (pg_type.oid) that read otherwise than as they stand.
constexpr Oid kBool = 16, kFloat4 = 700, kFloat8 = 701, kNumeric = 1700;

// `?` outside quotes becomes `$n`, as QtSql's driver prepares it.
QByteArray Numbered(const QString& sql)
{
    QString out;
    out.reserve(sql.size() + 16);
    QChar quote;
    int n = 0;
    for (const QChar c : sql) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'?') {
            out += u'$' + QString::number(++n);
            continue;
        }
        out += c;
    }
    return out.toUtf8();
}

// A bound value as the text QtSql's driver writes it, or false when it
// writes something other than text (bytes, pictures).
bool ParameterText(const QVariant& value, QByteArray* text)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        *text = value.toBool() ? "true" : "false";
        return true;
    case QMetaType::Double:
    case QMetaType::Float:
        *text = QByteArray::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
        return true;
    case QMetaType::QByteArray:
        return false;
    default:
        *text = value.toString().toUtf8();
        return value.canConvert<QString>();
    }
}
} // namespace

namespace store {
PGconn* ServerHandle(const QSqlDatabase& db)
{
    if (!db.isOpen() || !db.driver())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    // The driver names the type as libpq's header spells its struct.
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

PGresult* ServerTextResult(const QSqlDatabase& db, const QString& sql, const QVariantList& values)
{
    PGconn* connection = ServerHandle(db);
    // A result of QtSql's still being read holds the line: QtSql reads this one.
    if (!connection || PQtransactionStatus(connection) == PQTRANS_ACTIVE)
        return nullptr;
    QList<QByteArray> texts(values.size());
    QList<const char*> pointers(values.size(), nullptr);
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (values.at(i).isNull())
            continue;
        if (!ParameterText(values.at(i), &texts[i]))
            return nullptr;
        pointers[i] = texts.at(i).constData();
    }
    // Types left to the server, as QtSql's prepared statements leave them.
    PGresult* result = PQexecParams(connection, Numbered(sql).constData(), int(values.size()),
                                    nullptr, pointers.constData(), nullptr, nullptr, 0);
    if (PQresultStatus(result) == PGRES_TUPLES_OK || PQresultStatus(result) == PGRES_COMMAND_OK)
        return result;
    const QSqlError error(QStringLiteral("QPSQL: Unable to create query"),
                          QString::fromUtf8(PQresultErrorMessage(result)).trimmed(),
                          QSqlError::StatementError,
                          QString::fromLatin1(PQresultErrorField(result, PG_DIAG_SQLSTATE)));
    PQclear(result);
    FailOn(db, error);
}

QString ServerText(const PGresult* result, int row, int column)
{
    if (PQgetisnull(result, row, column))
        return {};
    const char* text = PQgetvalue(result, row, column);
    switch (PQftype(result, column)) {
    case kBool:
        return text[0] == 't' ? QStringLiteral("true") : QStringLiteral("false");
    case kFloat4:
    case kFloat8:
    case kNumeric: // QtSql makes a double of it, then its shortest text
        return QString::number(
            QByteArray::fromRawData(text, PQgetlength(result, row, column)).toDouble(), 'g',
            QLocale::FloatingPointShortest);
    default:
        return QString::fromUtf8(text, PQgetlength(result, row, column));
    }
}
} // namespace store
