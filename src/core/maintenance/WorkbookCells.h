#pragma once

#include "WorkbookReader.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <variant>

// How the cells of the three tables' sheets are read and checked, for the
// import and the restore alike, and how numbers are written back.

// How a column's cells are read and checked.
enum class CellKind
{
    Key,        // the record's number: text, never empty
    MemberKey,  // a member's number: a Key, never "/" (the walk-in mark)
    Text,       // text, never empty
    Optional,   // text, "/" when empty
    Plain,      // text, empty when empty
    Flag,       // 是 or 否
    Date,       // a date, kept as 2003-01-05
    ReturnDate, // a date, or "/" while the disc is out
    Deposit,    // a deposit checkout can add up, or "/"
    Serial,     // a whole number from 1
    Count,      // a whole number from 0
    Amount,     // a number
    Whole,      // a whole number, of either sign (the ledger's amounts and rentals)
    Time,       // a date and time, kept as 2003-01-05 14:05:31
};

struct SheetRules
{
    QString table;
    QStringList columns;
    QList<CellKind> kinds;
    // The leading columns every sheet has; an older sheet may stop after
    // them, its rows taking the rest empty. 0: all of them.
    qsizetype required = 0;
};
// The three working tables, in their order.
const QList<SheetRules>& WorkbookTables();
// The ledger's sheet, after them; older workbooks lack it.
const SheetRules& LedgerSheet();
// The sheets of the records beyond the counter, after the ledger's; older
// workbooks lack them.
const QList<SheetRules>& RecordSheets();

// Sheet names of a table: the rentals continue on zjxx_2, zjxx_3, ...
QString SheetName(const QString& table, int part);

// A number as text: whole numbers without a point (1, not 1.0), others in
// their shortest form.
QString NumberText(double value);
// A deposit as stored is written as a number when it reads back the same.
bool IsPlainNumber(const QString& text);
// What a cell shows as text.
QString CellText(const SheetCell& cell);

using Value = std::variant<QString, qint64, double>;
// The value to store for a cell, or the reason it cannot be taken.
std::variant<Value, QString> Convert(const SheetCell& cell, CellKind kind);
