#include "Shop.h"

#include <QDateTime>
#include <QMap>
#include <QSqlQuery>
#include <QTimer>

// The change bus: what this program's operations announce once they commit,
// and what other connections committed, read from the change log.
namespace {
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
    "AddDisc",      "ModifyDisc", "DeleteDiscs",   "AddMember",     "ModifyMember", "DeleteMembers",
    "RentOut",      "Settle",     "DeleteRentals", "RepairRentals", "MemberLevels", "SaveSettings",
    "SavePassword", "Import",     "Restore",       "Reserve",       "Expert",
};
static_assert(std::size(kOperationNames) == size_t(ShopOperation::Expert) + 1);

ShopOperation OperationNamed(const QString& name)
{
    for (size_t i = 0; i < std::size(kOperationNames); ++i)
        if (name == QLatin1String(kOperationNames[i]))
            return ShopOperation(i);
    return ShopOperation::Expert; // written by hand: whatever a typed statement would be
}
} // namespace

QString ShopOperationName(ShopOperation operation)
{
    return QString::fromLatin1(kOperationNames[size_t(operation)]);
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
    // On a server the log is written once the change is committed: a row of
    // it held to the end of every counter's transaction made the counters
    // write one at a time. The file has one writer at a time anyway.
    if (!server_) {
        const QString kind = LogKind(change);
        RunSql(*this, QString::fromLatin1(kChangeLogStatement),
               {ShopOperationName(operation), kind});
        // Once committed, this change is announced here: looking outside must
        // not announce it again.
        pendingSerials_.insert(
            kind, RunScalar(*this, QStringLiteral("SELECT xh FROM bdjl WHERE lb = ?"), {kind})
                      .toLongLong());
    }
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
    if (server_) {
        // Each kind once, naming its last operation; a log that cannot be
        // written now only delays the other counters' refresh to the next change.
        QMap<QString, ShopOperation> kinds;
        for (const auto& [change, operation] : pending_)
            kinds.insert(LogKind(change), operation);
        for (auto it = kinds.cbegin(); it != kinds.cend(); ++it) {
            QSqlQuery log(connection());
            log.prepare(QString::fromLatin1(kChangeLogStatement) + QStringLiteral(" RETURNING xh"));
            log.addBindValue(ShopOperationName(it.value()));
            log.addBindValue(it.key());
            if (log.exec() && log.next())
                pendingSerials_.insert(it.key(), log.value(0).toLongLong());
        }
    }
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
