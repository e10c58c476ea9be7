#include "support/TestEnv.h"

#include "core/access/PassCheck.h"
#include "core/access/People.h"
#include "core/catalogue/Discs.h"
#include "core/members/Members.h"
#include "core/settings/FirstRun.h"
#include "core/settings/Registry.h"
#include "core/settings/Settings.h"
#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/ServerAddress.h"
#include "core/store/Shop.h"
#include "core/store/SingleInstance.h"
#include "ui/app/MDIMain.h"
#include "ui/common/Seams.h"

#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QStatusBar>
#include <QToolBar>
#include <QUuid>
#include <memory>

// A child window of the kind later windows are.
class ProbeWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ProbeWindow(const QString& title = QStringLiteral("查询影碟信息"))
    {
        setWindowTitle(title);
        resize(200, 120);
    }
};

class OtherWindow : public QWidget
{
    Q_OBJECT
public:
    OtherWindow()
    {
        setWindowTitle(QStringLiteral("查询会员信息"));
        resize(200, 120);
    }
};

namespace {
QAction* Item(QWidget& window, const QString& name)
{
    return window.findChild<QAction*>(name);
}

QStringList Writes(std::function<void()> run)
{
    QStringList writes;
    RegeditValStr::SetWriteObserver(
        [&writes](const QString& name, const QString& text) { writes << name + u'=' + text; });
    run();
    RegeditValStr::SetWriteObserver({});
    return writes;
}
} // namespace

