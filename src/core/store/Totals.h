#pragma once

#include "Conditions.h"

class Shop;

#include <QStringList>
#include <optional>

// Running totals the database keeps itself (by triggers, whoever writes), so
// that no count, figure or ranking reads a million rentals:
//   jlsl: rows per table, and per text of a flag column (bm, zd, zt, sl);
//   mrcz: rentals per rental date and their disc's type and genre, rentals of
//         discs that no longer exist left out (czrq, ydlx, lx, sl);
//   ydzc: rentals per disc number, its disc existing or not (bh, cs).
// A NULL type, genre or flag is kept as '' (every reader treats the two
// alike); a rental without a date or a disc number is counted in neither.

// The tables, their indexes and the triggers that keep them, in the dialect
// of the file or of a server.
QStringList TotalsSchema(bool server);
// The day totals of dates in other shapes, which a month's figures read
// apart from the month's range (made with the totals; added to older ones).
QString TotalsOddDaysIndex();
// The triggers alone (a bulk load drops them and makes them again).
QStringList TotalsTriggers(bool server);
// Counts the totals afresh from the tables; the same SQL on both engines.
QStringList TotalsRebuild();
// The table names, for the expert's refusals.
const QStringList& TotalsTables();

// The rows of a table under conditions, when the totals know it (no
// condition, or one flag equal to a text); Throws MovrntError.
std::optional<qint64> KnownCount(Shop& shop, const QString& table, const Conditions& conditions);
// The rows of a table, or the rows whose `column` is `text`.
qint64 TableCount(Shop& shop, const QString& table, const QString& column = {},
                  const QString& text = {});
