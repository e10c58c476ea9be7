#include "support/TestEnv.h"

#include "support/UiHelpers.h"
#include "ui/app/ChineseQt.h"

#include "ui/app/MDIMain.h"
#include "ui/auxiliary/AuxiliaryWindows.h"
#include "ui/catalogue/FormLRJJ.h"
#include "ui/catalogue/VcdPreview.h"
#include "ui/common/Seams.h"

#include "core/auxiliary/Auxiliary.h"
#include "core/settings/Settings.h"
#include "core/store/ProgramFolder.h"
#include "core/store/Shop.h"

#include <QCheckBox>
#include <QFileIconProvider>
#include <QLabel>
#include <QLayout>
#include <QMediaPlayer>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QSlider>
#include <QStringEncoder>
#include <QTextBrowser>
#include <QTimer>
#include <memory>
#include <sqlite3.h>

class TestAuxiliary : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;

    void writeTips(const QString& text, const char* encoding)
    {
        QFile file(JoinPath(ProgramFolder(), kTipFileName));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QStringEncoder encoder(encoding);
        file.write(encoder(text));
    }

private Q_SLOTS:
    void init() { home = std::make_unique<TestHome>(); }
    void cleanup() { home.reset(); }

    void splashClosesOnAKeyOrAfterFiveSeconds()
    {
        FormSplash splash;
        QSignalSpy closed(&splash, &FormSplash::closed);
        QCOMPARE(splash.timerUnload()->interval(), 5000);
        QVERIFY(splash.timerUnload()->isActive());
        QCOMPARE(Child<QLabel>(&splash, "LabelUserName")->text(),
                 QStringLiteral("用户 ：（无名用户）"));
        QTest::keyClick(&splash, Qt::Key_Space);
        QCOMPARE(closed.count(), 1);
        QVERIFY(!splash.timerUnload()->isActive());
        FormSplash idle;
        QSignalSpy idleClosed(&idle, &FormSplash::closed);
        idle.timerUnload()->start(10); // its five seconds, shortened
        QTRY_COMPARE(idleClosed.count(), 1);
    }

    void tipFile_data()
    {
        QTest::addColumn<QString>("encoding");
        QTest::newRow("UTF-8") << "UTF-8";
        QTest::newRow("GB18030") << "GB18030";
    }
    void tipFile()
    {
        QFETCH(QString, encoding);
        const QStringList tips = {"第一条：会员租借打折", "", "第三条：每天备份"};
        writeTips(tips.join("\r\n") + "\r\n", qPrintable(encoding));
        QCOMPARE(ReadTips(JoinPath(ProgramFolder(), kTipFileName)), tips);
        SetShowTipsAtStartup(0);
        FormTip window;
        QCOMPARE(ShowTipsAtStartup(), 1); // every opening ticks the box
        QVERIFY(window.currentTip() >= 1 && window.currentTip() <= 3);
        QSet<int> seen;
        for (int i = 0; i < 60; ++i) {
            Press(&window, "cmdNextTip");
            seen << window.currentTip();
            QCOMPARE(Child<QLabel>(&window, "lblTipText")->text(), tips[window.currentTip() - 1]);
        }
        QCOMPARE(seen.size(), 3);
        QTest::mouseClick(Child<QCheckBox>(&window, "chkLoadTipsAtStartup"), Qt::LeftButton);
        QCOMPARE(ShowTipsAtStartup(), 0);
    }

    // Qt's own file dialogs speak Chinese too, the words its translation lacks included.
    void qtDialogsInChinese()
    {
        UseChineseForQt(*QCoreApplication::instance());
        QCOMPARE(QFileIconProvider().type(QFileInfo(home->folder())), QStringLiteral("文件夹"));
        QCOMPARE(QLocale().toString(QDate(2026, 12, 7), QLocale::ShortFormat),
                 QStringLiteral("2026/12/7"));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "&Open"), QStringLiteral("打开(&O)"));
    }

    void missingTipFileIsSaidInTheWindow()
    {
        FormTip window;
        QCOMPARE(Child<QLabel>(&window, "lblTipText")->text(), MissingTipFileText());
        QVERIFY(MissingTipFileText().startsWith("That the TIPOFDAY.TXT file was not found? \n\n"));
    }

    void startUpShowsTheTipUnlessSwitchedOff()
    {
        home->setSettings({{"FirstRunTime", "False"}});
        QStringList opened;
        Seams().execDialog = [&opened](QDialog& dialog) {
            opened << dialog.objectName();
            return int(QDialog::Accepted);
        };
        for (int setting : {1, 0}) {
            SetShowTipsAtStartup(setting);
            MDIMain main;
            QVERIFY(main.runStartup());
            CloseDatabase();
        }
        QCOMPARE(opened, QStringList{"FormTip"});
    }

    // About names the project's address and shows a summary of its own for support.
    void systemInformation()
    {
        OpenDatabase();
        InsertDisc("1");
        QStringList shown;
        Seams().execDialog = [&shown](QDialog& dialog) {
            if (auto* text = dialog.findChild<QPlainTextEdit*>(QStringLiteral("TextXTXX")))
                shown = text->toPlainText().split(u'\n');
            return int(QDialog::Accepted);
        };
        QList<QUrl> mailed;
        Seams().openUrl = [&mailed](const QUrl& address) {
            mailed << address;
            return true;
        };
        FormAbout about(TestShop());
        QCOMPARE(Child<QLabel>(&about, "LabelVersion")->text(), QStringLiteral("版本号  ： 1.1.0"));
        Child<QLabel>(&about, "LabelMail")
            ->linkActivated(QStringLiteral("mailto:") + kSupportAddress);
        QCOMPARE(mailed, QList<QUrl>{QUrl(QStringLiteral("mailto:") + kSupportAddress)});
        Press(&about, "cmdSysInfo");
        for (const QString& line :
             {QStringLiteral("SQLite 版本：") + QString::fromLatin1(sqlite3_libversion()),
              QStringLiteral("数据库：") + DatabasePath(), QStringLiteral("影碟：1"),
              QStringLiteral("租借记录：0"), QStringLiteral("柜台名称：") + CounterName(),
              QStringLiteral("当前用户：未设置管理员密码")})
            QVERIFY2(shown.contains(line), qPrintable(shown.join(u'\n')));
        CloseDatabase();
    }

    void helpPageInTheWindowAndTheWebSiteInTheBrowser()
    {
        QVERIFY(QFile::copy(QFINDTESTDATA("../../resources/" + kHelpPageName),
                            JoinPath(ProgramFolder(), kHelpPageName)));
        home->setSettings({{"FirstRunTime", "False"}});
        QList<QUrl> browsed;
        Seams().openUrl = [&browsed](const QUrl& address) {
            browsed << address;
            return true;
        };
        MDIMain main;
        QVERIFY(main.runStartup());
        main.runCommand(Command::ZT);
        auto* window = main.findWindow<FormWebSite>();
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("帮助主题"));
        QVERIFY(window->browser()->toPlainText().contains(QStringLiteral("专家操作方式")));
        main.runCommand(Command::FWWZ);
        QCOMPARE(browsed, QList<QUrl>{QUrl(kHomePage)});
        QCOMPARE(window->windowTitle(), QStringLiteral("帮助主题")); // no empty window
    }

    void previewPlaysAVcdFile()
    {
        const QString sample = JoinPath(ProgramFolder(), "sample.dat");
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", {"-v", "error", "-f", "lavfi", "-i",
                                "testsrc=duration=2:size=352x240:rate=29.97", "-f", "lavfi", "-i",
                                "sine=duration=2", "-target", "ntsc-vcd", "-f", "mpeg", sample});
        QVERIFY2(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0,
                 ffmpeg.readAllStandardError().constData());
        Seams().screenSize = [] { return QSize(1024, 768); };
        Seams().openFile = [&sample](const QString& title, const QString& pattern) {
            return title == u"选择影碟文件" && pattern == u"*.dat" ? sample : QString();
        };
        Shop shop(DatabasePath());
        FormLRJJ window(shop);
        window.move(900, 0);
        window.show();
        auto* fold = Child<QPushButton>(&window, "CommandYDYL");
        auto* open = Child<QPushButton>(&window, "CommandOpen");
        auto* play = Child<QPushButton>(&window, "CommandPlay");
        auto* total = Child<QLabel>(&window, "LabelTotal");
        QVERIFY(!open->isEnabled());
        window.layout()->activate();
        const int narrow = window.width();
        Press(&window, "CommandYDYL");
        QCOMPARE(fold->text(), QStringLiteral("<< 关闭影碟预览(&D)"));
        QVERIFY(window.width() > narrow);
        QVERIFY(window.frameGeometry().right() < 1024); // moved left to fit
        Press(&window, "CommandOpen");
        QTRY_COMPARE(total->text(), QStringLiteral("总共0分2秒"));
        QVERIFY(!open->isEnabled() && play->isEnabled());
        QMediaPlayer* player = window.preview()->player();
        Press(&window, "CommandPlay");
        QCOMPARE(play->text(), QStringLiteral("暂停(&S)"));
        QTRY_VERIFY(player->position() > 0);

        Press(&window, "CommandPlay");
        QCOMPARE(play->text(), QStringLiteral("播放(&P)"));
        QTRY_COMPARE(player->playbackState(), QMediaPlayer::PausedState);
        // A right-button release only starts the clock again; a left one plays on.
        auto* slider = Child<QSlider>(&window, "SliderP");
        QTest::mouseRelease(slider, Qt::RightButton);
        QCOMPARE(play->text(), QStringLiteral("播放(&P)"));
        QVERIFY(window.preview()->timer()->isActive());
        QTest::mouseRelease(slider, Qt::LeftButton);
        QCOMPARE(play->text(), QStringLiteral("暂停(&S)"));
        // At the end of the file the panel is back to no file by itself.
        QTRY_VERIFY_WITH_TIMEOUT(!play->isEnabled(), 10000);
        QCOMPARE(total->text(), QStringLiteral("总共0分0秒"));
        QVERIFY(Child<QLabel>(&window, "LabelTS")->isVisible());
        QVERIFY(open->isEnabled());
        Press(&window, "CommandYDYL");
        window.layout()->activate();
        QCOMPARE(window.width(), narrow);
        QVERIFY(!open->isEnabled());
    }
};

MOVRNT_TEST_MAIN(TestAuxiliary)
#include "tst_auxiliary.moc"
