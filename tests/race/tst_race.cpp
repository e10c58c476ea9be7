// Two counters on one shop, renting, checking out and taking back the same
// few discs for the same few members at once; and two killed mid-work.
#include "support/TestEnv.h"

#include "core/access/People.h"
#include "core/members/Members.h"
#include "core/rentals/Rentals.h"
#include "core/settings/Settings.h"
#include "core/store/Database.h"
#include "core/store/Shop.h"

#include <QProcess>
#include <memory>

class TestRace : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A counter's open transaction holds nothing another counter's unrelated
    // change waits for: on a server the change log is written once it commits.
    void anOpenTransactionHoldsUpNoOtherCounter()
    {
        TestHome home;
        home.setSettings({{"FirstRunTime", "False"}});
        OpenDatabase();
        if (!OnTestServer())
            QSKIP("a file has one writer at a time");
        Shop other(TestShop().path());
        {
            Transaction first(TestShop());
            TestShop().announce(ShopChange::Members, ShopOperation::ModifyMember);
            AddMember(other, {"B", "乙", "女", "/", "/", "100", "0"});
            first.commit();
        }
        QCOMPARE(Count("SELECT COUNT(*) FROM hyxx WHERE hybh = 'B'"), 1);
        CloseDatabase();
    }

    void twoCountersNeverStepOnEachOther_data()
    {
        QTest::addColumn<bool>("killed");
        QTest::newRow("working to the end") << false;
        QTest::newRow("killed mid-work") << true;
    }
    void twoCountersNeverStepOnEachOther()
    {
        QFETCH(bool, killed);
        TestHome home;
        // Levels never rise here: every rental of a member costs the full day's rent.
        home.setSettings(
            {{"FirstRunTime", "False"}, {"VCD", "2"}, {"DVD", "3"}, {"FJZJ", "100000"}});
        OpenDatabase();
        for (int i = 0; i < 8; ++i)
            InsertDisc(QStringLiteral("D%1").arg(i), "/", "/", "否", i % 2 ? "VCD" : "DVD");
        for (int i = 0; i < 3; ++i)
            InsertMember(QStringLiteral("M%1").arg(i), "会员", "男", 0, 40);
        // On a server each counter logs in as its own clerk, whose rights are all it has.
        QStringList login;
        if (OnTestServer()) {
            QCOMPARE(AddPerson(QStringLiteral("老板%1").arg(QCoreApplication::applicationPid()),
                               PersonRole::Owner, "Boss1", "Boss1"),
                     QString());
            for (const char* clerk : {"店员1", "店员2"})
                QCOMPARE(AddPerson(QString::fromUtf8(clerk), PersonRole::Clerk, "Clerk1", "Clerk1"),
                         QString());
            login << QStringLiteral("Clerk1");
        }
        CloseDatabase();

        QList<std::shared_ptr<QProcess>> counters;
        for (int seed : {1, 2}) {
            auto counter = std::make_shared<QProcess>();
            counter->setProcessChannelMode(QProcess::SeparateChannels);
            counter->start(
                QStringLiteral(MOVRNT_RACE_WORKER),
                QStringList{ShopLocation(), QString::number(seed),
                            killed ? QStringLiteral("1000000") : QStringLiteral("1500")} +
                    login);
            counters << counter;
        }
        if (killed) { // as a power cut or kill -9 would, whatever they were doing
            QTest::qWait(1500);
            for (const auto& counter : counters) {
                QCOMPARE(counter->state(), QProcess::Running);
                counter->kill();
                QVERIFY(counter->waitForFinished(10000));
            }
            counters.clear();
        }
        QMap<QString, int> outcomes;
        for (const auto& counter : counters) {
            QVERIFY(counter->waitForFinished(240000));
            QVERIFY2(counter->exitStatus() == QProcess::NormalExit && counter->exitCode() == 0,
                     counter->readAllStandardError().constData());
            for (const QString& line :
                 QString::fromUtf8(counter->readAllStandardOutput()).split(u'\n'))
                if (line.contains(u'='))
                    outcomes[line.section(u'=', 0, 0)] += line.section(u'=', 1).toInt();
        }
        OpenDatabase();
        if (!killed) {
            qInfo() << outcomes;
            QVERIFY(outcomes.value(QStringLiteral("rented")) > 100);
            QVERIFY(outcomes.value(QStringLiteral("settled")) > 100);
            QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), outcomes.value(QStringLiteral("rented")));
            QCOMPARE(Count("SELECT COUNT(*) FROM zjxx WHERE sfyh = '是'"),
                     outcomes.value(QStringLiteral("settled")));
        } else {
            QVERIFY(Count("SELECT COUNT(*) FROM zjxx") > 0);
        }
        QCOMPARE(Count("SELECT COUNT(*) FROM (SELECT bh FROM zjxx WHERE sfyh = '否' GROUP BY bh"
                       " HAVING COUNT(*) > 1) AS twice"),
                 0);
        QCOMPARE(Count("SELECT COUNT(*) FROM ydxx AS d WHERE (d.sfycz = '是') <> EXISTS (SELECT 1"
                       " FROM zjxx AS r WHERE r.bh = d.bh AND r.sfyh = '否')"),
                 0);
        // Every yuan taken once: what is left is what the member had less the
        // day's rent of each rental.
        QCOMPARE(Count("SELECT COUNT(*) FROM hyxx WHERE zjje < 0"), 0);
        QCOMPARE(Count("SELECT COUNT(*) FROM hyxx AS h WHERE yjps <> (SELECT COUNT(*) FROM zjxx"
                       " WHERE hybh = h.hybh)"),
                 0);
        QCOMPARE(Count("SELECT COUNT(*) FROM hyxx AS h WHERE zjje <> 40 - (SELECT"
                       " COALESCE(SUM(CASE WHEN d.ydlx = 'VCD' THEN 2 ELSE 3 END), 0) FROM zjxx"
                       " AS r JOIN ydxx AS d ON d.bh = r.bh WHERE r.hybh = h.hybh)"),
                 0);
        // Each rental's money is one line, whichever counter wrote it, and
        // the lines of a checkout are written with it.
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx AS r WHERE (SELECT COUNT(*) FROM zwls AS l WHERE"
                       " l.zdbh = r.zdbh AND l.ywlx IN ('散客押金', '会员租金')) <> 1"),
                 0);
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx AS r WHERE r.hybh = '/' AND (SELECT COUNT(*) FROM"
                       " zwls AS l WHERE l.zdbh = r.zdbh AND l.ywlx = '散客租金') <> CASE r.sfyh"
                       " WHEN '是' THEN 1 ELSE 0 END"),
                 0);
        // A disc held is in the shop; a reservation is fulfilled by its own
        // member's rental, and a rental fulfils one at most.
        QCOMPARE(Count("SELECT COUNT(*) FROM yyxx AS y WHERE y.zt = '已到' AND EXISTS (SELECT 1"
                       " FROM zjxx AS r WHERE r.bh = y.blbh AND r.sfyh = '否')"),
                 0);
        QCOMPARE(Count("SELECT COUNT(*) FROM yyxx AS y LEFT JOIN zjxx AS r ON r.zdbh = y.zdbh"
                       " WHERE y.zt = '完成' AND (r.hybh IS NULL OR r.hybh <> y.hybh)"),
                 0);
        QCOMPARE(Count("SELECT COUNT(*) FROM (SELECT zdbh FROM yyxx WHERE zt = '完成' GROUP BY"
                       " zdbh HAVING COUNT(*) > 1) AS twice"),
                 0);
        if (!killed)
            QVERIFY(Count("SELECT COUNT(*) FROM yyxx WHERE zt = '完成'") > 0);
        // A damaged disc is recorded once, with its one charge line.
        QCOMPARE(Count("SELECT COUNT(*) FROM ssjl AS s WHERE (SELECT COUNT(*) FROM zwls AS l WHERE"
                       " l.zdbh = s.zdbh AND l.ywlx IN ('赔偿', '会员赔偿')) <> 1 OR s.zdbh NOT IN"
                       " (SELECT zdbh FROM zjxx WHERE sfyh = '是')"),
                 0);
        if (!killed)
            QVERIFY(Count("SELECT COUNT(*) FROM ssjl") > 10);
        // Each scan is written once, into a stocktake still open: before
        // the discs its finishing found missing.
        QCOMPARE(Count("SELECT COUNT(*) FROM pdxx WHERE zt = '进行中'") <= 1, true);
        QCOMPARE(Count("SELECT COUNT(*) FROM pdsm AS s WHERE s.jg <> '缺失' AND s.smbh > (SELECT"
                       " MIN(m.smbh) FROM pdsm AS m WHERE m.pdbh = s.pdbh AND m.jg = '缺失')"),
                 0);
        QCOMPARE(Count("SELECT COUNT(*) FROM pdsm AS s WHERE s.jg = '已租出' AND NOT EXISTS (SELECT"
                       " 1 FROM zjxx AS r WHERE r.zdbh = s.zdbh AND r.bh = s.bh)"),
                 0);
        if (!killed) {
            QCOMPARE(Count("SELECT COUNT(*) FROM pdsm WHERE jg <> '缺失'"),
                     outcomes.value(QStringLiteral("scanned")));
            QVERIFY(outcomes.value(QStringLiteral("finished")) > 0);
        }
        // Every line of the race names the clerk of the counter that wrote it.
        QCOMPARE(
            Count("SELECT COUNT(*) FROM zwls WHERE zdbh > 0 AND czy NOT IN ('店员1', '店员2')"), 0);
        if (!killed)
            QCOMPARE(Count("SELECT COUNT(DISTINCT czy) FROM zwls WHERE zdbh > 0"), 2);
        // And the shop goes on: every disc back, one rented again.
        RunSql("UPDATE zjxx SET sfyh = '是'");
        RunSql("UPDATE ydxx SET sfycz = '否'");
        QCOMPARE(RentOut(TestShop(), {"D0", "", "10", true, true}).refusal, RentOutCheck::Ok);
        CloseDatabase();
    }
};

MOVRNT_TEST_MAIN(TestRace)
#include "tst_race.moc"
