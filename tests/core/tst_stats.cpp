#include "support/TestEnv.h"

#include "core/stats/Charts.h"
#include "core/stats/Figures.h"
#include "core/stats/Reports.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/Totals.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlQuery>

#include <memory>

class TestStats : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>(); // today is 2003-11-09
        OpenDatabase();
    }
    void cleanup()
    {
        CloseDatabase();
        home.reset();
    }

    void figuresCountByTypeAndDate()
    {
        InsertDisc("V1", "/", "/", "否", "VCD");
        InsertDisc("V2", "/", "/", "否", "VCD");
        InsertDisc("D1", "/", "/", "否", "DVD");
        InsertDisc("X1", "/", "/", "否", "vcd"); // neither VCD nor DVD
        const QList<std::pair<QString, QString>> rentals = {
            {"V1", "2003-11-09"}, {"V1", "2003-11-09"}, {"V2", "2003-11-09"},
            {"D1", "2003-11-09"}, {"X1", "2003-11-09"}, {"GONE", "2003-11-09"},
            {"V1", "2003-11-01"}, {"D1", "2003-10-31"}, {"D1", "2002-11-05"},
            {"V2", "2003/11/05"}, {"V1", "2003-11-5"},  {"D1", "2003.11.06"}};
        for (const auto& [bh, czrq] : rentals)
            InsertRental(bh, "/", czrq, "是", "10");
        const TypeCounts today = TodayFigures(TestShop());
        QCOMPARE(today.vcd, 3); // returned or not; the deleted disc drops out
        QCOMPARE(today.dvd, 1); // "vcd" is neither
        // clang-format off
        const QList<std::tuple<QString, QString, qint64, qint64>> months = {
            {"2003", "11", 6, 3},  // "vcd" counts as a DVD; "2003/11/05" matches by position
            {"2003", "10", 0, 1},
            {"2003", "1", 0, 0},   // one digit: nothing
            {"2002", "11", 0, 1},  // a year before any list
            {"2003", "13", 0, 0},
        };
        // clang-format on
        for (int opening = 0; opening < 2; ++opening) {
            for (const auto& [year, month, vcd, dvd] : months) {
                const TypeCounts counts = MonthFigures(TestShop(), year, month);
                QCOMPARE(counts.vcd, vcd);
                QCOMPARE(counts.dvd, dvd);
            }
            // Totals from before the index of odd dates gain it when the shop opens.
            RunSql("DROP INDEX mrcz_odd");
            CloseDatabase();
            OpenDatabase();
            QVERIFY(RunScalar(OnTestServer()
                                  ? "SELECT 1 FROM pg_indexes WHERE schemaname = current_schema()"
                                    " AND indexname = 'mrcz_odd'"
                                  : "SELECT 1 FROM sqlite_master WHERE name = 'mrcz_odd'")
                        .isValid());
        }
    }

    // Reports read their cells as text where they lie: the same text the
    // values' own conversion gives, numbers and NULLs included.
    void reportRowsReadAsText()
    {
        InsertMember("M1", "欧阳锋", "男", 1, 100000, 12.5);
        InsertMember("M2", "O'Neil \"?\"", "女", 2, 0.1, 100);
        // Quotes and question marks in texts are no values to bind.
        const QString sql = QStringLiteral(
            "SELECT hybh, hyxm, hydj, zjje, yjje, NULL, 7 - ?, ?, '?', 1 = 1, julianday(rhrq),"
            " CAST('100.50' AS NUMERIC), zjje * 3, COUNT(*) OVER () FROM hyxx"
            " WHERE hyxm <> '?' AND hydj >= ? ORDER BY hybh");
        const QVariantList values = {9, QStringLiteral("参数"), 1};
        // Read first: one connection reads one statement's rows at a time.
        QList<QStringList> expected;
        for (QSqlQuery query = RunSql(sql, values); query.next();) {
            expected << QStringList();
            for (int c = 0; c < 14; ++c)
                expected.last() << query.value(c).toString();
        }
        QCOMPARE(expected.size(), 2);
        TextRows rows(TestShop(), sql, values);
        for (const QStringList& line : expected) {
            QVERIFY(rows.next());
            for (int c = 0; c < 14; ++c)
                QCOMPARE(rows.text(c), line.at(c));
        }
        QVERIFY(!rows.next());
        // A refusal is the store's, in the shop's words.
        QVERIFY_THROWS_EXCEPTION(MovrntError, TextRows(TestShop(), "SELECT nosuch FROM hyxx"));
        // A worker's long statement on a file (the ledger's check, a page index)
        // stops when told, before its first row.
        if (!OnTestServer()) {
            const std::atomic_bool stop{true};
            QVERIFY_THROWS_EXCEPTION(
                MovrntError,
                ScanRows(
                    ShopLocation(),
                    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i <"
                    " 100000000) SELECT COUNT(*) FROM n",
                    {}, [](const QVariantList&) { return true; }, &stop));
        }
    }

    void chartStatistics()
    {
        InsertDisc("L1", "/", "/", "否", "VCD", "片", "言情片");
        InsertDisc("L2", "/", "/", "否", "DVD", "片", "言情片");
        InsertDisc("S1", "/", "/", "否", "dvd", "片", "侦探片");
        InsertDisc("O1", "/", "/", "否", "VCD", "片", "武侠片"); // outside the list
        const QList<std::pair<QString, QString>> rentals = {
            {"L1", "2003-01-05"}, {"L1", "2003-1-7"},   {"L2", "2003-01-20"},
            {"S1", "2003/12/01"}, {"O1", "2003-05-05"}, {"GONE", "2003-05-05"},
            {"L1", "2002-01-05"}};
        for (const auto& [bh, czrq] : rentals)
            InsertRental(bh, "/", czrq, "是", "10");
        QCOMPARE(StockPerGenre(TestShop()).values,
                 QList<QList<qint64>>({{2, 0, 0, 0, 0, 0, 0, 0, 1}}));
        QCOMPARE(RentalsPerGenre(TestShop(), "2003").values,
                 QList<QList<qint64>>({{3, 0, 0, 0, 0, 0, 0, 0, 1}}));
        const ChartTable months = RentalsPerMonth(TestShop(), "2003");
        QCOMPARE(months.values[0], QList<qint64>({2, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0})); // VCD
        QCOMPARE(months.values[1], QList<qint64>({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1})); // others
        QCOMPARE(RentalsPerMonth(TestShop(), "2004").values[0], QList<qint64>(12, 0));
        // clang-format off
        for (const auto& [year, valid] : QList<std::pair<QString, bool>>{{"2003", true}, {"03", false}, {"二〇〇三", false}, {"20031", false}})
            QCOMPARE(IsChartYear(year), valid);
        // clang-format on
        // The scratch table is replaced in one go, or not at all.
        QCOMPARE(StoreChartTable(TestShop(), months).values, months.values);
        QCOMPARE(Count("SELECT COUNT(*) FROM ndyj"), 2);
        // On a server another counter's chart never sees it: each counts in a table of its own.
        qint64 elsewhere = -1;
        ScanRows(ShopLocation(), "SELECT COUNT(*) FROM ndyj", {},
                 [&elsewhere](const QVariantList& row) {
                     elsewhere = row.value(0).toLongLong();
                     return false;
                 });
        QCOMPARE(elsewhere, OnTestServer() ? 0 : 2);
        RefuseWrites("refuse", "BEFORE INSERT ON ndyj", "new.ydlx = 'DVD'");
        QVERIFY_THROWS_EXCEPTION(MovrntError,
                                 StoreChartTable(TestShop(), RentalsPerMonth(TestShop(), "2004")));
        QCOMPARE(Count("SELECT SUM(m1) FROM ndyj"), 3);
        // Along the columns, each month is a series; the count axis steps by whole numbers.
        const ChartSeries byMonth = ArrangeChart(months, false);
        QCOMPARE(byMonth.names.size(), 12);
        QCOMPARE(byMonth.values[11], QList<qint64>({0, 1}));
        for (const auto& [largest, step, top] :
             QList<std::tuple<qint64, qint64, qint64>>{{0, 1, 2},
                                                       {1, 1, 2},
                                                       {2, 1, 3},
                                                       {5, 1, 6},
                                                       {6, 2, 8},
                                                       {12, 3, 15},
                                                       {1000, 200, 1200}}) {
            const WholeTicks ticks = ChartTicks({{"x"}, {"a"}, {{largest}}});
            QCOMPARE(ticks.step, step);
            QCOMPARE(ticks.top, top);
        }
    }

    void yearList()
    {
        QCOMPARE(FigureYears("2001-05-06"), QStringList({"2001", "2002", "2003"}));
        QCOMPARE(FigureYears("2003-11-09"), QStringList{"2003"});
        QCOMPARE(FigureYears(""), QStringList{"2003"});
        QCOMPARE(FigureYears("某日"), QStringList{"2003"});
    }

    void newArrivals()
    {
        QCOMPARE(NewArrivalsText(TestShop()), QStringLiteral("没有新到的影碟！"));
        InsertDisc("OLD", "/", "/", "否", "VCD", "旧片", "故事片", "2003-11-01");
        QCOMPARE(NewArrivalsText(TestShop()), QStringLiteral("没有新到的影蝶！"));
        InsertDisc("WEEK", "/", "/", "是", "DVD", "七天", "故事片", "2003-11-02");
        InsertDisc("NEW", "/", "/", "否", "VCD", "今天", "故事片", "2003-11-09");
        InsertDisc("SHORT", "/", "/", "否", "VCD", "短日期", "故事片", "2003-11-5");
        InsertDisc("NODATE", "/", "/", "否", "VCD", "无日期", "故事片", "/");
        // Newest first as the date texts sort: "2003-11-5" sorts above "2003-11-09".
        QCOMPARE(NewArrivalsText(TestShop()),
                 QStringLiteral("SHORT   短日期   VCD   未出租\r\nNEW   今天   VCD   未出租\r\n"
                                "WEEK   七天   DVD   已出租"));
    }

    void ranking()
    {
        QCOMPARE(RankingText(TestShop()), QStringLiteral("没有影碟租借信息！"));
        InsertDisc("A", "/", "/", "是", "VCD", "甲");
        InsertDisc("B", "/", "/", "否", "DVD", "乙");
        for (int i = 0; i < 25; ++i) {
            const QString bh = QStringLiteral("N%1").arg(i, 2, 10, QChar(u'0'));
            InsertDisc(bh);
            InsertRental(bh, "/", "2003-11-01", "是", "10");
        }
        for (int i = 0; i < 3; ++i)
            InsertRental("B", "/", "2003-11-01", "是", "10");
        for (int i = 0; i < 3; ++i)
            InsertRental("A", "/", "2003-11-01", "是", "10");
        for (int i = 0; i < 2; ++i)
            InsertRental("GONE", "/", "2003-11-01", "是", "10");
        const QStringList lines = RankingText(TestShop()).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 20);
        QCOMPARE(lines[0], QStringLiteral("A   甲   VCD   已出租   租出3次")); // ties by number
        QCOMPARE(lines[1], QStringLiteral("B   乙   DVD   未出租   租出3次"));
        QCOMPARE(lines[2], QStringLiteral("GONE   租出2次")); // the disc was deleted
        QCOMPARE(lines[3], QStringLiteral("N00   片名   VCD   未出租   租出1次"));
        QCOMPARE(lines.last(), QStringLiteral("N16   片名   VCD   未出租   租出1次"));
    }

    // Whatever writes the tables, in whatever shape, the totals the triggers
    // keep equal the totals counted afresh, and every answer read from them
    // equals the plain join of rentals and discs.
    void totalsFollowEveryWrite()
    {
        SetRulesAside(); // empty kinds and flags, as an older shop may hold them
        QRandomGenerator random(20261208);
        const auto pick = [&random](const QStringList& from) {
            return from[random.bounded(int(from.size()))];
        };
        const QStringList dates = {"2003-11-09", "2003-11-01", "2003-1-7", "2003/12/01",
                                   "2002-11-05", "某日",       "2003-11-9"};
        const QStringList kinds = {"VCD", "DVD", "vcd", ""};
        const QStringList genres = {"言情片", "侦探片", "武侠片", ""};
        int next = 0;
        const auto addDisc = [&](const QString& bh) {
            RunSql("INSERT INTO ydxx (bh, pm, lx, ydlx, sfycz) VALUES (?, '片', ?, ?, '否')",
                   {bh, pick(genres), pick(kinds)});
        };
        for (int i = 0; i < 12; ++i)
            addDisc(QStringLiteral("D%1").arg(next++));
        const auto disc = [&] { return QStringLiteral("D%1").arg(random.bounded(next + 2)); };
        const QList<std::function<void()>> writes = {
            [&] { InsertRental(disc(), "/", pick(dates), "是", "10"); },
            [&] { RunSql("INSERT INTO zjxx (bh, czrq, sfyh) VALUES (?, NULL, NULL)", {disc()}); },
            [&] { RunSql("DELETE FROM zjxx WHERE zdbh % 5 = ?", {random.bounded(5)}); },
            [&] {
                RunSql("UPDATE zjxx SET czrq = ? WHERE zdbh % 3 = ?",
                       {pick(dates), random.bounded(3)});
            },
            [&] {
                RunSql("UPDATE zjxx SET bh = ? WHERE zdbh % 4 = ?", {disc(), random.bounded(4)});
            },
            [&] { RunSql("UPDATE zjxx SET sfyh = CASE WHEN sfyh = '是' THEN 'x' ELSE '是' END"); },
            [&] {
                RunSql("UPDATE ydxx SET ydlx = ?, sfycz = ? WHERE bh = ?",
                       {pick(kinds), pick({"是", "否"}), disc()});
            },
            [&] {
                RunSql("UPDATE ydxx SET lx = ? WHERE bh >= ?", {pick(genres), disc()});
            },
            [&] { RunSql("UPDATE ydxx SET lx = NULL, ydlx = NULL WHERE bh = ?", {disc()}); },
            [&] { RunSql("DELETE FROM ydxx WHERE bh = ?", {disc()}); },
            [&] { addDisc(QStringLiteral("D%1").arg(next++)); },
            [&] {
                RunSql("UPDATE ydxx SET bh = ? WHERE bh = ?",
                       {QStringLiteral("D%1").arg(next++), disc()});
            },
            [&] {
                RunSql("DELETE FROM hyxx WHERE hybh < ?", {QString::number(random.bounded(9))});
            },
            [&] { InsertMember(QString::number(next++)); },
        };
        const auto totals = [] {
            QStringList rows = Rows({"SELECT 'jlsl', bm, zd, zt, sl FROM jlsl WHERE sl <> 0",
                                     "SELECT 'mrcz', czrq, ydlx, lx, sl FROM mrcz WHERE sl <> 0",
                                     "SELECT 'ydzc', bh, cs FROM ydzc WHERE cs <> 0"});
            rows.sort();
            return rows;
        };
        for (int round = 0; round < 300; ++round) {
            writes[random.bounded(int(writes.size()))]();
            if (round % 30 != 29)
                continue;
            const QStringList kept = totals();
            InTransaction([] {
                for (const QString& sql : TotalsRebuild())
                    RunSql(sql);
            });
            QCOMPARE(kept, totals());
        }
        // The answers the windows read, against the plain join.
        const QString join = " FROM zjxx AS b JOIN ydxx AS a ON a.bh = b.bh WHERE ";
        QCOMPARE(TodayFigures(TestShop()).vcd,
                 Count("SELECT COUNT(*)" + join + "b.czrq = '2003-11-09' AND a.ydlx = 'VCD'"));
        QCOMPARE(TodayFigures(TestShop()).dvd,
                 Count("SELECT COUNT(*)" + join + "b.czrq = '2003-11-09' AND a.ydlx = 'DVD'"));
        const TypeCounts november = MonthFigures(TestShop(), "2003", "11");
        QCOMPARE(november.vcd + november.dvd,
                 Count("SELECT COUNT(*)" + join + "substr(b.czrq, 1, 7) = '2003-11'"));
        qint64 perGenre = 0;
        const ChartTable genres2003 = RentalsPerGenre(TestShop(), "2003");
        for (qint64 count : genres2003.values[0])
            perGenre += count;
        QCOMPARE(perGenre, Count("SELECT COUNT(*)" + join +
                                 "substr(b.czrq, 1, 4) = '2003' AND a.lx IN ('言情片', '侦探片')"));
        QCOMPARE(TableCount(TestShop(), "zjxx", "sfyh", "是"),
                 Count("SELECT COUNT(*) FROM zjxx WHERE sfyh = '是'"));
        QCOMPARE(TableCount(TestShop(), "hyxx"), Count("SELECT COUNT(*) FROM hyxx"));
    }

    void reportsOfWhatIsOutReadOnlyTheOpenRentals()
    {
        if (OnTestServer())
            QSKIP("the plans are the embedded engine's; the server's are in the benchmark");
        // The statistics of a large shop, so the planner chooses as it would there.
        RunSql("ANALYZE");
        RunSql("DELETE FROM sqlite_stat1");
        for (const char* stat :
             {"'hyxx', 'hyxx_hydj', '50000 12500'", "'hyxx', 'sqlite_autoindex_hyxx_1', '50000 1'",
              "'ydxx', 'sqlite_autoindex_ydxx_1', '100000 1'",
              "'ydxx', 'ydxx_ydlx', '100000 50000'", "'ydxx', 'ydxx_sfycz', '100000 50000'",
              "'zjxx', 'zjxx_disc', '1000000 11'", "'zjxx', 'zjxx_member', '1000000 21'",
              "'zjxx', 'zjxx_open', '1000000 500000 545'", "'zjxx', 'zjxx_one_open', '3200 1'",
              "'zjxx', 'zjxx_open_hybh', '3200 2'", "'zjxx', 'zjxx_returned', '1000000 500000'"})
            RunSql(QStringLiteral("INSERT INTO sqlite_stat1 VALUES (%1)")
                       .arg(QString::fromLatin1(stat)));
        RunSql("ANALYZE sqlite_schema");
        // Probing a disc's or member's every rental took a second on such a
        // shop, walking every disc or member for its open rentals 50 ms, and
        // the returned flag's index ten million entries at ten million rentals.
        // The statements the program sends read the open rentals' own index.
        for (const auto& [report, index] :
             {std::pair{Report::DiscsOut, "zjxx_one_open"},
              std::pair{Report::MembersWithDiscsOut, "zjxx_open_hybh"}}) {
            QStringList sent;
            const StatementSeen before =
                SetStatementSeen([&sent](const QString& sql, const QVariantList&) { sent << sql; });
            ReportLineCount(TestShop(), DefinitionOf(report));
            ReportRows(TestShop(), DefinitionOf(report));
            SetStatementSeen(before);
            QCOMPARE(sent.size(), 2);
            for (const QString& sql : sent) {
                const QString plan = Plan(sql);
                // Scanned whole, the partial index is the open rentals alone.
                QVERIFY2(plan.contains(QRegularExpression(
                             QStringLiteral("(SCAN|SEARCH) b USING (COVERING )?INDEX ") + index)),
                         qPrintable(plan));
            }
        }
    }
};

MOVRNT_TEST_MAIN(TestStats)
#include "tst_stats.moc"
