#include "support/TestEnv.h"

#include "core/settings/Parameters.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"

#include <memory>

class TestParameters : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>();
        QVERIFY(CreateSettingsKey());
    }
    void cleanup()
    {
        CloseDatabase();
        home.reset();
    }

    void steppers_data()
    {
        // clang-format off
        QTest::addColumn<int>("setting");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QString>("after");
        QTest::newRow("interval up") << int(Setting::AutoBackupTime) << "10" << true << "20";
        QTest::newRow("interval at its top") << int(Setting::AutoBackupTime) << "30" << true << "30";
        QTest::newRow("interval at its bottom") << int(Setting::AutoBackupTime) << "10" << false << "10";
        QTest::newRow("DVD deposit at ￥0") << int(Setting::YJJEDVD) << "￥0" << false << "￥0";
        QTest::newRow("DVD deposit at ￥50") << int(Setting::YJJEDVD) << "￥50" << true << "￥50";
        QTest::newRow("VCD deposit down") << int(Setting::YJJEVCD) << "￥10" << false << "￥5";
        QTest::newRow("alert days") << int(Setting::Alertdays) << "7" << true << "8";
        QTest::newRow("levels at 9") << int(Setting::HYDJ) << "9" << true << "9";
        QTest::newRow("rentals per level") << int(Setting::FJZJ) << "100" << false << "90";
        QTest::newRow("late fee at ￥10") << int(Setting::LateFee) << "￥10" << true << "￥10";
        QTest::newRow("late fee off") << int(Setting::LateFee) << "￥1" << false << "￥0";
        QTest::newRow("off the steps passes the bound") << int(Setting::AutoBackupTime) << "35" << true << "45";
        QTest::newRow("no number stays") << int(Setting::FJZJ) << "十" << true << "十";
        // clang-format on
    }
    void steppers()
    {
        QFETCH(int, setting);
        QFETCH(QString, text);
        QFETCH(bool, up);
        QFETCH(QString, after);
        QCOMPARE(StepText(StepperOf(Setting(setting)), text, up), after);
    }

    void levelsFollowTheScheme()
    {
        OpenDatabase();
        const QList<std::pair<int, int>> borrowedAndLevel = {{0, 0},  {9, 0},  {10, 1},
                                                             {19, 1}, {35, 3}, {45, 3}};
        for (const auto& [borrowed, level] : borrowedAndLevel)
            InsertMember(QString::number(borrowed), "张三", "男", 2, 100, 50, borrowed);
        RecomputeMemberLevels(TestShop(), 10, 3);
        for (const auto& [borrowed, level] : borrowedAndLevel)
            QCOMPARE(FirstRow("SELECT hydj FROM hyxx WHERE hybh = ?", {QString::number(borrowed)}),
                     QStringList{QString::number(level)});
        // One statement in one transaction: a refusal changes no member.
        RefuseWrites("refuse", "BEFORE UPDATE ON hyxx", "old.hybh = '45'");
        QVERIFY_THROWS_EXCEPTION(MovrntError, RecomputeMemberLevels(TestShop(), 100, 9));
        QCOMPARE(Count("SELECT COUNT(*) FROM hyxx WHERE hydj = 0"), 2);
    }

    void autoBackupInterval_data()
    {
        // clang-format off
        QTest::addColumn<QString>("on");
        QTest::addColumn<QString>("seconds");
        QTest::addColumn<qint64>("milliseconds"); // -1: not armed
        QTest::newRow("on, 20 s") << "True" << "20" << qint64(20000);
        QTest::newRow("past 16 bits") << "True" << "40" << qint64(40000);
        QTest::newRow("a day") << "True" << "86400" << qint64(86400000);
        QTest::newRow("off") << "False" << "20" << qint64(-1);
        QTest::newRow("no number") << "True" << "半分钟" << qint64(-1);
        QTest::newRow("zero") << "True" << "0" << qint64(-1);
        // clang-format on
    }
    void autoBackupInterval()
    {
        QFETCH(QString, on);
        QFETCH(QString, seconds);
        QFETCH(qint64, milliseconds);
        SetSetting(Setting::AutoBackup, on);
        SetSetting(Setting::AutoBackupTime, seconds);
        QCOMPARE(AutoBackupInterval().value_or(-1), milliseconds);
    }
};

MOVRNT_TEST_MAIN(TestParameters)
#include "tst_parameters.moc"
