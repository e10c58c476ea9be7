// The import's peak memory, whatever the workbook: the shop's own export of
// a large shop, and workbooks made to exhaust memory. Each import runs in a
// process of its own, so that each peak is its own.
//
//   bench_import_memory [--db FILE | --rentals N ...]
#include "LargeShop.h"

#include "core/maintenance/Workbook.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <functional>
#include <zip.h>

namespace {
double PeakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

// The child: one import into a copy of the empty shop, then its peak.
int ImportOnce(const QString& database, const QString& workbook)
{
    QString outcome = QStringLiteral("imported");
    try {
        const ImportSummary summary = ImportWorkbook(database, workbook, 10, 3);
        outcome += QStringLiteral(" %1 rentals").arg(summary.rentals);
    } catch (const MovrntError& error) {
        outcome = QStringLiteral("refused: ") + error.description().left(60);
    }
    std::printf("%s\t%.0f\n", outcome.toUtf8().constData(), PeakMegabytes());
    return 0;
}

// A workbook of three sheets whose rentals sheet holds `filler` bytes of
// what `fill` writes, inside a cell or between two cells.
void WriteBombWorkbook(const QString& path, qint64 filler, bool insideCell,
                       const std::function<char(qint64)>& fill)
{
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    const auto part = [zip](const char* name, const QByteArray& bytes,
                            const std::function<void()>& more = {}) {
        zipOpenNewFileInZip64(zip, name, nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6,
                              1);
        zipWriteInFileInZip(zip, bytes.constData(), unsigned(bytes.size()));
        if (more)
            more();
        zipCloseFileInZip(zip);
    };
    part("xl/workbook.xml",
         "<workbook xmlns:r=\"r\"><sheets><sheet name=\"ydxx\" r:id=\"a\"/><sheet name=\"zjxx\""
         " r:id=\"b\"/><sheet name=\"hyxx\" r:id=\"c\"/></sheets></workbook>");
    part("xl/_rels/workbook.xml.rels",
         "<Relationships><Relationship Id=\"a\" Target=\"a.xml\"/><Relationship Id=\"b\""
         " Target=\"b.xml\"/><Relationship Id=\"c\" Target=\"c.xml\"/></Relationships>");
    const auto header = [](const QStringList& names) {
        QByteArray row = "<row r=\"1\">";
        for (const QString& name : names)
            row += "<c t=\"inlineStr\"><is><t>" + name.toUtf8() + "</t></is></c>";
        return row + "</row>";
    };
    part("xl/a.xml", "<worksheet><sheetData>" + header(ShopTables()[0].second) +
                         "</sheetData></worksheet>");
    part("xl/c.xml", "<worksheet><sheetData>" + header(ShopTables()[2].second) +
                         "</sheetData></worksheet>");
    part("xl/b.xml",
         "<worksheet><sheetData>" + header(ShopTables()[1].second) + "<row r=\"2\"><c><v>1</v></c>" +
             (insideCell ? "<c t=\"inlineStr\"><is><t>" : ""),
         [&] {
             QByteArray chunk(1 << 20, Qt::Uninitialized);
             for (qint64 done = 0; done < filler; done += chunk.size()) {
                 for (qsizetype i = 0; i < chunk.size(); ++i)
                     chunk[i] = fill(done + i);
                 zipWriteInFileInZip(zip, chunk.constData(), unsigned(chunk.size()));
             }
             const QByteArray tail = QByteArray(insideCell ? "</t></is></c>" : "") +
                                     "</row></sheetData></worksheet>";
             zipWriteInFileInZip(zip, tail.constData(), unsigned(tail.size()));
         });
    zipClose(zip, nullptr);
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0)
        return ImportOnce(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    QTemporaryDir folder;
    const QString shop = LargeShopFile(argc, argv, folder);
    const QString empty = folder.filePath(QStringLiteral("empty.db"));
    CreateEmptyDatabase(empty);

    quint32 state = 2003;
    const auto random = [&state] { return state = state * 1103515245u + 12345u; };
    const char* blanks = " \t\r\n";
    struct Case
    {
        const char* name;
        std::function<void(const QString&)> make;
    };
    const QList<Case> cases = {
        {"the shop's own export",
         [&shop](const QString& path) { ExportWorkbook(shop, path); }},
        {"one cell of 1 GB of letters",
         [&](const QString& path) {
             WriteBombWorkbook(path, qint64(1) << 30, true,
                               [&](qint64) { return char('a' + (random() >> 16) % 26); });
         }},
        {"1.9 GB of blanks between cells, packed about 100:1",
         [&](const QString& path) {
             // Mostly one blank, now and then another: under the ratio check.
             WriteBombWorkbook(path, qint64(1900) << 20, false, [&](qint64 i) {
                 return i % 97 == 0 ? blanks[(random() >> 16) % 4] : ' ';
             });
         }},
    };
    std::printf("| workbook | size MB | outcome | seconds | peak RSS MB |\n|---|---:|---|---:|---:|\n");
    for (const Case& c : cases) {
        const QString workbook = folder.filePath(QStringLiteral("case.xlsx"));
        const QString database = folder.filePath(QStringLiteral("case.db"));
        QFile::remove(workbook);
        QFile::remove(database);
        QFile::copy(empty, database);
        c.make(workbook);
        QProcess child;
        QElapsedTimer timer;
        timer.start();
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"), database, workbook});
        child.waitForFinished(-1);
        const QList<QByteArray> result = child.readAllStandardOutput().trimmed().split('\t');
        std::printf("| %s | %.0f | %s | %.1f | %s |\n", c.name,
                    double(QFileInfo(workbook).size()) / (1 << 20), result.value(0).constData(),
                    double(timer.elapsed()) / 1000, result.value(1).constData());
        std::fflush(stdout);
    }
    return 0;
}
