#include "support/TestEnv.h"
#include "support/UiHelpers.h"

#include "core/members/Members.h"
#include "core/rentals/Rentals.h"
#include "core/store/Database.h"
#include "core/store/Shop.h"
#include "ui/app/MDIMain.h"
#include "ui/catalogue/FormYDCX.h"
#include "ui/common/ReportRenderer.h"
#include "ui/common/Seams.h"
#include "ui/stats/FormCKTJT.h"
#include "ui/stats/FormJRYY.h"
#include "ui/stats/FormLSSJ.h"
#include "ui/stats/FormRMYD.h"

#include <QAction>

#include <QChartView>
#include <QDateEdit>
#include <QLineSeries>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QValueAxis>

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
        QVERIFY(main = StartedMain());
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
        main->runCommand(Command::JRYY);
        auto* form = main->findWindow<FormJRYY>();
        QCOMPARE(Child<QLabel>(form, "LabelRQ")->text(),
                 QStringLiteral("今天是2003年11月09日，截止到现在的出租情况如下："));
        QCOMPARE(Child<QLineEdit>(form, "TextVCD")->text(), QStringLiteral("1"));
        QCOMPARE(Child<QLineEdit>(form, "TextDVD")->text(), QStringLiteral("0"));
    }

    // The day's money under the counts, and the day-end report written as a
    // PDF from its preview under a name of the report and the day.
    void todaysTakingsAndTheDayEndReport()
    {
        home->setSettings({{"VCD", "2"}, {"DVD", "3"}, {"CounterName", "前台"}});
        AddMember(main->shop(), {"M", "张三", "男", "/", "/", "100", "50"});
        RentOut(main->shop(), {"V1", "", "10", true});
        main->runCommand(Command::JRYY);
        auto* form = main->findWindow<FormJRYY>();
        QStringList takings;
        for (const char* name : {"TextSSZJ", "TextSQYJ", "TextTHYJ", "TextHYZJ", "TextHYYJ",
                                 "TextHYKF", "TextCQFJ", "TextSKPC", "TextHYPC", "TextXJJY"})
            takings << Child<QLineEdit>(form, name)->text();
        QCOMPARE(takings, QStringList({"￥0.00", "￥10.00", "￥0.00", "￥100.00", "￥50.00",
                                       "￥0.00", "￥0.00", "￥0.00", "￥0.00", "￥160.00"}));
        ScriptedMessages messages;
        Type(form, "TextBYJ", "两百");
        Press(form, "CommandRJD");
        QCOMPARE(messages.texts(), QStringList{"备用金必须为数字！"});
        const QString pdf = home->folder() + QStringLiteral("/日结单.pdf");
        QString suggested;
        Seams().saveFile = [&](const QString&, const QString&, const QString& name) {
            suggested = name;
            return pdf;
        };
        Seams().execDialog = [](QDialog& dialog) {
            dialog.findChild<QAction*>(QStringLiteral("ExportPdf"))->trigger();
            return int(QDialog::Rejected);
        };
        Type(form, "TextBYJ", "200");
        Press(form, "CommandRJD");
        QVERIFY(suggested.endsWith(QStringLiteral("/日结单-20031109.pdf")));
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished());
        const QString content =
            QString::fromUtf8(text.readAllStandardOutput()).remove(QRegularExpression("\\s"));
        for (const QString expected :
             {"日结单", "营业日期：2003-11-09", "散客押金", "预付租金", "现金结余：￥160.00",
              "柜台前台：", "钱箱中应有现金：￥360.00", "店主签字"})
            QVERIFY2(content.contains(expected), qPrintable(expected + u'\n' + content));
        // A past day's report from 历史营业数据: the same report, that day's lines.
        main->runCommand(Command::LSSJ);
        auto* history = main->findWindow<FormLSSJ>();
        auto* day = Child<QDateEdit>(history, "DateRJD");
        QCOMPARE(day->maximumDate(), QDate(2003, 11, 9)); // no report of a day to come
        day->setDate(QDate(2003, 11, 8));
        Press(history, "CommandRJD");
        QVERIFY(suggested.endsWith(QStringLiteral("/日结单-20031108.pdf")));
        text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished());
        const QString past =
            QString::fromUtf8(text.readAllStandardOutput()).remove(QRegularExpression("\\s"));
        QVERIFY2(past.contains("营业日期：2003-11-08") && past.contains("现金小计￥0.00") &&
                     !past.contains("￥10.00"),
                 qPrintable(past));
    }

    // The figures follow rentals and money made at another counter, all of a
    // window's numbers at once, never more than once every two seconds.
    void figuresFollowTheShop()
    {
        home->setSettings({{"VCD", "2"}});
        main->runCommand(Command::JRYY);
        auto* today = main->findWindow<FormJRYY>();
        main->runCommand(Command::LSSJ);
        auto* month = main->findWindow<FormLSSJ>();
        Press(month, "CommandCK");
        QCOMPARE(Child<QLineEdit>(month, "TextVCD")->text(), QStringLiteral("1"));
        {
            Shop counter(ShopLocation());
            RentOut(counter, {"V1", "", "10", true});
        }
        main->shop().lookOutside();
        QTRY_COMPARE(Child<QLineEdit>(today, "TextVCD")->text(), QStringLiteral("2"));
        QCOMPARE(Child<QLineEdit>(today, "TextSQYJ")->text(), QStringLiteral("￥10.00"));
        QTRY_COMPARE(Child<QLineEdit>(month, "TextVCD")->text(), QStringLiteral("2"));
        QCOMPARE(Child<QLineEdit>(month, "TextSQYJ")->text(), QStringLiteral("￥10.00"));
        // An open chart too, in the style and colour chosen.
        main->runCommand(Command::CKTJT);
        auto* chart = main->findWindow<FormCKTJT>();
        QTest::mouseClick(Child<QRadioButton>(chart, "OptionLine"), Qt::LeftButton);
        Seams().chooseColor = [] { return 0x0000FF; };
        chart->changeSeriesColour(0);
        const auto rented = [chart] {
            qint64 all = 0;
            for (const QList<qint64>& row : chart->table().values)
                for (qint64 count : row)
                    all += count;
            return all;
        };
        const qint64 before = rented();
        const int type = chart->chartType();
        {
            Shop counter(ShopLocation());
            InsertDisc("V9", "/", "/", "否", "VCD");
            RentOut(counter, {"V9", "", "10", true});
        }
        main->shop().lookOutside();
        QTRY_COMPARE(rented(), before + 1);
        QCOMPARE(chart->chartType(), type);
        QCOMPARE(chart->seriesColour(0), QColor(255, 0, 0));
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
        main->runCommand(Command::LSSJ);
        auto* form = main->findWindow<FormLSSJ>();
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
        QCOMPARE(main->panelText(2), QStringLiteral("就绪"));
    }

    void reports_data()
    {
        // clang-format off
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("report");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("all discs") << int(Command::WYYDBB) << int(Report::AllDiscs) << "所有影碟信息报表(打印预览)" << QStringList{"影碟信息报表", "影片类型", "英雄", "故事片"};
        QTest::newRow("discs out") << int(Command::WHYDBB) << int(Report::DiscsOut) << "未还影碟信息报表(打印预览)" << QStringList{"未还影碟信息报表", "出租日期", "2003-11-08"};
        QTest::newRow("all members") << int(Command::SYHYBB) << int(Report::AllMembers) << "所有会员信息报表（打印预览）" << QStringList{"会员信息报表", "入会日期", "欧阳锋", "2003-11-01"};
        QTest::newRow("members with discs out") << int(Command::WHHYBB) << int(Report::MembersWithDiscsOut) << "有影碟未还的会员信息报表（打印预览）" << QStringList{"有影碟未还的会员信息报表", "会员等级", "欧阳锋"};
        // clang-format on
    }
    void reports()
    {
        QFETCH(int, command);
        QFETCH(int, report);
        QFETCH(QString, caption);
        QFETCH(QStringList, texts);
        {
            ScriptedMessages messages;
            RunSql("DELETE FROM zjxx");
            RunSql("DELETE FROM hyxx");
            RunSql("DELETE FROM ydxx");
            main->runCommand(Command(command));
            QCOMPARE(messages.texts(), QStringList{"没有数据，不能打印报表！"});
        }
        InsertDisc("V1", "/", "/", "是", "VCD", "英雄");
        InsertMember("M1", "欧阳锋", "男", 2);
        InsertRental("V1", "M1", "2003-11-08", "否");
        InsertDisc("V2", "/", "/", "是", "VCD", "英雄");
        InsertRental("V2", "M1", "2003-11-09", "否"); // one member line however many discs out
        QStringList captions;
        Seams().execDialog = [&captions](QDialog& dialog) {
            captions << dialog.windowTitle();
            return int(QDialog::Rejected);
        };
        main->runCommand(Command(command));
        QCOMPARE(captions, QStringList{caption});
        // The same band layout, written as a PDF and read back as text.
        const QString pdf = home->folder() + QStringLiteral("/report.pdf");
        ReportRenderer(main->shop(), Report(report)).exportPdf(pdf);
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished());
        // pdftotext keeps the words, not the blanks between them.
        const QString content =
            QString::fromUtf8(text.readAllStandardOutput()).remove(QRegularExpression("\\s"));
        for (const QString& expected : texts + QStringList{"凯络影碟出租管理系统", "第1页共1页"})
            QVERIFY2(content.contains(expected), qPrintable(expected + u'\n' + content));
        if (report == int(Report::MembersWithDiscsOut))
            QCOMPARE(content.count(QStringLiteral("欧阳锋")), 1);
    }

    void longReportsNumberTheirPages()
    {
        RunSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 120)"
               " INSERT INTO ydxx SELECT 'D' || i, '片' || i, '故事片', 'DVD', '/', '/',"
               " '2003-11-01', '否', '/' FROM n");
        const QString pdf = home->folder() + QStringLiteral("/long.pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        const int pages = ReportRenderer(main->shop(), Report::AllDiscs).paint(&printer);
        QVERIFY(pages >= 2);
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished());
        const QString content =
            QString::fromUtf8(text.readAllStandardOutput()).remove(QRegularExpression("\\s"));
        QVERIFY(content.contains(QStringLiteral("第%1页共%1页").arg(pages)));
        QCOMPARE(content.count(QStringLiteral("影碟信息报表")),
                 1); // the title on the first page only
        QCOMPARE(content.count(QStringLiteral("影片类型")), pages); // the headings on every page
        QVERIFY(content.contains(QStringLiteral("D120")));
    }

    void chartsInElevenStyles()
    {
        main->runCommand(Command::CKTJT);
        auto* form = main->findWindow<FormCKTJT>();
        QCOMPARE(form->chartType(), 1); // 2D bars of this year's rentals per genre
        QCOMPARE(form->title(), QStringLiteral("2003 各类影片出租比例（单位 ：张）"));
        QCOMPARE(form->table().values, QList<QList<qint64>>({{0, 2, 0, 0, 0, 0, 0, 0, 0}}));
        QCOMPARE(Count("SELECT COUNT(*) FROM ydbl"), 1);
        QList<int> types;
        bool threeD = false;
        for (const char* dimension : {"Option2D", "Option3D"}) {
            QTest::mouseClick(Child<QRadioButton>(form, dimension), Qt::LeftButton);
            for (const char* style : {"OptionBar", "OptionLine", "OptionArea", "OptionStep",
                                      "OptionCombin", "OptionPie"}) {
                QTest::mouseClick(Child<QRadioButton>(form, style), Qt::LeftButton);
                types << form->chartType();
                if (auto* view = qobject_cast<QChartView*>(form->currentChart())) {
                    const QImage image = view->grab().toImage();
                    QVERIFY(!image.isNull());
                    QCOMPARE(view->chart()->title(), form->title());
                } else { // the 3D picture
                    QVERIFY(!form->currentChart()->grab().toImage().isNull());
                    threeD = true;
                }
            }
        }
        QCOMPARE(types, QList<int>({1, 3, 5, 7, 9, 14, 0, 2, 4, 6, 8, 14}));
        if (!threeD)
            qInfo("3D charts not grabbed: no OpenGL context on this platform");
        // Series along columns and back; the month statistic; a colour chosen.
        QTest::mouseClick(Child<QRadioButton>(form, "Option2D"), Qt::LeftButton);
        QTest::mouseClick(Child<QRadioButton>(form, "OptionBar"), Qt::LeftButton);
        Press(form, "CommandRC");
        QCOMPARE(Child<QPushButton>(form, "CommandRC")->text(), QStringLiteral("以行为准显示"));
        QVERIFY(!form->seriesInRows());
        Press(form, "CommandRC");
        QCOMPARE(Child<QPushButton>(form, "CommandRC")->text(), QStringLiteral("以列为准显示"));
        QTest::mouseClick(Child<QRadioButton>(form, "OptionNDYJ"), Qt::LeftButton);
        QCOMPARE(form->table().rows, QStringList({"VCD", "DVD"}));
        QCOMPARE(form->table().values[0][10], 1);
        // The twelve months as lines: twelve colours, each its own, each readable on white.
        QTest::mouseClick(Child<QRadioButton>(form, "OptionLine"), Qt::LeftButton);
        Press(form, "CommandRC");
        QList<QColor> colours;
        for (QAbstractSeries* series :
             qobject_cast<QChartView*>(form->currentChart())->chart()->series())
            colours << qobject_cast<QLineSeries*>(series)->pen().color();
        QCOMPARE(colours.size(), 12);
        for (qsizetype i = 0; i < colours.size(); ++i) {
            QVERIFY2(colours[i].lightnessF() < 0.75, qPrintable(colours[i].name()));
            for (qsizetype j = 0; j < i; ++j)
                QVERIFY(colours[i] != colours[j]);
        }
        // A count of one: ticks 0, 1, 2, never 0, 0.4, 0.8 printed as 0, 0, 0, 1.
        const auto axes =
            qobject_cast<QChartView*>(form->currentChart())->chart()->axes(Qt::Vertical);
        auto* counts = qobject_cast<QValueAxis*>(axes.value(0));
        QVERIFY(counts);
        QCOMPARE(counts->tickInterval(), 1.0);
        QCOMPARE(counts->max(), 2.0);
        Press(form, "CommandRC");
        QTest::mouseClick(Child<QRadioButton>(form, "OptionBar"), Qt::LeftButton);
        Seams().chooseColor = [] { return -1; };
        form->changeSeriesColour(1);
        QVERIFY(!form->seriesColour(1).isValid());
        Seams().chooseColor = [] { return 0x0000FF; }; // red in the lowest byte
        form->changeSeriesColour(1);
        QCOMPARE(form->seriesColour(1), QColor(255, 0, 0));
        Type(form, "ComboYear", "03");
        ScriptedMessages messages;
        Q_EMIT Child<QComboBox>(form, "ComboYear")->lineEdit()->returnPressed();
        QCOMPARE(messages.texts(), QStringList{"您输入的年份有误！"});
        QCOMPARE(form->table().values[0][10], 1); // the previous chart stays
    }

    void popularDiscsFromThePopupAndTheDiscQuery()
    {
        main->runCommand(Command::RMYD);
        main->runCommand(Command::YDXX);
        Press(main->findWindow<FormYDCX>(), "CommandRMYD");
        QCOMPARE(opened, QStringList(2, QStringLiteral("FormRMYD:V1   英雄   VCD   未出租")));
    }
};

MOVRNT_TEST_MAIN(TestFigureWindows)
#include "tst_figurewindows.moc"
