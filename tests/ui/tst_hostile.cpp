// Every window takes whatever is typed into it: nothing crashes, the books stay
// whole, and every refusal is the program's own message.
#include "support/TestEnv.h"
#include "support/UiHelpers.h"

#include "ui/app/Commands.h"
#include "ui/app/MDIMain.h"
#include "ui/common/Seams.h"
#include "ui/maintenance/FormExcel.h"
#include "ui/maintenance/FormSJBF.h"

#include <QAbstractButton>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrintPreviewDialog>
#include <memory>

class TestHostile : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;
    std::unique_ptr<MDIMain> main;
    int depth = 0;
    int pressed = 0;
    QString text;

    // Types the text into every box of a window, then presses every button
    // but the closing ones; the dialogs those open get the same, one level deep.
    void assault(QWidget* window)
    {
        // Their files go where the folder lists point; their own tests cover them.
        if (qobject_cast<FormSJBF*>(window) || qobject_cast<FormExcel*>(window) ||
            qobject_cast<QPrintPreviewDialog*>(window))
            return;
        const auto fill = [this, window] {
            for (QLineEdit* line : window->findChildren<QLineEdit*>())
                if (line->isEnabled() && !line->isReadOnly())
                    line->setText(text);
            for (QComboBox* combo : window->findChildren<QComboBox*>())
                if (combo->isEnabled() && combo->isEditable())
                    combo->setEditText(text);
            for (QPlainTextEdit* box : window->findChildren<QPlainTextEdit*>())
                if (box->isEnabled() && !box->isReadOnly())
                    box->setPlainText(text);
        };
        const QList<QPointer<QAbstractButton>> buttons = [window] {
            QList<QPointer<QAbstractButton>> all;
            for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
                if (!QStringList({"CommandFQ", "CommandGB", "CommandTC"}).contains(button->objectName()))
                    all << button;
            return all;
        }();
        for (const QPointer<QAbstractButton>& button : buttons) {
            fill();
            if (button && button->isEnabled() && button->isVisible())
                button->click(), ++pressed;
            QCoreApplication::processEvents();
        }
    }

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>();
        home->setSettings({{"FirstRunTime", "False"},
                           {"VCD", "2"},
                           {"DVD", "3"},
                           {"FJZJ", "10"},
                           {"HYDJ", "3"},
                           {"ReceiptPaper", "80"}});
        Seams().screenSize = [] { return QSize(1024, 768); };
        Seams().openFile = [](const QString&, const QString&) { return QString(); };
        Seams().saveFile = [](const QString&, const QString&, const QString&) { return QString(); };
        Seams().chooseColor = [] { return -1; };
        Seams().openUrl = [](const QUrl&) { return false; };
        Seams().startProgram = [](const QString&) { return false; };
        Seams().execDialog = [this](QDialog& dialog) {
            if (depth < 2) {
                ++depth;
                dialog.show();
                assault(&dialog);
                --depth;
            }
            return int(QDialog::Rejected);
        };
        OpenDatabase();
        InsertDisc("V1");
        InsertMember("M1");
        InsertRental("V1", "M1", "2003-11-01", "否");
        RunSql("UPDATE ydxx SET sfycz = '是'");
        CloseDatabase();
        QVERIFY(main = StartedMain());
    }
    void cleanup()
    {
        main.reset();
        home.reset();
    }

    void everyWindowTakesAnyText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("empty") << QString();
        QTest::newRow("blanks") << QStringLiteral("   ");
        QTest::newRow("quotes") << QStringLiteral("O'Brien \"x\" ' OR '1'='1");
        QTest::newRow("wildcards") << QStringLiteral("%_%\\");
        QTest::newRow("long") << QString(10000, u'碟');
        QTest::newRow("control and NUL") << QStringLiteral("a\t\x01\x7f") + QChar(0) + u'b';
        QTest::newRow("emoji and right-to-left") << QStringLiteral("🎬שלום") + QChar(0x202E);
        QTest::newRow("full-width digits") << QStringLiteral("１２３");
        QTest::newRow("beyond a double") << QStringLiteral("1e309");
        QTest::newRow("minus zero") << QStringLiteral("-0");
        QTest::newRow("hexadecimal") << QStringLiteral("0x10");
        QTest::newRow("past 2^63") << QStringLiteral("9223372036854775808");
    }
    void everyWindowTakesAnyText()
    {
        QFETCH(QString, typed);
        text = typed;
        pressed = 0;
        ScriptedMessages messages; // every question answered 否 (closed)
        for (const CommandInfo& info : AllCommands()) {
            if (info.command == Command::TC)
                continue;
            main->runCommand(info.command);
            QCoreApplication::processEvents();
            for (QMdiSubWindow* sub : main->mdiArea()->subWindowList())
                assault(sub->widget());
            main->mdiArea()->closeAllSubWindows();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        // Every window was reached.
        QVERIFY2(pressed > 50, qPrintable(QString::number(pressed)));
        // The program's own boxes only, each with a text of its own.
        for (const ShownMessage& message : messages.shown)
            QVERIFY2(!message.text.trimmed().isEmpty() && !message.standardBox,
                     qPrintable(message.text));
        OpenDatabase();
        QCOMPARE(FirstRow("PRAGMA integrity_check"), QStringList{"ok"});
        QCOMPARE(Count("SELECT COUNT(*) FROM ydxx AS d WHERE (d.sfycz = '是') <> EXISTS (SELECT 1 "
                       "FROM zjxx WHERE bh = d.bh AND sfyh = '否')"),
                 0);
    }
};

MOVRNT_TEST_MAIN(TestHostile)
#include "tst_hostile.moc"
