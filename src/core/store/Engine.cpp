#include "Engine.h"

#include "Database.h"
#include "Errors.h"
#include "ProgramFolder.h"
#include "ServerAddress.h"
#include "Shop.h"
#include "SqlSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

QString PicturesFolder()
{
    return JoinPath(ProgramFolder(), QStringLiteral("Pictures"));
}

QString CoverPath(const QString& bh)
{
    // A number is a file name here: separators must not lead out of the folder.
    QString name = bh;
    name.replace(u'/', QStringLiteral("%2F")).replace(u'\\', QStringLiteral("%5C"));
    return JoinPath(PicturesFolder(), name + QStringLiteral(".jpg"));
}

namespace {
[[noreturn]] void CoverFailure(const QString& text)
{
    throw MovrntError(text, QStringLiteral("StoreCover"));
}

// A database file of this counter: one writer, the covers in the Pictures
// folder, the settings in the settings file.
class FileEngine final : public Engine
{
public:
    void createShop(const QString& location) const override { CreateEmptyDatabase(location); }
    QString display(const QString& location) const override { return location; }
    QList<std::pair<QString, QString>> whereLines(const QString& location) const override
    {
        return {{QStringLiteral("数据库"), location},
                {QStringLiteral("数据库大小"),
                 QStringLiteral("%1 MB").arg(double(QFileInfo(location).size()) / (1 << 20), 0, 'f',
                                             1)}};
    }
    bool keptInFile() const override { return true; }
    // The writing transaction holds the whole file already.
    QString forUpdate() const override { return {}; }
    bool sortsNullsFirst() const override { return true; }
    bool offsetReadsTable() const override { return false; }
    // SQLite's statistics keep no samples: a flag's two values look alike.
    QString partialIndexHint(const QString& index) const override
    {
        return QStringLiteral(" INDEXED BY ") + index;
    }
    QSqlDatabase openReader(const QString& location, const QString& name,
                            bool* refused) const override
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        *refused = false;
        if (QFileInfo(location).isFile()) { // never made by opening it
            db.setDatabaseName(location);
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
            db.open();
        }
        return db;
    }
    QString tableReadable(const QString& table) const override
    {
        return QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = '%1'")
            .arg(table);
    }
    bool keepsShopSettings() const override { return false; }
    QString shopSetting(const QString&) const override { return {}; }
    bool setShopSetting(const QString&, const QString&) const override { return false; }
    bool peopleAreLogins() const override { return false; }
    bool guardsLedgerOnWrite() const override { return false; }
    // Confined by SQLite's authorizer on a connection of its own.
    bool expertLogsIn() const override { return false; }

    void storeCover(Shop&, const QString& bh, const QString& source) const override
    {
        if (!QDir().mkpath(PicturesFolder()))
            CoverFailure(QStringLiteral("无法创建文件夹：") + PicturesFolder());
        const QString target = CoverPath(bh);
        const QString partial = target + QStringLiteral(".part");
        QFile::remove(partial);
        if (!QFile::copy(source, partial))
            CoverFailure(QStringLiteral("无法复制图片文件到 ") + target);
        QFile::remove(target);
        if (!QFile::rename(partial, target)) {
            QFile::remove(partial);
            CoverFailure(QStringLiteral("无法保存图片文件 ") + target);
        }
    }
    QByteArray coverBytes(Shop&, const QString& bh) const override { return CoverFileBytes(bh); }
    QString coverFile(const QString& bh) const override { return CoverPath(bh); }
    void dropCoversInTransaction(Shop&) const override {}
    void dropCoversCommitted(const QStringList& numbers) const override
    {
        for (const QString& bh : numbers)
            QFile::remove(CoverPath(bh));
    }

