#pragma once

#include "core/settings/Settings.h"
#include "core/store/Database.h"

#include <QString>
#include <functional>

class Shop;

// The file name every backup carries.
inline const QString kBackupName = QStringLiteral("MOVRNT.db");

// A folder joined with the backup file name, by the one joining rule.
QString BackupPathIn(const QString& folder);
// Where the automatic backup goes when none was chosen: outside the program
// folder, so that it survives the loss of that folder.
QString DefaultAutoBackupPath();

// A consistent copy of a database file, read through a connection of its own
// (the counter may go on writing meanwhile), written to a temporary file
// beside the target, flushed to disk and renamed over the target. A failure
// leaves the target as it was. Safe to call from a worker thread. Throws MovrntError.
void CopyDatabase(const QString& source, const QString& target);

// Backs up the shop at `location` (a file, or a server's URL, whose rows go
// into a file of the same kind) to `target`: the copy is first read as a
// restore would read it, and only one that would restore replaces the
// previous backup; one that would not is kept as target +
// kFailedBackupSuffix, and the failure names its row. Safe on a worker
// thread. Throws MovrntError (WorkCancelled when `progress` said stop).
void BackupShop(const QString& location, const QString& target,
                const std::function<bool(qint64)>& progress = {});
inline const QString kFailedBackupSuffix = QStringLiteral(".未通过检查");
// The code of that failure (MovrntError::code), whose text the clerk must read.
inline const QString kBackupRefusedCode = QStringLiteral("backup-refused");
// The same for the shop.
void BackupDatabase(Shop& shop, const QString& target);
// Why a database file could not be restored (its first row that would be
// refused); empty when it could.
QString RestoreProblem(const QString& path, const std::function<bool(qint64)>& progress = {});

// Why a file cannot serve as the shop's database; empty when it can: an
// SQLite file whose integrity check passes and which holds the shop's tables
// with this program's columns.
QString ShopDatabaseProblem(const QString& path);

// Replaces the working database with the rows of the offered file: its three
// working tables are read as plain rows (nothing of its schema runs or comes
// along), checked as an import checks a workbook, and written into a new
// file made with the program's own schema; rental numbers go on from the
// highest either file handed out. The working database is first kept as a
// safety copy in the program folder (its name is returned). Anything that
// fails leaves the working database as it was, open and usable. Throws
// MovrntError with the reason.
// `rules` raises the borrowed counts below a member's rentals, as an import does.
// A ledger that disagrees with the members' money is refused as an import
// refuses it (kLedgerDisagreesCode), unless `adjustLedger`.
QString RestoreDatabase(Shop& shop, const QString& offered, const LevelRule& rules,
                        bool adjustLedger = false);
// The same in its three steps, the first two safe on a worker thread:
// the new file beside the working database, from the offered file's rows,
QString PrepareRestore(const QString& offered, const LevelRule& rules,
                       const std::function<bool(qint64)>& progress = {}, bool adjustLedger = false);
// the safety copy of the working database,
QString KeepSafetyCopy(Shop& shop);
// on a server, the rows replaced there (safe on a worker; nothing on a file),
void SwapInOnServer(Shop& shop, const QString& prepared);
// and, on the thread of the shared connection, the swap (on a server, the
// replacement announced).
void SwapInDatabase(Shop& shop, const QString& prepared, const QString& safety,
                    const UpgradeProgress& progress = {});

// Changes whenever the database may have changed since the last call gave the
// same text: an automatic backup of an unchanged database can be skipped.
QString DatabaseChangeStamp(Shop& shop);
