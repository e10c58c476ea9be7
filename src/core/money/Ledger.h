#pragma once

#include "core/store/LedgerSchema.h"
#include "core/store/Money.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <optional>

class Shop;

// What moved money, as the ledger names it. Amounts are what the shop
// gained: a deposit handed back is negative; a member's rental charge is
// positive (rent earned), though it takes no cash and lowers the prepaid rent.
enum class LedgerKind
{
    WalkInDeposit,     // 散客押金: a walk-in rental's deposit taken
    WalkInRent,        // 散客租金: rent received at checkout
    DepositBack,       // 退还押金: a deposit handed back at checkout
    MemberCharge,      // 会员租金: a member's rental, taken from the prepaid rent
    MemberPrepaid,     // 预付租金: a new member's prepaid rent
    MemberDeposit,     // 会员押金: a new member's deposit
    PrepaidTopUp,      // 预付租金充值
    PrepaidCorrection, // 预付租金更正 (a lower prepaid rent)
    DepositTopUp,      // 会员押金补交
    DepositCorrection, // 会员押金更正 (a lower deposit)
    OpeningPrepaid,    // 期初预付租金: balances a shop had before it kept a ledger
    OpeningDeposit,    // 期初会员押金
    ExpertPrepaid,     // 专家修改预付租金: a typed statement changed it (no cash)
    ExpertDeposit,     // 专家修改会员押金
    AdjustPrepaid, // 账务调整预付租金: an imported shop's money taken as it stood (no cash)
    AdjustDeposit, // 账务调整会员押金
    LateFee,      // 超期罚金: a member's disc kept beyond the alert days, from the prepaid rent
    Compensation, // 赔偿: a walk-in's charge for a disc lost or damaged, in cash
    MemberCompensation, // 会员赔偿: a member's, taken from the prepaid rent
};
QString LedgerKindName(LedgerKind kind);

struct LedgerLine
{
    LedgerKind kind;
    qint64 zdbh = 0; // the rental, 0 when none
    QString bh = QStringLiteral("/");
    QString hybh = QStringLiteral("/");
    Money amount = 0;
};
// Appends a line now, signed with this counter's name and till and the
// person logged on, within the caller's transaction. Throws MovrntError.
void WriteLedger(Shop& shop, const LedgerLine& line);

// The statement that writes a line, and its values (now, this counter).
QString LedgerInsert();
QVariantList LedgerValues(const LedgerLine& line);

struct MemberMismatch
{
    QString hybh;
    Money prepaid = 0, deposit = 0;
    bool opened = false;
    Money ledgerPrepaid = 0, ledgerDeposit = 0;
};
// Every row of a query, its values as text, on the connection the caller holds.
using LedgerRows = std::function<QList<QStringList>(const QString& sql)>;
// The members whose money disagrees with their lines. Throws MovrntError
// (from `source`) for a line of an operation the program never writes, or
// of a member number that was never opened (a member deleted later keeps
// his history).
QList<MemberMismatch> LedgerDisagreements(const LedgerRows& rows, const QString& source);
// The members named with both amounts, for the one who decides.
QString MismatchReport(const QList<MemberMismatch>& members);
// The members' money checked against the ledger of the shop at `location`,
// read on a connection of its own (safe on a worker thread): empty when
// every member's agrees, else what disagrees, for the owner. Throws
// MovrntError, also when `stop` is set before it is done.
QString LedgerCheck(const QString& location, const std::atomic_bool* stop = nullptr);
// What makes the ledger agree: opening lines for a member who had none, else
// one adjustment a money that disagrees (neither is cash).
QList<LedgerLine> Adjustments(const QList<MemberMismatch>& members);

// Money as the ledger's displays show it: "￥198.50", "-￥5.00"; more
// decimals only where the amount has them.
QString YuanText(Money amount);

// The money of a span of days, as the takings show it.
struct Takings
{
    Money walkInRent = 0;         // rent received from walk-in customers
    Money depositsTaken = 0;      // walk-in deposits taken
    Money depositsBack = 0;       // walk-in deposits handed back (a positive sum)
    Money memberPrepaid = 0;      // members' prepaid rent received (top-ups, less corrections)
    Money memberDeposits = 0;     // members' deposits received (less corrections)
    Money memberCharged = 0;      // members' rent taken from prepaid money: no cash
    Money lateFees = 0;           // members' late fees taken from prepaid money: no cash
    Money compensation = 0;       // walk-ins' charges for discs lost or damaged, in cash
    Money memberCompensation = 0; // members' charges, taken from prepaid money: no cash
    // Cash received less cash handed back: what the till gained.
    Money cash = 0;
};
// The lines of `counter` (every counter when empty) dated from `first` to
// `last`, date texts yyyy-MM-dd. Throws MovrntError.
Takings TakingsBetween(Shop& shop, const QString& first, const QString& last,
                       const QString& counter = {});
// A month typed as in the month figures; nothing is counted unless the year
// has four digits and the month two.
Takings MonthTakings(Shop& shop, const QString& year, const QString& month);
// The takings' captions and amounts in the order the windows show them.
QList<std::pair<QString, Money>> TakingsRows(const Takings& takings);

struct LedgerEntry
{
    qint64 lsh = 0;
    QString time, kind;
    qint64 zdbh = 0;
    QString bh, hybh;
    Money amount = 0;
    QString counter;
    QString till, person; // empty on lines written before they were kept
};
// A till: the counter's identity (gtid) and the names it wrote under that
// day; lines from before tills were kept have no identity and one name.
struct Till
{
    QString id;
    QStringList names;
};
// The tills that wrote lines on a day: this counter's first, then by name.
QList<Till> DayTills(Shop& shop, const QString& day);
// The people who took money at a till on a day, in name order.
QStringList TillPeople(Shop& shop, const QString& day, const Till& till);
// A till's takings of a day, of one person when given. Throws MovrntError.
Takings TillTakings(Shop& shop, const QString& day, const Till& till,
                    const std::optional<QString>& person = std::nullopt);
// Whether a line of this kind moves cash in or out of the till.
bool IsCashLine(const QString& kind);
// A day's lines, in the order they were written. Throws MovrntError.
QList<LedgerEntry> DayLedger(Shop& shop, const QString& day);

// A member's statement: the lines since the member's opening or joining
// line (a number used again starts afresh), with the prepaid rent after each.
struct StatementLine
{
    LedgerEntry entry;
    Money change = 0;  // to the member's prepaid rent; a deposit's own amount
    Money prepaid = 0; // the prepaid rent after the line
};
QList<StatementLine> MemberStatement(Shop& shop, const QString& hybh);
