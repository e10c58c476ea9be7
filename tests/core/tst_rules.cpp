#include "support/TestEnv.h"

#include "core/access/PassCheck.h"
#include "core/access/People.h"
#include "core/maintenance/ServerCopy.h"
#include "core/rentals/Rentals.h"
#include "core/settings/Settings.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/ServerAddress.h"
#include "core/store/Shop.h"
#include "core/store/ShopRules.h"

#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <memory>

namespace {
// What the database said to a statement run as a counter's own connection
// would run it (psql with its credentials); empty when it was taken.
QString Refusal(const QString& sql)
{
    try {
        RunSql(sql);
    } catch (const MovrntError& error) {
        return error.description();
    }
    return {};
}

// The test server's shop as another login sees it.
QString LoginUrl(const QString& login)
{
    QString url = qEnvironmentVariable("MOVRNT_TEST_SERVER");
    url.replace(QStringLiteral("//movrnt_test@"), QStringLiteral("//%1@").arg(login));
    return url + QStringLiteral("?options=-c%20search_path%3D") +
           RunScalar("SELECT current_schema()").toString();
}

// What the server said to `sql` run by `login` with `password` on a
// connection of its own (psql with those credentials); empty when it ran.
QString AsLogin(const QString& login, const QString& password, const QString& sql)
{
    QString said;
    const QString name = QStringLiteral("as-login");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        ParseServerUrl(LoginUrl(login)).apply(db);
        db.setPassword(password);
        QSqlQuery query(db);
        if (!db.open())
            said = db.lastError().text();
        else if (!query.exec(sql))
            said = query.lastError().text();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return said;
}

void Reopen()
{
    CloseDatabase();
    OpenDatabase();
}
} // namespace

