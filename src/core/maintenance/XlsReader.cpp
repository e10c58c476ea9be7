#include "WorkbookReader.h"

#include "XlsProtocol.h"

#include "core/store/Errors.h"
#include "core/store/TextRules.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>

namespace {
const QString kSource = QStringLiteral("Workbook");
// No name or text the helper sends is longer.
constexpr qint64 kMaxRecordText = qint64(16) << 20;

[[noreturn]] void Fail(const QString& what)
{
    throw MovrntError(what, kSource);
}

// An Excel 97-2003 workbook (a sheet holds at most 65,536 rows), read by
// libfreexl in the helper process movrnt-xls: a damaged or hostile file can
// end that process, never the program.
class XlsReader : public WorkbookReader
{
public:
    explicit XlsReader(const QString& path) : path_(path)
    {
        run({QStringLiteral("names"), path}, [this](QDataStream& in, char tag) {
            if (tag != xls::kSheetName)
                return false;
            const QString name = Text(in);
            if (in.status() == QDataStream::Ok)
                names_ << name;
            return true;
        });
    }

    QStringList sheetNames() const override { return names_; }

    void readRows(const QString& sheet, const SheetRowSink& sink, int columns) override
    {
        const qsizetype index = names_.indexOf(sheet);
        if (index < 0)
            Fail(QStringLiteral("无法读取工作表 ") + sheet);
        QList<SheetCell> cells;
        run({QStringLiteral("rows"), path_, QString::number(index)},
            [&](QDataStream& in, char tag) {
                if (tag != xls::kRow)
                    return false;
                qint64 row = 0;
                quint32 count = 0;
                in >> row >> count;
                if (row < 1 || count > kMaxColumns)
                    return false;
                if (count > quint32(columns))
                    Fail(QStringLiteral("工作表 %1 第 %2 行 %3 列：多出的单元格")
                             .arg(sheet)
                             .arg(row)
                             .arg(columns + 1));
                cells.resize(count);
                for (SheetCell& cell : cells) {
                    quint8 kind = 0;
                    in >> kind;
                    cell = SheetCell();
                    if (kind == xls::kNumber) {
                        cell.kind = SheetCell::Number;
                        in >> cell.number;
                    } else if (kind == xls::kText || kind == xls::kDate) {
                        cell.kind = kind == xls::kText ? SheetCell::Text : SheetCell::Date;
                        cell.text = Text(in);
                    } else if (kind != xls::kEmpty) {
                        return false;
                    }
                }
                if (in.status() == QDataStream::Ok)
                    sink(row, cells);
                return true;
            });
    }

private:
    // A text cut off like a cell of the other format: one character too many at most.
    static QString Text(QDataStream& in)
    {
        quint32 size = 0;
        in >> size;
        if (size > kMaxRecordText) {
            in.setStatus(QDataStream::ReadCorruptData);
            return {};
        }
        const int kept = int(std::min<quint32>(size, (kMaxTextLength + 1) * 4));
        QByteArray bytes(kept, Qt::Uninitialized);
        if (in.readRawData(bytes.data(), kept) != kept ||
            in.skipRawData(int(size) - kept) != int(size) - kept)
            in.setStatus(QDataStream::ReadPastEnd);
        QString text = QString::fromUtf8(bytes);
        if (kept < int(size) || text.size() > kMaxTextLength)
            text.truncate(kMaxTextLength + 1);
        return text;
    }

    // Beside the program in a build; under lib/movrnt when installed.
    static QString Helper()
    {
        const QString folder = QCoreApplication::applicationDirPath();
        for (const QString& place : {folder + QStringLiteral("/movrnt-xls"),
                                     folder + QStringLiteral("/../lib/movrnt/movrnt-xls")})
            if (QFileInfo::exists(place))
                return QFileInfo(place).canonicalFilePath();
        return QStandardPaths::findExecutable(QStringLiteral("movrnt-xls"));
    }

    // Runs the helper and hands each record to `take` as it arrives; a record
    // it does not take, a damaged stream or a helper that did not finish
    // cleanly means the file cannot be read.
    void run(const QStringList& arguments, const std::function<bool(QDataStream&, char)>& take)
    {
        const QString helper = Helper();
        if (helper.isEmpty())
            Fail(QStringLiteral("找不到读取 xls 工作簿的程序 movrnt-xls"));
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(helper, arguments, QIODevice::ReadOnly);
        // A row the caller refuses ends the reading early.
        const auto stop = qScopeGuard([&process] {
            if (process.state() != QProcess::NotRunning) {
                process.kill();
                process.waitForFinished();
            }
        });
        QDataStream in(&process);
        in.setByteOrder(QSysInfo::ByteOrder == QSysInfo::LittleEndian ? QDataStream::LittleEndian
                                                                      : QDataStream::BigEndian);
        in.setFloatingPointPrecision(QDataStream::DoublePrecision);
        bool done = false;
        QString error;
        const auto broken = [&] {
            Fail(QStringLiteral("不是 Excel 97-2003 工作簿（xls）文件，或文件已损坏：") + path_ +
                 (error.isEmpty() ? QString() : QStringLiteral("（%1）").arg(error)));
        };
        while (!done) {
            // Silence this long means the helper is stuck on the file.
            if (process.bytesAvailable() == 0 && !process.waitForReadyRead(30000))
                break;
            for (;;) {
                in.startTransaction();
                qint8 tag = 0;
                in >> tag;
                bool taken = true;
                if (tag == xls::kDone)
                    done = true;
                else if (tag == xls::kError)
                    error = Text(in);
                else if (in.status() == QDataStream::Ok)
                    taken = take(in, char(tag));
                if (in.status() == QDataStream::ReadPastEnd) {
                    in.rollbackTransaction(); // the rest of the record is still coming
                    break;
                }
                if (!in.commitTransaction() || !taken)
                    broken();
                if (done || !error.isEmpty() || process.bytesAvailable() == 0)
                    break;
            }
            if (!error.isEmpty())
                broken();
        }
        process.waitForFinished(-1);
        if (!done || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            broken();
    }

    QString path_;
    QStringList names_;
};
} // namespace

std::unique_ptr<WorkbookReader> OpenXlsWorkbook(const QString& path)
{
    if (!QFile::exists(path))
        Fail(QStringLiteral("找不到工作簿文件：") + path);
    return std::make_unique<XlsReader>(path);
}
