#include "Ledger.h"
#include "core/store/Shop.h"

#include "core/access/PassCheck.h"

#include "core/settings/Settings.h"
#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/LedgerSchema.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <algorithm>

namespace {
// Each kind (in LedgerKind's order, which is the ledger's rules' order) and
// the takings it counts in.
struct KindInfo
{
    LedgerKind kind;
    Money Takings::*bucket;
};

const KindInfo kKinds[] = {
    {LedgerKind::WalkInDeposit, &Takings::depositsTaken},
    {LedgerKind::WalkInRent, &Takings::walkInRent},
    {LedgerKind::DepositBack, &Takings::depositsBack},
    {LedgerKind::MemberCharge, &Takings::memberCharged},
    {LedgerKind::MemberPrepaid, &Takings::memberPrepaid},
    {LedgerKind::MemberDeposit, &Takings::memberDeposits},
    {LedgerKind::PrepaidTopUp, &Takings::memberPrepaid},
    {LedgerKind::PrepaidCorrection, &Takings::memberPrepaid},
    {LedgerKind::DepositTopUp, &Takings::memberDeposits},
    {LedgerKind::DepositCorrection, &Takings::memberDeposits},
    {LedgerKind::OpeningPrepaid, nullptr},
    {LedgerKind::OpeningDeposit, nullptr},
    {LedgerKind::ExpertPrepaid, nullptr},
    {LedgerKind::ExpertDeposit, nullptr},
    {LedgerKind::AdjustPrepaid, nullptr},
    {LedgerKind::AdjustDeposit, nullptr},
    {LedgerKind::LateFee, &Takings::lateFees},
    {LedgerKind::Compensation, &Takings::compensation},
    {LedgerKind::MemberCompensation, &Takings::memberCompensation},
};

// The kind a line's operation names; null for one the program never writes
// (the expert could not have written it either): counted nowhere.
const KindInfo* Find(const QString& name)
{
    const LedgerKindRule* rule = FindLedgerKind(name);
    return rule ? &kKinds[rule - LedgerKindRules().data()] : nullptr;
}

const LedgerKindRule& RuleOf(const KindInfo& info)
{
    return LedgerKindRules()[int(info.kind)];
}

const QString kColumns = QStringLiteral("lsh, jzsj, ywlx, zdbh, bh, hybh, je, gtmc, gtid, czy");

LedgerEntry Entry(const QSqlQuery& query)
{
    return {query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString(),
            query.value(3).toLongLong(), query.value(4).toString(), query.value(5).toString(),
            query.value(6).toLongLong(), query.value(7).toString(), query.value(8).toString(),
            query.value(9).toString()};
}

// Date texts as the bounds of the line times within them; the bounds hold
// under any collation, since every field of a time text has its own width.
QVariantList DaySpan(const QString& first, const QString& last)
{
    return {first + QStringLiteral(" 00:00:00"), last + QStringLiteral(" 99")};
}
} // namespace

QString LedgerKindName(LedgerKind kind)
{
    return QString::fromUtf16(LedgerKindRules()[int(kind)].name);
}

QString LedgerInsert()
{
    return QStringLiteral(
        "INSERT INTO zwls (jzsj, ywlx, zdbh, bh, hybh, je, gtmc, gtid, czy) VALUES"
        " (?,?,?,?,?,?,?,?,?)");
}

QVariantList LedgerValues(const LedgerLine& line)
{
    return {NowText(),      LedgerKindName(line.kind),
            line.zdbh,      line.bh,
            line.hybh,      line.amount,
            CounterName(),  TillId(),
            CurrentPerson()};
}

void WriteLedger(Shop& shop, const LedgerLine& line)
{
    RunSql(shop, LedgerInsert(), LedgerValues(line));
}

