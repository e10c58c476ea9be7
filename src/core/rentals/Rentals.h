#pragma once

#include "core/rentals/Reservations.h"
#include "core/store/Conditions.h"
#include "core/store/Errors.h"
#include "core/store/Money.h"

#include <QString>
#include <QStringList>
#include <optional>

class Shop;

// Renting one disc out. A member number makes it a member's rental; without
// one the deposit is the typed text, or the preset one when depositTyped is false.
struct RentRequest
{
    QString bh;
    QString hybh;
    QString deposit;
    bool depositTyped = true;
    bool overrideHold = false; // the clerk agreed to rent a disc held for another member
};

enum class RentOutCheck
{
    Ok,
    NoRentSetting, // the rent per day is not set (or not a number for this member's disc)
    EmptyDisc,
    UnknownDisc,
    DiscOut, // an open rental of the disc exists
    UnknownMember,
    BadDeposit,
    InsufficientPrepaid,
    LostDisc,      // the disc was registered lost (此影碟已登记为丢失)
    HeldForMember, // the disc is held for another member's reservation
};
// The checks in the order the window reports them.
RentOutCheck CheckRentOut(Shop& shop, const RentRequest& request);

// A walk-in deposit the checkout can add up: a number of at most a billion
// yuan either way. Nothing for any other text.
std::optional<Money> ParseDeposit(const QString& text);

// What a member has left after one rental at a level, which takes the day's
// rent less a tenth per level: in tenths of a Money unit, so it stays exact;
// nothing when the figures are beyond what can be counted.
std::optional<qint64> PrepaidLeftTimesTen(Money prepaid, Money dayRent, int level);
// The same rounded to one decimal of a yuan (ties to even), in Money.
std::optional<Money> PrepaidAfterRental(Money prepaid, Money dayRent, int level);
// The level after the rental that makes the borrowed count reach `count`.
int LevelAfter(qint64 count, qint64 rentalsPerLevel, qint64 levels);

struct RentOutDone
{
    qint64 zdbh = 0;       // the new rental's number, which checkout asks for
    Money charged = 0;     // a member's: taken from the prepaid rent
    Money prepaidLeft = 0; // a member's
    // DiscOut or InsufficientPrepaid when another counter came first: the
    // disc was rented, or the prepaid rent spent, since the check; nothing
    // was written.
    RentOutCheck refusal = RentOutCheck::Ok;
};
// Writes the rental, marks the disc rented and, for a member, updates the
// borrowed count, level and prepaid rent: all of it or nothing. Throws MovrntError.
RentOutDone RentOut(Shop& shop, const RentRequest& request);

// A range of rental numbers as typed.
enum class RangeCheck
{
    Ok,
    NotNumeric,
    Descending,
    Negative,
    NotWhole,
    TooLarge
};
RangeCheck CheckRange(const QString& from, const QString& to, qint64* first = nullptr,
                      qint64* last = nullptr);

enum class SettleKind
{
    WalkInCheckout,
    MemberReturn
};
enum class SettleRefusal
{
    None,
    DifferentDays,
    AlreadySettled,
    WrongCustomerKind,
    ClockBeforeRental, // today is earlier than the rental date
    LateFeeChanged,    // the late fee is no longer the one the clerk agreed to
};
struct Settlement
{
    SettleRefusal refusal = SettleRefusal::None;
    qint64 vcd = 0;
    qint64 dvd = 0;
    qint64 days = 0;
    Money rentDue = 0; // walk-in checkout only
    Money deposit = 0; // walk-in checkout only
    // Member return with a late fee set: the days beyond the alert days, and
    // the fees of every disc of the range, each taken from its member's
    // prepaid rent (below zero if need be) with a 超期罚金 line.
    qint64 lateDays = 0;
    Money lateFee = 0;
    // A disc lost or damaged: the charge, from the walk-in's cash or the
    // member's prepaid rent.
    Money charge = 0;
    // The discs back that are now held for members who reserved them.
    QList<ReservationHold> holds;
};
// Checks the range and, when it passes, settles it: the records returned
// today and their discs back in the shop, in one transaction. Throws
// MovrntError for a range that cannot be settled (no record, a disc or rent
// setting missing, a deposit that is not a number, a database failure).
// `agreedLateFee`: the late fee the clerk was shown; a different one now
// refuses with LateFeeChanged.
Settlement Settle(Shop& shop, SettleKind kind, qint64 first, qint64 last,
                  std::optional<Money> agreedLateFee = std::nullopt);
