#include "Reports.h"
#include "core/store/Shop.h"

#include "core/rentals/Rentals.h"
#include "core/rentals/Reservations.h"
#include "core/rentals/Stocktake.h"
#include "core/store/Database.h"

const ReportDefinition& DefinitionOf(Report report)
{
    static const ReportDefinition definitions[] = {
        {"所有影碟信息报表(打印预览)",
         "影碟信息报表",
         {"影碟编号", "片名", "影片类型", "影碟类型"},
         "SELECT bh , pm , lx , ydlx FROM ydxx ORDER BY ydlx , lx"},
        {"未还影碟信息报表(打印预览)",
         "未还影碟信息报表",
         {"影碟编号", "片名", "影碟类型", "出租日期"},
         "SELECT a.bh , pm , ydlx , czrq FROM ydxx AS a , zjxx AS b WHERE a.bh = b.bh AND sfycz = "
         "'是' AND sfyh = '否' ORDER BY ydlx , czrq",
         {},
         {1, 4, 7, 10},
         false,
         "zjxx_one_open"},
        {"所有会员信息报表（打印预览）",
         "会员信息报表",
         {"会员编号", "姓名", "联系电话", "入会日期"},
         "SELECT hybh , hyxm , lxdh , rhrq FROM hyxx ORDER BY rhrq , hyxm"},
        {"有影碟未还的会员信息报表（打印预览）",
         "有影碟未还的会员信息报表",
         {"会员编号", "姓名", "会员等级", "联系电话"},
         "SELECT DISTINCT a.hybh , hyxm , hydj , lxdh FROM hyxx AS a , zjxx AS b WHERE a.hybh = "
         "b.hybh AND sfyh = '否' ORDER BY hydj , hyxm",
         {},
         {1, 4, 7, 10},
         false,
         "zjxx_open_hybh"},
    };
    return definitions[int(report)];
}

namespace {
// The report's statement as this shop's engine is best told it.
QString Statement(Shop& shop, const ReportDefinition& report)
{
    if (report.openRentalsIndex.isEmpty())
        return report.sql;
    QString sql = report.sql;
    return sql.replace(QStringLiteral("zjxx AS b"),
                       QStringLiteral("zjxx AS b") +
                           shop.engine().partialIndexHint(report.openRentalsIndex));
}
} // namespace

qint64 ReportLineCount(Shop& shop, const ReportDefinition& report)
{
    // Without its order: the engine would sort every line only to count them.
    const QString sql = Statement(shop, report);
    const qsizetype order = sql.lastIndexOf(QStringLiteral(" ORDER BY "));
    return RunScalar(shop,
                     QStringLiteral("SELECT COUNT(*) FROM (") +
                         (order < 0 ? sql : sql.left(order)) + QStringLiteral(") AS lines"),
                     report.values)
        .toLongLong();
}

std::unique_ptr<TextRows> ReportRows(Shop& shop, const ReportDefinition& report)
{
    return std::make_unique<TextRows>(shop, Statement(shop, report), report.values);
}

QSqlQuery ReportQuery(Shop& shop, const ReportDefinition& report)
{
    return RunSql(shop, Statement(shop, report), report.values);
}

ReportDefinition ReservationReport()
{
    const Conditions conditions = ReservationConditions();
    return {QStringLiteral("预约名单（打印预览）"),
            QStringLiteral("预约名单"),
            kReservationHeadings,
            QStringLiteral("SELECT ") + ReservationColumns() + QStringLiteral(" FROM ") +
                kReservationTables + conditions.where() + QStringLiteral(" ORDER BY y.yybh"),
            conditions.values(),
            {},
            true};
}

ReportDefinition StocktakeReport(const Stocktake& stocktake)
{
    QVariantList values;
    const QString sql = StocktakeResultSql(stocktake, &values);
    return {QStringLiteral("盘点结果（打印预览）"),
            // Short enough for the title's line: the day it ended, or that it goes on.
            QStringLiteral("盘点 %1 的结果（%2）")
                .arg(stocktake.pdbh)
                .arg(stocktake.open() ? QStringLiteral("尚未结束")
                                      : stocktake.jsrq.left(10) + QStringLiteral(" 结束")),
            kStocktakeHeadings,
            sql,
            values,
            {},
            true};
}

ReportDefinition OverdueCallReport(qint64 alertDays)
{
    const Conditions conditions = OverdueConditions(alertDays);
    return {QStringLiteral("超期未还影碟（打印预览）"),
            QStringLiteral("超期未还影碟"),
            kOverdueHeadings,
            QStringLiteral("SELECT ") + OverdueColumns(alertDays) + QStringLiteral(" FROM ") +
                kOverdueTables + conditions.where() + QStringLiteral(" ORDER BY b.czrq, b.zdbh"),
            conditions.values(),
            {},
            true}; // the telephone, what the list is for, is never cut
}
