#include "Members.h"

#include "core/money/Ledger.h"
#include "core/settings/Settings.h"
#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/Money.h"
#include "core/store/Numbers.h"
#include "core/store/Shop.h"
#include "core/store/TextRules.h"

#include <QSqlQuery>
#include <cmath>

namespace {
bool IsSex(const QString& text)
{
    return Sexes().contains(text);
}

QString MemberText(const QVariant& value, int column)
{
    // zjje and yjje are amounts; the rest are shown as stored.
    if ((column == 6 || column == 7) && !value.isNull())
        return AmountText(value.toDouble());
    return value.toString();
}
// A typed amount the ledger can count exactly. Throws MovrntError.
Money Countable(const QString& text)
{
    const std::optional<Money> amount = ParseMoney(text);
    if (!amount)
        throw MovrntError(kBeyondCounting + QStringLiteral("：") + text, QStringLiteral("hyxx"));
    return *amount;
}
} // namespace

const QStringList& Sexes()
{
    static const QStringList sexes = {"男", "女"};
    return sexes;
}

QStringList LevelList()
{
    QStringList levels;
    const int count = GetSetting(Setting::HYDJ).toInt();
    for (int level = 1; level <= count; ++level)
        levels << QString::number(level);
    return levels;
}

std::optional<Member> FindMember(Shop& shop, const QString& hybh)
{
    QSqlQuery query =
        RunSql(shop,
               QStringLiteral("SELECT hybh, hyxm, hyxb, hyzz, lxdh, hydj, zjje, yjje, yjps, rhrq"
                              " FROM hyxx WHERE hybh = ?"),
               {hybh});
    if (!query.next())
        return std::nullopt;
    QStringList v;
    for (int c = 0; c < 10; ++c)
        v << MemberText(query.value(c), c);
    return Member{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]};
}

NewMemberCheck CheckNewMember(Shop& shop, const NewMember& member)
{
    if (RunScalar(shop, QStringLiteral("SELECT hybh FROM hyxx WHERE hybh = ?"), {member.hybh})
            .isValid())
        return NewMemberCheck::NumberInUse;
    if (!member.hyxb.isEmpty() && !IsSex(member.hyxb))
        return NewMemberCheck::BadSex;
    if (!IsNumeric(member.zjje))
        return NewMemberCheck::RentNotNumber;
    if (!IsNumeric(member.yjje))
        return NewMemberCheck::DepositNotNumber;
    if (IsEmptyNumber(member.hybh))
        return NewMemberCheck::EmptyNumber;
    return NewMemberCheck::Ok;
}

void AddMember(Shop& shop, const NewMember& member)
{
    InTransaction(shop, [&shop, &member] {
        RunSql(shop, QStringLiteral("INSERT INTO hyxx VALUES(?,?,?,?,?,0,?,?,0,?)"),
               {member.hybh, OrSlash(member.hyxm),
                member.hyxb.isEmpty() ? QStringLiteral("男") : member.hyxb, OrSlash(member.hyzz),
                OrSlash(member.lxdh), NumberValue(member.zjje), NumberValue(member.yjje),
                TodayText()});
        const Money prepaid = Countable(member.zjje), deposit = Countable(member.yjje);
        // The prepaid line always: it starts the member's statement.
        WriteLedger(shop,
                    {LedgerKind::MemberPrepaid, 0, QStringLiteral("/"), member.hybh, prepaid});
        if (deposit != 0)
            WriteLedger(shop,
                        {LedgerKind::MemberDeposit, 0, QStringLiteral("/"), member.hybh, deposit});
        shop.announce(ShopChange::Members, ShopOperation::AddMember);
    });
}

MemberChangeCheck CheckMemberChange(const MemberChange& change)
{
    if (IsEmptyNumber(change.hybh))
        return MemberChangeCheck::EmptyNumber;
    if (!IsNumeric(change.zjje))
        return MemberChangeCheck::RentNotNumber;
    if (!IsNumeric(change.yjje))
        return MemberChangeCheck::DepositNotNumber;
    if (change.rhrq.isEmpty())
        return MemberChangeCheck::EmptyDate;
    if (!IsSex(change.hyxb))
        return MemberChangeCheck::BadSex;
    return MemberChangeCheck::Ok;
}

