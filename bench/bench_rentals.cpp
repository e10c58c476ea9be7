// Counter operations on a large shop: 100,000 discs, 50,000 members, 1,000,000 rentals.
#include "rentals/Rentals.h"
#include "settings/Settings.h"
#include "store/Database.h"
#include "store/ProgramFolder.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
QTemporaryDir* folder = nullptr;
QTemporaryDir* config = nullptr;
qint64 nextDisc = 0;

void MakeShop()
{
    folder = new QTemporaryDir;
    config = new QTemporaryDir;
    qputenv("XDG_CONFIG_HOME", config->path().toLocal8Bit());
    SetProgramFolder(folder->path());
    CreateEmptyDatabase(DatabasePath());
    CreateSettingsKey();
    for (const auto& [setting, value] : {std::pair{Setting::VCD, "2"},
                                         {Setting::DVD, "3"},
                                         {Setting::FJZJ, "10"},
                                         {Setting::HYDJ, "3"},
                                         {Setting::Alertdays, "7"}})
        SetSetting(setting, QString::fromLatin1(value));
    OpenDatabase();
    InTransaction([] {
        RunSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000)"
               " INSERT INTO ydxx SELECT 'D' || i, '片名' || i, '故事片', CASE i % 2 WHEN 0 THEN "
               "'VCD' ELSE 'DVD' END,"
               " '明星' || (i % 3000), '中国', '2003-11-01', '否', '/' FROM n");
        RunSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 50000)"
               " INSERT INTO hyxx SELECT 'M' || i, '会员' || i, '男', '/', '/', 0, 1000000, 50, 0, "
               "'2003-11-01' FROM n");
        RunSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000)"
               " INSERT INTO zjxx (bh, czrq, ghrq, yjje, sfyh, hybh) SELECT 'D' || (i % 100000 + "
               "1), '2003-10-15',"
               " '2003-10-16', '/', '是', 'M' || (i % 50000 + 1) FROM n");
    });
}

void BM_CheckRentOut(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(
            CheckRentOut({QStringLiteral("D777"), QStringLiteral("M42"), {}, true}));
}
BENCHMARK(BM_CheckRentOut);

void BM_RentOutToMember(benchmark::State& state)
{
    for (auto _ : state) {
        const QString bh = QStringLiteral("D%1").arg(++nextDisc);
        RentOut({bh, QStringLiteral("M%1").arg(nextDisc % 50000 + 1), {}, true});
    }
}
BENCHMARK(BM_RentOutToMember)->Iterations(200);

void BM_SettleTenRecords(benchmark::State& state)
{
    qint64 first = RunScalar("SELECT MAX(zdbh) FROM zjxx").toLongLong() + 1;
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < 10; ++i)
            RunSql("INSERT INTO zjxx (bh, czrq, ghrq, yjje, sfyh, hybh) VALUES (?, '2003-11-01', "
                   "'/', '/', '否', 'M1')",
                   {QStringLiteral("D%1").arg(90000 + i)});
        state.ResumeTiming();
        Settle(SettleKind::MemberReturn, first, first + 9);
        first += 10;
    }
}
BENCHMARK(BM_SettleTenRecords)->Iterations(100);

void BM_OverdueCheck(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(AnyOverdueRental(7));
}
BENCHMARK(BM_OverdueCheck);

void BM_RentalCount(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(RunScalar("SELECT COUNT(*) FROM zjxx WHERE hybh = 'M77'"));
}
BENCHMARK(BM_RentalCount);
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    MakeShop();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    CloseDatabase();
    delete folder;
    delete config;
    return 0;
}
