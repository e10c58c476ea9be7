#include "support/TestEnv.h"

#include "core/catalogue/Discs.h"
#include "core/members/Members.h"
#include "core/rentals/Rentals.h"
#include "core/store/Database.h"
#include "core/store/PagedQuery.h"

#include <QScopeGuard>
#include <QSqlQuery>
#include <QSqlRecord>
#include <memory>

namespace {
struct Grid
{
    QString columns, table;
    Conditions conditions;
    QStringList sort;
    QString key;
};

QList<QVariantList> AllRows(const Grid& grid)
{
    QStringList order = grid.sort;
    order << grid.key;
    QSqlQuery query =
        RunSql(QStringLiteral("SELECT ") + grid.columns + QStringLiteral(" FROM ") + grid.table +
                   grid.conditions.where() + QStringLiteral(" ORDER BY ") +
                   order.join(QStringLiteral(" NULLS FIRST, ")) + QStringLiteral(" NULLS FIRST"),
               grid.conditions.values());
    QList<QVariantList> rows;
    while (query.next()) {
        QVariantList row;
        for (int c = 0; c < query.record().count(); ++c)
            row << query.value(c);
        rows << row;
    }
    return rows;
}
} // namespace

Q_DECLARE_METATYPE(Grid)

class TestPaging : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;

