// The workbook exchange on a large shop: export of the three tables, then the
// import of that workbook into a copy, with rows per second and the peak
// memory. The engine's own reading of the same rows is the floor for export.
// Usage: bench_exchange [--db FILE]  (without a file a shop is generated)
#include "LargeShop.h"

#include "maintenance/Workbook.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <sqlite3.h>
#include <sys/resource.h>

namespace {
long PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// The engine reading every row of the three tables, column by column.
double EngineRead(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QElapsedTimer timer;
    timer.start();
    for (const char* sql : {"SELECT * FROM ydxx", "SELECT * FROM zjxx ORDER BY zdbh",
                            "SELECT * FROM hyxx"}) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(statement); ++c)
                sqlite3_column_text(statement, c);
        sqlite3_finalize(statement);
    }
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    sqlite3_close(db);
    return ms;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const QString shop = LargeShopFile(argc, argv, folder);
    const QString workbook = WorkbookPathIn(folder.path());
    qint64 rows = 0;
    const RowProgress count = [&rows](qint64 done) {
        rows = done;
        return true;
    };

    QElapsedTimer timer;
    timer.start();
    ExportWorkbook(shop, workbook, count);
    const double exportMs = double(timer.nsecsElapsed()) / 1e6;
    const long exportPeak = PeakMegabytes();
    const double engineMs = EngineRead(shop);

    const QString copy = folder.path() + QStringLiteral("/import.db");
    QFile::copy(shop, copy);
    timer.restart();
    const ImportSummary summary = ImportWorkbook(copy, workbook, 10, 3, count);
    const double importMs = double(timer.nsecsElapsed()) / 1e6;

    std::printf("%-10s %10s %12s %10s %12s\n", "operation", "rows", "ms", "rows/s", "peak RSS MB");
    std::printf("%-10s %10lld %12.0f %10.0f %12ld   (engine reads the rows in %.0f ms: %.1fx)\n",
                "export", rows, exportMs, double(rows) / exportMs * 1000, exportPeak, engineMs,
                exportMs / engineMs);
    const qint64 imported = summary.discs + summary.rentals + summary.members;
    std::printf("%-10s %10lld %12.0f %10.0f %12ld\n", "import", imported, importMs,
                double(imported) / importMs * 1000, PeakMegabytes());
    std::printf("workbook: %.1f MB\n", double(QFileInfo(workbook).size()) / 1e6);
    return 0;
}