// What Settle would settle now, without settling: the same checks, figures
// and errors. Checkout shows it while the range is typed.
Settlement PreviewSettlement(Shop& shop, SettleKind kind, qint64 first, qint64 last);

// A disc a customer lost or damaged: its open rental is settled today as
// such, with a charge, and recorded in ssjl. A walk-in pays the rent due and
// the charge from the deposit (散客租金, 赔偿, 退还押金; the difference paid or
// handed back); a member's charge, and the late fee when one is due, come
// from his prepaid rent (会员赔偿, 超期罚金), below zero if need be.
enum class LossKind
{
    Lost,
    Damaged
};
QString LossKindName(LossKind kind); // 丢失, 损坏
struct LossCase
{
    qint64 zdbh = 0;
    QString bh, pm, ydlx, czrq, hybh, hyxm;
    bool open = false;
    Money price = 0; // the replacement price of the disc's type, as set
};
// The rental, its disc and its member; nothing for no such rental.
std::optional<LossCase> FindLossCase(Shop& shop, qint64 zdbh);
// The charge set for a disc of the type (PCVCD, PCDVD), or its default.
Money ReplacementPrice(const QString& ydlx);
// What settling the rental as lost or damaged would come to, without settling.
Settlement PreviewLoss(Shop& shop, qint64 zdbh, Money charge);
// Settles it: refused as Settle refuses (already settled, the clock, a late
// fee changed since the clerk agreed). Throws MovrntError for a charge below
// zero, a member deleted since, or a database failure.
Settlement SettleLoss(Shop& shop, qint64 zdbh, LossKind kind, Money charge,
                      std::optional<Money> agreedLateFee = std::nullopt);
// What a walk-in pays for a loss (negative: what he gets back).
inline Money WalkInLossDue(const Settlement& s)
{
    return s.rentDue + s.charge - s.deposit;
}
bool DiscIsLost(Shop& shop, const QString& bh);

// The members whose rentals lie in a range of rental numbers, with their
// prepaid rent; at most `limit`, by number.
struct MemberBalance
{
    QString hybh, hyxm;
    Money prepaid = 0;
};
QList<MemberBalance> RangeMembers(Shop& shop, qint64 first, qint64 last, int limit = 3);

// Days charged for a rental date: calendar days to today, at least one.
qint64 DaysCharged(const QString& czrq);
// The late fee a member pays a day for each disc kept beyond the alert
// days: 0 (none) unless the setting holds an amount above zero.
Money LateFeePerDay();

// The rental query and deletion conditions, in their fixed order.
struct RentalFilter
{
    QString bh, hybh, ghrq, czrq, sfyh;
    QString zdbh; // the deletion window only; a number
};
Conditions RentalConditions(const RentalFilter& filter);
QStringList RentalSortColumns(const QString& heading);

// Deleting rentals: refused while a matching rental is unsettled.
bool AnyUnsettledRental(Shop& shop, const RentalFilter& filter);
// Deletes the matching rentals in one transaction; returns how many.
// `progress` hears the rentals done; false from it deletes nothing.
qint64 DeleteRentals(Shop& shop, const RentalFilter& filter, const RowsDone& progress = {});

// Overdue reminder: the members' open rentals at least `alertDays` old.
// Nothing when the setting is not a whole number.
std::optional<qint64> AlertDays();
QString OverdueCutoff(qint64 alertDays); // the latest rental date still overdue
bool AnyOverdueRental(Shop& shop, qint64 alertDays);
// Open rentals whose date text came in another shape (2003-1-5, 2003/11/01,
// through a spreadsheet or a typed statement) get the program's one form, so
// that the overdue test, which compares date texts, judges them rightly.
// Returns how many were rewritten.
qint64 NormaliseOpenRentalDates(Shop& shop);
// The call list: who to telephone about which disc, and how many days it is
// late (the days it has been out beyond alertDays).
inline const QStringList kOverdueHeadings = {"会员编号", "姓名", "影碟编号", "租借日期",
                                             "联系电话", "片名", "超期天数"};
QString OverdueColumns(qint64 alertDays);
inline const QString kOverdueCountTables =
    QStringLiteral("hyxx AS a JOIN zjxx AS b ON a.hybh = b.hybh");
// The disc, for its title, joined on its key: it never changes the count.
inline const QString kOverdueTables =
    kOverdueCountTables + QStringLiteral(" LEFT JOIN ydxx AS c ON c.bh = b.bh");
Conditions OverdueConditions(qint64 alertDays);
