#include "WorkbookReader.h"

#include "store/Errors.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <freexl.h>
#include <unzip.h>

namespace {
const QString kSource = QStringLiteral("Workbook");

// What a part may expand to. A sheet of a million rentals is a few hundred
// megabytes of XML; the shared strings are held in memory, the rest is small.
constexpr qint64 kMaxSheetBytes = qint64(2) << 30;
constexpr qint64 kMaxStringsBytes = qint64(512) << 20;
constexpr qint64 kMaxSmallPartBytes = qint64(16) << 20;
// Spreadsheet XML packs about 10:1; far beyond that is a bomb.
constexpr qint64 kMaxRatio = 200;
constexpr int kMaxColumns = 16384;

[[noreturn]] void Fail(const QString& what)
{
    throw MovrntError(what, kSource);
}

class Zip
{
public:
    explicit Zip(const QString& path) : path_(path)
    {
        const QByteArray name = QFile::encodeName(path);
        zip_ = unzOpen64(name.constData());
        if (!zip_)
            Fail(QStringLiteral("不是 Excel 工作簿（xlsx）文件：") + path);
    }
    ~Zip() { unzClose(zip_); }
    Zip(const Zip&) = delete;
    Zip& operator=(const Zip&) = delete;

    bool has(const QString& part) { return locate(part); }

    // Hands the part's bytes to `sink` as they are inflated.
    void read(const QString& part, qint64 limit, const std::function<void(const QByteArray&)>& sink)
    {
        if (!locate(part))
            Fail(QStringLiteral("工作簿缺少部件 ") + part);
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
            Fail(QStringLiteral("无法读取工作簿部件 ") + part);
        const auto declared = qint64(info.uncompressed_size);
        if (declared > limit ||
            (declared > (qint64(1) << 20) &&
             declared / std::max<qint64>(1, qint64(info.compressed_size)) > kMaxRatio))
            Fail(QStringLiteral("工作簿部件 %1 展开后过大，拒绝读取").arg(part));
        if (unzOpenCurrentFile(zip_) != UNZ_OK)
            Fail(QStringLiteral("无法读取工作簿部件 ") + part);
        QByteArray chunk(1 << 16, Qt::Uninitialized);
        qint64 total = 0;
        try {
            for (;;) {
                const int n = unzReadCurrentFile(zip_, chunk.data(), unsigned(chunk.size()));
                if (n < 0)
                    Fail(QStringLiteral("工作簿部件 %1 已损坏").arg(part));
                if (n == 0)
                    break;
                total += n;
                // The header may lie: the bytes themselves are counted.
                if (total > limit)
                    Fail(QStringLiteral("工作簿部件 %1 展开后过大，拒绝读取").arg(part));
                sink(QByteArray(chunk.constData(), n));
            }
        } catch (...) {
            unzCloseCurrentFile(zip_);
            throw;
        }
        if (unzCloseCurrentFile(zip_) != UNZ_OK)
            Fail(QStringLiteral("工作簿部件 %1 已损坏（校验和不符）").arg(part));
    }

    QByteArray readAll(const QString& part, qint64 limit)
    {
        QByteArray all;
        read(part, limit, [&all](const QByteArray& bytes) { all += bytes; });
        return all;
    }

private:
    bool locate(const QString& part)
    {
        // Part names are case-insensitive in a package.
        return unzLocateFile(zip_, part.toUtf8().constData(), 2) == UNZ_OK;
    }

    QString path_;
    unzFile zip_ = nullptr;
};

// Reads a whole small XML part, calling `element` at each start element.
void ScanXml(const QByteArray& bytes, const QString& part,
             const std::function<void(QXmlStreamReader&)>& element)
{
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement)
            element(xml);
    }
    if (xml.hasError())
        Fail(QStringLiteral("工作簿部件 %1 不是有效的 XML：%2").arg(part, xml.errorString()));
}

// "AB12" -> 27 (from 0); -1 when it names no column.
int ColumnOf(QStringView reference)
{
    qint64 column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference[i].isLetter(); ++i) {
        const char16_t c = reference[i].toUpper().unicode();
        if (c < u'A' || c > u'Z')
            return -1;
        column = column * 26 + (c - u'A' + 1);
        if (column > kMaxColumns)
            return -1;
    }
    return i == 0 ? -1 : int(column - 1);
}

