#pragma once

#include "store/Money.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// A printed page of money: a title, lines above a table, the table, and
// lines of totals below it.
struct MoneyDocument
{
    QString title;
    QStringList intro;
    QStringList headings;
    QList<QStringList> rows;
    QStringList closing;
};

// 日结单: every ledger line of a day, the takings per counter once several
// counters wrote lines, the day's totals and, when the clerk typed the
// morning's float, the cash that should be in this counter's till.
// Throws MovrntError.
MoneyDocument DayEndReport(const QString& day, std::optional<Money> cashFloat);
// A member's statement: the lines with the prepaid rent after each.
MoneyDocument MemberStatementReport(const QString& hybh);