namespace {
QString UnknownKindsQuery()
{
    QStringList names;
    for (const LedgerKindRule& rule : LedgerKindRules())
        names << u'\'' + QString::fromUtf16(rule.name) + u'\'';
    return QStringLiteral("SELECT lsh, ywlx FROM zwls WHERE ywlx NOT IN (%1) LIMIT 1")
        .arg(names.join(QStringLiteral(", ")));
}

QString UnopenedMembersQuery()
{
    return QStringLiteral(
               "SELECT hybh FROM zwls WHERE hybh <> '/' AND hybh NOT IN (SELECT hybh FROM"
               " zwls WHERE ywlx IN %1) LIMIT 1")
        .arg(kOpenings);
}

} // namespace

QList<MemberMismatch> LedgerDisagreements(const LedgerRows& rows, const QString& source)
{
    if (const QList<QStringList> line = rows(UnknownKindsQuery()); !line.isEmpty())
        throw MovrntError(QStringLiteral("账务流水第 %1 条：“%2”不是本系统记录的业务")
                              .arg(line[0].value(0), line[0].value(1).left(40)),
                          source);
    if (const QList<QStringList> member = rows(UnopenedMembersQuery()); !member.isEmpty())
        throw MovrntError(QStringLiteral("账务流水中有会员 %1 的记录，却没有他的入会或期初记录")
                              .arg(member[0].value(0).left(40)),
                          source);
    QList<MemberMismatch> members;
    for (const QStringList& row : rows(MemberMoneyQuery()))
        members.append({row.value(0), row.value(1).toLongLong(), row.value(2).toLongLong(),
                        row.value(3) != u"0", row.value(4).toLongLong(),
                        row.value(5).toLongLong()});
    return members;
}

QString MismatchReport(const QList<MemberMismatch>& members)
{
    QStringList lines;
    for (const MemberMismatch& member : members.mid(0, 20))
        lines << (member.opened
                      ? QStringLiteral(
                            "会员 %1：预付租金 %2（账务流水为 %3），押金 %4（账务流水为 %5）")
                            .arg(member.hybh, YuanText(member.prepaid),
                                 YuanText(member.ledgerPrepaid), YuanText(member.deposit),
                                 YuanText(member.ledgerDeposit))
                      : QStringLiteral("会员 %1：账务流水中没有期初记录（预付租金 %2，押金 %3）")
                            .arg(member.hybh, YuanText(member.prepaid), YuanText(member.deposit)));
    if (members.size() > 20)
        lines << QStringLiteral("…… 共 %1 名会员").arg(members.size());
    return QStringLiteral("以下会员的预付租金或押金与账务流水不符：\n") + lines.join(u'\n');
}

QString LedgerCheck(const QString& location, const std::atomic_bool* stop)
{
    const QString kSource = QStringLiteral("账务核对");
    const LedgerRows rows = [&location, stop](const QString& sql) {
        QList<QStringList> read;
        ScanRows(
            location, sql, {},
            [&read](const QVariantList& values) {
                QStringList row;
                for (const QVariant& value : values)
                    row << value.toString();
                read << row;
                return true;
            },
            stop);
        return read;
    };
    try {
        const QList<MemberMismatch> members = LedgerDisagreements(rows, kSource);
        return members.isEmpty() ? QString() : MismatchReport(members);
    } catch (const MovrntError& error) {
        if (error.source() != kSource)
            throw;
        return error.description();
    }
}

QList<LedgerLine> Adjustments(const QList<MemberMismatch>& members)
{
    QList<LedgerLine> lines;
    const QString none = QStringLiteral("/");
    for (const MemberMismatch& member : members) {
        if (!member.opened) {
            lines.append({LedgerKind::OpeningPrepaid, 0, none, member.hybh, member.prepaid});
            if (member.deposit != 0)
                lines.append({LedgerKind::OpeningDeposit, 0, none, member.hybh, member.deposit});
            continue;
        }
        if (member.prepaid != member.ledgerPrepaid)
            lines.append({LedgerKind::AdjustPrepaid, 0, none, member.hybh,
                          member.prepaid - member.ledgerPrepaid});
        if (member.deposit != member.ledgerDeposit)
            lines.append({LedgerKind::AdjustDeposit, 0, none, member.hybh,
                          member.deposit - member.ledgerDeposit});
    }
    return lines;
}

