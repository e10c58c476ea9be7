#include "support/TestEnv.h"
#include "support/UiHelpers.h"

#include "core/access/PassCheck.h"
#include "core/catalogue/Discs.h"
#include "core/settings/Settings.h"
#include "core/store/Database.h"
#include "ui/app/MDIMain.h"
#include "ui/catalogue/FormLRJJ.h"
#include "ui/catalogue/FormSCYDXX.h"
#include "ui/catalogue/FormTJYDXX.h"
#include "ui/catalogue/FormXGYDXX.h"
#include "ui/catalogue/FormYDCX.h"
#include "ui/catalogue/FormYDCZ.h"
#include "ui/common/DateField.h"
#include "ui/common/GridView.h"
#include "ui/common/Seams.h"
#include "ui/common/SqlGridModel.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <memory>

class TestDiscWindows : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;
    std::unique_ptr<MDIMain> main;
    QStringList opened; // modal dialogs, with the disc number they showed

    QString makePicture(const QString& name)
    {
        const QString path = home->folder() + u'/' + name;
        QImage image(40, 60, QImage::Format_RGB32);
        image.fill(Qt::red);
        image.save(path, "JPG");
        return path;
    }

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>();
        home->setSettings({{"FirstRunTime", "False"}});
        SetUserMode(QString());
        opened.clear();
        Seams().screenSize = [] { return QSize(1024, 768); };
        Seams().execDialog = [this](QDialog& dialog) {
            QLineEdit* number = dialog.findChild<QLineEdit*>(QStringLiteral("TextBH"));
            opened << dialog.objectName() + u':' + (number ? number->text() : QString());
            return int(QDialog::Rejected);
        };
        QVERIFY(main = StartedMain());
    }
    void cleanup()
    {
        main.reset();
        SetUserMode(QString());
        home.reset();
    }

    // Adding

    void addChecksReportInOrder_data()
    {
        // clang-format off
        QTest::addColumn<QString>("bh");
        QTest::addColumn<QString>("lx");
        QTest::addColumn<QString>("ydlx");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("number in use wins") << "1" << "武打片" << "" << "您输入的编号已被使用，请重新输入一个编号！" << "";
        QTest::newRow("empty number, bad genre") << "" << "武打片" << "" << "影片类型不正确，请重新输入！" << "ComboLX";
        QTest::newRow("bad type") << "2" << "" << "LD" << "影碟类型不正确，请重新输入！" << "ComboYDLX";
        QTest::newRow("slash number") << "/" << "" << "" << "影碟编号不能为空!" << "TextBH";
        // clang-format on
    }
    void addChecksReportInOrder()
    {
        QFETCH(QString, bh);
        QFETCH(QString, lx);
        QFETCH(QString, ydlx);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        InsertDisc("1");
        main->runCommand(Command::TJYDXX);
        auto* form = main->findWindow<FormTJYDXX>();
        QVERIFY(form);
        QVERIFY(QTest::qWaitForWindowActive(main.get()));
        Type(form, "TextBH", bh);
        Type(form, "ComboLX", lx);
        Type(form, "ComboYDLX", ydlx);
        Child<QLineEdit>(form, "TextPM")->setFocus();
        ScriptedMessages messages;
        Press(form, "CommandTJ");
        QCOMPARE(messages.texts(), QStringList{message});
        if (!focus.isEmpty())
            QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        QCOMPARE(Count("SELECT COUNT(*) FROM ydxx"), 1);
        QCOMPARE(main->panelText(2), QStringLiteral("就绪"));
        QCOMPARE(Child<QLineEdit>(form, "TextBH")->text(), bh); // kept as typed
    }

    void addStoresCoverRefreshesAndEmpties()
    {
        const QString picture = makePicture(QStringLiteral("海报.png"));
        Seams().openFile = [picture](const QString& title, const QString& pattern) {
            return title == u"选择图片" && pattern == u"*.jpg" ? picture : QString();
        };
        main->runCommand(Command::YDXX);
        auto* query = main->findWindow<FormYDCX>();
        main->runCommand(Command::TJYDXX);
        auto* form = main->findWindow<FormTJYDXX>();
        Type(form, "TextBH", "A1");
        Type(form, "TextPM", "少林寺");
        Type(form, "ComboZY", "  A B  ");
        Type(form, "TextJJ", QString(300, u'好'));
        Press(form, "CommandLN");
        QCOMPARE(Child<QLineEdit>(form, "TextFMTP")->text(), picture);
        ScriptedMessages messages;
        Press(form, "CommandTJ");
        QCOMPARE(messages.texts(), QStringList{"影碟信息添加成功"});
        QVERIFY(QFile::exists(home->folder() + QStringLiteral("/Pictures/A1.jpg")));
        QCOMPARE(FindDisc(main->shop(), "A1")->nrjj.size(), 255);
        for (const char* name : {"TextBH", "TextPM", "TextFMTP"})
            QVERIFY(Child<QLineEdit>(form, name)->text().isEmpty());
        QVERIFY(Child<QComboBox>(form, "ComboZY")->currentText().isEmpty());
        QStringList stars;
        auto* comboZY = Child<QComboBox>(form, "ComboZY");
        for (int i = 0; i < comboZY->count(); ++i)
            stars << comboZY->itemText(i);
        QCOMPARE(stars, QStringList({"A", "B"}));
        QCOMPARE(main->panelText(3),
                 QStringLiteral("本店影碟库共有影碟 1 张  |  其中VCD 0 张 , DVD 1 张"));
        QCOMPARE(Column(query->model(), 0), QStringList({"A1", ""}));
        QCOMPARE(main->panelText(2), QStringLiteral("就绪"));
    }

    // Alt+C in the window is its 浏览(&C), not the main menu's 统计数据(&C).
    void childMnemonicsWinWhileTheyHaveTheFocus()
    {
        int chooser = 0;
        Seams().openFile = [&chooser](const QString&, const QString&) {
            ++chooser;
            return QString();
        };
        main->show();
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main.get()));
        main->runCommand(Command::TJYDXX);
        auto* form = main->findWindow<FormTJYDXX>();
        Child<QLineEdit>(form, "TextBH")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
        QTRY_COMPARE(chooser, 1);
        QVERIFY(!QApplication::activePopupWidget());
        // Outside the child window the menu bar's mnemonic is as it was.
        main->setFocus();
        QTest::keyClick(main.get(), Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget());
        QApplication::activePopupWidget()->close();
        QCOMPARE(chooser, 1);
    }

    void addWithoutCoverWritesNoFile()
    {
        main->runCommand(Command::TJYDXX);
        auto* form = main->findWindow<FormTJYDXX>();
        Type(form, "TextBH", "B1");
        ScriptedMessages messages;
        Press(form, "CommandTJ");
        QCOMPARE(messages.texts(), QStringList{"影碟信息添加成功"});
        QVERIFY(QDir(home->folder() + QStringLiteral("/Pictures")).isEmpty());
    }

    void addWithAMissingCoverFails()
    {
        main->runCommand(Command::TJYDXX);
        auto* form = main->findWindow<FormTJYDXX>();
        Type(form, "TextBH", "C1");
        Type(form, "TextFMTP", home->folder() + QStringLiteral("/gone.jpg"));
        ScriptedMessages messages;
        messages.queue({7});
        Press(form, "CommandTJ");
        QCOMPARE(messages.texts(),
                 QStringList({"信息添加失败！", "系统发生错误，要查看错误的具体描述吗？"}));
        QCOMPARE(messages.status, QStringList({"正在添加影碟信息 ...", "就绪"}));
        QVERIFY(FindDisc(main->shop(), "C1")
                    .has_value()); // the record was written before the copy failed
        QCOMPARE(Child<QLineEdit>(form, "TextBH")->text(), QStringLiteral("C1"));
        QCOMPARE(main->panelText(3),
                 QStringLiteral("本店影碟库共有影碟 1 张  |  其中VCD 0 张 , DVD 1 张"));
    }

    // Querying

    void queryOpensOnTheWholeCatalogue()
    {
        InsertDisc("3", "/", "/", "否", "VCD", "片3", "故事片", "2003-11-02");
        InsertDisc("1", "/", "/", "否", "DVD", "片1", "故事片", "2003-11-01");
        InsertDisc("2", "/", "/", "否", "VCD", "片2", "喜剧片", "2003-11-02");
        InsertDisc("4", "/", "/", "否", "VCD", "片4", "故事片", "2003-10-01");
        main->runCommand(Command::YDXX);
        auto* query = main->findWindow<FormYDCX>();
        QCOMPARE(query->windowTitle(), QStringLiteral("影碟信息查询"));
        QCOMPARE(Column(query->model(), 0),
                 QStringList({"1", "4", "2", "3", ""})); // type, date, genre
        QCOMPARE(Child<QLabel>(query, "LabelJLTS")->text(), QStringLiteral("共找到4条记录"));
        main->runCommand(Command::YDXX); // brought to the front, not opened twice
        QCOMPARE(main->mdiArea()->subWindowList().size(), 1);
    }

    void queryConditions_data()
    {
        // clang-format off
        QTest::addColumn<QList<std::pair<QString, QString>>>("fields");
        QTest::addColumn<QStringList>("numbers");
        using Fields = QList<std::pair<QString, QString>>;
        QTest::newRow("genre and rented flag") << Fields{{"ComboLX", "喜剧片"}, {"ComboSFCZ", "是"}} << QStringList{"2"};
        QTest::newRow("title equal, not contained") << Fields{{"TextPM", "英雄"}} << QStringList{"1"};
        QTest::newRow("star contained") << Fields{{"ComboZY", "李连杰"}} << QStringList{"1", "3"};
        QTest::newRow("star is case-sensitive") << Fields{{"ComboZY", "jet"}} << QStringList{};
        QTest::newRow("star and type") << Fields{{"ComboZY", "Jet"}, {"ComboYDLX", "DVD"}} << QStringList{"3"};
        QTest::newRow("apostrophe") << Fields{{"TextPM", "Ocean's"}} << QStringList{"4"};
        QTest::newRow("entry date") << Fields{{"TextRKRQ", "2003-10-01"}} << QStringList{"4"};
        QTest::newRow("no match") << Fields{{"TextBH", "99"}} << QStringList{};
        // clang-format on
    }
    void queryConditions()
    {
        using Fields = QList<std::pair<QString, QString>>;
        QFETCH(Fields, fields);
        QFETCH(QStringList, numbers);
        InsertDisc("1", "李连杰 张曼玉", "中国", "否", "VCD", "英雄", "故事片");
        InsertDisc("2", "成龙", "香港", "是", "VCD", "英雄本色", "喜剧片");
        InsertDisc("3", "Jet 李连杰", "美国", "否", "DVD", "致命罗密欧", "故事片");
        InsertDisc("4", "/", "美国", "否", "DVD", "Ocean's", "故事片", "2003-10-01");
        main->runCommand(Command::YDXX);
        auto* query = main->findWindow<FormYDCX>();
        for (const auto& [name, text] : fields) {
            if (name == u"TextRKRQ")
                query->findChild<DateField*>()->setText(text);
            else
                Type(query, name.toLatin1().constData(), text);
        }
        Press(query, "CommandCX");
        QStringList found = Column(query->model(), 0);
        QCOMPARE(found.takeLast(), QString()); // always one empty row after the last disc
        found.sort();
        QCOMPARE(found, numbers);
        QCOMPARE(Child<QLabel>(query, "LabelJLTS")->text(),
                 QStringLiteral("共找到%1条记录").arg(numbers.size()));
    }

    void headingSortKeepsConditions()
    {
        InsertDisc("b", "/", "中国", "否", "VCD", "乙");
        InsertDisc("a", "/", "中国", "否", "DVD", "甲");
        InsertDisc("c", "/", "美国", "否", "VCD", "丙");
        main->runCommand(Command::YDXX);
        auto* query = main->findWindow<FormYDCX>();
        auto* grid = Child<GridView>(query, "MSHFlexGridYDXX");
        Type(query, "ComboGJ", "中国");
        Press(query, "CommandCX");
        QCOMPARE(Column(query->model(), 0), QStringList({"a", "b", ""})); // DVD before VCD
        QCOMPARE(query->model()->headerData(1, Qt::Horizontal, Qt::ToolTipRole).toString(),
                 QStringLiteral("按 '片名' 排序"));
        ReleaseOnHeading(grid, 1, Qt::LeftButton);
        QCOMPARE(Column(query->model(), 0), QStringList({"b", "a", ""})); // 乙 before 甲
        ReleaseOnHeading(grid, 1, Qt::LeftButton);
        QCOMPARE(Column(query->model(), 0), QStringList({"b", "a", ""}));
        ScriptedMessages messages;
        ReleaseOnHeading(grid, 0, Qt::RightButton);
        QVERIFY(messages.shown.isEmpty());
        QVERIFY(!main->findChild<QDialog*>(QStringLiteral("FormYDCZ")));
    }

    void emptyResultSortsQuietly()
    {
        main->runCommand(Command::YDXX);
        auto* query = main->findWindow<FormYDCX>();
        ScriptedMessages messages;
        ReleaseOnHeading(Child<GridView>(query, "MSHFlexGridYDXX"), 3, Qt::LeftButton);
        QVERIFY(messages.shown.isEmpty());
        QCOMPARE(query->model()->rowCount(), 1);
        QCOMPARE(Child<QLabel>(query, "LabelJLTS")->text(), QStringLiteral("共找到0条记录"));
    }

    void rowToolTip()
    {
        InsertDisc("1", "成龙", "香港", "否", "VCD", "警察故事");
        main->runCommand(Command::YDXX);
        auto* query = main->findWindow<FormYDCX>();
        QCOMPARE(query->model()->data(query->model()->index(0, 3), Qt::ToolTipRole).toString(),
                 QStringLiteral("编号:1 | 片名:警察故事 | 类型:故事片 | 主演:成龙 | 国籍:香港 | "
                                "影碟类型:VCD | 入库日期:2003-11-01 | 是否已出租:否"));
    }

    void leftClickOpensTheSynopsis()
    {
        InsertDisc("7");
        main->runCommand(Command::YDXX);
        auto* grid = Child<GridView>(main->findWindow<FormYDCX>(), "MSHFlexGridYDXX");
        ReleaseOnRow(grid, 1, Qt::LeftButton); // the empty last row
        QVERIFY(opened.isEmpty());
        ReleaseOnRow(grid, 0, Qt::LeftButton);
        QCOMPARE(opened, QStringList{"FormLRJJ:7"});
    }

    void rightClickOpensTheChooser()
    {
        InsertDisc("7");
        QVERIFY(StorePassword(QStringLiteral("Shop1")));
        SetUserMode(QStringLiteral("Guest"));
        main->runCommand(Command::YDXX);
        auto* grid = Child<GridView>(main->findWindow<FormYDCX>(), "MSHFlexGridYDXX");
        {
            ScriptedMessages messages;
            ReleaseOnRow(grid, 0, Qt::RightButton);
            QCOMPARE(messages.texts(),
                     QStringList{"对不起，您是由来宾方式登陆本系统的，没有权限执行该操作！"});
            QVERIFY(!main->findChild<QDialog*>(QStringLiteral("FormYDCZ")));
            ReleaseOnRow(grid, 0, Qt::LeftButton); // guests still read synopses
            QCOMPARE(opened, QStringList{"FormLRJJ:7"});
        }
        SetUserMode(QStringLiteral("Admin"));
        ReleaseOnRow(grid, 1, Qt::RightButton);
        QVERIFY(!main->findChild<QDialog*>(QStringLiteral("FormYDCZ")));
        ReleaseOnRow(grid, 0, Qt::RightButton);
        auto* chooser = main->findChild<QDialog*>(QStringLiteral("FormYDCZ"));
        QVERIFY(chooser && chooser->isVisible());
        QCOMPARE(Child<QLabel>(chooser, "LabelBH")->text(), QStringLiteral("7"));

        Child<QRadioButton>(chooser, "OptionXG")->setChecked(true);
        Press(chooser, "CommandQD");
        auto* modify = main->findWindow<FormXGYDXX>();
        QVERIFY(modify);
        QCOMPARE(Child<QLineEdit>(modify, "TextPM")->text(), QStringLiteral("片名"));

        ReleaseOnRow(grid, 0, Qt::RightButton);
        chooser = main->findChild<QDialog*>(QStringLiteral("FormYDCZ"));
        Child<QRadioButton>(chooser, "OptionSC")->setChecked(true);
        Press(chooser, "CommandQD");
        auto* remove = main->findWindow<FormSCYDXX>();
        QVERIFY(remove);
        QCOMPARE(Child<QLineEdit>(remove, "TextBH")->text(), QStringLiteral("7"));
        QCOMPARE(remove->focusWidget(), Child<QPushButton>(remove, "CommandSC"));
        QCOMPARE(Count("SELECT COUNT(*) FROM ydxx"), 1); // nothing deleted yet

        // Its label: the label window with the disc's number in it.
        QString labels;
        Seams().execDialog = [&labels](QDialog& dialog) {
            labels = dialog.objectName() + u':' +
                     Child<QPlainTextEdit>(&dialog, "TextBH")->toPlainText();
            return int(QDialog::Rejected);
        };
        ReleaseOnRow(grid, 0, Qt::RightButton);
        chooser = main->findChild<QDialog*>(QStringLiteral("FormYDCZ"));
        Child<QRadioButton>(chooser, "OptionTM")->setChecked(true);
        Press(chooser, "CommandQD");
        QCOMPARE(labels, QStringLiteral("FormTMBQ:7"));
    }

    // Modifying

    void modifyLooksUpAndStores()
    {
        InsertDisc("1", "A", "中国", "是", "VCD", "旧片");
        main->runCommand(Command::XGYDXX);
        auto* form = main->findWindow<FormXGYDXX>();
        ScriptedMessages messages;
        Press(form, "CommandCK");
        QCOMPARE(messages.last(), QStringLiteral("请输入影碟编号！"));
        Type(form, "TextYDBH", "9");
        Press(form, "CommandCK");
        QCOMPARE(messages.last(), QStringLiteral("没有找到记录！"));
        Type(form, "TextYDBH", "1");
        Press(form, "CommandCK");
        QCOMPARE(Child<QLineEdit>(form, "TextPM")->text(), QStringLiteral("旧片"));
        QCOMPARE(Child<QLineEdit>(form, "TextRKRQ")->text(), QStringLiteral("2003-11-01"));
        QCOMPARE(Child<QLabel>(form, "ImageYDFM")->property("picture").toString(),
                 QStringLiteral("nofind"));
        Type(form, "TextPM", "");
        Type(form, "ComboLX", "");
        Type(form, "ComboZY", "");
        messages.shown.clear();
        Press(form, "CommandXG");
        QCOMPARE(messages.texts(), QStringList{"信息修改成功！"});
        const Disc disc = *FindDisc(main->shop(), "1");
        QCOMPARE(QStringList({disc.pm, disc.lx, disc.zy, disc.gj, disc.ydlx, disc.sfycz}),
                 QStringList({"/", "故事片", "/", "中国", "VCD", "是"}));
    }

    void modifyRefusals_data()
    {
        // clang-format off
        QTest::addColumn<QString>("bh");
        QTest::addColumn<QString>("lx");
        QTest::addColumn<QString>("rkrq");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("standardBox");
        QTest::newRow("no number") << "" << "" << "2003-01-01" << "请输入影碟编号!" << false;
        QTest::newRow("bad genre") << "1" << "武打" << "2003-01-01" << "影片类型不正确，请重新输入！" << false;
        QTest::newRow("no date") << "1" << "" << "" << "必须输入入库日期！" << true;
        QTest::newRow("unknown number") << "9" << "" << "2003-01-01" << "没有找到记录！" << false;
        // clang-format on
    }
    void modifyRefusals()
    {
        QFETCH(QString, bh);
        QFETCH(QString, lx);
        QFETCH(QString, rkrq);
        QFETCH(QString, message);
        QFETCH(bool, standardBox);
        InsertDisc("1");
        main->runCommand(Command::XGYDXX);
        auto* form = main->findWindow<FormXGYDXX>();
        Type(form, "TextYDBH", bh);
        Type(form, "ComboLX", lx);
        form->findChild<DateField*>()->setText(rkrq);
        ScriptedMessages messages;
        Press(form, "CommandXG");
        QCOMPARE(messages.texts(), QStringList{message});
        QCOMPARE(messages.shown[0].standardBox, standardBox);
        QCOMPARE(FindDisc(main->shop(), "1")->pm, QStringLiteral("片名"));
        QCOMPARE(main->panelText(2), QStringLiteral("就绪"));
    }

    // Deleting

    void deleteRefusedWhileADiscIsOut()
    {
        InsertDisc("1", "/", "中国");
        InsertDisc("2", "/", "中国", "是");
        QDir().mkpath(PicturesFolder());
        QFile cover(CoverPath("1"));
        QVERIFY(cover.open(QIODevice::WriteOnly));
        cover.close();
        main->runCommand(Command::SCYDXX);
        auto* form = main->findWindow<FormSCYDXX>();
        Type(form, "TextGJ", "中国");
        ScriptedMessages messages;
        Press(form, "CommandSC");
        QCOMPARE(messages.texts(),
                 QStringList{"您要删除的影碟中包含还没有归还的影碟！删除不能执行！"});
        QCOMPARE(Count("SELECT COUNT(*) FROM ydxx"), 2);
        QVERIFY(QFile::exists(CoverPath("1")));
    }

    void deleteAllNeedsTwoConfirmations_data()
    {
        // clang-format off
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<qint64>("discsLeft");
        QTest::newRow("no to the first") << QList<int>{7} << qint64(2);
        QTest::newRow("no to the second") << QList<int>{6, 7} << qint64(2);
        QTest::newRow("yes to both") << QList<int>{6, 6, 7} << qint64(0);
        // clang-format on
    }
    void deleteAllNeedsTwoConfirmations()
    {
        QFETCH(QList<int>, answers);
        QFETCH(qint64, discsLeft);
        InsertDisc("1");
        InsertDisc("2");
        RunSql(QStringLiteral("INSERT INTO zjxx (bh, czrq, ghrq, yjje, sfyh, hybh) VALUES ('1', "
                              "'2003-11-01', '2003-11-02', '10', '是', '/')"));
        main->runCommand(Command::SCYDXX);
        auto* form = main->findWindow<FormSCYDXX>();
        ScriptedMessages messages;
        for (int answer : answers)
            messages.queue({answer});
        Press(form, "CommandSC");
        QCOMPARE(messages.shown[0].text,
                 QStringLiteral("如果执行了删除操作，那么删除将不能被撤消！确定要删除信息吗？"));
        if (answers.size() > 1) {
            QCOMPARE(messages.shown[1].text,
                     QStringLiteral(
                         "您没有输入要删除的记录所满足的条件，系统将删除所有的影碟信息。确定吗？"));
            QCOMPARE(messages.shown[1].title, QStringLiteral("用户警告"));
        }
        QCOMPARE(messages.shown.size(), answers.size());
        QCOMPARE(Count("SELECT COUNT(*) FROM ydxx"), discsLeft);
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), 1); // 否 to the rentals question keeps them
        if (discsLeft == 0) {
            QCOMPARE(Child<QLabel>(form, "LabelJLTS")->text(), QStringLiteral("共删除了2条记录"));
            QCOMPARE(main->panelText(3),
                     QStringLiteral("本店影碟库共有影碟 0 张  |  其中VCD 0 张 , DVD 0 张"));
        }
    }

    void deleteWithRentalsRefreshesTheQuery_data()
    {
        // clang-format off
        QTest::addColumn<bool>("rentalsRefused");
        QTest::newRow("rentals deleted") << false;
        QTest::newRow("rentals refused") << true;
        // clang-format on
    }
    void deleteWithRentalsRefreshesTheQuery()
    {
        QFETCH(bool, rentalsRefused);
        if (rentalsRefused)
            RunSql(QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE DELETE ON zjxx BEGIN SELECT "
                                  "RAISE(ABORT, 'refused'); END"));
        InsertDisc("1");
        InsertDisc("2");
        RunSql(QStringLiteral("INSERT INTO zjxx (bh, czrq, ghrq, yjje, sfyh, hybh) VALUES ('1', "
                              "'2003-11-01', '2003-11-02', '10', '是', '/'),"
                              " ('2', '2003-11-01', '2003-11-02', '10', '是', '/')"));
        main->runCommand(Command::YDXX);
        auto* query = main->findWindow<FormYDCX>();
        main->runCommand(Command::SCYDXX);
        auto* form = main->findWindow<FormSCYDXX>();
        Type(form, "TextBH", "1");
        ScriptedMessages messages;
        messages.queue({6, 6, 7});
        Press(form, "CommandSC");
        QCOMPARE(messages.texts().mid(1, 1),
                 QStringList{"您要删除关于刚删除的那些影碟的租借信息吗？"});
        QCOMPARE(messages.texts().contains(QStringLiteral("信息删除失败！")), rentalsRefused);
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx WHERE bh = '1'"), rentalsRefused ? 1 : 0);
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx WHERE bh = '2'"), 1);
        // The disc is gone whatever became of its rentals: the screen says so.
        QCOMPARE(Column(query->model(), 0), QStringList({"2", ""}));
        QCOMPARE(main->panelText(3),
                 QStringLiteral("本店影碟库共有影碟 1 张  |  其中VCD 1 张 , DVD 0 张"));
        QCOMPARE(Child<QLabel>(form, "LabelJLTS")->text(), QStringLiteral("共删除了1条记录"));
    }

    void failedDeleteSaysSo()
    {
        InsertDisc("1");
        RunSql(QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE DELETE ON ydxx BEGIN SELECT "
                              "RAISE(ABORT, 'refused'); END"));
        main->runCommand(Command::SCYDXX);
        auto* form = main->findWindow<FormSCYDXX>();
        Type(form, "TextBH", "1");
        ScriptedMessages messages;
        messages.queue({6, 7});
        Press(form, "CommandSC");
        QCOMPARE(messages.texts(),
                 QStringList({"如果执行了删除操作，那么删除将不能被撤消！确定要删除信息吗？",
                              "信息删除失败！", "系统发生错误，要查看错误的具体描述吗？"}));
        QCOMPARE(Child<QLabel>(form, "LabelJLTS")->text(), QStringLiteral("共删除了0条记录"));
        QCOMPARE(Count("SELECT COUNT(*) FROM ydxx"), 1);
    }

    // Synopsis

    void synopsisLooksUp()
    {
        InsertDisc("1", "成龙", "香港", "否", "VCD", "警察故事");
        RunSql(QStringLiteral("UPDATE ydxx SET nrjj = '好看' WHERE bh = '1'"));
        FormLRJJ synopsis(main->shop());
        ScriptedMessages messages;
        Press(&synopsis, "CommandCK"); // empty number: no such disc
        QCOMPARE(messages.texts(), QStringList{"没找到记录！"});
        QCOMPARE(Child<QLabel>(&synopsis, "LabelPM")->text(), QStringLiteral("片名 ："));
        Type(&synopsis, "TextBH", "1");
        Press(&synopsis, "CommandCK");
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(Child<QPlainTextEdit>(&synopsis, "TextNRJJ")->toPlainText(),
                 QStringLiteral("警察故事 ：好看"));
        QCOMPARE(Child<QLabel>(&synopsis, "LabelZY")->text(), QStringLiteral("主演 ：成龙"));
        QCOMPARE(Child<QLabel>(&synopsis, "LabelSFCZ")->text(), QStringLiteral("是否已出租 ：否"));
        QCOMPARE(Child<QLabel>(&synopsis, "ImageYDFM")->property("picture").toString(),
                 QStringLiteral("nofind"));
        StoreCover(main->shop(), makePicture(QStringLiteral("c.jpg")), "1");
        Press(&synopsis, "CommandCK");
        QCOMPARE(Child<QLabel>(&synopsis, "ImageYDFM")->property("picture").toString(),
                 CoverPath("1"));
    }
};

MOVRNT_TEST_MAIN(TestDiscWindows)
#include "tst_discwindows.moc"
