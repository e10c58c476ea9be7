#include "support/TestEnv.h"

#include "core/members/Members.h"
#include "core/settings/Settings.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/Money.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <memory>

namespace {
QStringList Row(const QString& hybh)
{
    return FirstRow(
        QStringLiteral("SELECT hybh, hyxm, hyxb, hyzz, lxdh, hydj, zjje, yjje, yjps, rhrq"
                       " FROM hyxx WHERE hybh = ?"),
        {hybh});
}

} // namespace

class TestMembers : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>();
        OpenDatabase();
    }
    void cleanup() { home.reset(); }

    // A top-up adds what was paid, with its line, in one transaction.
    void topUp_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after"); // empty: refused, nothing written
        QTest::newRow("whole yuan") << "20"
                                    << "120";
        QTest::newRow("jiao and fen") << " 0.05 "
                                      << "100.05";
        QTest::newRow("nothing") << "0"
                                 << "";
        QTest::newRow("a refund") << "-5"
                                  << "";
        QTest::newRow("words") << "二十"
                               << "";
        QTest::newRow("past counting") << "1e15"
                                       << "";
    }
    void topUp()
    {
        QFETCH(QString, typed);
        QFETCH(QString, after);
        InsertMember("M"); // 100 prepaid
        const std::optional<Money> amount = ParseTopUp(typed);
        QCOMPARE(amount.has_value(), !after.isEmpty());
        if (!amount)
            return;
        QCOMPARE(TopUp(TestShop(), "M", *amount), std::optional<Money>(*ParseMoney(after)));
        QCOMPARE(FindMember(TestShop(), "M")->zjje, after);
        QCOMPARE(FirstRow("SELECT ywlx, hybh, je FROM zwls ORDER BY lsh DESC LIMIT 1"),
                 (QStringList{"预付租金充值", "M", QString::number(*amount)}));
        QCOMPARE(TopUp(TestShop(), "nobody", *amount), std::optional<Money>());
    }

    void addStoresDefaults()
    {
        AddMember(TestShop(), {"M1", "", "", "", "", "100", "1e1"});
        QCOMPARE(Row("M1"),
                 QStringList({"M1", "/", "男", "/", "/", "0", "100", "10", "0", "2003-11-09"}));
        AddMember(TestShop(), {"O'Brien", "O'Neil", "女", "King's Road", "010'5", "0", "0"});
        QCOMPARE(Row("O'Brien"), QStringList({"O'Brien", "O'Neil", "女", "King's Road", "010'5",
                                              "0", "0", "0", "0", "2003-11-09"}));
        const Member member = *FindMember(TestShop(), "M1");
        QCOMPARE(member.zjje, QStringLiteral("100"));
        QCOMPARE(member.yjje, QStringLiteral("10"));
    }

    void modifyChecks_data()
    {
        // clang-format off
        QTest::addColumn<QStringList>("typed"); // hybh hyxb zjje yjje rhrq
        QTest::addColumn<int>("check");
        QTest::newRow("no number") << QStringList{"", "", "", "", ""} << int(MemberChangeCheck::EmptyNumber);
        QTest::newRow("rent") << QStringList{"1", "", "x", "", ""} << int(MemberChangeCheck::RentNotNumber);
        QTest::newRow("deposit") << QStringList{"1", "", "1", "", ""} << int(MemberChangeCheck::DepositNotNumber);
        QTest::newRow("date") << QStringList{"1", "", "1", "1", ""} << int(MemberChangeCheck::EmptyDate);
        QTest::newRow("empty sex refused here") << QStringList{"1", "", "1", "1", "2003-01-01"} << int(MemberChangeCheck::BadSex);
        QTest::newRow("fine") << QStringList{"1", "女", "1", "1", "2003-01-01"} << int(MemberChangeCheck::Ok);
        // clang-format on
    }
    void modifyChecks()
    {
        QFETCH(QStringList, typed);
        QFETCH(int, check);
        QCOMPARE(
            int(CheckMemberChange({typed[0], {}, typed[1], {}, {}, typed[2], typed[3], typed[4]})),
            check);
    }

    void modifyKeepsLevelAndBorrowedCount()
    {
        InsertMember("1", "张三", "男", 2, 100, 50, 17);
        QVERIFY(ModifyMember(TestShop(), {"1", "", "女", "", "", "80.5", "40", "2003-02-03"}));
        QCOMPARE(Row("1"),
                 QStringList({"1", "/", "女", "/", "/", "2", "80.5", "40", "17", "2003-02-03"}));
        QVERIFY(!ModifyMember(TestShop(), {"2", "李四", "女", "", "", "1", "1", "2003-02-03"}));
        QCOMPARE(Count("SELECT COUNT(*) FROM hyxx"), 1);
    }

    void queryNumberChecksInOrder_data()
    {
        // clang-format off
        QTest::addColumn<QStringList>("typed"); // zjje yjje yjps hydj
        QTest::addColumn<int>("check");
        QTest::newRow("rent first") << QStringList{"a", "b", "c", "d"} << int(MemberFilterCheck::RentNotNumber);
        QTest::newRow("deposit") << QStringList{"", "b", "c", "d"} << int(MemberFilterCheck::DepositNotNumber);
        QTest::newRow("borrowed") << QStringList{"1", "2", "c", "d"} << int(MemberFilterCheck::BorrowedNotNumber);
        QTest::newRow("level abc after the rest") << QStringList{"1", "2", "3", "abc"} << int(MemberFilterCheck::LevelNotNumber);
        QTest::newRow("level 0") << QStringList{"", "", "", "0"} << int(MemberFilterCheck::Ok);
        // clang-format on
    }
    void queryNumberChecksInOrder()
    {
        QFETCH(QStringList, typed);
        QFETCH(int, check);
        QCOMPARE(int(CheckMemberFilter(
                     {.zjje = typed[0], .yjje = typed[1], .yjps = typed[2], .hydj = typed[3]})),
                 check);
    }

    void levelListFollowsTheSetting()
    {
        QCOMPARE(LevelList(), QStringList());
        QVERIFY(CreateSettingsKey());
        SetSetting(Setting::HYDJ, QStringLiteral("3"));
        QCOMPARE(LevelList(), QStringList({"1", "2", "3"}));
    }

    void discOutBlocksDeletion()
    {
        InsertMember("1", "张三");
        InsertMember("2", "李四");
        InsertRental("D1", "1", "2003-11-01", "否");
        InsertRental("D2", "2", "2003-11-01", "是");
        InsertRental("D3", "/", "2003-11-01", "否", "10"); // a walk-in rental never blocks
        QVERIFY(AnyMemberWithDiscOut(TestShop(), {}));
        QVERIFY(AnyMemberWithDiscOut(TestShop(), {"1", {}, {}, {}, {}}));
        QVERIFY(!AnyMemberWithDiscOut(TestShop(), {"2", {}, {}, {}, {}}));
        QVERIFY(!AnyMemberWithDiscOut(TestShop(), {{}, "李四", {}, {}, {}}));
        QVERIFY(!AnyMemberWithDiscOut(TestShop(), {"/", {}, {}, {}, {}}));
    }

    void deletionAndRentals()
    {
        InsertMember("1", "张三", "男", 1);
        InsertMember("2", "李四", "女", 1);
        InsertMember("3", "王五", "女", 2);
        InsertRental("D1", "1", "2003-11-01", "是");
        InsertRental("D2", "3", "2003-11-01", "是");
        QCOMPARE(DeleteMembers(TestShop(), {.hydj = "1", .hyxb = "女"}), QStringList{"2"});
        QCOMPARE(DeleteMembers(TestShop(), {.hybh = "9"}), QStringList{});
        const QStringList deleted = DeleteMembers(TestShop(), {.hydj = "1.0"});
        QCOMPARE(deleted, QStringList{"1"});
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), 2);
        DeleteRentalsOfMembers(TestShop(), deleted);
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), 1);
        QCOMPARE(Count("SELECT COUNT(*) FROM hyxx"), 1);
    }

    void failedRentalDeletionLeavesEveryRental()
    {
        // One statement a member: a refusal at the second keeps the first's rentals.
        InsertRental("A", "1", "2003-11-01", "是");
        InsertRental("B", "2", "2003-11-01", "是");
        RefuseWrites("refuse", "BEFORE DELETE ON zjxx", "old.hybh = '2'");
        QVERIFY_THROWS_EXCEPTION(MovrntError, DeleteRentalsOfMembers(TestShop(), {"1", "2"}));
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), 2);
    }

    void discOutTestUsesTheMemberIndex()
    {
        if (OnTestServer())
            QSKIP("the plans are the embedded engine's; the server's are in the benchmark");
        const QString sql = QStringLiteral(
            "EXPLAIN QUERY PLAN SELECT 1 FROM hyxx AS a WHERE a.hybh <> '/' AND "
            "EXISTS (SELECT 1 FROM zjxx AS b WHERE b.hybh = a.hybh AND b.sfyh = '否')");
        QSqlQuery query = RunSql(sql);
        QString plan;
        while (query.next())
            plan += query.value(3).toString() + u'\n';
        // Either member index: each probe reads the member's rentals, never all of them.
        QVERIFY2(plan.contains(QRegularExpression(QStringLiteral("SEARCH b .*hybh=\\?"))),
                 qPrintable(plan));
    }
};

MOVRNT_TEST_MAIN(TestMembers)
#include "tst_members.moc"
