// Every operation a clerk starts, timed on a large shop against the engine
// underneath: the same statements, values written in, replayed through the
// sqlite3 C API on the same file in the same run. Windows are timed as
// windows (offscreen), from the command to their first screen painted.
// Usage: bench_movrnt [--db FILE | --discs N --members N --rentals N --seed S]
//                     [Google Benchmark options]
#include "EngineTrace.h"
#include "LargeShop.h"
#include "support/UiHelpers.h"

#include "ui/app/MDIMain.h"
#include "ui/catalogue/FormYDCX.h"
#include "ui/common/MessageBox.h"
#include "ui/common/Seams.h"
#include "ui/common/WindowSupport.h"
#include "ui/maintenance/FormZJCZ.h"
#include "ui/members/FormHYXX.h"
#include "ui/rentals/FormJZ.h"
#include "ui/rentals/FormTJZJXX.h"
#include "ui/rentals/FormTX.h"
#include "ui/rentals/FormZJXXCX.h"
#include "ui/stats/FormJRYY.h"
#include "ui/stats/FormLSSJ.h"

#include "core/catalogue/Discs.h"
#include "core/maintenance/Backup.h"
#include "core/maintenance/Expert.h"
#include "core/maintenance/FileSupport.h"
#include "core/maintenance/Workbook.h"
#include "core/members/Members.h"
#include "core/money/Ledger.h"
#include "core/money/Statements.h"
#include "core/rentals/Rentals.h"
#include "core/settings/Parameters.h"
#include "core/settings/Settings.h"
#include "core/stats/Charts.h"
#include "core/stats/Figures.h"
#include "core/stats/Reports.h"
#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/ProgramFolder.h"
#include "ui/common/SqlGridModel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <expat.h>
#include <fcntl.h>
#include <functional>
#include <limits>
#include <memory>
#include <sqlite3.h>
#include <unistd.h>
#include <unzip.h>
#include <vector>
#include <xlsxwriter.h>

namespace {
QTemporaryDir* home = nullptr;
QString shopPath;
MDIMain* shop = nullptr;

struct Figure
{
    std::string name;
    double program = 0, engine = 0; // best, in milliseconds
    qint64 rows = 0;
    double rssMb = 0;
    double best = 0;       // the hand-written SQL's, when there is one
    const char* same = ""; // whether it gave the program's answer
};
std::vector<Figure> figures;

double Megabytes(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(std::strlen(field))).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

void Drain()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void CloseChildren()
{
    shop->mdiArea()->closeAllSubWindows();
    Drain();
}

struct Step
{
    std::function<void()> prepare; // untimed, before each run
    std::function<void()> run;     // the operation
    std::function<void()> tidy;    // untimed, after each run
    // The engine's limit when it is not the traced statements.
    std::function<double()> engine = {};
    bool rss = false;
    // The same answer by the best SQL written by hand (with the indexes it
    // needs): its statements, the program's answer as lines of values joined
    // by '|', and how the statements' rows make those lines.
    QList<QByteArray> best = {};
    std::function<QStringList()> answer = {};
    std::function<QStringList(const QList<QStringList>&)> shape = {};
    // For a write: its rows made ready (untimed) and the best statements for
    // it, run in a transaction rolled back, then the program's answer on them.
    std::function<QList<QByteArray>()> bestWrite = {};
};

// Runs the hand-written statements on a connection of their own, every value
// read as text; the best of several runs, and the rows of the first.
// A write's statements come between BEGIN and ROLLBACK, each run alike; the
// SELECTs that end them read back what they wrote, untimed.
double BestMs(const QList<QByteArray>& statements, QList<QStringList>* rows, bool write = false)
{
    const SqliteFile file(shopPath, write ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY,
                          QStringLiteral("bench"));
    MatchProgramCache(file.db);
    double best = 1e18;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        qint64 elapsed = -1;
        for (const QByteArray& sql :
             write ? QList<QByteArray>{"BEGIN"} + statements + QList<QByteArray>{"ROLLBACK"}
                   : statements) {
            if (write && elapsed < 0 && sql.startsWith("SELECT"))
                elapsed = timer.nsecsElapsed();
            sqlite3_stmt* statement = nullptr;
            if (sqlite3_prepare_v2(file.db, sql.constData(), -1, &statement, nullptr) != SQLITE_OK)
                throw std::runtime_error(sqlite3_errmsg(file.db));
            while (sqlite3_step(statement) == SQLITE_ROW) {
                QStringList row;
                for (int c = 0; c < sqlite3_column_count(statement); ++c)
                    row << QString::fromUtf8(
                        reinterpret_cast<const char*>(sqlite3_column_text(statement, c)));
                if (run == 0)
                    rows->append(row);
            }
            sqlite3_finalize(statement);
        }
        best = std::min(best, double(elapsed < 0 ? timer.nsecsElapsed() : elapsed) / 1e6);
    }
    return best;
}

void Measure(benchmark::State& state, const std::string& name, const Step& step)
{
    double best = 1e18;
    for (auto _ : state) {
        if (step.prepare)
            step.prepare();
        QElapsedTimer timer;
        timer.start();
        step.run();
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        best = std::min(best, seconds * 1e3);
        if (step.tidy)
            step.tidy();
    }
    Figure figure{name, best};
    if (step.rss) {
        if (step.prepare)
            step.prepare();
        step.run();
        figure.rssMb = Megabytes("VmRSS:");
        if (step.tidy)
            step.tidy();
    }
    if (step.engine) {
        figure.engine = step.engine();
    } else {
        if (step.prepare)
            step.prepare();
        EngineWork work;
        {
            EngineTrace trace;
            step.run();
            work = trace.finish();
        }
        if (step.tidy)
            step.tidy();
        figure.rows = work.rows();
        figure.engine = ReplayMs(shopPath, work);
    }
    if (!step.best.isEmpty() || step.bestWrite) {
        QList<QStringList> rows;
        figure.best =
            step.bestWrite ? BestMs(step.bestWrite(), &rows, true) : BestMs(step.best, &rows);
        QStringList lines;
        if (step.shape)
            lines = step.shape(rows);
        else
            for (const QStringList& row : rows)
                lines << row.join(u'|');
        const QStringList answer = step.answer();
        figure.same = lines == answer ? "yes" : "NO";
        if (lines != answer)
            std::fprintf(stderr, "%s: the best SQL gave %lld lines, the program %lld\n",
                         name.c_str(), qint64(lines.size()), qint64(answer.size()));
        state.counters["best_ms"] = figure.best;
    }
    state.counters["engine_ms"] = figure.engine;
    state.counters["ratio"] = figure.program / std::max(figure.engine, 1e-6);
    if (figure.rssMb > 0)
        state.counters["rss_MB"] = figure.rssMb;
    figures.push_back(figure);
}

