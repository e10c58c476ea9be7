#include "Shop.h"

#include "Errors.h"
#include "ServerAddress.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>

namespace {
const QString kSource = QStringLiteral("MOVRNT.db");

// Live shops, the one in use last.
QList<Shop*> shops;
qint64 openings = 0;

// The change log's row of each kind of change.
QString LogKind(ShopChange change)
{
    switch (change) {
    case ShopChange::Discs:
        return QStringLiteral("ydxx");
    case ShopChange::Members:
        return QStringLiteral("hyxx");
    case ShopChange::Rentals:
        return QStringLiteral("zjxx");
    case ShopChange::Settings:
        return QStringLiteral("cssz");
    case ShopChange::Database:
        break;
    }
    return QStringLiteral("sjk");
}

const char* const kOperationNames[] = {
    "AddDisc", "ModifyDisc",    "DeleteDiscs",  "AddMember",    "ModifyMember",
    "DeleteMembers", "RentOut", "Settle",       "DeleteRentals", "RepairRentals",
    "MemberLevels", "SaveSettings", "SavePassword", "Import", "Restore", "Expert",
};
static_assert(std::size(kOperationNames) == size_t(ShopOperation::Expert) + 1);

ShopOperation OperationNamed(const QString& name)
{
    for (size_t i = 0; i < std::size(kOperationNames); ++i)
        if (name == QLatin1String(kOperationNames[i]))
            return ShopOperation(i);
    return ShopOperation::Expert; // written by hand: whatever a typed statement would be
}

[[noreturn]] void Fail(const QSqlError& error, const QString& what)
{
    const QString text = DatabaseErrorText(error);
    throw MovrntError(what + (text.isEmpty() ? QString() : QStringLiteral("：") + text), kSource);
}
} // namespace

QString ShopOperationName(ShopOperation operation)
{
    return QString::fromLatin1(kOperationNames[size_t(operation)]);
}

Shop::Shop(const QString& path, const UpgradeProgress& progress)
    : path_(path), events_(std::make_unique<ShopEvents>())
{
    connectionName_ = QStringLiteral("movrnt-%1").arg(++openings);
    open(progress);
    shops.append(this);
}

std::unique_ptr<Shop> Shop::Create(const QString& location)
{
    if (!IsServerUrl(location)) {
        CreateEmptyDatabase(location);
        return std::make_unique<Shop>(location);
    }
    const ServerAddress address = ParseServerUrl(location);
    const QString name = QStringLiteral("movrnt-create");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        address.apply(db);
        try {
            if (!db.open())
                Fail(db.lastError(), QStringLiteral("无法连接数据库服务器 ") + address.display());
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
    return std::make_unique<Shop>(location);
}

bool Shop::superuser() const
{
    if (!server_)
        return false;
    QSqlQuery query(connection());
    return query.exec(QStringLiteral("SELECT rolsuper FROM pg_roles WHERE rolname = current_user")) &&
           query.next() && query.value(0).toBool();
}

QString Shop::display() const
{
    return server_ ? ParseServerUrl(path_).display() : path_;
}

Shop::~Shop()
{
    close();
    shops.removeOne(this);
}

Shop* Shop::InUse()
{
    return shops.isEmpty() ? nullptr : shops.last();
}

void Shop::openServer(const UpgradeProgress& progress)
{
    const ServerAddress address = ParseServerUrl(path_);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName_);
    address.apply(db);
    if (!db.open())
        Fail(db.lastError(), QStringLiteral("无法连接数据库服务器 ") + address.display());
    notice_ = PrepareShopConnection(db, address.display(), progress);
    // The other counters' changes come as notifications once they commit.
    QSqlDriver* driver = db.driver();
    if (!driver->subscribeToNotification(QStringLiteral("movrnt")))
        Fail(driver->lastError(), QStringLiteral("无法接收数据库服务器的通知"));
    // Anyone may notify the channel, as often as he likes: only a known
    // table's name counts, and the log is read at most once a second.
    auto* pacer = new QTimer(events_.get());
    pacer->setSingleShot(true);
    pacer->setInterval(1000);
    QObject::connect(pacer, &QTimer::timeout, events_.get(), [this] {
        lastNotified_ = QDateTime::currentMSecsSinceEpoch();
        lookOutside();
    });
    QObject::connect(driver, &QSqlDriver::notification, events_.get(),
                     [this, pacer](const QString& channel, QSqlDriver::NotificationSource,
                                   const QVariant& payload) {
                         static const QStringList tables = {QStringLiteral("ydxx"), QStringLiteral("zjxx"),
                                                            QStringLiteral("hyxx"), QStringLiteral("bdjl")};
                         if (channel != u"movrnt" || !tables.contains(payload.toString()) ||
                             pacer->isActive())
                             return;
                         if (QDateTime::currentMSecsSinceEpoch() - lastNotified_ >= 1000) {
                             lastNotified_ = QDateTime::currentMSecsSinceEpoch();
                             lookOutside();
                         } else {
                             pacer->start(); // the rest of this second's news, once
                         }
                     });
}