QString YuanText(Money amount)
{
    QString text = MoneyText(amount);
    const bool negative = text.startsWith(u'-');
    if (negative)
        text.remove(0, 1);
    const qsizetype point = text.indexOf(u'.');
    if (point < 0)
        text += QStringLiteral(".00");
    else if (text.size() - point == 2)
        text += u'0';
    return (negative ? QStringLiteral("-￥") : QStringLiteral("￥")) + text;
}

namespace {
// The day totals of the rows `where` picks (after the dates).
Takings SumTakings(Shop& shop, const QString& first, const QString& last, const QString& where,
                   const QVariantList& more)
{
    // The day totals the ledger's triggers keep: a month is a few hundred rows
    // however many lines it had.
    QVariantList values = QVariantList{first, last} + more;
    // Summed in two halves that cannot overflow however many days there are,
    // and put together here; a sum past the 64-bit range is said so.
    const QString sql =
        QStringLiteral("SELECT ywlx, CAST(SUM(je / 4294967296) AS BIGINT),"
                       " CAST(SUM(je % 4294967296) AS BIGINT) FROM zwrz WHERE rq >= ?"
                       " AND rq <= ?") +
        where;
    QSqlQuery query = RunSql(shop, sql + QStringLiteral(" GROUP BY ywlx"), values);
    Takings takings;
    while (query.next()) {
        const KindInfo* info = Find(query.value(0).toString());
        if (!info || !info->bucket)
            continue;
        const auto checked = [](std::optional<Money> amount) {
            if (!amount)
                throw MovrntError(kBeyondCounting, QStringLiteral("MOVRNT.db"));
            return *amount;
        };
        const Money whole =
            checked(AddMoney(checked(MultiplyMoney(query.value(1).toLongLong(), 4294967296)),
                             query.value(2).toLongLong()));
        Money& bucket = takings.*(info->bucket);
        bucket = checked(info->kind == LedgerKind::DepositBack ? SubtractMoney(bucket, whole)
                                                               : AddMoney(bucket, whole));
        if (RuleOf(*info).cash)
            takings.cash = checked(AddMoney(takings.cash, whole));
    }
    return takings;
}

// The rows of a till: its identity, or for lines written before tills were
// kept, its counter's name.
std::pair<QString, QVariantList> TillWhere(const Till& till)
{
    return till.id.isEmpty() ? std::pair{QStringLiteral(" AND gtid = '' AND gtmc = ?"),
                                         QVariantList{till.names.value(0)}}
                             : std::pair{QStringLiteral(" AND gtid = ?"), QVariantList{till.id}};
}
} // namespace

Takings TakingsBetween(Shop& shop, const QString& first, const QString& last,
                       const QString& counter)
{
    return counter.isEmpty()
               ? SumTakings(shop, first, last, {}, {})
               : SumTakings(shop, first, last, QStringLiteral(" AND gtmc = ?"), {counter});
}

Takings TillTakings(Shop& shop, const QString& day, const Till& till,
                    const std::optional<QString>& person)
{
    auto [where, values] = TillWhere(till);
    if (person) {
        where += QStringLiteral(" AND czy = ?");
        values << (person->isNull() ? QStringLiteral("") : *person);
    }
    return SumTakings(shop, day, day, where, values);
}

QList<Till> DayTills(Shop& shop, const QString& day)
{
    QSqlQuery query = RunSql(
        shop,
        QStringLiteral("SELECT gtid, gtmc FROM zwrz WHERE rq = ? AND bs <> 0 GROUP BY gtid, gtmc"
                       " ORDER BY gtid, gtmc"),
        {day});
    QList<Till> tills;
    while (query.next()) {
        const QString id = query.value(0).toString(), name = query.value(1).toString();
        if (!id.isEmpty() && !tills.isEmpty() && tills.last().id == id)
            tills.last().names << name;
        else
            tills.append({id, {name}});
    }
    // This counter's till first, then by name.
    const QString mine = TillId();
    std::stable_sort(tills.begin(), tills.end(), [&mine](const Till& a, const Till& b) {
        return std::pair(a.id != mine || mine.isEmpty(), a.names.value(0)) <
               std::pair(b.id != mine || mine.isEmpty(), b.names.value(0));
    });
    return tills;
}

