#pragma once

#include "core/store/Conditions.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class Shop;

// A member's reservation (预约) of one disc, or of any copy of a title, that
// is out. When a copy comes back it is held for the oldest reservation it
// answers; renting it to anyone else asks first, and the reserving member's
// own rental fulfils the reservation. A hold lapses after the days set in
// 功能参数设置 (YYTS).
struct ReservationRequest
{
    QString hybh;
    QString bh; // a disc; empty: any copy of the title
    QString pm;
};

enum class ReserveCheck
{
    Ok,
    UnknownMember,
    NothingNamed, // neither a disc nor a title
    UnknownDisc,
    UnknownTitle,
    LostDisc,
    InShop, // the disc, or a copy of the title, can be rented now
    AlreadyReserved,
};
// The checks in the order the window reports them.
ReserveCheck CheckReservation(Shop& shop, const ReservationRequest& request);
// The refusal's words.
QString ReserveCheckText(ReserveCheck check);

struct ReserveDone
{
    qint64 yybh = 0;
    ReserveCheck refusal = ReserveCheck::Ok; // another counter came first: nothing written
};
// Writes the reservation after the same checks within its transaction. Throws MovrntError.
ReserveDone Reserve(Shop& shop, const ReservationRequest& request);

// A disc held for a member.
struct ReservationHold
{
    qint64 yybh = 0;
    QString bh, pm, hybh, hyxm, lxdh;
};
// What the clerk is told when a disc comes back reserved.
QString HoldNotice(const ReservationHold& hold);
// Within a settlement's transaction: each disc back held for the oldest
// reservation waiting for it or its title.
QList<ReservationHold> HoldReturnedDiscs(Shop& shop, const QStringList& discs);
// The disc's hold while it stands (within the days a disc is held).
std::optional<ReservationHold> StandingHold(Shop& shop, const QString& bh);
// Within a rental's transaction: the renting member's reservation of the
// disc or its title is fulfilled by the rental; another's hold of the disc
// ends (waiting again, or lapsed when past its days).
void ReservationsAtRental(Shop& shop, const QString& bh, const QString& hybh, qint64 zdbh);
// Cancels an open reservation; false when it is no longer open.
bool CancelReservation(Shop& shop, qint64 yybh);
// The days a disc is held (YYTS), 3 unless set to a whole number from 1.
qint64 HoldDays();

// The open reservations, waiting or held (a hold past its days shown 过期), by number.
inline const QStringList kReservationHeadings = {"预约编号", "会员编号", "姓名",     "联系电话",
                                                 "影碟编号", "片名",     "预约日期", "状态",
                                                 "保留影碟", "保留日期"};
QString ReservationColumns();
inline const QString kReservationTables =
    QStringLiteral("yyxx AS y LEFT JOIN hyxx AS h ON h.hybh = y.hybh");
Conditions ReservationConditions();
