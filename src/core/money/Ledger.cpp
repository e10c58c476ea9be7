#include "Ledger.h"

#include "settings/Settings.h"
#include "store/Clock.h"
#include "store/Database.h"
#include "store/LedgerSchema.h"

#include <QRegularExpression>
#include <QSqlQuery>

namespace {
struct KindInfo
{
    LedgerKind kind;
    const char16_t* name;
    bool cash;   // counts in the till
    int prepaid; // how the line moves the member's prepaid rent: +1, -1 or 0
    Money Takings::*bucket;
};

const KindInfo kKinds[] = {
    {LedgerKind::WalkInDeposit, u"散客押金", true, 0, &Takings::depositsTaken},
    {LedgerKind::WalkInRent, u"散客租金", true, 0, &Takings::walkInRent},
    {LedgerKind::DepositBack, u"退还押金", true, 0, &Takings::depositsBack},
    {LedgerKind::MemberCharge, u"会员租金", false, -1, &Takings::memberCharged},
    {LedgerKind::MemberPrepaid, u"预付租金", true, 1, &Takings::memberPrepaid},
    {LedgerKind::MemberDeposit, u"会员押金", true, 0, &Takings::memberDeposits},
    {LedgerKind::PrepaidTopUp, u"预付租金充值", true, 1, &Takings::memberPrepaid},
    {LedgerKind::PrepaidCorrection, u"预付租金更正", true, 1, &Takings::memberPrepaid},
    {LedgerKind::DepositTopUp, u"会员押金补交", true, 0, &Takings::memberDeposits},
    {LedgerKind::DepositCorrection, u"会员押金更正", true, 0, &Takings::memberDeposits},
    {LedgerKind::OpeningPrepaid, u"期初预付租金", false, 1, nullptr},
    {LedgerKind::OpeningDeposit, u"期初会员押金", false, 0, nullptr},
};

const KindInfo* Find(const QString& name)
{
    for (const KindInfo& info : kKinds)
        if (name == QStringView(info.name))
            return &info;
    return nullptr; // a line the expert could not have written: counted nowhere
}

const QString kColumns = QStringLiteral("lsh, jzsj, ywlx, zdbh, bh, hybh, je, gtmc");

LedgerEntry Entry(const QSqlQuery& query)
{
    return {query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString(),
            query.value(3).toLongLong(), query.value(4).toString(), query.value(5).toString(),
            query.value(6).toLongLong(), query.value(7).toString()};
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
    for (const KindInfo& info : kKinds)
        if (info.kind == kind)
            return QString::fromUtf16(info.name);
    return {};
}

void WriteLedger(const LedgerLine& line)
{
    RunSql(QStringLiteral("INSERT INTO zwls (jzsj, ywlx, zdbh, bh, hybh, je, gtmc) VALUES"
                          " (?,?,?,?,?,?,?)"),
           {NowText(), LedgerKindName(line.kind), line.zdbh, line.bh, line.hybh, line.amount,
            CounterName()});
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

Takings TakingsBetween(const QString& first, const QString& last, const QString& counter)
{
    // The day totals the ledger's triggers keep: a month is a few hundred rows
    // however many lines it had.
    QVariantList values = {first, last};
    QString sql = QStringLiteral("SELECT ywlx, CAST(SUM(je) AS BIGINT) FROM zwrz WHERE rq >= ?"
                                 " AND rq <= ?");
    if (!counter.isEmpty()) {
        sql += QStringLiteral(" AND gtmc = ?");
        values << counter;
    }
    QSqlQuery query = RunSql(sql + QStringLiteral(" GROUP BY ywlx"), values);
    Takings takings;
    while (query.next()) {
        const KindInfo* info = Find(query.value(0).toString());
        if (!info || !info->bucket)
            continue;
        const Money sum = query.value(1).toLongLong();
        takings.*(info->bucket) += info->kind == LedgerKind::DepositBack ? -sum : sum;
        if (info->cash)
            takings.cash += sum;
    }
    return takings;
}

Takings MonthTakings(const QString& year, const QString& month)
{
    static const QRegularExpression fourDigits(QStringLiteral("^[0-9]{4}$"));
    static const QRegularExpression twoDigits(QStringLiteral("^[0-9]{2}$"));
    if (!fourDigits.match(year).hasMatch() || !twoDigits.match(month).hasMatch())
        return {};
    const QString prefix = year + u'-' + month;
    return TakingsBetween(prefix + QStringLiteral("-00"), prefix + QStringLiteral("-99"));
}

QList<std::pair<QString, Money>> TakingsRows(const Takings& takings)
{
    return {{QStringLiteral("散客租金收入"), takings.walkInRent},
            {QStringLiteral("收取散客押金"), takings.depositsTaken},
            {QStringLiteral("退还散客押金"), takings.depositsBack},
            {QStringLiteral("会员预付租金收入"), takings.memberPrepaid},
            {QStringLiteral("会员押金收入"), takings.memberDeposits},
            {QStringLiteral("会员租金（从预付租金扣除）"), takings.memberCharged},
            {QStringLiteral("现金结余"), takings.cash}};
}

QList<LedgerEntry> DayLedger(const QString& day)
{
    QSqlQuery query = RunSql(QStringLiteral("SELECT ") + kColumns +
                                 QStringLiteral(" FROM zwls WHERE jzsj >= ? AND jzsj <= ?"
                                                " ORDER BY jzsj, lsh"),
                             DaySpan(day, day));
    QList<LedgerEntry> entries;
    while (query.next())
        entries << Entry(query);
    return entries;
}

QStringList DayCounters(const QString& day)
{
    QSqlQuery query = RunSql(
        QStringLiteral("SELECT DISTINCT gtmc FROM zwrz WHERE rq = ? AND bs <> 0 ORDER BY gtmc"),
        {day});
    QStringList counters;
    while (query.next())
        counters << query.value(0).toString();
    return counters;
}

QList<StatementLine> MemberStatement(const QString& hybh)
{
    const QVariant start =
        RunScalar(QStringLiteral("SELECT MAX(lsh) FROM zwls WHERE hybh = ? AND ywlx IN (?, ?)"),
                  {hybh, kOpeningPrepaid, LedgerKindName(LedgerKind::MemberPrepaid)});
    QSqlQuery query =
        RunSql(QStringLiteral("SELECT ") + kColumns +
                   QStringLiteral(" FROM zwls WHERE hybh = ? AND lsh >= ? ORDER BY lsh"),
               {hybh, start.isNull() ? 0 : start.toLongLong()});
    QList<StatementLine> lines;
    Money prepaid = 0;
    while (query.next()) {
        const LedgerEntry entry = Entry(query);
        const KindInfo* info = Find(entry.kind);
        const Money change = info && info->prepaid ? info->prepaid * entry.amount : entry.amount;
        if (info && info->prepaid)
            prepaid += change;
        lines.append({entry, change, prepaid});
    }
    return lines;
}