private Q_SLOTS:
    void initTestCase()
    {
        home = std::make_unique<TestHome>();
        OpenDatabase();
        // Few distinct values make long runs of ties; NULLs come from older files.
        RunSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1500)"
               " INSERT INTO zjxx (bh, czrq, ghrq, yjje, sfyh, hybh) SELECT CASE WHEN i % 5 = 0"
               " THEN 'O' || i ELSE 'D' || (i % 37) END," // a disc is out once at most
               " '2003-11-' || (10 + i % 3), '/', CASE WHEN i % 11 = 0 THEN NULL ELSE i % 4 END,"
               " CASE WHEN i % 5 = 0 THEN '否' ELSE '是' END, CASE WHEN i % 2 = 0 THEN '/' ELSE"
               " 'M' || (i % 7) END FROM n");
        RunSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 900)"
               " INSERT INTO ydxx SELECT 'D' || (i * 7 % 900), '片名' || (i % 13), '故事片',"
               " CASE i % 2 WHEN 0 THEN 'VCD' ELSE 'DVD' END, '/', '/', '2003-11-0' || (i % 4),"
               " '否', '/' FROM n");
    }
    void cleanupTestCase()
    {
        CloseDatabase();
        home.reset();
    }

    void pagesInAnyOrderAreTheRowsOfTheSortedResult_data()
    {
        QTest::addColumn<Grid>("grid");
        const QString rentals = QStringLiteral("zdbh, bh, czrq, yjje, sfyh, hybh");
        QTest::newRow("rentals by number") << Grid{rentals, "zjxx", {}, {}, "zdbh"};
        QTest::newRow("rentals by date, many ties")
            << Grid{rentals, "zjxx", {}, RentalSortColumns("出租日期"), "zdbh"};
        QTest::newRow("rentals by deposit, with NULLs")
            << Grid{rentals, "zjxx", {}, RentalSortColumns("押金金额"), "zdbh"};
        QTest::newRow("unsettled rentals by member")
            << Grid{rentals, "zjxx", RentalConditions({.sfyh = "是"}),
                    RentalSortColumns("会员编号"), "zdbh"};
        QTest::newRow("discs, three sort columns")
            << Grid{"bh, pm, ydlx, rkrq", "ydxx", {}, kDefaultDiscSort, "rowid"};
        QTest::newRow("no rows") << Grid{
            rentals, "zjxx", RentalConditions({.bh = "none"}), {}, "zdbh"};
    }
    void pagesInAnyOrderAreTheRowsOfTheSortedResult()
    {
        QFETCH(Grid, grid);
        const QList<QVariantList> all = AllRows(grid);
        const auto indexFrom =
            qScopeGuard([] { PagedQuery::indexFrom = 50 * PagedQuery::kPageSize; });
        // Found from the pages read so far, from the page index read beside,
        // and from as much of it as has been read when a page is asked for.
        for (const auto& [indexed, waited] :
             {std::pair{false, false}, {true, true}, {true, false}}) {
            PagedQuery::indexFrom = indexed ? 0 : std::numeric_limits<qint64>::max();
            PagedQuery query(TestShop());
            query.set(grid.columns, grid.table, grid.conditions, grid.sort, grid.key);
            if (waited)
                query.waitForPageIndex();
            QCOMPARE(query.total(), all.size());
            const int pages = int((all.size() + PagedQuery::kPageSize - 1) / PagedQuery::kPageSize);
            // The end first, then jumps, steps both ways, and what is left.
            QList<int> order = {pages - 1,     0, pages / 2, pages / 2 + 1,
                                pages / 2 - 1, 1, pages - 2};
            for (int page = 0; page < pages; ++page)
                order << page;
            for (int page : order) {
                if (page < 0 || page >= pages)
                    continue;
                QCOMPARE(query.page(page),
                         all.mid(qsizetype(page) * PagedQuery::kPageSize, PagedQuery::kPageSize));
            }
            QVERIFY(query.page(pages).isEmpty());
        }
    }

    void everyOfferedSortReadsInIndexOrder()
    {
        if (OnTestServer())
            QSKIP("the plans are the embedded engine's; the server's are in the benchmark");
        const QList<std::tuple<QString, QStringList, QStringList, QString>> grids = {
            {"ydxx",
             {"影碟编号", "片名", "类型", "主演", "国籍", "影碟类型", "入库日期", "是否已出租"},
             kDefaultDiscSort,
             "rowid"},
            {"zjxx",
             {"自动编号", "影碟编号", "出租日期", "归还日期", "押金金额", "是否已还", "会员编号"},
             {},
             "zdbh"},
            {"hyxx",
             {"会员编号", "姓名", "性别", "家庭住址", "联系电话", "会员等级", "预付租金",
              "预付押金", "已借盘数", "入会日期"},
             kDefaultMemberSort,
             "rowid"},
        };
        for (const auto& [table, headings, defaultSort, key] : grids) {
            QList<QStringList> sorts = {defaultSort};
            for (const QString& heading : headings) {
                const QStringList sort = table == u"ydxx"   ? DiscSortColumns(heading)
                                         : table == u"zjxx" ? RentalSortColumns(heading)
                                                            : MemberSortColumns(heading);
                QVERIFY2(!sort.isEmpty(), qPrintable(heading));
                sorts << sort;
            }
            for (const QStringList& sort : sorts) {
                PagedQuery query(TestShop());
                query.set("*", table, {}, sort, key);
                for (const QString& statement : query.pageStatements()) {
                    const QString plan =
                        Plan(statement, QVariantList(statement.count(u'?'), QVariant()));
                    QVERIFY2(!plan.contains(QStringLiteral("TEMP B-TREE")) &&
                                 !plan.contains(QStringLiteral("SCAN ") + table + u'\n'),
                             qPrintable(statement + u'\n' + plan));
                }
            }
        }
    }

    void selectiveConditionsUseIndexes()
    {
        if (OnTestServer())
            QSKIP("the plans are the embedded engine's; the server's are in the benchmark");
        const QList<std::pair<QString, Conditions>> cases = {
            {"zjxx", RentalConditions({.ghrq = "2003-11-10"})},
            {"zjxx", RentalConditions({.czrq = "2003-11-10"})},
            {"zjxx", RentalConditions({.hybh = "M1"})},
            {"hyxx", MemberConditions({.hyxm = "会员7"})},
            {"ydxx", DiscConditions({.pm = "片名7"})},
        };
        for (const auto& [table, conditions] : cases) {
            const QString plan =
                Plan(QStringLiteral("SELECT COUNT(*) FROM ") + table + conditions.where(),
                     conditions.values());
            QVERIFY2(plan.contains(QStringLiteral("INDEX")), qPrintable(plan));
        }
    }
};

MOVRNT_TEST_MAIN(TestPaging)
#include "tst_paging.moc"
