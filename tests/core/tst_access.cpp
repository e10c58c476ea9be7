#include "support/TestEnv.h"

#include "core/access/PassCheck.h"
#include "core/access/PasswordRules.h"
#include "core/settings/Settings.h"

#include <QDirIterator>
#include <memory>

namespace {
QString Scrambled(const QString& password)
{
    return ReverseText(ShiftText(password, QStringLiteral("PLUS")));
}

QByteArray EverySettingsFile(const QString& folder)
{
    QByteArray all;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly))
            all += file.readAll();
    }
    return all;
}
} // namespace

class TestAccess : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>();
        QVERIFY(CreateSettingsKey());
        SetUserMode(QString());
    }
    void cleanup()
    {
        SetUserMode(QString());
        home.reset();
    }

    void scrambling_data()
    {
        // clang-format off
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("stored");
        QTest::newRow("abc") << "abc" << "fed";
        QTest::newRow("end of the alphabet") << "xyz" << "}|{";
        QTest::newRow("digits and capitals") << "A1z" << "}4D";
        QTest::newRow("empty") << "" << "";
        // clang-format on
    }
    void scrambling()
    {
        QFETCH(QString, password);
        QFETCH(QString, stored);
        QCOMPARE(Scrambled(password), stored);
        QCOMPARE(ReverseText(ShiftText(stored, QStringLiteral("SUB"))), password);
        QCOMPARE(ShiftText(stored, QStringLiteral("anything but PLUS")),
                 ShiftText(stored, QStringLiteral("SUB")));
    }

    void hashedPasswordChecks_data()
    {
        // clang-format off
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("same") << "Shop2003" << true;
        QTest::newRow("other case") << "shop2003" << false;
        QTest::newRow("prefix") << "Shop200" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("trailing blank") << "Shop2003 " << false;
        // clang-format on
    }
    void hashedPasswordChecks()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QVERIFY(!PasswordIsSet());
        QVERIFY(!CheckPassword(QString())); // no password: nothing matches
        QVERIFY(StorePassword(QStringLiteral("Shop2003")));
        QVERIFY(PasswordIsSet());
        const QString stored = GetSetting(Setting::Password);
        QVERIFY(stored.startsWith(QStringLiteral("$argon2id$")));
        QCOMPARE(CheckPassword(typed), accepted);
        QCOMPARE(GetSetting(Setting::Password), stored);
        const QByteArray files = EverySettingsFile(home->configFolder());
        QVERIFY(!files.contains("Shop2003"));
        QVERIFY(!files.contains(Scrambled(QStringLiteral("Shop2003")).toUtf8()));
    }

    void samePasswordHashesDiffer()
    {
        QVERIFY(StorePassword(QStringLiteral("abcde")));
        const QString first = GetSetting(Setting::Password);
        QVERIFY(StorePassword(QStringLiteral("abcde")));
        QVERIFY(GetSetting(Setting::Password) != first); // salted
        QVERIFY(StorePassword(QString()));
        QVERIFY(!PasswordIsSet());
    }

    void legacyValueLogsInAndIsUpgraded_data()
    {
        // clang-format off
        QTest::addColumn<QString>("password");
        QTest::newRow("letters") << "abcde";
        QTest::newRow("x y z become punctuation") << "xyzzy";
        QTest::newRow("mixed") << "Zz09y";
        // clang-format on
    }
    void legacyValueLogsInAndIsUpgraded()
    {
        QFETCH(QString, password);
        SetSetting(Setting::Password, Scrambled(password));
        QVERIFY(!CheckPassword(password.toUpper() == password ? password.toLower()
                                                              : password.toUpper()));
        QCOMPARE(GetSetting(Setting::Password),
                 Scrambled(password)); // a wrong attempt changes nothing
        QVERIFY(CheckPassword(password));
        QVERIFY(GetSetting(Setting::Password).startsWith(QStringLiteral("$argon2id$")));
        QVERIFY(!EverySettingsFile(home->configFolder()).contains(Scrambled(password).toUtf8()));
        QVERIFY(CheckPassword(password));
    }

    void guestGate_data()
    {
        // clang-format off
        QTest::addColumn<bool>("passwordSet");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("no password, no logon") << false << "" << true;
        QTest::newRow("no password, guest") << false << "Guest" << true;
        QTest::newRow("administrator") << true << "Admin" << true;
        QTest::newRow("guest") << true << "Guest" << false;
        QTest::newRow("logon dialog closed by its frame") << true << "" << false;
        QTest::newRow("wrong case of the mode") << true << "admin" << false;
        // clang-format on
    }
    void guestGate()
    {
        QFETCH(bool, passwordSet);
        QFETCH(QString, mode);
        QFETCH(bool, allowed);
        if (passwordSet)
            SetSetting(Setting::Password, Scrambled(QStringLiteral("abcde")));
        SetUserMode(mode);
        QCOMPARE(GuestGateAllows(), allowed);
    }

    void newPasswordChecks_data()
    {
        // clang-format off
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("confirmation");
        QTest::addColumn<int>("check");
        QTest::newRow("mismatch before length") << "abc" << "abd" << int(NewPasswordCheck::Mismatch);
        QTest::newRow("four characters") << "abcd" << "abcd" << int(NewPasswordCheck::TooShort);
        QTest::newRow("empty") << "" << "" << int(NewPasswordCheck::TooShort);
        QTest::newRow("five characters") << "abcde" << "abcde" << int(NewPasswordCheck::Ok);
        QTest::newRow("digits and capitals") << "AZaz09" << "AZaz09" << int(NewPasswordCheck::Ok);
        QTest::newRow("blank") << "abc de" << "abc de" << int(NewPasswordCheck::BadCharacter);
        QTest::newRow("chinese character") << "abc影de" << "abc影de" << int(NewPasswordCheck::BadCharacter);
        QTest::newRow("full-width digit") << "abcd１" << "abcd１" << int(NewPasswordCheck::BadCharacter);
        QTest::newRow("punctuation") << "abcd!" << "abcd!" << int(NewPasswordCheck::BadCharacter);
        QTest::newRow("short with a bad character") << "a b" << "a b" << int(NewPasswordCheck::TooShort);
        // clang-format on
    }
    void newPasswordChecks()
    {
        QFETCH(QString, password);
        QFETCH(QString, confirmation);
        QFETCH(int, check);
        QCOMPARE(int(CheckNewPassword(password, confirmation)), check);
    }
};

MOVRNT_TEST_MAIN(TestAccess)
#include "tst_access.moc"