bool ModifyMember(Shop& shop, const MemberChange& change)
{
    return InTransaction(shop, [&shop, &change] {
        // The amounts before, locked until the change commits: the ledger
        // takes the differences.
        QSqlQuery before = RunSql(shop,
                                  QStringLiteral("SELECT zjje, yjje FROM hyxx WHERE hybh = ?") +
                                      shop.engine().forUpdate(),
                                  {change.hybh});
        if (!before.next())
            return false;
        const std::optional<Money> oldPrepaid = StoredMoney(before.value(0).toDouble());
        const std::optional<Money> oldDeposit = StoredMoney(before.value(1).toDouble());
        before.finish();
        const Money prepaid = Countable(change.zjje), deposit = Countable(change.yjje);
        if (!oldPrepaid || !oldDeposit)
            throw MovrntError(kBeyondCounting + QStringLiteral("：") + change.hybh,
                              QStringLiteral("hyxx"));
        for (const auto& [was, now, up, down] :
             {std::tuple{*oldPrepaid, prepaid, LedgerKind::PrepaidTopUp,
                         LedgerKind::PrepaidCorrection},
              std::tuple{*oldDeposit, deposit, LedgerKind::DepositTopUp,
                         LedgerKind::DepositCorrection}})
            if (now != was)
                WriteLedger(
                    shop, {now > was ? up : down, 0, QStringLiteral("/"), change.hybh, now - was});
        QSqlQuery query = RunSql(
            shop,
            QStringLiteral("UPDATE hyxx SET hyxm = ?,hyzz = ?,lxdh = ?,zjje = ?,yjje = ?,rhrq = ?,"
                           "hyxb = ? WHERE hybh = ?"),
            {OrSlash(change.hyxm), OrSlash(change.hyzz), OrSlash(change.lxdh),
             NumberValue(change.zjje), NumberValue(change.yjje), change.rhrq, change.hyxb,
             change.hybh});
        const bool changed = query.numRowsAffected() > 0;
        if (changed)
            shop.announce(ShopChange::Members, ShopOperation::ModifyMember);
        return changed;
    });
}

std::optional<Money> ParseTopUp(const QString& typed)
{
    const std::optional<Money> amount = ParseMoney(typed.trimmed());
    if (!amount || *amount <= 0)
        return std::nullopt;
    return amount;
}

std::optional<Money> TopUp(Shop& shop, const QString& hybh, Money amount)
{
    return InTransaction(shop, [&shop, &hybh, amount]() -> std::optional<Money> {
        QSqlQuery before = RunSql(shop,
                                  QStringLiteral("SELECT zjje FROM hyxx WHERE hybh = ?") +
                                      shop.engine().forUpdate(),
                                  {hybh});
        if (!before.next())
            return std::nullopt;
        const std::optional<Money> was = StoredMoney(before.value(0).toDouble());
        before.finish();
        const std::optional<Money> now = was ? AddMoney(*was, amount) : std::nullopt;
        if (!now || std::abs(MoneyToDouble(*now)) > kMaxYuan)
            throw MovrntError(kBeyondCounting + QStringLiteral("：") + hybh,
                              QStringLiteral("hyxx"));
        WriteLedger(shop, {LedgerKind::PrepaidTopUp, 0, QStringLiteral("/"), hybh, amount});
        RunSql(shop, QStringLiteral("UPDATE hyxx SET zjje = ? WHERE hybh = ?"),
               {MoneyToDouble(*now), hybh});
        shop.announce(ShopChange::Members, ShopOperation::ModifyMember);
        return now;
    });
}

MemberFilterCheck CheckMemberFilter(const MemberFilter& filter)
{
    const auto bad = [](const QString& text) { return !text.isEmpty() && !IsNumeric(text); };
    if (bad(filter.zjje))
        return MemberFilterCheck::RentNotNumber;
    if (bad(filter.yjje))
        return MemberFilterCheck::DepositNotNumber;
    if (bad(filter.yjps))
        return MemberFilterCheck::BorrowedNotNumber;
    if (bad(filter.hydj))
        return MemberFilterCheck::LevelNotNumber;
    return MemberFilterCheck::Ok;
}

