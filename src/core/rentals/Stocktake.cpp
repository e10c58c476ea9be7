#include "Stocktake.h"

#include "core/access/PassCheck.h"
#include "core/settings/Settings.h"
#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/Engine.h"
#include "core/store/Errors.h"
#include "core/store/Shop.h"

#include <QSqlQuery>

namespace {
const QString kStocktakeColumns = QStringLiteral("SELECT pdbh, ksrq, jsrq, czy FROM pdxx");

std::optional<Stocktake> ReadStocktake(Shop& shop, const QString& sql)
{
    QSqlQuery query = RunSql(shop, sql);
    if (!query.next())
        return std::nullopt;
    return Stocktake{query.value(0).toLongLong(), query.value(1).toString(),
                     query.value(2).toString(), query.value(3).toString()};
}

// The discs the records say are on the shelves (not out, not lost) that were
// not scanned into stocktake ?.
const QString kMissing = QStringLiteral(
    "NOT EXISTS (SELECT 1 FROM pdsm AS s WHERE s.pdbh = ? AND s.bh = d.bh) AND NOT EXISTS (SELECT"
    " 1 FROM zjxx AS r WHERE r.bh = d.bh AND r.sfyh = '否') AND NOT EXISTS (SELECT 1 FROM ssjl AS"
    " l WHERE l.bh = d.bh AND l.sslx = '丢失')");

// Each list's select list, its columns named alike so that they unite.
const QString kMissingOpenColumns =
    QStringLiteral("'缺失' AS jg, d.bh AS bh, d.pm AS pm, d.ydlx AS ydlx, NULL AS zdbh, '' AS"
                   " hybh, '' AS czrq, '' AS smsj, '' AS gt");
const QString kScanColumns =
    QStringLiteral("%1 AS jg, %2 AS bh, d.pm AS pm, d.ydlx AS ydlx, %3 AS zdbh, %4 AS hybh, %5"
                   " AS czrq, s.smsj AS smsj, s.gt AS gt");
const QString kScanTables = QStringLiteral("pdsm AS s LEFT JOIN ydxx AS d ON d.bh = s.bh");

StocktakeQuery ScansOf(qint64 pdbh, const QString& jg)
{
    StocktakeQuery query;
    if (jg == u"已租出") {
        // Whether the rental has been settled since shows beside it.
        query.columns = kScanColumns.arg(
            QStringLiteral("CASE WHEN r.sfyh = '否' THEN '已租出' ELSE '已租出（已结帐）' END"),
            QStringLiteral("s.bh"), QStringLiteral("s.zdbh"), QStringLiteral("r.hybh"),
            QStringLiteral("r.czrq"));
        query.tables = kScanTables + QStringLiteral(" LEFT JOIN zjxx AS r ON r.zdbh = s.zdbh");
    } else {
        query.columns =
            kScanColumns.arg(QStringLiteral("s.jg"), QStringLiteral("s.bh"), QStringLiteral("NULL"),
                             QStringLiteral("''"), QStringLiteral("''"));
        query.tables = kScanTables;
    }
    query.conditions.add(QStringLiteral("s.pdbh = ? AND s.jg = ?"), {pdbh, jg});
    query.key = QStringLiteral("s.bh");
    return query;
}
} // namespace

std::optional<Stocktake> LatestStocktake(Shop& shop)
{
    if (auto open = ReadStocktake(shop, kStocktakeColumns + QStringLiteral(" WHERE zt = '进行中'")))
        return open;
    return ReadStocktake(shop, kStocktakeColumns + QStringLiteral(" ORDER BY pdbh DESC LIMIT 1"));
}

Stocktake StartStocktake(Shop& shop)
{
    const QString open = kStocktakeColumns + QStringLiteral(" WHERE zt = '进行中'");
    return InTransaction(shop, [&] {
        // Another counter's stocktake open is this one's too; one open at a
        // time is the database's rule, so a stocktake begun at once by two
        // counters is one of them, and the other joins it (or, finished
        // meanwhile, begins the next).
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (std::optional<Stocktake> stocktake = ReadStocktake(shop, open))
                return *stocktake;
            RunSql(shop,
                   QStringLiteral("INSERT INTO pdxx (ksrq, zt, czy) VALUES (?, '进行中', ?) ON"
                                  " CONFLICT DO NOTHING"),
                   {NowText(), CurrentPerson()});
        }
        throw MovrntError(QStringLiteral("无法开始盘点：其他柜台正在同时开始和结束盘点"),
                          QStringLiteral("pdxx"));
    });
}

