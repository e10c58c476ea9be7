#include "ServerCopy.h"

#include "store/Database.h"
#include "store/Errors.h"
#include "store/ServerAddress.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
const QString kSource = QStringLiteral("PostgreSQL");

[[noreturn]] void Fail(const QSqlError& error, const QString& what)
{
    throw MovrntError(what + QStringLiteral("：") + error.text().trimmed(), kSource);
}

// Two connections of their own, closed however the copy ends.
struct Connections
{
    QSqlDatabase from, to;
    ~Connections()
    {
        for (QSqlDatabase* db : {&from, &to}) {
            const QString name = db->connectionName();
            db->close();
            *db = {};
            if (!name.isEmpty())
                QSqlDatabase::removeDatabase(name);
        }
    }
};
} // namespace

void CopyShopToServer(const QString& file, const QString& url)
{
    const ServerAddress address = ParseServerUrl(url);
    if (!QFileInfo(file).isFile())
        throw MovrntError(QStringLiteral("找不到数据库文件：") + file, kSource);
    Connections c;
    c.from = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("movrnt-copy-from"));
    c.from.setDatabaseName(file);
    c.from.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!c.from.open())
        Fail(c.from.lastError(), QStringLiteral("无法打开数据库文件 ") + file);
    c.to = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("movrnt-copy-to"));
    address.apply(c.to);
    if (!c.to.open())
        Fail(c.to.lastError(), QStringLiteral("无法连接数据库服务器 ") + address.display());
    // The file read as of one moment, the server written in one transaction.
    if (!c.from.transaction() || !c.to.transaction())
        Fail(c.to.lastError(), QStringLiteral("无法开始事务"));
    CreateServerTables(c.to);
    for (const auto& [table, columns] : ShopTables()) {
        if (columns.isEmpty())
            continue; // the charts' scratch tables
        QSqlQuery read(c.from);
        read.setForwardOnly(true);
        // rowid: the discs and members keep the order they were entered in.
        const bool ordered = table != u"zjxx";
        if (!read.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                           .arg(columns.join(QStringLiteral(", ")), table)))
            Fail(read.lastError(), QStringLiteral("无法读取数据表 ") + table);
        QStringList marks(columns.size(), QStringLiteral("?"));
        QSqlQuery write(c.to);
        if (!write.prepare(QStringLiteral("INSERT INTO %1 (%2%3) VALUES (%4%5)")
                               .arg(table, columns.join(QStringLiteral(", ")),
                                    ordered ? QStringLiteral(", rowid") : QString(),
                                    marks.join(QStringLiteral(", ")),
                                    ordered ? QStringLiteral(", ?") : QString())))
            Fail(write.lastError(), QStringLiteral("无法写入数据表 ") + table);
        qint64 row = 0;
        while (read.next()) {
            for (int i = 0; i < columns.size(); ++i)
                write.bindValue(i, read.value(i));
            if (ordered)
                write.bindValue(int(columns.size()), ++row);
            if (!write.exec())
                Fail(write.lastError(), QStringLiteral("无法写入数据表 %1 的第 %2 条记录").arg(table).arg(row));
        }
        if (read.lastError().isValid())
            Fail(read.lastError(), QStringLiteral("无法读取数据表 ") + table);
    }
    // Numbers go on from the highest handed out, deleted rentals' included.
    QSqlQuery last(c.from);
    qint64 highest = 0;
    if (last.exec(QStringLiteral("SELECT MAX(n) FROM (SELECT seq AS n FROM sqlite_sequence WHERE"
                                 " name = 'zjxx' UNION ALL SELECT MAX(zdbh) FROM zjxx) AS s")) &&
        last.next())
        highest = last.value(0).toLongLong();
    for (const char* table : {"zjxx", "ydxx", "hyxx"}) {
        QSqlQuery sequence(c.to);
        const QString column = QString::fromLatin1(table) == u"zjxx" ? QStringLiteral("zdbh")
                                                                    : QStringLiteral("rowid");
        if (!sequence.exec(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', '%2'),"
                                          " GREATEST((SELECT MAX(%2) FROM %1), %3, 1))")
                               .arg(QLatin1String(table), column)
                               .arg(QString::fromLatin1(table) == u"zjxx" ? highest : 0)))
            Fail(sequence.lastError(), QStringLiteral("无法设置自动编号"));
    }
    if (!c.to.commit())
        Fail(c.to.lastError(), QStringLiteral("无法提交事务"));
    c.from.rollback();
}
