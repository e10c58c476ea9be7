#include "Rentals.h"

#include "core/access/PassCheck.h"
#include "core/money/Ledger.h"
#include "core/settings/Settings.h"
#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/DateText.h"
#include "core/store/Errors.h"
#include "core/store/Numbers.h"
#include "core/store/RecordTables.h"
#include "core/store/Shop.h"
#include "core/store/TextRules.h"

#include <QMap>
#include <QSqlQuery>
#include <cmath>

namespace {
const QString kSource = QStringLiteral("zjxx");

bool IsVcd(const QString& ydlx)
{
    return ydlx == u"VCD";
}

QString DiscType(Shop& shop, const QString& bh)
{
    return RunScalar(shop, QStringLiteral("SELECT ydlx FROM ydxx WHERE bh = ?"), {bh}).toString();
}

// The rent per day of a disc type; nothing when it is not set to a number.
std::optional<Money> DayRent(const QString& ydlx)
{
    return ParseMoney(GetSetting(IsVcd(ydlx) ? Setting::VCD : Setting::DVD));
}

struct MemberAccount
{
    int level;
    std::optional<Money> prepaid; // nothing when the stored amount is beyond counting
    qint64 borrowed;
    QVariant stored; // the prepaid rent as the database holds it
};

// `lock`: the row stays locked until the transaction ends (on a server; the
// file's writing transaction already holds the whole file).
std::optional<MemberAccount> Account(Shop& shop, const QString& hybh, bool lock = false)
{
    QSqlQuery query = RunSql(shop,
                             QStringLiteral("SELECT hydj, zjje, yjps FROM hyxx WHERE hybh = ?") +
                                 (lock ? shop.engine().forUpdate() : QString()),
                             {hybh});
    if (!query.next())
        return std::nullopt;
    return MemberAccount{query.value(0).toInt(), StoredMoney(query.value(1).toDouble()),
                         query.value(2).toLongLong(), query.value(1)};
}

bool DiscIsOut(Shop& shop, const QString& bh)
{
    // The open rental decides, not the disc's flag: one entry of the index of
    // open rentals.
    return RunScalar(shop,
                     QStringLiteral("SELECT zdbh FROM zjxx WHERE bh = ? AND sfyh = '否' LIMIT 1"),
                     {bh})
        .isValid();
}

const QString kRange = QStringLiteral(" WHERE zdbh >= ? AND zdbh <= ?");

// The deposit a walk-in rental stores: as typed, or the preset one of the disc's type.
QString DepositToStore(const RentRequest& request, const QString& ydlx)
{
    if (request.depositTyped)
        return request.deposit;
    const Setting preset = IsVcd(ydlx) ? Setting::YJJEVCD : Setting::YJJEDVD;
    const QString deposit = GetSetting(preset);
    return deposit.isEmpty() ? SettingDefault(preset) : deposit; // what the parameter dialog offers
}

// Held for a member other than the one renting, and the clerk did not agree to it.
bool HeldForAnother(Shop& shop, const RentRequest& request)
{
    if (request.overrideHold)
        return false;
    const std::optional<ReservationHold> hold = StandingHold(shop, request.bh);
    return hold && hold->hybh != request.hybh;
}

Money Checked(std::optional<Money> amount)
{
    if (!amount)
        throw MovrntError(kBeyondCounting, kSource);
    return *amount;
}
} // namespace

RentOutCheck CheckRentOut(Shop& shop, const RentRequest& request)
{
    if (GetSetting(Setting::VCD).isEmpty())
        return RentOutCheck::NoRentSetting;
    if (request.bh.isEmpty())
        return RentOutCheck::EmptyDisc;
    if (!RunScalar(shop, QStringLiteral("SELECT bh FROM ydxx WHERE bh = ?"), {request.bh})
             .isValid())
        return RentOutCheck::UnknownDisc;
    if (DiscIsLost(shop, request.bh))
        return RentOutCheck::LostDisc;
    if (DiscIsOut(shop, request.bh))
        return RentOutCheck::DiscOut;
    if (HeldForAnother(shop, request))
        return RentOutCheck::HeldForMember;
    if (!request.hybh.isEmpty()) {
        const std::optional<MemberAccount> account = Account(shop, request.hybh);
        if (!account)
            return RentOutCheck::UnknownMember;
        const std::optional<Money> dayRent = DayRent(DiscType(shop, request.bh));
        if (!dayRent)
            return RentOutCheck::NoRentSetting;
        const std::optional<qint64> left =
            account->prepaid ? PrepaidLeftTimesTen(*account->prepaid, *dayRent, account->level)
                             : std::nullopt;
        if (!left)
            throw MovrntError(kBeyondCounting + QStringLiteral("：") + request.hybh, kSource);
        if (*left <= 0)
            return RentOutCheck::InsufficientPrepaid;
    } else if (!ParseDeposit(DepositToStore(request, DiscType(shop, request.bh)))) {
        // Checkout must be able to add it up, or the disc could never come back.
        return RentOutCheck::BadDeposit;
    }
    return RentOutCheck::Ok;
}

