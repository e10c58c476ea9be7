#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

// The ledger zwls: a line for every yuan that changed hands, appended in the
// transaction of the operation that moved it. Amounts (je) are whole
// ten-thousandths of a yuan, the program's Money, exact on both engines.
const std::pair<QString, QStringList>& LedgerTable();
// Ledgers written before the till and the person were kept have only the
// first columns.
inline constexpr qsizetype kLedgerColumnsOfOld = 8;
// Whether `columns` are the ledger's, as now or as before.
bool LedgerColumns(const QStringList& columns);
// The table, its indexes and its day totals zwrz (money and lines per day,
// operation, counter, till and person), which the ledger's triggers keep.
// Each line names its till (gtid) and the person who took the money (czy);
// lines written before they were kept name neither ('').
QStringList LedgerSchema(bool server);
// What gives an older ledger and its totals the till and the person.
QStringList PersonAndTillSteps(bool server);
// The day totals counted afresh from the lines, after a load in bulk.
QStringList LedgerTotalsRebuild();
// One opening line for each member's prepaid rent (every member: it starts
// the member's statement) and deposit (when not zero), dated `time`: what a
// shop that kept no ledger hands over to one. `time` is a NowText().
QStringList OpeningLines(const QString& time);
// The operation names of the opening lines.
inline const QString kOpeningPrepaid = QStringLiteral("期初预付租金");
inline const QString kOpeningDeposit = QStringLiteral("期初会员押金");

// What a line of each kind does to a member's money and to the till, in the
// order of the program's LedgerKind: the ledger's own rules, which the SQL
// below and the program's takings read alike.
struct LedgerKindRule
{
    const char16_t* name; // the operation, as zwls.ywlx holds it
    bool cash;            // counts in the till
    int prepaid;          // how it moves the member's prepaid rent: +1, -1 or 0
    bool deposit;         // it moves the member's deposit by its amount
};
const QList<LedgerKindRule>& LedgerKindRules();
// The rule of an operation's name; null for one the program never writes.
const LedgerKindRule* FindLedgerKind(const QString& name);
// The kinds that open a member's money, as an SQL list.
inline const QString kOpenings = QStringLiteral("('预付租金', '期初预付租金')");

// The ledger agrees with the members' money: from a member's opening line
// (his latest 预付租金 or 期初预付租金) on, his prepaid rent and deposit are
// the sums of his lines. The members whose money disagrees with their lines,
// or who have no opening line (hybh, prepaid, deposit, opened 0/1, the
// lines' prepaid and deposit; amounts in Money), the same SQL on both engines:
// `member`: an SQL expression naming the one member to check; empty: all.
QString MemberMoneyQuery(const QString& member = {});
// On a server: a deferred constraint trigger refusing, at commit, a member
// whose money the ledger does not account for (his money changed without
// its lines), whoever wrote it.
QStringList MoneyLinesGuard();