void Register(const std::string& name, int iterations, Step step)
{
    benchmark::RegisterBenchmark(
        name.c_str(), [name, step](benchmark::State& state) { Measure(state, name, step); })
        ->Iterations(iterations)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}

// A query window from its command to the first screen painted.
template <typename W> Step OpenQueryWindow(Command command)
{
    return {{},
            [command] {
                shop->runCommand(command);
                QCoreApplication::processEvents();
            },
            CloseChildren,
            {},
            true};
}

// The same window's 查询 with one condition typed.
template <typename W> Step Query(Command command, const char* field, const QString& text)
{
    return {[command, field, text] {
                shop->runCommand(command);
                Drain();
                Type(shop->findWindow<W>(), field, text);
            },
            [] {
                Press(shop->findWindow<W>(), "CommandCX");
                QCoreApplication::processEvents();
            },
            CloseChildren};
}

// Rows as a grid's model shows them: amounts 100000, not the engine's text 100000.0.
QStringList AsModelShows(const QList<QStringList>& found)
{
    QStringList lines;
    for (const QStringList& row : found) {
        QStringList cells;
        for (const QString& cell : row) {
            bool number = false;
            const double value = cell.toDouble(&number);
            cells << (number && cell.contains(u'.')
                          ? QString::number(value, 'g', QLocale::FloatingPointShortest)
                          : cell);
        }
        lines << cells.join(u'|');
    }
    return lines;
}

// A query window's data alone: its count and first screen (30 rows of every
// column) read through the grid's model, as the view asks for them; beside
// it the best SQL for the same count and rows (`count`, then `rows`).
Step GridData(const QString& columns, const QString& table, const Conditions& conditions,
              const QStringList& sort, const QString& key, const QByteArray& count,
              const QByteArray& rows, const QString& countTable = {})
{
    const auto screen = [=] {
        SqlGridModel model(BenchShop(), QStringList(columns.count(u',') + 1, QString()));
        model.setQuery(columns, table, conditions, sort, key, countTable);
        QStringList lines{QString::number(model.total())};
        for (int row = 0; row < 30 && row < model.total(); ++row) {
            QStringList cells;
            for (int column = 0; column < model.columnCount(); ++column)
                cells << model.data(model.index(row, column)).toString();
            lines << cells.join(u'|');
        }
        return lines;
    };
    return {{},    [screen] { screen(); },      {},     {},
            false, {count, rows + " LIMIT 30"}, screen, AsModelShows};
}

QStringList FreeDiscs(int count)
{
    QSqlQuery query = RunSql(BenchShop(),
                             QStringLiteral("SELECT bh FROM ydxx WHERE sfycz = '否' ORDER BY "
                                            "bh DESC LIMIT ?"),
                             {count});
    QStringList discs;
    while (query.next())
        discs << query.value(0).toString();
    return discs;
}

void WriteSettings()
{
    CreateSettingsKey();
    for (const auto& [setting, value] : {std::pair{Setting::FirstRunTime, "False"},
                                         {Setting::InstallTime, "2001-01-01"},
                                         {Setting::VCD, "2"},
                                         {Setting::DVD, "3"},
                                         {Setting::FJZJ, "10"},
                                         {Setting::HYDJ, "3"},
                                         {Setting::AutoAlert, "True"},
                                         {Setting::Alertdays, "7"}})
        SetSetting(setting, QString::fromLatin1(value));
    SetShowTipsAtStartup(0);
}

// Inflating a workbook's sheets and shared strings and parsing their XML,
// with nothing done for the elements: what any import of them costs.
double UnzipAndParseMs(const QString& path)
{
    QElapsedTimer timer;
    timer.start();
    unzFile zip = unzOpen64(QFile::encodeName(path).constData());
    if (!zip)
        return 0;
    QByteArray chunk(1 << 16, Qt::Uninitialized);
    for (int at = unzGoToFirstFile(zip); at == UNZ_OK; at = unzGoToNextFile(zip)) {
        char name[512];
        unz_file_info64 info{};
        unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0);
        const QByteArray part(name);
        if (!part.startsWith("xl/worksheets/") && part != "xl/sharedStrings.xml")
            continue;
        XML_Parser parser = XML_ParserCreateNS(nullptr, '\x01');
        unzOpenCurrentFile(zip);
        for (int n; (n = unzReadCurrentFile(zip, chunk.data(), unsigned(chunk.size()))) > 0;)
            XML_Parse(parser, chunk.constData(), n, XML_FALSE);
        XML_Parse(parser, "", 0, XML_TRUE);
        unzCloseCurrentFile(zip);
        XML_ParserFree(parser);
    }
    unzClose(zip);
    return double(timer.nsecsElapsed()) / 1e6;
}

double WriteWorkbookMs(const QString& source, const QString& target)
{
    QFile::remove(target);
    QElapsedTimer timer;
    timer.start();
    const SqliteFile file(source, SQLITE_OPEN_READONLY, QStringLiteral("bench"));
    MatchProgramCache(file.db);
    lxw_workbook_options options{};
    options.constant_memory = 1;
    options.use_zip64 = 1;
    const QByteArray scratch = QFile::encodeName(QFileInfo(target).absolutePath());
    options.tmpdir = const_cast<char*>(scratch.constData());
    lxw_workbook* workbook = workbook_new_opt(QFile::encodeName(target).constData(), &options);
    for (const char* table : {"ydxx", "zjxx", "hyxx", "zwls"}) {
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(file.db, (QByteArray("SELECT * FROM ") + table).constData(), -1, &select,
                           nullptr);
        lxw_worksheet* sheet = nullptr;
        lxw_row_t row = kSheetRows;
        for (int part = 1; sqlite3_step(select) == SQLITE_ROW; ++row) {
            if (row == kSheetRows) {
                sheet = workbook_add_worksheet(
                    workbook, (QByteArray(table) + '_' + QByteArray::number(part++)).constData());
                row = 1;
            }
            for (int c = 0; c < sqlite3_column_count(select); ++c) {
                if (sqlite3_column_type(select, c) == SQLITE_TEXT)
                    worksheet_write_string(
                        sheet, row, lxw_col_t(c),
                        reinterpret_cast<const char*>(sqlite3_column_text(select, c)), nullptr);
                else
                    worksheet_write_number(sheet, row, lxw_col_t(c),
                                           sqlite3_column_double(select, c), nullptr);
            }
        }
        sqlite3_finalize(select);
    }
    workbook_close(workbook);
    return double(timer.nsecsElapsed()) / 1e6;
}

