#include "support/TestEnv.h"

#include "core/maintenance/Workbook.h"
#include "core/maintenance/WorkbookReader.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlRecord>
#include <cstring>
#include <sys/stat.h>
#include <variant>
#include <xlsxwriter.h>
#include <zip.h>

namespace {
// The three tables as text, row by row in key order: what must survive.
QStringList Tables(bool ledger = false)
{
    QStringList tables = {"SELECT * FROM ydxx ORDER BY bh", "SELECT * FROM zjxx ORDER BY zdbh",
                          "SELECT * FROM hyxx ORDER BY hybh"};
    if (ledger)
        tables << "SELECT * FROM zwls ORDER BY lsh"
               << "SELECT * FROM ssjl ORDER BY jlbh"
               << "SELECT * FROM yyxx ORDER BY yybh"
               << "SELECT * FROM pdxx ORDER BY pdbh"
               << "SELECT * FROM pdsm ORDER BY smbh";
    return Rows(tables);
}

// Settled walk-in rentals of disc 1.
void InsertRentals(qint64 count)
{
    RunSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
           "INSERT INTO zjxx (bh,czrq,ghrq,yjje,sfyh,hybh) SELECT '1','2003-11-01',"
           "'2003-11-02','5','是','/' FROM n",
           {count});
}

using Cell = std::variant<QString, double>;
using Sheet = std::pair<QString, QList<QList<Cell>>>;

const QStringList kYdxx = {"bh", "pm", "lx", "ydlx", "zy", "gj", "rkrq", "sfycz", "nrjj"};
const QStringList kZjxx = {"zdbh", "bh", "czrq", "ghrq", "yjje", "sfyh", "hybh"};
const QStringList kHyxx = {"hybh", "hyxm", "hyxb", "hyzz", "lxdh",
                           "hydj", "zjje", "yjje", "yjps", "rhrq"};

QString PythonList(const QStringList& names)
{
    return "['" + names.join("', '") + "']";
}

QList<Cell> Header(const QStringList& names)
{
    QList<Cell> cells;
    for (const QString& name : names)
        cells << name;
    return cells;
}

// A workbook as another program could have written it.
void WriteWorkbook(const QString& path, const QList<Sheet>& sheets)
{
    lxw_workbook* workbook = workbook_new(QFile::encodeName(path).constData());
    for (const auto& [name, rows] : sheets) {
        lxw_worksheet* sheet = workbook_add_worksheet(workbook, name.toUtf8().constData());
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < rows[r].size(); ++c) {
                if (const auto* text = std::get_if<QString>(&rows[r][c]))
                    worksheet_write_string(sheet, r, c, text->toUtf8().constData(), nullptr);
                else
                    worksheet_write_number(sheet, r, c, std::get<double>(rows[r][c]), nullptr);
            }
    }
    QCOMPARE(workbook_close(workbook), LXW_NO_ERROR);
}

// A well-formed small shop: one disc out to a member, one settled walk-in rental.
QList<Sheet> GoodSheets()
{
    return {
        {"ydxx",
         {Header(kYdxx),
          {"001", "片", "故事片", "VCD", "/", "/", "2003-11-01", "是", "/"},
          {"002", "片", "故事片", "DVD", "/", "/", "2003-11-01", "否", "/"}}},
        {"zjxx",
         {Header(kZjxx),
          {1.0, "001", "2003-11-02", "/", "/", "否", "H1"},
          {2.0, "002", "2003-11-02", "2003-11-03", 10.0, "是", "/"}}},
        {"hyxx",
         {Header(kHyxx), {"H1", "张三", "男", "/", "/", 0.0, 100.0, 50.0, 1.0, "2003-11-01"}}},
    };
}

void WriteZip(const QString& path, const QList<std::pair<QString, QByteArray>>& parts);

// 4 MB of the given characters in no order: a cell far too long that packs
// too loosely for the reader's ratio check to catch it first.
QString Scramble(const char* characters)
{
    const qsizetype count = qsizetype(std::strlen(characters));
    QString text(4 << 20, Qt::Uninitialized);
    quint32 state = 2003;
    for (QChar& c : text) {
        state = state * 1103515245u + 12345u;
        c = QLatin1Char(characters[(state >> 16) % count]);
    }
    return text;
}

