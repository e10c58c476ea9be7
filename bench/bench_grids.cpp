// The three query grids on a large shop: every sort's first screen, the next
// page, a jump to the middle and to the end, and the selective conditions.
// Usage: bench_grids [--db FILE]  (without a file a shop is generated)
#include "core/catalogue/Discs.h"
#include "core/members/Members.h"
#include "core/rentals/Rentals.h"
#include "core/stats/Reports.h"
#include "core/store/Database.h"
#include "core/store/PagedQuery.h"
#include "core/store/ProgramFolder.h"
#include "core/store/Shop.h"

#include "LargeShop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

namespace {
double Ms(QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

double worst = 0;
double worstEarly = 0; // a jump before the index over the plain walk

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
    // A jump before the index is there, from the nearest known place, beside
    // the plain walk to the same page; each twice, so that neither reads the
    // pages into the cache for the other.
    const qint64 indexFrom =
        std::exchange(PagedQuery::indexFrom, std::numeric_limits<qint64>::max());
    QVariantList values = conditions.values();
    values << PagedQuery::kPageSize << qint64(last / 2) * PagedQuery::kPageSize;
    double earlyMiddle = 1e18, offset = 1e18;
    for (int run = 0; run < 2; ++run) {
        PagedQuery early(BenchShop());
        early.set(columns, table, conditions, sort, key);
        timer.restart();
        early.page(last / 2);
        earlyMiddle = std::min(earlyMiddle, Ms(timer));
        timer.restart();
        FetchRows(BenchShop(), early.pageStatements().last(), values);
        offset = std::min(offset, Ms(timer));
    }
    PagedQuery::indexFrom = indexFrom;
    worst = std::max({worst, open, next, middle, end, afterMiddle});
    worstEarly = std::max(worstEarly, earlyMiddle / std::max(offset, 1.0));
    std::printf("%-6s %-22s %9lld %8.1f %8.1f %8.1f %8.1f %8.1f %8.0f %8.1f %8.1f\n", grid,
                qPrintable(what), query.total(), open, next, middle, afterMiddle, end, index,
                earlyMiddle, offset);
}
// Every line of a statement read as a report reads it; returns the lines.
qint64 ReadLines(const QString& count, const QString& sql, int columns)
{
    RunScalar(BenchShop(), count);
    TextRows rows(BenchShop(), sql);
    qint64 lines = 0;
    for (; rows.next(); ++lines)
        for (int c = 0; c < columns; ++c)
            rows.text(c);
    return lines;
}

double BestOf(const std::function<void()>& work)
{
    double best = 1e18;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, Ms(timer));
    }
    return best;
}

// The printed reports: counted and read in place by the program, beside a
// hand-written statement for the same lines read the same way, and the
// program's statement read as QtSql's values.
void TimeReports()
{
    const bool file = BenchShop().engine().keptInFile();
    const auto indexed = [file](const char* index) {
        return file ? QStringLiteral(" INDEXED BY ") + QLatin1String(index) : QString();
    };
    const QString openRentals = QStringLiteral("(SELECT hybh FROM zjxx") +
                                indexed("zjxx_open_hybh") + QStringLiteral(" WHERE sfyh = '否')");
    const std::tuple<Report, const char*, QString, QString> reports[] = {
        {Report::AllDiscs, "all discs", "SELECT COUNT(*) FROM ydxx",
         "SELECT bh, pm, lx, ydlx FROM ydxx ORDER BY ydlx, lx"},
        {Report::DiscsOut, "discs out",
         "SELECT COUNT(*) FROM zjxx" + indexed("zjxx_one_open") + " WHERE sfyh = '否'",
         "SELECT a.bh, pm, ydlx, czrq FROM zjxx AS b" + indexed("zjxx_one_open") +
             " JOIN ydxx AS a ON a.bh = b.bh WHERE sfyh = '否' AND sfycz = '是' ORDER BY ydlx,"
             " czrq"},
        {Report::AllMembers, "all members", "SELECT COUNT(*) FROM hyxx",
         "SELECT hybh, hyxm, lxdh, rhrq FROM hyxx ORDER BY rhrq, hyxm"},
        {Report::MembersWithDiscsOut, "members with discs out",
         "SELECT COUNT(*) FROM hyxx WHERE hybh IN " + openRentals,
         "SELECT a.hybh, hyxm, hydj, lxdh FROM hyxx AS a WHERE a.hybh IN " + openRentals +
             " ORDER BY hydj, hyxm"}};
    std::printf("\n%-24s %8s %9s %9s %9s   (ms)\n", "report", "lines", "program", "best SQL",
                "as values");
    for (const auto& [report, name, count, best] : reports) {
        const ReportDefinition& definition = DefinitionOf(report);
        qint64 lines = 0;
        const double program = BestOf([&] {
            ReportLineCount(BenchShop(), definition);
            const std::unique_ptr<TextRows> rows = ReportRows(BenchShop(), definition);
            for (lines = 0; rows->next(); ++lines)
                for (int c = 0; c < 4; ++c)
                    rows->text(c);
        });
        qint64 bestLines = 0;
        const double bestMs = BestOf([&] { bestLines = ReadLines(count, best, 4); });
        const double values = BestOf([&] {
            ReportLineCount(BenchShop(), definition);
            for (QSqlQuery query = ReportQuery(BenchShop(), definition); query.next();)
                for (int c = 0; c < 4; ++c)
                    query.value(c).toString();
        });
        std::printf("%-24s %8lld %9.1f %9.1f %9.1f%s\n", name, lines, program, bestMs, values,
                    lines == bestLines ? "" : "   (the best SQL's lines differ)");
    }
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const QString path = LargeShopFile(argc, argv, folder);
    OpenDatabase(path);
    std::printf("%-6s %-22s %9s %8s %8s %8s %8s %8s %8s %8s %8s   (ms)\n", "grid",
                "sort / condition", "rows", "open", "next", "middle", "+1", "end", "index", "early",
                "offset");

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

    TimeReports();
    std::printf("slowest: %.1f ms (target 50 ms); a jump before the index at most %.2fx the"
                " plain walk (target 1.5x)\n",
                worst, worstEarly);
    CloseDatabase();
    return 0;
}