// The shop's file and its journal out of the system's cache, as after a night.
void ShopLeavesCache()
{
    for (const QString& file : {shopPath, shopPath + "-wal", shopPath + "-shm"}) {
        const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY);
        if (fd < 0)
            continue;
        ::fsync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

void StartUp()
{
    shop = new MDIMain;
    shop->runStartup();
    shop->resize(1024, 768);
    shop->show();
    QCoreApplication::processEvents();
}

void ShutDown()
{
    delete std::exchange(shop, nullptr);
    CloseDatabase();
}

void RegisterAll()
{
    Register("start-up to the counts (MDIMain)", 5, {ShutDown, StartUp, CloseChildren});
    // The first start of the day: the shop read from the disk, not the cache.
    Register("the morning: start-up, the shop not in the cache", 3,
             {[] {
                  ShutDown();
                  ShopLeavesCache();
              },
              StartUp, CloseChildren});
    Register("the morning: then the three query windows and today's figures", 3,
             {[] {
                  ShutDown();
                  ShopLeavesCache();
                  StartUp();
              },
              [] {
                  for (const Command command :
                       {Command::YDXX, Command::ZJXX, Command::HYXX, Command::JRYY}) {
                      shop->runCommand(command);
                      QCoreApplication::processEvents();
                  }
              },
              CloseChildren});
    // The rest on one main window, as a working day.
    Register("FormYDCX all discs", 10, OpenQueryWindow<FormYDCX>(Command::YDXX));
    Register("FormYDCX 片名 胭脂传说", 10, Query<FormYDCX>(Command::YDXX, "TextPM", "胭脂传说"));
    Register("FormZJXXCX all rentals", 10, OpenQueryWindow<FormZJXXCX>(Command::ZJXX));
    Register("FormZJXXCX 会员编号 M00042", 10,
             Query<FormZJXXCX>(Command::ZJXX, "TextHYBH", "M00042"));
    Register("FormHYXX all members", 10, OpenQueryWindow<FormHYXX>(Command::HYXX));
    Register("FormHYXX 姓名 欧阳伟", 10, Query<FormHYXX>(Command::HYXX, "TextXM", "欧阳伟"));

    Register("grid data: all discs", 20,
             GridData(QStringLiteral("bh, pm, lx, zy, gj, ydlx, rkrq, sfycz"), "ydxx", {},
                      kDefaultDiscSort, "rowid",
                      "SELECT SUM(sl) FROM jlsl WHERE bm = 'ydxx' AND zd = 'sfycz'",
                      "SELECT bh, pm, lx, zy, gj, ydlx, rkrq, sfycz FROM ydxx ORDER BY ydlx, rkrq,"
                      " lx, rowid"));
    Register("grid data: all rentals", 20,
             GridData(QStringLiteral("zdbh, bh, czrq, ghrq, yjje, sfyh, hybh"), "zjxx", {}, {},
                      "zdbh", "SELECT SUM(sl) FROM jlsl WHERE bm = 'zjxx' AND zd = 'sfyh'",
                      "SELECT zdbh, bh, czrq, ghrq, yjje, sfyh, hybh FROM zjxx ORDER BY zdbh"));
    Register("grid data: all members", 20,
             GridData(QStringLiteral("hybh, hyxm, hyxb, hyzz, lxdh, hydj, zjje, yjje, yjps, rhrq"),
                      "hyxx", {}, kDefaultMemberSort, "rowid",
                      "SELECT SUM(sl) FROM jlsl WHERE bm = 'hyxx'",
                      "SELECT hybh, hyxm, hyxb, hyzz, lxdh, hydj, zjje, yjje, yjps, rhrq FROM hyxx"
                      " ORDER BY rhrq, hybh, rowid"));
    Register("grid data: rentals of M00042", 20,
             GridData(QStringLiteral("zdbh, bh, czrq, ghrq, yjje, sfyh, hybh"), "zjxx",
                      RentalConditions({{}, QStringLiteral("M00042"), {}, {}, {}, {}}), {}, "zdbh",
                      "SELECT COUNT(*) FROM zjxx WHERE hybh = 'M00042'",
                      "SELECT zdbh, bh, czrq, ghrq, yjje, sfyh, hybh FROM zjxx WHERE hybh ="
                      " 'M00042' ORDER BY zdbh"));
    {
        // The call list's count and first screen: the open rentals old enough,
        // from the partial index of open rentals by day.
        const QByteArray cutoff = OverdueCutoff(7).toUtf8();
        const QByteArray where =
            " WHERE b.sfyh = '否' AND b.czrq <= '" + cutoff + "' AND b.hybh <> '/'";
        const QByteArray counted =
            " FROM zjxx AS b INDEXED BY zjxx_open_day JOIN hyxx AS a ON a.hybh = b.hybh";
        const QByteArray from = counted + " LEFT JOIN ydxx AS c ON c.bh = b.bh" + where;
        Register(
            "grid data: overdue call list", 20,
            GridData(OverdueColumns(7), kOverdueTables, OverdueConditions(7),
                     {QStringLiteral("b.czrq")}, QStringLiteral("b.zdbh"),
                     "SELECT COUNT(*)" + counted + where,
                     "SELECT " + OverdueColumns(7).toUtf8() + from + " ORDER BY b.czrq, b.zdbh",
                     kOverdueCountTables));
    }

    static QStringList rentable;
    // What a rental and a checkout wrote: the rows the best SQL reads back in
    // its transaction, read again after the program's operation.
    const auto written = [](const QList<QByteArray>& selects) {
        QStringList lines;
        for (const QByteArray& sql : selects) {
            QSqlQuery rows = RunSql(BenchShop(), QString::fromUtf8(sql));
            while (rows.next()) {
                QStringList cells;
                for (int c = 0; c < rows.record().count(); ++c)
                    cells << rows.value(c).toString();
                lines << cells.join(u'|');
            }
        }
        return lines;
    };
    const QByteArray counter = "'" + CounterName().toUtf8() + "'";
    const QByteArray today = "'" + GeneratedShopToday().toUtf8() + "'";
    const QByteArray lastLines = "SELECT ywlx, zdbh, bh, hybh, je, gtmc FROM (SELECT * FROM zwls"
                                 " ORDER BY lsh DESC LIMIT %1) ORDER BY lsh";
    static QString disc;
    const auto rentalRead = [lastLines] {
        return QList<QByteArray>{
            "SELECT bh, czrq, ghrq, yjje, sfyh, hybh FROM zjxx ORDER BY zdbh DESC LIMIT 1",
            "SELECT sfycz FROM ydxx WHERE bh = '" + disc.toUtf8() + "'",
            "SELECT yjps, hydj, zjje FROM hyxx WHERE hybh = 'M00001'",
            QByteArray(lastLines).replace("%1", "1")};
    };
    Register("FormTJZJXX rent out to a member", 30,
             {[] {
                  if (rentable.isEmpty())
                      rentable = FreeDiscs(200);
                  auto* form = shop->openChild<FormTJZJXX>();
                  Type(form, "TextYDBH", rentable.takeFirst());
                  Type(form, "TextHYBH",
                       QStringLiteral("M%1").arg(1 + rentable.size() % 40, 5, 10, QChar(u'0')));
              },
              [] { Press(shop->findWindow<FormTJZJXX>(), "CommandTJ"); },
              CloseChildren,
              {},
              false,
              {},
              [written, rentalRead] {
                  RentOut(BenchShop(), {disc, QStringLiteral("M00001"), {}, false});
                  return written(rentalRead());
              },
              AsModelShows,
              [rentalRead, counter, today] {
                  // The claim, the disc, the day's rent from the prepaid money by the
                  // member's level (VCD 2, DVD 3 a day; a level every 10 rentals, at most 3).
                  disc = FreeDiscs(1).value(0);
                  const QByteArray bh = "'" + disc.toUtf8() + "'";
                  return QList<QByteArray>{
                             "INSERT INTO zjxx (bh, czrq, ghrq, yjje, sfyh, hybh) VALUES (" + bh +
                                 ", " + today + ", '/', '/', '否', 'M00001')",
                             "UPDATE ydxx SET sfycz = '是' WHERE bh = " + bh,
                             "INSERT INTO zwls (jzsj, ywlx, zdbh, bh, hybh, je, gtmc) SELECT '" +
                                 NowText().toUtf8() +
                                 "', '会员租金', (SELECT MAX(zdbh) FROM zjxx), d.bh, m.hybh,"
                                 " (CASE WHEN d.ydlx = 'VCD' THEN 2 ELSE 3 END) * 1000 * (10 -"
                                 " m.hydj), " +
                                 counter +
                                 " FROM hyxx AS m, ydxx AS d WHERE m.hybh = 'M00001'"
                                 " AND d.bh = " +
                                 bh,
                             "UPDATE hyxx SET zjje = zjje - (SELECT je FROM zwls WHERE lsh ="
                             " last_insert_rowid()) / 10000.0, yjps = yjps + 1, hydj ="
                             " MIN((yjps + 1) / 10, 3) WHERE hybh = 'M00001'"} +
                         rentalRead();
              }});
    // Ten walk-in rentals of today, a deposit of 10 each; the first's number.
    const auto openRentals = [] {
        const QStringList discs = FreeDiscs(10);
        qint64 first = 0;
        InTransaction(BenchShop(), [&] {
            for (const QString& bh : discs) {
                const qint64 zdbh = RunSql(BenchShop(),
                                           QStringLiteral("INSERT INTO zjxx (bh, czrq, ghrq, yjje, "
                                                          "sfyh, hybh) VALUES (?, ?, '/', '10', "
                                                          "'否', '/')"),
                                           {bh, TodayText()})
                                        .lastInsertId()
                                        .toLongLong();
                first = first ? first : zdbh;
                RunSql(BenchShop(), QStringLiteral("UPDATE ydxx SET sfycz = '是' WHERE bh = ?"),
                       {bh});
            }
        });
        return first;
    };
    static qint64 first = 0;
    const auto settledRead = [lastLines] {
        const QByteArray range =
            " BETWEEN " + QByteArray::number(first) + " AND " + QByteArray::number(first + 9);
        return QList<QByteArray>{
            "SELECT zdbh, ghrq, sfyh FROM zjxx WHERE zdbh" + range,
            "SELECT d.bh, d.sfycz FROM zjxx AS r JOIN ydxx AS d ON d.bh = r.bh WHERE r.zdbh" +
                range + " ORDER BY r.zdbh",
            QByteArray(lastLines).replace("%1", "20")};
    };
    Register(
        "FormJZ checkout of 10 records", 20,
        {[openRentals] {
             first = openRentals();
             auto* form = shop->openChild<FormJZ>();
             Type(form, "TextBH1", QString::number(first));
             Type(form, "TextBH2", QString::number(first + 9));
         },
         [] { Press(shop->findWindow<FormJZ>(), "CommandJZ"); },
         CloseChildren,
         {},
         false,
         {},
         [written, settledRead] {
             Settle(BenchShop(), SettleKind::WalkInCheckout, first, first + 9);
             return written(settledRead());
         },
         AsModelShows,
         [openRentals, settledRead, counter, today] {
             // Per rental the days' rent (at least one day) and the deposit back.
             first = openRentals();
             const QByteArray range =
                 " BETWEEN " + QByteArray::number(first) + " AND " + QByteArray::number(first + 9);
             return QList<QByteArray>{
                        "INSERT INTO zwls (jzsj, ywlx, zdbh, bh, hybh, je, gtmc) SELECT '" +
                            NowText().toUtf8() +
                            "', k.ywlx, r.zdbh, r.bh, '/', CASE k.n WHEN 1 THEN (CASE WHEN"
                            " d.ydlx = 'VCD' THEN 2 ELSE 3 END) * 10000 * MAX(CAST(julianday(" +
                            today +
                            ") - julianday(r.czrq) AS INTEGER), 1) ELSE -CAST(ROUND(r.yjje *"
                            " 10000) AS INTEGER) END, " +
                            counter +
                            " FROM zjxx AS r JOIN ydxx AS d ON d.bh = r.bh, (SELECT 1 AS n,"
                            " '散客租金' AS ywlx UNION ALL SELECT 2, '退还押金') AS k WHERE"
                            " r.zdbh" +
                            range + " ORDER BY r.zdbh, k.n",
                        "UPDATE zjxx SET sfyh = '是', ghrq = " + today + " WHERE zdbh" + range,
                        "UPDATE ydxx SET sfycz = '否' WHERE bh IN (SELECT bh FROM zjxx WHERE"
                        " zdbh" +
                            range + ")"} +
                    settledRead();
         }});
    Register("overdue check", 20,
             {{},
              [] { AnyOverdueRental(BenchShop(), 7); },
              {},
              {},
              false,
              {"SELECT 1 FROM zjxx AS b INDEXED BY zjxx_open_day JOIN hyxx AS a ON a.hybh = b.hybh"
               " WHERE b.sfyh = '否' AND b.czrq <= '" +
               OverdueCutoff(7).toUtf8() + "' AND b.hybh <> '/' LIMIT 1"},
              [] { return AnyOverdueRental(BenchShop(), 7) ? QStringList{"1"} : QStringList{}; }});
    Register("FormTX overdue list", 10,
             {{},
              [] {
                  shop->openChild<FormTX>();
                  QCoreApplication::processEvents();
              },
              CloseChildren});
    const auto figureLines = [](TypeCounts counts) {
        return QStringList{QStringLiteral("%1|%2").arg(counts.vcd).arg(counts.dvd)};
    };
    Register("FormJRYY today's figures", 10,
             {{},
              [] {
                  shop->runCommand(Command::JRYY);
                  QCoreApplication::processEvents();
              },
              CloseChildren,
              {},
              false,
              {"SELECT COALESCE(SUM(CASE WHEN ydlx = 'VCD' THEN sl END), 0), COALESCE(SUM(CASE WHEN"
               " ydlx = 'DVD' THEN sl END), 0) FROM mrcz WHERE czrq = '" +
               GeneratedShopToday().toUtf8() + "'"},
              [figureLines] { return figureLines(TodayFigures(BenchShop())); }});
    Register("FormLSSJ a month's figures", 10,
             {[] {
                  shop->runCommand(Command::LSSJ);
                  Drain();
                  Type(shop->findWindow<FormLSSJ>(), "ComboNF", "2005");
                  Type(shop->findWindow<FormLSSJ>(), "ComboYF", "06");
              },
              [] {
                  Press(shop->findWindow<FormLSSJ>(), "CommandCK");
                  QCoreApplication::processEvents();
              },
              CloseChildren,
              {},
              false,
              {"SELECT COALESCE(SUM(CASE WHEN ydlx = 'VCD' THEN sl END), 0), COALESCE(SUM(CASE WHEN"
               " ydlx <> 'VCD' THEN sl END), 0) FROM mrcz WHERE czrq >= '2005-06' AND czrq <"
               " '2005-07'"},
              [figureLines] { return figureLines(MonthFigures(BenchShop(), "2005", "06")); }});
    // The money: a month's takings from the ledger's day totals, a busy day's
    // lines for the day-end report, a member's statement.
    Register(
        "takings: a month", 10,
        {{},
         [] { MonthTakings(BenchShop(), QStringLiteral("2005"), QStringLiteral("06")); },
         {},
         {},
         false,
         {"SELECT SUM(CASE ywlx WHEN '散客租金' THEN je ELSE 0 END), SUM(CASE ywlx WHEN"
          " '散客押金' THEN je ELSE 0 END), -SUM(CASE ywlx WHEN '退还押金' THEN je ELSE 0 END),"
          " SUM(CASE WHEN ywlx IN ('预付租金', '预付租金充值', '预付租金更正') THEN je ELSE 0"
          " END), SUM(CASE WHEN ywlx IN ('会员押金', '会员押金补交', '会员押金更正') THEN je"
          " ELSE 0 END), SUM(CASE ywlx WHEN '会员租金' THEN je ELSE 0 END), SUM(CASE WHEN ywlx"
          " NOT IN ('会员租金', '期初预付租金', '期初会员押金') THEN je ELSE 0 END) FROM zwrz"
          " WHERE rq >= '2005-06-00' AND rq <= '2005-06-99'"},
         [] {
             QStringList amounts;
             for (const auto& [caption, amount] : TakingsRows(
                      MonthTakings(BenchShop(), QStringLiteral("2005"), QStringLiteral("06"))))
                 amounts << QString::number(amount);
             return QStringList{amounts.join(u'|')};
         }});
    const QByteArray lastDay = QDate::fromString(GeneratedShopToday(), Qt::ISODate)
                                   .addDays(-1)
                                   .toString(QStringLiteral("yyyy-MM-dd"))
                                   .toUtf8();
    Register("day-end report: the last day's lines", 10,
             {{},
              [lastDay] {
                  // The ledger's check is made apart, on a worker (below).
                  DayEndReport(BenchShop(), QString::fromUtf8(lastDay), 200 * kYuan, QString());
              },
              {},
              {},
              false,
              {"SELECT lsh FROM zwls WHERE jzsj >= '" + lastDay + " 00:00:00' AND jzsj <= '" +
               lastDay + " 99' ORDER BY lsh"},
              [lastDay] {
                  QStringList numbers;
                  for (const QStringList& row :
                       DayEndReport(BenchShop(), QString::fromUtf8(lastDay), {}).rows)
                      if (row.size() > 1 && !row.first().isEmpty()) // no heading, no sum
                          numbers << row.first();
                  // The report puts the cash lines first; the best SQL reads them in order.
                  std::sort(numbers.begin(), numbers.end(), [](const QString& a, const QString& b) {
                      return a.toLongLong() < b.toLongLong();
                  });
                  return numbers;
              }});
    Register("ledger check (the day-end report's, on a worker)", 3,
             {{}, [] { LedgerCheck(shopPath); }});
    Register("member statement M00042", 10,
             {{},
              [] { MemberStatementReport(BenchShop(), QStringLiteral("M00042")); },
              {},
              {},
              false,
              {"SELECT lsh FROM zwls WHERE hybh = 'M00042' AND lsh >= (SELECT MAX(lsh) FROM zwls"
               " WHERE hybh = 'M00042' AND ywlx IN ('预付租金', '期初预付租金')) ORDER BY lsh"},
              [] {
                  QStringList numbers;
                  for (const StatementLine& line :
                       MemberStatement(BenchShop(), QStringLiteral("M00042")))
                      numbers << QString::number(line.entry.lsh);
                  return numbers;
              }});
    Register("FormRMYD popular and new discs", 10,
             {{},
              [] { shop->runCommand(Command::RMYD); },
              {},
              {},
              false,
              {"SELECT r.bh || '   ' || COALESCE(d.pm || '   ' || d.ydlx || CASE d.sfycz WHEN '是'"
               " THEN '   已出租' ELSE '   未出租' END || '   ', '') || '租出' || r.cs || '次' FROM"
               " (SELECT bh, cs FROM ydzc ORDER BY cs DESC, bh LIMIT 20) AS r LEFT JOIN ydxx AS d"
               " ON d.bh = r.bh ORDER BY r.cs DESC, r.bh"},
              [] { return RankingText(BenchShop()).split(QStringLiteral("\r\n")); }});
    // A chart's rows as the program's table holds them: genres or months in order.
    const auto chartLines = [](const ChartTable& table) {
        QStringList lines;
        for (const QList<qint64>& row : table.values) {
            QStringList values;
            for (qint64 value : row)
                values << QString::number(value);
            lines << values.join(u'|');
        }
        return lines;
    };
    const auto byGenre = [](const QList<QStringList>& rows) {
        QStringList values(Genres().size(), QStringLiteral("0"));
        for (const QStringList& row : rows)
            if (Genres().contains(row[0]))
                values[Genres().indexOf(row[0])] = row[1];
        return QStringList{values.join(u'|')};
    };
    Register("chart: stock per genre", 10,
             {{},
              [] { StoreChartTable(BenchShop(), StockPerGenre(BenchShop())); },
              {},
              {},
              false,
              {"SELECT lx, COUNT(*) FROM ydxx GROUP BY lx"},
              [chartLines] { return chartLines(StockPerGenre(BenchShop())); },
              byGenre});
    Register(
        "chart: a year's rentals per genre", 5,
        {{},
         [] { StoreChartTable(BenchShop(), RentalsPerGenre(BenchShop(), QStringLiteral("2005"))); },
         {},
         {},
         false,
         {"SELECT lx, SUM(sl) FROM mrcz WHERE czrq >= '2005' AND czrq < '2006' GROUP BY lx"},
         [chartLines] { return chartLines(RentalsPerGenre(BenchShop(), QStringLiteral("2005"))); },
         byGenre});
    Register(
        "chart: a year's rentals per month", 5,
        {{},
         [] { StoreChartTable(BenchShop(), RentalsPerMonth(BenchShop(), QStringLiteral("2005"))); },
         {},
         {},
         false,
         {"SELECT substr(czrq, 6, 2), ydlx = 'VCD', SUM(sl) FROM mrcz WHERE czrq >= '2005'"
          " AND czrq < '2006' GROUP BY 1, 2"},
         [chartLines] { return chartLines(RentalsPerMonth(BenchShop(), QStringLiteral("2005"))); },
         [](const QList<QStringList>& rows) {
             QList<QStringList> months(2, QStringList(12, QStringLiteral("0")));
             for (const QStringList& row : rows)
                 months[row[1] == u"1" ? 0 : 1][row[0].toInt() - 1] = row[2];
             return QStringList{months[0].join(u'|'), months[1].join(u'|')};
         }});
    // Each report's lines, counted, then read; the best SQL counts them from
    // the same index it reads them in. Ties of the order may come either way:
    // the lines are compared as sets.
    const auto sorted = [](QStringList lines) {
        lines.sort();
        return lines;
    };
    for (const auto& [report, name, count, lines] :
         {std::tuple{Report::AllDiscs, "report: all discs", "SELECT COUNT(*) FROM ydxx",
                     "SELECT bh, pm, lx, ydlx FROM ydxx ORDER BY ydlx, lx"},
          {Report::DiscsOut, "report: discs out",
           "SELECT COUNT(*) FROM zjxx INDEXED BY zjxx_one_open WHERE sfyh = '否'",
           "SELECT a.bh, pm, ydlx, czrq FROM zjxx AS b INDEXED BY zjxx_one_open JOIN ydxx AS a ON"
           " a.bh = b.bh WHERE sfyh = '否' AND sfycz = '是' ORDER BY ydlx, czrq"},
          {Report::AllMembers, "report: all members", "SELECT COUNT(*) FROM hyxx",
           "SELECT hybh, hyxm, lxdh, rhrq FROM hyxx ORDER BY rhrq, hyxm"},
          {Report::MembersWithDiscsOut, "report: members with discs out",
           "SELECT COUNT(*) FROM hyxx WHERE hybh IN (SELECT hybh FROM zjxx INDEXED BY"
           " zjxx_open_hybh WHERE sfyh = '否')",
           "SELECT a.hybh, hyxm, hydj, lxdh FROM hyxx AS a WHERE a.hybh IN (SELECT hybh FROM zjxx"
           " INDEXED BY zjxx_open_hybh WHERE sfyh = '否') ORDER BY hydj, hyxm"}})
        Register(name, 3,
                 {{},
                  [report] {
                      ReportLineCount(BenchShop(), DefinitionOf(report));
                      // Every cell as the renderer reads it.
                      const std::unique_ptr<TextRows> rows =
                          ReportRows(BenchShop(), DefinitionOf(report));
                      while (rows->next())
                          for (int c = 0; c < 4; ++c)
                              rows->text(c);
                  },
                  {},
                  {},
                  false,
                  {QByteArray(count), QByteArray(lines)},
                  [report, sorted] {
                      QStringList answer{
                          QString::number(ReportLineCount(BenchShop(), DefinitionOf(report)))};
                      const std::unique_ptr<TextRows> rows =
                          ReportRows(BenchShop(), DefinitionOf(report));
                      QStringList body;
                      while (rows->next()) {
                          QStringList row;
                          for (int c = 0; c < 4; ++c)
                              row << rows->text(c);
                          body << row.join(u'|');
                      }
                      return answer + sorted(body);
                  },
                  [sorted](const QList<QStringList>& rows) {
                      QStringList body;
                      for (const QStringList& row : rows.mid(1))
                          body << row.join(u'|');
                      return QStringList{rows.value(0).value(0)} + sorted(body);
                  }});
    static std::unique_ptr<FormZJCZ> expert;
    Register("FormZJCZ SELECT * FROM zjxx to FormSQLCX", 5,
             {[] {
                  expert = std::make_unique<FormZJCZ>(shop->shop(), shop);
                  expert->show();
                  Drain();
                  Type(expert.get(), "TextSQL", QStringLiteral("SELECT * FROM zjxx"));
              },
              [] { Press(expert.get(), "CommandZX"); },
              [] {
                  expert.reset();
                  Drain();
              },
              {},
              false,
              {"SELECT COUNT(*) FROM zjxx", "SELECT * FROM zjxx LIMIT 30"},
              [] {
                  // The count and first screen the result's grid is given.
                  ExpertSession session(ShopLocation());
                  const TypedRows rows =
                      session.firstRows(session.read(QStringLiteral("SELECT * FROM zjxx")), 30);
                  QStringList lines{QString::number(rows.total)};
                  for (const QVariantList& row : rows.firstPage) {
                      QStringList cells;
                      for (const QVariant& value : row)
                          cells << value.toString();
                      lines << cells.join(u'|');
                  }
                  return lines;
              },
              AsModelShows});

    const QString target = home->filePath(QStringLiteral("out"));
    Register("backup", 3,
             {[target] { QDir(target).removeRecursively(), QDir().mkpath(target); },
              [target] { BackupDatabase(BenchShop(), BackupPathIn(target)); },
              {},
              [target] {
                  // The engine's limit: copying the file.
                  QElapsedTimer timer;
                  timer.start();
                  QFile::remove(target + QStringLiteral("/copy.db"));
                  QFile::copy(shopPath, target + QStringLiteral("/copy.db"));
                  return double(timer.nsecsElapsed()) / 1e6;
              }});
    Register("workbook export", 1,
             {[target] { QDir(target).removeRecursively(), QDir().mkpath(target); },
              [target] { ExportWorkbook(shopPath, WorkbookPathIn(target)); },
              {},
              [target] {
                  // The floor: reading every row of the three tables and the ledger and
                  // writing each cell through the same writer, nothing checked or converted.
                  return WriteWorkbookMs(shopPath, target + QStringLiteral("/floor.xlsx"));
              }});
    Register("workbook import", 1,
             {{},
              [target] {
                  CloseDatabase();
                  ImportWorkbook(shopPath, WorkbookPathIn(target), 10, 3);
                  OpenDatabase();
              },
              {},
              [target] {
                  // The floor: unzipping and parsing the sheets, then replacing the three
                  // tables and the ledger with the same rows in one transaction, the
                  // indexes and totals made once after.
                  const double parse = UnzipAndParseMs(WorkbookPathIn(target));
                  const QString copy = target + QStringLiteral("/engine.db");
                  QFile::remove(copy);
                  QFile::copy(shopPath, copy);
                  const SqliteFile file(copy, SQLITE_OPEN_READWRITE, QStringLiteral("bench"));
                  MatchProgramCache(file.db);
                  QElapsedTimer timer;
                  timer.start();
                  file.exec("BEGIN; CREATE TEMP TABLE a AS SELECT * FROM ydxx;"
                            " CREATE TEMP TABLE b AS SELECT * FROM zjxx;"
                            " CREATE TEMP TABLE c AS SELECT * FROM hyxx;"
                            " CREATE TEMP TABLE d AS SELECT * FROM zwls");
                  LoadInBulk(file, [&file] {
                      file.exec(
                          "DELETE FROM ydxx; DELETE FROM zjxx; DELETE FROM hyxx; DELETE FROM zwls;"
                          " INSERT INTO ydxx SELECT * FROM a; INSERT INTO zjxx SELECT * FROM b;"
                          " INSERT INTO hyxx SELECT * FROM c; INSERT INTO zwls SELECT * FROM d");
                  });
                  file.exec("COMMIT");
                  return parse + double(timer.nsecsElapsed()) / 1e6;
              }});

    // Writes on the large shop: the program's, its triggers (totals, rules,
    // ledger) included, beside the same statement on the engine with every
    // trigger set aside, in a transaction rolled back.
    const auto bare = [](std::function<QByteArray()> sql) {
        return [sql] {
            const SqliteFile file(shopPath, SQLITE_OPEN_READWRITE, QStringLiteral("bench"));
            MatchProgramCache(file.db);
            file.exec("BEGIN");
            QList<QByteArray> triggers;
            sqlite3_stmt* names = nullptr;
            sqlite3_prepare_v2(file.db, "SELECT name FROM sqlite_master WHERE type = 'trigger'", -1,
                               &names, nullptr);
            while (sqlite3_step(names) == SQLITE_ROW)
                triggers << reinterpret_cast<const char*>(sqlite3_column_text(names, 0));
            sqlite3_finalize(names);
            for (const QByteArray& trigger : triggers)
                file.exec(("DROP TRIGGER \"" + trigger + "\"").constData());
            QElapsedTimer timer;
            timer.start();
            file.exec(sql().constData());
            const double ms = double(timer.nsecsElapsed()) / 1e6;
            file.exec("ROLLBACK");
            return ms;
        };
    };
    static QString popular, genre;
    Register("write: genre change of the most-rented disc", 10,
             {[] {
                  popular = RunScalar(BenchShop(), QStringLiteral("SELECT bh FROM ydzc ORDER BY"
                                                                  " cs DESC, bh LIMIT 1"))
                                .toString();
                  const std::optional<Disc> disc = FindDisc(BenchShop(), popular);
                  genre = disc && disc->lx == u"武侠片" ? QStringLiteral("言情片")
                                                        : QStringLiteral("武侠片");
              },
              [] {
                  const std::optional<Disc> disc = FindDisc(BenchShop(), popular);
                  ModifyDisc(BenchShop(), {popular, disc->pm, genre, disc->zy, disc->gj, disc->rkrq,
                                           disc->nrjj});
              },
              {},
              bare([] {
                  return "UPDATE ydxx SET lx = '" + genre.toUtf8() + "' WHERE bh = '" +
                         popular.toUtf8() + "'";
              })});
    static int addedDiscs = 0;
    Register("write: add a disc", 10,
             {{},
              [] {
                  AddDisc(BenchShop(),
                          {QStringLiteral("BENCH%1").arg(++addedDiscs), QStringLiteral("新片"),
                           QStringLiteral("故事片"), QStringLiteral("/"), QStringLiteral("/"),
                           QStringLiteral("DVD"), QStringLiteral("/")});
              },
              {},
              bare([] {
                  return "INSERT INTO ydxx VALUES ('BARE" + QByteArray::number(addedDiscs) +
                         "', '新片', '故事片', 'DVD', '/', '/', '" + TodayText().toUtf8() +
                         "', '否', '/')";
              })});
    // A day of settled rentals, a different day each run, going back from the shop's today.
    static QDate day;
    const auto settledDay = [] {
        day = day.isValid() ? day.addDays(-1) : Today().addDays(-400);
        return day.toString(QStringLiteral("yyyy-MM-dd"));
    };
    Register("write: delete one day's settled rentals", 5,
             {[settledDay] { settledDay(); },
              [] {
                  RentalFilter settled;
                  settled.czrq = day.toString(QStringLiteral("yyyy-MM-dd"));
                  settled.sfyh = QStringLiteral("是");
                  DeleteRentals(BenchShop(), settled);
              },
              {},
              bare([] {
                  return "DELETE FROM zjxx WHERE czrq = '" +
                         day.addDays(-1).toString(QStringLiteral("yyyy-MM-dd")).toUtf8() +
                         "' AND sfyh = '是'";
              })});
    // A member without a disc out, as the window lets him go, with his rentals.
    static QString member;
    Register(
        "write: delete a member with his rentals", 5,
        {[] {
             member =
                 RunScalar(BenchShop(), QStringLiteral("SELECT hybh FROM hyxx WHERE hybh NOT IN"
                                                       " (SELECT hybh FROM zjxx WHERE sfyh = '否')"
                                                       " ORDER BY hybh DESC LIMIT 1"))
                     .toString();
         },
         [] {
             MemberDeletion deletion;
             deletion.hybh = member;
             DeleteRentalsOfMembers(BenchShop(), DeleteMembers(BenchShop(), deletion));
         },
         {},
         bare([] {
             const QByteArray next =
                 RunScalar(BenchShop(), QStringLiteral("SELECT hybh FROM hyxx WHERE hybh NOT IN"
                                                       " (SELECT hybh FROM zjxx WHERE sfyh = '否')"
                                                       " ORDER BY hybh DESC LIMIT 1"))
                     .toString()
                     .toUtf8();
             return "DELETE FROM hyxx WHERE hybh = '" + next +
                    "'; DELETE FROM zjxx WHERE hybh = '" + next + "'";
         })});
    Register("write: the members' levels recomputed", 3,
             {{}, [] { RecomputeMemberLevels(BenchShop(), 10, 3); }, {}, bare([] {
                  return QByteArray("UPDATE hyxx SET hydj = MIN(3, yjps / 10) WHERE hydj IS NOT"
                                    " MIN(3, yjps / 10)");
              })});
}

void PrintSummary()
{
    std::printf(
        "\n| ratio | operation | program ms | engine ms | best SQL ms | same | rows | RSS MB |\n");
    std::printf("|---:|---|---:|---:|---:|---|---:|---:|\n");
    for (const Figure& f : figures)
        std::printf("| %.2f | %s | %.1f | %.2f | %s | %s | %lld | %s |\n",
                    f.program / std::max(f.engine, 1e-6), f.name.c_str(), f.program, f.engine,
                    f.best > 0 ? qPrintable(QString::number(f.best, 'f', 2)) : "", f.same, f.rows,
                    f.rssMb > 0 ? qPrintable(QString::number(f.rssMb, 'f', 0)) : "");
    std::printf("peak RSS %.0f MB\n", Megabytes("VmHWM:"));
}
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QTemporaryDir folder;
    home = &folder;
    const QString generated = LargeShopFile(argc, argv, folder);
    // A program folder and settings of the benchmark's own.
    qputenv("XDG_CONFIG_HOME", folder.filePath(QStringLiteral("config")).toLocal8Bit());
    QDir().mkpath(folder.filePath(QStringLiteral("program")));
    SetProgramFolder(folder.filePath(QStringLiteral("program")));
    shopPath = DatabasePath();
    if (!QFile::copy(generated, shopPath)) {
        std::fprintf(stderr, "cannot copy the shop to %s\n", qPrintable(shopPath));
        return 1;
    }
    WriteSettings();
    SetTodayForTesting(QDate::fromString(GeneratedShopToday(), Qt::ISODate));
    Seams().screenSize = [] { return QSize(1024, 768); };
    Seams().execDialog = [](QDialog& dialog) {
        dialog.show();
        QCoreApplication::processEvents();
        return int(QDialog::Rejected);
    };
    SetMessagePresenter([](const ShownMessage& message) {
        return message.style == 0 ? MsgButton::Ok : MsgButton::Yes;
    });
    // Members with prepaid rent for a day of renting out.
    OpenDatabase();
    RunSql(BenchShop(), QStringLiteral("UPDATE hyxx SET zjje = 100000 WHERE hybh <= 'M00040'"));
    CloseDatabase();

    // The main window every operation works in (start-up makes its own).
    shop = new MDIMain;
    shop->runStartup();
    shop->resize(1024, 768);
    shop->show();
    Drain();
    CloseChildren();

    RegisterAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    PrintSummary();
    delete shop;
    CloseDatabase();
    return 0;
}