std::optional<Money> ParseDeposit(const QString& text)
{
    const std::optional<Money> deposit = ParseMoney(text);
    if (!deposit || std::llabs(*deposit) > 1'000'000'000 * kYuan)
        return std::nullopt;
    return deposit;
}

std::optional<qint64> PrepaidLeftTimesTen(Money prepaid, Money dayRent, int level)
{
    const std::optional<qint64> charge = MultiplyMoney(dayRent, 10 - qint64(level));
    const std::optional<qint64> prepaidTimesTen = MultiplyMoney(prepaid, 10);
    if (!charge || !prepaidTimesTen)
        return std::nullopt;
    return SubtractMoney(*prepaidTimesTen, *charge);
}

std::optional<Money> PrepaidAfterRental(Money prepaid, Money dayRent, int level)
{
    // In tenths of a unit one decimal of a yuan is kYuan.
    const std::optional<qint64> left = PrepaidLeftTimesTen(prepaid, dayRent, level);
    const std::optional<qint64> rounded = left ? RoundHalfEven(*left, kYuan) : std::nullopt;
    if (!rounded)
        return std::nullopt;
    return *rounded / 10;
}

int LevelAfter(qint64 count, qint64 rentalsPerLevel, qint64 levels)
{
    if (rentalsPerLevel <= 0)
        throw MovrntError(QStringLiteral("每升一级所需的租借次数必须大于0"),
                          QStringLiteral("Settings"));
    return int(std::min(count / rentalsPerLevel, levels));
}

namespace {
// Found within the transaction, which it rolls back: another counter rented
// the disc, or spent the member's prepaid rent, since they were checked.
struct RentOutRefused
{
    RentOutCheck why;
};

RentOutDone RentOutNow(Shop& shop, const RentRequest& request)
{
    return InTransaction(shop, [&shop, &request] {
        RentOutDone done;
        const QString today = TodayText();
        const QString ydlx = DiscType(shop, request.bh);
        const bool member = !request.hybh.isEmpty();
        if (DiscIsLost(shop, request.bh))
            throw RentOutRefused{RentOutCheck::LostDisc};
        // The claim on the disc: the index of open rentals takes one a disc,
        // so of two counters renting it at once one inserts nothing.
        const QVariant zdbh = RunScalar(
            shop,
            QStringLiteral("INSERT INTO zjxx (bh,czrq,ghrq,yjje,sfyh,hybh) VALUES"
                           " (?,?,'/',?,'否',?) ON CONFLICT (bh) WHERE sfyh = '否'"
                           " DO NOTHING RETURNING zdbh"),
            {request.bh, today, member ? QStringLiteral("/") : DepositToStore(request, ydlx),
             member ? request.hybh : QStringLiteral("/")});
        if (!zdbh.isValid())
            throw RentOutRefused{RentOutCheck::DiscOut};
        // On a server the claim may have waited for another counter's loss or
        // return of the disc, which this statement now sees.
        if (DiscIsLost(shop, request.bh))
            throw RentOutRefused{RentOutCheck::LostDisc};
        if (HeldForAnother(shop, request))
            throw RentOutRefused{RentOutCheck::HeldForMember};
        ReservationsAtRental(shop, request.bh, request.hybh, zdbh.toLongLong());
        done.zdbh = zdbh.toLongLong();
        RunSql(shop, QStringLiteral("UPDATE ydxx SET sfycz = '是' WHERE bh = ?"), {request.bh});
        shop.announce(ShopChange::Rentals, ShopOperation::RentOut);
        shop.announce(ShopChange::Discs, ShopOperation::RentOut);
        if (!member) {
            // Checked before, and the same text is stored: it parses.
            WriteLedger(shop,
                        {LedgerKind::WalkInDeposit, done.zdbh, request.bh, QStringLiteral("/"),
                         Checked(ParseDeposit(DepositToStore(request, ydlx)))});
            return done;
        }
        const std::optional<MemberAccount> account = Account(shop, request.hybh, true);
        const std::optional<Money> dayRent = DayRent(ydlx);
        if (!account || !dayRent)
            throw MovrntError(QStringLiteral("会员或租金设置已改变：") + request.hybh, kSource);
        if (!account->prepaid)
            throw MovrntError(kBeyondCounting + QStringLiteral("：") + request.hybh, kSource);
        if (Checked(PrepaidLeftTimesTen(*account->prepaid, *dayRent, account->level)) <= 0)
            throw RentOutRefused{RentOutCheck::InsufficientPrepaid};
        const qint64 count = account->borrowed + 1;
        const LevelRule rule = MemberLevelRule();
        const int level = LevelAfter(count, rule.rentalsPerLevel, rule.levels);
        const Money prepaid =
            Checked(PrepaidAfterRental(*account->prepaid, *dayRent, account->level));
        // Written back only over the amount it was computed from.
        if (RunSql(shop,
                   QStringLiteral("UPDATE hyxx SET yjps = ? , hydj = ? , zjje = ? WHERE hybh = ?"
                                  " AND zjje = ?"),
                   {count, level, MoneyToDouble(prepaid), request.hybh, account->stored})
                .numRowsAffected() != 1)
            throw MovrntError(QStringLiteral("会员的预付租金刚被改变，请重新添加租借信息：") +
                                  request.hybh,
                              kSource);
        shop.announce(ShopChange::Members, ShopOperation::RentOut);
        done.charged = *account->prepaid - prepaid;
        WriteLedger(shop,
                    {LedgerKind::MemberCharge, done.zdbh, request.bh, request.hybh, done.charged});
        done.prepaidLeft = prepaid;
        return done;
    });
}

} // namespace

RentOutDone RentOut(Shop& shop, const RentRequest& request)
{
    try {
        return RentOutNow(shop, request);
    } catch (const RentOutRefused& refused) {
        RentOutDone done;
        done.refusal = refused.why;
        return done;
    }
}

RangeCheck CheckRange(const QString& from, const QString& to, qint64* first, qint64* last)
{
    if (!IsNumeric(from) || !IsNumeric(to))
        return RangeCheck::NotNumeric;
    const double a = NumberValue(from);
    const double b = NumberValue(to);
    const double ra = std::nearbyint(a);
    const double rb = std::nearbyint(b);
    if (ra > rb)
        return RangeCheck::Descending;
    if (ra < 0)
        return RangeCheck::Negative;
    if (ra != a || rb != b)
        return RangeCheck::NotWhole;
    // Beyond what a rental number can be: the range cannot be settled.
    if (std::fabs(a) > 9e15 || std::fabs(b) > 9e15)
        return RangeCheck::TooLarge;
    if (first)
        *first = qint64(ra);
    if (last)
        *last = qint64(rb);
    return RangeCheck::Ok;
}

QList<MemberBalance> RangeMembers(Shop& shop, qint64 first, qint64 last, int limit)
{
    QSqlQuery query = RunSql(shop,
                             QStringLiteral("SELECT hybh, hyxm, zjje FROM hyxx WHERE hybh IN"
                                            " (SELECT hybh FROM zjxx") +
                                 kRange + QStringLiteral(") ORDER BY hybh LIMIT ?"),
                             {first, last, limit});
    QList<MemberBalance> members;
    while (query.next())
        members.append({query.value(0).toString(), query.value(1).toString(),
                        StoredMoney(query.value(2).toDouble()).value_or(0)});
    return members;
}

qint64 DaysCharged(const QString& czrq)
{
    // The same day, and a rental date after today, count as one day.
    return std::max<qint64>(DayCount(czrq, TodayText()), 1);
}

Money LateFeePerDay()
{
    const std::optional<Money> fee = ParseMoney(GetSetting(Setting::LateFee));
    return fee && *fee > 0 ? *fee : 0;
}

namespace {
// What settling the range would do: the checks, the figures and the
// ledger's lines: for a walk-in checkout one rent and one deposit a rental,
// for a member return a late fee a rental when one is due; with `charge`
// (a disc lost or damaged) its line too.
// `lock`: the rows stay locked until the caller's transaction ends, so two
// counters never settle one rental twice.
Settlement Assess(Shop& shop, SettleKind kind, qint64 first, qint64 last, bool lock,
                  QList<LedgerLine>* lines, std::optional<Money> charge = std::nullopt)
{
    Settlement result;
    const QVariantList range = {first, last};
    QSqlQuery rows = RunSql(shop,
                            QStringLiteral("SELECT czrq, sfyh, hybh FROM zjxx") + kRange +
                                QStringLiteral(" ORDER BY zdbh") +
                                (lock ? shop.engine().forUpdate() : QString()),
                            range);
    QStringList dates;
    bool settled = false, wrongKind = false;
    while (rows.next()) {
        dates << rows.value(0).toString();
        settled = settled || rows.value(1).toString() == u"是";
        const bool walkIn = rows.value(2).toString() == u"/";
        wrongKind = wrongKind || (kind == SettleKind::WalkInCheckout ? !walkIn : walkIn);
    }
    rows.finish();
    if (dates.isEmpty())
        throw MovrntError(QStringLiteral("自动编号范围内没有租借记录"), kSource);
    if (dates.count(dates.first()) != dates.size()) {
        result.refusal = SettleRefusal::DifferentDays;
        return result;
    }
    if (settled) {
        result.refusal = SettleRefusal::AlreadySettled;
        return result;
    }
    if (wrongKind) {
        result.refusal = SettleRefusal::WrongCustomerKind;
        return result;
    }
    // The PC's clock moved back: no return may be dated before its rental.
    if (DayCount(dates.first(), TodayText()) < 0) {
        result.refusal = SettleRefusal::ClockBeforeRental;
        return result;
    }
    result.days = DaysCharged(dates.first());
    // Each rental with its disc's type and whether its member is still there, in one joined query.
    QSqlQuery each =
        RunSql(shop,
               QStringLiteral("SELECT r.zdbh, r.bh, r.yjje, d.bh, d.ydlx, r.hybh, m.hybh"
                              " FROM zjxx AS r LEFT JOIN ydxx AS d ON d.bh = r.bh"
                              " LEFT JOIN hyxx AS m ON m.hybh = r.hybh"
                              " WHERE r.zdbh >= ? AND r.zdbh <= ? ORDER BY r.zdbh"),
               range);
    struct Row
    {
        qint64 zdbh;
        QString bh, deposit, hybh;
        bool vcd, member;
    };
    QList<Row> found;
    while (each.next()) {
        if (each.value(3).isNull())
            throw MovrntError(QStringLiteral("租借记录中的影碟编号在影碟库中不存在"), kSource);
        found.append({each.value(0).toLongLong(), each.value(1).toString(),
                      each.value(2).toString(), each.value(5).toString(),
                      IsVcd(each.value(4).toString()), !each.value(6).isNull()});
    }
    // Done with before the settings are read: a server's connection runs one query at a time.
    each.finish();
    const bool walkIn = kind == SettleKind::WalkInCheckout;
    const Money perDay = walkIn ? 0 : LateFeePerDay();
    if (perDay > 0)
        if (const std::optional<qint64> alertDays = AlertDays())
            result.lateDays =
                std::max<qint64>(DayCount(dates.first(), TodayText()) - *alertDays, 0);
    const Money lateFee = result.lateDays > 0 ? Checked(MultiplyMoney(perDay, result.lateDays)) : 0;
    std::optional<Money> rates[2]; // a day of a VCD, of a DVD: read when first needed
    for (const Row& row : found) {
        ++(row.vcd ? result.vcd : result.dvd);
        if (charge) {
            if (!walkIn && !row.member)
                throw MovrntError(
                    QStringLiteral("这张影碟的会员已被删除，无法从预付租金扣除赔偿：") + row.hybh,
                    kSource);
            result.charge = *charge;
        }
        if (!walkIn) {
            if (charge && lines)
                lines->append(
                    {LedgerKind::MemberCompensation, row.zdbh, row.bh, row.hybh, *charge});
            // A member deleted since has no prepaid rent to take it from.
            if (lateFee > 0 && row.member) {
                result.lateFee = Checked(AddMoney(result.lateFee, lateFee));
                if (lines)
                    lines->append({LedgerKind::LateFee, row.zdbh, row.bh, row.hybh, lateFee});
            }
            continue;
        }
        std::optional<Money>& rate = rates[row.vcd ? 0 : 1];
        const Setting setting = row.vcd ? Setting::VCD : Setting::DVD;
        if (!rate && !(rate = ParseMoney(GetSetting(setting))))
            throw MovrntError(QStringLiteral("租金金额未设置：") + SettingName(setting),
                              QStringLiteral("Settings"));
        const Money rent = Checked(MultiplyMoney(*rate, result.days));
        const std::optional<Money> deposit = ParseMoney(row.deposit);
        if (!deposit)
            throw MovrntError(QStringLiteral("押金金额不是数字：") + row.deposit, kSource);
        result.rentDue = Checked(AddMoney(result.rentDue, rent));
        result.deposit = Checked(AddMoney(result.deposit, *deposit));
        if (lines) {
            lines->append({LedgerKind::WalkInRent, row.zdbh, row.bh, QStringLiteral("/"), rent});
            if (charge)
                lines->append(
                    {LedgerKind::Compensation, row.zdbh, row.bh, QStringLiteral("/"), *charge});
            lines->append(
                {LedgerKind::DepositBack, row.zdbh, row.bh, QStringLiteral("/"), -*deposit});
        }
    }
    return result;
}
} // namespace

Settlement PreviewSettlement(Shop& shop, SettleKind kind, qint64 first, qint64 last)
{
    return Assess(shop, kind, first, last, false, nullptr);
}

namespace {
// Each member's late fees and charges of the range taken from his prepaid
// rent, written back only over the amount they were reckoned from.
void TakeFromPrepaid(Shop& shop, const QList<LedgerLine>& lines)
{
    QMap<QString, Money> fees;
    for (const LedgerLine& line : lines)
        if (line.kind == LedgerKind::LateFee || line.kind == LedgerKind::MemberCompensation)
            fees[line.hybh] = Checked(AddMoney(fees.value(line.hybh), line.amount));
    for (auto it = fees.cbegin(); it != fees.cend(); ++it) {
        const std::optional<MemberAccount> account = Account(shop, it.key(), true);
        if (!account || !account->prepaid)
            throw MovrntError(kBeyondCounting + QStringLiteral("：") + it.key(), kSource);
        const Money left = Checked(SubtractMoney(*account->prepaid, it.value()));
        if (RunSql(shop, QStringLiteral("UPDATE hyxx SET zjje = ? WHERE hybh = ? AND zjje = ?"),
                   {MoneyToDouble(left), it.key(), account->stored})
                .numRowsAffected() != 1)
            throw MovrntError(QStringLiteral("会员的预付租金刚被改变，请重新退还：") + it.key(),
                              kSource);
    }
    if (!fees.isEmpty())
        shop.announce(ShopChange::Members, ShopOperation::Settle);
}

struct Loss
{
    LossKind kind;
    Money charge;
};

Settlement SettleNow(Shop& shop, SettleKind kind, qint64 first, qint64 last,
                     std::optional<Money> agreedLateFee, std::optional<Loss> loss)
{
    return InTransaction(shop, [&] {
        QList<LedgerLine> lines;
        Settlement result = Assess(shop, kind, first, last, true, &lines,
                                   loss ? std::optional<Money>(loss->charge) : std::nullopt);
        if (result.refusal == SettleRefusal::None && agreedLateFee &&
            *agreedLateFee != result.lateFee)
            result.refusal = SettleRefusal::LateFeeChanged;
        if (result.refusal != SettleRefusal::None)
            return result;
        TakeFromPrepaid(shop, lines);
        if (loss)
            RunSql(
                shop,
                QStringLiteral("INSERT INTO ssjl (bh, sslx, rq, zdbh, pcje, czy) SELECT bh, ?, ?,"
                               " zdbh, ?, ? FROM zjxx WHERE zdbh = ?"),
                {LossKindName(loss->kind), TodayText(), loss->charge, CurrentPerson(), first});
        const QVariantList range = {first, last};
        RunSql(shop, QStringLiteral("UPDATE zjxx SET sfyh = '是' , ghrq = ?") + kRange,
               {TodayText(), first, last});
        RunSql(shop,
               QStringLiteral("UPDATE ydxx SET sfycz = '否' WHERE bh IN (SELECT bh FROM zjxx") +
                   kRange + u')',
               range);
        for (const LedgerLine& line : lines)
            WriteLedger(shop, line);
        // The discs back on the shelf answer the reservations waiting for them.
        if (!loss || loss->kind == LossKind::Damaged) {
            QStringList discs;
            QSqlQuery back =
                RunSql(shop, QStringLiteral("SELECT DISTINCT bh FROM zjxx") + kRange, range);
            while (back.next())
                discs << back.value(0).toString();
            back.finish();
            result.holds = HoldReturnedDiscs(shop, discs);
        }
        shop.announce(ShopChange::Rentals, ShopOperation::Settle);
        shop.announce(ShopChange::Discs, ShopOperation::Settle);
        return result;
    });
}

// A loss is settled as its customer's kind of settlement.
SettleKind KindOfRental(Shop& shop, qint64 zdbh)
{
    const QVariant hybh =
        RunScalar(shop, QStringLiteral("SELECT hybh FROM zjxx WHERE zdbh = ?"), {zdbh});
    if (!hybh.isValid())
        throw MovrntError(QStringLiteral("没有这条租借记录：%1").arg(zdbh), kSource);
    return hybh.toString() == u"/" ? SettleKind::WalkInCheckout : SettleKind::MemberReturn;
}

void CheckCharge(Money charge)
{
    if (charge < 0 || charge > 1'000'000 * kYuan)
        throw MovrntError(QStringLiteral("赔偿金额应在 0 至 1000000 元之间"), kSource);
}
} // namespace

Settlement Settle(Shop& shop, SettleKind kind, qint64 first, qint64 last,
                  std::optional<Money> agreedLateFee)
{
    return SettleNow(shop, kind, first, last, agreedLateFee, std::nullopt);
}

QString LossKindName(LossKind kind)
{
    return kind == LossKind::Lost ? kLost : kDamaged;
}

Money ReplacementPrice(const QString& ydlx)
{
    const Setting setting = IsVcd(ydlx) ? Setting::PCVCD : Setting::PCDVD;
    const std::optional<Money> price = ParseMoney(GetSetting(setting));
    return price && *price >= 0 ? *price : ParseMoney(SettingDefault(setting)).value_or(0);
}

std::optional<LossCase> FindLossCase(Shop& shop, qint64 zdbh)
{
    QSqlQuery query =
        RunSql(shop,
               QStringLiteral("SELECT r.bh, d.pm, d.ydlx, r.czrq, r.hybh, m.hyxm, r.sfyh FROM zjxx"
                              " AS r LEFT JOIN ydxx AS d ON d.bh = r.bh LEFT JOIN hyxx AS m ON"
                              " m.hybh = r.hybh WHERE r.zdbh = ?"),
               {zdbh});
    if (!query.next())
        return std::nullopt;
    LossCase found{zdbh,
                   query.value(0).toString(),
                   query.value(1).toString(),
                   query.value(2).toString(),
                   query.value(3).toString(),
                   query.value(4).toString(),
                   query.value(5).toString(),
                   query.value(6).toString() == u"否"};
    query.finish(); // before the settings are read: a server runs one query at a time
    found.price = ReplacementPrice(found.ydlx);
    return found;
}

Settlement PreviewLoss(Shop& shop, qint64 zdbh, Money charge)
{
    CheckCharge(charge);
    return Assess(shop, KindOfRental(shop, zdbh), zdbh, zdbh, false, nullptr, charge);
}

Settlement SettleLoss(Shop& shop, qint64 zdbh, LossKind kind, Money charge,
                      std::optional<Money> agreedLateFee)
{
    CheckCharge(charge);
    return SettleNow(shop, KindOfRental(shop, zdbh), zdbh, zdbh, agreedLateFee, Loss{kind, charge});
}

bool DiscIsLost(Shop& shop, const QString& bh)
{
    return RunScalar(shop,
                     QStringLiteral("SELECT 1 FROM ssjl WHERE bh = ? AND sslx = '丢失' LIMIT 1"),
                     {bh})
        .isValid();
}

Conditions RentalConditions(const RentalFilter& filter)
{
    Conditions conditions;
    conditions.equal(QStringLiteral("bh"), filter.bh);
    conditions.equal(QStringLiteral("hybh"), filter.hybh);
    conditions.equal(QStringLiteral("ghrq"), filter.ghrq);
    conditions.equal(QStringLiteral("czrq"), filter.czrq);
    conditions.equal(QStringLiteral("sfyh"), filter.sfyh);
    if (!filter.zdbh.isEmpty())
        conditions.equalNumber(QStringLiteral("zdbh"), NumberValue(filter.zdbh));
    return conditions;
}

QStringList RentalSortColumns(const QString& heading)
{
    return SortForHeading(heading, {{"自动编号", "zdbh"},
                                    {"影碟编号", "bh"},
                                    {"出租日期", "czrq"},
                                    {"归还日期", "ghrq"},
                                    {"押金金额", "yjje"},
                                    {"是否已还", "sfyh"},
                                    {"会员编号", "hybh"}});
}

bool AnyUnsettledRental(Shop& shop, const RentalFilter& filter)
{
    Conditions conditions = RentalConditions(filter);
    conditions.add(QStringLiteral("sfyh = '否'"));
    return RunScalar(shop,
                     QStringLiteral("SELECT zdbh FROM zjxx") + conditions.where() +
                         QStringLiteral(" LIMIT 1"),
                     conditions.values())
        .isValid();
}

qint64 DeleteRentals(Shop& shop, const RentalFilter& filter, const RowsDone& progress)
{
    const Conditions conditions = RentalConditions(filter);
    return InTransaction(shop, [&shop, &conditions, &progress] {
        const QVariantList keys =
            SelectKeys(shop, QStringLiteral("SELECT zdbh FROM zjxx") + conditions.where(),
                       conditions.values());
        const qint64 deleted =
            DeleteByKeys(shop, QStringLiteral("zjxx"), QStringLiteral("zdbh"), keys, progress);
        shop.announce(ShopChange::Rentals, ShopOperation::DeleteRentals);
        return deleted;
    });
}

std::optional<qint64> AlertDays()
{
    const QString text = GetSetting(Setting::Alertdays);
    if (!IsNumeric(text))
        return std::nullopt;
    const double value = NumberValue(text);
    if (value != std::floor(value) || std::fabs(value) > 1e6)
        return std::nullopt;
    return qint64(value);
}

QString OverdueCutoff(qint64 alertDays)
{
    return Today().addDays(-alertDays).toString(QStringLiteral("yyyy-MM-dd"));
}

QString OverdueColumns(qint64 alertDays)
{
    // Today is a date text of digits and dashes, so it can stand in the SQL.
    return QStringLiteral("a.hybh, a.hyxm, b.bh, b.czrq, a.lxdh, c.pm,"
                          " CAST(julianday('%1') - julianday(b.czrq) AS INTEGER) - %2")
        .arg(TodayText())
        .arg(alertDays);
}

Conditions OverdueConditions(qint64 alertDays)
{
    // Calendar days from the rental date to today reach alertDays exactly when
    // the date text is at most today less alertDays (date texts sort as dates).
    Conditions conditions;
    conditions.add(QStringLiteral("b.sfyh = '否'"));
    conditions.add(QStringLiteral("b.czrq <= ?"), {OverdueCutoff(alertDays)});
    conditions.add(QStringLiteral("b.hybh <> '/'"));
    return conditions;
}

qint64 NormaliseOpenRentalDates(Shop& shop)
{
    QList<std::pair<qint64, QString>> changes;
    QSqlQuery query = RunSql(
        shop, QStringLiteral(
                  "SELECT zdbh, czrq FROM zjxx WHERE sfyh = '否' AND czrq NOT LIKE '____-__-__'"));
    while (query.next()) {
        const QString normal = NormalDateText(query.value(1).toString());
        if (!normal.isEmpty())
            changes.append({query.value(0).toLongLong(), normal});
    }
    query.finish();
    if (changes.isEmpty())
        return 0;
    InTransaction(shop, [&shop, &changes] {
        for (const auto& [zdbh, czrq] : changes)
            RunSql(shop, QStringLiteral("UPDATE zjxx SET czrq = ? WHERE zdbh = ?"), {czrq, zdbh});
        shop.announce(ShopChange::Rentals, ShopOperation::RepairRentals);
    });
    return changes.size();
}

bool AnyOverdueRental(Shop& shop, qint64 alertDays)
{
    const Conditions conditions = OverdueConditions(alertDays);
    return RunScalar(shop,
                     QStringLiteral("SELECT 1 FROM ") + kOverdueCountTables + conditions.where() +
                         QStringLiteral(" LIMIT 1"),
                     conditions.values())
        .isValid();
}
