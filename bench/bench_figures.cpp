// The figures on a large shop, each against the sqlite3 engine running the
// same SQL on the same file: the program's time, the engine's, the ratio.
// Usage: bench_figures [--db FILE]  (without a file a shop is generated)
#include "LargeShop.h"

#include "stats/Figures.h"
#include "store/Clock.h"
#include "store/Database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <sqlite3.h>

namespace {
sqlite3* engine = nullptr;

// Best of five runs, in milliseconds.
double Best(const std::function<void()>& work)
{
    double best = 1e18;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

// The engine alone: prepare, bind the texts, step through every row.
double Engine(const char* sql, const QStringList& values)
{
    return Best([&] {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(engine, sql, -1, &statement, nullptr);
        QList<QByteArray> bytes;
        for (const QString& value : values)
            bytes << value.toUtf8();
        for (int i = 0; i < bytes.size(); ++i)
            sqlite3_bind_text(statement, i + 1, bytes[i].constData(), int(bytes[i].size()),
                              SQLITE_STATIC);
        while (sqlite3_step(statement) == SQLITE_ROW) {
        }
        sqlite3_finalize(statement);
    });
}

void Row(const char* what, double program, double limit)
{
    std::printf("%-34s %9.2f %9.2f %7.2f\n", what, program, limit, program / limit);
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const QString path = LargeShopFile(argc, argv, folder);
    OpenDatabase(path);
    sqlite3_open_v2(QFile::encodeName(path).constData(), &engine, SQLITE_OPEN_READONLY, nullptr);
    const QString today = QStringLiteral("2005-06-15");
    SetTodayForTesting(QDate::fromString(today, Qt::ISODate));

    std::printf("%-34s %9s %9s %7s   (ms)\n", "figure", "program", "engine", "ratio");
    Row("today's figures", Best([] { TodayFigures(); }),
        Engine("SELECT COUNT(CASE WHEN b.ydlx = 'VCD' THEN 1 END), COUNT(CASE WHEN b.ydlx = "
               "'DVD' THEN 1 END) FROM zjxx AS a JOIN ydxx AS b ON a.bh = b.bh WHERE a.czrq = ?",
               {today}));
    Row("a month's figures", Best([] { MonthFigures("2005", "06"); }),
        Engine("SELECT COUNT(CASE WHEN a.ydlx = 'VCD' THEN 1 END), COUNT(*) FROM zjxx AS b JOIN "
               "ydxx AS a ON a.bh = b.bh WHERE b.czrq >= ? AND b.czrq < ? AND substr(b.czrq, 1, "
               "4) = ? AND substr(b.czrq, 6, 2) = ?",
               {"2005", QStringLiteral("2005") + QChar(0xFFFF), "2005", "06"}));
    Row("popular discs (top 20)", Best([] { RankingText(); }),
        Engine("SELECT r.bh, r.c, d.pm, d.ydlx, d.sfycz, d.bh FROM (SELECT bh, COUNT(*) AS c FROM "
               "zjxx GROUP BY bh ORDER BY c DESC, bh LIMIT 20) AS r LEFT JOIN ydxx AS d ON d.bh = "
               "r.bh ORDER BY r.c DESC, r.bh",
               {}));
    Row("new arrivals", Best([] { NewArrivalsText(); }),
        Engine("SELECT bh, pm, ydlx, rkrq, sfycz FROM ydxx WHERE rkrq > ? OR rkrq NOT LIKE "
               "'____-__-__' ORDER BY rkrq DESC",
               {"2005-06-07"}));
    // What counting in the program over every joined row costs instead.
    const double naive = Best([] {
        QSqlQuery rows = RunSql(QStringLiteral("SELECT * FROM ydxx a , zjxx b WHERE a.bh = b.bh"));
        qint64 vcd = 0, dvd = 0;
        while (rows.next()) {
            const QString czrq = rows.value(11).toString();
            if (czrq.left(4) == u"2005" && czrq.mid(5, 2) == u"06")
                ++(rows.value(3).toString() == u"VCD" ? vcd : dvd);
        }
    });
    std::printf("%-34s %9.2f   (a month counted over every joined row)\n", "naive full read",
                naive);
    sqlite3_close(engine);
    CloseDatabase();
    return 0;
}
