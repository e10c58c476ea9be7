// Killed at any moment, the shop loses nothing and nothing is half-written.
#include "support/TestEnv.h"

#include "core/maintenance/Backup.h"
#include "core/maintenance/WorkbookReader.h"
#include "core/settings/Settings.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/Numbers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <csignal>
#include <memory>
#include <random>

class TestCrash : public QObject
{
    Q_OBJECT

    // What must hold after any kill; empty when it all does.
    static QString Broken(const TestHome& home)
    {
        try {
            OpenDatabase();
        } catch (const MovrntError& error) {
            return QStringLiteral("cannot open: ") + error.description();
        }
        const QList<std::pair<const char*, QString>> rules = {
            {"integrity",
             "SELECT COUNT(*) FROM pragma_integrity_check WHERE integrity_check <> 'ok'"},
            {"disc marked rented without one open rental, or the other way round",
             "SELECT COUNT(*) FROM ydxx AS d WHERE (d.sfycz = '是') <> ((SELECT COUNT(*) FROM zjxx"
             " AS r WHERE r.bh = d.bh AND r.sfyh = '否') = 1)"},
            {"disc out twice",
             "SELECT COUNT(*) FROM (SELECT bh FROM zjxx WHERE sfyh = '否' GROUP BY bh HAVING "
             "COUNT(*) > 1)"},
            {"open rental of no disc",
             "SELECT COUNT(*) FROM zjxx WHERE sfyh = '否' AND bh NOT IN (SELECT bh FROM ydxx)"},
            {"settlement half done",
             "SELECT COUNT(*) FROM zjxx WHERE (sfyh = '否') <> (ghrq = '/')"},
            {"rental without the money it took",
             "SELECT COUNT(*) FROM zjxx AS r WHERE NOT EXISTS (SELECT 1 FROM zwls AS l WHERE"
             " l.zdbh = r.zdbh AND l.ywlx = CASE WHEN r.hybh = '/' THEN '散客押金' ELSE '会员租金' "
             "END)"},
            {"checkout without its rent and deposit back",
             "SELECT COUNT(*) FROM zjxx AS r WHERE r.sfyh = '是' AND r.hybh = '/' AND (SELECT "
             "COUNT(*)"
             " FROM zwls AS l WHERE l.zdbh = r.zdbh AND l.ywlx IN ('散客租金', '退还押金')) <> 2"},
            {"prepaid rent other than its ledger lines",
             "SELECT COUNT(*) FROM hyxx AS h WHERE CAST(ROUND(h.zjje * 10000) AS INTEGER) <> "
             "(SELECT"
             " COALESCE(SUM(CASE WHEN l.ywlx IN ('会员租金', '超期罚金', '会员赔偿') THEN -l.je"
             " ELSE l.je "
             "END), 0)"
             " FROM zwls AS l WHERE l.hybh = h.hybh AND l.ywlx IN ('预付租金', '期初预付租金',"
             " '预付租金充值', '预付租金更正', '会员租金', '超期罚金', '会员赔偿') AND l.lsh >="
             " (SELECT "
             "MAX(lsh)"
             " FROM zwls WHERE hybh = h.hybh AND ywlx IN ('预付租金', '期初预付租金')))"},
            {"late fee of no late return, or twice",
             "SELECT COUNT(*) FROM zwls AS l WHERE l.ywlx = '超期罚金' AND (l.zdbh IN (SELECT zdbh"
             " FROM zjxx WHERE sfyh = '否' OR ghrq <= czrq) OR (SELECT COUNT(*) FROM zwls AS o"
             " WHERE o.zdbh = l.zdbh AND o.ywlx = '超期罚金') > 1)"},
            // The worker's alert days are at most three.
            {"late return without its fee",
             "SELECT COUNT(*) FROM zjxx AS r WHERE r.hybh <> '/' AND r.sfyh = '是' AND"
             " julianday(r.ghrq) - julianday(r.czrq) > 3 AND NOT EXISTS (SELECT 1 FROM zwls AS l"
             " WHERE l.zdbh = r.zdbh AND l.ywlx = '超期罚金')"},
            {"loss without its one charge, or a charge of no loss",
             "SELECT (SELECT COUNT(*) FROM ssjl AS s WHERE (SELECT COUNT(*) FROM zwls AS l WHERE"
             " l.zdbh = s.zdbh AND l.ywlx IN ('赔偿', '会员赔偿') AND l.je = s.pcje) <> 1) +"
             " (SELECT COUNT(*) FROM zwls AS l WHERE l.ywlx IN ('赔偿', '会员赔偿') AND"
             " l.zdbh NOT IN (SELECT zdbh FROM ssjl))"},
            {"loss of a rental still open, or a lost disc out again",
             "SELECT COUNT(*) FROM zjxx AS r JOIN ssjl AS s ON s.zdbh = r.zdbh OR (s.bh = r.bh"
             " AND s.sslx = '丢失') WHERE r.sfyh = '否'"},
            {"disc held for a reservation while it is out",
             "SELECT COUNT(*) FROM yyxx AS y WHERE y.zt = '已到' AND EXISTS (SELECT 1 FROM zjxx AS"
             " r WHERE r.bh = y.blbh AND r.sfyh = '否')"},
            {"reservation fulfilled by another member's rental",
             "SELECT COUNT(*) FROM yyxx AS y JOIN zjxx AS r ON r.zdbh = y.zdbh WHERE y.zt = '完成'"
             " AND r.hybh <> y.hybh"},
            {"ledger's day totals other than its lines",
             "SELECT COUNT(*) FROM (SELECT substr(jzsj, 1, 10) AS rq, ywlx, gtmc, SUM(je) AS je,"
             " COUNT(*) AS bs FROM zwls GROUP BY 1, 2, 3) AS l FULL JOIN (SELECT * FROM zwrz WHERE"
             " bs <> 0) AS t USING (rq, ywlx, gtmc) WHERE l.je IS NOT t.je OR l.bs IS NOT t.bs"},
            {"member's borrowed count below his rentals",
             "SELECT COUNT(*) FROM hyxx AS h WHERE yjps < (SELECT COUNT(*) FROM zjxx WHERE hybh = "
             "h.hybh)"},
        };
        QString broken;
        for (const auto& [rule, sql] : rules)
            if (const qint64 count = Count(sql); count != 0)
                broken += QStringLiteral("%1 (%2)\n").arg(QString::fromLatin1(rule)).arg(count);
        CloseDatabase();
        const QString backup = home.folder() + QStringLiteral("/backup/MOVRNT.db");
        if (QFile::exists(backup))
            if (const QString problem = ShopDatabaseProblem(backup); !problem.isEmpty())
                broken += QStringLiteral("backup: ") + problem + u'\n';
        const QString workbook = home.folder() + QStringLiteral("/exchange/MOVRNT.xlsx");
        if (QFile::exists(workbook)) {
            try {
                std::unique_ptr<WorkbookReader> reader = OpenWorkbook(workbook);
                for (const char* sheet : {"ydxx", "zjxx", "hyxx"})
                    reader->readRows(QString::fromLatin1(sheet),
                                     [](qint64, const QList<SheetCell>&) {});
            } catch (const MovrntError& error) {
                broken += QStringLiteral("workbook: ") + error.description() + u'\n';
            }
        }
        for (const Setting setting :
             {Setting::HYDJ, Setting::FJZJ, Setting::VCD, Setting::Alertdays})
            if (!IsNumeric(GetSetting(setting)))
                broken += QStringLiteral("setting %1 reads \"%2\"\n")
                              .arg(SettingName(setting), GetSetting(setting));
        // Half-done work is cleared by the next of its kind: what is left
        // of each kind is one killed worker's.
        QMultiHash<QString, QString> leftBy;
        static const QRegularExpression part(QStringLiteral(R"(\.(\d+)\.part)"));
        for (const char* sub : {"", "/backup", "/exchange"})
            for (const QString& name :
                 QDir(home.folder() + QLatin1String(sub)).entryList(QDir::Files))
                if (const QRegularExpressionMatch match = part.match(name); match.hasMatch()) {
                    QString kind = QLatin1String(sub) + name.left(match.capturedStart());
                    kind.remove(
                        QRegularExpression(QStringLiteral(R"(-\d{8}-\d{6})"))); // safety copies
                    if (!leftBy.contains(kind, match.captured(1)))
                        leftBy.insert(kind, match.captured(1));
                }
        for (const QString& kind : leftBy.uniqueKeys())
            if (leftBy.count(kind) > 1)
                broken += QStringLiteral("half-done %1 of %2 workers\n")
                              .arg(kind)
                              .arg(leftBy.count(kind));
        return broken;
    }

private Q_SLOTS:
    void killedAtAnyMomentLosesNothing()
    {
        TestHome home;
        home.setSettings({{"FirstRunTime", "False"},
                          {"VCD", "2"},
                          {"DVD", "3"},
                          {"FJZJ", "10"},
                          {"HYDJ", "3"},
                          {"Alertdays", "2"},
                          {"LateFee", "0.5"}});
        for (const char* folder : {"backup", "exchange"})
            QVERIFY(QDir(home.folder()).mkpath(QString::fromLatin1(folder)));
        // MOVRNT_CRASH_SEED replays a run; MOVRNT_CRASH_KILLS makes it longer.
        const quint64 seed = qEnvironmentVariableIsSet("MOVRNT_CRASH_SEED")
                                 ? qEnvironmentVariable("MOVRNT_CRASH_SEED").toULongLong()
                                 : 20031109;
        const int kills = qEnvironmentVariableIntValue("MOVRNT_CRASH_KILLS") > 0
                              ? qEnvironmentVariableIntValue("MOVRNT_CRASH_KILLS")
                              : 150;
        std::mt19937_64 random(seed);
        QElapsedTimer spent;
        spent.start();
        int done = 0;
        qint64 rented = 0; // the most rentals the shop held after a kill
        for (; done < kills && spent.elapsed() < 150000; ++done) {
            QProcess worker;
            worker.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            worker.start(QStringLiteral(MOVRNT_CRASH_WORKER),
                         {home.folder(), QString::number(seed + quint64(done))});
            QVERIFY(worker.waitForReadyRead(30000));
            QCOMPARE(worker.readLine(), QByteArray("ready\n"));
            QThread::msleep(2 + random() % 120);
            ::kill(pid_t(worker.processId()), SIGKILL);
            QVERIFY(worker.waitForFinished(10000));
            QCOMPARE(worker.exitStatus(), QProcess::CrashExit); // killed, not ended on its own
            const QString broken = Broken(home);
            QVERIFY2(broken.isEmpty(), qPrintable(QStringLiteral("after kill %1 of seed %2:\n%3")
                                                      .arg(done + 1)
                                                      .arg(seed)
                                                      .arg(broken)));
            OpenDatabase();
            rented = std::max(rented, Count("SELECT COUNT(*) FROM zjxx"));
            CloseDatabase();
        }
        OpenDatabase();
        qInfo("%d kills; the shop has %lld rentals, %lld discs out", done,
              Count("SELECT COUNT(*) FROM zjxx"),
              Count("SELECT COUNT(*) FROM ydxx WHERE sfycz = '是'"));
        // The day did happen, though a late restore may have taken the shop back
        // to a backup made before its first rental.
        QVERIFY(rented > 0);
    }
};

MOVRNT_TEST_MAIN(TestCrash)
#include "tst_crash.moc"
