#pragma once

#include "core/store/Money.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class Shop;

// A printed page of money: a title, lines above a table, the table, and
// lines of totals below it.
struct MoneyDocument
{
    QString title;
    QString day; // the day it is about (yyyy-MM-dd); empty: today
    QStringList intro;
    QStringList headings;
    QList<QStringList> rows;       // a row of one cell is a section's caption
    QList<qsizetype> rightAligned; // columns of amounts
    QStringList closing;
};

// 日结单: a day's ledger lines, cash and no cash apart with their sums; each
// till's takings (by person when several took money there), its float and
// the cash it should hold (this counter's, when the clerk typed its float),
// blanks for the counted cash and the signatures; the whole shop's totals.
// On a file it ends with the check of the members' money against the ledger:
// `ledgerCheck`, when the caller made it (LedgerCheck, on a worker), else
// made here. Throws MovrntError.
MoneyDocument DayEndReport(Shop& shop, const QString& day, std::optional<Money> cashFloat,
                           const std::optional<QString>& ledgerCheck = std::nullopt);
// A member's statement: the lines with the prepaid rent after each.
MoneyDocument MemberStatementReport(Shop& shop, const QString& hybh);
