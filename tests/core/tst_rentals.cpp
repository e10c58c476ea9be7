#include "support/TestEnv.h"

#include "core/money/Ledger.h"
#include "core/rentals/Rentals.h"
#include "core/rentals/Scanning.h"
#include "core/rentals/Stocktake.h"
#include "core/settings/Settings.h"
#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/Shop.h"

#include <QSqlQuery>
#include <memory>

namespace {

QStringList RentalRow(qint64 zdbh)
{
    return FirstRow(
        QStringLiteral("SELECT bh, czrq, ghrq, yjje, sfyh, hybh FROM zjxx WHERE zdbh = ?"), {zdbh});
}

QStringList MemberFigures(const QString& hybh)
{
    QSqlQuery query =
        RunSql(QStringLiteral("SELECT yjps, hydj, zjje FROM hyxx WHERE hybh = ?"), {hybh});
    query.next();
    return {query.value(0).toString(), query.value(1).toString(),
            QString::number(query.value(2).toDouble())};
}

QString DiscFlag(const QString& bh)
{
    return RunScalar(QStringLiteral("SELECT sfycz FROM ydxx WHERE bh = ?"), {bh}).toString();
}

void RentalAt(qint64 zdbh, const QString& bh, const QString& czrq, const QString& yjje,
              const QString& hybh, const QString& sfyh = QStringLiteral("否"))
{
    RunSql(QStringLiteral("INSERT INTO zjxx VALUES (?, ?, ?, ?, ?, ?, ?)"),
           {zdbh, bh, czrq, sfyh == u"是" ? czrq : QStringLiteral("/"), yjje, sfyh, hybh});
}

} // namespace