class TestMDIMain : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;
    QList<QSize> switches;

    void notFirstRun(const QList<std::pair<QString, QString>>& more = {})
    {
        QList<std::pair<QString, QString>> values = {
            {"FirstRunTime", "False"}, {"HYDJ", "3"}, {"FJZJ", "10"}};
        home->setSettings(values + more);
    }

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>();
        switches.clear();
        Seams().screenSize = [] { return QSize(1024, 768); };
        Seams().switchDisplay = [this](QSize size) {
            switches << size;
            return false; // a refusal changes nothing
        };
    }
    void cleanup() { home.reset(); }

    void menuBarOrderAndHiddenPopup()
    {
        MDIMain window;
        QStringList titles;
        for (QAction* action : window.menuBar()->actions())
            titles << action->text();
        QCOMPARE(titles, QStringList({"系统(&S)", "查询信息(&R)", "修改信息(&O)", "删除信息(&L)",
                                      "添加信息(&T)", "统计数据(&C)", "打印报表(&D)", "窗口(&W)",
                                      "帮助(&E)"}));
        QCOMPARE(window.popupMenu()->objectName(), QStringLiteral("mnuPop"));
        QVERIFY(!window.menuBar()->actions().contains(window.popupMenu()->menuAction()));
    }

    void everyCommandIsEnabled()
    {
        MDIMain window;
        int checked = 0;
        for (QAction* action : window.findChildren<QAction*>()) {
            const QString name = action->objectName();
            if (!name.startsWith(u"mnu") && !name.startsWith(u"Toolbar1"))
                continue;
            ++checked;
            QVERIFY2(action->isEnabled(), qPrintable(name));
        }
        QCOMPARE(checked, 40 + 7);
    }

    void toolbarButtonsByPosition()
    {
        MDIMain window;
        auto* toolbar = window.findChild<QToolBar*>(QStringLiteral("Toolbar1"));
        QVERIFY(toolbar);
        QCOMPARE(toolbar->actions().size(), 7);
        ScriptedMessages messages;
        for (int position : {-1, 0, 8, 100})
            window.onToolbar1ButtonClick(position);
        QVERIFY(messages.shown.isEmpty());
    }

    void popupOnlyOverEmptyClientArea()
    {
        MDIMain window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.openChild<ProbeWindow>()->parentWidget()->move(0, 0);
        QWidget* viewport = window.mdiArea()->viewport();
        const QPoint empty(viewport->width() - 10, viewport->height() - 10);
        QVERIFY(!viewport->childAt(empty));

        QTest::mouseRelease(viewport, Qt::LeftButton, {}, empty);
        QVERIFY(!window.popupMenu()->isVisible());
        QTest::mouseRelease(viewport, Qt::RightButton, {}, QPoint(20, 20)); // over the child
        QVERIFY(!window.popupMenu()->isVisible());
        QTest::mouseRelease(viewport, Qt::RightButton, {}, empty);
        QVERIFY(window.popupMenu()->isVisible());
        window.popupMenu()->hide();
    }

    void statusPanelsAfterStartup()
    {
        notFirstRun();
        OpenDatabase();
        RunSql(QStringLiteral(
            "INSERT INTO ydxx VALUES ('1','A','故事片','VCD','/','/','2003-11-01','否','/'),"
            "('2','B','故事片','DVD','/','/','2003-11-01','否','/'),"
            "('3','C','故事片','DVD','/','/','2003-11-01','否','/')"));
        RunSql(QStringLiteral(
            "INSERT INTO hyxx VALUES ('8','张三','男','/','/',0,0,0,0,'2003-11-09')"));
        CloseDatabase();
        Seams().capsLock = [] { return true; };
        MDIMain window;
        ScriptedMessages messages;
        QVERIFY(window.runStartup());
        QVERIFY(messages.shown.isEmpty());
        QVERIFY(window.findChild<QLabel*>(QStringLiteral("Panel5"))->isEnabled());
        QCOMPARE(window.panelText(1), QStringLiteral("2003年11月09日"));
        QCOMPARE(window.panelText(2), QStringLiteral("就绪"));
        QCOMPARE(window.panelText(3),
                 QStringLiteral("本店影碟库共有影碟 3 张  |  其中VCD 1 张 , DVD 2 张"));
        QCOMPARE(window.panelText(4), QStringLiteral("本店共有 1 名会员"));
        QCOMPARE(window.panelText(5), QStringLiteral("CAPS"));
        QCOMPARE(window.panelText(6), QStringLiteral("未设置管理员密码"));

        // The counts follow the deletions, whoever made them; the date panel
        // keeps the start-up date.
        DiscFilter dvds;
        dvds.ydlx = QStringLiteral("DVD");
        DeleteDiscs(window.shop(), dvds);
        {
            Shop counter(DatabasePath()); // another connection: another counter
            DeleteMembers(counter, {});
        }
        QCOMPARE(window.panelText(4), QStringLiteral("本店共有 1 名会员"));
        window.shop().lookOutside();
        QCOMPARE(window.panelText(3),
                 QStringLiteral("本店影碟库共有影碟 1 张  |  其中VCD 1 张 , DVD 0 张"));
        QCOMPARE(window.panelText(4), QStringLiteral("本店共有 0 名会员"));
        SetTodayForTesting(QDate(2003, 11, 10));
        QCOMPARE(window.panelText(1), QStringLiteral("2003年11月09日"));
    }

    void emptyDatabaseCounts()
    {
        notFirstRun();
        MDIMain window;
        ScriptedMessages messages;
        QVERIFY(window.runStartup());
        QCOMPARE(window.panelText(3),
                 QStringLiteral("本店影碟库共有影碟 0 张  |  其中VCD 0 张 , DVD 0 张"));
        QCOMPARE(window.panelText(4), QStringLiteral("本店共有 0 名会员"));
    }

    // A file's members' money is checked against its ledger in the background
    // at start-up; what disagrees shows on the status bar.
    void startupChecksTheMoney()
    {
        notFirstRun();
        OpenDatabase();
        InsertMember("M");
        RunSql("UPDATE hyxx SET zjje = 1"); // as the sqlite3 shell would: no line
        CloseDatabase();
        MDIMain window;
        ScriptedMessages messages;
        QVERIFY(window.runStartup());
        QTRY_VERIFY(window.panelText(2).startsWith(
            QStringLiteral("账务核对：以下会员的预付租金或押金与账务流水不符：会员 M：预付租金 "
                           "￥1.00（账务流水为 ￥100.00）")));
    }

    void firstRunWritesItsValuesOnce()
    {
        ScriptedMessages messages;
        messages.queue({7});
        {
            MDIMain window;
            QStringList writes = Writes([&] { QVERIFY(window.runStartup()); });
            // The till this PC's ledger lines will name, made once.
            QVERIFY(!writes.isEmpty() &&
                    QUuid::fromString(writes.last().section(u'=', 1)).version() == QUuid::Random);
            QCOMPARE(writes.takeLast().section(u'=', 0, 0), QStringLiteral("TillId"));
            QCOMPARE(writes, QStringList({"FirstRunTime=False", "InstallTime=2003-11-09", "HYDJ=3",
                                          "FJZJ=10"}));
            QVERIFY(QFileInfo(home->folder() + QStringLiteral("/Pictures")).isDir());
            CloseDatabase();
        }
        messages.shown.clear();
        MDIMain again;
        const QStringList writes = Writes([&] { QVERIFY(again.runStartup()); });
        QVERIFY(writes.isEmpty());
    }

    void caption_data()
    {
        // clang-format off
        QTest::addColumn<QString>("userName");
        QTest::addColumn<QString>("caption");
        QTest::newRow("no name") << "" << "凯络影碟出租管理系统 - （无名用户）";
        QTest::newRow("a name") << "阳光影碟" << "凯络影碟出租管理系统 - 阳光影碟";
        // clang-format on
    }
    void caption()
    {
        QFETCH(QString, userName);
        QFETCH(QString, caption);
        notFirstRun({{"UserName", userName}});
        MDIMain window;
        QCOMPARE(window.windowTitle(), QStringLiteral("凯络影碟出租管理系统"));
        ScriptedMessages messages;
        QVERIFY(window.runStartup());
        QCOMPARE(window.windowTitle(), caption);
    }

    void displayCheckAtStartup_data()
    {
        // clang-format off
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<bool>("firstRun");
        QTest::addColumn<QString>("setDisplayRes");
        QTest::addColumn<int>("answer"); // 0: no question expected
        QTest::addColumn<bool>("starts");
        QTest::addColumn<bool>("switched");
        QTest::newRow("1280x1024 offered, yes") << QSize(1280, 1024) << false << "True" << 6 << true << true;
        QTest::newRow("1280x1024 offered, no") << QSize(1280, 1024) << false << "True" << 7 << true << false;
        QTest::newRow("1280x1024 not asked for") << QSize(1280, 1024) << false << "False" << 0 << true << false;
        QTest::newRow("1024x600") << QSize(1024, 600) << false << "True" << 0 << true << false;
        QTest::newRow("1280x768") << QSize(1280, 768) << false << "True" << 0 << true << false;
        QTest::newRow("800x480 ends") << QSize(800, 480) << false << "True" << 0 << false << false;
        QTest::newRow("640x480 ends") << QSize(640, 480) << false << "" << 0 << false << false;
        QTest::newRow("first run 800x600 offered") << QSize(800, 600) << true << "" << 6 << true << true;
        QTest::newRow("first run 640x480 ends") << QSize(640, 480) << true << "" << 0 << false << false;
        // clang-format on
    }
    void displayCheckAtStartup()
    {
        QFETCH(QSize, screen);
        QFETCH(bool, firstRun);
        QFETCH(QString, setDisplayRes);
        QFETCH(int, answer);
        QFETCH(bool, starts);
        QFETCH(bool, switched);
        if (!firstRun)
            notFirstRun({{"SetDisplayRes", setDisplayRes}});
        Seams().screenSize = [screen] { return screen; };
        ScriptedMessages messages;
        if (answer)
            messages.queue({answer});
        if (firstRun && starts)
            messages.queue({7}); // no password for now
        MDIMain window;
        QStringList writes;
        const bool started = [&] {
            bool result = false;
            writes = Writes([&] { result = window.runStartup(); });
            return result;
        }();
        QCOMPARE(started, starts);
        QCOMPARE(switches.size(), switched ? 1 : 0);
        if (switched)
            QCOMPARE(switches[0], QSize(1024, 768));
        QCOMPARE(messages.unanswered, 0);
        if (answer) {
            QCOMPARE(messages.shown.size(), firstRun ? 3 : 1);
            QCOMPARE(messages.shown[0].text,
                     QStringLiteral("您现在的屏幕分辨率是（%1 * %2），建议您以（1024 * "
                                    "768）的分辨率来运行本程序，要更改屏幕的分辨率吗？")
                         .arg(screen.width())
                         .arg(screen.height()));
            QCOMPARE(messages.shown[0].style, 4);
            QCOMPARE(messages.shown[0].title, QStringLiteral("用户提示"));
        } else if (!starts) {
            QCOMPARE(messages.texts(),
                     QStringList{
                         "对不起，本程序只能运行在（800*600）或更高的分辨率上。程序将终止运行！"});
            QVERIFY(writes.isEmpty()); // a first run writes nothing before the check passed
            QVERIFY(!IsDatabaseOpen());
        } else {
            QCOMPARE(messages.shown.size(), firstRun ? 2 : 0);
        }
    }

    // The command line: help and version, and a clear refusal (exit code 2, no
    // window) of what it cannot mean.
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");
        QTest::newRow("help") << QStringList{"--help"} << 0 << "--export-xlsx <FOLDER>";
        QTest::newRow("version") << QStringList{"--version"} << 0 << "movrnt 1.1.0";
        QTest::newRow("unknown option")
            << QStringList{"--bakcup", "x"} << 2 << "Unknown option 'bakcup'";
        QTest::newRow("missing value")
            << QStringList{"--import"} << 2 << "Missing value after '--import'";
        QTest::newRow("stray word")
            << QStringList{"MOVRNT.db"} << 2 << "unexpected argument: MOVRNT.db";
        QTest::newRow("password in the server's address")
            << QStringList{"--database", "postgresql://shop:secret@db/shop"} << 2 << "不能带密码";
        QTest::newRow("empty password")
            << QStringList{"--database", "postgresql://shop:@db/shop"} << 2 << "不能带密码";
        QTest::newRow("password as an option")
            << QStringList{"--database", "postgresql://shop@db/shop?password=x"} << 2
            << "不能带密码";
        QTest::newRow("another user as an option")
            << QStringList{"--database", "postgresql://shop@db/shop?user=postgres"} << 2
            << "不能用选项 user 另指用户";
        QTest::newRow("another database as an option")
            << QStringList{"--database", "postgresql://shop@db/shop?dbname=other"} << 2
            << "不能用选项 dbname 另指数据库";
        QTest::newRow("no database named")
            << QStringList{"--database", "postgresql://shop@db"} << 2 << "缺少数据库名";
        QTest::newRow("not a server's address")
            << QStringList{"--database", "/srv/MOVRNT.db"} << 2 << "地址无效";
        QTest::newRow("server and file jobs")
            << QStringList{"--database", "postgresql://shop@db/shop", "--copy-from",
                           "postgresql://shop@db/old"}
            << 2 << "not with --database";
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        QProcess movrnt;
        QProcessEnvironment english = QProcessEnvironment::systemEnvironment();
        english.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        movrnt.setProcessEnvironment(english);
        movrnt.start(QCoreApplication::applicationDirPath() + QStringLiteral("/movrnt"), arguments);
        QVERIFY(movrnt.waitForFinished(60000));
        QCOMPARE(movrnt.exitCode(), exitCode);
        const QString output = QString::fromLocal8Bit(
            exitCode == 0 ? movrnt.readAllStandardOutput() : movrnt.readAllStandardError());
        QVERIFY2(output.contains(said), qPrintable(output));
    }

    // --copy-to asks the owner's password (a script gives it on standard
    // input) and copies nothing when it is not his.
    void copyToAsksTheOwnersPassword()
    {
        const QString server = FreshServerSchema(QStringLiteral("cli"));
        if (server.isEmpty())
            QSKIP("no test server (MOVRNT_TEST_SERVER)");
        OpenDatabase();
        QVERIFY(StorePassword(QStringLiteral("Shop1")));
        const QString owner =
            QStringLiteral("店主") + QString::number(QCoreApplication::applicationPid());
        QCOMPARE(RenamePerson(kFirstOwnerName, owner), QString());
        CloseDatabase();
        SetShopLocation(server); // its people's logins go with the test's home
        for (const auto& [typed, exitCode] : {std::pair{"Shop2", 1}, std::pair{"Shop1", 0}}) {
            QProcess movrnt;
            movrnt.start(QCoreApplication::applicationDirPath() + QStringLiteral("/movrnt"),
                         {"--home", home->folder(), "--copy-to", server});
            movrnt.write(QByteArray(typed) + '\n');
            movrnt.closeWriteChannel();
            QVERIFY(movrnt.waitForFinished(60000));
            const QString said = QString::fromLocal8Bit(movrnt.readAllStandardError());
            QVERIFY2(movrnt.exitCode() == exitCode, qPrintable(said));
            if (exitCode)
                QVERIFY2(said.contains(QStringLiteral("店主的密码不正确")), qPrintable(said));
        }
        QVERIFY(LogOn(owner, QStringLiteral("Shop1")).person);
        SetServerLogin({}, {});
    }

    // The command line speaks the user's language: Chinese under a Chinese
    // locale (Qt's own words too), English otherwise.
    void helpSpeaksTheUsersLanguage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("Chinese") << "zh_CN.UTF-8"
                                 << QStringList{"用法：", "选项：", "【替换】整个店的数据",
                                                "多余的参数：x"};
        QTest::newRow("English") << "C.UTF-8"
                                 << QStringList{"Usage:", "Options:", "REPLACES the whole shop",
                                                "unexpected argument: x"};
    }
    void helpSpeaksTheUsersLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, said);
        QString output;
        for (const QStringList& arguments : {QStringList{"--help"}, QStringList{"x"}}) {
            QProcess movrnt;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("LC_ALL"), locale);
            environment.remove(QStringLiteral("LANGUAGE"));
            movrnt.setProcessEnvironment(environment);
            movrnt.start(QCoreApplication::applicationDirPath() + QStringLiteral("/movrnt"),
                         arguments);
            QVERIFY(movrnt.waitForFinished(60000));
            output +=
                QString::fromUtf8(movrnt.readAllStandardOutput() + movrnt.readAllStandardError());
        }
        for (const QString& words : said)
            QVERIFY2(output.contains(words), qPrintable(words + u'\n' + output));
    }

    // The manual page describes every option --help lists, and no other.
    void manualPageListsTheOptionsOfHelp()
    {
        QProcess movrnt;
        QProcessEnvironment english = QProcessEnvironment::systemEnvironment();
        english.insert(QStringLiteral("LC_ALL"),
                       QStringLiteral("C.UTF-8")); // the manual page is English
        movrnt.setProcessEnvironment(english);
        movrnt.start(QCoreApplication::applicationDirPath() + QStringLiteral("/movrnt"),
                     {"--help"});
        QVERIFY(movrnt.waitForFinished(60000));
        QStringList help;
        static const QRegularExpression helpOption(QStringLiteral("^\\s+(?:-\\w, )?(--[a-z-]+)"),
                                                   QRegularExpression::MultilineOption);
        for (auto match =
                 helpOption.globalMatch(QString::fromLocal8Bit(movrnt.readAllStandardOutput()));
             match.hasNext();)
            help << match.next().captured(1);
        QFile manual(QStringLiteral(MOVRNT_MANUAL));
        QVERIFY(manual.open(QIODevice::ReadOnly));
        const QString page = QString::fromUtf8(manual.readAll());
        const QString options =
            page.section(QStringLiteral(".SH OPTIONS"), 1).section(QStringLiteral(".SH "), 0, 0);
        QStringList described;
        static const QRegularExpression manOption(
            QStringLiteral("^\\.B[IR]? .*?(\\\\-\\\\-[a-z\\\\-]+)"),
            QRegularExpression::MultilineOption);
        for (auto match = manOption.globalMatch(options); match.hasNext();)
            described << match.next().captured(1).remove(u'\\');
        help.sort();
        described.sort();
        QVERIFY(!help.isEmpty());
        QCOMPARE(described, help);
    }

    void secondInstanceIsRefused()
    {
        LockHolder running(home->folder());
        QVERIFY(running.started());
        ScriptedMessages messages;
        MDIMain window;
        QStringList writes;
        bool started = true;
        writes = Writes([&] { started = window.runStartup(); });
        QVERIFY(!started);
        QCOMPARE(messages.texts(),
                 QStringList{"已有一个本程序的实例在运行，在同一时间只能运行本程序的一个实例!"});
        QCOMPARE(messages.shown[0].title, QStringLiteral("用户提示"));
        QVERIFY(writes.isEmpty());
    }

    // The error report names the folder and what to copy there; a first run
    // that could not open the shop is taken back, so the next start asks again.
    void missingDatabaseEndsThroughErrorReport_data()
    {
        QTest::addColumn<bool>("firstRun");
        QTest::newRow("a later start") << false;
        QTest::newRow("the first start") << true;
    }
    void missingDatabaseEndsThroughErrorReport()
    {
        QFETCH(bool, firstRun);
        if (!firstRun)
            notFirstRun();
        QVERIFY(QFile::remove(home->databasePath()));
        ScriptedMessages messages;
        // (a first run: no password now;) show the error's details
        if (firstRun)
            messages.queue({7, 6});
        else
            messages.queue({6});
        MDIMain window;
        QVERIFY(!window.runStartup());
        const QStringList texts = messages.texts().mid(firstRun ? 2 : 0);
        QCOMPARE(texts.size(), 4);
        QCOMPARE(texts[0], QStringLiteral("系统发生错误，要查看错误的具体描述吗？"));
        QVERIFY2(texts[1].startsWith(QStringLiteral("错误描述 : 找不到数据库文件")) &&
                     texts[1].contains(QStringLiteral("复制到文件夹 ") + home->folder()),
                 qPrintable(texts[1]));
        QVERIFY(!QFile::exists(home->databasePath()));
        QCOMPARE(IsFirstRun(), firstRun);
    }

    void childWindowsOpenOnceAndAreListed()
    {
        MDIMain window;
        window.show();
        ProbeWindow* first = window.openChild<ProbeWindow>();
        OtherWindow* other = window.openChild<OtherWindow>();
        QCOMPARE(window.mdiArea()->activeSubWindow()->widget(), other);
        QCOMPARE(window.openChild<ProbeWindow>(), first);
        QCOMPARE(window.mdiArea()->subWindowList().size(), 2);
        QCOMPARE(window.mdiArea()->activeSubWindow()->widget(), first);

        auto* windowMenu = window.findChild<QMenu*>(QStringLiteral("mnuCK"));
        Q_EMIT windowMenu->aboutToShow();
        QStringList listed;
        for (QAction* action : windowMenu->actions())
            if (!action->isSeparator() && action->objectName().isEmpty())
                listed << action->text() + (action->isChecked() ? QStringLiteral("*") : QString());
        QCOMPARE(listed, QStringList({"&1 查询影碟信息*", "&2 查询会员信息"}));

        const QPoint before = other->parentWidget()->pos();
        Item(window, QStringLiteral("mnuCDItem"))->trigger();
        QVERIFY(other->parentWidget()->pos() != before ||
                first->parentWidget()->pos() != QPoint(0, 0));
    }

    void exitAnsweredNoKeepsEverything()
    {
        notFirstRun();
        ScriptedMessages messages;
        MDIMain window;
        QVERIFY(window.runStartup());
        window.show();
        window.openChild<ProbeWindow>();
        window.openChild<OtherWindow>();
        messages.queue({7, 7});
        Item(window, QStringLiteral("mnuTCItem"))->trigger();
        QVERIFY(!window.close());
        QCOMPARE(messages.texts(),
                 QStringList(
                     2, "系统即将退出，如果尚有子窗口未关闭，则数据可能丢失！确定要现在退出吗？"));
        QCOMPARE(messages.shown[0].style, 4);
        QVERIFY(window.isVisible());
        QCOMPARE(window.mdiArea()->subWindowList().size(), 2);
        QVERIFY(IsDatabaseOpen());

        messages.queue({6});
        QVERIFY(window.close());
        QVERIFY(!IsDatabaseOpen());
    }
};

MOVRNT_TEST_MAIN(TestMDIMain)
#include "tst_mdimain.moc"