// The same sheets as bare XML, which may hold what no writer would: cells
// past a cell's length, or a cell's own XML in a text that begins with "<c".
void WriteRawWorkbook(const QString& path, const QList<Sheet>& sheets)
{
    QByteArray workbook = "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/"
                          "2006/relationships\"><sheets>";
    QByteArray rels = "<Relationships>";
    QList<std::pair<QString, QByteArray>> parts;
    for (qsizetype i = 0; i < sheets.size(); ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        workbook += "<sheet name=\"" + sheets[i].first.toUtf8() + "\" r:id=\"r" + n + "\"/>";
        rels += "<Relationship Id=\"r" + n + "\" Target=\"s" + n + ".xml\"/>";
        QByteArray xml = "<worksheet><sheetData>";
        for (qsizetype r = 0; r < sheets[i].second.size(); ++r) {
            xml += "<row r=\"" + QByteArray::number(r + 1) + "\">";
            for (const Cell& cell : sheets[i].second[r]) {
                if (const auto* text = std::get_if<QString>(&cell))
                    xml += text->startsWith("<c")
                               ? text->toUtf8()
                               : "<c t=\"inlineStr\"><is><t>" + text->toHtmlEscaped().toUtf8() +
                                     "</t></is></c>";
                else
                    xml +=
                        "<c><v>" + QByteArray::number(std::get<double>(cell), 'g', 17) + "</v></c>";
            }
            xml += "</row>";
        }
        parts.append({"xl/s" + n + ".xml", xml + "</sheetData></worksheet>"});
    }
    parts.prepend({"xl/_rels/workbook.xml.rels", rels + "</Relationships>"});
    parts.prepend({"xl/workbook.xml", workbook + "</sheets></workbook>"});
    WriteZip(path, parts);
}

