// Many counters on one shop at once: N counter processes (the real core, no
// windows) each work a Saturday evening's mix for a number of rounds against
// the same shop file or server, then the per-operation times (p50, p99, the
// slowest) and the race test's rules checked on what they left.
// Usage: bench_counters --db LOCATION [--counters 16] [--rounds 200] [--think 250]
//        (LOCATION: a shop file, or a postgresql:// URL of a shop on a server;
//        --think: the mean milliseconds a clerk spends between two operations,
//        drawn at random; 0 has every counter work flat out)
#include "core/members/Members.h"
#include "core/money/Ledger.h"
#include "core/rentals/Rentals.h"
#include "core/rentals/Scanning.h"
#include "core/settings/Settings.h"
#include "core/stats/Figures.h"
#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/Shop.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>

namespace {
QString Argument(const QStringList& args, const QString& name, const QString& fallback)
{
    const qsizetype at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args[at + 1] : fallback;
}

QStringList Column(Shop& shop, const QString& sql)
{
    QStringList values;
    for (const QVariantList& row : FetchRows(shop, sql).rows)
        values << row.value(0).toString();
    return values;
}

// One counter: prints "operation microseconds" for every operation it timed,
// and "error text" for anything the store threw that is not a counter's refusal.
int Worker(const QString& location, quint64 seed, int rounds, int think)
{
    std::mt19937_64 engine(seed);
    std::exponential_distribution<double> pause(think > 0 ? 1.0 / think : 1.0);
    const auto below = [&engine](qsizetype n) { return qsizetype(engine() % quint64(n)); };
    SetShopLocation(location);
    SetSetting(Setting::CounterName, QStringLiteral("柜台%1").arg(seed));
    Shop shop(location);
    SetSessionShop(&shop);
    // The few hundred discs and members of an evening, shared by every counter.
    const QStringList discs =
        Column(shop, QStringLiteral("SELECT bh FROM ydxx ORDER BY bh LIMIT 600"));
    const QStringList members =
        Column(shop, QStringLiteral("SELECT hybh FROM hyxx ORDER BY hybh LIMIT 300"));
    QList<qint64> walkIns, memberRentals;
    QList<std::pair<const char*, qint64>> times;
    const auto timed = [&times](const char* operation, const auto& work) {
        QElapsedTimer clock;
        clock.start();
        work();
        times.append({operation, clock.nsecsElapsed() / 1000});
    };
    for (int round = 0; round < rounds; ++round) {
        if (think > 0)
            QThread::msleep(std::min<unsigned long>(10 * think, (unsigned long)(pause(engine))));
        try {
            const qsizetype pick = below(100);
            if (pick < 35) {
                const bool member = below(2) == 0;
                const RentRequest request{discs[below(discs.size())],
                                          member ? members[below(members.size())] : QString(),
                                          QStringLiteral("10"), true};
                timed("rent out by scan", [&] {
                    FindScanned(shop, request.bh);
                    if (CheckRentOut(shop, request) != RentOutCheck::Ok)
                        return;
                    const RentOutDone done = RentOut(shop, request);
                    if (done.refusal == RentOutCheck::Ok)
                        (member ? memberRentals : walkIns) << done.zdbh;
                });
            } else if (pick < 50 && !memberRentals.isEmpty()) {
                const qint64 zdbh = memberRentals.takeAt(below(memberRentals.size()));
                timed("member return", [&] { Settle(shop, SettleKind::MemberReturn, zdbh, zdbh); });
            } else if (pick < 65 && !walkIns.isEmpty()) {
                const qint64 zdbh = walkIns.takeAt(below(walkIns.size()));
                timed("walk-in checkout",
                      [&] { Settle(shop, SettleKind::WalkInCheckout, zdbh, zdbh); });
            } else if (pick < 70) {
                const QString hybh = QStringLiteral("C%1-%2").arg(seed).arg(round);
                timed("new member", [&] {
                    const NewMember member{hybh,
                                           QStringLiteral("新会员"),
                                           QStringLiteral("男"),
                                           QStringLiteral("/"),
                                           QStringLiteral("/"),
                                           QStringLiteral("100"),
                                           QStringLiteral("50")};
                    if (CheckNewMember(shop, member) == NewMemberCheck::Ok)
                        AddMember(shop, member);
                });
            } else if (pick < 90) {
                // The disc query's first page for a title typed in part.
                const QString title =
                    QStringLiteral("%") + QChar(0x4e00 + int(below(200))) + QStringLiteral("%");
                timed("disc query", [&] {
                    FetchRows(shop,
                              QStringLiteral("SELECT bh, pm, lx, zy, gj, ydlx, rkrq, sfycz FROM"
                                             " ydxx WHERE pm LIKE ? ORDER BY ydlx, rkrq, lx,"
                                             " rowid LIMIT 50"),
                              {title});
                });
            } else {
                timed("the day's figures", [&] {
                    TodayFigures(shop);
                    TakingsBetween(shop, TodayText(), TodayText());
                });
            }
        } catch (const MovrntError& error) {
            std::printf("error %s\n", qPrintable(error.description().simplified()));
        }
    }
    for (const auto& [operation, micros] : times)
        std::printf("%s\t%lld\n", operation, static_cast<long long>(micros));
    CloseDatabase();
    return 0;
}

// The race test's rules: what must hold however the counters met.
QList<std::pair<QString, QString>> Rules()
{
    return {
        {QStringLiteral("disc out twice"),
         QStringLiteral("SELECT COUNT(*) FROM (SELECT bh FROM zjxx WHERE sfyh = '否' GROUP BY bh"
                        " HAVING COUNT(*) > 1) AS twice")},
        {QStringLiteral("disc flag other than its open rental"),
         QStringLiteral("SELECT COUNT(*) FROM ydxx AS d WHERE (d.sfycz = '是') <> EXISTS (SELECT 1"
                        " FROM zjxx AS r WHERE r.bh = d.bh AND r.sfyh = '否')")},
        {QStringLiteral("rental without its one money line"),
         QStringLiteral("SELECT COUNT(*) FROM zjxx AS r WHERE r.zdbh > ? AND (SELECT COUNT(*) FROM"
                        " zwls AS l WHERE l.zdbh = r.zdbh AND l.ywlx IN ('散客押金', '会员租金'))"
                        " <> 1")},
        {QStringLiteral("checkout without its rent line"),
         QStringLiteral("SELECT COUNT(*) FROM zjxx AS r WHERE r.zdbh > ? AND r.hybh = '/' AND"
                        " (SELECT COUNT(*) FROM zwls AS l WHERE l.zdbh = r.zdbh AND l.ywlx ="
                        " '散客租金') <> CASE r.sfyh WHEN '是' THEN 1 ELSE 0 END")},
    };
}

// Each member whose money disagrees with his ledger lines: by how much.
QMap<QString, QString> LedgerGaps(Shop& shop)
{
    const LedgerRows rows = [&shop](const QString& sql) {
        QList<QStringList> read;
        for (const QVariantList& row : FetchRows(shop, sql).rows) {
            QStringList text;
            for (const QVariant& value : row)
                text << value.toString();
            read << text;
        }
        return read;
    };
    QMap<QString, QString> gaps;
    for (const MemberMismatch& member : LedgerDisagreements(rows, QStringLiteral("bench")))
        gaps[member.hybh] =
            QStringLiteral("%1 / %2").arg(YuanText(member.prepaid - member.ledgerPrepaid),
                                          YuanText(member.deposit - member.ledgerDeposit));
    return gaps;
}

int Parent(const QStringList& args)
{
    const QString location = Argument(args, QStringLiteral("--db"), QString());
    const int counters = Argument(args, QStringLiteral("--counters"), QStringLiteral("16")).toInt();
    const int rounds = Argument(args, QStringLiteral("--rounds"), QStringLiteral("200")).toInt();
    const int think = Argument(args, QStringLiteral("--think"), QStringLiteral("250")).toInt();
    if (location.isEmpty() || counters < 1 || rounds < 1) {
        std::fprintf(stderr, "usage: bench_counters --db LOCATION [--counters N] [--rounds R]\n");
        return 2;
    }
    // The counters' settings: one temporary folder for all of them.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    SetShopLocation(location);
    qint64 before = 0;
    QMap<QString, QString> gapsBefore;
    {
        Shop shop(location);
        SetSessionShop(&shop);
        CreateSettingsKey();
        for (const auto& [setting, value] :
             {std::pair{Setting::FirstRunTime, "False"}, std::pair{Setting::VCD, "2"},
              std::pair{Setting::DVD, "3"}, std::pair{Setting::FJZJ, "10"},
              std::pair{Setting::HYDJ, "3"}, std::pair{Setting::Alertdays, "7"}})
            SetSetting(setting, QString::fromLatin1(value));
        before =
            RunScalar(shop, QStringLiteral("SELECT COALESCE(MAX(zdbh), 0) FROM zjxx")).toLongLong();
        gapsBefore = LedgerGaps(shop);
        CloseDatabase();
        SetSessionShop(nullptr);
    }
    std::printf("%d counters, %d rounds each, %d ms between operations on average, on %s\n",
                counters, rounds, think, qPrintable(location));
    QElapsedTimer wall;
    wall.start();
    QList<std::shared_ptr<QProcess>> workers;
    for (int i = 0; i < counters; ++i) {
        // Each counter a PC of its own: its own settings, name and till.
        const QString own = home.path() + QStringLiteral("/counter%1").arg(i);
        for (QDirIterator file(home.path(), QDir::Files, QDirIterator::Subdirectories);
             file.hasNext();) {
            const QString from = file.next();
            if (from.contains(QStringLiteral("/counter")))
                continue;
            const QString to = own + from.mid(home.path().size());
            QDir().mkpath(QFileInfo(to).absolutePath());
            QFile::copy(from, to);
        }
        auto worker = std::make_shared<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), own);
        worker->setProcessEnvironment(environment);
        worker->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        worker->start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--worker"), location, QString::number(2003 + i),
                       QString::number(rounds), QString::number(think)});
        workers << worker;
    }
    QMap<QString, QList<qint64>> times;
    QStringList errors;
    for (const auto& worker : workers) {
        worker->waitForFinished(-1);
        if (worker->exitStatus() != QProcess::NormalExit || worker->exitCode() != 0)
            errors << QStringLiteral("a counter ended with %1").arg(worker->exitCode());
        for (const QString& line :
             QString::fromUtf8(worker->readAllStandardOutput()).split(u'\n')) {
            if (line.startsWith(QStringLiteral("error ")))
                errors << line.mid(6);
            else if (line.contains(u'\t'))
                times[line.section(u'\t', 0, 0)] << line.section(u'\t', 1).toLongLong();
        }
    }
    std::printf("all counters done in %.1f s\n\n%-20s %7s %9s %9s %9s\n", wall.elapsed() / 1000.0,
                "operation", "count", "p50 ms", "p99 ms", "max ms");
    for (auto it = times.begin(); it != times.end(); ++it) {
        QList<qint64>& samples = it.value();
        std::sort(samples.begin(), samples.end());
        const auto at = [&samples](double share) {
            return samples[std::min<qsizetype>(samples.size() - 1,
                                               qsizetype(share * double(samples.size())))] /
                   1000.0;
        };
        std::printf("%-20s %7lld %9.2f %9.2f %9.2f\n", qPrintable(it.key()),
                    static_cast<long long>(samples.size()), at(0.5), at(0.99),
                    samples.last() / 1000.0);
    }
    Shop shop(location);
    SetSessionShop(&shop);
    int anomalies = 0;
    for (const auto& [rule, sql] : Rules()) {
        const qint64 broken =
            RunScalar(shop, sql, sql.contains(u'?') ? QVariantList{before} : QVariantList{})
                .toLongLong();
        anomalies += int(broken);
        if (broken)
            std::printf("anomaly: %s (%lld)\n", qPrintable(rule), static_cast<long long>(broken));
    }
    // A generated shop's members need not agree with its ledger: only a gap
    // the counters opened or moved is theirs.
    const QMap<QString, QString> gaps = LedgerGaps(shop);
    for (auto it = gaps.cbegin(); it != gaps.cend(); ++it)
        if (gapsBefore.value(it.key()) != it.value()) {
            ++anomalies;
            std::printf("anomaly: member %s's money moved without its lines (%s, before %s)\n",
                        qPrintable(it.key()), qPrintable(it.value()),
                        qPrintable(gapsBefore.value(it.key(), QStringLiteral("none"))));
        }
    for (const QString& error : errors.mid(0, 10))
        std::printf("error: %s\n", qPrintable(error));
    std::printf("\n%d anomalies, %lld errors\n", anomalies, static_cast<long long>(errors.size()));
    CloseDatabase();
    return anomalies == 0 && errors.isEmpty() ? 0 : 1;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() == 6 && args[1] == u"--worker")
            return Worker(args[2], args[3].toULongLong(), args[4].toInt(), args[5].toInt());
        return Parent(args);
    } catch (const MovrntError& error) {
        std::fprintf(stderr, "error: %s\n", qPrintable(error.description()));
        return 1;
    }
}