QStringList TillPeople(Shop& shop, const QString& day, const Till& till)
{
    const auto [where, values] = TillWhere(till);
    QSqlQuery query =
        RunSql(shop,
               QStringLiteral("SELECT DISTINCT czy FROM zwrz WHERE rq = ? AND bs <> 0") + where +
                   QStringLiteral(" ORDER BY czy"),
               QVariantList{day} + values);
    QStringList people;
    while (query.next())
        people << query.value(0).toString();
    return people;
}

bool IsCashLine(const QString& kind)
{
    const LedgerKindRule* rule = FindLedgerKind(kind);
    return rule && rule->cash;
}

Takings MonthTakings(Shop& shop, const QString& year, const QString& month)
{
    static const QRegularExpression fourDigits(QStringLiteral("^[0-9]{4}$"));
    static const QRegularExpression twoDigits(QStringLiteral("^[0-9]{2}$"));
    if (!fourDigits.match(year).hasMatch() || !twoDigits.match(month).hasMatch())
        return {};
    const QString prefix = year + u'-' + month;
    return TakingsBetween(shop, prefix + QStringLiteral("-00"), prefix + QStringLiteral("-99"));
}

QList<std::pair<QString, Money>> TakingsRows(const Takings& takings)
{
    return {{QStringLiteral("散客租金收入"), takings.walkInRent},
            {QStringLiteral("收取散客押金"), takings.depositsTaken},
            {QStringLiteral("退还散客押金"), takings.depositsBack},
            {QStringLiteral("会员预付租金收入"), takings.memberPrepaid},
            {QStringLiteral("会员押金收入"), takings.memberDeposits},
            {QStringLiteral("会员租金（从预付租金扣除）"), takings.memberCharged},
            {QStringLiteral("超期罚金（从预付租金扣除）"), takings.lateFees},
            {QStringLiteral("散客赔偿收入"), takings.compensation},
            {QStringLiteral("会员赔偿（从预付租金扣除）"), takings.memberCompensation},
            {QStringLiteral("现金结余"), takings.cash}};
}

QList<LedgerEntry> DayLedger(Shop& shop, const QString& day)
{
    QSqlQuery query = RunSql(shop,
                             QStringLiteral("SELECT ") + kColumns +
                                 QStringLiteral(" FROM zwls WHERE jzsj >= ? AND jzsj <= ?"
                                                " ORDER BY jzsj, lsh"),
                             DaySpan(day, day));
    QList<LedgerEntry> entries;
    while (query.next())
        entries << Entry(query);
    return entries;
}

QList<StatementLine> MemberStatement(Shop& shop, const QString& hybh)
{
    const QVariant start = RunScalar(
        shop, QStringLiteral("SELECT MAX(lsh) FROM zwls WHERE hybh = ? AND ywlx IN (?, ?)"),
        {hybh, kOpeningPrepaid, LedgerKindName(LedgerKind::MemberPrepaid)});
    QSqlQuery query =
        RunSql(shop,
               QStringLiteral("SELECT ") + kColumns +
                   QStringLiteral(" FROM zwls WHERE hybh = ? AND lsh >= ? ORDER BY lsh"),
               {hybh, start.isNull() ? 0 : start.toLongLong()});
    QList<StatementLine> lines;
    Money prepaid = 0;
    while (query.next()) {
        const LedgerEntry entry = Entry(query);
        const LedgerKindRule* rule = FindLedgerKind(entry.kind);
        const Money change = rule && rule->prepaid ? rule->prepaid * entry.amount : entry.amount;
        if (rule && rule->prepaid)
            prepaid += change;
        lines.append({entry, change, prepaid});
    }
    return lines;
}