void WriteZip(const QString& path, const QList<std::pair<QString, QByteArray>>& parts)
{
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    QVERIFY(zip);
    for (const auto& [name, bytes] : parts) {
        QCOMPARE(zipOpenNewFileInZip64(zip, name.toUtf8().constData(), nullptr, nullptr, 0, nullptr,
                                       0, nullptr, Z_DEFLATED, 9, 1),
                 ZIP_OK);
        zipWriteInFileInZip(zip, bytes.constData(), unsigned(bytes.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
}
} // namespace

class TestWorkbook : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> home;
    QString folder;

    QString path() const { return WorkbookPathIn(folder); }
    ImportSummary import(const QString& file)
    {
        return ImportWorkbook(DatabasePath(), file, 10, 3);
    }

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>();
        folder = home->folder() + QStringLiteral("/交换");
        QDir().mkpath(folder);
        OpenDatabase();
    }
    void cleanup()
    {
        CloseDatabase();
        home.reset();
    }

    void roundTripKeepsEveryValue()
    {
        InsertDisc("001", "成龙|李连杰", "中国", "是", "VCD", "警察故事'续集\"<&>", "动作片");
        InsertDisc("1", "/", "/", "否", "DVD", "_x0041_ 和 \t制表");
        RunSql("UPDATE ydxx SET nrjj = ? WHERE bh = '1'", {QString(5000, QChar(u'长'))});
        InsertMember("007", "O'Brien", "女", 2, 12.5, 50, 21);
        InsertRental("001", "007");
        InsertRental("1", "/", "2003-10-01", "是", "10.50");
        InsertRental("1", "/", "2003-10-05", "是", "8");
        // What the program itself leaves: a rental of a deleted disc, a negative balance.
        InsertRental("gone", "007", "2003-09-01", "是");
        RunSql("UPDATE hyxx SET yjje = -20");
        RunSql(
            "INSERT INTO zwls (jzsj, ywlx, zdbh, bh, hybh, je, gtmc, gtid, czy) VALUES"
            " ('2003-10-05 09:00:01', '退还押金', 3, '1', '/', -80000, '柜台''1', 'a-b', '小王'),"
            " ('2003-10-06 23:59:59', '散客租金', 0, '1', '/', 900000000000001, '/', '', ''),"
            " ('2003-10-07 08:00:00', '会员押金更正', 0, '/', '007', -700000, '/', '', '店主')");
        RunSql("INSERT INTO ssjl (bh, sslx, rq, zdbh, pcje, czy) VALUES"
               " ('1', '损坏', '2003-10-05', 3, 300000, '小王')");
        RunSql("INSERT INTO yyxx (hybh, bh, pm, rq, zt, blbh, blrq) VALUES"
               " ('007', '', '警察故事''续集\"<&>', '2003-10-06', '已到', '001', '2003-10-07')");
        RunSql("INSERT INTO pdxx (ksrq, jsrq, zt, czy) VALUES ('2003-10-05 09:00:00',"
               " '2003-10-05 18:00:00', '完成', '小王')");
        RunSql("INSERT INTO pdsm (pdbh, bh, jg, zdbh, smsj, gt) VALUES (1, '1', '已租出', 3,"
               " '2003-10-05 09:00:05', '柜台1'), (1, '9x', '无此影碟', 0, '', ''),"
               " (1, '001', '缺失', 0, '', '')");
        const QStringList before = Tables(true);

        ExportWorkbook(DatabasePath(), path());
        // Numbers of discs stay text; money is a number.
        const auto workbook = OpenXlsxWorkbook(path());
        QCOMPARE(workbook->sheetNames(),
                 QStringList({"ydxx", "zjxx", "hyxx", "zwls", "ssjl", "yyxx", "pdxx", "pdsm"}));
        QList<QList<SheetCell>> members;
        workbook->readRows("hyxx",
                           [&](qint64, const QList<SheetCell>& cells) { members << cells; });
        QCOMPARE(members.size(), 2);
        QCOMPARE(members[1][0].kind, SheetCell::Text);
        QCOMPARE(members[1][6].kind, SheetCell::Number);

        RunSql("DELETE FROM zjxx");
        const ImportSummary summary = import(path());
        QCOMPARE(summary.discs, 2);
        QCOMPARE(summary.rentals, 4);
        QCOMPARE(summary.members, 1);
        QCOMPARE(summary.flagsRepaired + summary.countsRaised, 0);
        QCOMPARE(Tables(true), before);

        // A second export never replaces the first.
        QFile file(path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray saved = file.readAll();
        QVERIFY_THROWS_EXCEPTION(MovrntError, ExportWorkbook(DatabasePath(), path()));
        file.seek(0);
        QCOMPARE(file.readAll(), saved);
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{kWorkbookName});
    }

    // A workbook from before the ledger: the members' balances open it.
    void anOlderWorkbookOpensTheLedger()
    {
        InsertMember("007", "O'Brien", "女", 2, 12.5, 0, 21);
        InsertMember("008", "B", "女", 0, 0, 30, 0);
        RunSql("DROP TABLE zwls");
        ExportWorkbook(DatabasePath(), path());
        CloseDatabase();
        QFile::remove(DatabasePath());
        CreateEmptyDatabase(DatabasePath());
        import(path());
        OpenDatabase();
        QSqlQuery lines = RunSql("SELECT ywlx, hybh, je FROM zwls ORDER BY lsh");
        QStringList found;
        while (lines.next())
            found << QStringLiteral("%1 %2 %3")
                         .arg(lines.value(0).toString(), lines.value(1).toString(),
                              lines.value(2).toString());
        QCOMPARE(found, QStringList({"期初预付租金 007 125000", "期初预付租金 008 0",
                                     "期初会员押金 008 300000"}));
    }

    void rentalsContinueOnMoreSheets()
    {
        InsertDisc("1");
        InsertRentals(2005);
        // Sheets of 1,000 rows: the same split as at 1,048,576, quicker.
        ExportWorkbook(DatabasePath(), path(), {}, 1000);
        QCOMPARE(OpenXlsxWorkbook(path())->sheetNames(),
                 QStringList({"ydxx", "zjxx", "zjxx_2", "zjxx_3", "hyxx", "zwls", "ssjl", "yyxx",
                              "pdxx", "pdsm"}));
        RunSql("DELETE FROM zjxx");
        QCOMPARE(import(path()).rentals, 2005);
        QCOMPARE(FirstRow("SELECT COUNT(*), MIN(zdbh), MAX(zdbh) FROM zjxx"),
                 QStringList({"2005", "1", "2005"}));
    }

    void importRepairsFlagsAndCounts()
    {
        QList<Sheet> sheets = GoodSheets();
        // The disc out is marked free, the settled one rented; the member's count is 0.
        std::get<QString>(sheets[0].second[1][7]) = "否";
        std::get<QString>(sheets[0].second[2][7]) = "是";
        sheets[2].second[1][8] = 0.0;
        sheets[1].second << QList<Cell>{3.0, "002", "2003-11-04", "2003-11-05", "/", "是", "H1"};
        for (int i = 0; i < 10; ++i)
            sheets[1].second << QList<Cell>{double(4 + i), "002", "2003-11-04", "2003-11-05",
                                            "/",           "是",  "H1"};
        WriteWorkbook(path(), sheets);
        const ImportSummary summary = import(path());
        QCOMPARE(summary.flagsRepaired, 2);
        QCOMPARE(summary.countsRaised, 1);
        QCOMPARE(FirstRow("SELECT group_concat(bh || sfycz) FROM ydxx"),
                 QStringList{"001是,002否"});
        QCOMPARE(FirstRow("SELECT yjps, hydj FROM hyxx"), QStringList({"12", "1"}));
    }

    void otherProgramsForms_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<Cell>("cell");
        QTest::addColumn<QString>("stored");
        QTest::newRow("date cell") << 2 << Cell(37930.0) << "2003-11-05";
        QTest::newRow("short date") << 2 << Cell(QString("2003-1-5")) << "2003-01-05";
        QTest::newRow("slash date") << 2 << Cell(QString("2003/11/01")) << "2003-11-01";
        QTest::newRow("disc number as number") << 1 << Cell(1.0) << "1";
        QTest::newRow("empty member") << 6 << Cell(QString()) << "/";
        QTest::newRow("deposit with decimals") << 4 << Cell(12.5) << "12.5";
    }
    void otherProgramsForms()
    {
        QFETCH(int, column);
        QFETCH(Cell, cell);
        QFETCH(QString, stored);
        QList<Sheet> sheets = GoodSheets();
        std::get<QString>(sheets[0].second[2][0]) = "1"; // so that disc 1 exists
        sheets[1].second[2][1] = QString("1");
        sheets[1].second[2][column] = cell;
        WriteWorkbook(path(), sheets);
        import(path());
        QCOMPARE(FirstRow("SELECT * FROM zjxx WHERE zdbh = 2").value(column), stored);
    }

    // Each refused, naming where, with the working tables untouched.
    void damagedWorkbooksChangeNothing_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("named");
        const QList<std::pair<const char*, const char*>> rows = {
            {"missing sheet", "hyxx"},
            {"wrong header", "第 1 行"},
            {"text in a number", "工作表 hyxx 第 2 行 zjje"},
            {"duplicate key", "工作表 ydxx 第 3 行 bh 列：编号重复"},
            {"bad date", "工作表 zjxx 第 2 行 czrq 列：不是日期"},
            {"year 1", "工作表 zjxx 第 2 行 czrq 列：日期不在"},
            {"year 9999", "工作表 hyxx 第 2 行 rhrq 列：日期不在"},
            {"bad flag", "第 2 行 sfyh"},
            {"extra cell", "多出的单元格"},
            {"amount past counting", "工作表 hyxx 第 2 行 zjje 列：金额超出可以计算的范围"},
            {"level past counting", "工作表 hyxx 第 2 行 hydj 列：超出"},
            {"40,000-character title", "工作表 ydxx 第 2 行 pm 列：内容超过 32767 个字符"},
            {"huge cell", "工作表 ydxx 第 2 行 nrjj 列：内容超过 32767 个字符"},
            {"sea of blanks in a number", "数值无效"},
            {"cell past the last column", "工作表 hyxx 第 2 行的单元格位置无效"},
            {"cell named in full-width letters", "工作表 hyxx 第 2 行的单元格位置无效"},
            {"null character", "含有空字符"},
            {"telephone typed as a number", "工作表 hyxx 第 2 行 lxdh 列：是超过 15 位的数字"},
            {"two open rentals of a disc", "工作表 zjxx 第 3 行 bh 列：影碟 001 已有一条未归还"},
            {"open rental of a lost disc", "租借记录 1：此影碟已登记为丢失"},
            {"loss of another kind", "工作表 ssjl 第 2 行 jlbh 列：内容不符合规则"},
            {"not a zip", ""},
            {"a pipe, not a file", "不是工作簿文件"},
            {"zip bomb", "过大"},
            {"document type", "文档类型"},
            {"broken xml", "XML"},
            {"xls that overruns its reader", ""},
        };
        for (const auto& [damage, named] : rows)
            QTest::newRow(damage) << damage << named;
    }
    void damagedWorkbooksChangeNothing()
    {
        QFETCH(QString, damage);
        QFETCH(QString, named);
        InsertDisc("keep");
        const QStringList before = Tables();
        QList<Sheet> sheets = GoodSheets();
        QList<Cell>& disc = sheets[0].second[1];
        QList<Cell>& rental = sheets[1].second[1];
        QList<Cell>& member = sheets[2].second[1];
        bool raw = false;
        if (damage == "missing sheet")
            sheets.removeLast();
        else if (damage == "wrong header")
            std::swap(sheets[1].second[0][1], sheets[1].second[0][2]);
        else if (damage == "text in a number")
            member[6] = QString("一百");
        else if (damage == "duplicate key")
            std::get<QString>(sheets[0].second[2][0]) = "001";
        else if (damage == "bad date")
            rental[2] = QString("2003-02-30");
        else if (damage == "year 1")
            rental[2] = QString("0001-01-01");
        else if (damage == "year 9999")
            member[9] = QString("9999-12-31");
        else if (damage == "bad flag")
            rental[5] = QString("N");
        else if (damage == "extra cell")
            member << QString("多余");
        else if (damage == "amount past counting")
            member[6] = 1e308;
        else if (damage == "level past counting")
            member[5] = 1e12;
        else if (damage == "telephone typed as a number")
            member[4] = 8613800138000123.0;
        else if (damage == "null character")
            disc[1] = QString("a_x0000_b");
        else if (damage.startsWith("open rental of a lost") || damage == "loss of another kind")
            sheets.append({"ssjl",
                           {Header(QString("jlbh,bh,sslx,rq,zdbh,pcje,czy").split(u',')),
                            {1.0, "001", damage == "loss of another kind" ? "被盗" : "丢失",
                             "2003-11-01", 2.0, 300000.0, "小王"}}});
        else if (damage == "two open rentals of a disc")
            sheets[1].second[2] = {2.0, "001", "2003-11-03", "/", "/", "否", "H1"};
        else if ((raw = damage == "40,000-character title"))
            disc[1] = QString(40000, u'长');
        else if ((raw = damage == "huge cell"))
            disc[8] = Scramble("abcdefghijklmnopqrstuvwxyz");
        else if ((raw = damage == "sea of blanks in a number"))
            member[6] = "<c><v>" + Scramble(" \t\r\n") + "1</v></c>";
        else if ((raw = damage == "cell past the last column"))
            member[6] = QString("<c r=\"XFE2\"><v>1</v></c>");
        else if ((raw = damage == "cell named in full-width letters"))
            member[6] = QString("<c r=\"Ｇ2\"><v>1</v></c>");
        if (raw)
            WriteRawWorkbook(path(), sheets);
        else
            WriteWorkbook(path(), sheets);
        if (damage == "not a zip") {
            QFile file(path());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("ydxx,zjxx,hyxx\n");
        } else if (damage == "a pipe, not a file") {
            QFile::remove(path());
            QCOMPARE(::mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
        } else if (damage == "zip bomb") {
            QFile::remove(path());
            WriteZip(path(), {{"xl/workbook.xml", "<workbook/>"},
                              {"xl/_rels/workbook.xml.rels", "<Relationships/>"},
                              {"xl/sharedStrings.xml", QByteArray(8 << 20, ' ')}});
        } else if (damage == "document type") {
            QFile::remove(path());
            WriteZip(
                path(),
                {{"xl/workbook.xml", "<workbook/>"},
                 {"xl/_rels/workbook.xml.rels", "<Relationships/>"},
                 {"xl/sharedStrings.xml",
                  "<!DOCTYPE sst [<!ENTITY a \"aaaaaaaaaa\">]><sst><si><t>&a;</t></si></sst>"}});
        } else if (damage == "broken xml") {
            QFile::remove(path());
            WriteZip(path(), {{"xl/workbook.xml", "<workbook><sheets><sheet name=\"ydxx\""}});
        }
        QString file = path();
        if (damage.startsWith("xls")) {
            // Found by fuzzing: libfreexl reads past a buffer on it.
            file = JoinPath(folder, kOldWorkbookName);
            QVERIFY(QFile::copy(QFINDTESTDATA("../data/freexl-overread.xls"), file));
        }
        try {
            import(file);
            QFAIL("imported");
        } catch (const MovrntError& error) {
            QVERIFY(!error.description().isEmpty());
            QVERIFY2(error.description().contains(named),
                     qPrintable(error.description().left(300)));
        }
        QCOMPARE(Tables(), before);
    }

    void stoppedImportChangesNothing()
    {
        InsertDisc("keep");
        const QStringList before = Tables();
        QList<Sheet> sheets = GoodSheets();
        for (int i = 3; i < 5000; ++i)
            sheets[1].second << QList<Cell>{double(i), "002", "2003-11-04", "2003-11-05",
                                            "/",       "是",  "/"};
        WriteWorkbook(path(), sheets);
        QVERIFY_THROWS_EXCEPTION(WorkCancelled, ImportWorkbook(DatabasePath(), path(), 10, 3,
                                                               [](qint64) { return false; }));
        QCOMPARE(Tables(), before);

        InsertRentals(3000);
        QFile::remove(path());
        QVERIFY_THROWS_EXCEPTION(
            WorkCancelled, ExportWorkbook(DatabasePath(), path(), [](qint64) { return false; }));
        QVERIFY(QDir(folder).isEmpty());
    }

    // Our export, edited and saved by other programs.
    void savedByOtherPrograms_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("openpyxl") << "openpyxl-edited.xlsx";
        QTest::newRow("LibreOffice Calc") << "calc-saved.xlsx";
        QTest::newRow("LibreOffice Calc, its own format") << "calc-saved.ods";
    }
    void savedByOtherPrograms()
    {
        QFETCH(QString, file);
        import(QFINDTESTDATA("../data/" + file));
        QCOMPARE(Tables(),
                 QStringList({"001|警察故事|动作片|VCD|成龙|中国香港|2003-11-01|是|一个警察的故事",
                              "002|改过的片名|故事片|DVD|/|/|2003-10-12|否|/",
                              "003|卧虎藏龙|武侠片|DVD|周润发|章子怡|中国|2003-09-30|否|/",
                              "1|001|2003-11-08|/|/|否|0001", "2|002|2003-11-01|2003-11-03|20|是|/",
                              "3|003|2003-10-01|2003-10-02|10.50|是|/",
                              "0001|张三|男|北京路1号|13800138000|1|88.5|50|12|2003-01-05",
                              "0002|李四|女|/|/|0|100|50|0|2003-11-01",
                              "0003|王五|男|/|/|0|30|50|0|2003-11-09"}));
    }

    // Workbooks of the older format, as years of hand editing leave them.
    void olderWorkbooks_data()
    {
        QTest::addColumn<QString>("broken");
        QTest::addColumn<QStringList>("stored");
        const QStringList stored = {"1|片名|故事片|VCD|/|/|2003-01-05|是|/",
                                    "2|/|故事片|DVD|/|/|2003-11-01|否|/", "1|1|2003-11-05|/|/|否|7",
                                    "2|2|2003-10-01|2003-10-02|12.5|是|/",
                                    "7|张三|男|/|13800138000|0|88.5|50|1|2003-11-01"};
        QTest::newRow("as edited") << QString() << stored;
        QTest::newRow("a row that cannot be read") << "zjxx" << QStringList();
    }
    void olderWorkbooks()
    {
        QFETCH(QString, broken);
        QFETCH(QStringList, stored);
        const QString script = QStringLiteral(R"(
import sys, datetime, xlwt
book = xlwt.Workbook(encoding='utf-8')
date = xlwt.easyxf(num_format_str='YYYY-MM-DD')
def sheet(name, rows):
    s = book.add_sheet(name)
    for r, row in enumerate(rows):
        for c, v in enumerate(row):
            if isinstance(v, datetime.date):
                s.write(r, c, v, date)
            elif v is not None:
                s.write(r, c, v)
sheet('ydxx', [%1,
    [1.0, '片名', '故事片', 'VCD', None, '', '2003-1-5', '是', None],
    [2.0, None, '故事片', 'DVD', None, None, datetime.date(2003, 11, 1), '否', '']])
sheet('zjxx', [%2,
    [1.0, 1.0, datetime.date(2003, 11, 5), '/', None, '否', 7.0],
    [2.0, '2', '2003/10/01', '2003-10-2', 12.5, '是', None]] + (
    [[3.0, '2', 'yesterday', '/', 5, '否', None]] if sys.argv[2] == 'zjxx' else []))
sheet('hyxx', [%3,
    [7.0, '张三', '男', None, 13800138000.0, 0, 88.5, 50, 0, '2003-11-01']])
book.save(sys.argv[1])
)")
                                   .arg(PythonList(kYdxx), PythonList(kZjxx), PythonList(kHyxx));
        const QString file = JoinPath(folder, kOldWorkbookName);
        QProcess python;
        // Debian's python3 with python3-xlwt, whatever else is on the PATH.
        python.start("/usr/bin/python3", {"-c", script, file, broken.isEmpty() ? "-" : broken});
        QVERIFY2(python.waitForFinished() && python.exitCode() == 0,
                 qPrintable(QString::fromLocal8Bit(python.readAllStandardError())));
        QCOMPARE(ImportPathIn(folder), file);
        InsertDisc("keep");
        const QStringList before = Tables();
        try {
            const ImportSummary summary = import(file);
            QVERIFY(broken.isEmpty());
            QCOMPARE(summary.countsRaised, 1); // the member's one rental
            QCOMPARE(Tables(), stored);
            // Renamed as the newer format, it is still read as what it is.
            const QString renamed = JoinPath(folder, QStringLiteral("改名.xlsx"));
            QVERIFY(QFile::copy(file, renamed));
            RunSql("DELETE FROM ydxx");
            import(renamed);
            QCOMPARE(Tables(), stored);
        } catch (const MovrntError& error) {
            QVERIFY2(!broken.isEmpty(), qPrintable(error.description()));
            QVERIFY2(error.description().contains(QStringLiteral("工作表 zjxx 第 4 行 czrq")),
                     qPrintable(error.description()));
            QCOMPARE(Tables(), before);
        }
    }

    void escapesReadBack()
    {
        for (const QString& text :
             {QStringLiteral("_x0041_"), QStringLiteral("a_x005F_b"), QStringLiteral("plain")})
            QCOMPARE(DecodeXmlString(ProtectXmlEscapes(text)), text);
        QCOMPARE(DecodeXmlString("a_x0009_b"), QStringLiteral("a\tb"));
    }
};

MOVRNT_TEST_MAIN(TestWorkbook)
#include "tst_workbook.moc"
