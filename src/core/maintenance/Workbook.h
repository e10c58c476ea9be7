#pragma once

#include "core/store/Errors.h"

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <functional>

class Shop;

class WorkbookReader;

// The file name every exchanged workbook carries.
inline const QString kWorkbookName = QStringLiteral("MOVRNT.xlsx");
// The names of the older workbook format and of LibreOffice's, read too.
inline const QString kOldWorkbookName = QStringLiteral("MOVRNT.xls");
inline const QString kOdsWorkbookName = QStringLiteral("MOVRNT.ods");
QString WorkbookPathIn(const QString& folder);
// The workbook an import in a folder reads: MOVRNT.xlsx, else MOVRNT.xls,
// else MOVRNT.ods, whichever the folder holds first.
QString ImportPathIn(const QString& folder);

// A sheet's rows, the header row included. The rentals go on in sheets
// zjxx_2, zjxx_3, ... beyond that.
constexpr qint64 kSheetRows = 1048576;

// Called now and then with the rows done so far; false stops the work.
using RowProgress = std::function<bool(qint64 rows)>;

// Writes the three working tables of a database file, read in one consistent
// state through a connection of its own, to a new workbook: sheets ydxx,
// zjxx and hyxx, a header row of the column names, the tables' column order.
// The workbook is written beside the target and moved into place when
// complete; an existing file at the target is never replaced. Safe on a
// worker thread. Throws MovrntError.
// `sheetRows` is lowered only by tests.
void ExportWorkbook(const QString& databasePath, const QString& target,
                    const RowProgress& progress = {}, qint64 sheetRows = kSheetRows);

// The same for the shop at `location`, on its file or its server (whose rows are
// first copied as of one moment into a file of their own).
void ExportShopWorkbook(const QString& location, const QString& target,
                        const RowProgress& progress = {});

// One sheet of a query's rows under a header row, for lists such as the
// overdue call list: numbers as numbers, the rest as text. Written beside
// the target and moved over it when complete (the user chose to replace it).
// Throws MovrntError.
void ExportListWorkbook(const QString& target, const QString& sheet, const QStringList& header,
                        QSqlQuery& rows);

struct ImportSummary
{
    qint64 discs = 0, rentals = 0, members = 0;
    // Discs whose rented mark did not match their open rentals.
    qint64 flagsRepaired = 0;
    // Members whose borrowed count was below their rentals.
    qint64 countsRaised = 0;
};

// Replaces the three working tables of a database file with a workbook's
// sheets, through a connection of its own, in one transaction that commits
// only when every row has been read and checked; a failure or a stop
// changes nothing. A disc is then marked rented exactly when it has an open
// rental, and a borrowed count below a member's rentals is raised, his level
// following (`rentalsPerLevel`, at most `levels`). Safe on a worker thread.
// Throws MovrntError naming the sheet and row that could not be taken.
// The ledger must agree with the members' money: a line of an unknown
// operation, or of a member never opened, is refused; members whose money
// disagrees with their lines are refused with kLedgerDisagreesCode, naming
// them and both amounts, unless `adjustLedger` takes them as they stand with
// one adjustment line each (no cash).
ImportSummary ImportWorkbook(const QString& databasePath, WorkbookReader& workbook,
                             qint64 rentalsPerLevel, qint64 levels,
                             const RowProgress& progress = {}, bool adjustLedger = false);
inline const QString kLedgerDisagreesCode = QStringLiteral("ledger-disagrees");
// The question put to whoever may take such members as they stand.
inline const QString kTakeAsTheyStand = QStringLiteral(
    "\n\n要按会员资料中的金额接受这些会员，为每名会员记一条账务调整（不是现金收支）吗？"
    "选“否”则什么也不改变。");
// Reads and checks every row of a workbook as the import does, storing
// nothing. Throws MovrntError naming the first row that could not be taken.
void CheckWorkbook(WorkbookReader& workbook, const RowProgress& progress = {});
// The same for the workbook file at `path`, .xlsx or .xls.
ImportSummary ImportWorkbook(const QString& databasePath, const QString& path,
                             qint64 rentalsPerLevel, qint64 levels,
                             const RowProgress& progress = {}, bool adjustLedger = false);
// The same for the shop at `location`: on a server, the workbook is read and checked
// into a file of its own first, and the server's rows then replaced in one
// short transaction that every counter hears.
ImportSummary ImportShopWorkbook(const QString& location, const QString& path,
                                 qint64 rentalsPerLevel, qint64 levels,
                                 const RowProgress& progress = {}, bool adjustLedger = false);
