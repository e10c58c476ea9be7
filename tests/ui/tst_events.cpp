#include "support/TestEnv.h"
#include "support/UiHelpers.h"

#include "ui/app/MDIMain.h"
#include "ui/catalogue/FormYDCX.h"
#include "ui/common/GridView.h"
#include "ui/common/Seams.h"
#include "ui/common/SqlGridModel.h"
#include "ui/members/FormHYXX.h"
#include "ui/rentals/FormJZ.h"
#include "ui/rentals/FormZJXXCX.h"

#include "core/catalogue/Discs.h"
#include "core/maintenance/Backup.h"
#include "core/maintenance/Expert.h"
#include "core/maintenance/Workbook.h"
#include "core/members/Members.h"
#include "core/rentals/Rentals.h"
#include "core/settings/Parameters.h"
#include "core/settings/Settings.h"
#include "core/store/Shop.h"

#include <QHeaderView>
#include <QLineEdit>
#include <memory>

namespace {
// What each operation does, as its window would have it done.
void Perform(Shop& shop, const QString& operation, const QString& folder)
{
    if (operation == u"add disc") {
        AddDisc(shop, {"N1", "新片", "", "", "", "VCD", ""});
    } else if (operation == u"modify disc") {
        ModifyDisc(shop, {"V1", "改名", "故事片", "/", "/", "2003-11-01", "/"});
    } else if (operation == u"delete discs") {
        DiscFilter filter;
        filter.bh = QStringLiteral("V2");
        DeleteRentalsOfDiscs(shop, DeleteDiscs(shop, filter));
    } else if (operation == u"add member") {
        AddMember(shop, {"N", "李四", "男", "/", "/", "10", "10"});
    } else if (operation == u"modify member") {
        ModifyMember(shop, {"M", "张三", "男", "/", "/", "80", "50", "2003-11-01"});
    } else if (operation == u"delete members") {
        MemberDeletion deletion;
        deletion.hybh = QStringLiteral("M2");
        DeleteRentalsOfMembers(shop, DeleteMembers(shop, deletion));
    } else if (operation == u"walk-in rental") {
        RentOut(shop, {"D1", "", "10", true});
    } else if (operation == u"member rental") {
        RentOut(shop, {"D1", "M", "", false});
    } else if (operation == u"checkout") {
        Settle(shop, SettleKind::WalkInCheckout, 1, 1);
    } else if (operation == u"delete rentals") {
        RentalFilter filter;
        filter.sfyh = QStringLiteral("是");
        DeleteRentals(shop, filter);
    } else if (operation == u"member levels") {
        RecomputeMemberLevels(shop, 1, 3);
    } else if (operation == u"expert statement") {
        ExpertSession expert(shop.path());
        for (const char* sql :
             {"UPDATE hyxx SET hyxm = 'x'", "DELETE FROM zjxx", "UPDATE ydxx SET pm = 'y'"})
            expert.run(expert.read(QString::fromLatin1(sql)));
    } else if (operation == u"import") {
        const QString workbook = folder + QStringLiteral("/MOVRNT.xlsx");
        ExportShopWorkbook(shop.path(), workbook);
        ImportShopWorkbook(shop.path(), workbook, 10, 3);
    } else if (operation == u"restore") {
        const QString backup = folder + QStringLiteral("/backup.db");
        BackupDatabase(shop, backup);
        RestoreDatabase(shop, backup, MemberLevelRule());
    } else {
        qFatal("unknown operation");
    }
}
} // namespace