namespace {
QVariant NumberOrNothing(const QString& text)
{
    return text.isEmpty() ? QVariant() : QVariant(NumberValue(text));
}
} // namespace

Conditions MemberConditions(const MemberFilter& filter)
{
    Conditions conditions;
    conditions.equal(QStringLiteral("hybh"), filter.hybh);
    conditions.equal(QStringLiteral("hyxm"), filter.hyxm);
    conditions.equalNumber(QStringLiteral("zjje"), NumberOrNothing(filter.zjje));
    conditions.equalNumber(QStringLiteral("yjje"), NumberOrNothing(filter.yjje));
    conditions.equalNumber(QStringLiteral("yjps"), NumberOrNothing(filter.yjps));
    conditions.equalNumber(QStringLiteral("hydj"), NumberOrNothing(filter.hydj));
    conditions.equal(QStringLiteral("rhrq"), filter.rhrq);
    conditions.equal(QStringLiteral("hyxb"), filter.hyxb);
    return conditions;
}

QStringList MemberSortColumns(const QString& heading)
{
    return SortForHeading(heading, {{"会员编号", "hybh"},
                                    {"姓名", "hyxm"},
                                    {"性别", "hyxb"},
                                    {"家庭住址", "hyzz"},
                                    {"联系电话", "lxdh"},
                                    {"会员等级", "hydj"},
                                    {"预付租金", "zjje"},
                                    {"预付押金", "yjje"},
                                    {"已借盘数", "yjps"},
                                    {"入会日期", "rhrq"}});
}

Conditions MemberDeletionConditions(const MemberDeletion& deletion, const QString& alias)
{
    Conditions conditions;
    conditions.equal(alias + QStringLiteral("hybh"), deletion.hybh);
    conditions.equal(alias + QStringLiteral("hyxm"), deletion.hyxm);
    conditions.equalNumber(alias + QStringLiteral("hydj"), NumberOrNothing(deletion.hydj));
    conditions.equal(alias + QStringLiteral("rhrq"), deletion.rhrq);
    conditions.equal(alias + QStringLiteral("hyxb"), deletion.hyxb);
    return conditions;
}

bool AnyMemberWithDiscOut(Shop& shop, const MemberDeletion& deletion)
{
    Conditions conditions = MemberDeletionConditions(deletion, QStringLiteral("a."));
    conditions.add(QStringLiteral("a.hybh <> '/'"));
    // One probe per member through the rentals' member index.
    conditions.add(
        QStringLiteral("EXISTS (SELECT 1 FROM zjxx AS b WHERE b.hybh = a.hybh AND b.sfyh = '否')"));
    return RunScalar(shop,
                     QStringLiteral("SELECT 1 FROM hyxx AS a") + conditions.where() +
                         QStringLiteral(" LIMIT 1"),
                     conditions.values())
        .isValid();
}

QStringList DeleteMembers(Shop& shop, const MemberDeletion& deletion, const RowsDone& progress)
{
    const Conditions conditions = MemberDeletionConditions(deletion);
    return InTransaction(shop, [&shop, &conditions, &progress] {
        const QVariantList keys =
            SelectKeys(shop, QStringLiteral("SELECT hybh FROM hyxx") + conditions.where(),
                       conditions.values());
        DeleteByKeys(shop, QStringLiteral("hyxx"), QStringLiteral("hybh"), keys, progress);
        shop.announce(ShopChange::Members, ShopOperation::DeleteMembers);
        QStringList numbers;
        for (const QVariant& key : keys)
            numbers << key.toString();
        return numbers;
    });
}

void DeleteRentalsOfMembers(Shop& shop, const QStringList& numbers, const RowsDone& progress)
{
    InTransaction(shop, [&shop, &numbers, &progress] {
        DeleteByKeys(shop, QStringLiteral("zjxx"), QStringLiteral("hybh"),
                     QVariantList(numbers.begin(), numbers.end()), progress);
        shop.announce(ShopChange::Rentals, ShopOperation::DeleteMembers);
    });
}
