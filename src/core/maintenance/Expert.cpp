#include "Expert.h"

#include "store/Database.h"
#include "store/Errors.h"

#include <QSqlDriver>
#include <sqlite3.h>

namespace {
const QString kSource = QStringLiteral("SQL");

sqlite3* Handle()
{
    const QVariant handle = DbConnection().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw MovrntError(QStringLiteral("数据库连接未打开"), kSource);
    return *static_cast<sqlite3* const*>(handle.constData());
}
} // namespace

TypedStatement ReadTypedStatement(const QString& text)
{
    sqlite3* db = Handle();
    const QByteArray bytes = text.toUtf8();
    const char* tail = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, bytes.constData(), int(bytes.size()), &statement, &tail) !=
        SQLITE_OK)
        throw MovrntError(QString::fromUtf8(sqlite3_errmsg(db)), kSource);
    if (!statement)
        throw MovrntError(QStringLiteral("没有可执行的SQL语句"), kSource);
    TypedStatement typed;
    typed.sql = QString::fromUtf8(bytes.constData(), int(tail - bytes.constData())).trimmed();
    while (typed.sql.endsWith(u';'))
        typed.sql = typed.sql.chopped(1).trimmed();
    typed.readOnly = sqlite3_stmt_readonly(statement) != 0;
    for (int c = 0; c < sqlite3_column_count(statement); ++c)
        typed.columns << QString::fromUtf8(sqlite3_column_name(statement, c));
    sqlite3_finalize(statement);
    // Whatever follows must be blanks or comments only.
    const char* end = bytes.constData() + bytes.size();
    while (tail < end) {
        sqlite3_stmt* next = nullptr;
        const char* after = nullptr;
        if (sqlite3_prepare_v2(db, tail, int(end - tail), &next, &after) != SQLITE_OK || next) {
            sqlite3_finalize(next);
            throw MovrntError(QStringLiteral("一次只能执行一条SQL语句：第一条语句之后还有其他语句"),
                              kSource);
        }
        if (after == tail)
            break;
        tail = after;
    }
    return typed;
}

void RunTypedStatement(const TypedStatement& statement)
{
    RunSql(statement.sql);
}

QString TypedRowsSource(const TypedStatement& statement)
{
    // On lines of their own, so a comment at the end cannot swallow the ')'.
    return QStringLiteral("(\n") + statement.sql + QStringLiteral("\n) AS typed");
}
