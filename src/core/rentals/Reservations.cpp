#include "Reservations.h"

#include "core/access/PassCheck.h"
#include "core/settings/Settings.h"
#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/Shop.h"

#include <QSqlQuery>

namespace {
const QString kSource = QStringLiteral("yyxx");

// The last day a hold made on it still stands: holds of earlier days lapsed.
QString HoldCutoff()
{
    return Today().addDays(-(HoldDays() - 1)).toString(QStringLiteral("yyyy-MM-dd"));
}

bool Exists(Shop& shop, const QString& sql, const QVariantList& values)
{
    return RunScalar(shop, sql, values).isValid();
}

// A disc that can be rented now: there, neither out, lost nor held.
const QString kFree = QStringLiteral(
    " NOT EXISTS (SELECT 1 FROM zjxx AS r WHERE r.bh = d.bh AND r.sfyh = '否') AND NOT EXISTS"
    " (SELECT 1 FROM ssjl AS s WHERE s.bh = d.bh AND s.sslx = '丢失') AND NOT EXISTS (SELECT 1"
    " FROM yyxx AS y WHERE y.blbh = d.bh AND y.zt = '已到' AND y.blrq >= ?)");

// Found within the transaction, which it rolls back.
struct Refused
{
    ReserveCheck why;
};

ReservationHold HoldOf(const QSqlQuery& query)
{
    return {query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString(),
            query.value(3).toString(),   query.value(4).toString(), query.value(5).toString()};
}
const QString kHoldColumns =
    QStringLiteral("SELECT y.yybh, y.blbh, y.pm, y.hybh, h.hyxm, h.lxdh FROM yyxx AS y LEFT JOIN"
                   " hyxx AS h ON h.hybh = y.hybh");
} // namespace

qint64 HoldDays()
{
    bool ok = false;
    const qint64 days = GetSetting(Setting::YYTS).toLongLong(&ok);
    return ok && days >= 1 && days <= 365 ? days : SettingDefault(Setting::YYTS).toLongLong();
}

ReserveCheck CheckReservation(Shop& shop, const ReservationRequest& request)
{
    if (request.hybh.isEmpty() ||
        !Exists(shop, QStringLiteral("SELECT 1 FROM hyxx WHERE hybh = ?"), {request.hybh}))
        return ReserveCheck::UnknownMember;
    if (request.bh.isEmpty() && request.pm.isEmpty())
        return ReserveCheck::NothingNamed;
    if (!request.bh.isEmpty()) {
        if (!Exists(shop, QStringLiteral("SELECT 1 FROM ydxx WHERE bh = ?"), {request.bh}))
            return ReserveCheck::UnknownDisc;
        if (Exists(shop,
                   QStringLiteral("SELECT 1 FROM ssjl WHERE bh = ? AND sslx = '丢失' LIMIT 1"),
                   {request.bh}))
            return ReserveCheck::LostDisc;
        if (Exists(shop, QStringLiteral("SELECT 1 FROM ydxx AS d WHERE d.bh = ? AND") + kFree,
                   {request.bh, HoldCutoff()}))
            return ReserveCheck::InShop;
        if (Exists(shop,
                   QStringLiteral("SELECT 1 FROM yyxx WHERE hybh = ? AND bh = ? AND zt IN"
                                  " ('等待', '已到') LIMIT 1"),
                   {request.hybh, request.bh}))
            return ReserveCheck::AlreadyReserved;
        return ReserveCheck::Ok;
    }
    if (!Exists(shop, QStringLiteral("SELECT 1 FROM ydxx WHERE pm = ? LIMIT 1"), {request.pm}))
        return ReserveCheck::UnknownTitle;
    if (Exists(shop,
               QStringLiteral("SELECT 1 FROM ydxx AS d WHERE d.pm = ? AND") + kFree +
                   QStringLiteral(" LIMIT 1"),
               {request.pm, HoldCutoff()}))
        return ReserveCheck::InShop;
    if (Exists(shop,
               QStringLiteral("SELECT 1 FROM yyxx WHERE hybh = ? AND bh = '' AND pm = ? AND zt IN"
                              " ('等待', '已到') LIMIT 1"),
               {request.hybh, request.pm}))
        return ReserveCheck::AlreadyReserved;
    return ReserveCheck::Ok;
}

QString ReserveCheckText(ReserveCheck check)
{
    switch (check) {
    case ReserveCheck::UnknownMember:
        return QStringLiteral("您输入的会员编号无效！");
    case ReserveCheck::NothingNamed:
        return QStringLiteral("请输入影碟编号或片名！");
    case ReserveCheck::UnknownDisc:
        return QStringLiteral("您输入的影碟编号无效！");
    case ReserveCheck::UnknownTitle:
        return QStringLiteral("影碟库中没有这个片名的影碟！");
    case ReserveCheck::LostDisc:
        return QStringLiteral("此影碟已登记为丢失");
    case ReserveCheck::InShop:
        return QStringLiteral("这张影碟现在就在店里，可以直接租借，不需要预约！");
    case ReserveCheck::AlreadyReserved:
        return QStringLiteral("该会员已经预约了这张影碟！");
    case ReserveCheck::Ok:
        break;
    }
    return {};
}