ScanResult ScanDisc(Shop& shop, qint64 pdbh, const QString& bh)
{
    return InTransaction(shop, [&] {
        ScanResult scan;
        scan.bh = bh;
        // Finishing waits for the scans under way, and a scan after it sees it finished.
        const QVariant open = RunScalar(
            shop, QStringLiteral("SELECT zt FROM pdxx WHERE pdbh = ?") + shop.engine().forUpdate(),
            {pdbh});
        if (open.toString() != u"进行中") {
            scan.kind = ScanKind::Finished;
            return scan;
        }
        const QVariant pm =
            RunScalar(shop, QStringLiteral("SELECT pm FROM ydxx WHERE bh = ?"), {bh});
        scan.pm = pm.toString();
        QString jg = QStringLiteral("无此影碟");
        scan.kind = ScanKind::NoDisc;
        if (pm.isValid()) {
            scan.zdbh =
                RunScalar(shop,
                          QStringLiteral("SELECT zdbh FROM zjxx WHERE bh = ? AND sfyh = '否'"),
                          {bh})
                    .toLongLong();
            scan.kind = scan.zdbh > 0 ? ScanKind::Out : ScanKind::InShop;
            jg = scan.zdbh > 0 ? QStringLiteral("已租出") : QStringLiteral("在店");
            scan.lost = RunScalar(shop,
                                  QStringLiteral("SELECT 1 FROM ssjl WHERE bh = ? AND sslx = '丢失'"
                                                 " LIMIT 1"),
                                  {bh})
                            .isValid();
        }
        // A number scanned twice, here or at another counter, counts once.
        if (RunSql(shop,
                   QStringLiteral("INSERT INTO pdsm (pdbh, bh, jg, zdbh, smsj, gt, czy) VALUES (?,"
                                  " ?, ?, ?, ?, ?, ?) ON CONFLICT DO NOTHING"),
                   {pdbh, bh, jg, scan.zdbh, NowText(), CounterName(), CurrentPerson()})
                .numRowsAffected() != 1)
            scan.kind = ScanKind::Again;
        return scan;
    });
}

QString ScanText(const ScanResult& scan)
{
    switch (scan.kind) {
    case ScanKind::InShop:
        return scan.lost ? QStringLiteral("%1 %2：此影碟已登记为丢失，现在在架上找到了。")
                               .arg(scan.bh, scan.pm)
                         : QStringLiteral("%1 %2").arg(scan.bh, scan.pm);
    case ScanKind::Out:
        return QStringLiteral("%1 %2：记录中此影碟已租出（租借单号 %3），可能归还时没有结帐！")
            .arg(scan.bh, scan.pm)
            .arg(scan.zdbh);
    case ScanKind::NoDisc:
        return QStringLiteral("%1：影碟库中没有这个编号的影碟！").arg(scan.bh);
    case ScanKind::Again:
        return QStringLiteral("%1：已经扫描过了。").arg(scan.bh);
    case ScanKind::Finished:
        return QStringLiteral("这次盘点已经结束，不能再扫描！");
    }
    return {};
}

bool FinishStocktake(Shop& shop, qint64 pdbh)
{
    return InTransaction(shop, [&] {
        // The stocktake closed first: a scan under way at another counter is
        // waited for and counted, one after it is refused.
        if (RunSql(shop,
                   QStringLiteral("UPDATE pdxx SET zt = '完成', jsrq = ? WHERE pdbh = ? AND zt ="
                                  " '进行中'"),
                   {NowText(), pdbh})
                .numRowsAffected() != 1)
            return false;
        RunSql(
            shop,
            QStringLiteral("INSERT INTO pdsm (pdbh, bh, jg, gt, czy) SELECT ?, d.bh, '缺失', ?, ?"
                           " FROM ydxx AS d WHERE ") +
                kMissing + QStringLiteral(" ON CONFLICT DO NOTHING"),
            {pdbh, CounterName(), CurrentPerson(), pdbh});
        return true;
    });
}

