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

Shop* session = nullptr;
qint64 openings = 0;

[[noreturn]] void Fail(const QSqlError& error, const QString& what)
{
    const QString text = DatabaseErrorText(error);
    throw MovrntError(what + (text.isEmpty() ? QString() : QStringLiteral("：") + text), kSource);
}
} // namespace

Shop::Shop(const QString& path, const UpgradeProgress& progress)
    : path_(path), events_(std::make_unique<ShopEvents>())
{
    connectionName_ = QStringLiteral("movrnt-%1").arg(++openings);
    open(progress);
}

std::unique_ptr<Shop> Shop::Create(const QString& location)
{
    EngineOf(location).createShop(location);
    return std::make_unique<Shop>(location);
}

bool Shop::superuser() const
{
    if (!server_)
        return false;
    QSqlQuery query(connection());
    return query.exec(
               QStringLiteral("SELECT rolsuper FROM pg_roles WHERE rolname = current_user")) &&
           query.next() && query.value(0).toBool();
}

QString Shop::display() const
{
    return engine_->display(path_);
}

Shop::~Shop()
{
    close();
    if (session == this)
        session = nullptr;
}

Shop* SessionShop()
{
    return session;
}

void SetSessionShop(Shop* shop)
{
    session = shop;
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
    QObject::connect(
        driver, &QSqlDriver::notification, events_.get(),
        [this, pacer](const QString& channel, QSqlDriver::NotificationSource,
                      const QVariant& payload) {
            static const QStringList tables = {QStringLiteral("ydxx"), QStringLiteral("zjxx"),
                                               QStringLiteral("hyxx"), QStringLiteral("bdjl")};
            if (channel != u"movrnt" || !tables.contains(payload.toString()) || pacer->isActive())
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
    engine_ = &EngineOf(path_);
    server_ = !engine_->keptInFile();
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
        throw MovrntError(
            QStringLiteral("找不到数据库文件：%1。请把本系统的空数据库文件 MOVRNT.db（安装后在 "
                           "/usr/share/movrnt/ 中有一份）或备份的数据库复制到文件夹 %2 中，"
                           "或用 --home 指定存放数据库的文件夹。")
                .arg(path_, QFileInfo(path_).absolutePath()),
            kSource);
    if (!info.isFile() || !info.isReadable())
        throw MovrntError(QStringLiteral("无法读取数据库文件：") + path_, kSource);
    // SQLite would open either read-only and refuse only the first rental;
    // the write-ahead log beside the file needs the folder too.
    if (!info.isWritable())
        throw MovrntError(QStringLiteral("数据库文件是只读的，无法保存任何记录：") + path_,
                          kSource);
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

void Shop::reconnect()
{
    Q_EMIT events_->connectionStatus(
        QStringLiteral("与数据库服务器的连接已中断，正在重新连接 ..."));
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
