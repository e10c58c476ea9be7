#include "support/TestEnv.h"

#include "maintenance/Backup.h"
#include "store/Database.h"
#include "store/Errors.h"
#include "store/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <memory>

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
        BackupDatabase(target); // a reader beside the writer: no wait, no lock conflict
        DbConnection().commit();
        QCOMPARE(ShopDatabaseProblem(target), QString());
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
                       "3000) INSERT INTO ydxx SELECT 'D' || i, hex(randomblob(40)), '', '', '',"
                       " '', '', '否', '' FROM n");
        }
        QVERIFY_THROWS_EXCEPTION(MovrntError, BackupDatabase(BackupPathIn(folder)));
        if (kind != u"missing") {
            QCOMPARE(Read(BackupPathIn(folder)), QByteArray("earlier backup"));
            QCOMPARE(Leftovers(folder), QStringList());
        }
        QCOMPARE(Count("SELECT COUNT(*) FROM ydxx WHERE bh = '1'"), 1);
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
        // What the shop changed there stays.
        Write(data + "/TIPOFDAY.TXT", "店里自己的技巧\n");
        DefaultProgramFolder(binary, installed, data);
        QCOMPARE(Read(data + "/TIPOFDAY.TXT"), QByteArray("店里自己的技巧\n"));
        QCOMPARE(Leftovers(data), QStringList());
    }

    void restoreRefusesWhatIsNotAShopDatabase_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("no file in the folder") << "missing";
        QTest::newRow("not a database") << "text";
        QTest::newRow("truncated") << "truncated";
        QTest::newRow("another program's database") << "foreign";
    }
    void restoreRefusesWhatIsNotAShopDatabase()
    {
        QFETCH(QString, kind);
        const QString offered = home->folder() + QStringLiteral("/offered.db");
        if (kind == u"text") {
            Write(offered, "影碟编号,片名\n1,英雄\n");
        } else if (kind == u"truncated") {
            RunSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)"
                   " INSERT INTO zjxx (bh, czrq, ghrq, yjje, sfyh, hybh) SELECT '1', '2003-11-01',"
                   " '/', '10', '是', '/' FROM n");
            BackupDatabase(offered);
            RunSql("DELETE FROM zjxx");
            const QByteArray whole = Read(offered);
            Write(offered, whole.left(whole.size() / 2));
        } else if (kind == u"foreign") {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "foreign");
            other.setDatabaseName(offered);
            QVERIFY(other.open());
            other.exec("CREATE TABLE ydxx (id INTEGER, name TEXT)");
            other.close();
            other = QSqlDatabase();
            QSqlDatabase::removeDatabase("foreign");
        }
        QVERIFY_THROWS_EXCEPTION(MovrntError, RestoreDatabase(offered));
        QVERIFY(IsDatabaseOpen());
        QCOMPARE(Count("SELECT COUNT(*) FROM ydxx WHERE bh = '1'"), 1);
        QCOMPARE(QDir(home->folder()).entryList({"MOVRNT-*", "*.part*"}), QStringList());
    }

    void restoreReplacesTheWorkingDatabaseAndKeepsASafetyCopy()
    {
        const QString offered = home->folder() + QStringLiteral("/backup.db");
        BackupDatabase(offered);
        InsertDisc("2"); // after the backup
        const QString safety = RestoreDatabase(offered);
        QVERIFY(IsDatabaseOpen());
        QCOMPARE(Count("SELECT COUNT(*) FROM ydxx"), 1);
        InsertDisc("3"); // the restored database is the working one now
        QCOMPARE(Count("SELECT COUNT(*) FROM ydxx"), 2);
        QCOMPARE(ShopDatabaseProblem(safety), QString());
        CloseDatabase();
        OpenDatabase(safety);
        QCOMPARE(Count("SELECT COUNT(*) FROM ydxx"), 2); // discs 1 and 2, as before the restore
    }

    void changeStampFollowsWrites()
    {
        const QString first = DatabaseChangeStamp();
        QCOMPARE(DatabaseChangeStamp(), first);
        InsertDisc("2");
        QVERIFY(DatabaseChangeStamp() != first);
    }
};

MOVRNT_TEST_MAIN(TestBackup)
#include "tst_backup.moc"
