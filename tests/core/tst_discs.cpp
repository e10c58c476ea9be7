#include "support/TestEnv.h"

#include "core/catalogue/Discs.h"
#include "core/catalogue/DistinctNames.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"

#include <QSqlQuery>
#include <memory>

namespace {
QStringList Row(const QString& bh)
{
    return FirstRow(
        QStringLiteral("SELECT bh, pm, lx, ydlx, zy, gj, rkrq, sfycz, nrjj FROM ydxx WHERE bh = ?"),
        {bh});
}

} // namespace

class TestDiscs : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>();
        OpenDatabase();
    }
    void cleanup() { home.reset(); }

    void addStoresDefaultsAndTrims_data()
    {
        // clang-format off
        QTest::addColumn<QStringList>("typed");  // bh pm lx zy gj ydlx nrjj
        QTest::addColumn<QStringList>("stored"); // bh pm lx ydlx zy gj rkrq sfycz nrjj
        QTest::newRow("all empty") << QStringList{"1", "", "", "", "", "", ""} << QStringList{"1", "/", "故事片", "DVD", "/", "/", "2003-11-09", "否", "/"};
        QTest::newRow("outer blanks trimmed") << QStringList{" 1 ", "片", "喜剧片", "  A B  ", " 中国 ", "VCD", "简介"} << QStringList{" 1 ", "片", "喜剧片", "VCD", "A B", "中国", "2003-11-09", "否", "简介"};
        QTest::newRow("blanks only") << QStringList{"2", "", "", "   ", "  ", "", ""} << QStringList{"2", "/", "故事片", "DVD", "", "", "2003-11-09", "否", "/"};
        QTest::newRow("full-width space kept") << QStringList{"3", "", "", "\u3000甲\u3000", "\t乙", "", ""} << QStringList{"3",    "/",          "故事片", "DVD", "\u3000甲\u3000",
                           "\t乙", "2003-11-09", "否",     "/"};
        QTest::newRow("apostrophes as typed") << QStringList{"O'1", "Ocean's", "", "O'Brien", "", "", "it's"} << QStringList{"O'1", "Ocean's",    "故事片", "DVD", "O'Brien",
                           "/",   "2003-11-09", "否",     "it's"};
        // clang-format on
    }
    void addStoresDefaultsAndTrims()
    {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, stored);
        AddDisc(TestShop(), {typed[0], typed[1], typed[2], typed[3], typed[4], typed[5], typed[6]});
        QCOMPARE(Row(typed[0]), stored);
        QVERIFY(FindDisc(TestShop(), typed[0]).has_value());
    }

    void synopsisIsCutAt255()
    {
        AddDisc(TestShop(), {QStringLiteral("1"), {}, {}, {}, {}, {}, QString(300, u'影')});
        QCOMPARE(Row(QStringLiteral("1"))[8], QString(255, u'影'));
    }

    void distinctWords()
    {
        AddDisc(TestShop(), {"1", {}, {}, "  A B  ", "中国", {}, {}});
        InsertDisc("2", "B 成龙", "香港 中国");
        InsertDisc("3", "/", "/");
        InsertDisc("4", "成龙  李连杰", "美国");
        InsertDisc("5", "甲\u3000乙", "/");
        QCOMPARE(DistinctWords(TestShop(), QStringLiteral("zy")),
                 QStringList({"A", "B", "成龙", "", "李连杰", "甲\u3000乙"}));
        QCOMPARE(DistinctNameList(), DistinctWords(TestShop(), QStringLiteral("zy")));
        QVERIFY(InWordList(QStringLiteral("成龙")));
        QCOMPARE(DistinctWords(TestShop(), QStringLiteral("gj")),
                 QStringList({"中国", "香港", "美国"}));
    }

    void distinctWordsFollowTheCatalogueWithoutRereading()
    {
        InsertDisc("1", "A B", "中国");
        const QStringList first = DistinctWords(TestShop(), QStringLiteral("zy"));
        QVERIFY(
            DistinctWords(TestShop(), QStringLiteral("zy")).isSharedWith(first)); // not read again
        const auto fresh = [] {
            QStringList words;
            QSqlQuery query = RunSql(QStringLiteral("SELECT zy FROM ydxx ORDER BY rowid"));
            while (query.next())
                for (const QString& word : query.value(0).toString().split(u' '))
                    if (query.value(0).toString() != u"/" && !words.contains(word))
                        words << word;
            return words;
        };
        // Added through the window's rule, typed as a statement, changed, deleted.
        const QList<std::function<void()>> changes = {
            [] {
                AddDisc(TestShop(), {"2", {}, {}, "C A", {}, {}, {}});
            },
            [] { InsertDisc("3", "D"); },
            [] { RunSql(QStringLiteral("UPDATE ydxx SET zy = 'E' WHERE bh = '1'")); },
            [] { RunSql(QStringLiteral("DELETE FROM ydxx WHERE bh = '2'")); },
        };
        for (const auto& change : changes) {
            change();
            QCOMPARE(DistinctWords(TestShop(), QStringLiteral("zy")), fresh());
        }
        CloseDatabase();
        OpenDatabase();
        QCOMPARE(DistinctWords(TestShop(), QStringLiteral("zy")), fresh());
    }

    void modifyKeepsTypeAndRentedFlag()
    {
        InsertDisc("1", "A", "中国", "是", "VCD");
        QVERIFY(ModifyDisc(TestShop(), {"1", "", "", "", "", "2003-01-02", ""}));
        QCOMPARE(Row("1"),
                 QStringList({"1", "/", "故事片", "VCD", "/", "/", "2003-01-02", "是", "/"}));
        QVERIFY(ModifyDisc(TestShop(), {"1", "新片", "侦探片", " 甲 乙 ", "美国", "2003-01-03",
                                        QString(256, u'x')}));
        QCOMPARE(Row("1"), QStringList({"1", "新片", "侦探片", "VCD", "甲 乙", "美国", "2003-01-03",
                                        "是", QString(255, u'x')}));
        QVERIFY(!ModifyDisc(TestShop(), {"nope", "x", "", "", "", "2003-01-03", ""}));
    }

    void deleteRefusedWhenAMatchingDiscIsOut()
    {
        InsertDisc("1", "/", "中国");
        InsertDisc("2", "/", "中国", "是");
        InsertDisc("3", "/", "美国", "是");
        QVERIFY(AnyRentedDisc(TestShop(), {.gj = "中国"}));
        QVERIFY(!AnyRentedDisc(TestShop(), {.bh = "1"}));
        QVERIFY(!AnyRentedDisc(TestShop(), {.sfycz = "否"}));
        QVERIFY(AnyRentedDisc(TestShop(), {}));
        QVERIFY(AnyRentedDisc(TestShop(), {.zy = "/"})); // a star contained
        QVERIFY(!AnyRentedDisc(TestShop(), {.zy = "成龙"}));
    }

    void deleteRemovesExactlyItsCovers()
    {
        InsertDisc("a*");
        InsertDisc("ab");
        InsertDisc("a?");
        QDir().mkpath(PicturesFolder());
        const QString source = home->folder() + QStringLiteral("/cover.jpg");
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("jpg") == 3);
        file.close();
        for (const QString bh : {"a*", "ab", "a?", "ax"})
            StoreCover(TestShop(), source, bh);
        RunSql(QStringLiteral("INSERT INTO zjxx (bh, czrq, ghrq, yjje, sfyh, hybh) VALUES ('a*', "
                              "'2003-11-01', '2003-11-02', '10', '是', '/'),"
                              " ('ab', '2003-11-01', '2003-11-02', '10', '是', '/')"));
        QCOMPARE(DeleteDiscs(TestShop(), {.bh = "a*"}), QStringList{"a*"});
        QCOMPARE(CoverBytes(TestShop(), "a*"), QByteArray());
        for (const QString bh : {"ab", "a?"})
            QVERIFY2(CoverBytes(TestShop(), bh) == "jpg", qPrintable(bh));
        QCOMPARE(QFile::exists(CoverPath("ax")), !OnTestServer()); // a file beside, left alone
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM ydxx")), 2);
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM zjxx")), 2); // rentals only when asked
        DeleteRentalsOfDiscs(TestShop(), {"a*"});
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM zjxx")), 1);
    }

    void failedDeletionLeavesEverything()
    {
        InsertDisc("1");
        InsertDisc("2");
        const QString source = home->folder() + QStringLiteral("/cover.jpg");
        QFile cover(source);
        QVERIFY(cover.open(QIODevice::WriteOnly) && cover.write("jpg") == 3);
        cover.close();
        StoreCover(TestShop(), source, "1");
        RefuseWrites("refuse", "AFTER DELETE ON ydxx", "old.bh = '2'");
        QVERIFY_THROWS_EXCEPTION(MovrntError, DeleteDiscs(TestShop(), {}));
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM ydxx")), 2);
        QCOMPARE(CoverBytes(TestShop(), "1"), QByteArray("jpg"));
        // The rentals go disc by disc: a refusal at the second keeps the first's.
        InsertRental("1", "/", "2003-11-01", "是", "10");
        InsertRental("2", "/", "2003-11-01", "是", "10");
        RefuseWrites("keep", "BEFORE DELETE ON zjxx", "old.bh = '2'");
        QVERIFY_THROWS_EXCEPTION(MovrntError, DeleteRentalsOfDiscs(TestShop(), {"1", "2"}));
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM zjxx")), 2);
    }

    void coverNamesStayInThePicturesFolder()
    {
        QCOMPARE(CoverPath("A1"), home->folder() + QStringLiteral("/Pictures/A1.jpg"));
        QCOMPARE(QFileInfo(CoverPath("../MOVRNT")).absolutePath(),
                 QFileInfo(PicturesFolder()).absoluteFilePath());
        QCOMPARE(QFileInfo(CoverPath("a\\b")).absolutePath(),
                 QFileInfo(PicturesFolder()).absoluteFilePath());
    }

    void storeCoverCopiesAndReplaces()
    {
        const QString source = home->folder() + QStringLiteral("/chosen.png");
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("first");
        file.close();
        StoreCover(TestShop(), source, "7");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("second");
        file.close();
        StoreCover(TestShop(), source, "7");
        QCOMPARE(CoverBytes(TestShop(), "7"), QByteArray("second"));
        QVERIFY_THROWS_EXCEPTION(
            MovrntError, StoreCover(TestShop(), home->folder() + QStringLiteral("/none.jpg"), "8"));
        QVERIFY(!QFile::exists(CoverPath("8")));
    }

    void equalityConditionsUseIndexes()
    {
        if (OnTestServer())
            QSKIP("the plans are the embedded engine's; the server's are in the benchmark");
        // A large catalogue: 100,000 discs.
        RunSql(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000)"
            " INSERT INTO ydxx SELECT 'D' || i, '片名' || (i % 5000), '故事片', CASE i % 2 WHEN 0 "
            "THEN 'VCD' ELSE 'DVD' END,"
            " '明星' || (i % 3000), '中国', '2003-11-01', '否', '/' FROM n"));
        const QList<std::pair<DiscFilter, QString>> cases = {
            {{.bh = "D500"}, "sqlite_autoindex_ydxx_1"},
            {{.pm = "片名7"}, "ydxx_pm"},
            {{.rkrq = "2003-11-01", .sfycz = "是"}, "INDEX"},
        };
        for (const auto& [filter, index] : cases) {
            const Conditions conditions = DiscConditions(filter);
            const QString plan = Plan(QStringLiteral("SELECT * FROM ydxx") + conditions.where(),
                                      conditions.values());
            QVERIFY2(plan.contains(index), qPrintable(plan));
        }
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM ydxx")), 100000);
    }
};

MOVRNT_TEST_MAIN(TestDiscs)
#include "tst_discs.moc"
