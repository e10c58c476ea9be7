#include "support/TestEnv.h"
#include "support/UiHelpers.h"

#include "core/access/PassCheck.h"
#include "core/maintenance/WorkbookReader.h"
#include "core/settings/Settings.h"
#include "core/store/Clock.h"
#include "ui/app/MDIMain.h"
#include "ui/catalogue/FormYDCX.h"
#include "ui/catalogue/FormYDCZ.h"
#include "ui/common/Background.h"
#include "ui/common/PrintPreview.h"
#include "ui/common/ReportRenderer.h"
#include "ui/common/Seams.h"
#include "ui/common/WindowSupport.h"
#include "ui/members/FormHYCZ.h"
#include "ui/members/FormHYXX.h"
#include "ui/members/FormXGHYXX.h"
#include "ui/rentals/FormHYHD.h"
#include "ui/rentals/FormJZ.h"
#include "ui/rentals/FormPD.h"
#include "ui/rentals/FormSCZJXX.h"
#include "ui/rentals/FormTJZJXX.h"
#include "ui/rentals/FormTX.h"
#include "ui/rentals/FormYYGL.h"
#include "ui/rentals/FormZJXXCX.h"
#include "ui/rentals/ReceiptSlip.h"

#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTimer>
#include <memory>

class TestRentalWindows : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;
    std::unique_ptr<MDIMain> main;
    QStringList opened; // modal dialogs

    template <typename W> W* open(Command command)
    {
        main->runCommand(command);
        W* window = main->findWindow<W>();
        if (!window)
            qFatal("window not open");
        return window;
    }

    void start(const QList<std::pair<QString, QString>>& settings = {})
    {
        home->setSettings(QList<std::pair<QString, QString>>{{"FirstRunTime", "False"},
                                                             {"VCD", "2"},
                                                             {"DVD", "3"},
                                                             {"FJZJ", "10"},
                                                             {"HYDJ", "3"}} +
                          settings);
        QVERIFY(main = StartedMain());
        QVERIFY(QTest::qWaitForWindowActive(main.get()));
    }

    // The rental query on `count` returned rentals numbered 1 on, over 300
    // discs and nine days.
    FormZJXXCX* openManyRentals(int count)
    {
        OpenDatabase();
        RunSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?)"
               " INSERT INTO zjxx (bh, czrq, ghrq, yjje, sfyh, hybh) SELECT 'V' || (i % 300),"
               " '2003-11-0' || (i % 9 + 1), '/', '/', '是', 'M' FROM n",
               {count});
        CloseDatabase();
        start();
        return open<FormZJXXCX>(Command::ZJXX);
    }

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>();
        SetUserMode(QString());
        opened.clear();
        Seams().screenSize = [] { return QSize(1024, 768); };
        Seams().execDialog = [this](QDialog& dialog) {
            opened << dialog.objectName();
            return int(QDialog::Rejected);
        };
        OpenDatabase();
        InsertDisc("V1", "/", "/", "否", "VCD");
        InsertDisc("V2", "/", "/", "否", "VCD");
        InsertDisc("D1", "/", "/", "否", "DVD");
        InsertMember("M", "张三", "男", 0, 5, 50, 9);
        CloseDatabase();
    }
    void cleanup()
    {
        main.reset();
        SetUserMode(QString());
        home.reset();
    }

    void depositBoxFollowsTheMemberNumber()
    {
        start();
        auto* form = open<FormTJZJXX>(Command::TJZJXX);
        auto* deposit = Child<QLineEdit>(form, "TextYJJE");
        QVERIFY(deposit->isEnabled());
        QTest::keyClicks(Child<QLineEdit>(form, "TextHYBH"), "M");
        QVERIFY(!deposit->isEnabled());
        Child<QLineEdit>(form, "TextHYBH")->clear();
        QVERIFY(deposit->isEnabled());
    }

    void presetDepositsKeepTheBoxDisabled()
    {
        start({{"PresetYJJE", "True"}, {"YJJEVCD", "15"}});
        auto* form = open<FormTJZJXX>(Command::TJZJXX);
        auto* deposit = Child<QLineEdit>(form, "TextYJJE");
        QVERIFY(!deposit->isEnabled());
        Type(form, "TextHYBH", "M");
        Type(form, "TextHYBH", "");
        QVERIFY(!deposit->isEnabled());
        Type(form, "TextYDBH", "V1");
        ScriptedMessages messages;
        Press(form, "CommandTJ");
        QCOMPARE(messages.texts(), QStringList{"租借信息添加成功！"});
        QCOMPARE(RunScalar("SELECT yjje FROM zjxx").toString(), QStringLiteral("15"));
    }

    void rentOutRefusals_data()
    {
        // clang-format off
        QTest::addColumn<QString>("bh");
        QTest::addColumn<QString>("hybh");
        QTest::addColumn<QString>("deposit");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("no disc") << "" << "" << "10" << "请输入影碟编号!" << "TextYDBH";
        QTest::newRow("unknown disc") << "X" << "" << "10" << "您输入的影碟编号无效！" << "TextYDBH";
        QTest::newRow("disc out") << "OUT" << "" << "10" << "编号为：OUT的影碟已出租，请检查您输入的编号！" << "";
        QTest::newRow("unknown member") << "V1" << "N" << "" << "您输入的会员编号无效！" << "TextHYBH";
        QTest::newRow("no deposit") << "V1" << "" << "" << "您输入的押金金额无效！" << "TextYJJE";
        // clang-format on
    }
    void rentOutRefusals()
    {
        QFETCH(QString, bh);
        QFETCH(QString, hybh);
        QFETCH(QString, deposit);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        start();
        InsertDisc("OUT");
        InsertRental("OUT", "/", "2003-11-01", "否", "10");
        auto* form = open<FormTJZJXX>(Command::TJZJXX);
        Type(form, "TextYDBH", bh);
        Type(form, "TextYJJE", deposit);
        Type(form, "TextHYBH", hybh);
        ScriptedMessages messages;
        Press(form, "CommandTJ");
        QCOMPARE(messages.texts(), QStringList{message});
        if (!focus.isEmpty())
            QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), 1);
        QCOMPARE(main->panelText(2), QStringLiteral("就绪"));
    }

    void rentSettingPromptOpensTheRentDialog()
    {
        start({{"VCD", ""}});
        auto* form = open<FormTJZJXX>(Command::TJZJXX);
        Type(form, "TextYDBH", "D1");
        Type(form, "TextYJJE", "10");
        ScriptedMessages messages;
        messages.queue({6});
        Press(form, "CommandTJ");
        QCOMPARE(messages.texts(),
                 QStringList{"使用该功能前，您必须先设置租金金额！要现在设置租金金额吗？"});
        QCOMPARE(opened, QStringList{"FormZJSZ"});
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), 0);
    }

    void insufficientPrepaidOpensTheMember()
    {
        start();
        RunSql("UPDATE hyxx SET zjje = 2");
        auto* form = open<FormTJZJXX>(Command::TJZJXX);
        Type(form, "TextYDBH", "V1");
        Type(form, "TextHYBH", "M");
        ScriptedMessages messages;
        messages.queue({6});
        Press(form, "CommandTJ");
        QCOMPARE(messages.texts(),
                 QStringList{"对不起，该会员的预付租金已经不足！要现在给该会员续费吗？"});
        auto* modify = main->findWindow<FormXGHYXX>();
        QVERIFY(modify);
        QCOMPARE(Child<QLineEdit>(modify, "TextHYBH")->text(), QStringLiteral("M"));
        QCOMPARE(Child<QLineEdit>(modify, "TextYFZJ")->text(), QStringLiteral("2"));
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), 0);
    }

    void rentOutRefreshesTheQueries()
    {
        start();
        auto* rentals = open<FormZJXXCX>(Command::ZJXX);
        auto* members = open<FormHYXX>(Command::HYXX);
        auto* form = open<FormTJZJXX>(Command::TJZJXX);
        Type(form, "TextYDBH", "V1");
        Type(form, "TextHYBH", "M");
        ScriptedMessages messages;
        Press(form, "CommandTJ");
        QCOMPARE(messages.texts(), QStringList{"租借信息添加成功！"});
        // What was taken and what is left, while the clerk reads the message out.
        const QString paid =
            QStringLiteral("会员 M 本次租借从预付租金中扣除 ￥2.00，预付租金余额 ￥3.00");
        QCOMPARE(messages.status, QStringList{paid});
        // In full in the window, on a 1024×768 screen, and for a screen reader.
        main->resize(1024, 768);
        QCoreApplication::processEvents();
        auto* label = Child<QLabel>(form, "LabelYE");
        QCOMPARE(label->text(), paid);
        QCOMPARE(label->accessibleName(), paid);
        QVERIFY(label->isVisible() && label->width() <= form->width());
        QVERIFY2(label->heightForWidth(label->width()) <= label->height(),
                 qPrintable(QStringLiteral("%1 wide, %2 of %3 high")
                                .arg(label->width())
                                .arg(label->heightForWidth(label->width()))
                                .arg(label->height())));
        for (const char* name : {"TextYDBH", "TextHYBH", "TextYJJE"})
            QVERIFY(Child<QLineEdit>(form, name)->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), Child<QLineEdit>(form, "TextYDBH"));
        QCOMPARE(Column(rentals->model(), 1), QStringList({"V1", ""}));
        QCOMPARE(rentals->model()->cell(0, 4), QStringLiteral("￥/"));
        QCOMPARE(members->model()->cell(0, 5), QStringLiteral("1"));   // level 1 at the 10th rental
        QCOMPARE(members->model()->cell(0, 6), QStringLiteral("￥3")); // charged at level 0
    }

    void discChooserRentsOut()
    {
        start();
        auto* query = open<FormYDCX>(Command::YDXX);
        ReleaseOnRow(Child<GridView>(query, "MSHFlexGridYDXX"), 0, Qt::RightButton);
        auto* chooser = main->findChild<QDialog*>(QStringLiteral("FormYDCZ"));
        QVERIFY(chooser);
        QVERIFY(Child<QRadioButton>(chooser, "OptionZJ")->isChecked());
        const QString bh = query->model()->cell(0, 0);
        Press(chooser, "CommandQD");
        auto* form = main->findWindow<FormTJZJXX>();
        QVERIFY(form);
        QCOMPARE(Child<QLineEdit>(form, "TextYDBH")->text(), bh);
        QCOMPARE(form->focusWidget(), Child<QLineEdit>(form, "TextHYBH"));
    }

    void memberChooserShowsTheHistory()
    {
        start();
        InsertMember("N", "李四");
        InsertRental("V1", "M", "2003-11-01", "是");
        InsertRental("V2", "N", "2003-11-01", "是");
        auto* members = open<FormHYXX>(Command::HYXX);
        ReleaseOnRow(Child<GridView>(members, "MSHFlexGridHYXX"), 0, Qt::LeftButton);
        auto* chooser = main->findChild<QDialog*>(QStringLiteral("FormHYCZ"));
        QVERIFY(Child<QRadioButton>(chooser, "OptionCKLS")->isChecked());
        const QString hybh = members->model()->cell(0, 0);
        Press(chooser, "CommandQD");
        auto* rentals = main->findWindow<FormZJXXCX>();
        QVERIFY(rentals);
        QCOMPARE(Child<QLineEdit>(rentals, "TextHYBH")->text(), hybh);
        QCOMPARE(Column(rentals->model(), 6), QStringList({hybh, ""}));
    }

    void rentalGridOpensTheRightWindow()
    {
        start();
        InsertRental("V1", "/", "2003-11-01", "否", "10");
        InsertRental("V2", "M", "2003-11-01", "否");
        auto* rentals = open<FormZJXXCX>(Command::ZJXX);
        QCOMPARE(rentals->model()->data(rentals->model()->index(0, 0), Qt::ToolTipRole).toString(),
                 QStringLiteral("归还编号为V1的碟片（零散顾客）"));
        QCOMPARE(rentals->model()->data(rentals->model()->index(1, 0), Qt::ToolTipRole).toString(),
                 QStringLiteral("归还编号为V2的碟片（会员）"));
        QCOMPARE(rentals->model()->cell(0, 4), QStringLiteral("￥10"));
        auto* grid = Child<GridView>(rentals, "MSHFlexGridZJXX");
        ReleaseOnRow(grid, 0, Qt::LeftButton);
        auto* checkout = main->findWindow<FormJZ>();
        QVERIFY(checkout);
        QCOMPARE(Child<QLineEdit>(checkout, "TextBH1")->text(), QStringLiteral("1"));
        QCOMPARE(Child<QLineEdit>(checkout, "TextBH2")->text(), QStringLiteral("1"));
        ReleaseOnRow(grid, 1, Qt::LeftButton);
        auto* back = main->findWindow<FormHYHD>();
        QVERIFY(back);
        QCOMPARE(Child<QLineEdit>(back, "TextBH1")->text(), QStringLiteral("2"));
        ReleaseOnRow(grid, 1, Qt::RightButton);
        auto* remove = main->findWindow<FormSCZJXX>();
        QVERIFY(remove);
        QCOMPARE(Child<QLineEdit>(remove, "TextZDBH")->text(), QStringLiteral("2"));
        QCOMPARE(remove->focusWidget(), Child<QPushButton>(remove, "CommandSC"));
        const int windows = int(main->mdiArea()->subWindowList().size());
        ReleaseOnRow(grid, 2, Qt::LeftButton); // the empty row
        QCOMPARE(int(main->mdiArea()->subWindowList().size()), windows);
    }

    void settlingNeedsRentsAndAnAdministrator()
    {
        start({{"VCD", ""}});
        InsertRental("V1", "/", "2003-11-01", "否", "10");
        auto* rentals = open<FormZJXXCX>(Command::ZJXX);
        ScriptedMessages messages;
        messages.queue({7});
        Press(rentals, "CommandJZ");
        QCOMPARE(messages.texts(),
                 QStringList{"使用该功能前，您必须先设置租金金额！要现在设置租金金额吗？"});
        QVERIFY(!main->findWindow<FormJZ>());
        QVERIFY(StorePassword(QStringLiteral("Shop1")));
        SetUserMode(QStringLiteral("Guest"));
        messages.shown.clear();
        ReleaseOnRow(Child<GridView>(rentals, "MSHFlexGridZJXX"), 0, Qt::LeftButton);
        Press(rentals, "CommandHYHD");
        QCOMPARE(messages.texts(),
                 QStringList(2, "对不起，您是由来宾方式登陆本系统的，没有权限执行该操作！"));
    }

    void checkoutShowsTheBill()
    {
        start();
        SetTodayForTesting(QDate(2003, 11, 12));
        RunSql("INSERT INTO zjxx VALUES (15, 'V1', '2003-11-09', '/', '10', '否', '/'),"
               " (16, 'V2', '2003-11-09', '/', '10', '否', '/'), (17, 'D1', '2003-11-09', '/', "
               "'20', '否', '/')");
        RunSql("UPDATE ydxx SET sfycz = '是'");
        auto* rentals = open<FormZJXXCX>(Command::ZJXX);
        auto* discs = open<FormYDCX>(Command::YDXX);
        Press(rentals, "CommandJZ");
        auto* checkout = main->findWindow<FormJZ>();
        Type(checkout, "TextBH1", "15");
        Type(checkout, "TextBH2", "17");
        ScriptedMessages messages;
        Press(checkout, "CommandJZ");
        QVERIFY(messages.shown.isEmpty());
        QStringList figures;
        for (const char* name : {"TextVCD", "TextDVD", "TextTS", "TextZJ", "TextYJ"})
            figures << Child<QLineEdit>(checkout, name)->text();
        QCOMPARE(figures, QStringList({"2", "1", "3", "￥21", "￥40"}));
        // The line under the range says it is settled, in the boxes' words.
        QCOMPARE(Child<QLabel>(checkout, "LabelYL")->text(),
                 QStringLiteral("已结帐：应付租金 ￥21，应退押金 ￥40（3 张，3 天）"));
        QCOMPARE(Column(rentals->model(), 5), QStringList({"是", "是", "是", ""}));
        QCOMPARE(Column(discs->model(), 7), QStringList({"否", "否", "否", ""}));
        // The refreshed grid's return dates are read whole, not cut to "2003-1…".
        auto* grid = Child<GridView>(rentals, "MSHFlexGridZJXX");
        QVERIFY(grid->columnWidth(3) >= grid->fontMetrics().horizontalAdvance("2003-11-12") + 16);
        Press(checkout, "CommandJZ");
        QCOMPARE(messages.texts(), QStringList{"部分碟片已经结帐，不能统一结帐!"});
    }

    void settlementMessages_data()
    {
        // clang-format off
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("message");
        QTest::newRow("letters") << "JZ" << "a" << "1" << "自动编号必须为数字 !";
        QTest::newRow("descending") << "JZ" << "3" << "1" << "自动编号范围应该从小到大！";
        QTest::newRow("negative") << "HYHD" << "-1" << "1" << "自动编号不能为负!";
        QTest::newRow("decimal") << "HYHD" << "1" << "1.5" << "自动编号不能为小数!";
        QTest::newRow("no such records") << "JZ" << "40000" << "40001" << "结帐不能进行，请检查您输入的自动编号是否正确！";
        QTest::newRow("beyond any rental number") << "JZ" << "3" << "1e20" << "结帐不能进行，请检查您输入的自动编号是否正确！";
        QTest::newRow("no such records to return") << "HYHD" << "9" << "9" << "退还不能进行，请检查您输入的自动编号是否正确！";
        QTest::newRow("walk-in at return") << "HYHD" << "1" << "1" << "只有会员才能退还；零散客户请使用结帐功能！";
        QTest::newRow("member at checkout") << "JZ" << "2" << "2" << "只有零散顾客才能结帐；会员请使用会员还碟功能！";
        QTest::newRow("different days") << "HYHD" << "2" << "3" << "影碟出租日期不一致，不能统一退还!";
        QTest::newRow("clock moved back") << "JZ" << "4" << "4" << "今天的日期早于租借日期，请检查计算机的日期！";
        // clang-format on
    }
    void settlementMessages()
    {
        QFETCH(QString, window);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, message);
        start();
        InsertRental("V1", "/", "2003-11-01", "否", "10");
        InsertRental("V2", "M", "2003-11-01", "否");
        InsertRental("D1", "M", "2003-11-02", "否");
        InsertRental("D2", "/", "2003-11-20", "否", "10"); // "today" is 2003-11-09
        auto* rentals = open<FormZJXXCX>(Command::ZJXX);
        Press(rentals, window == u"JZ" ? "CommandJZ" : "CommandHYHD");
        QWidget* form = window == u"JZ" ? static_cast<QWidget*>(main->findWindow<FormJZ>())
                                        : main->findWindow<FormHYHD>();
        Type(form, "TextBH1", from);
        Type(form, "TextBH2", to);
        Child<QLineEdit>(form, "TextBH2")->setFocus();
        ScriptedMessages messages;
        Press(form, window == u"JZ" ? "CommandJZ" : "CommandTH");
        QCOMPARE(messages.texts(), QStringList{message});
        // A failure says "就绪" before its message; a refusal after it.
        const bool failure = message.contains(QStringLiteral("不能进行"));
        QCOMPARE(messages.status.first() == u"就绪", failure);
        if (failure)
            QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("TextBH1"));
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx WHERE sfyh = '是'"), 0);
        QCOMPARE(main->panelText(2), QStringLiteral("就绪"));
    }

    void memberReturnShowsTheDays_data()
    {
        QTest::addColumn<QString>("lateFee");
        QTest::addColumn<QString>("preview");
        QTest::newRow("no late fee: no question")
            << "0"
            << "1 张，10 天。会员 M（张三）预付租金余额 ￥5.00";
        QTest::newRow("a late fee is asked first")
            << "1"
            << "1 张，10 天。超期 3 天，超期罚金 ￥3.00 从预付租金扣除。会员 M（张三）预付租金余额 "
               "￥5.00";
    }
    void memberReturnShowsTheDays()
    {
        QFETCH(QString, lateFee);
        QFETCH(QString, preview);
        start({{"LateFee", lateFee}, {"Alertdays", "7"}});
        InsertRental("V1", "M", "2003-10-30", "否");
        auto* rentals = open<FormZJXXCX>(Command::ZJXX);
        ReleaseOnRow(Child<GridView>(rentals, "MSHFlexGridZJXX"), 0, Qt::LeftButton);
        auto* back = main->findWindow<FormHYHD>();
        QCOMPARE(Child<QLabel>(back, "LabelYL")->text(), preview);
        ScriptedMessages messages;
        const bool asked = lateFee != u"0";
        if (asked) {
            messages.queue({7}); // 否: nothing taken back, nothing charged
            Press(back, "CommandTH");
            QCOMPARE(messages.texts(),
                     QStringList{"这些影碟超期 3 天，超期罚金共 ￥3.00，将从会员的预付租金中扣除。"
                                 "确定退还吗？"});
            QCOMPARE(Count("SELECT COUNT(*) FROM zjxx WHERE sfyh = '是'"), 0);
            messages.queue({6});
        }
        Press(back, "CommandTH");
        QCOMPARE(messages.shown.size(), asked ? 2 : 0);
        QCOMPARE(messages.unanswered, 0);
        QCOMPARE(Child<QLineEdit>(back, "TextTS")->text(), QStringLiteral("10"));
        QCOMPARE(Child<QLineEdit>(back, "TextVCD")->text(), QStringLiteral("1"));
        QCOMPARE(Column(rentals->model(), 3), QStringList({"2003-11-09", ""}));
        QCOMPARE(RunScalar("SELECT zjje FROM hyxx WHERE hybh = 'M'").toDouble(), asked ? 2.0 : 5.0);
    }

    // From checkout or member return: the rental settled as lost or damaged,
    // the charge at the price set unless the clerk types another.
    void lostOrDamagedFromTheReturnWindows_data()
    {
        QTest::addColumn<QString>("hybh");
        QTest::addColumn<QString>("charge"); // typed; empty keeps the price set
        QTest::addColumn<QString>("preview");
        QTest::addColumn<QString>("done");
        QTest::newRow("walk-in loses a VCD")
            << "/"
            << ""
            << "租金 ￥6.00，赔偿 ￥25.00，押金 ￥10.00：应向顾客收取 ￥21.00"
            << "登记成功！租金 ￥6.00，赔偿 ￥25.00，押金 ￥10.00：应向顾客收取 ￥21.00";
        QTest::newRow("member damages one, charge typed")
            << "M"
            << "8"
            << "从会员 M（张三）的预付租金中扣除赔偿 ￥8.00。"
            << "登记成功！从会员 M（张三）的预付租金中扣除赔偿 ￥8.00。";
    }
    void lostOrDamagedFromTheReturnWindows()
    {
        QFETCH(QString, hybh);
        QFETCH(QString, charge);
        QFETCH(QString, preview);
        QFETCH(QString, done);
        start({{"PCVCD", "25"}});
        InsertRental("V1", hybh, "2003-11-06", "否", hybh == u"/" ? "10" : "/");
        auto* rentals = open<FormZJXXCX>(Command::ZJXX);
        ReleaseOnRow(Child<GridView>(rentals, "MSHFlexGridZJXX"), 0, Qt::LeftButton);
        QWidget* back = hybh == u"/" ? static_cast<QWidget*>(main->findWindow<FormJZ>())
                                     : main->findWindow<FormHYHD>();
        ScriptedMessages messages;
        QStringList seen;
        Seams().execDialog = [&](QDialog& dialog) {
            seen << Child<QLineEdit>(&dialog, "TextZDBH")->text()
                 << Child<QLineEdit>(&dialog, "TextPCJE")->text();
            if (!charge.isEmpty()) {
                Child<QRadioButton>(&dialog, "OptionSH")->setChecked(true);
                Type(&dialog, "TextPCJE", charge);
            }
            seen << Child<QLabel>(&dialog, "LabelYL")->text();
            messages.queue({6});
            Press(&dialog, "CommandDJ");
            return int(QDialog::Accepted);
        };
        Press(back, "CommandDSSH");
        QCOMPARE(seen, QStringList({"1", "25", preview}));
        QCOMPARE(messages.texts().size(), 2);
        QVERIFY(messages.texts()[0].startsWith(
            QStringLiteral("将影碟 V1（片名）登记为%1？").arg(charge.isEmpty() ? "丢失" : "损坏")));
        QCOMPARE(messages.texts()[1], done);
        QCOMPARE(FirstRow("SELECT sslx, zdbh FROM ssjl"),
                 QStringList({charge.isEmpty() ? "丢失" : "损坏", "1"}));
        // The query shows it returned today.
        QCOMPARE(Column(rentals->model(), 3), QStringList({"2003-11-09", ""}));
        // A lost disc is refused at the next rental.
        auto* rent = open<FormTJZJXX>(Command::TJZJXX);
        Type(rent, "TextYDBH", "V1");
        Type(rent, "TextYJJE", "10");
        Press(rent, "CommandTJ");
        QCOMPARE(messages.last(), charge.isEmpty() ? QStringLiteral("此影碟已登记为丢失")
                                                   : QStringLiteral("租借信息添加成功！"));
    }

    // A reservation taken in its window, the disc held at checkout, and a
    // walk-in's rental of it only when the clerk agrees.
    void reservationFromTakingToHold()
    {
        start();
        InsertRental("V1", "/", "2003-11-08", "否", "10");
        auto* form = open<FormYYGL>(Command::YYGL);
        ScriptedMessages messages;
        Type(form, "TextHYBH", "M");
        Type(form, "TextBH", "V2");
        Press(form, "CommandYY");
        QCOMPARE(messages.texts(), QStringList{"这张影碟现在就在店里，可以直接租借，不需要预约！"});
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("TextBH"));
        Type(form, "TextBH", "V1");
        Press(form, "CommandYY");
        QCOMPARE(messages.last(),
                 QStringLiteral("预约成功！预约编号为 1。影碟归还时会为该会员保留 3 天。"));
        QCOMPARE(form->model()->cell(0, 7), QStringLiteral("等待"));
        QCOMPARE(Child<QLineEdit>(form, "TextBH")->text(), QString());
        const QString list = home->folder() + QStringLiteral("/预约");
        Seams().saveFile = [&list](const QString&, const QString&, const QString&) { return list; };
        Press(form, "CommandDC");
        QCOMPARE(messages.last(), "预约名单已导出到 " + list + ".xlsx");
        QCOMPARE(OpenWorkbook(list + ".xlsx")->sheetNames(), QStringList{"预约"});

        Press(open<FormZJXXCX>(Command::ZJXX), "CommandJZ");
        auto* checkout = main->findWindow<FormJZ>();
        Type(checkout, "TextBH1", "1");
        Type(checkout, "TextBH2", "1");
        Press(checkout, "CommandJZ");
        QCOMPARE(messages.last(),
                 QStringLiteral("影碟 V1：此影碟已被会员 张三（M，电话 /）预约，请为该会员保留。"));

        auto* rent = open<FormTJZJXX>(Command::TJZJXX);
        Type(rent, "TextYDBH", "V1");
        Type(rent, "TextYJJE", "10");
        messages.queue({7});
        Press(rent, "CommandTJ");
        QCOMPARE(messages.last(),
                 QStringLiteral("此影碟已被会员 张三（M，电话 /）预约，仍要出租吗？"));
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx WHERE sfyh = '否'"), 0);
        messages.queue({6});
        Press(rent, "CommandTJ");
        QCOMPARE(messages.last(), QStringLiteral("租借信息添加成功！"));
        QCOMPARE(RunScalar("SELECT zt FROM yyxx").toString(), QStringLiteral("等待"));
    }

    void stocktakeAtTheShelves()
    {
        start();
        InsertDisc("V3", "/", "/", "是", "VCD");
        InsertRental("V3", "/", "2003-11-08", "否", "10");
        auto* form = open<FormPD>(Command::PD);
        auto* scanBox = Child<QLineEdit>(form, "TextBH");
        QVERIFY(!scanBox->isEnabled());
        Press(form, "CommandKS");
        QVERIFY(scanBox->hasFocus());
        const auto scan = [&](const char* bh) {
            QTest::keyClicks(scanBox, bh);
            QTest::keyClick(scanBox, Qt::Key_Return);
            return Child<QLabel>(form, "LabelJG")->text();
        };
        QCOMPARE(scan("V1"), QStringLiteral("V1 片名"));
        QCOMPARE(scan("V1"), QStringLiteral("V1：已经扫描过了。"));
        QCOMPARE(scan("V3"),
                 QStringLiteral("V3 片名：记录中此影碟已租出（租借单号 1），可能归还时没有结帐！"));
        QCOMPARE(scan("Q9"), QStringLiteral("Q9：影碟库中没有这个编号的影碟！"));
        // Counted once the scanning pauses.
        QTRY_COMPARE(Child<QLabel>(form, "LabelTJ")->text(),
                     QStringLiteral("已扫描 3 个编号；缺失 2 张，记录为已租出 1 张，不是本店影碟 1 "
                                    "个；另有已登记丢失的影碟 0 张。"));
        QCOMPARE(form->model()->cell(1, 1), QStringLiteral("V2"));

        // The return not keyed: settled from the list at once.
        auto* lists = Child<QComboBox>(form, "ComboLB");
        lists->setCurrentIndex(1);
        QCOMPARE(lists->currentText(),
                 QStringLiteral("扫描到但记录为已租出的影碟（归还时没有结帐）"));
        QCOMPARE(form->model()->cell(0, 4), QStringLiteral("1"));
        ScriptedMessages messages;
        Press(form, "CommandJZ");
        QCOMPARE(messages.last(), QStringLiteral("请先在名单中选择要结帐的影碟！"));
        auto* grid = Child<QAbstractItemView>(form, "MSHFlexGridPD");
        grid->setCurrentIndex(form->model()->index(0, 1));
        Press(form, "CommandJZ");
        auto* checkout = main->findWindow<FormJZ>();
        QVERIFY(checkout);
        QCOMPARE(Child<QLineEdit>(checkout, "TextBH1")->text(), QStringLiteral("1"));

        messages.queue({6});
        Press(form, "CommandJS");
        QVERIFY(!scanBox->isEnabled());
        lists->setCurrentIndex(0);
        QCOMPARE(form->model()->cell(1, 0) + form->model()->cell(1, 1), QStringLiteral("缺失V2"));
        const QString list = home->folder() + QStringLiteral("/盘点");
        Seams().saveFile = [&list](const QString&, const QString&, const QString&) { return list; };
        Press(form, "CommandDC");
        QCOMPARE(messages.last(), "盘点结果已导出到 " + list + ".xlsx");
        QCOMPARE(OpenWorkbook(list + ".xlsx")->sheetNames(), QStringList{"盘点"});
    }

    void deletingRentals()
    {
        start();
        InsertRental("V1", "/", "2003-11-01", "是", "10");
        InsertRental("V2", "M", "2003-11-01", "否");
        auto* rentals = open<FormZJXXCX>(Command::ZJXX);
        auto* form = open<FormSCZJXX>(Command::SCZJXX);
        ScriptedMessages messages;
        Type(form, "TextZDBH", "1a");
        Press(form, "CommandSC");
        QCOMPARE(messages.last(), QStringLiteral("您输入的自动编号有误，请重新输入！"));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("TextZDBH"));
        Type(form, "TextZDBH", "");
        Press(form, "CommandSC");
        QCOMPARE(messages.last(), QStringLiteral("您要删除的部分租借信息还未结帐，删除不能执行！"));
        Type(form, "TextZDBH", "1");
        messages.queue({6});
        Press(form, "CommandSC");
        QCOMPARE(Child<QLabel>(form, "LabelJLTS")->text(), QStringLiteral("共删除了1条记录"));
        QCOMPARE(Column(rentals->model(), 0), QStringList({"2", ""}));
        RunSql("UPDATE zjxx SET sfyh = '是'");
        Type(form, "TextZDBH", "");
        messages.shown.clear();
        messages.queue({6, 7});
        Press(form, "CommandSC");
        QCOMPARE(messages.shown.size(), 2);
        QCOMPARE(messages.shown[1].text,
                 QStringLiteral(
                     "您没有输入要删除的记录所满足的条件，系统将删除所有的租借信息。确定吗？"));
        QCOMPARE(messages.shown[1].title, QStringLiteral("用户警告"));
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), 1);
        // A failure: its message while still busy, "就绪" before the error report.
        RunSql(QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE DELETE ON zjxx BEGIN SELECT "
                              "RAISE(ABORT, 'refused'); END"));
        messages.shown.clear();
        messages.status.clear();
        messages.queue({6, 6, 7});
        Press(form, "CommandSC");
        QCOMPARE(messages.texts().mid(2),
                 QStringList({"信息删除失败！", "系统发生错误，要查看错误的具体描述吗？"}));
        QCOMPARE(messages.status.mid(2), QStringList({"正在删除租借信息 ...", "就绪"}));
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), 1);

        // A long deletion shows its progress; 取消 there deletes nothing.
        RunSql("DROP TRIGGER refuse");
        RunSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1200)"
               " INSERT INTO zjxx (bh, czrq, ghrq, yjje, sfyh, hybh) SELECT 'B' || i,"
               " '2003-11-01', '2003-11-03', '10', '是', '/' FROM n");
        StepProgress::showAfterMs = 0;
        int progressShown = 0;
        QTimer canceller;
        connect(&canceller, &QTimer::timeout, this, [&progressShown] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QProgressDialog*>(top);
                    dialog && dialog->objectName() == u"StepProgress" && !dialog->wasCanceled()) {
                    QCOMPARE(dialog->maximum(), 1201);
                    ++progressShown;
                    dialog->cancel();
                }
        });
        canceller.start(0);
        messages.shown.clear();
        messages.queue({6, 6});
        Press(form, "CommandSC");
        QCOMPARE(progressShown, 1);
        QCOMPARE(messages.texts().mid(2), QStringList{"删除已取消，没有删除任何信息。"});
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), 1201);
        QCOMPARE(Child<QLabel>(form, "LabelJLTS")->text(), QStringLiteral("共删除了1条记录"));
        canceller.stop();
        messages.queue({6, 6});
        Press(form, "CommandSC");
        QCOMPARE(Child<QLabel>(form, "LabelJLTS")->text(), QStringLiteral("共删除了1201条记录"));
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), 0);
        StepProgress::showAfterMs = 1000;
    }

    void overdueReminderAtStartup_data()
    {
        // clang-format off
        QTest::addColumn<QString>("autoAlert");
        QTest::addColumn<QString>("alertDays");
        QTest::addColumn<QString>("czrq");
        QTest::addColumn<QString>("hybh");
        QTest::addColumn<bool>("reminds");
        QTest::newRow("exactly seven days") << "True" << "7" << "2003-11-02" << "M" << true;
        QTest::newRow("six days") << "True" << "7" << "2003-11-03" << "M" << false;
        QTest::newRow("walk-in never") << "True" << "7" << "2003-10-01" << "/" << false;
        QTest::newRow("switched off") << "False" << "7" << "2003-10-01" << "M" << false;
        QTest::newRow("days not a number") << "True" << "七" << "2003-10-01" << "M" << false;
        // clang-format on
    }
    void overdueReminderAtStartup()
    {
        QFETCH(QString, autoAlert);
        QFETCH(QString, alertDays);
        QFETCH(QString, czrq);
        QFETCH(QString, hybh);
        QFETCH(bool, reminds);
        OpenDatabase();
        InsertRental("V1", hybh, czrq, "否", hybh == u"/" ? "10" : "/");
        InsertRental("V2", "M", "2003-01-01", "是");
        CloseDatabase();
        start({{"AutoAlert", autoAlert}, {"Alertdays", alertDays}});
        auto* reminder = main->findWindow<FormTX>();
        QCOMPARE(reminder != nullptr, reminds);
        if (reminds) {
            QCOMPARE(reminder->windowTitle(), QStringLiteral("提醒管理员"));
            QCOMPARE(Child<QLabel>(reminder, "LabelJLTS")->text(), QStringLiteral("共找到1条记录"));
            QStringList row;
            for (int c = 0; c < 5; ++c)
                row << reminder->model()->cell(0, c);
            QCOMPARE(row, QStringList({"M", "张三", "V1", "2003-11-02", "/"}));
        }
    }

    void receiptsForTheCustomer_data()
    {
        QTest::addColumn<QString>("paper");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QStringList>("texts");
        // clang-format off
        QTest::newRow("member rents") << "58" << "member" << QStringList{"街角影碟", "租借凭条", "日期：2003-11-09", "顾客：M张三", "V1片名", "自动编号1", "本次租金￥2", "预付租金余额￥3"};
        QTest::newRow("walk-in rents") << "80" << "walk-in" << QStringList{"租借凭条", "顾客：零散顾客", "D1片名", "押金￥12.5"};
        QTest::newRow("walk-in checkout") << "58" << "checkout" << QStringList{"结帐凭条", "V1片名", "V2片名", "自动编号15-16", "租借天数3天", "应付租金￥12", "应退押金￥20.5"};
        QTest::newRow("member return") << "80" << "return" << QStringList{"还碟凭条", "顾客：M张三", "V1片名", "租借天数10天", "预付租金余额￥5"};
        QTest::newRow("shop prints none") << "" << "member" << QStringList{};
        // clang-format on
    }
    void receiptsForTheCustomer()
    {
        QFETCH(QString, paper);
        QFETCH(QString, operation);
        QFETCH(QStringList, texts);
        start({{"ReceiptPaper", paper}, {"ShopName", "街角影碟"}});
        QWidget* window = nullptr;
        ScriptedMessages messages;
        if (operation == u"member" || operation == u"walk-in") {
            window = open<FormTJZJXX>(Command::TJZJXX);
            Type(window, "TextYDBH", operation == u"member" ? "V1" : "D1");
            Type(window, operation == u"member" ? "TextHYBH" : "TextYJJE",
                 operation == u"member" ? "M" : "12.50");
            Press(window, "CommandTJ");
            if (operation == u"walk-in") // the number checkout will ask for
                QCOMPARE(Child<QLabel>(window, "LabelYE")->text(),
                         QStringLiteral("本次租借的租借编号为 %1（结帐时需要此编号）")
                             .arg(Count("SELECT MAX(zdbh) FROM zjxx")));
        } else if (operation == u"checkout") {
            SetTodayForTesting(QDate(2003, 11, 12));
            RunSql("INSERT INTO zjxx VALUES (15, 'V1', '2003-11-09', '/', '10', '否', '/'),"
                   " (16, 'V2', '2003-11-09', '/', '10.5', '否', '/')");
            window = main->openChild<FormJZ>();
            Type(window, "TextBH1", "15");
            Type(window, "TextBH2", "16");
            Press(window, "CommandJZ");
        } else {
            const qint64 zdbh = InsertRental("V1", "M", "2003-10-30", "否");
            window = main->openChild<FormHYHD>();
            Type(window, "TextBH1", QString::number(zdbh));
            Type(window, "TextBH2", QString::number(zdbh));
            Press(window, "CommandTH");
        }
        SetTodayForTesting(QDate());
        auto* button = Child<ReceiptButton>(window, "CommandDYPT");
        QCOMPARE(button->isHidden(), texts.isEmpty());
        QCOMPARE(button->isEnabled(), !texts.isEmpty());
        if (texts.isEmpty())
            return;
        Press(window, "CommandDYPT");
        QCOMPARE(opened, QStringList{"ReportPreview"});

        // The same slip as a PDF: the paper as wide as set, the texts on it.
        const Receipt receipt = *button->receipt();
        const QString pdf = home->folder() + QStringLiteral("/slip.pdf");
        QVERIFY(ExportPdf(
            pdf, receipt.title,
            [&receipt, &paper](QPrinter* printer) {
                PaintReceipt(receipt, paper.toInt(), printer);
                return true;
            },
            [&receipt, &paper](QPrinter& printer) {
                SetUpReceiptPaper(receipt, paper.toInt(), printer);
            }));
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {pdf});
        QVERIFY(info.waitForFinished());
        const QString about = QString::fromUtf8(info.readAllStandardOutput());
        const QRegularExpressionMatch size =
            QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x")).match(about);
        QVERIFY(size.hasMatch());
        QCOMPARE(qRound(size.captured(1).toDouble() / 72 * 25.4), paper.toInt());
        QVERIFY(about.contains(QRegularExpression("Pages:\\s+1\\n"))); // one slip, never cut
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished());
        const QString content =
            QString::fromUtf8(text.readAllStandardOutput()).remove(QRegularExpression("\\s"));
        for (const QString& expected : texts)
            QVERIFY2(content.contains(expected), qPrintable(expected + u'\n' + content));

        // The next attempt withdraws the slip, so an old one is never printed for it.
        Press(window, operation == u"member" || operation == u"walk-in"
                          ? "CommandTJ"
                          : (operation == u"checkout" ? "CommandJZ" : "CommandTH"));
        QVERIFY(!button->isEnabled());
    }

    void overdueCallList()
    {
        // Days late on the real calendar: across a leap day and a new year.
        OpenDatabase();
        InsertDisc("X1", "/", "/", "是", "DVD", "花样年华之阿飞正传与重庆森林的那些年");
        InsertMember("N", "欧阳长名字会员", "女");
        RunSql("UPDATE hyxx SET lxdh = '0755-88886666-1234' WHERE hybh = 'N'");
        InsertRental("V1", "M", "2004-02-27", "否"); // 3 days out
        InsertRental("X1", "N", "2003-12-30", "否"); // 62 days out
        InsertRental("V2", "M", "2004-02-28", "否"); // 2 days out: not yet listed
        InsertRental("D1", "/", "2003-01-01", "否"); // walk-in: never listed
        CloseDatabase();
        SetTodayForTesting(QDate(2004, 3, 1));
        start({{"AutoAlert", "True"}, {"Alertdays", "3"}});
        auto* list = main->findWindow<FormTX>();
        QVERIFY(list);
        QCOMPARE(Column(list->model(), 6), QStringList({"59", "0", ""}));
        QCOMPARE(Column(list->model(), 5),
                 QStringList({"花样年华之阿飞正传与重庆森林的那些年", "片名", ""}));
        QCOMPARE(Child<QLabel>(list, "LabelJLTS")->text(), QStringLiteral("共找到2条记录"));

        Press(list, "CommandDY");
        QCOMPARE(opened, QStringList{"ReportPreview"});
        // Printed, the telephone (what the list is for) is whole.
        const QString pdf = home->folder() + QStringLiteral("/calls.pdf");
        ReportRenderer(main->shop(), OverdueCallReport(3)).exportPdf(pdf);
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished());
        const QString printed = QString::fromUtf8(text.readAllStandardOutput());
        for (const char* whole : {"0755-88886666-1234", "欧阳长名字会员", "2003-12-30"})
            QVERIFY2(printed.contains(QString::fromUtf8(whole)), qPrintable(printed));
        const QString path = home->folder() + QStringLiteral("/超期名单");
        Seams().saveFile = [&path](const QString&, const QString&, const QString&) { return path; };
        ScriptedMessages messages;
        Press(list, "CommandDC");
        QCOMPARE(messages.texts(), QStringList{"超期名单已导出到 " + path + ".xlsx"});
        std::unique_ptr<WorkbookReader> workbook = OpenWorkbook(path + ".xlsx");
        QStringList rows;
        workbook->readRows(QStringLiteral("超期租借"), [&rows](qint64,
                                                               const QList<SheetCell>& cells) {
            QStringList row;
            for (const SheetCell& cell : cells)
                row << (cell.kind == SheetCell::Number ? QString::number(cell.number) : cell.text);
            rows << row.join(u'|');
        });
        QCOMPARE(rows, QStringList({"会员编号|姓名|影碟编号|租借日期|联系电话|片名|超期天数",
                                    "N|欧阳长名字会员|X1|2003-12-30|0755-88886666-1234|"
                                    "花样年华之阿飞正传与重庆森林的那些年|59",
                                    "M|张三|V1|2004-02-27|/|片名|0"}));
        SetTodayForTesting(QDate());
    }

    void newSortStartsAtTheTop()
    {
        auto* rentals = openManyRentals(3000);
        auto* grid = Child<GridView>(rentals, "MSHFlexGridZJXX");
        grid->scrollToBottom();
        QCOMPARE(grid->indexAt(QPoint(1, 1)).row() > 2000, true);
        ReleaseOnHeading(grid, 2, Qt::LeftButton);
        QCOMPARE(grid->verticalScrollBar()->value(), 0);
        QCOMPARE(rentals->model()->cell(0, 2), QStringLiteral("2003-11-01"));
        // The top and the bottom were read, not the pages between.
        QVERIFY(rentals->model()->loadedRows() <= 2 * SqlGridModel::kPageSize);
    }

    // Past its window of rows the grid's scroll bar runs over the whole
    // result: a drag lands on the rows there, the keys walk on past the
    // window's end, and the view never holds more than the window.
    void aLongResultScrollsThroughAWindow()
    {
        const auto window = qScopeGuard([] { SqlGridModel::windowRows = 100000; });
        SqlGridModel::windowRows = 100;
        auto* rentals = openManyRentals(1000);
        auto* grid = Child<GridView>(rentals, "MSHFlexGridZJXX");
        SqlGridModel* model = rentals->model();
        QCOMPARE(model->rowCount(), 100);
        QScrollBar* rows = nullptr;
        for (auto* bar : grid->findChildren<QScrollBar*>())
            if (bar->accessibleName() == u"记录")
                rows = bar;
        QVERIFY(rows && rows->isVisible());
        QCOMPARE(rows->geometry(),
                 QRect(grid->verticalScrollBar()->mapTo(grid, QPoint(0, 0)),
                       grid->verticalScrollBar()->size())); // laid over the view's
        const auto topNumber = [&] {
            return model->cell(grid->verticalScrollBar()->value(), 0).toInt();
        };
        for (int first : {500, 20, 999 - rows->pageStep(), rows->maximum()}) {
            rows->setValue(first);
            QCOMPARE(topNumber(), first + 1); // the numbers run 1 to 1000
        }
        QCOMPARE(model->cell(model->rowCount() - 1, 0), QString()); // the row after the last
        QCOMPARE(model->cell(model->rowCount() - 2, 0), QStringLiteral("1000"));
        rows->setValue(0);
        grid->setFocus();
        grid->selectRow(0);
        for (int i = 0; i < 40; ++i)
            QTest::keyClick(grid, Qt::Key_PageDown);
        const int current = model->cell(grid->currentIndex().row(), 0).toInt();
        QVERIFY2(current > 300, qPrintable(QString::number(current)));
        QCOMPARE(current, model->windowStart() + grid->currentIndex().row() + 1);
        QVERIFY(grid->selectionModel()->isRowSelected(grid->currentIndex().row()));
        QCOMPARE(rows->value(), topNumber() - 1);
    }
};

MOVRNT_TEST_MAIN(TestRentalWindows)
#include "tst_rentalwindows.moc"