// Streams a worksheet's rows out of its XML as the bytes arrive.
class SheetParser
{
public:
    SheetParser(const QStringList& shared, const SheetRowSink& sink, const QString& part)
        : shared_(shared), sink_(sink), part_(part)
    {
    }

    void feed(const QByteArray& bytes)
    {
        xml_.addData(bytes);
        parse();
    }

    void finish()
    {
        if (xml_.hasError() || !ended_)
            Fail(QStringLiteral("工作表 %1 不是有效的 XML：%2")
                     .arg(part_, xml_.hasError() ? xml_.errorString()
                                                 : QStringLiteral("文件不完整")));
    }

private:
    void parse()
    {
        while (!xml_.atEnd()) {
            switch (xml_.readNext()) {
            case QXmlStreamReader::StartElement:
                start();
                break;
            case QXmlStreamReader::EndElement:
                end();
                break;
            case QXmlStreamReader::Characters:
                if (collecting_ && phonetic_ == 0)
                    value_ += xml_.text();
                break;
            case QXmlStreamReader::EndDocument:
                ended_ = true;
                break;
            default:
                break;
            }
        }
        if (xml_.hasError() && xml_.error() != QXmlStreamReader::PrematureEndOfDocumentError)
            Fail(QStringLiteral("工作表 %1 不是有效的 XML：%2").arg(part_, xml_.errorString()));
    }

    void start()
    {
        const QStringView name = xml_.name();
        if (name == u"row") {
            const QStringView r = xml_.attributes().value(QLatin1String("r"));
            bool ok = false;
            const qint64 number = r.toLongLong(&ok);
            if (ok && number <= row_)
                Fail(QStringLiteral("工作表 %1 的行号顺序错误：第 %2 行").arg(part_).arg(number));
            row_ = ok ? number : row_ + 1;
            cells_.clear();
            nextColumn_ = 0;
        } else if (name == u"c") {
            const QXmlStreamAttributes attributes = xml_.attributes();
            const QStringView reference = attributes.value(QLatin1String("r"));
            column_ = reference.isEmpty() ? nextColumn_ : ColumnOf(reference);
            if (column_ < 0 || column_ >= kMaxColumns)
                Fail(QStringLiteral("工作表 %1 第 %2 行的单元格位置无效").arg(part_).arg(row_));
            type_ = attributes.value(QLatin1String("t")).toString();
            value_.clear();
            inCell_ = true;
        } else if (inCell_ && (name == u"v" || name == u"t")) {
            collecting_ = true;
        } else if (name == u"rPh") {
            ++phonetic_; // a reading guide, not part of the text
        }
    }

    void end()
    {
        const QStringView name = xml_.name();
        if (name == u"v" || name == u"t") {
            collecting_ = false;
        } else if (name == u"rPh") {
            --phonetic_;
        } else if (name == u"c" && inCell_) {
            inCell_ = false;
            SheetCell cell = makeCell();
            if (cell.kind != SheetCell::Empty) {
                if (cells_.size() <= column_)
                    cells_.resize(column_ + 1);
                cells_[column_] = std::move(cell);
            }
            nextColumn_ = column_ + 1;
        } else if (name == u"row") {
            if (!cells_.isEmpty())
                sink_(row_, cells_);
        }
    }

    SheetCell makeCell() const
    {
        SheetCell cell;
        if (type_ == u"s") {
            bool ok = false;
            const qsizetype index = value_.trimmed().toLongLong(&ok);
            if (!ok || index < 0 || index >= shared_.size())
                Fail(QStringLiteral("工作表 %1 第 %2 行引用了不存在的共享字符串")
                         .arg(part_)
                         .arg(row_));
            cell.kind = SheetCell::Text;
            cell.text = shared_[index];
        } else if (type_ == u"inlineStr" || type_ == u"str" || type_ == u"e") {
            cell.kind = SheetCell::Text;
            cell.text = DecodeXmlString(value_);
        } else if (type_ == u"d") {
            cell.kind = SheetCell::Date;
            cell.text = value_.left(10);
        } else if (!value_.trimmed().isEmpty()) {
            // "n", "b" or no type: a number.
            bool ok = false;
            cell.number = value_.trimmed().toDouble(&ok);
            if (!ok)
                Fail(QStringLiteral("工作表 %1 第 %2 行的数值无效：%3").arg(part_).arg(row_).arg(value_));
            cell.kind = SheetCell::Number;
        }
        if (cell.kind == SheetCell::Text && cell.text.isEmpty())
            cell.kind = SheetCell::Empty;
        return cell;
    }

