#include "support/TestEnv.h"
#include "support/UiHelpers.h"

#include "core/access/PassCheck.h"
#include "ui/app/AutoBackup.h"
#include "ui/app/MDIMain.h"
#include "ui/catalogue/FormYDCX.h"
#include "ui/common/FolderLists.h"
#include "ui/common/MessageBox.h"
#include "ui/common/Seams.h"
#include "ui/maintenance/FormExcel.h"
#include "ui/maintenance/FormSJBF.h"
#include "ui/maintenance/FormZJCZ.h"
#include "ui/members/FormHYXX.h"
#include "ui/settings/FormGNCS.h"

#include "core/maintenance/Backup.h"
#include "core/maintenance/Expert.h"
#include "core/money/Ledger.h"
#include "core/rentals/Rentals.h"
#include "core/settings/Parameters.h"
#include "core/settings/Settings.h"
#include "core/store/ServerAddress.h"
#include "core/store/Shop.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <memory>

class TestMaintenance : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;
    std::unique_ptr<MDIMain> main;
    QStringList opened;

    QString folder(const QString& name) const
    {
        const QString path = home->folder() + u'/' + name;
        QDir().mkpath(path);
        return path;
    }

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>();
        home->setSettings({{"FirstRunTime", "False"}, {"HYDJ", "3"}, {"FJZJ", "10"}});
        SetUserMode(QString());
        opened.clear();
        Seams().execDialog = [this](QDialog& dialog) {
            opened << dialog.objectName();
            return int(QDialog::Rejected);
        };
        main = std::make_unique<MDIMain>();
        ScriptedMessages quiet;
        QVERIFY(main->runStartup());
    }
    void cleanup()
    {
        main.reset();
        SetUserMode(QString());
        home.reset();
    }

    void parametersOpenWithTheirDefaultsAndSaveInEffect()
    {
        InsertMember("A", "张三", "男", 0, 100, 50, 25);
        main->runCommand(Command::HYXX);
        auto* members = main->findWindow<FormHYXX>();
        FormGNCS dialog(main->shop());
        const QList<std::pair<Setting, QString>> shown = {{Setting::AutoBackupTime, "30"},
                                                          {Setting::YJJEVCD, "￥10"},
                                                          {Setting::YJJEDVD, "￥20"},
                                                          {Setting::Alertdays, "7"},
                                                          {Setting::HYDJ, "3"},
                                                          {Setting::FJZJ, "10"},
                                                          {Setting::LateFee, "￥0"},
                                                          {Setting::PCVCD, "￥30"},
                                                          {Setting::PCDVD, "￥50"},
                                                          {Setting::YYTS, "3"}};
        for (const auto& [setting, text] : shown)
            QCOMPARE(dialog.stepLabel(setting)->text(), text);
        for (const char* box : {"CheckZDBF", "CheckYJJE", "CheckZDTX", "CheckSZFBL"})
            QVERIFY(!Child<QCheckBox>(&dialog, box)->isChecked());
        QVERIFY(!Child<QPushButton>(&dialog, "CommandLJ")->isEnabled());
        QVERIFY(!Child<QCheckBox>(&dialog, "CheckLBFS")->isEnabled()); // no password set
        QTest::mouseClick(Child<QCheckBox>(&dialog, "CheckZDBF"), Qt::LeftButton);
        QVERIFY(Child<QPushButton>(&dialog, "CommandLJ")->isEnabled());
        QTest::mouseClick(Child<QToolButton>(&dialog, "UpDownJGDown"), Qt::LeftButton);
        QTest::mouseClick(Child<QToolButton>(&dialog, "UpDownFJZJUp"), Qt::LeftButton);
        QTest::mouseClick(Child<QToolButton>(&dialog, "UpDownCQFJUp"), Qt::LeftButton);
        QTest::mouseClick(Child<QToolButton>(&dialog, "UpDownPCVCDUp"), Qt::LeftButton);
        QTest::mouseClick(Child<QToolButton>(&dialog, "UpDownYYTSUp"), Qt::LeftButton);
        QVERIFY(!Child<QComboBox>(&dialog, "ComboZK")->isEnabled()); // slips off by default
        QTest::mouseClick(Child<QCheckBox>(&dialog, "CheckPT"), Qt::LeftButton);
        Child<QComboBox>(&dialog, "ComboZK")->setCurrentIndex(0);
        Type(&dialog, "TextDM", " 街角影碟 ");
        Press(&dialog, "CommandQD");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(GetSetting(Setting::AutoBackup), QStringLiteral("True"));
        QCOMPARE(GetSetting(Setting::AutoBackupTime), QStringLiteral("20"));
        QCOMPARE(GetSetting(Setting::YJJEVCD), QStringLiteral("10"));
        QCOMPARE(GetSetting(Setting::FJZJ), QStringLiteral("20"));
        QCOMPARE(GetSetting(Setting::LateFee), QStringLiteral("1"));
        QCOMPARE(GetSetting(Setting::PCVCD), QStringLiteral("35"));
        QCOMPARE(GetSetting(Setting::YYTS), QStringLiteral("4"));
        QCOMPARE(GetSetting(Setting::AutoBackupPath), DefaultAutoBackupPath());
        QCOMPARE(GetSetting(Setting::ReceiptPaper), QStringLiteral("58"));
        QCOMPARE(GetSetting(Setting::ShopName), QStringLiteral("街角影碟"));
        QVERIFY(main->backup()->timer()->isActive());
        QCOMPARE(main->backup()->timer()->interval(), 20000);
        QCOMPARE(members->model()->cell(0, 5), QStringLiteral("1")); // 25 rentals, 20 a level
    }

    // The counter's database is chosen for the next start: a server's
    // address without a password, tried before it is kept.
    void databasePageChoosesTheServerForTheNextStart_data()
    {
        QTest::addColumn<bool>("server");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("kept"); // the setting afterwards; "-": the dialog stays open
        QTest::newRow("the file") << false << "postgresql://shop@db/shop"
                                  << "";
        QTest::newRow("a server") << true << " postgresql://shop@db:5433/shop "
                                  << "postgresql://shop@db:5433/shop";
        QTest::newRow("a password in it") << true << "postgresql://shop:pw@db/shop"
                                          << "-";
        QTest::newRow("no address") << true << ""
                                    << "-";
    }
    void databasePageChoosesTheServerForTheNextStart()
    {
        QFETCH(bool, server);
        QFETCH(QString, url);
        QFETCH(QString, kept);
        FormGNCS dialog(main->shop());
        QVERIFY(Child<QRadioButton>(&dialog, "OptionWJ")->isChecked());
        QVERIFY(!Child<QLineEdit>(&dialog, "TextFWQ")->isEnabled());
        if (server)
            Child<QRadioButton>(&dialog, "OptionFWQ")->click();
        Child<QLineEdit>(&dialog, "TextFWQ")->setText(url);
        ScriptedMessages messages;
        Press(&dialog, "CommandQD");
        QCOMPARE(dialog.result(), int(kept == u"-" ? QDialog::Rejected : QDialog::Accepted));
        QCOMPARE(GetSetting(Setting::Database), kept == u"-" ? QString() : kept);
        QCOMPARE(messages.texts().size(), kept == u"-" ? 1 : 0);
    }

    // The error report sends its reader to the shop's own helper once one is set.
    void supportAddressIsTheShops()
    {
        FormGNCS dialog(main->shop());
        QCOMPARE(Child<QLineEdit>(&dialog, "TextYX")->placeholderText(), kSupportAddress);
        Type(&dialog, "TextYX", " help@shop.example ");
        ScriptedMessages messages;
        Press(&dialog, "CommandQD");
        QCOMPARE(GetSetting(Setting::SupportAddress), QStringLiteral("help@shop.example"));
        messages.queue({6});
        ReportError(QStringLiteral("x"), QStringLiteral("y"));
        QCOMPARE(messages.texts().last(),
                 QStringLiteral("已检测到系统出现了错误！请将错误提示信息发送到help@shop.example"));
    }

    void connectionIsTriedOnTheServer()
    {
        const QString url = FreshServerSchema(QStringLiteral("try"));
        if (url.isEmpty())
            QSKIP("no test server (MOVRNT_TEST_SERVER)");
        FormGNCS dialog(main->shop());
        Child<QRadioButton>(&dialog, "OptionFWQ")->click();
        ScriptedMessages messages;
        const ServerAddress server = ParseServerUrl(url);
        const QString at = QStringLiteral("@%1:%2/").arg(server.host).arg(server.port);
        for (const QString& address : {url, url, QStringLiteral("postgresql://x@127.0.0.1:1/x"),
                                       "postgresql://" + server.user + at + "nodb",
                                       "postgresql://nosuchrole" + at + server.database}) {
            Child<QLineEdit>(&dialog, "TextFWQ")->setText(address);
            Press(&dialog, "CommandCS");
            if (messages.texts().size() == 1)
                Shop::Create(url); // the first found no shop there
        }
        // libpq's failures said as a shop owner can follow them, its words after.
        const QStringList texts = messages.texts();
        QCOMPARE(texts.size(), 5);
        QVERIFY2(
            texts[0].contains("还没有影碟店的数据") && texts[1].startsWith("连接成功") &&
                texts[2].startsWith("无法连接数据库服务器") &&
                texts[2].contains(
                    "数据库服务器拒绝连接：服务器上的数据库没有运行，或端口不对\n详细信息：") &&
                texts[3].contains("数据库服务器上没有数据库 nodb") &&
                texts[4].contains("数据库服务器上没有用户 nosuchrole"),
            qPrintable(texts.join('\n')));
    }

    void backupAndRestoreThroughTheWindow()
    {
        InsertDisc("1");
        main->runCommand(Command::YDXX);
        auto* discs = main->findWindow<FormYDCX>();
        FormSJBF window(main->shop());
        window.folderLists()->showFolder(folder("usb"));
        QCOMPARE(Child<QLabel>(&window, "LabelLJ")->text(), BackupPathIn(folder("usb")));
        QVERIFY(!Child<QPushButton>(&window, "CommandZDBF")->isEnabled());
        ScriptedMessages messages;
        Press(&window, "CommandBF");
        QCOMPARE(messages.texts(), QStringList{"数据库备份成功！"});
        QCOMPARE(messages.status, QStringList{"就绪"});
        InsertDisc("2");
        // A folder without a backup: refused, nothing replaced.
        window.folderLists()->showFolder(folder("empty"));
        messages.queue({6});
        Press(&window, "CommandQY");
        // The window's failure message, then the reason on a line of its own.
        QCOMPARE(messages.last().section(u'\n', 0, 0),
                 QStringLiteral("启用新数据库时发生错误！可能是由于目标数据库不存在"
                                "或当前工作数据库被写保护！启用操作失败！"));
        QVERIFY(messages.last().section(u'\n', 1).startsWith(QStringLiteral("找不到数据库文件")));
        QCOMPARE(Count("SELECT COUNT(*) FROM ydxx"), 2);
        // No to the confirmation changes nothing either.
        window.folderLists()->showFolder(folder("usb"));
        messages.queue({7});
        Press(&window, "CommandQY");
        QCOMPARE(Count("SELECT COUNT(*) FROM ydxx"), 2);
        messages.shown.clear();
        messages.queue({6});
        Press(&window, "CommandQY");
        QCOMPARE(messages.texts().last(), QStringLiteral("数据库启用成功！"));
        QCOMPARE(messages.shown.first().title, QStringLiteral("用户警告"));
        QCOMPARE(Count("SELECT COUNT(*) FROM ydxx"), 1);
        QCOMPARE(Column(discs->model(), 0), QStringList({"1", ""}));
        QCOMPARE(main->panelText(3),
                 QStringLiteral("本店影碟库共有影碟 1 张  |  其中VCD 1 张 , DVD 0 张"));
        QCOMPARE(main->panelText(2), QStringLiteral("就绪"));
    }

    // Typed statements run confined: on the file, by the engine's authorizer;
    // on a server, under a role of data rights only, one statement a
    // transaction, stopped by a cancel sent to the server.
    void expertStatements_data()
    {
        // clang-format off
        QTest::addColumn<bool>("server");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("shown"); // the result window's title and row count
        QTest::addColumn<qint64>("members"); // members with level 2 afterwards
        QTest::addColumn<QString>("reason"); // in the error report's description
        const QString ok = "SQL语句执行成功！";
        const QStringList report = {"系统发生错误，要查看错误的具体描述吗？"};
        const QString none;
        for (bool server : {false, true}) {
            const auto row = [server](const char* name) {
                return &(QTest::newRow(qPrintable((server ? QStringLiteral("server: ") : QString()) + QString::fromUtf8(name))) << server);
            };
            *row("a query") << "SELECT * FROM hyxx -- all" << QStringList{ok} << "'SELECT * FROM hyxx -- all' 的执行结果:2" << qint64(0) << none;
            *row("an update") << "UPDATE hyxx SET hydj = 2;" << QStringList{ok} << "" << qint64(2) << none;
            *row("a table made") << "CREATE TABLE notes (x TEXT)" << QStringList{ok} << "" << qint64(0) << none;
            // The totals' triggers write what the typed statement may not.
            *row("a rental, counted") << "INSERT INTO zjxx (bh, czrq, sfyh, hybh) VALUES ('X', '2003-11-09', '是', '/')" << QStringList{ok} << "" << qint64(0) << none;
            *row("the ledger read") << "SELECT * FROM zwls WHERE ywlx = '散客押金'" << QStringList{ok, "没有找到记录！"} << "" << qint64(0) << none;
            *row("the loss records read") << "SELECT * FROM ssjl" << QStringList{ok, "没有找到记录！"} << "" << qint64(0) << none;
            *row("the stocktakes read") << "SELECT * FROM pdxx, pdsm" << QStringList{ok, "没有找到记录！"} << "" << qint64(0) << none;
            *row("two statements") << "SELECT 1; UPDATE hyxx SET hydj = 2" << report << "" << qint64(0) << "一次只能执行一条";
            *row("refused") << "SELEC hybh FROM hyxx" << report << "" << qint64(0) << "syntax error";
            // What the program refuses, the database refuses too.
            *row("money made NULL") << "UPDATE hyxx SET zjje = NULL" << report << "" << qint64(0) << "预付租金和押金应为数值";
            *row("a member numbered as walk-ins") << "INSERT INTO hyxx (hybh, hyxb, hydj, zjje, yjje, yjps) VALUES ('/', '男', 0, 0, 0, 0)" << report << "" << qint64(0) << "不能是“/”";
            *row("a rental open twice") << "INSERT INTO zjxx (bh, czrq, sfyh, hybh) SELECT 'Y', '2003-11-09', '否', '/' FROM hyxx" << report << "" << qint64(0) << "zjxx";
        }
        const auto file = [](const char* name) { return &(QTest::newRow(name) << false); };
        const auto server = [](const char* name) { return &(QTest::newRow(name) << true); };
        *file("empty") << "" << QStringList{"SQL语句不能为空！"} << "" << qint64(0) << none;
        *file("no rows") << "SELECT * FROM hyxx WHERE hybh = 'none'" << QStringList{ok, "没有找到记录！"} << "" << qint64(0) << none;
        *file("select inside an update") << "UPDATE hyxx SET hydj = (SELECT 2)" << QStringList{ok} << "" << qint64(2) << none;
        // Confined: nothing typed harms the shop or the connection, or reaches a file.
        *file("writable schema") << "PRAGMA writable_schema=ON" << report << "" << qint64(0) << "PRAGMA writable_schema";
        *file("schema table") << "UPDATE sqlite_master SET sql = 'x' WHERE name = 'hyxx'" << report << "" << qint64(0) << "sqlite_master";
        *file("journal") << "PRAGMA journal_mode=DELETE" << report << "" << qint64(0) << "PRAGMA journal_mode";
        *file("attach") << "ATTACH 'leak.db' AS leak" << report << "" << qint64(0) << "附加";
        *file("vacuum into") << "VACUUM INTO 'leak.db'" << report << "" << qint64(0) << "附加";
        *file("transaction") << "BEGIN" << report << "" << qint64(0) << "事务";
        *file("totals") << "UPDATE jlsl SET sl = 0" << report << "" << qint64(0) << "统计数据";
        *file("ledger") << "DELETE FROM zwls" << report << "" << qint64(0) << "账务流水";
        *file("loss records") << "DELETE FROM ssjl" << report << "" << qint64(0) << "丢失损坏记录";
        *file("stocktake scans") << "UPDATE pdsm SET jg = '在店'" << report << "" << qint64(0) << "盘点扫描记录";
        *file("totals' trigger") << "DROP TRIGGER zjxx_totals_insert" << report << "" << qint64(0) << "触发器";
        *file("a trigger of his own") << "CREATE TRIGGER mine AFTER INSERT ON zjxx BEGIN DELETE FROM hyxx; END" << report << "" << qint64(0) << "触发器";
        *file("a temporary ledger") << "CREATE TEMP TABLE zwls (x)" << report << "" << qint64(0) << "临时表";
        *file("a temporary trigger") << "CREATE TEMP TRIGGER mine AFTER INSERT ON main.zjxx BEGIN SELECT 1; END" << report << "" << qint64(0) << "触发器";
        *file("a shop table renamed") << "ALTER TABLE zjxx RENAME TO zjxx_old" << report << "" << qint64(0) << "结构或索引";
        *file("a shop table dropped") << "DROP TABLE zjxx" << report << "" << qint64(0) << "结构或索引";
        *file("a shop index dropped") << "DROP INDEX zjxx_one_open" << report << "" << qint64(0) << "结构或索引";
        *file("an index on a shop table") << "CREATE UNIQUE INDEX mine ON zjxx (czrq)" << report << "" << qint64(0) << "结构或索引";
        *file("the rental counter") << "DELETE FROM sqlite_sequence" << report << "" << qint64(0) << "内部数据表";
        *file("a name past a cell") << "UPDATE hyxx SET hyxm = printf('%.*c', 40000, 'x')" << report << "" << qint64(0) << "32767";
        *file("a reading pragma") << "PRAGMA table_info(hyxx);" << QStringList{ok} << "'PRAGMA table_info(hyxx);' 的执行结果:10" << qint64(0) << none;
        *file("extension") << "SELECT load_extension('leak.so')" << report << "" << qint64(0) << "扩展";
        *file("endless, stopped") << "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT i FROM n" << report << "" << qint64(0) << "已停止";
        *server("server: transaction") << "/* x */ COMMIT" << report << "" << qint64(0) << "COMMIT";
        *server("server: role left") << "RESET ROLE" << report << "" << qint64(0) << "RESET";
        *server("server: change log") << "UPDATE bdjl SET xh = 0" << report << "" << qint64(0) << "permission denied";
        *server("server: totals") << "DELETE FROM mrcz" << report << "" << qint64(0) << "permission denied";
        *server("server: ledger") << "UPDATE zwls SET je = 0" << report << "" << qint64(0) << "permission denied";
        *server("server: loss records") << "DELETE FROM ssjl" << report << "" << qint64(0) << "permission denied";
        *server("server: a stocktake finished") << "UPDATE pdxx SET zt = '完成'" << report << "" << qint64(0) << "permission denied";
        *server("server: shop's settings") << "SELECT * FROM cssz" << report << "" << qint64(0) << "permission denied";
        *server("server: a shop table dropped") << "DROP TABLE hyxx" << report << "" << qint64(0) << "owner";
        *server("server: server's files") << "SELECT pg_read_file('/etc/passwd')" << report << "" << qint64(0) << "permission denied";
        *server("server: not a number") << "UPDATE hyxx SET zjje = 'NaN'" << report << "" << qint64(0) << "预付租金和押金应为数值";
        *server("server: past the bound") << "UPDATE hyxx SET yjje = 1e20" << report << "" << qint64(0) << "预付租金和押金应为数值";
        *server("server: a name past a cell") << "UPDATE hyxx SET hyxm = repeat('x', 40000)" << report << "" << qint64(0) << "32767";
        *server("server: DO in nested comments") << "/* /* */ SELECT */ DO $$BEGIN END$$" << report << "" << qint64(0) << "DO";
        *server("server: a function, no blank") << "CREATE/**/FUNCTION f() RETURNS int LANGUAGE sql AS 'SELECT 1'" << report << "" << qint64(0) << "CREATE FUNCTION";
        *server("server: a long lock") << "LOCK TABLE zjxx IN EXCLUSIVE MODE" << report << "" << qint64(0) << "LOCK";
        *server("server: back to the counter's role") << "SELECT set_config('role', current_user, true)" << report << "" << qint64(0) << "set_config";
        *server("server: a flood of notifications") << "SELECT pg_notify('movrnt', 'zjxx') FROM generate_series(1, 1000)" << report << "" << qint64(0) << "pg_notify";
        *server("server: endless, stopped") << "SELECT COUNT(*) FROM generate_series(1, 100000000000)" << report << "" << qint64(0) << "已停止";
        // clang-format on
    }
    void expertStatements()
    {
        QFETCH(bool, server);
        QFETCH(QString, sql);
        QFETCH(QStringList, messages);
        QFETCH(QString, shown);
        QFETCH(qint64, members);
        QFETCH(QString, reason);
        std::unique_ptr<Shop> shop;
        if (server) {
            const QString url = FreshServerSchema(QStringLiteral("expert"));
            if (url.isEmpty())
                QSKIP("no test server (MOVRNT_TEST_SERVER)");
            shop = Shop::Create(url);
            SetShopLocation(url);
            SetSessionShop(shop.get()); // the counter works on the server
        }
        const auto back = qScopeGuard([this, current = QDir::currentPath()] {
            QDir::setCurrent(current);
            SetShopLocation({});
            SetSessionShop(&main->shop());
        });
        QDir::setCurrent(home->folder()); // where a relative leak.db would go
        InsertMember("A");
        InsertMember("B");
        QStringList results;
        Seams().execDialog = [&results](QDialog& dialog) {
            if (auto* grid = dialog.findChild<GridView*>())
                results << dialog.windowTitle() + u':' +
                               QString::number(grid->gridModel()->total());
            return int(QDialog::Rejected);
        };
        // The stop button of the progress dialog, pressed once it shows.
        QTimer stopper;
        QObject::connect(&stopper, &QTimer::timeout, [] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* progress = qobject_cast<QProgressDialog*>(widget);
                    progress && progress->isVisible())
                    if (auto* stop = progress->findChild<QPushButton*>())
                        stop->click();
        });
        stopper.start(100);
        ScriptedMessages answers;
        answers.queue({6, 6}); // run it; show the error's details
        SetUserMode(QStringLiteral("Admin"));
        FormZJCZ window(TestShop());
        Type(&window, "TextSQL", sql);
        Press(&window, "CommandZX");
        QStringList texts = answers.texts();
        if (!sql.isEmpty())
            texts.removeFirst(); // the confirmation
        if (!reason.isEmpty()) {
            QVERIFY2(texts.value(1).contains(reason), qPrintable(texts.value(1)));
            texts = texts.mid(0, 1);
        }
        QVERIFY2(texts == messages, qPrintable(texts.join(u'|')));
        QCOMPARE(results, shown.isEmpty() ? QStringList{} : QStringList{shown});
        QCOMPARE(Count("SELECT COUNT(*) FROM hyxx WHERE hydj = 2"), members);
        QCOMPARE(Count("SELECT COALESCE(SUM(sl), 0) FROM jlsl WHERE bm = 'zjxx' AND zd = 'sfyh'"),
                 Count("SELECT COUNT(*) FROM zjxx"));
        QCOMPARE(Child<QPlainTextEdit>(&window, "TextSQL")->toPlainText(), sql);
        InsertMember("C"); // no transaction left open
        QCOMPARE(Count("SELECT COUNT(*) FROM hyxx"), 3);
        // The shop still rents, backs up, and would restore its backup.
        InsertDisc("R");
        QCOMPARE(RentOut(TestShop(), {"R", "", "10", true}).refusal, RentOutCheck::Ok);
        const QString backup = home->folder() + QStringLiteral("/after.db");
        BackupDatabase(TestShop(), backup);
        QCOMPARE(RestoreProblem(backup), QString());
        if (server) {
            // The expert's tables stand beside the shop's schema, never in it.
            QCOMPARE(
                Count("SELECT COUNT(*) FROM pg_tables WHERE tablename = 'notes' AND schemaname ="
                      " current_schema()"),
                0);
            QCOMPARE(
                Count("SELECT COUNT(*) FROM pg_tables WHERE tablename = 'notes' AND schemaname ="
                      " current_schema() || '_expert'"),
                sql.startsWith(u"CREATE TABLE notes") ? 1 : 0);
            return;
        }
        // The shop's file as it was, nothing beside it.
        QCOMPARE(FirstRow("PRAGMA quick_check"), QStringList{"ok"});
        QCOMPARE(FirstRow("PRAGMA journal_mode"), QStringList{"wal"});
        QCOMPARE(QDir(home->folder()).entryList({"leak*"}), QStringList());
    }

    // A member's money changed by a typed statement is a line of the ledger,
    // so that the ledger still agrees with the members' money.
    void typedMoneyIsALedgerLine_data()
    {
        QTest::addColumn<bool>("server");
        QTest::newRow("file") << false;
        QTest::newRow("server") << true;
    }
    void typedMoneyIsALedgerLine()
    {
        QFETCH(bool, server);
        std::unique_ptr<Shop> shop;
        if (server) {
            const QString url = FreshServerSchema(QStringLiteral("money"));
            if (url.isEmpty())
                QSKIP("no test server (MOVRNT_TEST_SERVER)");
            shop = Shop::Create(url);
            SetShopLocation(url);
            SetSessionShop(shop.get()); // the counter works on the server
        }
        const auto back = qScopeGuard([this] {
            SetShopLocation({});
            SetSessionShop(&main->shop());
        });
        InsertMember("A"); // 100 prepaid, 50 deposit
        ScriptedMessages answers;
        FormZJCZ window(TestShop());
        for (const char* sql :
             {"UPDATE hyxx SET zjje = zjje + 5, yjje = 40",
              "INSERT INTO hyxx VALUES ('N', '新', '女', '/', '/', 0, 7, 0, 0, '2003-11-09')",
              "UPDATE hyxx SET hydj = 1"}) {
            answers.queue({6, 6});
            Type(&window, "TextSQL", sql);
            Press(&window, "CommandZX");
        }
        QVERIFY2(answers.texts().count(QStringLiteral("SQL语句执行成功！")) == 3,
                 qPrintable(answers.texts().join(u'|')));
        QCOMPARE(Rows({"SELECT ywlx, hybh, je FROM zwls WHERE gtmc <> '/' ORDER BY lsh"}),
                 (QStringList{"专家修改预付租金|A|50000", "专家修改会员押金|A|-100000",
                              "期初预付租金|N|70000"}));
        QCOMPARE(Rows({MemberMoneyQuery()}), QStringList());
    }

    void expertModeIsEnteredOnlyAfterTheWarning()
    {
        ScriptedMessages answers;
        answers.queue({7});
        main->runCommand(Command::ZJCZFS);
        QCOMPARE(answers.texts(),
                 QStringList{"专家操作方式只能由熟悉计算机技术的用户使用！要进入专家操作窗口吗？"});
        QCOMPARE(answers.shown.first().title, QStringLiteral("用户警告"));
        QVERIFY(opened.isEmpty());
        answers.queue({6});
        main->runCommand(Command::ZJCZFS);
        QCOMPARE(opened, QStringList{"FormZJCZ"});
        FormZJCZ window(main->shop());
        QTreeWidgetItem* root = window.tree()->topLevelItem(0);
        QVERIFY(root->isExpanded());
        QCOMPARE(root->childCount(), 3);
        QCOMPARE(root->child(1)->childCount(), 6); // zjxx shows no yjje
        window.tree()->itemClicked(root->child(1)->child(1), 0);
        QCOMPARE(Child<QLabel>(&window, "LabelZS")->text(), QStringLiteral("影碟编号（外键）"));
        Press(&window, "CommandExcel");
        QCOMPARE(opened.last(), QStringLiteral("FormExcel"));
    }

    // On a server the mode logs in as its own user, a member of the expert's
    // role alone, with the password the owner types each time.
    void expertOnAServerLogsInAsItsOwnUser()
    {
        const QString url = FreshServerSchema(QStringLiteral("expertlogin"));
        if (url.isEmpty())
            QSKIP("no test server (MOVRNT_TEST_SERVER)");
        Shop::Create(url).reset();
        SetShopLocation(url);
        const auto back = qScopeGuard([] { SetShopLocation({}); });
        main->openShop({}); // the counter works on the server
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("sql"));
            ServerAddress login = ParseServerUrl(url);
            login.user = kExpertLogin;
            login.apply(db);
            QVERIFY2(db.open(), qPrintable(db.lastError().text()));
            QSqlQuery query(db);
            QVERIFY(query.exec("SELECT COUNT(*) FROM hyxx"));
            QVERIFY(!query.exec("SELECT z FROM cssz")); // the administrator's password hash
            const QString counter = ParseServerUrl(qEnvironmentVariable("MOVRNT_TEST_SERVER")).user;
            QVERIFY(!query.exec("SET ROLE " + counter));
            QVERIFY(!query.exec("SELECT set_config('role', '" + counter + "', false)"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("sql"));
        ScriptedMessages answers;
        answers.queue({6});
        main->runCommand(Command::ZJCZFS);
        QCOMPARE(opened, QStringList{"ExpertPassword"}); // 取消: nothing entered
        Seams().execDialog = [this](QDialog& dialog) {
            opened << dialog.objectName();
            if (dialog.objectName() != u"ExpertPassword")
                return int(QDialog::Rejected);
            Type(&dialog, "TextMM", "secret");
            return int(QDialog::Accepted);
        };
        answers.queue({6});
        main->runCommand(Command::ZJCZFS);
        QCOMPARE(opened, (QStringList{"ExpertPassword", "ExpertPassword", "FormZJCZ"}));
    }

    // The client cancels a typed statement past its limit, whatever the
    // statement set on the server.
    void clientStopsAStatementPastItsLimit()
    {
        const QString url = FreshServerSchema(QStringLiteral("limit"));
        if (url.isEmpty())
            QSKIP("no test server (MOVRNT_TEST_SERVER)");
        const std::unique_ptr<Shop> shop = Shop::Create(url);
        SetExpertTimeLimitForTesting(1);
        const auto back = qScopeGuard([] { SetExpertTimeLimitForTesting(0); });
        ExpertSession session(url);
        const TypedStatement statement = session.read("SELECT pg_sleep(20)");
        QString said;
        try {
            session.firstRows(statement, 10);
        } catch (const MovrntError& error) {
            said = error.description();
        }
        QVERIFY2(said.contains("已停止"), qPrintable(said));
    }

    void exchangeThroughTheWindow()
    {
        InsertDisc("001");
        main->runCommand(Command::YDXX);
        auto* discs = main->findWindow<FormYDCX>();
        FormExcel window(main->shop());
        window.folderLists()->showFolder(folder("usb"));
        QCOMPARE(Child<QLabel>(&window, "LabelLJ")->text(), folder("usb") + "/MOVRNT.xlsx");
        ScriptedMessages messages;
        Press(&window, "CommandDC");
        Press(&window, "CommandDC"); // never over the first
        QCOMPARE(messages.texts().first(), QStringLiteral("数据导出成功！"));
        QVERIFY(messages.texts().last().startsWith(QStringLiteral("数据导出失败！")));
        QCOMPARE(messages.status, QStringList({"正在导出数据...", "正在导出数据..."}));
        QCOMPARE(main->panelText(2), QStringLiteral("就绪"));
        InsertDisc("002");
        messages.shown.clear();
        messages.queue({7});
        Press(&window, "CommandDR");
        QCOMPARE(Count("SELECT COUNT(*) FROM ydxx"), 2);
        messages.queue({6});
        Press(&window, "CommandDR");
        QCOMPARE(messages.texts().last(), QStringLiteral("数据导入成功！"));
        QCOMPARE(messages.shown.first().title, QStringLiteral("用户警告"));
        QCOMPARE(Column(discs->model(), 0), QStringList({"001", ""}));
        QCOMPARE(main->panelText(3),
                 QStringLiteral("本店影碟库共有影碟 1 张  |  其中VCD 1 张 , DVD 0 张"));
        // A folder without a workbook: the tables stay.
        window.folderLists()->showFolder(folder("empty"));
        messages.queue({6});
        Press(&window, "CommandDR");
        QVERIFY(messages.last().startsWith(
            QStringLiteral("导入数据过程中出错！可能是由于路径错误或文件错误造成！")));
        QCOMPARE(Count("SELECT COUNT(*) FROM ydxx"), 1);
        QCOMPARE(main->panelText(2), QStringLiteral("就绪"));
        // The older format, read by its helper process from the worker thread.
        QVERIFY(QFile::copy(QFINDTESTDATA("../fuzz/corpus/fuzz_workbook/small.xls"),
                            folder("empty") + "/MOVRNT.xls"));
        window.folderLists()->showFolder(folder("empty"));
        messages.queue({6});
        Press(&window, "CommandDR");
        QCOMPARE(messages.texts().last(), QStringLiteral("数据导入成功！"));
        QCOMPARE(FirstRow("SELECT pm, zy FROM ydxx"), QStringList({"英雄", "O'Neil"}));
    }

    void unreadableDriveGoesBackToTheRoot()
    {
        FormSJBF window(main->shop());
        QComboBox* drives = window.folderLists()->driveList();
        drives->addItem(QStringLiteral("/nonexistent-drive"), QStringLiteral("/nonexistent-drive"));
        ScriptedMessages messages;
        drives->setCurrentIndex(drives->count() - 1);
        Q_EMIT drives->activated(drives->count() - 1);
        QCOMPARE(messages.texts(), QStringList{"目标驱动器不可用！"});
        QCOMPARE(drives->currentData().toString(), QStringLiteral("/"));
        QCOMPARE(Child<QLabel>(&window, "LabelLJ")->text(), QStringLiteral("/MOVRNT.db"));
    }

    void failedAutomaticBackupSwitchesItselfOff_data()
    {
        QTest::addColumn<bool>("guest");
        QTest::newRow("administrator") << false;
        QTest::newRow("guest") << true;
    }
    void failedAutomaticBackupSwitchesItselfOff()
    {
        QFETCH(bool, guest);
        if (guest) {
            QVERIFY(StorePassword(QStringLiteral("Shop1")));
            SetUserMode(QStringLiteral("Guest"));
        }
        SetSetting(Setting::AutoBackup, QStringLiteral("True"));
        SetSetting(Setting::AutoBackupTime, QStringLiteral("10"));
        SetSetting(Setting::AutoBackupPath, BackupPathIn(folder("auto")));
        main->backup()->arm(main->shop());
        QSignalSpy finished(main->backup(), &AutoBackup::finished);
        ScriptedMessages messages;
        main->backup()->onTimerZDBFTimer();
        QVERIFY(finished.wait());
        QCOMPARE(finished.last().first().toBool(), true);
        QVERIFY(QFile::exists(BackupPathIn(folder("auto"))));
        // Unchanged since: the next tick makes no copy.
        main->backup()->onTimerZDBFTimer();
        QCOMPARE(finished.size(), 1);
        // The path is gone between two ticks.
        InsertDisc("1");
        QVERIFY(QDir(folder("auto")).removeRecursively());
        main->backup()->onTimerZDBFTimer();
        QVERIFY(finished.wait());
        QCOMPARE(finished.last().first().toBool(), false);
        QVERIFY(!main->backup()->timer()->isActive());
        QCOMPARE(GetSetting(Setting::AutoBackup), QStringLiteral("False"));
        QCOMPARE(main->panelText(2), QStringLiteral("就绪"));
        QCOMPARE(messages.texts().isEmpty(), guest);
        QCOMPARE(opened, guest ? QStringList{} : QStringList{"FormGNCS"});
    }
};

MOVRNT_TEST_MAIN(TestMaintenance)
#include "tst_maintenance.moc"
