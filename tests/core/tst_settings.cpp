#include "support/TestEnv.h"

#include "core/settings/FirstRun.h"
#include "core/settings/Registry.h"
#include "core/settings/RentAmounts.h"
#include "core/settings/Settings.h"
#include "core/store/Errors.h"

#include <memory>

namespace {
const QString kRoot = QStringLiteral("HKEY_LOCAL_MACHINE");
const QString kPath = QStringLiteral("software\\kavelion\\movrnt");

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;
    Registry registry;

private Q_SLOTS:
    void init() { home = std::make_unique<TestHome>(); }
    void cleanup() { home.reset(); }

    void absentValuesReadEmpty()
    {
        QCOMPARE(registry.ValStr().GetValue(kRoot, kPath, QStringLiteral("UserName")), QString());
        QVERIFY(registry.Key().CreateKey(kRoot, kPath));
        QCOMPARE(registry.ValStr().GetValue(kRoot, kPath, QStringLiteral("UserName")), QString());
    }

    // Before any first run (a technician's headless import) the level rule is
    // the defaults'; a stored value that is no number is still an error.
    void levelRuleBeforeTheFirstRun()
    {
        QCOMPARE(MemberLevelRule().rentalsPerLevel, 10);
        QCOMPARE(MemberLevelRule().levels, 3);
        QVERIFY(CreateSettingsKey());
        // The settings hold the password hash: their folder is the owner's alone.
        QCOMPARE(QFileInfo(SettingsFolder()).permissions() & 0x0077, QFile::Permissions());
        QVERIFY(SetSetting(Setting::HYDJ, QStringLiteral("5")));
        QCOMPARE(MemberLevelRule().levels, 5);
        QVERIFY(SetSetting(Setting::FJZJ, QStringLiteral("十")));
        QVERIFY_THROWS_EXCEPTION(MovrntError, MemberLevelRule());
    }

    void writesNeedTheKey()
    {
        QVERIFY(
            !registry.ValStr().SetValue(kRoot, kPath, QStringLiteral("VCD"), QStringLiteral("2")));
        QCOMPARE(GetSetting(Setting::VCD), QString());
        QVERIFY(registry.Key().CreateKey(kRoot, kPath));
        QVERIFY(registry.Key().CreateKey(kRoot, kPath)); // opening an existing key keeps it
        QVERIFY(
            registry.ValStr().SetValue(kRoot, kPath, QStringLiteral("VCD"), QStringLiteral("2")));
        QCOMPARE(GetSetting(Setting::VCD), QStringLiteral("2"));
        // Key names are case-insensitive, like the registry's.
        QCOMPARE(registry.ValStr().GetValue(kRoot, QStringLiteral("SOFTWARE\\Kavelion\\MOVRNT"),
                                            QStringLiteral("VCD")),
                 QStringLiteral("2"));
        QVERIFY(registry.Key().DeleteKey(kRoot, kPath));
        QCOMPARE(GetSetting(Setting::VCD), QString());
        QVERIFY(!SetSetting(Setting::VCD, QStringLiteral("3")));
    }

    void rootNames_data()
    {
        // clang-format off
        QTest::addColumn<QString>("root");
        QTest::addColumn<bool>("accepted");
        for (const char* root :
             {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_CONFIG", "HKEY_CURRENT_USER", "HKEY_DYN_DATA",
              "HKEY_LOCAL_MACHINE", "HKEY_PERFORMANCE_DATA", "HKEY_USERS"})
            QTest::newRow(root) << QString::fromLatin1(root) << true;
        QTest::newRow("shortened") << "HKLM" << false;
        QTest::newRow("lower case") << "hkey_local_machine" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("path-like") << "../HKEY_USERS" << false;
        // clang-format on
    }
    void rootNames()
    {
        QFETCH(QString, root);
        QFETCH(bool, accepted);
        QCOMPARE(registry.Key().CreateKey(root, kPath), accepted);
        QCOMPARE(registry.ValStr().SetValue(root, kPath, QStringLiteral("A"), QStringLiteral("x")),
                 accepted);
        QCOMPARE(registry.ValStr().GetValue(root, kPath, QStringLiteral("A")),
                 accepted ? QStringLiteral("x") : QString());
    }

    void badPathsFail_data()
    {
        // clang-format off
        QTest::addColumn<QString>("path");
        QTest::newRow("empty") << "";
        QTest::newRow("only separators") << "\\\\";
        QTest::newRow("parent") << "software\\..\\..\\x";
        QTest::newRow("slash inside") << "software/x";
        // clang-format on
    }
    void badPathsFail()
    {
        QFETCH(QString, path);
        QVERIFY(!registry.Key().CreateKey(kRoot, path));
        QVERIFY(!registry.ValStr().SetValue(kRoot, path, QStringLiteral("A"), QStringLiteral("x")));
        QCOMPARE(registry.ValStr().GetValue(kRoot, path, QStringLiteral("A")), QString());
    }

