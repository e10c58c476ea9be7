#include "support/TestEnv.h"
#include "support/UiHelpers.h"

#include "app/MDIMain.h"
#include "app/Seams.h"
#include "catalogue/FormYDCX.h"
#include "stats/FormJRYY.h"

#include <QLabel>
#include <memory>

class TestFigureWindows : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;
    std::unique_ptr<MDIMain> main;
    QStringList opened;

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>(); // today is 2003-11-09
        home->setSettings({{"FirstRunTime", "False"}, {"InstallTime", "2002-03-04"}});
        opened.clear();
        Seams().execDialog = [this](QDialog& dialog) {
            opened << dialog.objectName() + u':' +
                          Child<QPlainTextEdit>(&dialog, "TextXD")->toPlainText();
            return int(QDialog::Rejected);
        };
        main = std::make_unique<MDIMain>();
        ScriptedMessages quiet;
        QVERIFY(main->RunStartup());
        main->show();
        QVERIFY(QTest::qWaitForWindowActive(main.get()));
        InsertDisc("V1", "/", "/", "否", "VCD", "英雄", "故事片", "2003-11-09");
        InsertRental("V1", "/", "2003-11-09", "是", "10");
        InsertRental("V1", "/", "2003-10-01", "是", "10");
    }
    void cleanup()
    {
        main.reset();
        home.reset();
    }

    void today()
    {
        main->RunCommand(Command::JRYY);
        auto* form = main->FindChild<FormJRYY>();
        QCOMPARE(Child<QLabel>(form, "LabelRQ")->text(),
                 QStringLiteral("今天是2003年11月09日，截止到现在的出租情况如下："));
        QCOMPARE(Child<QLineEdit>(form, "TextVCD")->text(), QStringLiteral("1"));
        QCOMPARE(Child<QLineEdit>(form, "TextDVD")->text(), QStringLiteral("0"));
    }

    void month_data()
    {
        // clang-format off
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("vcd");
        QTest::newRow("this month") << "2003" << "11" << "" << "" << "1";
        QTest::newRow("October") << "2003" << "10" << "" << "" << "1";
        QTest::newRow("bad month") << "2003" << "十" << "您输入的月份有误！" << "ComboYF" << "";
        QTest::newRow("bad year, bad month") << "今年" << "十" << "您输入的年份有误！" << "ComboNF" << "";
        // clang-format on
    }
    void month()
    {
        QFETCH(QString, year);
        QFETCH(QString, month);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        QFETCH(QString, vcd);
        main->RunCommand(Command::LSSJ);
        auto* form = main->FindChild<FormLSSJ>();
        auto* years = Child<QComboBox>(form, "ComboNF");
        QCOMPARE(years->count(), 2); // 2002 and 2003
        QCOMPARE(years->currentText(), QStringLiteral("2003"));
        QCOMPARE(Child<QComboBox>(form, "ComboYF")->currentText(), QStringLiteral("11"));
        Type(form, "ComboNF", year);
        Type(form, "ComboYF", month);
        ScriptedMessages messages;
        Press(form, "CommandCK");
        QCOMPARE(messages.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
        if (!focus.isEmpty())
            QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        QCOMPARE(Child<QLineEdit>(form, "TextVCD")->text(), vcd);
        QCOMPARE(main->PanelText(2), QStringLiteral("就绪"));
    }

    void popularDiscsFromThePopupAndTheDiscQuery()
    {
        main->RunCommand(Command::RMYD);
        main->RunCommand(Command::YDXX);
        Press(main->FindChild<FormYDCX>(), "CommandRMYD");
        QCOMPARE(opened, QStringList(2, QStringLiteral("FormRMYD:V1   英雄   VCD   未出租")));
    }
};

MOVRNT_TEST_MAIN(TestFigureWindows)
#include "tst_figurewindows.moc"