    QString changeStamp(Shop& shop) const override
    {
        return QStringLiteral("%1/%2/%3")
            .arg(shop.serial())
            .arg(RunScalar(shop, QStringLiteral("SELECT total_changes()")).toLongLong())
            .arg(RunScalar(shop, QStringLiteral("PRAGMA data_version")).toLongLong());
    }
    // This connection's writes are counted by temporary triggers (whatever
    // wrote them, a typed statement too), other connections' by data_version.
    CatalogueStamp catalogueStamp(Shop& shop) const override
    {
        static qint64 countedOn = -1;
        if (countedOn != shop.serial()) {
            RunSql(shop, QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS ydxx_writes (n INTEGER)"));
            if (!RunScalar(shop, QStringLiteral("SELECT n FROM ydxx_writes")).isValid())
                RunSql(shop, QStringLiteral("INSERT INTO ydxx_writes VALUES (0)"));
            for (const char* event : {"INSERT", "DELETE", "UPDATE OF zy, gj"})
                RunSql(shop, QStringLiteral(
                                 "CREATE TEMP TRIGGER IF NOT EXISTS \"ydxx_writes %1\" AFTER %1 ON"
                                 " main.ydxx BEGIN UPDATE ydxx_writes SET n = n + 1; END")
                                 .arg(QLatin1String(event)));
            countedOn = shop.serial();
        }
        return {QStringLiteral("%1/%2")
                    .arg(shop.serial())
                    .arg(RunScalar(shop, QStringLiteral("PRAGMA data_version")).toLongLong()),
                RunScalar(shop, QStringLiteral("SELECT n FROM ydxx_writes")).toLongLong()};
    }
    // A file has one counter.
    void ownScratchTable(Shop&, const QString&) const override {}
};

// A PostgreSQL server the counters share: rows locked by the reads that
// precede a write, the covers and the shop-wide settings in the shop's own
// tables, every write counted by the server's triggers.
class ServerEngine final : public Engine
{
public:
    void createShop(const QString& location) const override
    {
        const ServerAddress address = ParseServerUrl(location);
        const QString name = QStringLiteral("movrnt-create");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            address.apply(db);
            try {
                if (!db.open())
                    store::Fail(db.lastError(),
                                QStringLiteral("无法连接数据库服务器 ") + address.display());
                CreateServerShop(db);
            } catch (...) {
                db.close();
                db = {};
                QSqlDatabase::removeDatabase(name);
                throw;
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
    QString display(const QString& location) const override
    {
        return ParseServerUrl(location).display();
    }
    QList<std::pair<QString, QString>> whereLines(const QString& location) const override
    {
        QString address;
        try {
            address = ParseServerUrl(location).display();
        } catch (const MovrntError& error) {
            address = error.description();
        }
        return {{QStringLiteral("数据库"), QStringLiteral("数据库服务器 ") + address}};
    }
    bool keptInFile() const override { return false; }
    QString forUpdate() const override { return QStringLiteral(" FOR UPDATE"); }
    bool sortsNullsFirst() const override { return false; }
    bool offsetReadsTable() const override { return true; }
    // The server keeps the values' frequencies and finds the partial indexes itself.
    QString partialIndexHint(const QString&) const override { return {}; }
    QSqlDatabase openReader(const QString& location, const QString& name,
                            bool* refused) const override
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        *refused = false;
        try {
            ParseServerUrl(location).apply(db);
            *refused = !db.open() && LoginRefused(db.lastError().text());
        } catch (const MovrntError&) {
        }
        return db;
    }
    QString tableReadable(const QString& table) const override
    {
        return QStringLiteral("SELECT 1 FROM pg_class WHERE oid = to_regclass('%1') AND"
                              " has_table_privilege(oid, 'SELECT')")
            .arg(table);
    }
    bool keepsShopSettings() const override { return true; }
    QString shopSetting(const QString& name) const override
    {
        QSqlQuery query(settingsConnection());
        query.prepare(QStringLiteral("SELECT z FROM cssz WHERE mc = ?"));
        query.addBindValue(name);
        return query.exec() && query.next() ? query.value(0).toString() : QString();
    }
    bool setShopSetting(const QString& name, const QString& text) const override
    {
        // Empty is absent, as in the settings file.
        QSqlQuery query(settingsConnection());
        query.prepare(text.isEmpty()
                          ? QStringLiteral("DELETE FROM cssz WHERE mc = ?")
                          : QStringLiteral("INSERT INTO cssz (mc, z) VALUES (?, ?)"
                                           " ON CONFLICT (mc) DO UPDATE SET z = excluded.z"));
        query.addBindValue(name);
        if (!text.isEmpty())
            query.addBindValue(text);
        return query.exec();
    }
    bool peopleAreLogins() const override { return true; }
    bool guardsLedgerOnWrite() const override { return true; }
    bool expertLogsIn() const override { return true; }

    void storeCover(Shop& shop, const QString& bh, const QString& source) const override
    {
        QFile file(source);
        if (QFileInfo(source).size() > kMaxCoverBytes || !file.open(QIODevice::ReadOnly))
            CoverFailure(QStringLiteral("无法读取图片文件（或超过 %1 MB）：%2")
                             .arg(kMaxCoverBytes >> 20)
                             .arg(source));
        RunSql(shop,
               QStringLiteral("INSERT INTO fmtp (bh, tp) VALUES (?, ?)"
                              " ON CONFLICT (bh) DO UPDATE SET tp = excluded.tp"),
               {bh, file.readAll()});
    }
    QByteArray coverBytes(Shop& shop, const QString& bh) const override
    {
        return RunScalar(shop, QStringLiteral("SELECT tp FROM fmtp WHERE bh = ?"), {bh})
            .toByteArray();
    }
    QString coverFile(const QString&) const override { return {}; }
    // The covers go with the discs, in the same transaction.
    void dropCoversInTransaction(Shop& shop) const override
    {
        RunSql(shop, QStringLiteral("DELETE FROM fmtp WHERE NOT EXISTS"
                                    " (SELECT 1 FROM ydxx WHERE ydxx.bh = fmtp.bh)"));
    }
    void dropCoversCommitted(const QStringList&) const override {}

    // Every change of the shop moves a serial of the change log.
    QString changeStamp(Shop& shop) const override
    {
        return QStringLiteral("%1/%2")
            .arg(shop.serial())
            .arg(RunScalar(shop, QStringLiteral("SELECT SUM(xh) FROM bdjl")).toLongLong());
    }
    // A trigger counts every write, whichever counter made it.
    CatalogueStamp catalogueStamp(Shop& shop) const override
    {
        return {QString::number(shop.serial()),
                RunScalar(shop, QStringLiteral("SELECT xh FROM bdjl WHERE lb = 'ydxx_writes'"))
                    .toLongLong()};
    }
    // Each counter counts into a table of its own session, found before the shared one.
    void ownScratchTable(Shop& shop, const QString& table) const override
    {
        if (RunScalar(shop, QStringLiteral("SELECT to_regclass('pg_temp.%1') IS NULL").arg(table))
                .toBool())
            RunSql(shop, QStringLiteral("CREATE TEMP TABLE %1 (LIKE %1)").arg(table));
    }

private:
    // The shop's own connection once it is open; before that (the logon at
    // start-up) one of its own, still as whoever logs in now: the logon may
    // have changed that.
    static QSqlDatabase settingsConnection()
    {
        const QString own = QStringLiteral("movrnt-settings");
        Shop* shop = SessionShop();
        if (shop && !shop->engine().keptInFile() && shop->isOpen()) {
            if (QSqlDatabase::contains(own))
                QSqlDatabase::removeDatabase(own);
            return shop->connection();
        }
        QSqlDatabase db = QSqlDatabase::contains(own)
                              ? QSqlDatabase::database(own, false)
                              : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), own);
        try {
            const ServerAddress address = ParseServerUrl(ShopLocation());
            if (db.isOpen() && db.userName() == address.user)
                return db;
            db.close();
            address.apply(db);
            db.open();
        } catch (const MovrntError&) {
        }
        return db;
    }
};
} // namespace

QByteArray CoverFileBytes(const QString& bh)
{
    QFile file(CoverPath(bh));
    if (file.size() > kMaxCoverBytes || !file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

const Engine& EngineOf(const QString& location)
{
    static const FileEngine file;
    static const ServerEngine server;
    if (IsServerUrl(location))
        return server;
    return file;
}

const Engine& ChosenEngine()
{
    return EngineOf(ShopLocation());
}
