#include "support/TestEnv.h"

#include "ui/app/MDIMain.h"
#include "ui/common/Seams.h"
#include "ui/settings/FormZJSZ.h"
#include "core/settings/Settings.h"

#include <QLineEdit>
#include <QPushButton>
#include <memory>

class TestFormZJSZ : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;

    QLineEdit* box(QWidget& dialog, const char* name)
    {
        return dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
    }

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>();
        QVERIFY(CreateSettingsKey());
    }
    void cleanup() { home.reset(); }

    void opensWithStoredRents()
    {
        {
            FormZJSZ dialog;
            QCOMPARE(box(dialog, "TextVCD")->text(), QString());
            QCOMPARE(box(dialog, "TextDVD")->text(), QString());
        }
        SetSetting(Setting::VCD, QStringLiteral("1.5"));
        SetSetting(Setting::DVD, QStringLiteral("3"));
        FormZJSZ dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("租金金额设置"));
        QCOMPARE(box(dialog, "TextVCD")->text(), QStringLiteral("1.5"));
        QCOMPARE(box(dialog, "TextDVD")->text(), QStringLiteral("3"));
    }

    void checksInOrder_data()
    {
        // clang-format off
        QTest::addColumn<QString>("vcd");
        QTest::addColumn<QString>("dvd");
        QTest::addColumn<QString>("message"); // empty: saved
        QTest::addColumn<QString>("focus");
        QTest::newRow("letters in VCD") << "abc" << "3" << "您输入的金额不合法，请重新输入！" << "TextVCD";
        QTest::newRow("empty DVD") << "2" << "" << "您输入的金额不合法，请重新输入！" << "TextDVD";
        QTest::newRow("minus one DVD") << "2" << "-1" << "租金金额不能为负值!" << "TextDVD";
        QTest::newRow("negative VCD first") << "-2" << "-1" << "租金金额不能为负值!" << "TextVCD";
        QTest::newRow("zeros") << "0" << "0" << "" << "";
        QTest::newRow("typed form kept") << "2.50" << " 3 " << "" << "";
        // clang-format on
    }
    void checksInOrder()
    {
        QFETCH(QString, vcd);
        QFETCH(QString, dvd);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        SetSetting(Setting::VCD, QStringLiteral("1"));
        SetSetting(Setting::DVD, QStringLiteral("2"));
        FormZJSZ dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        box(dialog, "TextVCD")->setText(vcd);
        box(dialog, "TextDVD")->setText(dvd);
        box(dialog, focus == u"TextVCD" ? "TextDVD" : "TextVCD")->setFocus();
        ScriptedMessages messages;
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("CommandQD")),
                          Qt::LeftButton);
        if (message.isEmpty()) {
            QVERIFY(messages.shown.isEmpty());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(GetSetting(Setting::VCD), vcd);
            QCOMPARE(GetSetting(Setting::DVD), dvd);
            return;
        }
        QCOMPARE(messages.texts(), QStringList{message});
        QCOMPARE(messages.shown[0].style, 0);
        QCOMPARE(messages.shown[0].title, QStringLiteral("用户提示"));
        QVERIFY(dialog.isVisible());
        QCOMPARE(QApplication::focusWidget(), box(dialog, focus.toLatin1().constData()));
        QCOMPARE(GetSetting(Setting::VCD), QStringLiteral("1"));
        QCOMPARE(GetSetting(Setting::DVD), QStringLiteral("2"));
    }

    void cancelSavesNothing()
    {
        FormZJSZ dialog;
        box(dialog, "TextVCD")->setText(QStringLiteral("5"));
        box(dialog, "TextDVD")->setText(QStringLiteral("6"));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("CommandFQ")),
                          Qt::LeftButton);
        QCOMPARE(GetSetting(Setting::VCD), QString());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    void menuOpensTheDialog()
    {
        // The rent command is the first built window behind the menu.
        QString opened;
        Seams().execDialog = [&opened](QDialog& dialog) {
            opened = dialog.objectName();
            return int(QDialog::Rejected);
        };
        MDIMain window;
        window.findChild<QAction*>(QStringLiteral("mnuZJSZItem"))->trigger();
        QCOMPARE(opened, QStringLiteral("FormZJSZ"));
    }
};

MOVRNT_TEST_MAIN(TestFormZJSZ)
#include "tst_formzjsz.moc"
