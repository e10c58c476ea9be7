// Every window as a clerk at a 1024x768 screen and a screen reader meet it:
// wholly inside the main window's child area, every control named by its caption.
#include "support/TestEnv.h"
#include "support/UiHelpers.h"

#include "core/access/PassCheck.h"
#include "core/rentals/Rentals.h"
#include "core/settings/Settings.h"
#include "ui/access/FormMMSZ.h"
#include "ui/access/FormPass.h"
#include "ui/app/MDIMain.h"
#include "ui/catalogue/FormLRJJ.h"
#include "ui/catalogue/FormYDCX.h"
#include "ui/catalogue/FormYDCZ.h"
#include "ui/common/Seams.h"
#include "ui/common/WindowSupport.h"
#include "ui/maintenance/FormExcel.h"
#include "ui/maintenance/FormSJBF.h"
#include "ui/members/FormHYCZ.h"
#include "ui/members/FormHYXX.h"
#include "ui/rentals/FormHYHD.h"
#include "ui/rentals/FormJZ.h"
#include "ui/rentals/FormTJZJXX.h"
#include "ui/rentals/FormZJXXCX.h"
#include "ui/settings/FormGNCS.h"
#include "ui/settings/FormZJSZ.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <memory>

namespace {
// The controls a user acts on: named ones, and the edit lines of combo boxes.
QList<QWidget*> Controls(QWidget* window)
{
    QList<QWidget*> controls;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->objectName().startsWith(QStringLiteral("qt_")) || !w->isVisibleTo(window))
            continue;
        const bool input = qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                           qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QDateEdit*>(w) ||
                           qobject_cast<QAbstractButton*>(w) || qobject_cast<GridView*>(w);
        const bool spinLine = qobject_cast<QDateEdit*>(w->parentWidget()) != nullptr;
        if (input && !spinLine)
            controls << w;
    }
    return controls;
}

QString NameOf(QWidget* w)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
    return face ? face->text(QAccessible::Name) : QString();
}
} // namespace