class TestEvents : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;
    std::unique_ptr<MDIMain> main;
    QStringList refreshed; // the query windows, in the order they ran their query again

    void start()
    {
        home->setSettings({{"FirstRunTime", "False"}, {"VCD", "2"}, {"DVD", "3"}});
        QVERIFY(main = StartedMain());
        QVERIFY(QTest::qWaitForWindowActive(main.get()));
    }
    template <typename W> QueryWindow* openQuery(Command command, const QString& name)
    {
        main->runCommand(command);
        W* window = main->findWindow<W>();
        connect(window->model(), &QAbstractItemModel::modelReset, this,
                [this, name] { refreshed << name; });
        return window;
    }

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>();
        Seams().screenSize = [] { return QSize(1024, 768); };
        refreshed.clear();
        OpenDatabase();
        InsertDisc("V1", "/", "/", "是", "VCD");
        InsertDisc("V2", "/", "/", "否", "VCD");
        InsertDisc("D1", "/", "/", "否", "DVD");
        InsertMember("M", "张三", "男", 0, 50, 50, 9);
        InsertMember("M2");
        InsertRental("V1", "/", "2003-11-08", "否", "10");
        InsertRental("V2", "M2", "2003-11-01", "是");
        CloseDatabase();
    }
    void cleanup()
    {
        main.reset();
        home.reset();
    }

    // Each operation refreshes the query windows that show what it changed,
    // and no other, whichever connection made it: this window's, or another
    // counter's, seen when the shop looks outside.
    void operationsRefreshTheirWindows_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("elsewhere");
        QTest::addColumn<QStringList>("windows");
        const QList<std::pair<const char*, QStringList>> operations = {
            {"add disc", {"discs"}},
            {"modify disc", {"discs"}},
            {"delete discs", {"discs", "rentals"}},
            {"add member", {"members"}},
            {"modify member", {"members"}},
            {"delete members", {"members", "rentals"}},
            {"walk-in rental", {"rentals"}}, // the disc query stays as it was
            {"member rental", {"members", "rentals"}},
            {"checkout", {"discs", "rentals"}},
            {"delete rentals", {"rentals"}},
            {"member levels", {"members"}},
            {"expert statement", {}},
        };
        for (const auto& [operation, windows] : operations)
            for (bool elsewhere : {false, true})
                QTest::addRow("%s%s", operation, elsewhere ? " at another counter" : "")
                    << QString::fromLatin1(operation) << elsewhere << windows;
        // A whole database replaced: disc, rental and member queries in that order.
        QTest::newRow("import") << "import" << false
                                << QStringList({"discs", "rentals", "members"});
        QTest::newRow("restore") << "restore" << false
                                 << QStringList({"discs", "rentals", "members"});
    }
    void operationsRefreshTheirWindows()
    {
        QFETCH(QString, operation);
        QFETCH(bool, elsewhere);
        QFETCH(QStringList, windows);
        start();
        ScriptedMessages messages;
        openQuery<FormYDCX>(Command::YDXX, "discs");
        openQuery<FormZJXXCX>(Command::ZJXX, "rentals");
        openQuery<FormHYXX>(Command::HYXX, "members");
        refreshed.clear();
        const QString discCount = main->panelText(3);
        if (elsewhere) {
            Shop counter(ShopLocation());
            Perform(counter, operation, home->folder());
        } else {
            Perform(main->shop(), operation, home->folder());
        }
        main->shop().lookOutside(); // announced once only
        if (operation != u"import" && operation != u"restore")
            refreshed.sort();
        QCOMPARE(refreshed, windows);
        QCOMPARE(main->panelText(3) != discCount,
                 operation == u"add disc" || operation == u"delete discs");
        QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.texts().join(u'\n')));
    }

    // A rental made at another counter lands before the rows on screen: the
    // rental query shows it, keeping its top row and its selected row. While
    // the mouse is down on the grid nothing moves: the click acts on the row
    // that was under the pointer.
    void outsideRentalKeepsTheRowsInView()
    {
        OpenDatabase();
        for (int i = 0; i < 300; ++i)
            InsertRental(QStringLiteral("B%1").arg(i, 3, 10, QChar(u'0')), "/", "2003-11-01", "否",
                         "10");
        InsertDisc("A1");
        InsertDisc("A2");
        CloseDatabase();
        start();
        ScriptedMessages messages;
        auto* query = static_cast<FormZJXXCX*>(openQuery<FormZJXXCX>(Command::ZJXX, "rentals"));
        auto* grid = query->findChild<GridView*>(QStringLiteral("MSHFlexGridZJXX"));
        QHeaderView* header = grid->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(1) + 5, 5)); // by disc number
        SqlGridModel* model = query->model();
        grid->scrollTo(model->index(250, 0), QAbstractItemView::PositionAtTop);
        grid->selectRow(255);
        const QString top = model->cell(grid->rowAt(0), 0);
        const QString selected = model->cell(255, 0);
        QCOMPARE(model->cell(250, 1), QStringLiteral("B250"));
        const qint64 before = model->total();

        refreshed.clear();
        {
            Shop counter(ShopLocation());
            RentOut(counter, {"A1", "", "10", true});
        }
        // Heard of within a second: the file is looked at, the server tells.
        QTRY_COMPARE_WITH_TIMEOUT(refreshed, QStringList({"rentals"}), 3000);
        QCOMPARE(model->total(), before + 1);
        QCOMPARE(model->cell(0, 1), QStringLiteral("A1"));
        QCOMPARE(grid->rowAt(0), 251);
        QCOMPARE(model->cell(grid->rowAt(0), 0), top);
        QCOMPARE(grid->currentIndex().row(), 256);
        QVERIFY(grid->selectionModel()->isRowSelected(256));
        QCOMPARE(model->cell(256, 0), selected);

        // The mouse goes down on a rental; another counter's rental comes in.
        const QPoint onRow(5, grid->rowViewportPosition(256) + 3);
        QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, onRow);
        {
            Shop counter(ShopLocation());
            RentOut(counter, {"A2", "", "10", true});
        }
        main->shop().lookOutside();
        QTest::qWait(200); // whatever the server says comes now, and must wait too
        QCOMPARE(model->total(), before + 1);
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, onRow);
        auto* checkout = main->findWindow<FormJZ>();
        QVERIFY(checkout);
        QCOMPARE(Child<QLineEdit>(checkout, "TextBH1")->text(), selected);
        QTRY_COMPARE(model->total(), before + 2);
        QCOMPARE(model->cell(grid->currentIndex().row(), 0), selected);
    }

    // What a server can do to a counter: its connection cut, a transaction
    // given up (a deadlock), the line broken during COMMIT. The counter
    // reconnects and says so, runs a given-up transaction once more, and
    // never guesses whether a broken COMMIT held.
    void serverTroubleIsLivedThrough_data()
    {
        QTest::addColumn<QString>("trouble");
        QTest::addColumn<QString>("code"); // of the rental's error; empty: it went through
        QTest::newRow("connection cut") << "cut"
                                        << "";
        QTest::newRow("deadlock once") << "deadlock"
                                       << "";
        QTest::newRow("line broken at commit") << "commit"
                                               << "08007";
    }
    void serverTroubleIsLivedThrough()
    {
        if (!OnTestServer())
            QSKIP("the server's troubles");
        QFETCH(QString, trouble);
        QFETCH(QString, code);
        start();
        const QString setup =
            trouble == u"deadlock"
                ? "CREATE SEQUENCE once; CREATE FUNCTION trouble() RETURNS trigger LANGUAGE plpgsql"
                  " AS $$BEGIN IF nextval('once') = 1 THEN RAISE EXCEPTION 'deadlock' USING"
                  " ERRCODE = '40P01'; END IF; RETURN NEW; END$$; CREATE TRIGGER trouble BEFORE"
                  " INSERT ON zjxx FOR EACH ROW EXECUTE FUNCTION trouble()"
            : trouble == u"commit"
                ? "CREATE FUNCTION trouble() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN PERFORM"
                  " pg_terminate_backend(pg_backend_pid()); PERFORM pg_sleep(5); RETURN NULL; "
                  "END$$;"
                  " CREATE CONSTRAINT"
                  " TRIGGER trouble AFTER INSERT ON zjxx DEFERRABLE INITIALLY DEFERRED FOR EACH ROW"
                  " EXECUTE FUNCTION trouble()"
                : "";
        if (!setup.isEmpty())
            RunSql(setup);
        if (trouble == u"cut") {
            const qint64 pid = RunScalar("SELECT pg_backend_pid()").toLongLong();
            Shop other(ShopLocation());
            RunSql(other, "SELECT pg_terminate_backend(?)", {pid});
        }
        if (trouble == u"cut") // heard on the line, made again within seconds
            QTRY_COMPARE_WITH_TIMEOUT(main->panelText(2), QStringLiteral("已重新连接数据库服务器"),
                                      8000);
        const qint64 before = Count("SELECT COUNT(*) FROM zjxx");
        QString error;
        try {
            RentOut(main->shop(), {"D1", "", "20", true});
        } catch (const MovrntError& e) {
            error = e.code();
        }
        QCOMPARE(error, code);
        if (trouble == u"commit")
            QTRY_COMPARE_WITH_TIMEOUT(main->panelText(2), QStringLiteral("已重新连接数据库服务器"),
                                      8000);
        QCOMPARE(Count("SELECT COUNT(*) FROM zjxx"), before + (code.isEmpty() ? 1 : 0));
        RunSql("DROP TRIGGER IF EXISTS trouble ON zjxx");
        QCOMPARE(RentOut(main->shop(), {"V2", "", "10", true}).refusal, RentOutCheck::Ok);
    }
};

MOVRNT_TEST_MAIN(TestEvents)
#include "tst_events.moc"
