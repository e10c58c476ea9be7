#pragma once

#include <QString>
#include <QStringList>
#include <utility>

// The ledger zwls: a line for every yuan that changed hands, appended in the
// transaction of the operation that moved it. Amounts (je) are whole
// ten-thousandths of a yuan, the program's Money, exact on both engines.
const std::pair<QString, QStringList>& LedgerTable();
// The table, its indexes and its day totals zwrz (money and lines per day,
// operation and counter), which the ledger's triggers keep.
QStringList LedgerSchema(bool server);
// The day totals counted afresh from the lines, after a load in bulk.
QStringList LedgerTotalsRebuild();
// One opening line for each member's prepaid rent (every member: it starts
// the member's statement) and deposit (when not zero), dated `time`: what a
// shop that kept no ledger hands over to one. `time` is a NowText().
QStringList OpeningLines(const QString& time);
// The operation names of the opening lines.
inline const QString kOpeningPrepaid = QStringLiteral("期初预付租金");
inline const QString kOpeningDeposit = QStringLiteral("期初会员押金");