class TestReach : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;
    std::unique_ptr<MDIMain> main;

    // Every child window, the settle windows last, where cascading pushed
    // them out of reach.
    QList<QMdiSubWindow*> openEveryChildWindow()
    {
        ScriptedMessages messages;
        for (Command command :
             {Command::YDXX, Command::ZJXX, Command::HYXX, Command::TJYDXX, Command::XGYDXX,
              Command::SCYDXX, Command::TJHYXX, Command::XGHYXX, Command::SCHYXX, Command::TJZJXX,
              Command::SCZJXX, Command::YYGL, Command::PD})
            main->runCommand(command);
        Press(main->findWindow<FormZJXXCX>(), "CommandJZ");
        Press(main->findWindow<FormZJXXCX>(), "CommandHYHD");
        [&] { QVERIFY(messages.shown.isEmpty()); }();
        return main->findChild<QMdiArea*>()->subWindowList();
    }

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>();
        home->setSettings(
            {{"FirstRunTime", "False"}, {"VCD", "2"}, {"DVD", "3"}, {"HYDJ", "3"}, {"FJZJ", "10"}});
        Seams().screenSize = [] { return QSize(1024, 768); };
        main = std::make_unique<MDIMain>();
        ScriptedMessages quiet;
        QVERIFY(main->runStartup());
        main->setGeometry(0, 0, 1024, 768);
        main->show();
        QVERIFY(QTest::qWaitForWindowActive(main.get()));
    }
    void cleanup()
    {
        main.reset();
        home.reset();
    }

    void childWindowsOpenWithinReach()
    {
        const QList<QMdiSubWindow*> windows = openEveryChildWindow();
        auto* area = main->findChild<QMdiArea*>();
        const QRect visible = area->viewport()->rect();
        QCOMPARE(windows.size(), 15);
        for (QMdiSubWindow* sub : windows) {
            const QString title = sub->widget()->windowTitle();
            QVERIFY2(visible.contains(sub->geometry()), qPrintable(title));
            for (auto* button : sub->widget()->findChildren<QPushButton*>()) {
                const QRect at(button->mapTo(area->viewport(), QPoint(0, 0)), button->size());
                QVERIFY2(visible.contains(at), qPrintable(title + u' ' + button->text()));
            }
        }
    }

    void everyControlIsNamedByItsCaption()
    {
        QList<QWidget*> windows;
        for (QMdiSubWindow* sub : openEveryChildWindow())
            windows << sub->widget();
        FormPass pass;
        FormMMSZ password;
        FormZJSZ rents;
        FormLRJJ synopsis(main->shop());
        windows << &pass << &password << &rents << &synopsis;
        for (QWidget* window : windows) {
            for (QWidget* control : Controls(window)) {
                const QString name = NameOf(control);
                const QString where = window->objectName() + u'.' + control->objectName();
                QVERIFY2(!name.trimmed().isEmpty(), qPrintable(where));
                QVERIFY2(!name.contains(u':') && !name.contains(u'：'),
                         qPrintable(where + u' ' + name));
                if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->isEditable()) {
                    QCOMPARE(NameOf(combo->lineEdit()), name);
                    // Its drop-down list can be browsed: the year, month and genre lists.
                    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(combo);
                    QAccessibleInterface* list = face->child(0);
                    QVERIFY2(list && list->role() == QAccessible::List, qPrintable(where));
                    QCOMPARE(list->childCount(), combo->count());
                    QCOMPARE(face->indexOfChild(list), 0);
                    QCOMPARE(list->parent()->object(), combo);
                }
            }
        }
        // A label that shows a value is read as that value, its caption as its description.
        FormGNCS parameters(main->shop());
        FormSJBF backup(main->shop());
        FormExcel exchange(main->shop());
        for (QWidget* window : {static_cast<QWidget*>(&parameters), static_cast<QWidget*>(&backup),
                                static_cast<QWidget*>(&exchange)}) {
            for (QLabel* label : window->findChildren<QLabel*>()) {
                if (label->accessibleDescription().isEmpty())
                    continue;
                QCOMPARE(NameOf(label), label->text());
                QVERIFY(!label->text().isEmpty());
            }
        }
        QLabel* interval = parameters.stepLabel(Setting::AutoBackupTime);
        QCOMPARE(NameOf(interval), QStringLiteral("30"));
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(interval);
        QCOMPARE(face->text(QAccessible::Description), QStringLiteral("备份频率（秒）"));
    }

    // Enter goes from box to box and presses the window's button in the last:
    // a scanner's disc number and Enter never rent the disc out by themselves.
    void enterMovesOn_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QStringList>("typed"); // box=text, then Enter
        QTest::addColumn<QStringList>("focus"); // where each Enter leaves the focus
        QTest::addColumn<qint64>("rentals");    // after the last Enter
        QTest::newRow("member rental by scanner")
            << int(Command::TJZJXX) << QStringList({"TextYDBH=1", "TextHYBH=M1"})
            << QStringList({"TextHYBH", "TextYDBH"}) << qint64(1); // done, ready for the next
        QTest::newRow("walk-in rental")
            << int(Command::TJZJXX) << QStringList({"TextYDBH=1", "TextHYBH=", "TextYJJE=10"})
            << QStringList({"TextHYBH", "TextYJJE", "TextYDBH"}) << qint64(1);
        QTest::newRow("adding a disc")
            << int(Command::TJYDXX) << QStringList({"TextBH=9", "TextPM=片"})
            << QStringList({"TextPM", "ComboLX"}) << qint64(0);
        QTest::newRow("disc query conditions")
            << int(Command::YDXX) << QStringList({"TextBH=", "TextPM="})
            << QStringList({"TextPM", "ComboLX"}) << qint64(0);
    }
    void enterMovesOn()
    {
        QFETCH(int, command);
        QFETCH(QStringList, typed);
        QFETCH(QStringList, focus);
        QFETCH(qint64, rentals);
        InsertDisc("1");
        InsertMember("M1");
        ScriptedMessages messages;
        main->runCommand(Command(command));
        QWidget* window = main->findChild<QMdiArea*>()->activeSubWindow()->widget();
        QStringList reached;
        for (const QString& entry : typed) {
            auto* box = Child<QLineEdit>(window, qPrintable(entry.section(u'=', 0, 0)));
            box->setFocus();
            box->setText(entry.section(u'=', 1));
            QTest::keyClick(box, Qt::Key_Return);
            QWidget* now = QApplication::focusWidget();
            if (now && qobject_cast<QComboBox*>(now->parentWidget()))
                now = now->parentWidget();
            reached << (now ? now->objectName() : QString());
        }
        QCOMPARE(reached, focus);
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), rentals);
    }

    // A scan at the main window opens the rent-out window with the number in place.
    void scannedDiscThenMemberCard()
    {
        InsertDisc("V0012");
        InsertMember("M0012");
        ScriptedMessages messages;
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main.get()));
        // Through the window, as the keyboard's keys come: one burst, as a scanner types.
        QWindow* window = main->windowHandle();
        const auto type = [window](const char* keys) {
            for (const char* c = keys; *c; ++c)
                QTest::keyClick(window, *c);
            QTest::keyClick(window, Qt::Key_Return);
        };
        type("V0012");
        auto* rent = main->findWindow<FormTJZJXX>();
        QVERIFY(rent);
        QCOMPARE(Child<QLineEdit>(rent, "TextYDBH")->text(), QStringLiteral("V0012"));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("TextHYBH"));
        // The card goes into the focused box and its Enter rents the disc out,
        // here a line feed, as some scanners (and xdotool type) end a number.
        QTest::keyClicks(QApplication::focusWidget(), "M0012");
        QKeyEvent lineFeed(QEvent::KeyPress, 0x0a, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &lineFeed);
        QCOMPARE(FirstRow("SELECT bh, hybh FROM zjxx"), QStringList({"V0012", "M0012"}));
        // Typed slowly by hand, the same keys are no scan.
        CloseWindow(rent);
        main->setFocus();
        for (const char c : {'V', '0', '0', '1', '2'}) {
            QTest::keyClick(window, c);
            QTest::qWait(60);
        }
        QTest::keyClick(window, Qt::Key_Return);
        QVERIFY(!main->findWindow<FormTJZJXX>());
        type("NOSUCH");
        QVERIFY(messages.last().contains(QStringLiteral("既不是本店的影碟编号")));

        // A disc that is out has come back: its scan opens the return on its
        // rental, which the line under the range adds up before it settles;
        // Escape closes the window again.
        InsertDisc("W0012");
        const qint64 walkIn = RentOut(main->shop(), {"W0012", "", "10", true}).zdbh;
        const QString member = FirstRow("SELECT zdbh FROM zjxx WHERE bh = 'V0012'").value(0);
        for (const auto& [disc, zdbh, preview] :
             {std::tuple{"V0012", member, QStringLiteral("会员 M0012（张三）预付租金余额 ￥98.00")},
              std::tuple{"W0012", QString::number(walkIn),
                         QStringLiteral("应付租金 ￥2，应退押金 ￥10（1 张，1 天）")}}) {
            main->activateWindow();
            main->setFocus();
            type(disc);
            SettleWindow* back = disc == QStringLiteral("V0012")
                                     ? static_cast<SettleWindow*>(main->findWindow<FormHYHD>())
                                     : main->findWindow<FormJZ>();
            QVERIFY(back);
            QCOMPARE(Child<QLineEdit>(back, "TextBH1")->text(), zdbh);
            QCOMPARE(Child<QLineEdit>(back, "TextBH2")->text(), zdbh);
            QVERIFY2(Child<QLabel>(back, "LabelYL")->text().contains(preview),
                     qPrintable(Child<QLabel>(back, "LabelYL")->text()));
            QTest::keyClick(Child<QLineEdit>(back, "TextBH1"), Qt::Key_Escape);
            QTRY_VERIFY(!main->findWindow<FormJZ>() && !main->findWindow<FormHYHD>());
        }
    }

    // As a guest nothing opens a window that changes data: every menu and
    // pop-up item (by its shortcut too), the toolbar, a scanned disc and
    // card, and the clicks of the query grids that lead on to other windows.
    void guestReachesNothingThatChanges()
    {
        InsertDisc("V0012");
        InsertMember("M0012");
        InsertRental("V0012", "M0012");
        const QStringList before =
            FirstRow("SELECT (SELECT COUNT(*) FROM zjxx), (SELECT group_concat(sfycz) FROM ydxx),"
                     " (SELECT group_concat(zjje || yjps) FROM hyxx)");
        QVERIFY(StorePassword(QStringLiteral("Shop1")));
        SetUserMode(QStringLiteral("Guest"));
        QStringList dialogs;
        Seams().execDialog = [&dialogs](QDialog& dialog) {
            dialogs << dialog.objectName();
            return int(QDialog::Rejected);
        };
        const QStringList changing = {"FormTJYDXX", "FormXGYDXX", "FormSCYDXX", "FormTJHYXX",
                                      "FormXGHYXX", "FormSCHYXX", "FormTJZJXX", "FormJZ",
                                      "FormHYHD",   "FormSCZJXX", "FormZJSZ",   "FormMMSZ",
                                      "FormSJBF",   "FormZJCZ",   "FormGNCS",   "FormYDCZ",
                                      "FormHYCZ",   "FormDSSH",   "FormYYGL",   "FormPD"};
        auto* area = main->findChild<QMdiArea*>();
        const auto check = [&](const QString& way) {
            QStringList open = dialogs;
            for (QMdiSubWindow* sub : area->subWindowList())
                open << sub->widget()->objectName();
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->isVisible())
                    open << top->objectName();
            for (const QString& window : open)
                QVERIFY2(!changing.contains(window),
                         qPrintable(way + QStringLiteral(": ") + window));
            dialogs.clear();
        };
        ScriptedMessages messages;
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main.get()));
        for (QAction* action : main->findChildren<QAction*>()) {
            if (action->menu() || action->isSeparator() || action->objectName() == u"mnuTCItem")
                continue;
            if (!action->shortcut().isEmpty())
                QTest::keySequence(main->windowHandle(), action->shortcut());
            action->trigger();
            check(action->text());
        }
        for (int position = 1; position <= 7; ++position) {
            main->onToolbar1ButtonClick(position);
            check(QStringLiteral("toolbar %1").arg(position));
        }
        area->closeAllSubWindows();
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main.get()));
        main->setFocus();
        for (const char* number : {"V0012", "M0012"}) {
            for (const char* c = number; *c; ++c)
                QTest::keyClick(main->windowHandle(), *c);
            QTest::keyClick(main->windowHandle(), Qt::Key_Return);
            check(QStringLiteral("scan ") + QLatin1String(number));
        }
        for (Command query : {Command::YDXX, Command::HYXX, Command::ZJXX}) {
            main->runCommand(query);
            auto* grid = area->activeSubWindow()->widget()->findChild<GridView*>();
            for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
                ReleaseOnRow(grid, 0, button);
                check(QStringLiteral("grid %1 button %2").arg(int(query)).arg(int(button)));
            }
        }
        QVERIFY(messages.texts().contains(
            QStringLiteral("对不起，您是由来宾方式登陆本系统的，没有权限执行该操作！")));
        QCOMPARE(FirstRow("SELECT (SELECT COUNT(*) FROM zjxx), (SELECT group_concat(sfycz) FROM"
                          " ydxx), (SELECT group_concat(zjje || yjps) FROM hyxx)"),
                 before);
    }

    void gridsShowTheirWholeRow()
    {
        InsertDisc("1", "成龙 李连杰 周星驰 梁朝伟 张曼玉 刘德华 张学友", "中国香港特别行政区");
        InsertMember("M1", "欧阳长名字会员", "男", 0, 100, 50, 0, "2003-11-01");
        RunSql("UPDATE hyxx SET hyzz = '北京市海淀区中关村南大街甲十八号院十二号楼三单元', "
               "lxdh = '010-12345678-9012'");
        for (Command command : {Command::YDXX, Command::HYXX, Command::ZJXX}) {
            main->runCommand(command);
            auto* grid =
                main->findChild<QMdiArea*>()->activeSubWindow()->widget()->findChild<GridView*>();
            QHeaderView* header = grid->horizontalHeader();
            const int last = header->count() - 1;
            for (int c = 0; c <= last; ++c) {
                const QString heading = grid->gridModel()->heading(c);
                QVERIFY2(header->sectionSize(c) >=
                             header->fontMetrics().horizontalAdvance(heading) + 16,
                         qPrintable(heading));
            }
            QVERIFY2(header->sectionPosition(last) + header->fontMetrics().horizontalAdvance(
                                                         grid->gridModel()->heading(last)) <=
                         grid->viewport()->width(),
                     qPrintable(grid->objectName()));
        }
        // Where there is room, the widths the disc grid sets for its columns hold.
        auto* discs = main->findWindow<FormYDCX>()->findChild<GridView*>();
        discs->resize(1600, discs->height());
        QCOMPARE(discs->columnWidth(3), 4100 * discs->logicalDpiX() / 1440); // 主演
        QCOMPARE(discs->columnWidth(6), 3000 * discs->logicalDpiX() / 1440); // 入库日期
    }

    void typedTextNeitherCompletesNorRenames()
    {
        InsertDisc("1", "成龙 李连杰", "中国");
        InsertDisc("2", "周星驰", "中国");
        auto* query = main->openChild<FormYDCX>();
        auto* stars = Child<QComboBox>(query, "ComboZY");
        QCOMPARE(stars->count(), 3);
        stars->lineEdit()->setFocus();
        for (const QChar c : QStringLiteral("成"))
            QTest::sendKeyEvent(QTest::Click, stars->lineEdit(), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        QCOMPARE(stars->currentText(), QStringLiteral("成"));
        QCOMPARE(NameOf(stars), QStringLiteral("主演"));
        QTest::keyClick(stars->lineEdit(), Qt::Key_Return);
        QCOMPARE(stars->currentText(), QStringLiteral("成"));
        Press(query, "CommandCX");
        QCOMPARE(query->model()->total(), 1); // a part of a name finds its disc
    }
};

MOVRNT_TEST_MAIN(TestReach)
#include "tst_reach.moc"