class TestRentals : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>();
        home->setSettings({{"VCD", "2"}, {"DVD", "3"}, {"FJZJ", "10"}, {"HYDJ", "3"}});
        OpenDatabase();
    }
    void cleanup() { home.reset(); }

    void scannerOrPerson_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("gap");   // ms between keys
        QTest::addColumn<int>("pause"); // ms before Enter
        QTest::addColumn<QString>("scanned");
        QTest::newRow("scanner") << "V0012" << 4 << 4 << "V0012";
        QTest::newRow("person") << "V0012" << 150 << 150 << "";
        QTest::newRow("too short to be a code") << "V1" << 4 << 4 << "";
        QTest::newRow("burst, then a pause before Enter") << "V0012" << 4 << 400 << "";
    }
    void scannerOrPerson()
    {
        QFETCH(QString, typed);
        QFETCH(int, gap);
        QFETCH(int, pause);
        QFETCH(QString, scanned);
        ScanBurst burst;
        burst.key(u'x', 0); // a key pressed by hand long before
        qint64 at = 1000;
        for (QChar c : typed)
            burst.key(c, at += gap);
        QCOMPARE(burst.enter(at + pause).value_or(QString()), scanned);
        QVERIFY(!burst.enter(at + pause + 1)); // each burst counts once
        InsertDisc("V0012");
        InsertMember("M0012");
        QCOMPARE(FindScanned(TestShop(), "V0012").what, Scanned::Disc);
        QCOMPARE(FindScanned(TestShop(), "M0012").what, Scanned::Member);
        QCOMPARE(FindScanned(TestShop(), "X'1").what, Scanned::Unknown);
        // A disc that is out names its open rental, walk-in or member's.
        for (const QString& hybh : {QStringLiteral("/"), QStringLiteral("M0012")}) {
            RunSql("DELETE FROM zjxx");
            RentalAt(7, "V0012", "2003-11-09", "/", hybh, "是");
            RentalAt(8, "V0012", "2003-11-10", "/", hybh);
            const ScanFound found = FindScanned(TestShop(), "V0012");
            QCOMPARE(found.what, hybh == u"/" ? Scanned::RentedToWalkIn : Scanned::RentedToMember);
            QCOMPARE(found.zdbh, QStringLiteral("8"));
        }
    }

    void rentOutChecksInOrder_data()
    {
        // clang-format off
        QTest::addColumn<QString>("vcdSetting");
        QTest::addColumn<QString>("dvdSetting");
        QTest::addColumn<QString>("bh");
        QTest::addColumn<QString>("hybh");
        QTest::addColumn<QString>("deposit");
        QTest::addColumn<int>("check");
        QTest::newRow("no VCD rent, even for a DVD") << "" << "3" << "D" << "" << "10" << int(RentOutCheck::NoRentSetting);
        QTest::newRow("no DVD rent: a walk-in still rents") << "2" << "" << "D" << "" << "10" << int(RentOutCheck::Ok);
        QTest::newRow("no DVD rent: a member is asked to set it") << "2" << "" << "D" << "M" << "" << int(RentOutCheck::NoRentSetting);
        QTest::newRow("DVD rent not a number") << "2" << "三" << "D" << "M" << "" << int(RentOutCheck::NoRentSetting);
        QTest::newRow("empty disc number") << "2" << "3" << "" << "" << "10" << int(RentOutCheck::EmptyDisc);
        QTest::newRow("unknown disc") << "2" << "3" << "X" << "" << "10" << int(RentOutCheck::UnknownDisc);
        QTest::newRow("out by its open rental") << "2" << "3" << "OUT" << "" << "10" << int(RentOutCheck::DiscOut);
        QTest::newRow("flag says out, no open rental") << "2" << "3" << "FLAG" << "" << "10" << int(RentOutCheck::Ok);
        QTest::newRow("unknown member") << "2" << "3" << "V" << "nobody" << "" << int(RentOutCheck::UnknownMember);
        QTest::newRow("empty deposit") << "2" << "3" << "V" << "" << "" << int(RentOutCheck::BadDeposit);
        QTest::newRow("letters as deposit") << "2" << "3" << "V" << "" << "十元" << int(RentOutCheck::BadDeposit);
        QTest::newRow("deposit checkout could not add up") << "2" << "3" << "V" << "" << "1e20" << int(RentOutCheck::BadDeposit);
        QTest::newRow("deposit in exponent form") << "2" << "3" << "V" << "" << "1e3" << int(RentOutCheck::Ok);
        QTest::newRow("exactly used up") << "2" << "3" << "V" << "POOR" << "" << int(RentOutCheck::InsufficientPrepaid);
        QTest::newRow("member") << "2" << "3" << "V" << "M" << "" << int(RentOutCheck::Ok);
        // clang-format on
    }
    void rentOutChecksInOrder()
    {
        QFETCH(QString, vcdSetting);
        QFETCH(QString, dvdSetting);
        QFETCH(QString, bh);
        QFETCH(QString, hybh);
        QFETCH(QString, deposit);
        QFETCH(int, check);
        SetSetting(Setting::VCD, vcdSetting);
        SetSetting(Setting::DVD, dvdSetting);
        InsertDisc("V", "/", "/", "否", "VCD");
        InsertDisc("D", "/", "/", "否", "DVD");
        InsertDisc("OUT", "/", "/", "否", "VCD");
        InsertDisc("FLAG", "/", "/", "是", "VCD");
        InsertRental("OUT", "/", "2003-11-01", "否", "10");
        InsertRental("FLAG", "/", "2003-11-01", "是", "10");
        InsertMember("M", "张三", "男", 0, 100);
        InsertMember("POOR", "李四", "男", 0, 2);
        QCOMPARE(int(CheckRentOut(TestShop(), {bh, hybh, deposit, true})), check);
    }

    void presetDepositsNeedNoTyping()
    {
        InsertDisc("V", "/", "/", "否", "VCD");
        InsertDisc("D", "/", "/", "否", "DVD");
        SetSetting(Setting::YJJEVCD, QStringLiteral("15"));
        QCOMPARE(int(CheckRentOut(TestShop(), {"V", "", "", false})), int(RentOutCheck::Ok));
        RentOut(TestShop(), {"V", "", "", false});
        RentOut(TestShop(), {"D", "", "", false}); // no DVD preset stored: the dialog's 20
        QCOMPARE(RentalRow(1), QStringList({"V", "2003-11-09", "/", "15", "否", "/"}));
        QCOMPARE(RentalRow(2)[3], QStringLiteral("20"));
        SetSetting(Setting::YJJEVCD, QStringLiteral("十元"));
        InsertDisc("W", "/", "/", "否", "VCD");
        QCOMPARE(int(CheckRentOut(TestShop(), {"W", "", "", false})),
                 int(RentOutCheck::BadDeposit));
    }

    void rowShapes()
    {
        InsertDisc("V", "/", "/", "否", "VCD");
        InsertDisc("W", "/", "/", "否", "VCD");
        InsertMember("M", "张三", "男", 0, 100);
        RentOut(TestShop(), {"V", "", "10.50", true});
        RentOut(TestShop(), {"W", "M", "99", false});
        QCOMPARE(RentalRow(1), QStringList({"V", "2003-11-09", "/", "10.50", "否", "/"}));
        QCOMPARE(RentalRow(2), QStringList({"W", "2003-11-09", "/", "/", "否", "M"}));
        QCOMPARE(DiscFlag("V"), QStringLiteral("是"));
        QCOMPARE(DiscFlag("W"), QStringLiteral("是"));
        QCOMPARE(MemberFigures("M"), QStringList({"1", "0", "98"}));
    }

    void workedExampleOfRentingOut()
    {
        // VCD 2 a day; a level-0 member with 5 yuan and 9 rentals.
        InsertDisc("V1", "/", "/", "否", "VCD");
        InsertDisc("V2", "/", "/", "否", "VCD");
        InsertMember("M", "张三", "男", 0, 5, 50, 9);
        RentOut(TestShop(), {"V1", "M", "", false});
        QCOMPARE(MemberFigures("M"), QStringList({"10", "1", "3"})); // level 1, charged at level 0
        RentOut(TestShop(), {"V2", "M", "", false});
        QCOMPARE(MemberFigures("M"), QStringList({"11", "1", "1.2"})); // 2 x 0.9
    }

    void levelsRise_data()
    {
        // clang-format off
        QTest::addColumn<qint64>("count");
        QTest::addColumn<int>("level");
        QTest::newRow("9th") << qint64(9) << 0;
        QTest::newRow("10th") << qint64(10) << 1;
        QTest::newRow("19th") << qint64(19) << 1;
        QTest::newRow("20th") << qint64(20) << 2;
        QTest::newRow("30th") << qint64(30) << 3;
        QTest::newRow("45th capped") << qint64(45) << 3;
        QTest::newRow("past 32767") << qint64(400000) << 3;
        // clang-format on
    }
    void levelsRise()
    {
        QFETCH(qint64, count);
        QFETCH(int, level);
        QCOMPARE(LevelAfter(count, 10, 3), level);
        QVERIFY_THROWS_EXCEPTION(MovrntError, LevelAfter(count, 0, 3));
    }

    void memberCharges_data()
    {
        // clang-format off
        QTest::addColumn<double>("prepaid");
        QTest::addColumn<double>("dayRent");
        QTest::addColumn<int>("level");
        QTest::addColumn<double>("left");
        QTest::newRow("level 0 pays full rent") << 10.0 << 2.0 << 0 << 8.0;
        QTest::newRow("level 3 pays 70 %") << 10.0 << 2.0 << 3 << 8.6;
        QTest::newRow("rounded to one decimal") << 1.0 << 1.15 << 3 << 0.2;       // 0.195
        QTest::newRow("a tie goes to the even digit") << 1.0 << 0.75 << 0 << 0.2; // 0.25
        QTest::newRow("the other tie") << 1.0 << 0.65 << 0 << 0.4;                // 0.35
        QTest::newRow("no binary drift") << 0.3 << 0.1 << 0 << 0.2;
        // NaN: beyond what can be counted, so no rental is charged at all.
        QTest::newRow("prepaid at the limit") << 1e14 << 1.0 << 0 << qQNaN();
        QTest::newRow("a level far below zero") << 10.0 << 1e14 << INT_MIN << qQNaN();
        // clang-format on
    }
    void memberCharges()
    {
        QFETCH(double, prepaid);
        QFETCH(double, dayRent);
        QFETCH(int, level);
        QFETCH(double, left);
        QCOMPARE(PrepaidAfterRental(MoneyFromDouble(prepaid), MoneyFromDouble(dayRent), level),
                 qIsNaN(left) ? std::nullopt : std::optional(MoneyFromDouble(left)));
    }

    // Another counter came between the check and the rental: the disc went
    // out, or the member's prepaid rent was spent. The rental refuses as the
    // check would have, and writes nothing.
    void rentalAfterAnotherCounterRefuses_data()
    {
        QTest::addColumn<QString>("hybh");
        QTest::addColumn<int>("refusal");
        QTest::newRow("disc rented meanwhile") << "" << int(RentOutCheck::DiscOut);
        QTest::newRow("disc rented meanwhile, to a member") << "M" << int(RentOutCheck::DiscOut);
        QTest::newRow("prepaid rent spent meanwhile")
            << "POOR" << int(RentOutCheck::InsufficientPrepaid);
    }
    void rentalAfterAnotherCounterRefuses()
    {
        QFETCH(QString, hybh);
        QFETCH(int, refusal);
        SetSetting(Setting::VCD, QStringLiteral("2"));
        SetSetting(Setting::DVD, QStringLiteral("3"));
        InsertDisc("V", "/", "/", "否", "VCD");
        InsertMember("M", "张三", "男", 0, 100);
        InsertMember("POOR", "李四", "男", 0, 2);
        if (refusal == int(RentOutCheck::DiscOut))
            InsertRental("V", "/", "2003-11-09", "否", "10");
        const qint64 rentals = Count("SELECT COUNT(*) FROM zjxx");
        QCOMPARE(int(RentOut(TestShop(), {"V", hybh, "10", true}).refusal), refusal);
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), rentals);
        QCOMPARE(MemberFigures("POOR"), QStringList({"0", "0", "2"}));
    }

    void failedRentOutLeavesNothing_data()
    {
        // clang-format off
        QTest::addColumn<QString>("hybh");
        QTest::addColumn<QString>("trigger");
        QTest::newRow("member: last statement") << "M" << "BEFORE UPDATE ON hyxx";
        QTest::newRow("walk-in: last statement") << "" << "BEFORE UPDATE ON ydxx";
        // clang-format on
    }
    void failedRentOutLeavesNothing()
    {
        QFETCH(QString, hybh);
        QFETCH(QString, trigger);
        InsertDisc("V", "/", "/", "否", "VCD");
        InsertMember("M", "张三", "男", 0, 100);
        RefuseWrites("refuse", trigger);
        QVERIFY_THROWS_EXCEPTION(MovrntError, RentOut(TestShop(), {"V", hybh, "10", true}));
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), 0);
        QCOMPARE(DiscFlag("V"), QStringLiteral("否"));
        QCOMPARE(MemberFigures("M"), QStringList({"0", "0", "100"}));
    }

    void rangeChecks_data()
    {
        // clang-format off
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("check");
        QTest::newRow("letters") << "a" << "3" << int(RangeCheck::NotNumeric);
        QTest::newRow("empty") << "" << "" << int(RangeCheck::NotNumeric);
        QTest::newRow("descending") << "5" << "3" << int(RangeCheck::Descending);
        QTest::newRow("descending before negative") << "-1" << "-3" << int(RangeCheck::Descending);
        QTest::newRow("negative") << "-1" << "3" << int(RangeCheck::Negative);
        QTest::newRow("decimal") << "3.5" << "7" << int(RangeCheck::NotWhole);
        QTest::newRow("5.0 to 6") << "5.0" << "6" << int(RangeCheck::Ok);
        QTest::newRow("one record") << "7" << "7" << int(RangeCheck::Ok);
        QTest::newRow("above 32767") << "40000" << "40002" << int(RangeCheck::Ok);
        QTest::newRow("descending before too large") << "1e30" << "5" << int(RangeCheck::Descending);
        QTest::newRow("beyond any rental") << "1e30" << "1e30" << int(RangeCheck::TooLarge);
        // clang-format on
    }
    void rangeChecks()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(int, check);
        QCOMPARE(int(CheckRange(from, to)), check);
    }

    void workedExampleOfCheckout()
    {
        SetTodayForTesting(QDate(2003, 11, 12));
        InsertDisc("V1", "/", "/", "是", "VCD");
        InsertDisc("V2", "/", "/", "是", "VCD");
        InsertDisc("D1", "/", "/", "是", "DVD");
        RentalAt(15, "V1", "2003-11-09", "10", "/");
        RentalAt(16, "V2", "2003-11-09", "10", "/");
        RentalAt(17, "D1", "2003-11-09", "20", "/");
        const Settlement s = Settle(TestShop(), SettleKind::WalkInCheckout, 15, 17);
        QCOMPARE(int(s.refusal), int(SettleRefusal::None));
        QCOMPARE(QList<qint64>({s.vcd, s.dvd, s.days}), QList<qint64>({2, 1, 3}));
        QCOMPARE(MoneyText(s.rentDue), QStringLiteral("21"));
        QCOMPARE(MoneyText(s.deposit), QStringLiteral("40"));
        // Returned today, each deposit kept as it was paid.
        for (const auto& [zdbh, deposit] :
             {std::pair{15, "10"}, std::pair{16, "10"}, std::pair{17, "20"}})
            QCOMPARE(RentalRow(zdbh).mid(2, 3), QStringList({"2003-11-12", deposit, "是"}));
        QCOMPARE(Count("SELECT COUNT(*) FROM ydxx WHERE sfycz = '否'"), 3);
        // Settled once only.
        QCOMPARE(int(Settle(TestShop(), SettleKind::WalkInCheckout, 15, 17).refusal),
                 int(SettleRefusal::AlreadySettled));
    }

    void settlementRefusalsInOrder_data()
    {
        // clang-format off
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("rows"); // czrq|sfyh|hybh per record 1..n
        QTest::addColumn<int>("refusal");
        const int walkIn = int(SettleKind::WalkInCheckout), member = int(SettleKind::MemberReturn);
        QTest::newRow("different days first") << walkIn << QStringList{"2003-11-01|是|M", "2003-11-02|否|/"} << int(SettleRefusal::DifferentDays);
        QTest::newRow("a settled record before the customer kind") << walkIn << QStringList{"2003-11-01|是|M", "2003-11-01|否|/"} << int(SettleRefusal::AlreadySettled);
        QTest::newRow("a member among walk-ins") << walkIn << QStringList{"2003-11-01|否|/", "2003-11-01|否|M"} << int(SettleRefusal::WrongCustomerKind);
        QTest::newRow("a walk-in among members") << member << QStringList{"2003-11-01|否|M", "2003-11-01|否|/"} << int(SettleRefusal::WrongCustomerKind);
        QTest::newRow("rented after today: the clock moved back") << walkIn << QStringList{"2003-11-10|否|/"} << int(SettleRefusal::ClockBeforeRental);
        QTest::newRow("a member's return too") << member << QStringList{"2003-12-01|否|M"} << int(SettleRefusal::ClockBeforeRental);
        QTest::newRow("two members together") << member << QStringList{"2003-11-01|否|M", "2003-11-01|否|N"} << int(SettleRefusal::None);
        // clang-format on
    }
    void settlementRefusalsInOrder()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, rows);
        QFETCH(int, refusal);
        qint64 zdbh = 0;
        for (const QString& row : rows) {
            const QStringList v = row.split(u'|');
            InsertDisc(QStringLiteral("B%1").arg(++zdbh), "/", "/", "是");
            RentalAt(zdbh, QStringLiteral("B%1").arg(zdbh), v[0], v[2] == u"/" ? "10" : "/", v[2],
                     v[1]);
        }
        const QString before = RentalRow(1).join(u',') + RentalRow(2).join(u',');
        QCOMPARE(int(Settle(TestShop(), SettleKind(kind), 1, zdbh).refusal), refusal);
        if (refusal != int(SettleRefusal::None))
            QCOMPARE(RentalRow(1).join(u',') + RentalRow(2).join(u','), before);
    }

    void rangesWithGapsAndLargeNumbers()
    {
        for (const QString bh : {"A", "B", "C"})
            InsertDisc(bh, "/", "/", "是", "DVD");
        RentalAt(40000, "A", "2003-11-09", "5", "/");
        RentalAt(40002, "C", "2003-11-09", "5", "/");
        const Settlement s = Settle(TestShop(), SettleKind::WalkInCheckout, 40000, 40002);
        QCOMPARE(s.dvd, 2);
        QCOMPARE(s.days, 1); // returned the same day
        QCOMPARE(MoneyText(s.rentDue), QStringLiteral("6"));
        QCOMPARE(MoneyText(s.deposit), QStringLiteral("10"));
        QVERIFY_THROWS_EXCEPTION(MovrntError, Settle(TestShop(), SettleKind::WalkInCheckout, 50000,
                                                     50010)); // nothing there
    }

    // Nothing is charged at a member's return but a late fee, when one is set:
    // a day's fee for each disc and day beyond the alert days, from the
    // member's prepaid rent, below zero if need be, each with its line.
    void memberReturnLateFee_data()
    {
        // clang-format off
        QTest::addColumn<QString>("perDay");
        QTest::addColumn<QString>("alertDays");
        QTest::addColumn<QString>("czrq");
        QTest::addColumn<int>("discs");
        QTest::addColumn<qint64>("lateDays");
        QTest::addColumn<QString>("prepaidAfter"); // from 7.5
        QTest::newRow("no fee set: ten days cost nothing") << "0" << "7" << "2003-10-30" << 1 << qint64(0) << "7.5";
        QTest::newRow("fee not a number") << "一元" << "7" << "2003-10-30" << 1 << qint64(0) << "7.5";
        QTest::newRow("alert days not a number") << "1" << "七" << "2003-10-30" << 1 << qint64(0) << "7.5";
        QTest::newRow("on the alert day") << "1" << "7" << "2003-11-02" << 1 << qint64(0) << "7.5";
        QTest::newRow("three days late") << "1" << "7" << "2003-10-30" << 1 << qint64(3) << "4.5";
        QTest::newRow("in jiao, two discs") << "0.5" << "7" << "2003-10-30" << 2 << qint64(3) << "4.5";
        QTest::newRow("below zero") << "2" << "5" << "2003-10-30" << 1 << qint64(5) << "-2.5";
        // clang-format on
    }
    void memberReturnLateFee()
    {
        QFETCH(QString, perDay);
        QFETCH(QString, alertDays);
        QFETCH(QString, czrq);
        QFETCH(int, discs);
        QFETCH(qint64, lateDays);
        QFETCH(QString, prepaidAfter);
        home->setSettings({{"LateFee", perDay}, {"Alertdays", alertDays}});
        InsertMember("M", "张三", "男", 1, 7.5, 50, 12);
        for (int i = 1; i <= discs; ++i) {
            InsertDisc(QStringLiteral("V%1").arg(i), "/", "/", "是", "VCD");
            RentalAt(i, QStringLiteral("V%1").arg(i), czrq, "/", "M");
        }
        const Settlement preview =
            PreviewSettlement(TestShop(), SettleKind::MemberReturn, 1, discs);
        QCOMPARE(preview.lateDays, lateDays);
        // A fee other than the one the member was told settles nothing.
        QCOMPARE(int(Settle(TestShop(), SettleKind::MemberReturn, 1, discs, preview.lateFee + 1)
                         .refusal),
                 int(SettleRefusal::LateFeeChanged));
        QCOMPARE(RentalRow(1)[4], QStringLiteral("否"));
        const Settlement s =
            Settle(TestShop(), SettleKind::MemberReturn, 1, discs, preview.lateFee);
        QCOMPARE(s.lateFee, preview.lateFee);
        QCOMPARE(s.rentDue, 0);
        QCOMPARE(MemberFigures("M"), QStringList({"12", "1", prepaidAfter}));
        QCOMPARE(DiscFlag("V1"), QStringLiteral("否"));
        QCOMPARE(Count("SELECT COUNT(*) FROM zwls WHERE ywlx = '超期罚金' AND hybh = 'M'"),
                 s.lateFee > 0 ? discs : 0);
        QCOMPARE(TakingsBetween(TestShop(), "2003-11-09", "2003-11-09").lateFees, s.lateFee);
        QCOMPARE(TakingsBetween(TestShop(), "2003-11-09", "2003-11-09").cash, 0);
        QCOMPARE(LedgerCheck(TestShop().path()), QString());
    }

    void lostOrDamaged_data()
    {
        // clang-format off
        QTest::addColumn<QString>("hybh");
        QTest::addColumn<QString>("deposit");    // a walk-in's
        QTest::addColumn<double>("prepaid");     // a member's
        QTest::addColumn<QString>("czrq");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("charge");     // yuan; empty: the price set for a VCD (30)
        QTest::addColumn<QString>("lines");      // the ledger's, in order
        QTest::addColumn<QString>("due");        // what the walk-in pays (his change when below zero)
        QTest::addColumn<QString>("prepaidAfter");
        QTest::newRow("walk-in, deposit covers it") << "/" << "50" << 0.0 << "2003-11-06" << int(LossKind::Lost) << "" << "散客租金 60000 赔偿 300000 退还押金 -500000" << "-140000" << "";
        QTest::newRow("walk-in pays the rest") << "/" << "10" << 0.0 << "2003-11-06" << int(LossKind::Damaged) << "12.5" << "散客租金 60000 赔偿 125000 退还押金 -100000" << "85000" << "";
        QTest::newRow("walk-in, charge waived") << "/" << "10" << 0.0 << "2003-11-09" << int(LossKind::Damaged) << "0" << "散客租金 20000 赔偿 0 退还押金 -100000" << "-80000" << "";
        QTest::newRow("member with enough") << "M" << "/" << 40.0 << "2003-11-06" << int(LossKind::Lost) << "" << "会员赔偿 300000" << "" << "10";
        QTest::newRow("member goes below zero") << "M" << "/" << 5.0 << "2003-11-06" << int(LossKind::Damaged) << "" << "会员赔偿 300000" << "" << "-25";
        QTest::newRow("member late, with the late fee") << "M" << "/" << 40.0 << "2003-10-30" << int(LossKind::Lost) << "" << "会员赔偿 300000 超期罚金 30000" << "" << "7";
        // clang-format on
    }
    void lostOrDamaged()
    {
        QFETCH(QString, hybh);
        QFETCH(QString, deposit);
        QFETCH(double, prepaid);
        QFETCH(QString, czrq);
        QFETCH(int, kind);
        QFETCH(QString, charge);
        QFETCH(QString, lines);
        QFETCH(QString, due);
        QFETCH(QString, prepaidAfter);
        home->setSettings({{"LateFee", "1"}, {"Alertdays", "7"}});
        InsertMember("M", "张三", "男", 0, prepaid, 50, 1);
        InsertDisc("V", "/", "/", "是", "VCD");
        InsertDisc("W", "/", "/", "否", "VCD");
        RentalAt(4, "V", czrq, deposit, hybh);
        const std::optional<LossCase> found = FindLossCase(TestShop(), 4);
        QVERIFY(found && found->open && found->bh == u"V");
        QCOMPARE(found->hyxm, hybh == u"M" ? QStringLiteral("张三") : QString());
        QCOMPARE(found->price, 30 * kYuan);
        const Money amount = charge.isEmpty() ? found->price : *ParseMoney(charge);
        const Settlement preview = PreviewLoss(TestShop(), 4, amount);
        const auto loss = LossKind(kind);
        // A late fee other than the one shown settles nothing.
        QCOMPARE(int(SettleLoss(TestShop(), 4, loss, amount, preview.lateFee + 1).refusal),
                 int(SettleRefusal::LateFeeChanged));
        QCOMPARE(Count("SELECT COUNT(*) FROM ssjl"), 0);
        const Settlement s = SettleLoss(TestShop(), 4, loss, amount, preview.lateFee);
        QCOMPARE(s.refusal, SettleRefusal::None);
        QCOMPARE(s.charge, amount);
        if (!due.isEmpty())
            QCOMPARE(WalkInLossDue(s), due.toLongLong());
        QStringList written;
        QSqlQuery query = RunSql("SELECT ywlx, je FROM zwls WHERE zdbh = 4 ORDER BY lsh");
        while (query.next())
            written << query.value(0).toString() << query.value(1).toString();
        QCOMPARE(written.join(u' '), lines);
        if (!prepaidAfter.isEmpty())
            QCOMPARE(MemberFigures("M")[2], prepaidAfter);
        const Takings today = TakingsBetween(TestShop(), "2003-11-09", "2003-11-09");
        QCOMPARE(hybh == u"/" ? today.compensation : today.memberCompensation, amount);
        QCOMPARE(today.cash, hybh == u"/" ? WalkInLossDue(s) : 0);
        QCOMPARE(LedgerCheck(TestShop().path()), QString());
        // Settled today, the disc back on the books, the case recorded; nothing deleted.
        QCOMPARE(RentalRow(4)[2], QStringLiteral("2003-11-09"));
        QCOMPARE(RentalRow(4)[4], QStringLiteral("是"));
        QCOMPARE(DiscFlag("V"), QStringLiteral("否"));
        QCOMPARE(
            FirstRow("SELECT bh, sslx, rq, zdbh, pcje FROM ssjl"),
            QStringList({"V", LossKindName(loss), "2003-11-09", "4", QString::number(amount)}));
        QCOMPARE(int(SettleLoss(TestShop(), 4, loss, amount).refusal),
                 int(SettleRefusal::AlreadySettled));
        // Only a lost disc is refused, by the program and by the database;
        // a member below zero is refused his next rental until he tops up.
        const RentOutCheck lostCheck =
            loss == LossKind::Lost ? RentOutCheck::LostDisc : RentOutCheck::Ok;
        QCOMPARE(int(CheckRentOut(TestShop(), {"V", "", "10", true})), int(lostCheck));
        QCOMPARE(int(RentOut(TestShop(), {"V", "", "10", true}).refusal), int(lostCheck));
        if (loss == LossKind::Lost)
            QVERIFY_THROWS_EXCEPTION(MovrntError, RentalAt(9, "V", "2003-11-09", "10", "/"));
        if (prepaidAfter.startsWith(u'-'))
            QCOMPARE(int(CheckRentOut(TestShop(), {"W", "M", "", true})),
                     int(RentOutCheck::InsufficientPrepaid));
    }
    void lossRefusals()
    {
        InsertDisc("V", "/", "/", "是", "VCD");
        RentalAt(4, "V", "2003-11-06", "/", "GONE");
        QVERIFY(!FindLossCase(TestShop(), 5));
        QVERIFY_THROWS_EXCEPTION(MovrntError, SettleLoss(TestShop(), 5, LossKind::Lost, 0));
        QVERIFY_THROWS_EXCEPTION(MovrntError, SettleLoss(TestShop(), 4, LossKind::Lost, -1));
        // A member deleted since has no prepaid rent to take it from.
        QVERIFY_THROWS_EXCEPTION(MovrntError, SettleLoss(TestShop(), 4, LossKind::Lost, 0));
        QCOMPARE(RentalRow(4)[4], QStringLiteral("否"));
        QCOMPARE(Count("SELECT COUNT(*) FROM ssjl"), 0);
    }

    void reservationChecksInOrder_data()
    {
        // clang-format off
        QTest::addColumn<QString>("hybh");
        QTest::addColumn<QString>("bh");
        QTest::addColumn<QString>("pm");
        QTest::addColumn<int>("check");
        QTest::newRow("unknown member") << "X" << "OUT" << "" << int(ReserveCheck::UnknownMember);
        QTest::newRow("nothing named") << "M" << "" << "" << int(ReserveCheck::NothingNamed);
        QTest::newRow("unknown disc") << "M" << "X" << "" << int(ReserveCheck::UnknownDisc);
        QTest::newRow("unknown title") << "M" << "" << "没有" << int(ReserveCheck::UnknownTitle);
        QTest::newRow("lost disc") << "M" << "LOST" << "" << int(ReserveCheck::LostDisc);
        QTest::newRow("disc in the shop") << "M" << "IN" << "" << int(ReserveCheck::InShop);
        QTest::newRow("a copy of the title in") << "M" << "" << "有" << int(ReserveCheck::InShop);
        QTest::newRow("reserved already") << "N" << "OUT" << "" << int(ReserveCheck::AlreadyReserved);
        QTest::newRow("the title reserved already") << "N" << "" << "全出" << int(ReserveCheck::AlreadyReserved);
        QTest::newRow("disc out") << "M" << "OUT" << "" << int(ReserveCheck::Ok);
        QTest::newRow("every copy out or lost") << "M" << "" << "全出" << int(ReserveCheck::Ok);
        QTest::newRow("held for another") << "M" << "HELD" << "" << int(ReserveCheck::Ok);
        // clang-format on
    }
    void reservationChecksInOrder()
    {
        QFETCH(QString, hybh);
        QFETCH(QString, bh);
        QFETCH(QString, pm);
        QFETCH(int, check);
        InsertMember("M");
        InsertMember("N");
        for (const char* disc : {"OUT", "LOST", "IN", "HELD"})
            InsertDisc(disc, "/", "/", "否", "VCD", "全出");
        RunSql("UPDATE ydxx SET pm = '有' WHERE bh = 'IN'");
        InsertRental("OUT", "/", "2003-11-01", "否", "10");
        InsertRental("HELD", "/", "2003-11-01", "否", "10");
        RunSql("INSERT INTO ssjl (bh, sslx, rq, zdbh, pcje) VALUES ('LOST', '丢失', '2003-11-01',"
               " 99, 0)");
        QVERIFY(Reserve(TestShop(), {"N", "OUT", ""}).yybh > 0);
        QVERIFY(Reserve(TestShop(), {"N", "", "全出"}).yybh > 0);
        // HELD comes back held for N.
        QVERIFY(Reserve(TestShop(), {"N", "HELD", ""}).yybh > 0);
        QCOMPARE(Settle(TestShop(), SettleKind::WalkInCheckout, 2, 2).holds.size(), 1);
        const ReserveDone done = Reserve(TestShop(), {hybh, bh, pm});
        QCOMPARE(int(done.refusal), check);
        QCOMPARE(done.yybh > 0, check == int(ReserveCheck::Ok));
    }

    // One member's reservation as it goes: waiting, held when a copy comes
    // back, then fulfilled, lapsed, given up by the clerk or cancelled.
    void reservationLife_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QString>("state");
        for (const char* ending : {"fulfilled", "lapsed", "rented to another", "cancelled"})
            QTest::newRow(ending) << ending
                                  << (ending == QByteArray("fulfilled")           ? "完成"
                                      : ending == QByteArray("lapsed")            ? "过期"
                                      : ending == QByteArray("rented to another") ? "等待"
                                                                                  : "取消");
    }
    void reservationLife()
    {
        QFETCH(QString, ending);
        QFETCH(QString, state);
        InsertMember("M", "张三", "男", 0, 100, 50);
        InsertMember("N", "李四", "女", 0, 100, 50);
        RunSql("UPDATE hyxx SET lxdh = '13800000000' WHERE hybh = 'M'");
        InsertDisc("A", "/", "/", "是", "VCD", "英雄");
        InsertDisc("B", "/", "/", "是", "VCD", "英雄");
        InsertRental("A", "/", "2003-11-05", "否", "10");
        InsertRental("B", "N", "2003-11-05", "否");
        // M wants any copy, N this very one: the first copy back is M's.
        const qint64 mine = Reserve(TestShop(), {"M", "", "英雄"}).yybh;
        QVERIFY(mine > 0);
        QVERIFY(Reserve(TestShop(), {"N", "A", ""}).yybh > mine);
        const Settlement back = Settle(TestShop(), SettleKind::WalkInCheckout, 1, 1);
        QCOMPARE(back.holds.size(), 1);
        QCOMPARE(HoldNotice(back.holds[0]),
                 QStringLiteral(
                     "影碟 A：此影碟已被会员 张三（M，电话 13800000000）预约，请为该会员保留。"));
        QCOMPARE(FirstRow("SELECT zt, blbh, blrq FROM yyxx WHERE yybh = ?", {mine}),
                 QStringList({"已到", "A", "2003-11-09"}));
        // Nobody else rents it without the clerk's say; M rents it as any disc.
        QCOMPARE(int(CheckRentOut(TestShop(), {"A", "", "10", true})),
                 int(RentOutCheck::HeldForMember));
        QCOMPARE(int(CheckRentOut(TestShop(), {"A", "N", "", true})),
                 int(RentOutCheck::HeldForMember));
        QCOMPARE(int(RentOut(TestShop(), {"A", "N", "", true}).refusal),
                 int(RentOutCheck::HeldForMember));
        QCOMPARE(int(CheckRentOut(TestShop(), {"A", "M", "", true})), int(RentOutCheck::Ok));
        qint64 zdbh = 0;
        if (ending == u"fulfilled") {
            zdbh = RentOut(TestShop(), {"A", "M", "", true}).zdbh;
        } else if (ending == u"lapsed") {
            SetTodayForTesting(QDate(2003, 11, 12)); // three days held: 9, 10 and 11
            QCOMPARE(int(CheckRentOut(TestShop(), {"A", "N", "", true})), int(RentOutCheck::Ok));
            RentOut(TestShop(), {"A", "N", "", true});
        } else if (ending == u"rented to another") {
            QVERIFY(RentOut(TestShop(), {"A", "", "10", true, true}).zdbh > 0);
        } else {
            QVERIFY(CancelReservation(TestShop(), mine));
            QVERIFY(!CancelReservation(TestShop(), mine));
            QCOMPARE(int(CheckRentOut(TestShop(), {"A", "N", "", true})), int(RentOutCheck::Ok));
        }
        QCOMPARE(FirstRow("SELECT zt, blbh, zdbh FROM yyxx WHERE yybh = ?", {mine}),
                 QStringList({state, "", QString::number(zdbh)}));
        // N's own reservation of A is still waiting (fulfilled by his rental when he took A).
        QCOMPARE(RunScalar("SELECT zt FROM yyxx WHERE hybh = 'N'").toString(),
                 ending == u"lapsed" ? QStringLiteral("完成") : QStringLiteral("等待"));
        // B back: held for whoever still waits for it or its title.
        const Settlement second = Settle(TestShop(), SettleKind::MemberReturn, 2, 2);
        QCOMPARE(second.holds.size(), state == u"等待" ? 1 : 0);
    }

    void stocktake()
    {
        // What each number is, whether a counter scans it, what the scan says
        // and the list it ends in.
        struct Case
        {
            const char* bh;
            const char* state;
            const char* scannedAt; // "", "here" or "there"
            ScanKind scan;
            const char* list;
        };
        const QList<Case> cases = {
            {"IN", "in", "here", ScanKind::InShop, ""},
            {"THERE", "in", "there", ScanKind::InShop, ""},
            {"GONE1", "in", "", ScanKind::InShop, "缺失"},
            {"GONE2", "in", "", ScanKind::InShop, "缺失"},
            {"MEMBERS", "out member", "there", ScanKind::Out, "已租出"},
            {"NOTKEYED", "out walk-in", "here", ScanKind::Out, "已租出"},
            {"AWAY", "out walk-in", "", ScanKind::InShop, ""},
            {"LOSTAWAY", "lost", "", ScanKind::InShop, "已登记丢失"},
            {"LOSTFOUND", "lost", "here", ScanKind::InShop, "已登记丢失，在架上找到"},
            {"XYZ", "none", "there", ScanKind::NoDisc, "无此影碟"},
        };
        InsertMember("M", "张三", "男", 0, 100, 50);
        QHash<QString, qint64> rentals;
        for (const Case& c : cases) {
            const QByteArray state = c.state;
            if (state == "none")
                continue;
            InsertDisc(c.bh, "/", "/", state == "in" ? "否" : "是", "VCD", c.bh);
            if (state != "in")
                rentals.insert(c.bh, InsertRental(c.bh, state == "out member" ? "M" : "/",
                                                  "2003-11-05", "否", "10"));
            if (state == "lost")
                SettleLoss(TestShop(), rentals[c.bh], LossKind::Lost, 0);
        }
        QVERIFY(!LatestStocktake(TestShop()));
        // Two counters begin at once: one stocktake, both scan into it.
        Shop there(TestShop().path());
        const Stocktake mine = StartStocktake(TestShop());
        QCOMPARE(StartStocktake(there).pdbh, mine.pdbh);
        QVERIFY(mine.open());
        for (const Case& c : cases) {
            if (!*c.scannedAt)
                continue;
            Shop& counter = QByteArray(c.scannedAt) == "here" ? TestShop() : there;
            const ScanResult scan = ScanDisc(counter, mine.pdbh, c.bh);
            QCOMPARE(int(scan.kind), int(c.scan));
            QCOMPARE(scan.zdbh, c.scan == ScanKind::Out ? rentals[c.bh] : 0);
            QCOMPARE(scan.lost, QByteArray(c.bh) == "LOSTFOUND");
            // Scanned again, at either counter: counted once.
            QCOMPARE(int(ScanDisc(there, mine.pdbh, c.bh).kind), int(ScanKind::Again));
        }
        const auto line = [](const QVariantList& row) {
            return row[0].toString() + u' ' + row[1].toString() + u' ' +
                   (row[4].isNull() ? QString() : row[4].toString());
        };
        const auto lists = [&](const Stocktake& stocktake) {
            QStringList found;
            for (StocktakeList list : kStocktakeLists) {
                const StocktakeQuery query = StocktakeListQuery(stocktake, list);
                for (const QVariantList& row :
                     FetchRows(
                         QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4")
                             .arg(query.columns, query.tables, query.conditions.where(), query.key),
                         query.conditions.values())
                         .rows)
                    found << line(row);
            }
            return found;
        };
        // The lists in their order; a row names the rental it is about.
        QStringList expected;
        for (const char* list :
             {"缺失", "已租出", "无此影碟", "已登记丢失", "已登记丢失，在架上找到"})
            for (const Case& c : cases)
                if (QByteArray(c.list) == list)
                    expected << QStringLiteral("%1 %2 %3")
                                    .arg(c.list, c.bh,
                                         rentals.contains(c.bh) ? QString::number(rentals[c.bh])
                                                                : QString());
        QCOMPARE(lists(mine), expected);
        const StocktakeCounts counts = CountStocktake(TestShop(), mine);
        QCOMPARE(
            QList<qint64>({counts.scanned, counts.missing, counts.out, counts.noDisc, counts.lost}),
            QList<qint64>({6, 2, 2, 1, 2}));
        // The return not keyed, settled from the list, stays on it as settled.
        Settle(TestShop(), SettleKind::WalkInCheckout, rentals["NOTKEYED"], rentals["NOTKEYED"]);
        expected.replaceInStrings(QStringLiteral("已租出 NOTKEYED"),
                                  QStringLiteral("已租出（已结帐） NOTKEYED"));
        QCOMPARE(lists(mine), expected);

        // Finished: the missing are written down; nothing changes it later.
        QVERIFY(FinishStocktake(there, mine.pdbh));
        QVERIFY(!FinishStocktake(TestShop(), mine.pdbh));
        QCOMPARE(int(ScanDisc(TestShop(), mine.pdbh, "GONE1").kind), int(ScanKind::Finished));
        const Stocktake done = *LatestStocktake(TestShop());
        QVERIFY(!done.open());
        RentOut(TestShop(), {"GONE1", "", "10", true});
        QCOMPARE(lists(done), expected);
        QVariantList values;
        QStringList printed;
        for (const QVariantList& row : FetchRows(StocktakeResultSql(done, &values), values).rows)
            printed << line(row);
        QCOMPARE(printed, expected);

        // The database keeps one stocktake open at a time and a scan's result whole.
        const Stocktake next = StartStocktake(TestShop());
        QVERIFY(next.pdbh > mine.pdbh);
        QVERIFY_THROWS_EXCEPTION(
            MovrntError,
            RunSql("INSERT INTO pdxx (ksrq, zt) VALUES ('2003-11-09 10:00:00', '进行中')"));
        QVERIFY_THROWS_EXCEPTION(
            MovrntError,
            RunSql("INSERT INTO pdsm (pdbh, bh, jg) VALUES (?, 'IN', '已租出')", {next.pdbh}));
        QVERIFY_THROWS_EXCEPTION(
            MovrntError,
            RunSql("INSERT INTO pdxx (ksrq, zt) VALUES ('2003-11-09 10:00:00', '完成')"));
    }

    void daysCharged_data()
    {
        // clang-format off
        QTest::addColumn<QString>("czrq");
        QTest::addColumn<qint64>("days");
        QTest::newRow("same day") << "2003-11-09" << qint64(1);
        QTest::newRow("three days") << "2003-11-06" << qint64(3);
        QTest::newRow("over a month end") << "2003-10-28" << qint64(12);
        QTest::newRow("a future date") << "2003-11-20" << qint64(1);
        // clang-format on
    }
    void daysCharged()
    {
        QFETCH(QString, czrq);
        QFETCH(qint64, days);
        QCOMPARE(DaysCharged(czrq), days);
    }

    void failedSettlementLeavesNothing_data()
    {
        // clang-format off
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("hybh");
        QTest::newRow("checkout") << int(SettleKind::WalkInCheckout) << "/";
        QTest::newRow("return") << int(SettleKind::MemberReturn) << "M";
        // clang-format on
    }
    void failedSettlementLeavesNothing()
    {
        QFETCH(int, kind);
        QFETCH(QString, hybh);
        InsertDisc("V", "/", "/", "是", "VCD");
        RentalAt(1, "V", "2003-11-09", hybh == u"/" ? "10" : "/", hybh);
        RefuseWrites("refuse", "BEFORE UPDATE ON ydxx");
        QVERIFY_THROWS_EXCEPTION(MovrntError, Settle(TestShop(), SettleKind(kind), 1, 1));
        QCOMPARE(RentalRow(1)[4], QStringLiteral("否"));
        QCOMPARE(RentalRow(1)[2], QStringLiteral("/"));
    }

    void checkoutNeedsItsSettings()
    {
        for (const char* bh : {"D", "D2", "D4"})
            InsertDisc(bh, "/", "/", "是", "DVD");
        RentalAt(1, "D", "2003-11-09", "10", "/");
        RentalAt(2, "D2", "2003-11-09", "十元", "/");
        SetSetting(Setting::DVD, QString());
        QVERIFY_THROWS_EXCEPTION(MovrntError, Settle(TestShop(), SettleKind::WalkInCheckout, 1, 1));
        SetSetting(Setting::DVD, QStringLiteral("3"));
        QVERIFY_THROWS_EXCEPTION(MovrntError, Settle(TestShop(), SettleKind::WalkInCheckout, 1,
                                                     2)); // a deposit that is no number
        RentalAt(3, "GONE", "2003-11-09", "10", "/");
        QVERIFY_THROWS_EXCEPTION(MovrntError, Settle(TestShop(), SettleKind::WalkInCheckout, 3,
                                                     3)); // a disc no longer in the catalogue
        SetSetting(Setting::DVD, QStringLiteral("1e14")); // a rent whose total passes 64 bits
        RentalAt(4, "D4", "2003-10-01", "10", "/");
        QVERIFY_THROWS_EXCEPTION(MovrntError, Settle(TestShop(), SettleKind::WalkInCheckout, 4, 4));
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx WHERE sfyh = '是'"), 0);
    }

    void deletingRentals()
    {
        InsertRental("A", "/", "2003-11-01", "是", "10");
        InsertRental("B", "M", "2003-11-01", "是");
        InsertRental("C", "M", "2003-11-02", "否");
        QVERIFY(AnyUnsettledRental(TestShop(), {}));
        QVERIFY(AnyUnsettledRental(TestShop(), {.sfyh = "否"}));
        QVERIFY(!AnyUnsettledRental(TestShop(), {.sfyh = "是"}));
        QVERIFY(!AnyUnsettledRental(TestShop(), {.zdbh = "2"}));
        QCOMPARE(DeleteRentals(TestShop(), {.zdbh = "2"}), 1);
        QCOMPARE(DeleteRentals(TestShop(), {.czrq = "2003-12-01"}), 0);
        QCOMPARE(DeleteRentals(TestShop(), {.ghrq = "2003-11-01"}), 1);
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), 1);

        // A long deletion tells how far it is; stopped, it deletes nothing.
        RunSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1200)"
               " INSERT INTO zjxx (bh, czrq, ghrq, yjje, sfyh, hybh) SELECT 'B' || i,"
               " '2003-11-01', '2003-11-03', '10', '是', '/' FROM n");
        using Heard = QList<std::pair<qint64, qint64>>;
        Heard heard;
        const auto listen = [&heard](int stopAfter) {
            return [&heard, stopAfter](qint64 done, qint64 total) {
                heard.append({done, total});
                return heard.size() < stopAfter;
            };
        };
        QVERIFY_THROWS_EXCEPTION(WorkCancelled,
                                 DeleteRentals(TestShop(), {.sfyh = "是"}, listen(2)));
        QCOMPARE(heard, (Heard{{500, 1200}, {1000, 1200}}));
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), 1201);
        QCOMPARE(Count("SELECT SUM(sl) FROM jlsl WHERE bm = 'zjxx' AND zd = 'sfyh'"),
                 1201); // the totals rolled back too
        heard.clear();
        QCOMPARE(DeleteRentals(TestShop(), {.sfyh = "是"}, listen(99)), 1200);
        QCOMPARE(heard, (Heard{{500, 1200}, {1000, 1200}, {1200, 1200}}));
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), 1);
    }

    void overdue_data()
    {
        // clang-format off
        QTest::addColumn<QString>("alertDays");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("3 days") << "3" << QStringList{"OLD", "SLASH", "THREE"};
        QTest::newRow("0 days: today's too") << "0" << QStringList{"OLD", "SLASH", "THREE", "TWO", "SHORT", "TODAY"};
        QTest::newRow("not a number") << "三" << QStringList{};
        // clang-format on
    }
    void overdue()
    {
        QFETCH(QString, alertDays);
        QFETCH(QStringList, listed);
        SetSetting(Setting::Alertdays, alertDays);
        InsertMember("M", "张三");
        InsertRental("TWO", "M", "2003-11-07");
        InsertRental("THREE", "M", "2003-11-06");
        InsertRental("TODAY", "M", "2003-11-09");
        InsertRental("OLD", "M", "2003-10-01");
        InsertRental("BACK", "M", "2003-10-01", "是");
        InsertRental("WALKIN", "/", "2003-10-01", "否", "10");
        InsertRental("GONE", "deleted member", "2003-10-01");
        // Dates in other shapes, as a spreadsheet or a typed statement leaves them.
        InsertRental("SLASH", "M", "2003/11/1");
        InsertRental("SHORT", "M", "2003-11-8");
        QCOMPARE(NormaliseOpenRentalDates(TestShop()), 2);
        const std::optional<qint64> days = AlertDays();
        QCOMPARE(days.has_value(), !listed.isEmpty());
        if (!days)
            return;
        const Conditions conditions = OverdueConditions(*days);
        QSqlQuery query =
            RunSql(QStringLiteral("SELECT b.bh FROM ") + kOverdueTables + conditions.where() +
                       QStringLiteral(" ORDER BY b.czrq, b.zdbh"),
                   conditions.values());
        QStringList found;
        while (query.next())
            found << query.value(0).toString();
        QCOMPARE(found, listed);
        QVERIFY(AnyOverdueRental(TestShop(), *days));
        if (!OnTestServer())
            QVERIFY2(PlansOf([&days] {
                         AnyOverdueRental(TestShop(), *days);
                     }).contains(QStringLiteral("zjxx_open")),
                     "the overdue check reads only open rentals");
    }

    void lookupsUseIndexes()
    {
        if (OnTestServer())
            QSKIP("the plans are the embedded engine's; the server's are in the benchmark");
        InsertDisc("x", "/", "/");
        const QString open = PlansOf([] { CheckRentOut(TestShop(), {.bh = "x"}); });
        QVERIFY2(open.contains(QStringLiteral("bh=?)")), qPrintable(open));
        const QString range = PlansOf([] { RangeMembers(TestShop(), 1, 5); });
        QVERIFY2(range.contains(QStringLiteral("INTEGER PRIMARY KEY")), qPrintable(range));
    }
};

MOVRNT_TEST_MAIN(TestRentals)
#include "tst_rentals.moc"
