// The workbook reader and the import on any file offered as MOVRNT.xlsx or
// MOVRNT.xls: refused with a message and the shop unchanged, or taken whole
// with the books consistent.

#include "FuzzSupport.h"
#include "core/maintenance/Workbook.h"
#include "core/maintenance/WorkbookReader.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cstring>

namespace {
QString ShopFile()
{
    return ScratchFolder() + QStringLiteral("/MOVRNT.db");
}
QString Pristine()
{
    return ScratchFolder() + QStringLiteral("/pristine.db");
}

// Every row of the working tables, and the counts of what must never hold.
QString Reading(const QStringList& statements)
{
    QString text;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fuzz"));
        db.setDatabaseName(ShopFile());
        FUZZ_CHECK(db.open());
        for (const QString& sql : statements) {
            QSqlQuery query(db);
            FUZZ_CHECK(query.exec(sql));
            while (query.next())
                for (int i = 0; i < query.record().count(); ++i)
                    text += query.value(i).toString() + u'|';
            text += u'\n';
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fuzz"));
    return text;
}

const QStringList kContent = {QStringLiteral("SELECT * FROM ydxx ORDER BY rowid"),
                              QStringLiteral("SELECT * FROM zjxx ORDER BY rowid"),
                              QStringLiteral("SELECT * FROM hyxx ORDER BY rowid")};
const QStringList kBroken = {
    QStringLiteral("SELECT COUNT(*) FROM pragma_integrity_check WHERE integrity_check <> 'ok'"),
    QStringLiteral("SELECT COUNT(*) FROM ydxx AS d WHERE (d.sfycz = '是') <> EXISTS (SELECT 1 FROM "
                   "zjxx AS r WHERE r.bh = d.bh AND r.sfyh = '否')"),
    QStringLiteral("SELECT COUNT(*) FROM hyxx AS h WHERE yjps < (SELECT COUNT(*) FROM zjxx WHERE "
                   "hybh = h.hybh)")};
QString before;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzApplication();
    // A hostile .xls may well end the helper process that reads it; that is
    // its job, and its reports would only bury this run's own.
    qputenv("ASAN_OPTIONS", QByteArray("detect_leaks=0:log_path=") +
                                QFile::encodeName(ScratchFolder() + QStringLiteral("/helper")));
    CreateEmptyDatabase(Pristine());
    OpenDatabase(Pristine());
    RunSql(FuzzShop(),
           QStringLiteral("INSERT INTO ydxx VALUES "
                          "('1','英雄','武打','DVD','李连杰','中国','2003-11-09','是','/')"));
    RunSql(
        FuzzShop(),
        QStringLiteral("INSERT INTO hyxx VALUES ('8','张三','男','/','/',0,20,0,1,'2003-11-09')"));
    RunSql(FuzzShop(), QStringLiteral("INSERT INTO zjxx (bh,czrq,ghrq,yjje,sfyh,hybh) VALUES "
                                      "('1','2003-11-09','/','/','否','8')"));
    CloseDatabase();
    QFile::copy(Pristine(), ShopFile());
    before = Reading(kContent);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const bool old = size >= 4 && std::memcmp(bytes, "\xD0\xCF\x11\xE0", 4) == 0;
    const QString path =
        ScratchFolder() + (old ? QStringLiteral("/MOVRNT.xls") : QStringLiteral("/MOVRNT.xlsx"));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(reinterpret_cast<const char*>(bytes), qint64(size)) == qint64(size));
    }
    try {
        std::unique_ptr<WorkbookReader> reader = OpenWorkbook(path);
        for (const QString& sheet : reader->sheetNames())
            try {
                reader->readRows(sheet, [](qint64 row, const QList<SheetCell>& cells) {
                    FUZZ_CHECK(row >= 1);
                    for (const SheetCell& cell : cells)
                        FUZZ_CHECK(cell.kind != SheetCell::Date || cell.text.size() == 10);
                });
            } catch (const MovrntError&) {
            }
    } catch (const MovrntError&) {
    }
    try {
        ImportWorkbook(ShopFile(), path, 5, 9);
    } catch (const MovrntError& error) {
        FUZZ_CHECK(!error.description().isEmpty());
        FUZZ_CHECK(Reading(kContent) == before); // refused: nothing changed
        return 0;
    }
    FUZZ_CHECK(Reading(kBroken) == QStringLiteral("0|\n0|\n0|\n"));
    FUZZ_CHECK(QFile::remove(ShopFile()) && QFile::copy(Pristine(), ShopFile()));
    return 0;
}