    void valuesRoundTrip_data()
    {
        // clang-format off
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("read");
        QTest::newRow("plain") << "2.50" << "2.50";
        QTest::newRow("chinese name") << "凯络影碟" << "凯络影碟";
        QTest::newRow("comma and quotes") << "a, \"b\"; c=d" << "a, \"b\"; c=d";
        QTest::newRow("backslash path") << "C:\\MOVRNT.mdb" << "C:\\MOVRNT.mdb";
        QTest::newRow("cut at a null") << QStringLiteral("ab") + QChar(u'\0') + QStringLiteral("cd") << "ab";
        QTest::newRow("254 bytes") << QString(254, u'a') << QString(254, u'a');
        QTest::newRow("255 bytes") << QString(255, u'a') << "";
        QTest::newRow("300 letters") << QString(300, u'x') << "";
        QTest::newRow("85 chinese characters are 255 bytes") << QString(85, u'影') << "";
        QTest::newRow("empty") << "" << "";
        // clang-format on
    }
    void valuesRoundTrip()
    {
        QFETCH(QString, stored);
        QFETCH(QString, read);
        QVERIFY(CreateSettingsKey());
        QVERIFY(SetSetting(Setting::UserName, stored));
        QCOMPARE(GetSetting(Setting::UserName), read);
    }

    void listValueIsNotText()
    {
        // A value someone edited into a list is not a text value.
        QVERIFY(CreateSettingsKey());
        const QString file = home->configFolder() +
                             "/movrnt/registry/HKEY_LOCAL_MACHINE/software/kavelion/movrnt.ini";
        QFile ini(file);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Values]\nUserName=a, b\nVCD=3\n");
        ini.close();
        QCOMPARE(GetSetting(Setting::UserName), QString());
        QCOMPARE(GetSetting(Setting::VCD), QStringLiteral("3"));
    }

    void failedWriteReportsFalse()
    {
        // A key file that cannot be written (here: a folder stands in its place).
        const QString file = home->configFolder() +
                             "/movrnt/registry/HKEY_LOCAL_MACHINE/software/kavelion/movrnt.ini";
        QVERIFY(QDir().mkpath(file));
        QVERIFY(!SetSetting(Setting::VCD, QStringLiteral("3")));
        QCOMPARE(GetSetting(Setting::VCD), QString());
    }

    void tipsSwitchIsPerUser()
    {
        QVERIFY(QFile::remove(home->configFolder() + "/movrnt.ini")); // the test home's 0
        QCOMPARE(ShowTipsAtStartup(), 1);
        SetShowTipsAtStartup(0);
        QCOMPARE(ShowTipsAtStartup(), 0);
        QVERIFY(QFile::exists(home->configFolder() + "/movrnt.ini"));
        QCOMPARE(GetSetting(Setting::FirstRunTime), QString()); // not in the settings key
    }

    void firstRunWritesFourValuesInOrder()
    {
        QStringList writes;
        RegeditValStr::SetWriteObserver(
            [&writes](const QString& name, const QString& text) { writes << name + u'=' + text; });
        QVERIFY(IsFirstRun());
        PerformFirstRunSetup();
        QCOMPARE(writes, QStringList({"FirstRunTime=False", "InstallTime=2003-11-09", "HYDJ=3",
                                      "FJZJ=10"}));
        QVERIFY(!IsFirstRun());
    }

    void firstRunIsAnythingButFalse_data()
    {
        // clang-format off
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("firstRun");
        QTest::newRow("False") << "False" << false;
        QTest::newRow("false") << "false" << true;
        QTest::newRow("True") << "True" << true;
        QTest::newRow("empty") << "" << true;
        // clang-format on
    }
    void firstRunIsAnythingButFalse()
    {
        QFETCH(QString, stored);
        QFETCH(bool, firstRun);
        home->setSettings({{"FirstRunTime", stored}});
        QCOMPARE(IsFirstRun(), firstRun);
    }

    void rentChecks_data()
    {
        // clang-format off
        QTest::addColumn<QString>("vcd");
        QTest::addColumn<QString>("dvd");
        QTest::addColumn<int>("check");
        QTest::newRow("both fine") << "2.50" << "3" << int(RentCheck::Ok);
        QTest::newRow("zeros") << "0" << "0" << int(RentCheck::Ok);
        QTest::newRow("blanks and exponent") << " 1e1 " << "+.5" << int(RentCheck::Ok);
        QTest::newRow("letters in vcd") << "abc" << "3" << int(RentCheck::InvalidVCD);
        QTest::newRow("empty dvd") << "2" << "" << int(RentCheck::InvalidDVD);
        QTest::newRow("both bad: vcd first") << "x" << "y" << int(RentCheck::InvalidVCD);
        QTest::newRow("invalid dvd before negative vcd") << "-1" << "y" << int(RentCheck::InvalidDVD);
        QTest::newRow("negative dvd") << "2" << "-1" << int(RentCheck::NegativeDVD);
        QTest::newRow("negative vcd") << "-0.5" << "-1" << int(RentCheck::NegativeVCD);
        QTest::newRow("minus zero") << "-0" << "0" << int(RentCheck::Ok);
        QTest::newRow("infinity") << "inf" << "1" << int(RentCheck::InvalidVCD);
        QTest::newRow("overflow") << "1e999" << "1" << int(RentCheck::InvalidVCD);
        QTest::newRow("comma decimal") << "2,5" << "1" << int(RentCheck::InvalidVCD);
        QTest::newRow("full-width digits") << "２" << "1" << int(RentCheck::InvalidVCD);
        QTest::newRow("lone point") << "." << "1" << int(RentCheck::InvalidVCD);
        // clang-format on
    }
    void rentChecks()
    {
        QFETCH(QString, vcd);
        QFETCH(QString, dvd);
        QFETCH(int, check);
        QCOMPARE(int(CheckRentAmounts(vcd, dvd)), check);
    }
};

MOVRNT_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