StocktakeQuery StocktakeListQuery(const Stocktake& stocktake, StocktakeList list)
{
    switch (list) {
    case StocktakeList::Missing:
        if (!stocktake.open())
            return ScansOf(stocktake.pdbh, QStringLiteral("缺失"));
        {
            StocktakeQuery query;
            query.columns = kMissingOpenColumns;
            query.tables = QStringLiteral("ydxx AS d");
            query.conditions.add(kMissing, {stocktake.pdbh});
            query.key = QStringLiteral("d.bh");
            return query;
        }
    case StocktakeList::Out:
        return ScansOf(stocktake.pdbh, QStringLiteral("已租出"));
    case StocktakeList::NoDisc:
        return ScansOf(stocktake.pdbh, QStringLiteral("无此影碟"));
    case StocktakeList::Lost:
        break;
    }
    StocktakeQuery query;
    query.columns = kScanColumns.arg(QStringLiteral("CASE WHEN s.bh IS NULL THEN '已登记丢失' ELSE"
                                                    " '已登记丢失，在架上找到' END"),
                                     QStringLiteral("l.bh"), QStringLiteral("l.zdbh"),
                                     QStringLiteral("r.hybh"), QStringLiteral("r.czrq"));
    // The stocktake's number, a whole number, within the join: the values bound are the
    // conditions'.
    query.tables =
        QStringLiteral("ssjl AS l LEFT JOIN ydxx AS d ON d.bh = l.bh LEFT JOIN zjxx AS r"
                       " ON r.zdbh = l.zdbh LEFT JOIN pdsm AS s ON s.pdbh = %1 AND s.bh ="
                       " l.bh")
            .arg(stocktake.pdbh);
    query.conditions.add(QStringLiteral("l.sslx = '丢失'"));
    query.key = QStringLiteral("l.jlbh");
    return query;
}

StocktakeCounts CountStocktake(Shop& shop, const Stocktake& stocktake, bool countMissing)
{
    StocktakeCounts counts;
    QSqlQuery scans =
        RunSql(shop, QStringLiteral("SELECT jg, COUNT(*) FROM pdsm WHERE pdbh = ? GROUP BY jg"),
               {stocktake.pdbh});
    while (scans.next()) {
        const QString jg = scans.value(0).toString();
        const qint64 count = scans.value(1).toLongLong();
        if (jg == u"缺失") {
            counts.missing = count;
            continue;
        }
        counts.scanned += count;
        if (jg == u"已租出")
            counts.out = count;
        else if (jg == u"无此影碟")
            counts.noDisc = count;
    }
    scans.finish();
    counts.lost = RunScalar(shop, QStringLiteral("SELECT COUNT(*) FROM ssjl WHERE sslx = '丢失'"))
                      .toLongLong();
    if (stocktake.open() && countMissing)
        counts.missing =
            RunScalar(shop, QStringLiteral("SELECT COUNT(*) FROM ydxx AS d WHERE ") + kMissing,
                      {stocktake.pdbh})
                .toLongLong();
    return counts;
}

QString StocktakeResultSql(const Stocktake& stocktake, QVariantList* values)
{
    QStringList parts;
    int order = 0;
    for (StocktakeList list : kStocktakeLists) {
        const StocktakeQuery query = StocktakeListQuery(stocktake, list);
        parts << QStringLiteral("SELECT %1 AS px, %2 FROM %3%4")
                     .arg(QString::number(++order), query.columns, query.tables,
                          query.conditions.where());
        *values << query.conditions.values();
    }
    return QStringLiteral("SELECT jg, bh, pm, ydlx, zdbh, hybh, czrq, smsj, gt FROM (") +
           parts.join(QStringLiteral(" UNION ALL ")) + QStringLiteral(") AS t ORDER BY px, bh");
}
