#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The shop's records beyond the counter's three tables, kept by the program
// alone: clerks write them through it, the expert only reads them, and the
// exchange, the backup, the copy to a server and a restore carry them.
struct RecordTable
{
    QString name;
    QStringList columns; // the first is the record's number, handed out by the database
    QString clerkRights; // what the counters' groups may do on a server
    QString words;       // what the table is, in the expert's refusal
};
const QList<RecordTable>& RecordTables();
// Its statements: the table, its indexes, and the rules it keeps on the other tables.
QStringList RecordTableSchema(const RecordTable& table, bool server);
// The file's triggers among them, which the upgrade keeps.
QStringList RecordTriggerNames();

// ssjl: the discs customers lost or damaged, one row a rental settled so
// (a rental at most once), with the charge in the ledger's units (Money)
// and the person who took it. Rows are appended, never changed: they are
// the history behind the 赔偿 lines. A disc with a 丢失 row is no longer
// rented out, which the database refuses too.
const RecordTable& LossTable();
inline const QString kLost = QStringLiteral("丢失");
inline const QString kDamaged = QStringLiteral("损坏");
// The open rentals of lost discs (their numbers): none in a valid shop.
inline const QString kLostDiscsOut =
    QStringLiteral("SELECT r.zdbh FROM zjxx r JOIN ssjl s ON s.bh = r.bh AND s.sslx = '丢失'"
                   " WHERE r.sfyh = '否' LIMIT 1");

// yyxx: members' reservations of a disc (bh) or of any copy of a title (pm).
// A reservation waits (等待) until a copy comes back and is held for it
// (已到, the disc in blbh from blrq), then is fulfilled by the member's
// rental (完成, its zdbh), cancelled (取消), or lapses (过期) when the disc
// goes to someone else after the days it is held. A disc is held for one
// reservation at a time; a rental fulfils one at most.
const RecordTable& ReservationTable();

// pdxx: the stocktakes (盘点), one open (进行中) at a time, which every
// counter scans into until it is finished (完成, at jsrq). pdsm: what was
// found, a row a disc number scanned (at most once a stocktake) with what the
// records said at the scan: 在店, 已租出 (its open rental in zdbh: a return
// not keyed) or 无此影碟; at the end the discs that should have been there
// and were not are added as 缺失.
const RecordTable& StocktakeTable();
const RecordTable& ScanTable();
