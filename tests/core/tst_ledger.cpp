#include "support/TestEnv.h"

#include "core/access/PassCheck.h"
#include "core/members/Members.h"
#include "core/money/Ledger.h"
#include "core/money/Statements.h"
#include "core/rentals/Rentals.h"
#include "core/settings/Settings.h"
#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"

#include <QSqlQuery>
#include <memory>

namespace {
// The day's lines as "operation disc member amount counter till person".
QStringList Lines(const QString& day = TodayText())
{
    QStringList lines;
    for (const LedgerEntry& line : DayLedger(TestShop(), day))
        lines << QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
                     .arg(line.kind, line.bh, line.hybh, MoneyText(line.amount), line.counter,
                          line.till, line.person);
    return lines;
}

// The ledger's day totals as its triggers keep them, or counted afresh.
QStringList DayTotals(bool afresh = false)
{
    QSqlQuery query = RunSql(
        afresh
            ? "SELECT substr(jzsj, 1, 10), ywlx, gtmc, gtid, czy, CAST(SUM(je) AS BIGINT), COUNT(*)"
              " FROM zwls GROUP BY 1, 2, 3, 4, 5 ORDER BY 1, 2, 3, 4, 5"
            : "SELECT rq, ywlx, gtmc, gtid, czy, je, bs FROM zwrz WHERE bs <> 0 ORDER BY"
              " 1, 2, 3, 4, 5");
    QStringList rows;
    while (query.next()) {
        QStringList row;
        for (int c = 0; c < 7; ++c)
            row << query.value(c).toString();
        rows << row.join(u' ');
    }
    return rows;
}

QStringList Amounts(const Takings& takings)
{
    QStringList amounts;
    for (const auto& [caption, amount] : TakingsRows(takings))
        amounts << MoneyText(amount);
    return amounts;
}

void Do(const QString& operation)
{
    if (operation == u"walk-in rental") {
        RentOut(TestShop(), {"V", "", "10.5", true});
    } else if (operation == u"member rental") {
        RentOut(TestShop(), {"D", "M", "", true});
    } else if (operation == u"checkout") {
        const qint64 first = InsertRental("V", "/", "2003-11-09", "否", "10");
        Settle(TestShop(), SettleKind::WalkInCheckout, first,
               InsertRental("D", "/", "2003-11-09", "否", "20"));
    } else if (operation == u"member return") {
        const qint64 zdbh = InsertRental("V", "M", "2003-11-09");
        Settle(TestShop(), SettleKind::MemberReturn, zdbh, zdbh);
    } else if (operation == u"late member return") {
        SetSetting(Setting::LateFee, QStringLiteral("1"));
        SetSetting(Setting::Alertdays, QStringLiteral("7"));
        const qint64 zdbh = InsertRental("V", "M", "2003-11-02"); // ten days, seven free
        Settle(TestShop(), SettleKind::MemberReturn, zdbh, zdbh);
    } else if (operation == u"walk-in loss") {
        const qint64 zdbh = InsertRental("V", "/", "2003-11-09", "否", "10");
        SettleLoss(TestShop(), zdbh, LossKind::Lost, 25 * kYuan);
    } else if (operation == u"member damage") {
        const qint64 zdbh = InsertRental("D", "M", "2003-11-12");
        SettleLoss(TestShop(), zdbh, LossKind::Damaged, 5 * kYuan);
    } else if (operation == u"new member") {
        AddMember(TestShop(), {"N", "李四", "女", "/", "/", "100", "0"});
    } else if (operation == u"new member with deposit") {
        AddMember(TestShop(), {"N", "李四", "女", "/", "/", "88.5", "30"});
    } else if (operation == u"top-up, deposit corrected") {
        ModifyMember(TestShop(), {"M", "张三", "男", "/", "/", "150.25", "40", "2003-11-01"});
    } else if (operation == u"details changed") {
        ModifyMember(TestShop(), {"M", "王五", "男", "/", "/", "100", "50", "2003-11-01"});
    } else if (operation == u"deletions") {
        const qint64 zdbh = InsertRental("V", "/", "2003-11-09", "是", "10");
        DeleteRentals(TestShop(), {.zdbh = QString::number(zdbh)});
        DeleteMembers(TestShop(), {"M", {}, {}, {}, {}});
    }
}
} // namespace