void Shop::open(const UpgradeProgress& progress)
{
    closed_ = false;
    server_ = IsServerUrl(path_);
    engine_ = &EngineOf(path_);
    if (server_) {
        try {
            openServer(progress);
        } catch (...) {
            close();
            throw;
        }
        serial_ = ++openings;
        transactions_ = 0;
        pending_.clear();
        pendingSerials_.clear();
        known_ = readSerials();
        return;
    }
    const QFileInfo info(path_);
    if (!info.exists())
        throw MovrntError(QStringLiteral("找不到数据库文件：%1。请把本系统的空数据库文件 MOVRNT.db（安装后在 "
                                         "/usr/share/movrnt/ 中有一份）或备份的数据库复制到文件夹 %2 中，"
                                         "或用 --home 指定存放数据库的文件夹。")
                              .arg(path_, QFileInfo(path_).absolutePath()),
                          kSource);
    if (!info.isFile() || !info.isReadable())
        throw MovrntError(QStringLiteral("无法读取数据库文件：") + path_, kSource);
    // SQLite would open either read-only and refuse only the first rental;
    // the write-ahead log beside the file needs the folder too.
    if (!info.isWritable())
        throw MovrntError(QStringLiteral("数据库文件是只读的，无法保存任何记录：") + path_, kSource);
    if (!QFileInfo(info.absolutePath()).isWritable())
        throw MovrntError(QStringLiteral("数据库所在的文件夹是只读的，无法保存任何记录：") +
                              info.absolutePath(),
                          kSource);
    try {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
        db.setDatabaseName(path_);
        if (!db.open())
            Fail(db.lastError(), QStringLiteral("无法打开数据库文件 ") + path_);
        notice_ = PrepareShopConnection(db, path_, progress);
        serial_ = ++openings;
        transactions_ = 0;
        pending_.clear();
        pendingSerials_.clear();
        known_ = readSerials();
        QSqlQuery version(db);
        dataVersion_ = version.exec(QStringLiteral("PRAGMA data_version")) && version.next()
                           ? version.value(0).toLongLong()
                           : -1;
    } catch (...) {
        close();
        throw;
    }
}

bool Shop::isOpen() const
{
    return QSqlDatabase::contains(connectionName_) &&
           QSqlDatabase::database(connectionName_, false).isOpen();
}

QSqlDatabase Shop::connection() const
{
    return QSqlDatabase::database(connectionName_, false);
}

void Shop::close()
{
    closed_ = true;
    if (!QSqlDatabase::contains(connectionName_))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName_);
}

void Shop::reopen(const UpgradeProgress& progress)
{
    close();
    open(progress);
}

void Shop::announceReplaced(ShopOperation operation)
{
    emitChange(ShopChange::Database, operation);
}

QHash<QString, qint64> Shop::readSerials()
{
    QHash<QString, qint64> serials;
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (query.exec(QStringLiteral("SELECT lb, xh FROM bdjl")))
        while (query.next())
            serials.insert(query.value(0).toString(), query.value(1).toLongLong());
    return serials;
}

void Shop::announce(ShopChange change, ShopOperation operation)
{
    const QString kind = LogKind(change);
    RunSql(QString::fromLatin1(kChangeLogStatement), {ShopOperationName(operation), kind});
    // Once committed, this change is announced here: looking outside must not
    // announce it again.
    pendingSerials_.insert(
        kind, RunScalar(QStringLiteral("SELECT xh FROM bdjl WHERE lb = ?"), {kind}).toLongLong());
    if (!pending_.contains(std::pair{change, operation}))
        pending_.append({change, operation});
}

void Shop::announceSettings(ShopOperation operation)
{
    if (server_) {
        QSqlQuery log(connection());
        log.prepare(QString::fromLatin1(kChangeLogStatement) + QStringLiteral(" RETURNING xh"));
        log.addBindValue(ShopOperationName(operation));
        log.addBindValue(LogKind(ShopChange::Settings));
        if (log.exec() && log.next())
            known_.insert(LogKind(ShopChange::Settings), log.value(0).toLongLong());
    }
    Q_EMIT events_->settingsChanged(operation);
}

