// One counter of two working the same few discs and members as fast as it
// can: renting, checking out and taking back. Prints each outcome's count;
// anything but the counter's own refusals is a failure.
// Usage: race_worker LOCATION SEED ROUNDS   (XDG_CONFIG_HOME set by the caller)
#include "core/access/PassCheck.h"
#include "core/rentals/Rentals.h"
#include "core/rentals/Stocktake.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/ServerAddress.h"
#include "core/store/Shop.h"

#include <QCoreApplication>
#include <QMap>
#include <cstdio>
#include <random>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 && args.size() != 5)
        return 2;
    std::mt19937_64 engine(args[2].toULongLong());
    const auto below = [&engine](int n) { return int(engine() % quint64(n)); };
    QMap<QString, int> outcomes;
    try {
        // Each counter's clerk signs its lines.
        SetCurrentPerson(QStringLiteral("店员") + args[2]);
        if (args.size() == 5) // on a server, logged in as that clerk
            SetServerLogin(CurrentPerson(), args[4]);
        SetShopLocation(args[1]);
        Shop shop(args[1]);
        SetSessionShop(&shop);
        for (int round = args[3].toInt(); round > 0; --round) {
            // Now and then a member reserves a disc that is out: the returns hold it for him.
            if (below(10) == 0) {
                const ReserveDone done =
                    Reserve(shop, {QStringLiteral("M%1").arg(below(3)),
                                   QStringLiteral("D%1").arg(below(8)), QString()});
                ++outcomes[done.yybh > 0 ? QStringLiteral("reserved")
                                         : QStringLiteral("reservation refused")];
                continue;
            }
            // Now and then a disc on the shelf, or a number no disc has, is
            // scanned into the stocktake both counters share, which one of
            // them sometimes finishes.
            if (below(10) == 0) {
                const Stocktake stocktake = StartStocktake(shop);
                if (below(20) == 0) {
                    ++outcomes[FinishStocktake(shop, stocktake.pdbh)
                                   ? QStringLiteral("finished")
                                   : QStringLiteral("finished by the other")];
                    continue;
                }
                const QString bh = below(4) ? QStringLiteral("D%1").arg(below(8))
                                            : QStringLiteral("X%1").arg(below(3));
                const ScanKind kind = ScanDisc(shop, stocktake.pdbh, bh).kind;
                ++outcomes[kind == ScanKind::Again      ? QStringLiteral("scanned again")
                           : kind == ScanKind::Finished ? QStringLiteral("scanned too late")
                                                        : QStringLiteral("scanned")];
                continue;
            }
            if (below(2) == 0) {
                RentRequest request{QStringLiteral("D%1").arg(below(8)),
                                    below(2) ? QStringLiteral("M%1").arg(below(3)) : QString(),
                                    QStringLiteral("10"), true};
                // Half the time straight to the rental, as if the other
                // counter had come between the check and it.
                RentOutCheck check = below(2) ? CheckRentOut(shop, request) : RentOutCheck::Ok;
                // Half the time the clerk lets a held disc go to the customer at the counter.
                if (check == RentOutCheck::HeldForMember && below(2) == 0) {
                    request.overrideHold = true;
                    check = CheckRentOut(shop, request);
                }
                if (check == RentOutCheck::DiscOut || check == RentOutCheck::InsufficientPrepaid ||
                    check == RentOutCheck::HeldForMember) {
                    ++outcomes[QStringLiteral("refused before")];
                    continue;
                }
                if (check != RentOutCheck::Ok)
                    throw MovrntError(QStringLiteral("check %1").arg(int(check)), "race");
                switch (RentOut(shop, request).refusal) {
                case RentOutCheck::Ok:
                    ++outcomes[QStringLiteral("rented")];
                    break;
                case RentOutCheck::DiscOut:
                    ++outcomes[QStringLiteral("lost the disc")];
                    break;
                case RentOutCheck::InsufficientPrepaid:
                    ++outcomes[QStringLiteral("lost the prepaid rent")];
                    break;
                case RentOutCheck::HeldForMember:
                    ++outcomes[QStringLiteral("held for a member")];
                    break;
                default:
                    throw MovrntError(QStringLiteral("rental refused"), "race");
                }
                continue;
            }
            const QVariantList open =
                FetchRows(shop, QStringLiteral("SELECT zdbh, hybh FROM zjxx WHERE"
                                               " sfyh = '否' ORDER BY zdbh"))
                    .rows.value(0);
            if (open.isEmpty())
                continue;
            const qint64 zdbh = open[0].toLongLong();
            const SettleKind kind =
                open[1].toString() == u"/" ? SettleKind::WalkInCheckout : SettleKind::MemberReturn;
            // A quarter of them damaged, free of charge: the same race, the money unchanged.
            const Settlement settled = below(4) == 0 ? SettleLoss(shop, zdbh, LossKind::Damaged, 0)
                                                     : Settle(shop, kind, zdbh, zdbh);
            if (settled.refusal == SettleRefusal::None)
                ++outcomes[QStringLiteral("settled")];
            else if (settled.refusal == SettleRefusal::AlreadySettled)
                ++outcomes[QStringLiteral("settled by the other")];
            else
                throw MovrntError(QStringLiteral("settle refused %1").arg(int(settled.refusal)),
                                  "race");
        }
    } catch (const MovrntError& error) {
        std::fprintf(stderr, "error: %s\n", qPrintable(error.description()));
        CloseDatabase();
        return 1;
    }
    CloseDatabase();
    for (auto it = outcomes.cbegin(); it != outcomes.cend(); ++it)
        std::printf("%s=%d\n", qPrintable(it.key()), it.value());
    return 0;
}
