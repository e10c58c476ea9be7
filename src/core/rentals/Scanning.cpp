#include "Scanning.h"
#include "core/store/Shop.h"

#include "core/store/Database.h"

#include <QSqlQuery>

void ScanBurst::key(QChar character, qint64 ms)
{
    if (burst_.isEmpty() || ms - last_ > kMaxGapMs)
        burst_.clear();
    burst_ += character;
    last_ = ms;
}

std::optional<QString> ScanBurst::enter(qint64 ms)
{
    const QString burst = std::exchange(burst_, QString());
    if (burst.size() < kMinLength || ms - last_ > kMaxGapMs)
        return std::nullopt;
    return burst;
}

ScanFound FindScanned(Shop& shop, const QString& number)
{
    if (RunScalar(shop, QStringLiteral("SELECT 1 FROM ydxx WHERE bh = ?"), {number}).isValid()) {
        QSqlQuery open =
            RunSql(shop, QStringLiteral("SELECT zdbh, hybh FROM zjxx WHERE bh = ? AND sfyh = '否'"),
                   {number});
        if (!open.next())
            return {Scanned::Disc, {}};
        return {open.value(1).toString() == u"/" ? Scanned::RentedToWalkIn
                                                 : Scanned::RentedToMember,
                open.value(0).toString()};
    }
    if (RunScalar(shop, QStringLiteral("SELECT 1 FROM hyxx WHERE hybh = ?"), {number}).isValid())
        return {Scanned::Member, {}};
    return {};
}
