#include "support/TestEnv.h"

#include "core/catalogue/Discs.h"
#include "core/catalogue/DistinctNames.h"
#include "core/store/Counts.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/ProgramFolder.h"
#include "core/store/Shop.h"
#include "core/store/SingleInstance.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QSqlRecord>
#include <memory>

namespace {
QStringList Columns(const QString& table)
{
    QStringList names;
    QSqlQuery query = RunSql(QStringLiteral("PRAGMA table_info(%1)").arg(table));
    while (query.next())
        names << query.value(1).toString();
    return names;
}

void AddDisc(const QString& bh, const QString& type)
{
    RunSql(
        QStringLiteral(
            "INSERT INTO ydxx VALUES (?, '片名', '故事片', ?, '/', '/', '2003-11-09', '否', '/')"),
        {bh, type});
}

qint64 RentalCount()
{
    return RunScalar(QStringLiteral("SELECT COUNT(*) FROM zjxx")).toLongLong();
}
} // namespace

class TestStore : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;

private Q_SLOTS:
    void init() { home = std::make_unique<TestHome>(); }
    void cleanup() { home.reset(); }

    void tablesKeepTheirColumnOrder_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("columns");
        QTest::newRow("ydxx") << "ydxx" << QStringList{"bh", "pm",   "lx",    "ydlx", "zy",
                                                       "gj", "rkrq", "sfycz", "nrjj"};
        QTest::newRow("zjxx") << "zjxx"
                              << QStringList{"zdbh", "bh", "czrq", "ghrq", "yjje", "sfyh", "hybh"};
        QTest::newRow("hyxx") << "hyxx" << QStringList{"hybh", "hyxm", "hyxb", "hyzz", "lxdh",
                                                       "hydj", "zjje", "yjje", "yjps", "rhrq"};
    }
    void tablesKeepTheirColumnOrder()
    {
        QFETCH(QString, table);
        QFETCH(QStringList, columns);
        OpenDatabase();
        QCOMPARE(Columns(table), columns);
        QCOMPARE(RunScalar(QStringLiteral("SELECT COUNT(*) FROM ") + table).toInt(), 0);
    }

    void rentalNumbersAreNeverReused()
    {
        OpenDatabase();
        const QString insert =
            QStringLiteral("INSERT INTO zjxx (bh, czrq, ghrq, yjje, sfyh, hybh) "
                           "VALUES ('1', '2003-11-09', '2003-11-09', '/', '是', '/')");
        for (int i = 0; i < 3; ++i)
            RunSql(insert);
        RunSql(QStringLiteral("DELETE FROM zjxx WHERE zdbh = 3"));
        RunSql(insert);
        QCOMPARE(RunScalar(QStringLiteral("SELECT MAX(zdbh) FROM zjxx")).toLongLong(), 4);
        // Past 16 and 32 bits.
        RunSql(QStringLiteral("INSERT INTO zjxx (zdbh, bh, sfyh) VALUES (5000000000, 'x', '是')"));
        RunSql(insert);
        QCOMPARE(RunScalar(QStringLiteral("SELECT MAX(zdbh) FROM zjxx")).toLongLong(),
                 5000000001LL);
    }

    void openRefusesWhatIsNotTheShopDatabase_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << QByteArray() << "找不到数据库文件";
        QTest::newRow("not a database") << QByteArray(4096, 'x') << "数据库文件已损坏";
        QTest::newRow("empty file") << QByteArray("\0", 0) << "缺少数据表";
    }
    void openRefusesWhatIsNotTheShopDatabase()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        const QString folder = home->folder() + QStringLiteral("/other");
        QDir().mkpath(folder);
        const QString path = JoinPath(folder, QStringLiteral("MOVRNT.db"));
        if (QTest::currentDataTag() != QLatin1String("missing")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        SetProgramFolder(folder);
        const QString refusal = OpeningRefusal();
        QVERIFY2(!refusal.isEmpty() && refusal.contains(message), qPrintable(refusal));
        QVERIFY(!IsDatabaseOpen());
        // Never created silently, never replaced: what is there may still be rescued.
        QCOMPARE(QFile::exists(path), QTest::currentDataTag() != QLatin1String("missing"));
        if (!content.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), content);
        }
    }

    void databaseLivesInTheProgramFolder()
    {
        QDir::setCurrent(QDir::tempPath());
        QCOMPARE(DatabasePath(), home->folder() + QStringLiteral("/MOVRNT.db"));
        QCOMPARE(JoinPath(QStringLiteral("/shop/"), QStringLiteral("MOVRNT.db")),
                 QStringLiteral("/shop/MOVRNT.db"));
        QCOMPARE(JoinPath(QStringLiteral("/shop"), QStringLiteral("MOVRNT.db")),
                 QStringLiteral("/shop/MOVRNT.db"));
    }

    void connectionIsDurable()
    {
        OpenDatabase();
        QCOMPARE(RunScalar(QStringLiteral("PRAGMA journal_mode")).toString(),
                 QStringLiteral("wal"));
        QCOMPARE(RunScalar(QStringLiteral("PRAGMA synchronous")).toInt(), 2); // FULL
    }

    void transactionIsAllOrNothing()
    {
        OpenDatabase();
        try {
            InTransaction([] {
                AddDisc(QStringLiteral("1"), QStringLiteral("VCD"));
                AddDisc(QStringLiteral("1"), QStringLiteral("DVD")); // duplicate key
            });
            QFAIL("no error");
        } catch (const MovrntError& error) {
            QVERIFY(error.description().contains(QStringLiteral("UNIQUE")));
        }
        QCOMPARE(RunScalar(QStringLiteral("SELECT COUNT(*) FROM ydxx")).toInt(), 0);

        const int result = InTransaction([] {
            AddDisc(QStringLiteral("1"), QStringLiteral("VCD"));
            AddDisc(QStringLiteral("2"), QStringLiteral("DVD"));
            return 2;
        });
        QCOMPARE(result, 2);
        // What was committed survives closing and reopening the file.
        CloseDatabase();
        OpenDatabase();
        QCOMPARE(RunScalar(QStringLiteral("SELECT COUNT(*) FROM ydxx")).toInt(), 2);
    }

    void failingLastStatementLeavesNothing()
    {
        // The way later tests prove atomicity: a trigger that refuses the last statement.
        OpenDatabase();
        RefuseWrites("refuse", "BEFORE INSERT ON zjxx");
        QVERIFY_THROWS_EXCEPTION(MovrntError, InTransaction([] {
                                     AddDisc(QStringLiteral("7"), QStringLiteral("VCD"));
                                     RunSql(QStringLiteral("INSERT INTO zjxx (bh) VALUES ('7')"));
                                 }));
        QCOMPARE(RunScalar(QStringLiteral("SELECT COUNT(*) FROM ydxx")).toInt(), 0);
        QCOMPARE(RentalCount(), 0);
    }

    // A change is announced once it is committed, never when it fails or is
    // rolled back; another connection's change when the shop looks outside,
    // with the operation that made it, once.
    void changesAreAnnouncedOnceCommitted()
    {
        QTemporaryDir dir;
        const auto shop = Shop::Create(dir.filePath(QStringLiteral("shop.db")));
        QSignalSpy discs(shop->events(), &ShopEvents::discsChanged);
        const auto taken = [&discs] {
            QList<ShopOperation> operations;
            for (const QList<QVariant>& signal : std::as_const(discs))
                operations << signal.at(0).value<ShopOperation>();
            discs.clear();
            return operations;
        };
        const NewDisc disc{"1", "片名", "", "", "", "VCD", ""};
        AddDisc(*shop, disc);
        QVERIFY_THROWS_EXCEPTION(MovrntError, AddDisc(*shop, disc)); // the number is taken
        QVERIFY_THROWS_EXCEPTION(MovrntError, InTransaction(*shop, [&shop] {
                                     shop->announce(ShopChange::Discs, ShopOperation::DeleteDiscs);
                                     RunSql(*shop, QStringLiteral("DELETE FROM no_such_table"));
                                 }));
        QCOMPARE(taken(), QList<ShopOperation>{ShopOperation::AddDisc});
        shop->lookOutside();
        QCOMPARE(taken(), QList<ShopOperation>{});
        {
            Shop counter(shop->path());
            QVERIFY(ModifyDisc(counter, {"1", "新片名", "", "", "", "2003-11-09", ""}));
        }
        QCOMPARE(taken(), QList<ShopOperation>{});
        shop->lookOutside();
        shop->lookOutside();
        QCOMPARE(taken(), QList<ShopOperation>{ShopOperation::ModifyDisc});
        // The counter opened first writes while a later one is open: the
        // change is logged within its own transaction, so the later one hears
        // nothing of a rollback and once of a commit.
        Shop later(shop->path());
        QSignalSpy heard(later.events(), &ShopEvents::discsChanged);
        QVERIFY_THROWS_EXCEPTION(MovrntError, InTransaction(*shop, [&shop] {
                                     shop->announce(ShopChange::Discs, ShopOperation::DeleteDiscs);
                                     RunSql(*shop, QStringLiteral("DELETE FROM no_such_table"));
                                 }));
        later.lookOutside();
        QCOMPARE(heard.size(), 0);
        QVERIFY(ModifyDisc(*shop, {"1", "又一个名", "", "", "", "2003-11-09", ""}));
        QCOMPARE(taken(), QList<ShopOperation>{ShopOperation::ModifyDisc});
        later.lookOutside();
        QCOMPARE(heard.size(), 1);
        QCOMPARE(heard.at(0).at(0).value<ShopOperation>(), ShopOperation::ModifyDisc);
    }

    void boundValuesAreStoredAsTyped()
    {
        OpenDatabase();
        AddDisc(QStringLiteral("O'Brien"), QStringLiteral("VCD"));
        QCOMPARE(RunScalar(QStringLiteral("SELECT bh FROM ydxx WHERE bh = ?"),
                           {QStringLiteral("O'Brien")})
                     .toString(),
                 QStringLiteral("O'Brien"));
    }

    void countTexts()
    {
        OpenDatabase();
        QCOMPARE(DiscCountText(TestShop()),
                 QStringLiteral("本店影碟库共有影碟 0 张  |  其中VCD 0 张 , DVD 0 张"));
        QCOMPARE(MemberCountText(TestShop()), QStringLiteral("本店共有 0 名会员"));
        AddDisc(QStringLiteral("1"), QStringLiteral("VCD"));
        AddDisc(QStringLiteral("2"), QStringLiteral("VCD"));
        AddDisc(QStringLiteral("3"), QStringLiteral("DVD"));
        AddDisc(QStringLiteral("4"), QStringLiteral("vcd")); // counted in the total only
        for (int i = 0; i < 12; ++i)
            RunSql(QStringLiteral("INSERT INTO hyxx VALUES (?, '张三', '男', '/', '/', 0, 0, 0, 0, "
                                  "'2003-11-09')"),
                   {QString::number(i)});
        QCOMPARE(DiscCountText(TestShop()),
                 QStringLiteral("本店影碟库共有影碟 4 张  |  其中VCD 2 张 , DVD 1 张"));
        QCOMPARE(MemberCountText(TestShop()), QStringLiteral("本店共有 12 名会员"));
    }

    void secondProcessIsRefused()
    {
        LockHolder other(home->folder());
        QVERIFY(other.started());
        SingleInstance mine(home->folder());
        QVERIFY(!mine.tryAcquire());
    }
};

MOVRNT_TEST_MAIN(TestStore)
#include "tst_store.moc"