ReserveDone Reserve(Shop& shop, const ReservationRequest& request)
{
    try {
        return InTransaction(shop, [&] {
            if (const ReserveCheck check = CheckReservation(shop, request);
                check != ReserveCheck::Ok)
                throw Refused{check};
            // A disc's reservation keeps its title, for the list.
            const QString pm =
                request.bh.isEmpty()
                    ? request.pm
                    : RunScalar(shop, QStringLiteral("SELECT pm FROM ydxx WHERE bh = ?"),
                                {request.bh})
                          .toString();
            ReserveDone done;
            done.yybh = RunScalar(shop,
                                  QStringLiteral("INSERT INTO yyxx (hybh, bh, pm, rq, zt, czy)"
                                                 " VALUES (?, ?, ?, ?, '等待', ?) RETURNING yybh"),
                                  {request.hybh, request.bh, pm, TodayText(), CurrentPerson()})
                            .toLongLong();
            shop.announce(ShopChange::Rentals, ShopOperation::Reserve);
            return done;
        });
    } catch (const Refused& refused) {
        ReserveDone done;
        done.refusal = refused.why;
        return done;
    }
}

QString HoldNotice(const ReservationHold& hold)
{
    return QStringLiteral("影碟 %1：此影碟已被会员 %2（%3，电话 %4）预约，请为该会员保留。")
        .arg(hold.bh, hold.hyxm, hold.hybh, hold.lxdh.isEmpty() ? QStringLiteral("/") : hold.lxdh);
}

QList<ReservationHold> HoldReturnedDiscs(Shop& shop, const QStringList& discs)
{
    QList<ReservationHold> holds;
    for (const QString& bh : discs) {
        QSqlQuery waiting = RunSql(
            shop,
            // Two searches of the waiting line's index: the disc's own, then its title's.
            QStringLiteral("SELECT yybh FROM yyxx WHERE zt = '等待' AND bh = ? UNION ALL SELECT"
                           " yybh FROM yyxx WHERE zt = '等待' AND bh = '' AND pm = (SELECT pm FROM"
                           " ydxx WHERE bh = ?) ORDER BY 1 LIMIT 20"),
            {bh, bh});
        QList<qint64> candidates;
        while (waiting.next())
            candidates << waiting.value(0).toLongLong();
        waiting.finish();
        // Another counter may hold one of them first: the next in line, then.
        for (const qint64 yybh : candidates) {
            if (RunSql(shop,
                       QStringLiteral("UPDATE yyxx SET zt = '已到', blbh = ?, blrq = ? WHERE yybh"
                                      " = ? AND zt = '等待'"),
                       {bh, TodayText(), yybh})
                    .numRowsAffected() != 1)
                continue;
            QSqlQuery held =
                RunSql(shop, kHoldColumns + QStringLiteral(" WHERE y.yybh = ?"), {yybh});
            if (held.next())
                holds << HoldOf(held);
            break;
        }
    }
    return holds;
}

std::optional<ReservationHold> StandingHold(Shop& shop, const QString& bh)
{
    QSqlQuery held = RunSql(shop,
                            kHoldColumns + QStringLiteral(" WHERE y.blbh = ? AND y.zt = '已到' AND"
                                                          " y.blrq >= ?"),
                            {bh, HoldCutoff()});
    if (!held.next())
        return std::nullopt;
    return HoldOf(held);
}

void ReservationsAtRental(Shop& shop, const QString& bh, const QString& hybh, qint64 zdbh)
{
    bool changed = false;
    if (!hybh.isEmpty()) {
        // His hold of this disc first, else his oldest of it or its title.
        const QVariant mine = RunScalar(
            shop,
            QStringLiteral("SELECT yybh FROM yyxx WHERE hybh = ? AND zt IN ('等待', '已到') AND"
                           " (bh = ? OR (bh = '' AND pm = (SELECT pm FROM ydxx WHERE bh = ?)))"
                           " ORDER BY CASE WHEN blbh = ? THEN 0 ELSE 1 END, yybh LIMIT 1"),
            {hybh, bh, bh, bh});
        if (mine.isValid())
            changed = RunSql(shop,
                             QStringLiteral("UPDATE yyxx SET zt = '完成', blbh = '', zdbh = ?"
                                            " WHERE yybh = ? AND zt IN ('等待', '已到')"),
                             {zdbh, mine})
                          .numRowsAffected() == 1;
    }
    // Anyone else's hold of the disc ends with it rented.
    if (RunSql(shop,
               QStringLiteral("UPDATE yyxx SET zt = CASE WHEN blrq < ? THEN '过期' ELSE '等待'"
                              " END, blrq = CASE WHEN blrq < ? THEN blrq ELSE '' END, blbh = ''"
                              " WHERE blbh = ? AND zt = '已到'"),
               {HoldCutoff(), HoldCutoff(), bh})
            .numRowsAffected() > 0)
        changed = true;
    if (changed)
        shop.announce(ShopChange::Rentals, ShopOperation::Reserve);
}

bool CancelReservation(Shop& shop, qint64 yybh)
{
    return InTransaction(shop, [&] {
        const bool cancelled =
            RunSql(shop,
                   QStringLiteral("UPDATE yyxx SET zt = '取消', blbh = '' WHERE yybh = ? AND zt"
                                  " IN ('等待', '已到')"),
                   {yybh})
                .numRowsAffected() == 1;
        if (cancelled)
            shop.announce(ShopChange::Rentals, ShopOperation::Reserve);
        return cancelled;
    });
}

QString ReservationColumns()
{
    // The cutoff is a date text of digits and dashes: safe within the SQL.
    return QStringLiteral("y.yybh, y.hybh, h.hyxm, h.lxdh, y.bh, y.pm, y.rq, CASE WHEN y.zt ="
                          " '已到' AND y.blrq < '%1' THEN '过期' ELSE y.zt END, y.blbh, y.blrq")
        .arg(HoldCutoff());
}

Conditions ReservationConditions()
{
    Conditions conditions;
    conditions.add(QStringLiteral("y.zt IN ('等待', '已到')"));
    return conditions;
}
