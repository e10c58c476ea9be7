#include "support/TestEnv.h"

#include "core/access/PassCheck.h"
#include "core/access/People.h"

#include "core/catalogue/Discs.h"
#include "core/maintenance/Backup.h"
#include "core/maintenance/FileSupport.h"
#include "core/maintenance/ServerCopy.h"
#include "core/maintenance/Workbook.h"
#include "core/money/Ledger.h"
#include "core/rentals/Rentals.h"
#include "core/rentals/Stocktake.h"
#include "core/settings/Registry.h"
#include "core/settings/Settings.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/LedgerSchema.h"
#include "core/store/ProgramFolder.h"
#include "core/store/RecordTables.h"
#include "core/store/ServerAddress.h"
#include "core/store/Shop.h"
#include "core/store/ShopRules.h"
#include "core/store/Totals.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <memory>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {
QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The permission bits of a file or folder.
int Mode(const QString& path)
{
    struct stat status = {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 0777)
                                                                     : -1;
}

// Every row of the three tables and of the ledger in their order, as text,
// on either engine.
QStringList ShopRows(bool ledger = true)
{
    QStringList rows;
    auto tables = ShopTables();
    if (ledger) {
        tables << LedgerTable();
        for (const RecordTable& table : RecordTables())
            tables.append({table.name, table.columns});
    }
    for (const auto& [table, columns] : tables) {
        if (columns.isEmpty())
            continue;
        QSqlQuery query = RunSql(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                                     .arg(columns.join(u','), table,
                                          table == u"zjxx"   ? QStringLiteral("zdbh")
                                          : table == u"zwls" ? QStringLiteral("lsh")
                                          : table.startsWith(u"yd") || table.startsWith(u"hy")
                                              ? QStringLiteral("rowid")
                                              : columns.first()));
        while (query.next()) {
            QStringList row;
            for (int i = 0; i < columns.size(); ++i)
                row << query.value(i).toString();
            rows << table + u':' + row.join(u'|');
        }
    }
    return rows;
}

QStringList Leftovers(const QString& folder)
{
    return QDir(folder).entryList({"*.part*"}, QDir::Files);
}
} // namespace

