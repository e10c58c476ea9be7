#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What a valid shop is, kept by the database itself on both engines, so that
// no way in (a typed statement, psql, a restored file) stores a row the
// program would refuse: BEFORE triggers that abort on the file, CHECK
// constraints on a server. The import and restore check the same cell by cell;
// these are the second line behind them.
//
// Dates are no rule: a text that is no date reads as 1900-01-01, and may be stored.
struct ShopRule
{
    QString table;
    QString name; // of the constraint on a server, unique in the schema
    // True for a row that breaks the rule: SQL over the row's columns, each
    // written %1column so that a trigger can read them as NEW.column.
    QString broken;
    QString fileOnly; // more of the same on the file, whose columns take any type
    QString words;    // the refusal

    QString condition(bool server, const QString& row = {}) const;
};
const QList<ShopRule>& ShopRules();

// Rental numbers end here: beyond, a spreadsheet or a double would not read
// them back exactly (fifteen digits, as a spreadsheet keeps).
constexpr qint64 kMaxRentalNumber = 999'999'999'999'999;
// The ledger's amounts, in ten-thousandths of a yuan: a cell's exact whole numbers.
constexpr qint64 kMaxLedgerAmount = 9'000'000'000'000'000;

// Puts the counter of rental numbers above every number the rentals and the
// ledger name, whatever it said: a number is never handed out twice.
QString RentalNumberFloor(bool server);

// The triggers of the file (two a table), or a server's NOT VALID constraints.
QStringList RuleSchema(bool server);
// The triggers' names on the file, for the upgrade and for the expert's refusals.
QStringList RuleTriggerNames();

// A query giving, for each row of `table` that breaks a rule, its key as text
// and the index of the first rule it breaks in ShopRules(), at most `limit`
// rows; the same SQL on both engines but for the file's own type checks.
QString BrokenRowsQuery(const QString& table, bool server, int limit);
// The keys of the rows that break rule `rule` (an index in ShopRules()), at most `limit`.
QString BrokenRuleQuery(int rule, bool server, int limit);
// The tables the rules speak of, in their order.
QStringList RuledTables();
// One line a rule broken, naming the rows (a few of them) and how to mend
// them; `found` is what BrokenRowsQuery gave for each table, in order.
struct BrokenRow
{
    QString table, key;
    int rule = 0;
};
QString BrokenRowsReport(const QList<BrokenRow>& found);
// One row and the rule it breaks.
QString BrokenRowLine(const BrokenRow& row);

// The refusal of a rule a server's error names (its constraint), or empty.
QString RuleRefusal(const QString& errorText);
