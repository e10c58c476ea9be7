#include "support/TestEnv.h"
#include "support/UiHelpers.h"

#include "core/access/PassCheck.h"
#include "core/members/Members.h"
#include "core/settings/Settings.h"
#include "ui/app/MDIMain.h"
#include "ui/common/Seams.h"
#include "ui/members/FormHYCZ.h"
#include "ui/members/FormHYXX.h"
#include "ui/members/FormSCHYXX.h"
#include "ui/members/FormTJHYXX.h"
#include "ui/members/FormXGHYXX.h"

#include <QLabel>
#include <QRadioButton>
#include <QSqlQuery>
#include <memory>

class TestMemberWindows : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;
    std::unique_ptr<MDIMain> main;

    template <typename W> W* open(Command command)
    {
        main->runCommand(command);
        W* window = main->findWindow<W>();
        if (!window)
            qFatal("window not open");
        return window;
    }

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>();
        home->setSettings({{"FirstRunTime", "False"}, {"HYDJ", "3"}});
        SetUserMode(QString());
        Seams().screenSize = [] { return QSize(1024, 768); };
        QVERIFY(main = StartedMain());
        QVERIFY(QTest::qWaitForWindowActive(main.get()));
    }
    void cleanup()
    {
        main.reset();
        SetUserMode(QString());
        home.reset();
    }

    void addRefusals_data()
    {
        // clang-format off
        QTest::addColumn<QStringList>("typed"); // TextBH ComboXB TextYFZJ TextYFYJ
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("duplicate before anything else") << QStringList{"1", "x", "", ""} << "您输入的编号已被使用，请重新输入一个编号！" << "TextBH";
        QTest::newRow("sex") << QStringList{"", "男的", "", ""} << "性别只能为男或女！" << "ComboXB";
        QTest::newRow("empty rent") << QStringList{"2", "", "", "5"} << "金额必须为数字！" << "TextYFZJ";
        QTest::newRow("deposit focus rule") << QStringList{"2", "", "5", "x"} << "金额必须为数字！" << "TextYFYJ";
        QTest::newRow("empty number last") << QStringList{"", "", "5", "5"} << "会员编号不能为空！" << "TextBH";
        // clang-format on
    }
    void addRefusals()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        InsertMember("1");
        auto* form = open<FormTJHYXX>(Command::TJHYXX);
        const char* fields[] = {"TextBH", "ComboXB", "TextYFZJ", "TextYFYJ"};
        for (int i = 0; i < 4; ++i)
            Type(form, fields[i], typed[i]);
        Child<QLineEdit>(form, "TextXM")->setFocus();
        ScriptedMessages messages;
        Press(form, "CommandTJ");
        QCOMPARE(messages.texts(), QStringList{message});
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        QCOMPARE(Count("SELECT COUNT(*) FROM hyxx"), 1);
        QCOMPARE(main->panelText(2), QStringLiteral("就绪"));
    }

    void addEmptiesAndRefreshes()
    {
        auto* query = open<FormHYXX>(Command::HYXX);
        auto* form = open<FormTJHYXX>(Command::TJHYXX);
        Type(form, "TextBH", "M1");
        Type(form, "TextXM", "O'Neil");
        Type(form, "TextYFZJ", "100");
        Type(form, "TextYFYJ", "50.5");
        ScriptedMessages messages;
        Press(form, "CommandTJ");
        QCOMPARE(messages.texts(), QStringList{"会员信息添加成功！"});
        for (const char* name : {"TextBH", "TextXM", "TextYFZJ", "TextYFYJ"})
            QVERIFY(Child<QLineEdit>(form, name)->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), Child<QLineEdit>(form, "TextBH"));
        QCOMPARE(Column(query->model(), 0), QStringList({"M1", ""}));
        QCOMPARE(query->model()->cell(0, 6), QStringLiteral("￥100"));
        QCOMPARE(query->model()->cell(0, 7), QStringLiteral("￥50.5"));
        QCOMPARE(query->model()->cell(0, 1), QStringLiteral("O'Neil"));
        QCOMPARE(main->panelText(4), QStringLiteral("本店共有 1 名会员"));
    }

    void queryRefusesNonNumbers()
    {
        InsertMember("1");
        auto* query = open<FormHYXX>(Command::HYXX);
        QCOMPARE(Child<QLabel>(query, "LabelJLTS")->text(), QStringLiteral("共找到1条记录"));
        auto* levels = Child<QComboBox>(query, "ComboHYDJ");
        QCOMPARE(levels->count(), 3);
        QCOMPARE(levels->itemText(0), QStringLiteral("1"));
        Type(query, "ComboHYDJ", "abc");
        ScriptedMessages messages;
        Press(query, "CommandCX");
        QCOMPARE(messages.texts(), QStringList{"会员等级必须为数字！"});
        QCOMPARE(query->model()->rowCount(), 1); // left empty
        QCOMPARE(Child<QLabel>(query, "LabelJLTS")->text(), QStringLiteral("共找到1条记录"));
        Type(query, "ComboHYDJ", "0");
        Press(query, "CommandCX");
        QCOMPARE(Column(query->model(), 0), QStringList({"1", ""}));
    }

    void sortAnEmptyGrid()
    {
        auto* query = open<FormHYXX>(Command::HYXX);
        ScriptedMessages messages;
        ReleaseOnHeading(Child<GridView>(query, "MSHFlexGridHYXX"), 1, Qt::LeftButton);
        QVERIFY(messages.shown.isEmpty());
        QCOMPARE(Child<QLabel>(query, "LabelJLTS")->text(), QStringLiteral("共找到0条记录"));
        InsertMember("b", "乙");
        InsertMember("a", "甲");
        Press(query, "CommandCX");
        QCOMPARE(Column(query->model(), 0),
                 QStringList({"b", "a", ""})); // still by name: 乙 before 甲
    }

    void clickOpensTheChooserForAdministrators()
    {
        InsertMember("7", "张三");
        QVERIFY(StorePassword(QStringLiteral("Shop1")));
        SetUserMode(QStringLiteral("Guest"));
        auto* query = open<FormHYXX>(Command::HYXX);
        auto* grid = Child<GridView>(query, "MSHFlexGridHYXX");
        {
            ScriptedMessages messages;
            ReleaseOnRow(grid, 0, Qt::LeftButton);
            QCOMPARE(messages.texts(),
                     QStringList{"对不起，您是由来宾方式登陆本系统的，没有权限执行该操作！"});
            ReleaseOnRow(grid, 1, Qt::LeftButton); // the empty row: nothing, not even the gate
            QCOMPARE(messages.shown.size(), 1);
        }
        QVERIFY(!main->findChild<QDialog*>(QStringLiteral("FormHYCZ")));
        SetUserMode(QStringLiteral("Admin"));
        ReleaseOnRow(grid, 0, Qt::RightButton);
        QVERIFY(!main->findChild<QDialog*>(QStringLiteral("FormHYCZ")));
        ReleaseOnRow(grid, 0, Qt::LeftButton);
        auto* chooser = main->findChild<QDialog*>(QStringLiteral("FormHYCZ"));
        QVERIFY(chooser && chooser->isVisible());
        QCOMPARE(Child<QLabel>(chooser, "LabelBH")->text(), QStringLiteral("7"));
        Child<QRadioButton>(chooser, "OptionXG")->setChecked(true);
        Press(chooser, "CommandQD");
        auto* modify = main->findWindow<FormXGHYXX>();
        QVERIFY(modify);
        QCOMPARE(Child<QLineEdit>(modify, "TextXM")->text(), QStringLiteral("张三"));
        QCOMPARE(Child<QLineEdit>(modify, "TextYFZJ")->text(), QStringLiteral("100"));

        ReleaseOnRow(grid, 0, Qt::LeftButton);
        chooser = main->findChild<QDialog*>(QStringLiteral("FormHYCZ"));
        Child<QRadioButton>(chooser, "OptionSC")->setChecked(true);
        Press(chooser, "CommandQD");
        auto* remove = main->findWindow<FormSCHYXX>();
        QVERIFY(remove);
        QCOMPARE(Child<QLineEdit>(remove, "TextBH")->text(), QStringLiteral("7"));
        QCOMPARE(Count("SELECT COUNT(*) FROM hyxx"), 1);

        // The member's statement, in the print preview, which Escape closes.
        QStringList previews;
        Seams().execDialog = [&previews](QDialog& dialog) {
            dialog.show();
            dialog.activateWindow();
            QApplication::setActiveWindow(&dialog);
            QTest::keyClick(dialog.focusWidget() ? dialog.focusWidget() : &dialog, Qt::Key_Escape);
            previews << dialog.windowTitle() + (dialog.isVisible() ? ": open" : ": closed");
            return int(QDialog::Rejected);
        };
        ReleaseOnRow(grid, 0, Qt::LeftButton);
        chooser = main->findChild<QDialog*>(QStringLiteral("FormHYCZ"));
        Child<QRadioButton>(chooser, "OptionDZD")->setChecked(true);
        Press(chooser, "CommandQD");
        QCOMPARE(previews, QStringList{"会员对帐单: closed"});

        // A top-up: the amount paid, refused until it is one, then the new balance.
        QStringList said;
        Seams().execDialog = [&said](QDialog& dialog) {
            if (dialog.objectName() != u"FormCZ")
                return int(QDialog::Rejected);
            said << Child<QLabel>(&dialog, "LabelHY")->text();
            ScriptedMessages messages;
            Type(&dialog, "TextCZJE", "-5");
            Press(&dialog, "CommandCZ");
            Type(&dialog, "TextCZJE", "20.5");
            Press(&dialog, "CommandCZ");
            said << messages.texts() << Child<QLabel>(&dialog, "LabelHY")->accessibleName();
            return int(QDialog::Accepted);
        };
        ReleaseOnRow(grid, 0, Qt::LeftButton);
        chooser = main->findChild<QDialog*>(QStringLiteral("FormHYCZ"));
        Child<QRadioButton>(chooser, "OptionCZ")->setChecked(true);
        Press(chooser, "CommandQD");
        QCOMPARE(said,
                 (QStringList{"会员 7（张三）现有预付租金 ￥100.00", "充值金额必须是大于0的数字！",
                              "充值成功！会员 7 充值 ￥20.50，预付租金余额 ￥120.50",
                              "会员 7 充值 ￥20.50，预付租金余额 ￥120.50"}));
        QCOMPARE(FindMember(main->shop(), "7")->zjje, QStringLiteral("120.5"));
    }

    void modifyWritesSlashesAndRefusesEmptySex()
    {
        InsertMember("1", "张三", "男", 2, 100, 50, 9);
        auto* form = open<FormXGHYXX>(Command::XGHYXX);
        form->lookUp("1");
        Type(form, "TextXM", "");
        Type(form, "ComboXB", "");
        ScriptedMessages messages;
        Press(form, "CommandXG");
        QCOMPARE(messages.texts(), QStringList{"性别只能为男或女！"});
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("ComboXB"));
        Type(form, "ComboXB", "女");
        Press(form, "CommandXG");
        QCOMPARE(messages.last(), QStringLiteral("信息修改成功！"));
        const Member member = *FindMember(main->shop(), "1");
        QCOMPARE(QStringList({member.hyxm, member.hyxb, member.hydj, member.yjps}),
                 QStringList({"/", "女", "2", "9"}));
        Type(form, "TextHYBH", "9");
        Press(form, "CommandXG");
        QCOMPARE(messages.last(), QStringLiteral("没有找到记录！"));
        Press(form, "CommandCK");
        QCOMPARE(messages.last(), QStringLiteral("没有找到记录！"));
    }

    void deleteBlockedByADiscOut()
    {
        InsertMember("1");
        InsertMember("2");
        InsertRental("D1", "1");
        auto* form = open<FormSCHYXX>(Command::SCHYXX);
        ScriptedMessages messages;
        Press(form, "CommandSC");
        QCOMPARE(messages.texts(),
                 QStringList{"您要删除的会员中尚有一些会员没有退还影碟，删除不能进行！"});
        QCOMPARE(Count("SELECT COUNT(*) FROM hyxx"), 2);
        Type(form, "ComboHYDJ", "abc");
        Press(form, "CommandSC");
        QCOMPARE(messages.last(), QStringLiteral("会员等级必须为数字！"));
    }

    void deleteAll_data()
    {
        // clang-format off
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<qint64>("membersLeft");
        QTest::addColumn<qint64>("rentalsLeft");
        QTest::newRow("no to the warning") << QList<int>{6, 7} << qint64(2) << qint64(2);
        QTest::newRow("rentals kept") << QList<int>{6, 6, 7} << qint64(0) << qint64(2);
        QTest::newRow("rentals deleted") << QList<int>{6, 6, 6} << qint64(0) << qint64(1);
        // clang-format on
    }
    void deleteAll()
    {
        QFETCH(QList<int>, answers);
        QFETCH(qint64, membersLeft);
        QFETCH(qint64, rentalsLeft);
        InsertMember("1");
        InsertMember("2");
        InsertRental("D1", "1", "2003-11-01", "是");
        InsertRental("D2", "/", "2003-11-01", "否", "10"); // walk-in, out: never blocks
        auto* query = open<FormHYXX>(Command::HYXX);
        auto* form = open<FormSCHYXX>(Command::SCHYXX);
        ScriptedMessages messages;
        for (int answer : answers)
            messages.queue({answer});
        Press(form, "CommandSC");
        QCOMPARE(messages.shown.size(), answers.size());
        QCOMPARE(messages.shown[1].title, QStringLiteral("用户警告"));
        QCOMPARE(Count("SELECT COUNT(*) FROM hyxx"), membersLeft);
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), rentalsLeft);
        if (membersLeft == 0) {
            QCOMPARE(Child<QLabel>(form, "LabelJLTS")->text(), QStringLiteral("共删除了2条记录"));
            QCOMPARE(query->model()->rowCount(), 1);
            QCOMPARE(main->panelText(4), QStringLiteral("本店共有 0 名会员"));
        }
    }
};

MOVRNT_TEST_MAIN(TestMemberWindows)
#include "tst_memberwindows.moc"