class TestBackup : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>();
        OpenDatabase();
        InsertDisc("1", "成龙", "中国");
    }
    void cleanup()
    {
        CloseDatabase();
        home.reset();
    }

    void pathsJoinOnce()
    {
        QCOMPARE(BackupPathIn("/"), QStringLiteral("/MOVRNT.db"));
        QCOMPARE(BackupPathIn("/media/usb"), QStringLiteral("/media/usb/MOVRNT.db"));
        QVERIFY(!DefaultAutoBackupPath().startsWith(home->folder()));
    }

    void backupIsTheCommittedStateWhileARentalIsBeingWritten()
    {
        const QString target = BackupPathIn(home->folder() + QStringLiteral("/out"));
        QDir().mkpath(home->folder() + QStringLiteral("/out"));
        DbConnection().transaction();
        InsertDisc("2");
        BackupDatabase(TestShop(), target); // a reader beside the writer: no wait, no lock conflict
        DbConnection().commit();
        QCOMPARE(ShopDatabaseProblem(target), QString());
        QCOMPARE(Mode(target), 0600); // a copy of the shop's data is as private as the shop
        QCOMPARE(Leftovers(home->folder() + QStringLiteral("/out")), QStringList());
        QVERIFY(!QFile::exists(target + QStringLiteral("-wal")));
        CloseDatabase();
        OpenDatabase(target);
        QCOMPARE(Count("SELECT COUNT(*) FROM ydxx"), 1);
    }

    void failedBackupKeepsTheEarlierOne_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("folder missing") << "missing";
        QTest::newRow("folder read-only") << "read-only";
        QTest::newRow("disk full") << "full";
    }
    void failedBackupKeepsTheEarlierOne()
    {
        QFETCH(QString, kind);
        const QString folder = home->folder() + QStringLiteral("/target");
        std::unique_ptr<SmallDisk> disk;
        if (kind != u"missing") {
            disk = std::make_unique<SmallDisk>(folder, QStringLiteral("64k"));
            if (!disk->mounted())
                QSKIP("mounting a small file system needs root; run as CI does");
            Write(BackupPathIn(folder), "earlier backup");
            if (kind == u"read-only")
                disk->setReadOnly(true);
            else // more than the disk holds
                RunSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                       "3000) INSERT INTO ydxx SELECT 'D' || i, hex(randomblob(40)), 'x', 'x', '',"
                       " '', '', '否', '' FROM n");
        }
        QVERIFY_THROWS_EXCEPTION(MovrntError, BackupDatabase(TestShop(), BackupPathIn(folder)));
        if (kind != u"missing") {
            QCOMPARE(Read(BackupPathIn(folder)), QByteArray("earlier backup"));
            QCOMPARE(Leftovers(folder), QStringList());
        }
        QCOMPARE(Count("SELECT COUNT(*) FROM ydxx WHERE bh = '1'"), 1);
    }

    // A restore keeps the shop's current people, whoever the backup knew.
    void restoreKeepsThePeople()
    {
        QVERIFY(StorePassword(QStringLiteral("Shop1")));
        QCOMPARE(AddPerson(QStringLiteral("小王"), PersonRole::Clerk, "Clerk1", "Clerk1"),
                 QString());
        const QString offered = home->folder() + QStringLiteral("/offered.db");
        BackupDatabase(TestShop(), offered);
        QCOMPARE(SetPersonDisabled(QStringLiteral("小王"), true), QString());
        QCOMPARE(AddPerson(QStringLiteral("小李"), PersonRole::Clerk, "Clerk2", "Clerk2"),
                 QString());
        RestoreDatabase(TestShop(), offered, {});
        QStringList people;
        for (const Person& person : ShopPeople())
            people << person.name + (person.disabled ? QStringLiteral(" 停用") : QString());
        QCOMPARE(people, QStringList({kFirstOwnerName, "小李", "小王 停用"}));
        QVERIFY(CheckPerson(QStringLiteral("小李"), QStringLiteral("Clerk2")));
    }

    // Members whose money disagrees with their lines are refused, or taken
    // as they stand with one adjustment line each, which is no cash.
    void restoreTakesMembersMoneyAsItStands()
    {
        InsertMember("A");
        const QString offered = home->folder() + QStringLiteral("/offered.db");
        BackupDatabase(TestShop(), offered);
        {
            const SqliteFile file(offered, SQLITE_OPEN_READWRITE, "test");
            file.exec("INSERT INTO zwls (jzsj, ywlx, zdbh, bh, hybh, je, gtmc) VALUES"
                      " ('2003-11-02 10:00:00', '预付租金充值', 0, '/', 'A', 10000000000, '/')");
        }
        try {
            RestoreDatabase(TestShop(), offered, {});
            QFAIL("a ledger that disagrees was taken");
        } catch (const MovrntError& error) {
            QCOMPARE(error.code(), kLedgerDisagreesCode);
        }
        RestoreDatabase(TestShop(), offered, {}, true);
        QCOMPARE(FirstRow("SELECT ywlx, je, hybh FROM zwls ORDER BY lsh DESC LIMIT 1"),
                 (QStringList{"账务调整预付租金", "-10000000000", "A"}));
        QCOMPARE(MemberStatement(TestShop(), "A").last().prepaid, 100 * kYuan);
        // The top-up stays the cash it said it was; the adjustment is none.
        QCOMPARE(TakingsBetween(TestShop(), "2003-01-01", "2003-12-31").cash, 10000000000);
    }

    // A backup is read as a restore would read it before it replaces the
    // last good one: a copy that would not restore is kept aside, named.
    void backupThatWouldNotRestoreKeepsTheLastGoodOne()
    {
        const QString folder = home->folder() + QStringLiteral("/target");
        QVERIFY(QDir().mkpath(folder));
        Write(BackupPathIn(folder), "earlier backup");
        RunSql("UPDATE ydxx SET rkrq = '2003-02-30' WHERE bh = '1'"); // no date rule stops it
        QString said, code;
        try {
            BackupDatabase(TestShop(), BackupPathIn(folder));
        } catch (const MovrntError& error) {
            said = error.description();
            code = error.code();
        }
        QCOMPARE(code, kBackupRefusedCode);
        QVERIFY2(said.contains("数据表 ydxx") && said.contains("不是日期") &&
                     said.contains(BackupPathIn(folder) + kFailedBackupSuffix),
                 qPrintable(said));
        QCOMPARE(Read(BackupPathIn(folder)), QByteArray("earlier backup"));
        QCOMPARE(ShopDatabaseProblem(BackupPathIn(folder) + kFailedBackupSuffix), QString());
        QCOMPARE(Leftovers(folder), QStringList());
        RunSql("UPDATE ydxx SET rkrq = '2003-02-28' WHERE bh = '1'");
        BackupDatabase(TestShop(), BackupPathIn(folder));
        QCOMPARE(RestoreProblem(BackupPathIn(folder)), QString());
    }

    // An installed program keeps its files in the data folder, not beside its binary.
    void programFolderOfAnInstalledProgram()
    {
        const QString binary = home->folder() + QStringLiteral("/usr/bin");
        const QString installed = home->folder() + QStringLiteral("/usr/share/movrnt");
        const QString data = home->folder() + QStringLiteral("/data/movrnt");
        QDir().mkpath(binary);
        QCOMPARE(DefaultProgramFolder(binary, installed, data), binary); // a build
        QDir().mkpath(installed);
        QVERIFY(QFile::copy(DatabasePath(), installed + "/MOVRNT.db"));
        Write(installed + "/TIPOFDAY.TXT", "一条技巧\n");
        QCOMPARE(DefaultProgramFolder(binary, installed, data), data);
        QCOMPARE(ShopDatabaseProblem(data + "/MOVRNT.db"), QString());
        QVERIFY(QFileInfo(data + "/MOVRNT.db").isWritable());
        // The shop's data is its owner's alone; the help and tips anyone may read.
        QCOMPARE(Mode(data), 0700);
        QCOMPARE(Mode(data + "/MOVRNT.db"), 0600);
        QCOMPARE(Mode(data + "/TIPOFDAY.TXT"), 0644);
        // What the shop changed there stays.
        Write(data + "/TIPOFDAY.TXT", "店里自己的技巧\n");
        DefaultProgramFolder(binary, installed, data);
        QCOMPARE(Read(data + "/TIPOFDAY.TXT"), QByteArray("店里自己的技巧\n"));
        QCOMPARE(Leftovers(data), QStringList());
        // A folder given with --home gets the help page and the tips, never a database.
        Write(installed + u'/' + kHelpPageName, "<html>帮助</html>");
        const QString home = this->home->folder() + QStringLiteral("/elsewhere");
        QDir().mkpath(home);
        FurnishHomeFolder(home, binary, installed);
        QCOMPARE(QDir(home).entryList(QDir::Files), QStringList({"TIPOFDAY.TXT", kHelpPageName}));
        QCOMPARE(Read(home + u'/' + kHelpPageName), QByteArray("<html>帮助</html>"));
        // A build delivers them beside its binary.
        QVERIFY(QDir(home).removeRecursively() && QDir().mkpath(home));
        Write(binary + "/TIPOFDAY.TXT", "构建目录的技巧\n");
        FurnishHomeFolder(home, binary, home + "/nothing-installed");
        QCOMPARE(QDir(home).entryList(QDir::Files), QStringList{"TIPOFDAY.TXT"});
    }

    // A restore copies the offered file's rows into a file of the program's
    // own making: whatever else the file holds never reaches the shop.
    void restoreTakesRowsNeverSchema_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("change");  // statements run on the offered backup
        QTest::addColumn<QString>("refusal"); // empty: taken
        const QString none;
        QTest::newRow("the shop's own backup") << "backup" << none << none;
        QTest::newRow("rentals of deleted discs, negative prepaid rent")
            << "backup"
            << "DELETE FROM ydxx WHERE bh = '1'; UPDATE hyxx SET zjje = -5; INSERT INTO zwls"
               " VALUES (9, '2003-11-02 10:00:00', '预付租金更正', 0, '/', 'A', -1050000, '/', '', "
               "'')"
            << none;
        QTest::newRow("trigger emptying the members")
            << "backup"
            << "CREATE TRIGGER t AFTER INSERT ON zjxx BEGIN DELETE FROM hyxx; END" << none;
        QTest::newRow("trigger stopping every rental")
            << "backup"
            << "CREATE TRIGGER t BEFORE INSERT ON zjxx BEGIN SELECT RAISE(ABORT, 'x'); END" << none;
        QTest::newRow("extra table and view")
            << "backup"
            << "CREATE TABLE secret (x); CREATE VIEW v AS SELECT * FROM hyxx" << none;
        QTest::newRow("view in place of a table")
            << "backup"
            << "DROP TABLE hyxx; CREATE VIEW hyxx AS SELECT 'A' AS hybh, '' AS hyxm,"
               " '' AS hyxb, '' AS hyzz, '' AS lxdh, 0 AS hydj, 0 AS zjje, 0 AS yjje,"
               " 0 AS yjps, '' AS rhrq"
            << "视图";
        QTest::newRow("disc table without its key")
            << "backup"
            << "CREATE TABLE d AS SELECT * FROM ydxx; DROP TABLE ydxx; CREATE TABLE ydxx"
               " (bh, pm, lx, ydlx, zy, gj, rkrq, sfycz, nrjj); INSERT INTO ydxx SELECT *"
               " FROM d; INSERT INTO ydxx SELECT * FROM d"
            << "编号重复";
        QTest::newRow("binary member number") << "backup"
                                              << "UPDATE hyxx SET hybh = x'00ff'"
                                              << "二进制";
        QTest::newRow("text in the money column") << "backup"
                                                  << "UPDATE hyxx SET zjje = 'abc'"
                                                  << "不是数值";
        QTest::newRow("amount past counting") << "backup"
                                              << "UPDATE hyxx SET zjje = 1e308"
                                              << "金额超出可以计算的范围";
        QTest::newRow("title longer than a cell")
            << "backup"
            << "UPDATE ydxx SET pm = printf('%.*c', 40000, 'x')"
            << "超过 32767";
        QTest::newRow("a member numbered as walk-ins") << "backup"
                                                       << "UPDATE hyxx SET hybh = '/'"
                                                       << "会员编号不能是“/”";
        QTest::newRow("rental counter past exact counting")
            << "backup"
            << "UPDATE sqlite_sequence SET seq = 9007199254740990 WHERE name = 'zjxx'"
            << "超出可以准确计数的范围";
        QTest::newRow("no calendar date") << "backup"
                                          << "UPDATE ydxx SET rkrq = '2003-02-30'"
                                          << "不是日期";
        QTest::newRow("year 1") << "backup"
                                << "UPDATE hyxx SET rhrq = '0001-01-01'"
                                << "日期不在";
        QTest::newRow("two open rentals of a disc")
            << "backup"
            << "DROP INDEX zjxx_one_open; UPDATE zjxx SET sfyh = '否', ghrq = '/'"
            << "未归还";
        QTest::newRow("ledger line")
            << "backup"
            << "INSERT INTO zwls VALUES (5, '2003-11-01 10:00:00', '散客押金', 1, '1',"
               " '/', 100000, 'A1', 'till', '张三')"
            << none;
        QTest::newRow("a ledger from before the till and the person")
            << "backup"
            << "CREATE TABLE old AS SELECT lsh, jzsj, ywlx, zdbh, bh, hybh, je, gtmc FROM"
               " zwls; DROP TABLE zwls; ALTER TABLE old RENAME TO zwls"
            << none;
        QTest::newRow("from before the ledger") << "backup"
                                                << "DROP TABLE zwls" << none;
        // The ledger must agree with the members' money.
        const QString line = "INSERT INTO zwls VALUES (%1, '2003-11-02 10:00:00', '%2', 0, '1', "
                             "'%3', %4, '/', '', '')";
        QTest::newRow("a lying top-up")
            << "backup" << line.arg(9).arg("预付租金充值", "A").arg(10000000000)
            << "会员 A：预付租金 ￥100.00（账务流水为 ￥1000100.00）";
        QTest::newRow("lines of a member never opened")
            << "backup" << line.arg(9).arg("会员租金", "Z").arg(20000) << "会员 Z 的记录，却没有";
        QTest::newRow("a deleted member's history")
            << "backup"
            << line.arg(9).arg("预付租金", "Z").arg(50000) + ";" +
                   line.arg(10).arg("会员租金", "Z").arg(20000)
            << none;
        QTest::newRow("an empty ledger while money is held") << "backup"
                                                             << "DELETE FROM zwls" << none;
        QTest::newRow("an operation of no one's")
            << "backup" << line.arg(9).arg("捐款", "/").arg(10000) << "不是本系统记录的业务";
        QTest::newRow("a day's sums past counting")
            << "backup"
            << "DROP TRIGGER zwls_totals_insert; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL"
               " SELECT i + 1 FROM n WHERE i < 1100) INSERT INTO zwls SELECT 100 + i,"
               " '2003-11-02 10:00:00', '散客押金', 0, '1', '/', 9000000000000000, '/', '', '' "
               "FROM n"
            << "某一天的金额合计超出";
        QTest::newRow("ledger line at no time")
            << "backup"
            << "INSERT INTO zwls VALUES (5, '昨天', '散客押金', 1, '1', '/', 1, 'A1', '', '')"
            << "时间";
        QTest::newRow("ledger of another shape") << "backup"
                                                 << "DROP TABLE zwls; CREATE TABLE zwls (x)"
                                                 << "不是本系统";
        QTest::newRow("damaged schema")
            << "backup"
            << "PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql ="
               " 'CREATE TABLE hyxx (' WHERE name = 'hyxx'"
            << "数据库";
        QTest::newRow("no file in the folder") << "missing" << none << "找不到";
        QTest::newRow("not a database") << "text" << none << "数据库";
        QTest::newRow("truncated") << "truncated" << none << "数据库";
        QTest::newRow("another program's database") << "empty"
                                                    << "CREATE TABLE ydxx (id INTEGER, name TEXT)"
                                                    << "不是本系统的数据库";
    }
    void restoreTakesRowsNeverSchema()
    {
        QFETCH(QString, kind);
        QFETCH(QString, change);
        QFETCH(QString, refusal);
        InsertMember("A");
        for (int i = 0; i < 3; ++i)
            InsertRental("1", "A", "2003-11-01", "是");
        const QString offered = home->folder() + QStringLiteral("/offered.db");
        if (kind == u"backup") {
            BackupDatabase(TestShop(), offered);
        } else if (kind == u"text") {
            Write(offered, "影碟编号,片名\n1,英雄\n");
        } else if (kind == u"truncated") {
            BackupDatabase(TestShop(), offered);
            const QByteArray whole = Read(offered);
            Write(offered, whole.left(whole.size() / 2));
        }
        if (!change.isEmpty()) {
            const SqliteFile file(offered, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, "test");
            // Edited elsewhere: by a program that keeps none of the shop's rules.
            for (const QString& rule : RuleTriggerNames())
                file.exec(("DROP TRIGGER IF EXISTS " + rule).toUtf8().constData());
            file.exec(change.toUtf8().constData());
        }
        // Rentals made after the backup: their numbers are never handed out again.
        InsertDisc("2");
        InsertRental("2", "A", "2003-11-02", "是");
        const qint64 last = InsertRental("2", "A", "2003-11-03", "是");
        QString error;
        try {
            RestoreDatabase(TestShop(), offered, {});
        } catch (const MovrntError& e) {
            error = e.description();
        }
        QVERIFY(IsDatabaseOpen());
        QCOMPARE(QDir(home->folder()).entryList({"*.part*"}), QStringList());
        if (!refusal.isEmpty()) {
            QVERIFY2(error.contains(refusal), qPrintable(error));
            QCOMPARE(Count("SELECT COUNT(*) FROM ydxx"), 2); // untouched
            QCOMPARE(QDir(home->folder()).entryList({"MOVRNT-*"}), QStringList());
            return;
        }
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), 3);
        QCOMPARE(
            FirstRow("SELECT group_concat(name) FROM (SELECT name FROM sqlite_master WHERE"
                     " type IN ('table', 'view', 'trigger') AND name NOT LIKE 'sqlite_%'"
                     " AND name NOT LIKE '%\\_rules\\_%' ESCAPE '\\' ORDER BY name)"),
            QStringList{
                "bdjl,czry,hyxx,hyxx_totals_delete,hyxx_totals_insert,jlsl,mrcz,ndyj,pdsm,pdxx,"
                "ssjl,ydbl,ydxx,ydxx_totals_delete,ydxx_totals_insert,ydxx_totals_kind,"
                "ydxx_totals_lx,ydxx_totals_sfycz,ydxx_totals_ydlx,ydzc,yyxx,zjxx,zjxx_lost_disc,"
                "zjxx_lost_disc_update,zjxx_totals_delete,"
                "zjxx_totals_insert,zjxx_totals_moved,zjxx_totals_sfyh,zwls,zwls_totals_delete,"
                "zwls_totals_insert,zwrz"});
        // The ledger's lines come along; a backup from before it opens one.
        // A's own two opening lines, and the lines the change wrote (a backup
        // from before the ledger, or an empty one, gets A's lines again).
        QCOMPARE(Count("SELECT COUNT(*) FROM zwls"),
                 2 + change.count(QRegularExpression(QStringLiteral("\\(\\d+, '"))));
        // The counter works on the restored file, numbering on from the last rental.
        InsertDisc("3");
        QVERIFY(InsertRental("3", "A") > last);
        QCOMPARE(Count("SELECT COUNT(*) FROM hyxx"), 1);
        // The safety copy is the shop as it was before the restore.
        const QStringList safety = QDir(home->folder()).entryList({"MOVRNT-启用前-*.db"});
        QCOMPARE(safety.size(), 1);
        CloseDatabase();
        OpenDatabase(home->folder() + u'/' + safety.first());
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), 5);
    }

    void changeStampFollowsWrites()
    {
        const QString first = DatabaseChangeStamp(TestShop());
        QCOMPARE(DatabaseChangeStamp(TestShop()), first);
        InsertDisc("2");
        QVERIFY(DatabaseChangeStamp(TestShop()) != first);
    }

    // A copy to a server that cannot take it says why in the shop's words.
    void copyToServerSaysWhatIsWrong()
    {
        const QString server = qEnvironmentVariable("MOVRNT_TEST_SERVER");
        if (OnTestServer() || server.isEmpty())
            QSKIP("a copy from the file to the test server");
        InsertMember("M");
        RunSql("UPDATE hyxx SET zjje = 1"); // as psql would: no line in the ledger
        CloseDatabase();
        const auto said = [](const QString& url) {
            try {
                CopyShopToServer(DatabasePath(), url);
            } catch (const MovrntError& error) {
                return error.description();
            }
            return QString();
        };
        const QString nowhere =
            said(server + QStringLiteral("?options=-c%20search_path%3Dnowhere"));
        QVERIFY2(nowhere.contains("没有可以建立数据表的模式"), qPrintable(nowhere));
        const QString disagrees = said(FreshServerSchema(QStringLiteral("disagree")));
        QVERIFY2(disagrees.contains("会员 M：预付租金 ￥1.00（账务流水为 ￥100.00）"),
                 qPrintable(disagrees));
    }

    // The owner goes with the shop, as a login of the server with his own
    // password, once he has typed it: a wrong one copies nothing.
    void ownerMovesWithHisPassword()
    {
        const QString server =
            OnTestServer() ? QString() : FreshServerSchema(QStringLiteral("owner"));
        if (server.isEmpty())
            QSKIP("a copy from the file to the test server");
        const QString owner =
            QStringLiteral("店主") + QString::number(QCoreApplication::applicationPid());
        QVERIFY(StorePassword(QStringLiteral("Shop1")));
        QCOMPARE(RenamePerson(kFirstOwnerName, owner), QString());
        CloseDatabase();
        QCOMPARE(OwnerToCopy(DatabasePath()), owner);
        QVERIFY_THROWS_EXCEPTION(MovrntError,
                                 CopyShopToServer(DatabasePath(), server, QStringLiteral("Shop2")));
        SetShopLocation(server);
        QCOMPARE(ServerShopProblem(server).contains(QStringLiteral("还没有影碟店的数据")), true);
        CopyShopToServer(DatabasePath(), server, QStringLiteral("Shop1"));
        QCOMPARE(LogOn(owner, QStringLiteral("Shop2")).person.has_value(), false);
        const std::optional<Person> person = LogOn(owner, QStringLiteral("Shop1")).person;
        SetServerLogin({}, {});
        QVERIFY(person && person->role == PersonRole::Owner);
        QCOMPARE(GetSetting(Setting::Password),
                 QString()); // no password of the program's own there
    }

    // The shop moves onto a server whole and back: every row as stored, the
    // discs and members in their order, rental numbers going on after the
    // highest ever handed out, the shop's settings and covers; a database
    // that already holds a shop is refused either way.
    void shopMovesToTheServerAndBack()
    {
        if (OnTestServer())
            QSKIP("a copy from the file");
        const QString server = FreshServerSchema(QStringLiteral("copy"));
        if (server.isEmpty())
            QSKIP("no test server (MOVRNT_TEST_SERVER)");
        InsertDisc("B", "O'Neil", "美国", "是", "DVD", "片'名");
        InsertDisc("A");
        InsertMember("M", "张三", "男", 2, 97.5, 50, 3);
        InsertRental("B", "M", "2003-11-01", "否");
        const qint64 deleted = InsertRental("A", "/", "2003-11-02", "是", "10");
        RunSql(QStringLiteral("DELETE FROM zjxx WHERE zdbh = ?"), {deleted});
        // A file from before the ledger: the server's opens with the balances.
        RunSql(QStringLiteral("DROP TABLE zwls"));
        // A stocktake finished on the file: B out, the others missing.
        const qint64 onFile = StartStocktake(TestShop()).pdbh;
        QCOMPARE(int(ScanDisc(TestShop(), onFile, QStringLiteral("B")).kind), int(ScanKind::Out));
        QVERIFY(FinishStocktake(TestShop(), onFile));
        const QStringList rows = ShopRows(false);
        home->setSettings({{"VCD", "3"}, {"HYDJ", "5"}, {"AutoBackupPath", "/media/usb"}});
        QDir().mkpath(PicturesFolder());
        Write(CoverPath("B"), "cover of B");
        CloseDatabase();
        CopyShopToServer(DatabasePath(), server);
        QVERIFY_THROWS_EXCEPTION(MovrntError, CopyShopToServer(DatabasePath(), server));
        QVERIFY_THROWS_EXCEPTION(MovrntError, MoveShopFromServer(server, DatabasePath()));

        SetShopLocation(server);
        OpenDatabase(server);
        QCOMPARE(ShopRows(false), rows);
        QCOMPARE(FirstRow("SELECT COUNT(*), SUM(je) FROM zwls"), QStringList({"2", "1475000"}));
        // Analysed before the commit, whose money guard reads the ledger once a
        // member: without statistics it read all of it each time.
        QCOMPARE(FirstRow("SELECT COUNT(*) FROM pg_class WHERE relnamespace ="
                          " CAST(current_schema() AS regnamespace) AND relname IN ('zjxx', 'zwls',"
                          " 'hyxx') AND reltuples >= 0"),
                 QStringList({"3"}));
        // The totals the triggers kept over the copied rows, as a fresh count makes them.
        const auto totals = [] {
            return Rows({"SELECT bm, zd, zt, sl FROM jlsl WHERE sl <> 0 ORDER BY 1, 2, 3",
                         "SELECT czrq, ydlx, lx, sl FROM mrcz WHERE sl <> 0 ORDER BY 1, 2, 3",
                         "SELECT bh, cs FROM ydzc WHERE cs <> 0 ORDER BY 1",
                         "SELECT rq, ywlx, gtmc, je, bs FROM zwrz WHERE bs <> 0 ORDER BY 1, 2, 3"});
        };
        const QStringList kept = totals();
        QCOMPARE(kept.size(), 11);
        InTransaction([] {
            for (const QString& sql : TotalsRebuild() + LedgerTotalsRebuild())
                RunSql(sql);
        });
        QCOMPARE(totals(), kept);
        // This PC's own value no longer counts.
        QVERIFY(Registry().ValStr().SetValue(kSettingsRoot, kSettingsPath, "VCD", "9"));
        QCOMPARE(GetSetting(Setting::VCD), QStringLiteral("3"));
        QVERIFY(SetSetting(Setting::DVD, "4"));
        QCOMPARE(GetSetting(Setting::DVD), QStringLiteral("4"));
        QCOMPARE(Registry().ValStr().GetValue(kSettingsRoot, kSettingsPath, "DVD"), QString());
        QCOMPARE(GetSetting(Setting::AutoBackupPath), QStringLiteral("/media/usb"));
        QCOMPARE(CoverBytes(TestShop(), "B"), QByteArray("cover of B"));
        QCOMPARE(RentOut(TestShop(), {"A", "", "10", true}).zdbh, deleted + 1);
        // A disc lost on the server comes back lost.
        SettleLoss(TestShop(), deleted + 1, LossKind::Lost, 30 * kYuan);
        // A stocktake under way goes along and goes on, numbered after the file's.
        QCOMPARE(Rows({"SELECT bh, jg FROM pdsm ORDER BY bh"}),
                 QStringList({"1|缺失", "A|缺失", "B|已租出"}));
        const qint64 stocktake = StartStocktake(TestShop()).pdbh;
        QCOMPARE(stocktake, onFile + 1);
        ScanDisc(TestShop(), stocktake, QStringLiteral("B"));
        const QStringList onServer = ShopRows();
        QCOMPARE(onServer.filter(QStringLiteral("ssjl:")).size(), 1);
        QCOMPARE(onServer.filter(QStringLiteral("pdsm:")).size(), 4);
        CloseDatabase();
        SetShopLocation({});

        QFile::remove(DatabasePath());
        QDir(PicturesFolder()).removeRecursively();
        home->setSettings({{"VCD", ""}, {"HYDJ", ""}});
        MoveShopFromServer(server, DatabasePath());
        QCOMPARE(ShopDatabaseProblem(DatabasePath()), QString());
        OpenDatabase();
        QCOMPARE(ShopRows(), onServer);
        QCOMPARE(GetSetting(Setting::VCD), QStringLiteral("3"));
        QCOMPARE(GetSetting(Setting::HYDJ), QStringLiteral("5"));
        QCOMPARE(Read(CoverPath("B")), QByteArray("cover of B"));
        QCOMPARE(int(ScanDisc(TestShop(), stocktake, QStringLiteral("1")).kind),
                 int(ScanKind::InShop));
        QCOMPARE(RentOut(TestShop(), {"1", "", "10", true}).zdbh, deleted + 2);
        QCOMPARE(int(CheckRentOut(TestShop(), {"A", "", "10", true})), int(RentOutCheck::LostDisc));
    }

    // A backup of a shop on a server is a file any counter restores; a
    // restore replaces the server's rows in one go and every counter hears it.
    void backupAndRestoreOnTheServer()
    {
        const QString server = FreshServerSchema(QStringLiteral("restore"));
        if (server.isEmpty())
            QSKIP("no test server (MOVRNT_TEST_SERVER)");
        CloseDatabase();
        Shop::Create(server);
        SetShopLocation(server);
        OpenDatabase(server);
        InsertDisc("1");
        InsertMember("A", "张三", "男", 0, 100, 50, 1);
        InsertRental("1", "A", "2003-11-01", "是");
        const QStringList before = ShopRows();
        const QString backup = BackupPathIn(home->folder());
        BackupDatabase(TestShop(), backup);
        QCOMPARE(ShopDatabaseProblem(backup), QString());
        InsertDisc("2");
        const qint64 last = InsertRental("2", "A", "2003-11-02", "是");
        // The restore clears them.
        SettleLoss(TestShop(), InsertRental("1", "A"), LossKind::Damaged, 0);
        ScanDisc(TestShop(), StartStocktake(TestShop()).pdbh, QStringLiteral("2"));
        QSignalSpy replaced(TestShop().events(), &ShopEvents::databaseReplaced);
        const QString safety = RestoreDatabase(TestShop(), backup, {});
        QCOMPARE(ShopRows(), before);
        QCOMPARE(replaced.size(), 1);
        QVERIFY(InsertRental("1", "A") > last);
        CloseDatabase();
        SetShopLocation({});
        OpenDatabase(safety); // the shop as it was before the restore
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), 3);
        QCOMPARE(Count("SELECT COUNT(*) FROM ssjl"), 1);
    }
};

MOVRNT_TEST_MAIN(TestBackup)
#include "tst_backup.moc"
