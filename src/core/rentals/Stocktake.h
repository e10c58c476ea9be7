#pragma once

#include "core/store/Conditions.h"

#include <QString>
#include <QStringList>
#include <optional>

class Shop;

// The stocktake (盘点): the clerk scans every disc on the shelves, from one
// counter or several, into the one stocktake open; what the records say of
// each number is kept with its scan. Until it is finished the discs missing
// are those in the shop by the records (not out, not lost) and not scanned;
// finishing writes them down, so a finished stocktake reads the same later.
struct Stocktake
{
    qint64 pdbh = 0;
    QString ksrq, jsrq, czy;
    bool open() const { return jsrq.isEmpty(); }
};
// The stocktake open, else the last one finished; none before the first.
std::optional<Stocktake> LatestStocktake(Shop& shop);
// Begins a stocktake, or joins the one another counter began. Throws MovrntError.
Stocktake StartStocktake(Shop& shop);

enum class ScanKind
{
    InShop,
    Out,      // the records say it is out: a return not keyed
    NoDisc,   // no disc has this number
    Again,    // scanned already in this stocktake: ignored
    Finished, // the stocktake was finished meanwhile: nothing written
};
struct ScanResult
{
    ScanKind kind = ScanKind::InShop;
    QString bh, pm;
    qint64 zdbh = 0;   // the open rental of a disc out
    bool lost = false; // found on the shelf, though registered lost
};
// Scans one number into an open stocktake. Throws MovrntError.
ScanResult ScanDisc(Shop& shop, qint64 pdbh, const QString& bh);
// What the clerk is told of a scan.
QString ScanText(const ScanResult& scan);
// Writes down the discs missing and closes the stocktake; false when it
// was finished already. Throws MovrntError.
bool FinishStocktake(Shop& shop, qint64 pdbh);

// The stocktake's results: discs missing, discs scanned that the records
// said were out, numbers that are no disc; and the discs registered lost,
// which are not missing (a lost one scanned was found on the shelf).
enum class StocktakeList
{
    Missing,
    Out,
    NoDisc,
    Lost,
};
inline constexpr StocktakeList kStocktakeLists[] = {StocktakeList::Missing, StocktakeList::Out,
                                                    StocktakeList::NoDisc, StocktakeList::Lost};
inline const QStringList kStocktakeHeadings = {
    "结果", "影碟编号", "片名", "影碟类型", "租借单号", "会员编号", "出租日期", "扫描时间", "柜台"};
struct StocktakeQuery
{
    QString columns, tables;
    Conditions conditions;
    QString key; // unique within the list, its order too
};
StocktakeQuery StocktakeListQuery(const Stocktake& stocktake, StocktakeList list);
struct StocktakeCounts
{
    qint64 scanned = 0, missing = 0, out = 0, noDisc = 0, lost = 0;
};
// The missing of a stocktake open are counted by reading every disc: left
// at 0 unless asked for. Throws MovrntError.
StocktakeCounts CountStocktake(Shop& shop, const Stocktake& stocktake, bool countMissing = true);
// The results of the lists one after the other, for the printed list.
QString StocktakeResultSql(const Stocktake& stocktake, QVariantList* values);
