// The three query grids on a large shop: every sort's first screen, the next
// page, a jump to the middle and to the end, and the selective conditions.
// Usage: bench_grids [--db FILE]  (without a file a shop is generated)
#include "core/catalogue/Discs.h"
#include "core/members/Members.h"
#include "core/rentals/Rentals.h"
#include "core/store/Database.h"
#include "core/store/PagedQuery.h"
#include "core/store/ProgramFolder.h"

#include "LargeShop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {
double Ms(QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

double worst = 0;

void Time(const char* grid, const QString& what, const QString& columns, const QString& table,
          const Conditions& conditions, const QStringList& sort, const QString& key)
{
    PagedQuery query(BenchShop());
    QElapsedTimer timer;
    timer.start();
    query.set(columns, table, conditions, sort, key);
    const double open = Ms(timer);
    timer.restart();
    query.page(1);
    const double next = Ms(timer);
    const int last = int((query.total() - 1) / PagedQuery::kPageSize);
    // The page index, read beside while the clerk looks at the first page.
    timer.restart();
    query.waitForPageIndex();
    const double index = Ms(timer);
    timer.restart();
    query.page(last / 2);
    const double middle = Ms(timer);
    timer.restart();
    query.page(last);
    const double end = Ms(timer);
    timer.restart();
    query.page(last / 2 + 1);
    const double afterMiddle = Ms(timer);
    // A jump before the index is there: from the nearest known place.
    const qint64 indexFrom =
        std::exchange(PagedQuery::indexFrom, std::numeric_limits<qint64>::max());
    PagedQuery early(BenchShop());
    early.set(columns, table, conditions, sort, key);
    timer.restart();
    early.page(last / 2);
    const double earlyMiddle = Ms(timer);
    PagedQuery::indexFrom = indexFrom;
    worst = std::max({worst, open, next, middle, end, afterMiddle});
    std::printf("%-6s %-22s %9lld %8.1f %8.1f %8.1f %8.1f %8.1f %8.0f %8.1f\n", grid,
                qPrintable(what), query.total(), open, next, middle, afterMiddle, end, index,
                earlyMiddle);
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const QString path = LargeShopFile(argc, argv, folder);
    OpenDatabase(path);
    std::printf("%-6s %-22s %9s %8s %8s %8s %8s %8s %8s %8s   (ms)\n", "grid", "sort / condition",
                "rows", "open", "next", "middle", "+1", "end", "index", "early");

    const QString discColumns = QStringLiteral("bh, pm, lx, zy, gj, ydlx, rkrq, sfycz");
    Time("disc", QStringLiteral("(default)"), discColumns, "ydxx", {}, kDefaultDiscSort, "rowid");
    for (const char* heading :
         {"影碟编号", "片名", "类型", "主演", "国籍", "影碟类型", "入库日期", "是否已出租"})
        Time("disc", QString::fromUtf8(heading), discColumns, "ydxx", {},
             DiscSortColumns(QString::fromUtf8(heading)), "rowid");
    Time("disc", QStringLiteral("主演 contains 明星12"), discColumns, "ydxx",
         DiscConditions({{}, {}, {}, {}, {}, {}, {}, QStringLiteral("明星12")}), kDefaultDiscSort,
         "rowid");
    Time("disc", QStringLiteral("影碟类型 VCD"), discColumns, "ydxx",
         DiscConditions({{}, {}, {}, {}, {}, QStringLiteral("VCD"), {}, {}}), kDefaultDiscSort,
         "rowid");
    Time("disc", QStringLiteral("VCD, 片名"), discColumns, "ydxx",
         DiscConditions({{}, {}, {}, {}, {}, QStringLiteral("VCD"), {}, {}}),
         DiscSortColumns(QStringLiteral("片名")), "rowid");
    Time("disc", QStringLiteral("未出租, 主演"), discColumns, "ydxx",
         DiscConditions({{}, {}, {}, {}, {}, {}, QStringLiteral("否"), {}}),
         DiscSortColumns(QStringLiteral("主演")), "rowid");

    const QString rentalColumns = QStringLiteral("zdbh, bh, czrq, ghrq, yjje, sfyh, hybh");
    Time("rental", QStringLiteral("(default)"), rentalColumns, "zjxx", {}, {}, "zdbh");
    for (const char* heading :
         {"自动编号", "影碟编号", "出租日期", "归还日期", "押金金额", "是否已还", "会员编号"})
        Time("rental", QString::fromUtf8(heading), rentalColumns, "zjxx", {},
             RentalSortColumns(QString::fromUtf8(heading)), "zdbh");
    Time("rental", QStringLiteral("出租日期 2005-01-01"), rentalColumns, "zjxx",
         RentalConditions({{}, {}, {}, QStringLiteral("2005-01-01"), {}, {}}), {}, "zdbh");
    Time("rental", QStringLiteral("归还日期 2005-01-01"), rentalColumns, "zjxx",
         RentalConditions({{}, {}, QStringLiteral("2005-01-01"), {}, {}, {}}), {}, "zdbh");
    Time("rental", QStringLiteral("会员编号 M00042"), rentalColumns, "zjxx",
         RentalConditions({{}, QStringLiteral("M00042"), {}, {}, {}, {}}), {}, "zdbh");
    Time("rental", QStringLiteral("是否已还 否, 出租日期"), rentalColumns, "zjxx",
         RentalConditions({{}, {}, {}, {}, QStringLiteral("否"), {}}),
         RentalSortColumns(QStringLiteral("出租日期")), "zdbh");
    Time("rental", QStringLiteral("是否已还 是, 出租日期"), rentalColumns, "zjxx",
         RentalConditions({{}, {}, {}, {}, QStringLiteral("是"), {}}),
         RentalSortColumns(QStringLiteral("出租日期")), "zdbh");

    const QString memberColumns =
        QStringLiteral("hybh, hyxm, hyxb, hyzz, lxdh, hydj, zjje, yjje, yjps, rhrq");
    Time("member", QStringLiteral("(default)"), memberColumns, "hyxx", {}, kDefaultMemberSort,
         "rowid");
    for (const char* heading : {"会员编号", "姓名", "性别", "家庭住址", "联系电话", "会员等级",
                                "预付租金", "预付押金", "已借盘数", "入会日期"})
        Time("member", QString::fromUtf8(heading), memberColumns, "hyxx", {},
             MemberSortColumns(QString::fromUtf8(heading)), "rowid");
    Time("member", QStringLiteral("男, 姓名"), memberColumns, "hyxx",
         MemberConditions({{}, {}, {}, {}, {}, {}, {}, QStringLiteral("男")}),
         MemberSortColumns(QStringLiteral("姓名")), "rowid");

    std::printf("slowest: %.1f ms (target 50 ms)\n", worst);
    CloseDatabase();
    return 0;
}