    const QStringList& shared_;
    const SheetRowSink& sink_;
    QString part_;
    QXmlStreamReader xml_;
    QList<SheetCell> cells_;
    QString type_, value_;
    qint64 row_ = 0;
    int column_ = 0, nextColumn_ = 0, phonetic_ = 0;
    bool inCell_ = false, collecting_ = false, ended_ = false;
};

class XlsxReader : public WorkbookReader
{
public:
    explicit XlsxReader(const QString& path) : zip_(path)
    {
        readSheetList();
        if (zip_.has(QStringLiteral("xl/sharedStrings.xml")))
            readSharedStrings();
    }

    QStringList sheetNames() const override { return names_; }

    void readRows(const QString& sheet, const SheetRowSink& sink) override
    {
        const QString part = parts_.value(sheet);
        if (part.isEmpty())
            Fail(QStringLiteral("工作簿中没有工作表 ") + sheet);
        SheetParser parser(shared_, sink, sheet);
        zip_.read(part, kMaxSheetBytes, [&parser](const QByteArray& bytes) { parser.feed(bytes); });
        parser.finish();
    }

private:
    void readSheetList()
    {
        const QString workbookPart = QStringLiteral("xl/workbook.xml");
        QList<std::pair<QString, QString>> sheets; // name, relationship id
        ScanXml(zip_.readAll(workbookPart, kMaxSmallPartBytes), workbookPart,
                [&sheets](QXmlStreamReader& xml) {
                    if (xml.name() != u"sheet")
                        return;
                    QString id;
                    for (const QXmlStreamAttribute& attribute : xml.attributes())
                        if (attribute.name() == u"id")
                            id = attribute.value().toString();
                    sheets.append({xml.attributes().value(QLatin1String("name")).toString(), id});
                });
        const QString relsPart = QStringLiteral("xl/_rels/workbook.xml.rels");
        QHash<QString, QString> targets;
        ScanXml(zip_.readAll(relsPart, kMaxSmallPartBytes), relsPart,
                [&targets](QXmlStreamReader& xml) {
                    if (xml.name() != u"Relationship")
                        return;
                    QString target = xml.attributes().value(QLatin1String("Target")).toString();
                    // Relative to xl/, or absolute within the package.
                    target = target.startsWith(u'/') ? target.mid(1)
                                                     : QStringLiteral("xl/") + target;
                    targets.insert(xml.attributes().value(QLatin1String("Id")).toString(),
                                   target);
                });
        for (const auto& [name, id] : sheets) {
            if (!targets.contains(id))
                continue; // a chart sheet or a broken entry: no rows to read
            names_ << name;
            parts_.insert(name, targets.value(id));
        }
    }

    void readSharedStrings()
    {
        const QString part = QStringLiteral("xl/sharedStrings.xml");
        QXmlStreamReader xml(zip_.readAll(part, kMaxStringsBytes));
        QString current;
        int phonetic = 0;
        bool inText = false, inItem = false;
        while (!xml.atEnd()) {
            switch (xml.readNext()) {
            case QXmlStreamReader::StartElement:
                if (xml.name() == u"si") {
                    inItem = true;
                    current.clear();
                } else if (xml.name() == u"t") {
                    inText = true;
                } else if (xml.name() == u"rPh") {
                    ++phonetic;
                }
                break;
            case QXmlStreamReader::EndElement:
                if (xml.name() == u"si" && inItem) {
                    shared_ << DecodeXmlString(current);
                    inItem = false;
                } else if (xml.name() == u"t") {
                    inText = false;
                } else if (xml.name() == u"rPh") {
                    --phonetic;
                }
                break;
            case QXmlStreamReader::Characters:
                if (inItem && inText && phonetic == 0)
                    current += xml.text();
                break;
            default:
                break;
            }
        }
        if (xml.hasError())
            Fail(QStringLiteral("工作簿部件 %1 不是有效的 XML：%2").arg(part, xml.errorString()));
    }

    Zip zip_;
    QStringList names_;
    QHash<QString, QString> parts_;
    QStringList shared_;
};