void Shop::committed()
{
    for (auto it = pendingSerials_.cbegin(); it != pendingSerials_.cend(); ++it)
        known_.insert(it.key(), it.value());
    pendingSerials_.clear();
    const auto done = std::exchange(pending_, {});
    for (const auto& [change, operation] : done)
        emitChange(change, operation);
}

void Shop::emitChange(ShopChange change, ShopOperation operation)
{
    ShopEvents* events = events_.get();
    switch (change) {
    case ShopChange::Discs:
        Q_EMIT events->discsChanged(operation);
        break;
    case ShopChange::Members:
        Q_EMIT events->membersChanged(operation);
        break;
    case ShopChange::Rentals:
        Q_EMIT events->rentalsChanged(operation);
        break;
    case ShopChange::Settings:
        Q_EMIT events->settingsChanged(operation);
        break;
    case ShopChange::Database:
        Q_EMIT events->discsChanged(operation);
        Q_EMIT events->rentalsChanged(operation);
        Q_EMIT events->membersChanged(operation);
        Q_EMIT events->databaseReplaced(operation);
        break;
    }
}

void Shop::reconnect()
{
    Q_EMIT events_->connectionStatus(QStringLiteral("与数据库服务器的连接已中断，正在重新连接 ..."));
    const QHash<QString, qint64> known = known_;
    close();
    try {
        open({});
    } catch (const MovrntError& error) {
        closed_ = false; // broken still, not closed: tried again
        Q_EMIT events_->connectionStatus(QStringLiteral("无法连接数据库服务器，稍后将再试"));
        throw MovrntError(QStringLiteral("与数据库服务器的连接已中断，暂时无法重新连接：") +
                              error.description(),
                          kSource, QStringLiteral("08006"));
    }
    known_ = known;
    Q_EMIT events_->connectionStatus(QStringLiteral("已重新连接数据库服务器"));
    lookOutside(); // what the other counters did meanwhile
}

void Shop::lookOutside()
{
    if (transactions_ > 0)
        return;
    if (server_ && !closed_ && (!isOpen() || ConnectionLost(connection()))) {
        if (QDateTime::currentMSecsSinceEpoch() < nextReconnect_)
            return;
        nextReconnect_ = QDateTime::currentMSecsSinceEpoch() + 5000;
        try {
            reconnect();
        } catch (const MovrntError&) {
        }
        return;
    }
    if (!isOpen())
        return;
    if (!server_) { // a cheap look whether anyone wrote at all
        QSqlQuery version(connection());
        if (!version.exec(QStringLiteral("PRAGMA data_version")) || !version.next())
            return;
        const qint64 now = version.value(0).toLongLong();
        version.finish();
        if (now == dataVersion_)
            return;
        dataVersion_ = now;
    }
    QList<std::pair<ShopChange, ShopOperation>> changes;
    QSqlQuery log(connection());
    log.setForwardOnly(true);
    if (!log.exec(QStringLiteral("SELECT lb, xh, cz FROM bdjl")))
        return;
    while (log.next()) {
        const QString kind = log.value(0).toString();
        const qint64 serial = log.value(1).toLongLong();
        if (known_.value(kind, -1) == serial)
            continue;
        known_.insert(kind, serial);
        for (ShopChange change : {ShopChange::Discs, ShopChange::Members, ShopChange::Rentals,
                                  ShopChange::Database, ShopChange::Settings})
            if (LogKind(change) == kind)
                changes.append({change, OperationNamed(log.value(2).toString())});
    }
    log.finish();
    const auto replaced = std::find_if(changes.begin(), changes.end(), [](const auto& change) {
        return change.first == ShopChange::Database;
    });
    if (replaced != changes.end()) {
        emitChange(ShopChange::Database, replaced->second);
        return;
    }
    std::sort(changes.begin(), changes.end(),
              [](const auto& a, const auto& b) { return int(a.first) < int(b.first); });
    for (const auto& [change, operation] : changes)
        emitChange(change, operation);
}

void Shop::watch(int ms)
{
    if (!timer_) {
        timer_ = new QTimer(events_.get());
        QObject::connect(timer_, &QTimer::timeout, events_.get(), [this] { lookOutside(); });
    }
    timer_->start(ms);
}

void Announce(ShopChange change, ShopOperation operation)
{
    if (Shop* shop = Shop::InUse())
        shop->announce(change, operation);
}
