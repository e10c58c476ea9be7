#include "support/TestEnv.h"

#include "core/access/PassCheck.h"
#include "core/access/People.h"
#include "core/settings/Registry.h"
#include "core/settings/Settings.h"
#include "core/store/Database.h"
#include "core/store/ServerAddress.h"
#include "core/store/Shop.h"
#include "ui/access/FormMMSZ.h"
#include "ui/access/FormPass.h"
#include "ui/access/FormRYGL.h"
#include "ui/app/Commands.h"
#include "ui/app/MDIMain.h"
#include "ui/common/Seams.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <memory>

namespace {
const QString kGuestRefused =
    QStringLiteral("对不起，您是由来宾方式登陆本系统的，没有权限执行该操作！");

template <typename T> T* Child(QWidget& parent, const char* name)
{
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no control %s", name);
    return child;
}

void Click(QWidget& parent, const char* name)
{
    QTest::mouseClick(Child<QAbstractButton>(parent, name), Qt::LeftButton);
}
} // namespace

class TestLogon : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;
    QStringList opened; // modal dialogs the main window opened

    void setPassword(const QString& password) { QVERIFY(StorePassword(password)); }

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>();
        home->setSettings({{"FirstRunTime", "False"}});
        SetUserMode(QString());
        opened.clear();
        Seams().screenSize = [] { return QSize(1024, 768); };
        Seams().execDialog = [this](QDialog& dialog) {
            opened << dialog.objectName();
            return int(QDialog::Rejected);
        };
    }
    void cleanup()
    {
        SetUserMode(QString());
        SetCurrentPerson({});
        CloseDatabase();
        home.reset();
    }

    // FormPass

    void guestBoxFollowsTheSetting_data()
    {
        // clang-format off
        QTest::addColumn<QString>("guestLogon");
        QTest::addColumn<bool>("offered");
        QTest::newRow("True") << "True" << true;
        QTest::newRow("False") << "False" << false;
        QTest::newRow("absent") << "" << false;
        QTest::newRow("lower case") << "true" << false;
        // clang-format on
    }
    void guestBoxFollowsTheSetting()
    {
        QFETCH(QString, guestLogon);
        QFETCH(bool, offered);
        SetSetting(Setting::GuestLogon, guestLogon);
        FormPass dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("管理员身份验证"));
        auto* guest = Child<QCheckBox>(dialog, "CheckLBFS");
        auto* password = Child<QLineEdit>(dialog, "TextMM");
        QCOMPARE(guest->isEnabled(), offered);
        QTest::keyClicks(password, QStringLiteral("a"));
        QVERIFY(!guest->isEnabled());
        password->backspace();
        QCOMPARE(guest->isEnabled(), offered);
    }

    void tickingGuestDisablesThePassword()
    {
        SetSetting(Setting::GuestLogon, QStringLiteral("True"));
        FormPass dialog;
        Click(dialog, "CheckLBFS");
        QVERIFY(!Child<QLineEdit>(dialog, "TextMM")->isEnabled());
        Click(dialog, "CheckLBFS");
        QVERIFY(Child<QLineEdit>(dialog, "TextMM")->isEnabled());
    }

    void logon_data()
    {
        // clang-format off
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("asGuest");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("mode");
        QTest::newRow("right password") << "Shop1" << false << int(QDialog::Accepted) << "Admin";
        QTest::newRow("other case") << "shop1" << false << int(FormPass::EndProgram) << "";
        QTest::newRow("empty box") << "" << false << int(FormPass::EndProgram) << "";
        QTest::newRow("guest with empty box") << "" << true << int(QDialog::Accepted) << "Guest";
        QTest::newRow("guest whatever the box holds") << "wrong" << true << int(QDialog::Accepted) << "Guest";
        // clang-format on
    }
    void logon()
    {
        QFETCH(QString, typed);
        QFETCH(bool, asGuest);
        QFETCH(int, outcome);
        QFETCH(QString, mode);
        setPassword(QStringLiteral("Shop1"));
        SetSetting(Setting::GuestLogon, QStringLiteral("True"));
        FormPass dialog;
        if (asGuest)
            Click(dialog, "CheckLBFS");
        Child<QLineEdit>(dialog, "TextMM")
            ->setText(typed); // set directly: a guest may have typed before ticking
        ScriptedMessages messages;
        Click(dialog, "CommandQD");
        QCOMPARE(dialog.result(), outcome);
        QCOMPARE(UserMode(), mode);
        QCOMPARE(messages.texts(), outcome == FormPass::EndProgram
                                       ? QStringList{"您输入的管理员密码不正确，系统将立即退出！"}
                                       : QStringList{});
    }

    void quitEscAndFrameEndAtOnce()
    {
        setPassword(QStringLiteral("Shop1"));
        ScriptedMessages messages;
        for (int way = 0; way < 3; ++way) {
            FormPass dialog;
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            if (way == 0)
                Click(dialog, "CommandFQ");
            else if (way == 1)
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else
                dialog.close();
            QCOMPARE(dialog.result(), int(FormPass::EndProgram));
            QCOMPARE(UserMode(), QString());
        }
        QVERIFY(messages.shown.isEmpty());
    }

    // Start-up

    void startupAsksForThePassword_data()
    {
        // clang-format off
        QTest::addColumn<int>("outcome");
        QTest::addColumn<bool>("starts");
        QTest::newRow("logged on") << int(QDialog::Accepted) << true;
        QTest::newRow("ended") << int(FormPass::EndProgram) << false;
        QTest::newRow("closed by its frame") << int(QDialog::Rejected) << false;
        // clang-format on
    }
    void startupAsksForThePassword()
    {
        QFETCH(int, outcome);
        QFETCH(bool, starts);
        setPassword(QStringLiteral("Shop1"));
        Seams().execDialog = [this, outcome](QDialog& dialog) {
            opened << dialog.objectName();
            if (outcome == QDialog::Accepted)
                SetUserMode(QStringLiteral("Admin"));
            return outcome;
        };
        ScriptedMessages messages;
        MDIMain window;
        QCOMPARE(window.runStartup(), starts);
        QCOMPARE(opened, QStringList{"FormPass"});
        if (!starts)
            return;
        QCOMPARE(window.panelText(6), QStringLiteral("管理员模式"));
    }

    void noPasswordNoLogon()
    {
        ScriptedMessages messages;
        MDIMain window;
        QVERIFY(window.runStartup());
        QVERIFY(opened.isEmpty());
        QCOMPARE(window.panelText(6), QStringLiteral("未设置管理员密码"));
    }

    void guestPanel()
    {
        setPassword(QStringLiteral("Shop1"));
        Seams().execDialog = [](QDialog&) {
            SetUserMode(QStringLiteral("Guest"));
            return int(QDialog::Accepted);
        };
        MDIMain window;
        QVERIFY(window.runStartup());
        QCOMPARE(window.panelText(6), QStringLiteral("来宾访问模式"));
    }

    void firstRunQuestion_data()
    {
        // clang-format off
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("dialogs");
        QTest::addColumn<QStringList>("texts");
        const QString question = QStringLiteral(
            "这是您第一次运行本系统，请立即设置您的管理员密码，以确保安全性 ！要现在设置密码吗？");
        QTest::newRow("yes") << 6 << QStringList{"FormMMSZ"} << QStringList{question};
        QTest::newRow("no") << 7 << QStringList{} << QStringList{
                                   question,
                                   "您没有设置管理员密码，任何人都将能够查看和修改您的数据！"};
        // clang-format on
    }
    void firstRunQuestion()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, dialogs);
        QFETCH(QStringList, texts);
        QVERIFY(Registry().Key().DeleteKey(kSettingsRoot, kSettingsPath));
        ScriptedMessages messages;
        messages.queue({answer});
        MDIMain window;
        QVERIFY(window.runStartup());
        QCOMPARE(opened, dialogs);
        QCOMPARE(messages.texts(), texts);
        QCOMPARE(messages.shown[0].style, 4);
        if (answer == 7)
            QCOMPARE(messages.shown[1].title, QStringLiteral("用户警告"));
        QVERIFY(QFileInfo(home->folder() + QStringLiteral("/Pictures")).isDir());
    }

    // The guest gate

    // Commands by who logged on: no password, the owner, a clerk, a guest.
    void commandsByWhoLoggedOn_data()
    {
        QTest::addColumn<QString>("via");
        QTest::addColumn<int>("command"); // or toolbar position
        QTest::addColumn<int>("gate");    // CommandGate
        for (const CommandInfo& info : AllCommands())
            if (info.command != Command::TC)
                QTest::newRow(qPrintable(QString::fromUtf16(info.caption)))
                    << "command" << int(info.command) << int(info.gate);
        // 查找影碟, 查找会员, 出租, 结帐, 数据备份, 统计图, 功能参数设置
        const CommandGate toolbar[] = {
            CommandGate::None,    CommandGate::None, CommandGate::Counter, CommandGate::None,
            CommandGate::Counter, CommandGate::None, CommandGate::Owner};
        for (int position = 1; position <= 7; ++position)
            QTest::newRow(qPrintable(QStringLiteral("toolbar %1").arg(position)))
                << "toolbar" << position << int(toolbar[position - 1]);
    }
    void commandsByWhoLoggedOn()
    {
        QFETCH(QString, via);
        QFETCH(int, command);
        QFETCH(int, gate);
        OpenDatabase();
        MDIMain window;
        window.openShop({});
        const auto run = [&] {
            window.mdiArea()->closeAllSubWindows();
            opened.clear();
            ScriptedMessages messages;
            if (via == u"toolbar")
                window.onToolbar1ButtonClick(command);
            else
                window.runCommand(Command(command));
            return messages.texts();
        };
        const QString clerkRefused =
            QStringLiteral("对不起，您是以店员身份登陆本系统的，只有店主才能执行该操作！");
        QVERIFY(!run().contains(kGuestRefused)); // no password: everyone passes
        setPassword(QStringLiteral("Shop1"));
        QCOMPARE(AddPerson(QStringLiteral("小王"), PersonRole::Clerk, "Clerk1", "Clerk1"),
                 QString());
        for (const QString mode : {"Admin", "Clerk", "Guest"}) {
            SetUserMode(mode);
            const QStringList texts = run();
            const QString refusal =
                mode == u"Guest" && gate != int(CommandGate::None)    ? kGuestRefused
                : mode == u"Clerk" && gate == int(CommandGate::Owner) ? clerkRefused
                                                                      : QString();
            QVERIFY2(texts.contains(refusal) == !refusal.isEmpty(),
                     qPrintable(mode + texts.join(u'|')));
            if (!refusal.isEmpty()) {
                QCOMPARE(texts.size(), 1);
                QVERIFY(opened.isEmpty());
                QVERIFY(window.mdiArea()->subWindowList().isEmpty());
            }
        }
    }

    // People: the owner's password lives in the shop, not in a settings file.
    void passwordMovesIntoTheShop()
    {
        // As an older version kept it: scrambled, in the settings file.
        SetSetting(Setting::Password,
                   ReverseText(ShiftText(QStringLiteral("Shop1"), QStringLiteral("PLUS"))));
        OpenDatabase();
        MoveOwnerPasswordIntoShop();
        QCOMPARE(GetSetting(Setting::Password), QString());
        QCOMPARE(ShopPeople().size(), 1);
        CloseDatabase();
        // Read from the file at the logon, before the shop is opened.
        QVERIFY(PasswordIsSet());
        QVERIFY(!CheckPassword(QStringLiteral("shop1")));
        QVERIFY(CheckPassword(QStringLiteral("Shop1")));
        QCOMPARE(CurrentPerson(), kFirstOwnerName);
        // Hashed once the shop is open: the scrambled text is gone from it.
        OpenDatabase();
        MoveOwnerPasswordIntoShop();
        QVERIFY(
            RunScalar("SELECT mm FROM czry").toString().startsWith(QStringLiteral("$argon2id$")));
        QVERIFY(CheckPassword(QStringLiteral("Shop1")));
    }

    // Once the shop has clerks the logon asks for the name too.
    void logonByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("mode"); // empty: the program ends
        QTest::newRow("owner") << kFirstOwnerName << "Shop1"
                               << "Admin";
        QTest::newRow("clerk") << "小王"
                               << "Clerk1"
                               << "Clerk";
        QTest::newRow("clerk's name, owner's password") << "小王"
                                                        << "Shop1"
                                                        << "";
        QTest::newRow("disabled clerk") << "小李"
                                        << "Clerk2"
                                        << "";
        QTest::newRow("nobody's name") << "谁"
                                       << "Shop1"
                                       << "";
        QTest::newRow("no name") << ""
                                 << "Shop1"
                                 << "";
    }
    void logonByName()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QString, mode);
        {
            FormPass before;
            QVERIFY(!before.findChild<QComboBox*>(QStringLiteral("ComboXM")));
        }
        OpenDatabase();
        setPassword(QStringLiteral("Shop1"));
        QCOMPARE(AddPerson(QStringLiteral("小王"), PersonRole::Clerk, "Clerk1", "Clerk1"),
                 QString());
        QCOMPARE(AddPerson(QStringLiteral("小李"), PersonRole::Clerk, "Clerk2", "Clerk2"),
                 QString());
        QCOMPARE(SetPersonDisabled(QStringLiteral("小李"), true), QString());
        CloseDatabase();
        FormPass dialog;
        auto* combo = Child<QComboBox>(dialog, "ComboXM");
        QCOMPARE(combo->count(), 2); // the disabled clerk is not offered
        QCOMPARE(combo->itemText(0), kFirstOwnerName);
        combo->setEditText(name);
        Child<QLineEdit>(dialog, "TextMM")->setText(password);
        ScriptedMessages messages;
        Click(dialog, "CommandQD");
        if (mode.isEmpty()) {
            QCOMPARE(messages.texts(), QStringList{"您输入的姓名或密码不正确，系统将立即退出！"});
            QCOMPARE(dialog.result(), int(FormPass::EndProgram));
            QCOMPARE(UserMode(), QString());
            return;
        }
        QVERIFY(messages.shown.isEmpty());
        QCOMPARE(UserMode(), mode);
        QCOMPARE(CurrentPerson(), name);
        OpenDatabase();
        MDIMain window;
        window.updateUserPanel();
        QCOMPARE(window.panelText(6),
                 mode == u"Clerk" ? QStringLiteral("店员模式") : QStringLiteral("管理员模式"));
        QCOMPARE(window.panelText(7), name);
    }

    // On a server the logon logs into the server as the person (or as its
    // guest role): every connection of the program is then his.
    void serverLogonByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("guest");
        QTest::addColumn<QString>("login"); // empty: the program ends
        QTest::newRow("owner") << "老板"
                               << "Boss1" << false << "老板";
        QTest::newRow("clerk") << "小王"
                               << "Clerk1" << false << "小王";
        QTest::newRow("clerk, owner's password") << "小王"
                                                 << "Boss1" << false << "";
        QTest::newRow("a server login, no person") << "movrnt_test"
                                                   << "x" << false << "";
        QTest::newRow("guest") << ""
                               << "" << true << "movrnt_guest";
    }
    void serverLogonByName()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(bool, guest);
        QFETCH(QString, login);
        const QString server =
            OnTestServer() ? QString() : FreshServerSchema(QStringLiteral("logon"));
        if (server.isEmpty())
            QSKIP("once, on the test server");
        const QString tag = QString::number(QCoreApplication::applicationPid());
        if (name != u"movrnt_test" && !name.isEmpty())
            name += tag;
        if (!login.isEmpty() && !guest)
            login += tag;
        Shop::Create(server);
        SetShopLocation(server);
        OpenDatabase();
        setPassword(QStringLiteral("Shop1"));
        SetSetting(Setting::GuestLogon, QStringLiteral("True"));
        QCOMPARE(AddPerson("老板" + tag, PersonRole::Owner, "Boss1", "Boss1"), QString());
        QCOMPARE(AddPerson("小王" + tag, PersonRole::Clerk, "Clerk1", "Clerk1"), QString());
        {
            // The counter roles it ran on so far stay listed until retired.
            FormRYGL people;
            const QTableWidget* grid = Child<QTableWidget>(people, "GridRY");
            QCOMPARE(grid->item(0, 0)->text(), "老板" + tag);
            QCOMPARE(grid->findItems(kSharedWord, Qt::MatchExactly).size(),
                     2); // movrnt_test_owner, _clerk
        }
        CloseDatabase();
        FormPass dialog;
        auto* combo = Child<QComboBox>(dialog, "ComboXM");
        QCOMPARE(combo->count(), 2);
        combo->setEditText(name);
        Child<QLineEdit>(dialog, "TextMM")->setText(password);
        Child<QCheckBox>(dialog, "CheckLBFS")->setChecked(guest);
        ScriptedMessages messages;
        Click(dialog, "CommandQD");
        if (login.isEmpty()) {
            QCOMPARE(messages.texts(), QStringList{"您输入的姓名或密码不正确，系统将立即退出！"});
            QCOMPARE(dialog.result(), int(FormPass::EndProgram));
            return;
        }
        QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.texts().join(u'|')));
        OpenDatabase();
        QCOMPARE(RunScalar("SELECT session_user").toString(), login);
        QCOMPARE(UserMode(), guest ? "Guest" : name.startsWith(u"老板") ? "Admin" : "Clerk");
        QCOMPARE(CurrentPerson(), guest ? QString() : name);
        SetServerLogin({}, {});
    }

    // 人员管理: the owner adds, renames, re-passwords and disables people;
    // what would lock the shop or confuse the ledger is refused.
    void peopleWindow()
    {
        OpenDatabase();
        QCOMPARE(AddPerson(QStringLiteral("小王"), PersonRole::Clerk, "Clerk1", "Clerk1"),
                 QStringLiteral("请先在“管理员密码设置”中设置店主的密码，再添加人员。"));
        setPassword(QStringLiteral("Shop1"));
        SetUserMode(QStringLiteral("Admin"));
        SetCurrentPerson(kFirstOwnerName);
        FormRYGL dialog;
        dialog.show();
        const auto step = [&](const char* button, const QString& select, const QString& name,
                              const QString& password, const QString& confirmation) {
            dialog.selectName(select);
            Child<QLineEdit>(dialog, "TextXM")->setText(name);
            Child<QLineEdit>(dialog, "TextMM")->setText(password);
            Child<QLineEdit>(dialog, "TextQR")->setText(confirmation);
            ScriptedMessages messages;
            Click(dialog, button);
            return messages.texts().join(u'|');
        };
        const QString none;
        QCOMPARE(step("CommandTJ", none, " ", "Clerk1", "Clerk1"),
                 QStringLiteral("姓名不能为空！"));
        QCOMPARE(step("CommandTJ", none, "小王", "abc", "abc"),
                 QStringLiteral("密码必须大于5位！"));
        QCOMPARE(step("CommandTJ", none, "小王", "Clerk1", "Clerk2"),
                 QStringLiteral("密码输入不一致，请重新输入！"));
        QCOMPARE(step("CommandTJ", none, QString(22, u'王'), "Clerk1", "Clerk1"),
                 QStringLiteral("姓名太长了：最多 63 个字节（约 21 个汉字）！"));
        QCOMPARE(step("CommandTJ", none, "小王", "Clerk1", "Clerk1"), none);
        QCOMPARE(step("CommandTJ", none, "小王", "Clerk9", "Clerk9"),
                 QStringLiteral("已经有人叫“小王”了，请换一个姓名！"));
        QCOMPARE(step("CommandTY", kFirstOwnerName, none, none, none),
                 QStringLiteral("您正在以“店主”的身份登录，不能停用自己。"));
        QCOMPARE(step("CommandGM", kFirstOwnerName, "老板", none, none),
                 QStringLiteral("您正在以“店主”的身份登录，不能修改自己的姓名。"));
        QCOMPARE(step("CommandGM", "小王", "王五", none, none), none);
        QCOMPARE(step("CommandMM", "王五", none, "New12", "New12"),
                 QStringLiteral("“王五”的密码已经重新设置。"));
        QVERIFY(CheckPerson(QStringLiteral("王五"), QStringLiteral("New12")));
        QVERIFY(!CheckPerson(QStringLiteral("小王"), QStringLiteral("Clerk1")));
        {
            // While a clerk may log on, the owner's password stays.
            FormMMSZ password;
            ScriptedMessages messages;
            Click(password, "CommandMMSZ");
            QVERIFY(messages.last().startsWith(QStringLiteral("店里还有其他人员（王五）")));
            QVERIFY(PasswordIsSet());
        }
        QCOMPARE(step("CommandTY", "王五", none, none, none), none);
        QVERIFY(!CheckPerson(QStringLiteral("王五"), QStringLiteral("New12")));
        QCOMPARE(Child<QTableWidget>(dialog, "GridRY")->item(1, 2)->text(), QStringLiteral("停用"));
        QVERIFY(!ClerksExist());
    }

    void popupAddRentalIsGated()
    {
        setPassword(QStringLiteral("Shop1"));
        SetUserMode(QStringLiteral("Guest"));
        MDIMain window;
        auto* item = window.findChild<QAction*>(QStringLiteral("mnuPopTJZJXXItem"));
        ScriptedMessages messages;
        item->setEnabled(true); // as it will be once renting out exists
        item->trigger();
        QCOMPARE(messages.texts(), QStringList{kGuestRefused});
    }

    void passwordMenuOpensForAdministratorOnly()
    {
        setPassword(QStringLiteral("Shop1"));
        MDIMain window;
        QAction* item = window.findChild<QAction*>(QStringLiteral("mnuMMSZItem"));
        QVERIFY(item->isEnabled());
        ScriptedMessages messages;
        SetUserMode(QStringLiteral("Guest"));
        item->trigger();
        QVERIFY(opened.isEmpty());
        SetUserMode(QStringLiteral("Admin"));
        item->trigger();
        QCOMPARE(opened, QStringList{"FormMMSZ"});
    }

    // FormMMSZ

    void protectionStartsFromTheStore()
    {
        {
            FormMMSZ dialog;
            QCOMPARE(dialog.windowTitle(), QStringLiteral("管理员密码设置"));
            QCOMPARE(Child<QToolButton>(dialog, "CommandMMSZ")->toolTip(),
                     QStringLiteral("启动密码保护"));
            QVERIFY(!Child<QLineEdit>(dialog, "TextMM")->isEnabled());
            QVERIFY(!Child<QLineEdit>(dialog, "TextQR")->isEnabled());
        }
        SetSetting(Setting::UserName, QStringLiteral("阳光"));
        setPassword(QStringLiteral("Shop1"));
        FormMMSZ dialog;
        QCOMPARE(Child<QLineEdit>(dialog, "TextMC")->text(), QStringLiteral("阳光"));
        QCOMPARE(Child<QToolButton>(dialog, "CommandMMSZ")->toolTip(),
                 QStringLiteral("关闭密码保护"));
        QVERIFY(Child<QLineEdit>(dialog, "TextMM")->isEnabled());
        QVERIFY(!Child<QLineEdit>(dialog, "TextMM")->text().isEmpty());
        QVERIFY(!Child<QLineEdit>(dialog, "TextMM")->text().contains(QStringLiteral("Shop1")));
    }

    void switchingOnAsksForAPassword()
    {
        FormMMSZ dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        ScriptedMessages messages;
        Click(dialog, "CommandMMSZ");
        QCOMPARE(messages.texts(), QStringList{"您启动了密码保护，请输入管理员密码！"});
        QCOMPARE(Child<QToolButton>(dialog, "CommandMMSZ")->toolTip(),
                 QStringLiteral("关闭密码保护"));
        QCOMPARE(QApplication::focusWidget(), Child<QLineEdit>(dialog, "TextMM"));
        QVERIFY(!PasswordIsSet()); // nothing written before 确定
    }

    void saveChecks_data()
    {
        // clang-format off
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("confirmation");
        QTest::addColumn<QString>("message");
        QTest::newRow("mismatch reported before length") << "abc" << "abd" << "密码输入不一致，请重新输入！";
        QTest::newRow("four characters") << "abcd" << "abcd" << "密码必须大于5位！";
        QTest::newRow("blank") << "abc de" << "abc de" << "密码只能包含字母和数字！";
        QTest::newRow("chinese character") << "abc影de" << "abc影de" << "密码只能包含字母和数字！";
        QTest::newRow("five characters") << "abcde" << "abcde" << "";
        // clang-format on
    }
    void saveChecks()
    {
        QFETCH(QString, password);
        QFETCH(QString, confirmation);
        QFETCH(QString, message);
        MDIMain window;
        window.openShop({}); // the dialog's changes reach it as the shop's
        FormMMSZ dialog(&window);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        ScriptedMessages messages;
        Click(dialog, "CommandMMSZ");
        messages.shown.clear();
        Child<QLineEdit>(dialog, "TextMC")->setText(QStringLiteral("阳光影碟"));
        Child<QLineEdit>(dialog, "TextMM")->setText(password);
        Child<QLineEdit>(dialog, "TextQR")->setText(confirmation);
        QStringList writes;
        RegeditValStr::SetWriteObserver(
            [&writes](const QString& name, const QString&) { writes << name; });
        Click(dialog, "CommandQD");
        if (!message.isEmpty()) {
            QCOMPARE(messages.texts(), QStringList{message});
            QVERIFY(dialog.isVisible());
            QCOMPARE(QApplication::focusWidget(), Child<QLineEdit>(dialog, "TextMM"));
            QVERIFY(writes.isEmpty());
            QVERIFY(!PasswordIsSet());
            return;
        }
        QVERIFY(messages.shown.isEmpty());
        // The name in the settings; the password with the shop's people.
        QCOMPARE(writes, QStringList({"UserName"}));
        QCOMPARE(ShopPeople().size(), 1);
        QVERIFY(CheckPassword(password));
        QCOMPARE(UserMode(), QStringLiteral("Admin"));
        QCOMPARE(window.panelText(6), QStringLiteral("管理员模式"));
        QCOMPARE(window.windowTitle(), QStringLiteral("凯络影碟出租管理系统 - 阳光影碟"));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const QString config = home->configFolder();
        QDirIterator it(config, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray content = file.readAll();
            QVERIFY(!content.contains("abcde"));
            QVERIFY(!content.contains("hgfed")); // the old scrambled form
        }
    }

    void emptyNameWithoutProtection()
    {
        SetSetting(Setting::UserName, QStringLiteral("旧名"));
        MDIMain window;
        window.openShop({}); // the dialog's changes reach it as the shop's
        FormMMSZ dialog(&window);
        Child<QLineEdit>(dialog, "TextMC")->clear();
        ScriptedMessages messages;
        Click(dialog, "CommandQD");
        QVERIFY(messages.shown.isEmpty());
        QCOMPARE(GetSetting(Setting::UserName), QString());
        QCOMPARE(window.windowTitle(), QStringLiteral("凯络影碟出租管理系统 - （无名用户）"));
        QCOMPARE(UserMode(), QString()); // unchanged without a password
        QVERIFY(!PasswordIsSet());
    }

    void switchingOffSurvivesCancel()
    {
        setPassword(QStringLiteral("Shop1"));
        SetUserMode(QStringLiteral("Admin"));
        MDIMain window;
        window.openShop({}); // the dialog's changes reach it as the shop's
        window.updateUserPanel();
        FormMMSZ dialog(&window);
        Click(dialog, "CommandMMSZ");
        QVERIFY(!PasswordIsSet());
        QCOMPARE(window.panelText(6), QStringLiteral("未设置管理员密码"));
        QVERIFY(!Child<QLineEdit>(dialog, "TextMM")->isEnabled());
        Click(dialog, "CommandFQ");
        QVERIFY(!PasswordIsSet());
        QCOMPARE(UserMode(), QStringLiteral("Admin")); // never taken back during the run
    }

    void untouchedPlaceholderKeepsThePassword()
    {
        setPassword(QStringLiteral("Shop1"));
        const QString stored = GetSetting(Setting::Password);
        MDIMain window;
        FormMMSZ dialog(&window);
        Child<QLineEdit>(dialog, "TextMC")->setText(QStringLiteral("新名"));
        ScriptedMessages messages;
        Click(dialog, "CommandQD");
        QVERIFY(messages.shown.isEmpty());
        QCOMPARE(GetSetting(Setting::Password), stored);
        QCOMPARE(GetSetting(Setting::UserName), QStringLiteral("新名"));
        QCOMPARE(UserMode(), QStringLiteral("Admin"));
    }

    void typingOverOnePlaceholderIsValidated()
    {
        setPassword(QStringLiteral("Shop1"));
        FormMMSZ dialog;
        auto* password = Child<QLineEdit>(dialog, "TextMM");
        password->selectAll();
        QTest::keyClicks(password, QStringLiteral("Other1"));
        ScriptedMessages messages;
        Click(dialog, "CommandQD");
        QCOMPARE(messages.texts(), QStringList{"密码输入不一致，请重新输入！"});
        QVERIFY(CheckPassword(QStringLiteral("Shop1")));
    }

    void switchOffThenOnNeedsANewPassword()
    {
        setPassword(QStringLiteral("Shop1"));
        FormMMSZ dialog;
        ScriptedMessages messages;
        Click(dialog, "CommandMMSZ");
        Click(dialog, "CommandMMSZ");
        QCOMPARE(messages.texts(), QStringList{"您启动了密码保护，请输入管理员密码！"});
        Click(dialog, "CommandQD");
        QCOMPARE(messages.last(), QStringLiteral("密码必须大于5位！"));
        QVERIFY(!PasswordIsSet());
    }
};

MOVRNT_TEST_MAIN(TestLogon)
#include "tst_logon.moc"