class TestRules : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>();
        OpenDatabase();
        InsertDisc("1");
        InsertMember("A");
        InsertRental("1", "A", "2003-11-01", "是");
    }
    void cleanup()
    {
        CloseDatabase();
        home.reset();
    }

    // Whatever way a row comes in, the database refuses what the program
    // refuses, with the program's words, and takes what the program writes.
    void databaseKeepsTheRules_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("refusal"); // empty: taken
        const bool server = OnTestServer();
        const QString money = "预付租金和押金应为数值";
        const QString tooLong = "每项内容不能超过 32767 个字符";
        QTest::newRow("prepaid rent NULL") << "UPDATE hyxx SET zjje = NULL" << money;
        QTest::newRow("deposit past the bound") << "UPDATE hyxx SET yjje = 1e15" << money;
        // A server refuses money changed without its ledger line; the file checks at start-up.
        QTest::newRow("negative prepaid rent, as a rental may leave it")
            << "UPDATE hyxx SET zjje = -5"
            << (server ? "会员 A 的预付租金或押金与账务流水不符" : "");
        QTest::newRow("a member numbered as walk-ins")
            << "INSERT INTO hyxx VALUES ('/', '', '男', '/', '/', 0, 0, 0, 0, '2003-11-01')"
            << "会员编号不能为空，也不能是“/”";
        QTest::newRow("a member without a number") << "UPDATE hyxx SET hybh = ' '"
                                                   << "会员编号不能为空";
        QTest::newRow("a name past a cell")
            << (server ? "UPDATE hyxx SET hyxm = repeat('x', 40000)"
                       : "UPDATE hyxx SET hyxm = printf('%.*c', 40000, 'x')")
            << tooLong;
        QTest::newRow("a negative level") << "UPDATE hyxx SET hydj = -1"
                                          << "会员等级和已借片数应为非负整数";
        QTest::newRow("no sex") << "UPDATE hyxx SET hyxb = ''"
                                << "会员性别不能为空";
        QTest::newRow("a disc neither out nor in") << "UPDATE ydxx SET sfycz = '也许'"
                                                   << "是否已出租应为“是”或“否”";
        QTest::newRow("a disc without a type") << "UPDATE ydxx SET ydlx = NULL"
                                               << "影片类型和影碟类型不能为空";
        QTest::newRow("empty texts kept as /") << "UPDATE ydxx SET zy = '/', gj = '/', nrjj = '/'"
                                               << "";
        QTest::newRow("a date that is no date, read as 1900-01-01")
            << "UPDATE ydxx SET rkrq = '某日'"
            << "";
        QTest::newRow("a rental neither returned nor out") << "UPDATE zjxx SET sfyh = NULL"
                                                           << "是否已还应为“是”或“否”";
        QTest::newRow("rental number 0")
            << "INSERT INTO zjxx (zdbh, bh, czrq, ghrq, yjje, sfyh, hybh) VALUES (0, '1', "
               "'2003-11-01', '/', '/', '否', '/')"
            << "租借编号应为 1 至";
        QTest::newRow("a ledger amount past counting")
            << "INSERT INTO zwls (jzsj, ywlx, zdbh, bh, hybh, je, gtmc) VALUES ('2003-11-01 "
               "10:00:00', '散客押金', 1, '1', '/', 9000000000000001, 'A1')"
            << "账务流水的金额应为整数";
        if (!server) { // the file's columns take any type
            QTest::newRow("text as money") << "UPDATE hyxx SET zjje = 'abc'" << money;
            QTest::newRow("half a level") << "UPDATE hyxx SET hydj = 2.5"
                                          << "会员等级和已借片数应为非负整数";
        } else {
            QTest::newRow("not a number as money") << "UPDATE hyxx SET zjje = 'NaN'" << money;
            QTest::newRow("infinite money") << "UPDATE hyxx SET yjje = 'Infinity'" << money;
        }
    }
    void databaseKeepsTheRules()
    {
        QFETCH(QString, sql);
        QFETCH(QString, refusal);
        const QStringList before =
            Rows({"SELECT * FROM hyxx", "SELECT * FROM ydxx", "SELECT * FROM zjxx"});
        const QString said = Refusal(sql);
        if (refusal.isEmpty()) {
            QVERIFY2(said.isEmpty(), qPrintable(said));
        } else {
            QVERIFY2(said.startsWith(refusal), qPrintable(said));
            QCOMPARE(Rows({"SELECT * FROM hyxx", "SELECT * FROM ydxx", "SELECT * FROM zjxx"}),
                     before);
        }
        // The shop still rents.
        QCOMPARE(RentOut(TestShop(), {"1", "", "10", true}).refusal, RentOutCheck::Ok);
    }

    // An older shop that already holds rows the rules refuse opens, says once
    // which rows break which rule, refuses a write to them with the same
    // words, and keeps the rules fully once they are mended.
    // On a server money moves only with its ledger line, in the same
    // transaction, whoever moves it (a counter's credentials in psql too).
    void moneyMovesOnlyWithItsLine()
    {
        if (!OnTestServer())
            QSKIP("a file's money is checked against its ledger at start-up");
        const QString line = "INSERT INTO zwls (jzsj, ywlx, zdbh, bh, hybh, je, gtmc) VALUES"
                             " ('2003-11-01 10:00:00', '%1', 0, '/', '%2', %3, 'psql')";
        QVERIFY(Refusal("UPDATE hyxx SET zjje = zjje + 10000 WHERE hybh = 'A'")
                    .startsWith("会员 A 的预付"));
        QVERIFY(
            Refusal("INSERT INTO hyxx VALUES ('B', '', '男', '/', '/', 0, 0, 0, 0, '2003-11-01')")
                .startsWith("会员 B 的预付"));
        InTransaction([&] {
            RunSql("UPDATE hyxx SET zjje = zjje + 10 WHERE hybh = 'A'");
            RunSql(line.arg("预付租金充值", "A").arg(100000));
        });
        QCOMPARE(FirstRow("SELECT zjje FROM hyxx WHERE hybh = 'A'").value(0).toDouble(), 110.0);
    }

    // What a clerk's and a guest's credentials can do with plain SQL, outside
    // the program: the server gives each what the windows need, no more.
    void groupsOutsideTheProgram_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("allowed");
        const QString clerk = "movrnt_test_clerk", guest = "movrnt_test_guest";
        const QString rental =
            "INSERT INTO zjxx (bh, czrq, ghrq, yjje, sfyh, hybh) VALUES ('1', '2003-11-02',"
            " '/', '10', '否', '/')";
        QTest::newRow("clerk reads the shop") << clerk << "SELECT * FROM hyxx, zwls, cssz" << true;
        QTest::newRow("clerk rents a disc out") << clerk << rental << true;
        QTest::newRow("clerk changes money without its line")
            << clerk << "UPDATE hyxx SET zjje = 1000" << false;
        const QString line = "INSERT INTO zwls (jzsj, ywlx, zdbh, bh, hybh, je, gtmc, czy) VALUES"
                             " ('2003-11-02 10:00:00', '散客押金', 0, '1', '/', 100000, 'x', '%1')";
        QTest::newRow("clerk writes a line in his own name") << clerk << line.arg(clerk) << true;
        QTest::newRow("clerk writes a line in another's name")
            << clerk << line.arg("店主") << false;
        QTest::newRow("owner writes a line in another's name")
            << "movrnt_test_owner" << line.arg("店主") << true;
        QTest::newRow("clerk updates a ledger line") << clerk << "UPDATE zwls SET je = 0" << false;
        QTest::newRow("clerk deletes the ledger") << clerk << "DELETE FROM zwls" << false;
        QTest::newRow("clerk clears the ledger as a restore")
            << clerk << "SELECT movrnt_clear_ledger()" << false;
        QTest::newRow("clerk truncates the rentals") << clerk << "TRUNCATE zjxx" << false;
        QTest::newRow("clerk deletes a member") << clerk << "DELETE FROM hyxx" << false;
        QTest::newRow("clerk changes the prices")
            << clerk << "INSERT INTO cssz (mc, z) VALUES ('VCD', '0')" << false;
        QTest::newRow("clerk writes the totals") << clerk << "UPDATE zwrz SET je = 0" << false;
        QTest::newRow("clerk makes a table in the shop")
            << clerk << "CREATE TABLE mine (x INT)" << false;
        QTest::newRow("clerk makes a role") << clerk << "CREATE ROLE someone" << false;
        const QString stocktake =
            "INSERT INTO pdxx (ksrq, zt) VALUES ('2003-11-02 10:00:00', '进行中')";
        QTest::newRow("clerk begins a stocktake") << clerk << stocktake << true;
        QTest::newRow("clerk holds the stocktake for a scan")
            << clerk << "SELECT zt FROM pdxx FOR UPDATE" << true;
        QTest::newRow("clerk deletes the scans") << clerk << "DELETE FROM pdsm" << false;
        QTest::newRow("guest begins a stocktake") << guest << stocktake << false;
        const QString owner = "movrnt_test_owner";
        QTest::newRow("owner deletes a member")
            << owner << "DELETE FROM zjxx; DELETE FROM hyxx" << true;
        QTest::newRow("owner sets the prices")
            << owner << "INSERT INTO cssz (mc, z) VALUES ('VCD', '3')" << true;
        QTest::newRow("owner clears the ledger as a restore")
            << owner << "SELECT movrnt_clear_ledger()" << true;
        QTest::newRow("owner numbers the rentals on")
            << owner << "SELECT setval(pg_get_serial_sequence('zjxx', 'zdbh'), 100)" << true;
        QTest::newRow("owner deletes a ledger line") << owner << "DELETE FROM zwls" << false;
        QTest::newRow("owner updates a ledger line") << owner << "UPDATE zwls SET je = 0" << false;
        QTest::newRow("owner truncates the ledger") << owner << "TRUNCATE zwls" << false;
        QTest::newRow("owner makes a table in the shop")
            << owner << "CREATE TABLE mine (x INT)" << false;
        QTest::newRow("expert makes a table in the shop") << "movrnt_sql"
                                                          << "CREATE TABLE mine (x INT)" << false;
        QTest::newRow("guest reads the shop") << guest << "SELECT * FROM ydxx, zjxx" << true;
        QTest::newRow("guest rents a disc out") << guest << rental << false;
        QTest::newRow("guest writes a ledger line")
            << guest
            << "INSERT INTO zwls (jzsj, ywlx, zdbh, bh, hybh, je, gtmc) VALUES ('2003-11-02 "
               "10:00:00',"
               " '散客押金', 0, '1', '/', 1, 'x')"
            << false;
    }
    void groupsOutsideTheProgram()
    {
        QFETCH(QString, login);
        QFETCH(QString, sql);
        QFETCH(bool, allowed);
        if (!OnTestServer())
            QSKIP("a file's rights are its folder's");
        const QString name = QStringLiteral("outside");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            ParseServerUrl(LoginUrl(login)).apply(db);
            QVERIFY2(db.open(), qPrintable(db.lastError().text()));
            QSqlQuery query(db);
            const bool ran = query.exec(sql);
            QVERIFY2(ran == allowed, qPrintable(query.lastError().text()));
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        QCOMPARE(Count("SELECT COUNT(*) FROM zwls WHERE je = 0 AND ywlx <> '期初预付租金'"), 0);
    }

    // On a server the people are its login roles, made by the owner through
    // the shop's functions; the server checks their passwords and keeps a
    // clerk from the people's business.
    void peopleAreTheServersLogins()
    {
        if (!OnTestServer())
            QSKIP("on a file the people are rows of the shop");
        const QString tag = QString::number(QCoreApplication::applicationPid());
        const QString boss = QStringLiteral("老板") + tag, clerk = QStringLiteral("小王") + tag,
                      renamed = QStringLiteral("王五") + tag,
                      shared = QStringLiteral("counter") + tag;
        QVERIFY(ShopKeepsPeople());
        QVERIFY(!LogonByName());
        QVERIFY(StorePassword(QStringLiteral("Shop1"))); // the shared role's logon, as before
        QCOMPARE(AddPerson(clerk, PersonRole::Clerk, "Clerk1", "Clerk1"),
                 QStringLiteral("请先为店主自己建立登录账户（身份选“店主”），再添加店员。"));
        QCOMPARE(AddPerson(boss, PersonRole::Owner, "Boss1", "Boss1"), QString());
        QCOMPARE(GetSetting(Setting::Password), QString()); // the server keeps the password now
        QVERIFY(LogonByName());
        QCOMPARE(AddPerson(QStringLiteral("movrnt_sql"), PersonRole::Clerk, "Clerk1", "Clerk1"),
                 QStringLiteral("数据库服务器上已经有叫“movrnt_"
                                "sql”的用户了（用户名在整个服务器上不能重复），请换一个姓名！"));
        QCOMPARE(AddPerson(clerk, PersonRole::Clerk, "Clerk1", "Clerk1"), QString());

        // The logon: the server says whose password it is.
        const auto logOn = [](const QString& name, const QString& password) {
            const LogonOutcome logon = LogOn(name, password);
            SetServerLogin({}, {});
            return logon.problem +
                   (logon.person ? (logon.person->role == PersonRole::Owner ? "店主" : "店员")
                                 : "");
        };
        QCOMPARE(logOn(boss, "Boss1"), QStringLiteral("店主"));
        QCOMPARE(logOn(clerk, "Clerk1"), QStringLiteral("店员"));
        QCOMPARE(logOn(clerk, "Boss1"), QString());
        QCOMPARE(logOn(QStringLiteral("movrnt_test"), "Boss1"),
                 QString()); // a login, but no person
        QCOMPARE(logOn(QStringLiteral("nobody") + tag, "Boss1"), QString());

        // A clerk's credentials outside the program.
        const QString verifier = QStringLiteral("'SCRAM-SHA-256$4096:c2FsdA==$a2V5:a2V5'");
        for (const QString& sql :
             {QStringLiteral("SELECT movrnt_person_add('x%1', %2, '店员')").arg(tag, verifier),
              QStringLiteral("SELECT movrnt_person_password('%1', %2)").arg(boss, verifier),
              QStringLiteral("SELECT movrnt_person_enable('%1', false)").arg(boss),
              QStringLiteral("ALTER ROLE \"%1\" PASSWORD 'x'").arg(boss),
              QStringLiteral("ALTER ROLE \"%1\" CREATEROLE").arg(clerk),
              QStringLiteral("CREATE ROLE x%1").arg(tag),
              QStringLiteral("UPDATE czry SET js = '店主'"),
              QStringLiteral("SELECT movrnt_people_guard('%1', false)").arg(clerk)})
            QVERIFY2(AsLogin(clerk, "Clerk1", sql).contains(QStringLiteral("permission denied")),
                     qPrintable(sql));
        QCOMPARE(AsLogin(clerk, "Clerk1", QStringLiteral("SELECT count(*) FROM czry")), QString());
        // The owner's functions touch no role outside the shop's people.
        QVERIFY(AsLogin(boss, "Boss1",
                        QStringLiteral("SELECT movrnt_person_password('movrnt_test_owner', %1)")
                            .arg(verifier))
                    .contains(QStringLiteral("不是本店的人员")));

        // Renamed only while logged off; the password goes with the name.
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("clerk"));
            ParseServerUrl(LoginUrl(clerk)).apply(db);
            db.setPassword(QStringLiteral("Clerk1"));
            QVERIFY(db.open());
            QCOMPARE(RenamePerson(clerk, renamed),
                     QStringLiteral("“%1”正在使用本系统，不能改名：请等他退出后再改。").arg(clerk));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("clerk"));
        // The server ends the closed session's backend a moment later.
        QString renaming;
        for (int wait = 0; wait < 50; ++wait) {
            renaming = RenamePerson(clerk, renamed);
            if (!renaming.contains(QStringLiteral("正在使用")))
                break;
            QTest::qWait(100);
        }
        QCOMPARE(renaming, QString());
        QCOMPARE(logOn(renamed, "Clerk1"), QStringLiteral("店员"));
        QCOMPARE(SetPersonDisabled(renamed, true), QString());
        QCOMPARE(logOn(renamed, "Clerk1"), QString());
        QCOMPARE(SetPersonDisabled(renamed, false), QString());
        QCOMPARE(ChangePersonPassword(renamed, "New12", "New12"), QString());
        QCOMPARE(logOn(renamed, "Clerk1"), QString());
        QCOMPARE(logOn(renamed, "New12"), QStringLiteral("店员"));
        QCOMPARE(SetPersonDisabled(boss, true), QStringLiteral("店里至少要有一位可以登录的店主。"));
        QCOMPARE(PasswordOffRefusal(),
                 QStringLiteral("服务器上的人员各自以姓名和密码登录，不能关闭密码保护。"));

        // The shared counter role: retired by a person, never by itself.
        RunSql(QStringLiteral("CREATE ROLE \"%1\" LOGIN IN ROLE movrnt_owner").arg(shared));
        const auto dropShared =
            qScopeGuard([&] { RunSql(QStringLiteral("DROP ROLE \"%1\"").arg(shared)); });
        QVERIFY(SharedLogins().contains(shared));
        QVERIFY(!SharedLogins().contains(boss));
        QCOMPARE(RetireSharedLogin(shared),
                 QStringLiteral("请以您自己的姓名登录后，再停用共用的柜台账户。"));
        QCOMPARE(
            AsLogin(boss, "Boss1", QStringLiteral("SELECT movrnt_retire_login('%1')").arg(shared)),
            QString());
        QVERIFY(!SharedLogins().contains(shared));
        QVERIFY(!RunScalar("SELECT pg_has_role(?, 'movrnt_owner', 'MEMBER')", {shared}).toBool());
        // Roles are the whole server's: another shop's person is none of ours.
        {
            const QString elsewhere = FreshServerSchema(QStringLiteral("other"));
            Shop::Create(elsewhere);
            Shop other(elsewhere);
            RunSql(other, QStringLiteral("SELECT movrnt_person_add(?, %1, '店主')").arg(verifier),
                   {QStringLiteral("别店") + tag});
        }
        QVERIFY(!SharedLogins().contains(QStringLiteral("别店") + tag));
        QVERIFY(
            AsLogin(boss, "Boss1", QStringLiteral("SELECT movrnt_retire_login('别店%1')").arg(tag))
                .contains(QStringLiteral("不是共用的柜台账户")));

        // 管理员密码设置 of a person: the server checks the old one and keeps the new.
        SetCurrentPerson(boss);
        QVERIFY(!CheckPassword(QStringLiteral("Boss2")));
        QVERIFY(CheckPassword(QStringLiteral("Boss1")));
        QVERIFY(StorePassword(QStringLiteral("Boss2")));
        SetCurrentPerson({});
        QCOMPARE(logOn(boss, "Boss1"), QString());
        QCOMPARE(logOn(boss, "Boss2"), QStringLiteral("店主"));
    }

    // A shop whose expert could make tables in its schema is moved on at its
    // owner's next opening: the expert's tables go in a schema of their own.
    void expertLeavesTheShopsSchema()
    {
        if (!OnTestServer())
            QSKIP("a file has one schema");
        RunSql("DO $$BEGIN EXECUTE format('GRANT CREATE ON SCHEMA %I TO movrnt_expert', "
               "current_schema()); END$$");
        Reopen();
        QCOMPARE(
            RunScalar("SELECT has_schema_privilege('movrnt_expert', current_schema(), 'CREATE')")
                .toBool(),
            false);
        QCOMPARE(RunScalar("SELECT has_schema_privilege('movrnt_expert', current_schema() || "
                           "'_expert', 'CREATE')")
                     .toBool(),
                 true);
    }

    // A clerk's credentials given to the program's restore (or import):
    // refused by the server, and said plainly; the shop untouched.
    void aClerkCannotReplaceTheShop()
    {
        if (!OnTestServer())
            QSKIP("a file's rights are its folder's");
        const QString prepared = home->folder() + QStringLiteral("/prepared.db");
        CreateEmptyDatabase(prepared);
        try {
            ReplaceServerShop(LoginUrl(QStringLiteral("movrnt_test_clerk")), prepared,
                              ShopOperation::Restore);
            QFAIL("a clerk replaced the shop");
        } catch (const MovrntError& error) {
            QVERIFY2(error.description().contains(QStringLiteral("没有所需的权限")),
                     qPrintable(error.description()));
        }
        QCOMPARE(Count("SELECT COUNT(*) FROM hyxx") + Count("SELECT COUNT(*) FROM zjxx"), 2);
    }

    void olderShopNamesItsBrokenRows()
    {
        SetRulesAside();
        RunSql("INSERT INTO hyxx VALUES ('/', '', '男', '/', '/', 0, NULL, 0, 0, '2003-11-01')");
        RunSql("UPDATE ydxx SET sfycz = '?'");
        Reopen();
        const QString notice = TestShop().notice();
        QVERIFY2(notice.contains("数据表 hyxx 中编号为 / 的记录：会员编号不能为空") &&
                     notice.contains("数据表 hyxx 中编号为 / 的记录：预付租金和押金应为数值") &&
                     notice.contains("数据表 ydxx 中编号为 1 的记录：是否已出租应为“是”或“否”") &&
                     notice.contains("专家操作方式"),
                 qPrintable(notice));
        QVERIFY(Refusal("UPDATE hyxx SET hyxm = '王五' WHERE hybh = '/'")
                    .startsWith("会员编号不能为空"));
        QVERIFY(Refusal("UPDATE hyxx SET hyxm = '王五' WHERE hybh = 'A'").isEmpty());
        Reopen();
        QCOMPARE(TestShop().notice(), QString()); // said once
        RunSql("DELETE FROM hyxx WHERE hybh = '/'");
        RunSql("UPDATE ydxx SET sfycz = '否'");
        Reopen();
        QCOMPARE(TestShop().notice(), QString());
        if (OnTestServer())
            QCOMPARE(
                Count("SELECT COUNT(*) FROM pg_constraint WHERE conname LIKE '%\\_rule' AND NOT"
                      " convalidated AND connamespace = current_schema()::regnamespace"),
                0);
        QVERIFY(Refusal("UPDATE ydxx SET sfycz = '?'").startsWith("是否已出租"));
    }

    // A rental number is never handed out twice, whatever the counter was
    // made to say: the next is above every number the rentals and the ledger name.
    void rentalNumbersAboveTheLedger()
    {
        SetRulesAside(); // as an older version left the shop
        RunSql("INSERT INTO zwls (jzsj, ywlx, zdbh, bh, hybh, je, gtmc) VALUES"
               " ('2003-11-01 10:00:00', '散客押金', 500, '1', '/', 100000, 'A1')");
        RunSql(OnTestServer() ? "SELECT setval(pg_get_serial_sequence('zjxx', 'zdbh'), 1)"
                              : "DELETE FROM sqlite_sequence");
        Reopen();
        QCOMPARE(InsertRental("1", "/"), 501);
    }

    // A counter on a server waits for a lock a few seconds, tries once more,
    // then says who holds the rows, never waiting as long as the holder likes.
    void lockHeldElsewhere()
    {
        if (!OnTestServer())
            QSKIP("the file is written by one transaction at a time");
        {
            QSqlDatabase other =
                QSqlDatabase::cloneDatabase(DbConnection(), QStringLiteral("holder"));
            QVERIFY(other.open());
            QVERIFY(other.transaction());
            QSqlQuery lock(other);
            QVERIFY2(lock.exec("LOCK TABLE hyxx IN EXCLUSIVE MODE"),
                     qPrintable(lock.lastError().text()));
            QString said;
            try {
                InTransaction([] { RunSql("UPDATE hyxx SET hyxm = '王五'"); });
            } catch (const MovrntError& error) {
                said = error.description();
            }
            QVERIFY2(said.contains("正被其他柜台（或专家操作方式）占用"), qPrintable(said));
            other.rollback();
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("holder"));
        QVERIFY(Refusal("UPDATE hyxx SET hyxm = '王五'").isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
