#pragma once

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