class TestLedger : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>();
        home->setSettings({{"VCD", "2"},
                           {"DVD", "3"},
                           {"FJZJ", "10"},
                           {"HYDJ", "3"},
                           {"CounterName", "一号柜台"},
                           {"TillId", "till-1"}});
        SetTodayForTesting(QDate(2003, 11, 12));
        SetCurrentPerson(QStringLiteral("小王"));
        OpenDatabase();
        InsertDisc("V", "/", "/", "否", "VCD");
        InsertDisc("D", "/", "/", "否", "DVD");
        InsertMember("M", "张三", "男", 1, 100, 50);
    }
    void cleanup()
    {
        CloseDatabase();
        SetTodayForTesting({});
        SetCurrentPerson({});
        home.reset();
    }

    // Every operation that moves money writes its lines, exactly; the
    // others write none.
    void operationsWriteTheirLines_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QStringList>("lines");
        const QString c = QStringLiteral(" 一号柜台 till-1 小王");
        QTest::newRow("walk-in rental") << "walk-in rental" << QStringList{"散客押金 V / 10.5" + c};
        // Level 1: three yuan less a tenth.
        QTest::newRow("member rental") << "member rental" << QStringList{"会员租金 D M 2.7" + c};
        QTest::newRow("checkout, three days")
            << "checkout"
            << QStringList{"散客租金 V / 6" + c, "退还押金 V / -10" + c, "散客租金 D / 9" + c,
                           "退还押金 D / -20" + c};
        QTest::newRow("member return") << "member return" << QStringList{};
        QTest::newRow("late member return")
            << "late member return" << QStringList{"超期罚金 V M 3" + c};
        QTest::newRow("walk-in loss")
            << "walk-in loss"
            << QStringList{"散客租金 V / 6" + c, "赔偿 V / 25" + c, "退还押金 V / -10" + c};
        QTest::newRow("member damage") << "member damage" << QStringList{"会员赔偿 D M 5" + c};
        QTest::newRow("new member") << "new member" << QStringList{"预付租金 / N 100" + c};
        QTest::newRow("new member with deposit")
            << "new member with deposit"
            << QStringList{"预付租金 / N 88.5" + c, "会员押金 / N 30" + c};
        QTest::newRow("top-up, deposit corrected")
            << "top-up, deposit corrected"
            << QStringList{"预付租金充值 / M 50.25" + c, "会员押金更正 / M -10" + c};
        QTest::newRow("details changed") << "details changed" << QStringList{};
        QTest::newRow("deletions hand nothing back") << "deletions" << QStringList{};
    }
    void operationsWriteTheirLines()
    {
        QFETCH(QString, operation);
        QFETCH(QStringList, lines);
        Do(operation);
        QCOMPARE(Lines(), lines);
    }

    // The line is written in the operation's transaction: a statement of it
    // that fails leaves neither the line nor the operation.
    void failedOperationLeavesNoLine_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("refused");
        QTest::addColumn<QString>("untouched"); // a count the operation would have changed
        QTest::newRow("walk-in rental, line refused") << "walk-in rental"
                                                      << "BEFORE INSERT ON zwls"
                                                      << "SELECT COUNT(*) FROM zjxx";
        QTest::newRow("member rental, line refused")
            << "member rental"
            << "BEFORE INSERT ON zwls"
            << "SELECT COUNT(*) FROM hyxx WHERE zjje <> 100";
        QTest::newRow("checkout, line refused") << "checkout"
                                                << "BEFORE INSERT ON zwls"
                                                << "SELECT COUNT(*) FROM zjxx WHERE sfyh = '是'";
        QTest::newRow("late fee, line refused") << "late member return"
                                                << "BEFORE INSERT ON zwls"
                                                << "SELECT COUNT(*) FROM hyxx WHERE zjje <> 100";
        QTest::newRow("new member, line refused") << "new member"
                                                  << "BEFORE INSERT ON zwls"
                                                  << "SELECT COUNT(*) - 1 FROM hyxx";
        QTest::newRow("top-up, member refused") << "top-up, deposit corrected"
                                                << "BEFORE UPDATE ON hyxx"
                                                << "SELECT COUNT(*) FROM hyxx WHERE zjje <> 100";
    }
    void failedOperationLeavesNoLine()
    {
        QFETCH(QString, operation);
        QFETCH(QString, refused);
        QFETCH(QString, untouched);
        const qint64 lines = Count("SELECT COUNT(*) FROM zwls");
        RefuseWrites("refuse", refused);
        QVERIFY_THROWS_EXCEPTION(MovrntError, Do(operation));
        QCOMPARE(Count("SELECT COUNT(*) FROM zwls"), lines);
        QCOMPARE(Count(untouched), 0);
    }

    // Two days at two counters, worked out by hand.
    void takingsOfASmallShop()
    {
        SetTodayForTesting(QDate(2003, 11, 10));
        AddMember(TestShop(), {"N", "李四", "女", "/", "/", "100", "50"});     // cash 150
        const qint64 walkIn = RentOut(TestShop(), {"V", "", "10", true}).zdbh; // cash 10
        RentOut(TestShop(), {"D", "N", "", true}); // 3 from the prepaid rent
        SetTodayForTesting(QDate(2003, 11, 12));
        Settle(TestShop(), SettleKind::WalkInCheckout, walkIn,
               walkIn); // rent 4 in, deposit 10 out
        home->setSettings({{"CounterName", "二号柜台"}});
        SetCurrentPerson(QStringLiteral("小张"));
        ModifyMember(TestShop(),
                     {"N", "李四", "女", "/", "/", "120", "50", "2003-11-10"}); // 97 -> 120: 23 in

        // received rent, deposits taken, back, prepaid, member deposits, charged, late fees,
        // charges of walk-ins and of members, cash
        QCOMPARE(Amounts(TakingsBetween(TestShop(), "2003-11-10", "2003-11-10")),
                 QStringList({"0", "10", "0", "100", "50", "3", "0", "0", "0", "160"}));
        QCOMPARE(Amounts(TakingsBetween(TestShop(), "2003-11-12", "2003-11-12")),
                 QStringList({"4", "0", "10", "23", "0", "0", "0", "0", "0", "17"}));
        QCOMPARE(Amounts(TakingsBetween(TestShop(), "2003-11-12", "2003-11-12", "一号柜台")),
                 QStringList({"4", "0", "10", "0", "0", "0", "0", "0", "0", "-6"}));
        QCOMPARE(Amounts(MonthTakings(TestShop(), "2003", "11")),
                 QStringList({"4", "10", "10", "123", "50", "3", "0", "0", "0", "177"}));
        QCOMPARE(Amounts(MonthTakings(TestShop(), "2003", "1")), Amounts({}));
        QCOMPARE(DayTotals(), DayTotals(true));

        // The statement ends where the member's prepaid rent stands.
        QStringList statement;
        for (const StatementLine& line : MemberStatement(TestShop(), "N"))
            statement << line.entry.kind + u' ' + MoneyText(line.change) + u' ' +
                             MoneyText(line.prepaid);
        QCOMPARE(statement, QStringList({"预付租金 100 100", "会员押金 50 100", "会员租金 -3 97",
                                         "预付租金充值 23 120"}));
        QCOMPARE(FirstRow("SELECT zjje FROM hyxx WHERE hybh = 'N'"), QStringList{"120"});

        // A second till took ￥20 of prepaid rent the same day.
        RunSql("INSERT INTO zwls (jzsj, ywlx, zdbh, bh, hybh, je, gtmc, gtid, czy) VALUES "
               "('2003-11-12 15:00:00',"
               " '预付租金充值', 0, '/', 'N', 200000, '三号柜台', 'till-2', '小李')");
        RunSql("UPDATE hyxx SET zjje = zjje + 20 WHERE hybh = 'N'");
        // The day-end report of the first till, renamed during the day, its float typed.
        home->setSettings({{"CounterName", "一号柜台"}});
        const MoneyDocument report = DayEndReport(TestShop(), "2003-11-12", 200 * kYuan);
        QCOMPARE(report.rows.size(), 8); // caption, 4 lines, sum; caption, sum
        QCOMPARE(report.rows[0], QStringList{"现金收付（经过钱箱）"});
        QCOMPARE(report.rows[5].mid(7), QStringList({"现金小计", "￥37.00"}));
        QCOMPARE(report.rows[7].mid(7), QStringList({"非现金小计", "￥0.00"}));
        const auto takings = [](const QString& indent, const QStringList& amounts) {
            const QStringList captions = {"散客租金收入",
                                          "收取散客押金",
                                          "退还散客押金",
                                          "会员预付租金收入",
                                          "会员押金收入",
                                          "会员租金（从预付租金扣除）",
                                          "超期罚金（从预付租金扣除）",
                                          "散客赔偿收入",
                                          "会员赔偿（从预付租金扣除）",
                                          "现金结余"};
            // No disc was lost or damaged that day.
            QStringList all = amounts;
            all.insert(7, "￥0.00");
            all.insert(7, "￥0.00");
            QStringList lines;
            for (qsizetype i = 0; i < captions.size(); ++i)
                lines << indent + captions[i] + "：" + all[i];
            return lines;
        };
        const QString blanks = "    实点现金：__________    差额：__________";
        QStringList expected = QStringList{"柜台 一号柜台：", "    经手人 小张："} +
                               takings("        ", {"￥0.00", "￥0.00", "￥0.00", "￥23.00",
                                                    "￥0.00", "￥0.00", "￥0.00", "￥23.00"}) +
                               QStringList{"    经手人 小王："} +
                               takings("        ", {"￥4.00", "￥0.00", "￥10.00", "￥0.00",
                                                    "￥0.00", "￥0.00", "￥0.00", "-￥6.00"}) +
                               takings("    ", {"￥4.00", "￥0.00", "￥10.00", "￥23.00", "￥0.00",
                                                "￥0.00", "￥0.00", "￥17.00"}) +
                               QStringList{"    备用金：￥200.00", "    钱箱中应有现金：￥217.00",
                                           blanks, "柜台 三号柜台：", "    经手人：小李"} +
                               takings("    ", {"￥0.00", "￥0.00", "￥0.00", "￥20.00", "￥0.00",
                                                "￥0.00", "￥0.00", "￥20.00"}) +
                               QStringList{"    备用金：__________    钱箱中应有现金：__________",
                                           blanks, "全店合计："} +
                               takings("    ", {"￥4.00", "￥0.00", "￥10.00", "￥43.00", "￥0.00",
                                                "￥0.00", "￥0.00", "￥37.00"}) +
                               QStringList{"", "店员签字：__________        店主签字：__________"};
        if (!OnTestServer())
            expected << "账务核对：每位会员的预付租金和押金都与账务流水相符。";
        QCOMPARE(report.closing, expected);
        // A past day: the member's rent taken from his prepaid money is no cash.
        const MoneyDocument past = DayEndReport(TestShop(), "2003-11-10", std::nullopt);
        QCOMPARE(past.rows.last().mid(7), QStringList({"非现金小计", "￥3.00"}));
        QVERIFY(past.intro.contains(QStringLiteral("打印柜台：一号柜台  打印人：小张")));
        if (OnTestServer())
            return; // its money never disagrees: the server refuses the change
        RunSql("UPDATE hyxx SET zjje = 121 WHERE hybh = 'N'"); // as the sqlite3 shell would
        const QStringList after = DayEndReport(TestShop(), "2003-11-12", std::nullopt).closing;
        QCOMPARE(after.mid(after.size() - 2),
                 QStringList({"账务核对：以下会员的预付租金或押金与账务流水不符：",
                              "会员 N：预付租金 ￥121.00（账务流水为 ￥140.00），押金 "
                              "￥50.00（账务流水为 ￥50.00）"}));
    }

    void previewMatchesSettlement()
    {
        const qint64 first = InsertRental("V", "/", "2003-11-01", "否", "12.5");
        const qint64 last = InsertRental("D", "/", "2003-11-01", "否", "7");
        const Settlement preview =
            PreviewSettlement(TestShop(), SettleKind::WalkInCheckout, first, last);
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx WHERE sfyh = '否'") +
                     Count("SELECT COUNT(*) FROM zwls WHERE hybh = '/'"),
                 2); // nothing settled, nothing written
        const Settlement settled = Settle(TestShop(), SettleKind::WalkInCheckout, first, last);
        QCOMPARE(std::tuple(preview.rentDue, preview.deposit, preview.days, preview.vcd),
                 std::tuple(settled.rentDue, settled.deposit, settled.days, settled.vcd));
        QCOMPARE(settled.rentDue, 55 * kYuan); // eleven days of 2 + 3
        QCOMPARE(PreviewSettlement(TestShop(), SettleKind::WalkInCheckout, first, last).refusal,
                 SettleRefusal::AlreadySettled);
        // A member's return shows the member's prepaid rent; walk-ins name no one.
        const qint64 member = InsertRental("V", "M", "2003-11-01");
        QCOMPARE(RangeMembers(TestShop(), first, last).size(), 0);
        const QList<MemberBalance> members = RangeMembers(TestShop(), first, member);
        QCOMPARE(members.size(), 1);
        QCOMPARE(members[0].prepaid, 100 * kYuan);
    }

    // A shop from before the ledger gets one opening line for each member's
    // balances when it is opened, and the statement starts there.
    void anOlderShopOpensItsLedger()
    {
        InsertMember("Z", "零", "男", 0, 0, 0);
        RunSql("DROP TABLE zwls");
        RunSql("DROP TABLE zwrz");
        CloseDatabase();
        OpenDatabase();
        QSqlQuery lines = RunSql("SELECT ywlx, hybh, je FROM zwls ORDER BY lsh");
        QStringList found;
        while (lines.next())
            found << lines.value(0).toString() + u' ' + lines.value(1).toString() + u' ' +
                         lines.value(2).toString();
        QCOMPARE(found, QStringList({"期初预付租金 M 1000000", "期初预付租金 Z 0",
                                     "期初会员押金 M 500000"}));
        RentOut(TestShop(), {"V", "M", "", true});
        QCOMPARE(MemberStatement(TestShop(), "M").last().prepaid, 982 * kYuan / 10);
        QCOMPARE(DayTotals(), DayTotals(true));
        QCOMPARE(DayTotals().size(), 3);
    }

    // A ledger kept before lines named their till and person keeps its lines
    // and totals as one till's and nobody's; lines from then on name both.
    void anOlderLedgerGainsTillsAndPeople()
    {
        Do("walk-in rental");
        if (OnTestServer()) {
            RunSql("ALTER TABLE zwls DROP COLUMN gtid, DROP COLUMN czy");
            RunSql("ALTER TABLE zwrz DROP CONSTRAINT zwrz_pkey, DROP COLUMN gtid, DROP COLUMN czy,"
                   " ADD PRIMARY KEY (rq, ywlx, gtmc)");
        } else {
            for (const char* trigger : {"zwls_totals_insert", "zwls_totals_delete",
                                        "zwls_rules_insert", "zwls_rules_update"})
                RunSql(QStringLiteral("DROP TRIGGER ") + QLatin1String(trigger));
            RunSql("ALTER TABLE zwls DROP COLUMN gtid");
            RunSql("ALTER TABLE zwls DROP COLUMN czy");
            RunSql("DROP TABLE zwrz");
            RunSql("CREATE TABLE zwrz (rq TEXT NOT NULL, ywlx TEXT NOT NULL, gtmc TEXT NOT NULL, je"
                   " BIGINT NOT NULL, bs BIGINT NOT NULL, PRIMARY KEY (rq, ywlx, gtmc))");
            RunSql("INSERT INTO zwrz SELECT substr(jzsj, 1, 10), ywlx, gtmc, SUM(je), COUNT(*) "
                   "FROM zwls"
                   " GROUP BY 1, 2, 3");
        }
        CloseDatabase();
        OpenDatabase();
        Do("member rental");
        QCOMPARE(Lines(), QStringList({"散客押金 V / 10.5 一号柜台  ",
                                       "会员租金 D M 2.7 一号柜台 till-1 小王"}));
        QCOMPARE(DayTotals(), DayTotals(true));
        QCOMPARE(DayTotals().size(), 4); // the openings' day, and today's two tills
        // The rules hold the new columns too.
        QVERIFY_THROWS_EXCEPTION(
            MovrntError, RunSql("UPDATE zwls SET czy = ? WHERE lsh = (SELECT MAX(lsh) FROM zwls)",
                                {QString(40000, u'x')}));
    }

    // A server's guard of the members' money from before the late fee and
    // the charges learns them at the owner's next opening, or it would
    // refuse every late return.
    void anOlderMoneyGuardLearnsNewKinds()
    {
        if (!OnTestServer())
            QSKIP("the file has no such guard");
        const QString body =
            RunScalar("SELECT prosrc FROM pg_proc WHERE proname = 'movrnt_money_lines' AND"
                      " pronamespace = CAST(current_schema() AS regnamespace)")
                .toString();
        QVERIFY(body.contains("'超期罚金'"));
        RunSql("CREATE OR REPLACE FUNCTION movrnt_money_lines() RETURNS trigger LANGUAGE plpgsql"
               " SECURITY DEFINER SET search_path FROM CURRENT AS $$" +
               QString(body)
                   .remove(" WHEN '超期罚金' THEN -z.je")
                   .remove(" WHEN '会员赔偿' THEN -z.je") +
               "$$");
        SetSetting(Setting::LateFee, QStringLiteral("1"));
        SetSetting(Setting::Alertdays, QStringLiteral("7"));
        const qint64 zdbh = InsertRental("V", "M", "2003-11-02");
        QVERIFY_THROWS_EXCEPTION(MovrntError,
                                 Settle(TestShop(), SettleKind::MemberReturn, zdbh, zdbh));
        CloseDatabase();
        OpenDatabase();
        QCOMPARE(Settle(TestShop(), SettleKind::MemberReturn, zdbh, zdbh).lateFee, 3 * kYuan);
        QCOMPARE(Lines().last(), QStringLiteral("超期罚金 V M 3 一号柜台 till-1 小王"));
    }

    void yuanText_data()
    {
        QTest::addColumn<qint64>("amount");
        QTest::addColumn<QString>("text");
        QTest::newRow("two decimals") << qint64(1985000) << "￥198.50";
        QTest::newRow("whole") << qint64(50000) << "￥5.00";
        QTest::newRow("handed back") << qint64(-50000) << "-￥5.00";
        QTest::newRow("finer than a fen") << qint64(12345) << "￥1.2345";
    }
    void yuanText()
    {
        QFETCH(qint64, amount);
        QFETCH(QString, text);
        QCOMPARE(YuanText(amount), text);
    }
};

MOVRNT_TEST_MAIN(TestLedger)
#include "tst_ledger.moc"
