// Faults of the machine: the disk full or read-only under the program, a
// lock left by a killed instance (garbage in place of the database: tst_store). The program says so
// clearly, or recovers, and the books stay whole.

#include "core/maintenance/Backup.h"
#include "core/maintenance/Workbook.h"
#include "core/rentals/Rentals.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/ProgramFolder.h"
#include "core/store/SingleInstance.h"
#include "support/TestEnv.h"

#include <QProcess>

namespace {
// Everything the shop has, to compare before and after.
QString Books()
{
    QString text;
    for (const char* table : {"ydxx", "zjxx", "hyxx"}) {
        QSqlQuery query = RunSql(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(table));
        while (query.next())
            for (int i = 0; i < 10 && query.value(i).isValid(); ++i)
                text += query.value(i).toString() + u'|';
        text += u'\n';
    }
    return text;
}

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class TestFaults : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;
    std::unique_ptr<SmallDisk> disk;
    QString shop;

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>();
        home->setSettings({{"VCD", "2"}, {"DVD", "3"}, {"FJZJ", "10"}, {"HYDJ", "3"}});
        shop = home->folder() + QStringLiteral("/shop");
        disk = std::make_unique<SmallDisk>(shop, QStringLiteral("4m"));
        if (!disk->mounted())
            QSKIP("mounting a small file system needs root; run as CI does");
        QVERIFY(QFile::copy(home->databasePath(), JoinPath(shop, QStringLiteral("MOVRNT.db"))));
        SetProgramFolder(shop);
        OpenDatabase();
        InsertDisc("1");
        InsertDisc("2");
        InsertMember("8");
        RentOut(TestShop(), {QStringLiteral("2"), QString(), QStringLiteral("10")});
        CloseDatabase(); // no write-ahead log left: the next write needs new room
        OpenDatabase();
    }
    void cleanup()
    {
        CloseDatabase();
        disk.reset();
        home.reset();
    }

    void diskFullLeavesTheBooksWhole_data()
    {
        QTest::addColumn<QString>("work");
        for (const char* work : {"walk-in rental", "member rental", "checkout", "backup", "export"})
            QTest::newRow(work) << work;
    }
    void diskFullLeavesTheBooksWhole()
    {
        QFETCH(QString, work);
        const QString target = JoinPath(shop, work == u"backup" ? QStringLiteral("backup")
                                                                : QStringLiteral("exchange"));
        QDir().mkpath(target);
        const QString file = work == u"backup" ? BackupPathIn(target) : WorkbookPathIn(target);
        const auto run = [&] {
            if (work == u"walk-in rental")
                RentOut(TestShop(), {QStringLiteral("1"), QString(), QStringLiteral("10")});
            else if (work == u"member rental")
                RentOut(TestShop(), {QStringLiteral("1"), QStringLiteral("8"), QString()});
            else if (work == u"checkout")
                Settle(TestShop(), SettleKind::WalkInCheckout, 1, 1);
            else if (work == u"backup")
                BackupDatabase(TestShop(), file);
            else
                ExportWorkbook(DatabasePath(), file);
        };
        const QString before = Books();
        disk->fill();
        QVERIFY_THROWS_EXCEPTION(MovrntError, run());
        QCOMPARE(Books(), before);
        QVERIFY(!QFile::exists(file));
        QCOMPARE(QDir(target).entryList(QDir::Files), QStringList()); // nothing half-written
        // Room again: the same work goes through, and is kept.
        disk->release();
        run();
        QVERIFY(Books() != before || work == u"backup" || work == u"export");
        CloseDatabase();
        OpenDatabase();
        QCOMPARE(Count("SELECT COUNT(*) FROM pragma_integrity_check WHERE integrity_check <> 'ok'"),
                 0);
        if (work == u"backup" || work == u"export")
            QVERIFY(QFile::exists(file));
    }

    void readOnlyShopIsRefusedAtOpening_data()
    {
        QTest::addColumn<bool>("wholeFolder");
        QTest::addColumn<QString>("message");
        QTest::newRow("program folder read-only") << true << "只读";
        QTest::newRow("database file read-only") << false << "只读";
    }
    void readOnlyShopIsRefusedAtOpening()
    {
        QFETCH(bool, wholeFolder);
        QFETCH(QString, message);
        CloseDatabase();
        const QString path = DatabasePath();
        const QByteArray before = Bytes(path);
        if (wholeFolder) {
            QVERIFY(disk->setReadOnly(true));
        } else {
            QCOMPARE(QProcess::execute("mount", {"--bind", path, path}), 0);
            QCOMPARE(QProcess::execute("mount", {"-o", "remount,ro,bind", path}), 0);
        }
        const QString refusal = OpeningRefusal();
        QVERIFY2(!refusal.isEmpty() && refusal.contains(message), qPrintable(refusal));
        if (wholeFolder) { // no lock file either: said so, not taken for another instance
            SingleInstance lock(shop);
            QVERIFY(!lock.tryAcquire());
            QVERIFY(!lock.heldByAnother());
        }
        QVERIFY(!IsDatabaseOpen());
        if (!wholeFolder)
            QProcess::execute("umount", {path});
        QVERIFY(disk->setReadOnly(false));
        QCOMPARE(Bytes(path), before);
        OpenDatabase(); // writable again: the shop opens as it was
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), 1);
    }

    void lockOfAKilledInstanceIsReclaimed()
    {
        LockHolder killed(shop);
        QVERIFY(killed.started());
        killed.kill();
        QVERIFY(QFile::exists(SingleInstance::lockPath(shop)));
        SingleInstance mine(shop);
        QVERIFY(mine.tryAcquire());
    }
};

MOVRNT_TEST_MAIN(TestFaults)
#include "tst_faults.moc"