// An Excel 97-2003 workbook, read whole by libfreexl (such a sheet holds at
// most 65,536 rows).
class XlsReader : public WorkbookReader
{
public:
    explicit XlsReader(const QString& path)
    {
        const int rc = freexl_open(QFile::encodeName(path).constData(), &handle_);
        if (rc != FREEXL_OK)
            Fail(QStringLiteral("不是 Excel 97-2003 工作簿（xls）文件：%1（错误 %2）")
                     .arg(path)
                     .arg(rc));
        unsigned int count = 0;
        freexl_get_info(handle_, FREEXL_BIFF_SHEET_COUNT, &count);
        for (unsigned int i = 0; i < count && i < 65535; ++i) {
            const char* name = nullptr;
            if (freexl_get_worksheet_name(handle_, (unsigned short)(i), &name) == FREEXL_OK &&
                name)
                names_ << QString::fromUtf8(name);
            else
                names_ << QString();
        }
    }
    ~XlsReader() override { freexl_close(handle_); }
    XlsReader(const XlsReader&) = delete;
    XlsReader& operator=(const XlsReader&) = delete;

    QStringList sheetNames() const override { return names_; }

    void readRows(const QString& sheet, const SheetRowSink& sink) override
    {
        const qsizetype index = names_.indexOf(sheet);
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (index < 0 || freexl_select_active_worksheet(handle_, (unsigned short)(index)) !=
                             FREEXL_OK ||
            freexl_worksheet_dimensions(handle_, &rows, &columns) != FREEXL_OK)
            Fail(QStringLiteral("无法读取工作表 ") + sheet);
        QList<SheetCell> cells;
        for (unsigned int r = 0; r < rows; ++r) {
            cells.clear();
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value{};
                if (freexl_get_cell_value(handle_, r, c, &value) != FREEXL_OK)
                    Fail(QStringLiteral("工作表 %1 第 %2 行的单元格无法读取").arg(sheet).arg(r + 1));
                SheetCell cell = Cell(value);
                if (cell.kind == SheetCell::Empty)
                    continue;
                cells.resize(c + 1);
                cells[c] = std::move(cell);
            }
            if (!cells.isEmpty())
                sink(qint64(r) + 1, cells);
        }
    }

private:
    static SheetCell Cell(const FreeXL_CellValue& value)
    {
        SheetCell cell;
        switch (value.type) {
        case FREEXL_CELL_INT:
            cell.kind = SheetCell::Number;
            cell.number = value.value.int_value;
            break;
        case FREEXL_CELL_DOUBLE:
            cell.kind = SheetCell::Number;
            cell.number = value.value.double_value;
            break;
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
            cell.kind = SheetCell::Date;
            cell.text = QString::fromUtf8(value.value.text_value).left(10);
            break;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_TIME:
            cell.text = QString::fromUtf8(value.value.text_value);
            cell.kind = cell.text.isEmpty() ? SheetCell::Empty : SheetCell::Text;
            break;
        default:
            break;
        }
        return cell;
    }

    const void* handle_ = nullptr;
    QStringList names_;
};

const QRegularExpression& EscapePattern()
{
    static const QRegularExpression pattern(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    return pattern;
}
} // namespace

std::unique_ptr<WorkbookReader> OpenXlsxWorkbook(const QString& path)
{
    if (!QFile::exists(path))
        Fail(QStringLiteral("找不到工作簿文件：") + path);
    return std::make_unique<XlsxReader>(path);
}

std::unique_ptr<WorkbookReader> OpenXlsWorkbook(const QString& path)
{
    if (!QFile::exists(path))
        Fail(QStringLiteral("找不到工作簿文件：") + path);
    return std::make_unique<XlsReader>(path);
}

std::unique_ptr<WorkbookReader> OpenWorkbook(const QString& path)
{
    return path.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive) ? OpenXlsWorkbook(path)
                                                                      : OpenXlsxWorkbook(path);
}

QString DecodeXmlString(const QString& text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString decoded;
    qsizetype from = 0;
    QRegularExpressionMatchIterator matches = EscapePattern().globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        decoded += QStringView(text).mid(from, match.capturedStart() - from);
        decoded += QChar(char16_t(match.captured(1).toUShort(nullptr, 16)));
        from = match.capturedEnd();
    }
    decoded += QStringView(text).mid(from);
    return decoded;
}

QString ProtectXmlEscapes(const QString& text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString protectedText = text;
    // Escaping the underscore makes the rest plain text to a reader.
    return protectedText.replace(EscapePattern(), QStringLiteral("_x005F_x\\1_"));
}
