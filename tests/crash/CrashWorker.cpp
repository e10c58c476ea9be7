// A day at the counter, at machine speed, until it is killed: the kill test
// starts it on a shop and kills it at a random moment.
// Usage: crash_worker PROGRAM_FOLDER SEED   (XDG_CONFIG_HOME set by the caller)
#include "core/catalogue/Discs.h"
#include "core/maintenance/Backup.h"
#include "core/maintenance/Workbook.h"
#include "core/members/Members.h"
#include "core/rentals/Rentals.h"
#include "core/settings/Parameters.h"
#include "core/settings/Settings.h"
#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/ProgramFolder.h"
#include "core/store/Shop.h"

#include <QCoreApplication>
#include <QFile>
#include <random>

namespace {
std::mt19937_64 engine;
qint64 Below(qint64 n)
{
    return qint64(engine() % quint64(n));
}

QString Disc()
{
    return QStringLiteral("D%1").arg(Below(60));
}
QString Member()
{
    return QStringLiteral("M%1").arg(Below(12));
}

void OneStep(Shop& shop, const QString& folder)
{
    const QString backup = folder + QStringLiteral("/backup/MOVRNT.db");
    const QString workbook = folder + QStringLiteral("/exchange/MOVRNT.xlsx");
    // Mostly the counter; now and then the long work whose files must stay whole.
    switch (Below(40)) {
    case 0:
    case 1:
    case 2:
    case 3:
        if (const QString bh = Disc(); CheckNewDisc(shop, {.bh = bh}) == NewDiscCheck::Ok)
            AddDisc(shop, {bh, QStringLiteral("片'名"), {}, {}, {}, Below(2) ? "VCD" : "DVD", {}});
        break;
    case 4:
    case 5:
        if (const QString hybh = Member();
            CheckNewMember(shop, {.hybh = hybh, .zjje = "100", .yjje = "50"}) == NewMemberCheck::Ok)
            AddMember(shop, {hybh, QStringLiteral("会员"), {}, {}, {}, "100000", "50"});
        break;
    case 6:
    case 7:
    case 8:
    case 9:
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
    case 15: {
        const RentRequest request{Disc(), Below(2) ? Member() : QString(), "10", true};
        if (CheckRentOut(shop, request) == RentOutCheck::Ok)
            RentOut(shop, request);
        break;
    }
    case 16:
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
    case 22:
    case 23: {
        const QVariant zdbh = RunScalar(
            shop,
            QStringLiteral("SELECT zdbh FROM zjxx WHERE sfyh = '否' ORDER BY random() LIMIT 1"));
        if (!zdbh.isValid())
            break;
        const bool walkIn =
            RunScalar(shop, QStringLiteral("SELECT hybh FROM zjxx WHERE zdbh = ?"), {zdbh})
                .toString() == u"/";
        // Now and then the customer lost or broke it.
        if (Below(6) == 0)
            SettleLoss(shop, zdbh.toLongLong(), Below(2) ? LossKind::Lost : LossKind::Damaged,
                       Below(60) * kYuan);
        else
            Settle(shop, walkIn ? SettleKind::WalkInCheckout : SettleKind::MemberReturn,
                   zdbh.toLongLong(), zdbh.toLongLong());
        break;
    }
    case 24:
    case 25: {
        const RentalFilter settledWalkIns{Disc(), QStringLiteral("/"),  {},
                                          {},     QStringLiteral("是"), {}};
        if (!AnyUnsettledRental(shop, settledWalkIns))
            DeleteRentals(shop, settledWalkIns);
        break;
    }
    case 26: {
        DiscFilter filter;
        filter.bh = Disc();
        if (!AnyRentedDisc(shop, filter))
            DeleteRentalsOfDiscs(shop, DeleteDiscs(shop, filter));
        break;
    }
    case 27: {
        const qint64 perLevel = 5 + Below(10), levels = 1 + Below(5);
        RecomputeMemberLevels(shop, perLevel, levels);
        SetSetting(Setting::HYDJ, QString::number(levels));
        SetSetting(Setting::FJZJ, QString::number(perLevel));
        break;
    }
    case 28:
        BackupDatabase(shop, backup);
        break;
    case 29:
        QFile::remove(workbook);
        ExportWorkbook(DatabasePath(), workbook);
        break;
    case 30:
        if (QFile::exists(workbook))
            ImportWorkbook(DatabasePath(), workbook, MemberLevelRule().rentalsPerLevel,
                           MemberLevelRule().levels);
        break;
    case 31:
        if (QFile::exists(backup))
            RestoreDatabase(shop, backup, MemberLevelRule());
        break;
    case 32:
    case 33:
        Reserve(shop, {Member(), Below(2) ? Disc() : QString(), QStringLiteral("片'名")});
        break;
    case 34:
        CancelReservation(shop, Below(40));
        break;
    default:
        // A day passes now and then, so that members come back late.
        SetSetting(Setting::Alertdays, QString::number(Below(4)));
        SetTodayForTesting(Today().addDays(Below(2)));
    }
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    engine.seed(std::strtoull(argv[2], nullptr, 10));
    SetProgramFolder(folder);
    Shop shop(DatabasePath());
    SetSessionShop(&shop);
    // The shop's own days, from its latest rental on.
    const QDate latest = QDate::fromString(
        RunScalar(shop, QStringLiteral("SELECT MAX(czrq) FROM zjxx")).toString(), Qt::ISODate);
    SetTodayForTesting(latest.isValid() ? latest : QDate(2003, 11, 9));
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    for (;;) {
        try {
            OneStep(shop, folder);
        } catch (const MovrntError&) {
            // A refusal of the store is reported to the clerk; the day goes on.
        }
    }
}
