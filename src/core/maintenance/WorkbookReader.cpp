#include "WorkbookReader.h"

#include "core/store/Errors.h"
#include "core/store/TextRules.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <cstring>
#include <exception>
#include <expat.h>
#include <unzip.h>

namespace {
const QString kSource = QStringLiteral("Workbook");

// What a part may expand to. A sheet of a million rentals is a few hundred
// megabytes of XML; the shared strings are held in memory, the rest is small.
constexpr qint64 kMaxSheetBytes = qint64(2) << 30;
constexpr qint64 kMaxStringsBytes = qint64(512) << 20;
constexpr qint64 kMaxSmallPartBytes = qint64(16) << 20;
// All parts together: ten million rentals are a few gigabytes of sheets.
constexpr qint64 kMaxWorkbookBytes = qint64(16) << 30;
// What the shared strings may take in memory once read.
constexpr qint64 kMaxStringsHeld = qint64(160) << 20;
// Input expat may hold back waiting for a tag to end.
constexpr qint64 kMaxPendingBytes = qint64(16) << 20;
// Spreadsheet XML packs about 10:1; far beyond that is a bomb.
constexpr qint64 kMaxRatio = 200;

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
                expanded_ += n;
                // The header may lie: the bytes themselves are counted.
                if (total > limit || expanded_ > kMaxWorkbookBytes)
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
    qint64 expanded_ = 0;
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
int ColumnOf(const char* reference)
{
    qint64 column = 0;
    int i = 0;
    for (;; ++i) {
        const auto c = static_cast<unsigned char>(reference[i]);
        if (c >= 0x80)
            return -1; // no letter of another script names a column
        const unsigned char upper = c & ~0x20;
        if (upper < 'A' || upper > 'Z')
            break;
        column = column * 26 + (upper - 'A' + 1);
        if (column > kMaxColumns)
            return -1;
    }
    return i == 0 ? -1 : int(column - 1);
}

// Expat, fed the inflated bytes as they come: it hands on text in pieces, so
// memory stays bounded by one chunk and the longest tag, whatever the part
// holds (a cell of a gigabyte, a sea of blanks).
class StreamingXml
{
public:
    explicit StreamingXml(const QString& part) : part_(part)
    {
        parser_ = XML_ParserCreateNS(nullptr, kNamespaceMark);
        if (!parser_)
            throw std::bad_alloc();
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(
            parser_,
            [](void* self, const XML_Char* name, const XML_Char** attributes) {
                static_cast<StreamingXml*>(self)->guard([&](StreamingXml& xml) {
                    xml.start(LocalName(name), attributes);
                });
            },
            [](void* self, const XML_Char* name) {
                static_cast<StreamingXml*>(self)->guard(
                    [&](StreamingXml& xml) { xml.end(LocalName(name)); });
            });
        XML_SetCharacterDataHandler(parser_, [](void* self, const XML_Char* text, int size) {
            static_cast<StreamingXml*>(self)->guard(
                [&](StreamingXml& xml) { xml.characters(text, size); });
        });
        // No spreadsheet needs a document type; refusing it refuses every entity trick.
        XML_SetStartDoctypeDeclHandler(parser_, [](void* self, const XML_Char*, const XML_Char*,
                                                   const XML_Char*, int) {
            auto* xml = static_cast<StreamingXml*>(self);
            xml->problem_ = QStringLiteral("含有文档类型声明");
            XML_StopParser(xml->parser_, XML_FALSE);
        });
    }
    virtual ~StreamingXml() { XML_ParserFree(parser_); }
    StreamingXml(const StreamingXml&) = delete;
    StreamingXml& operator=(const StreamingXml&) = delete;

    void feed(const QByteArray& bytes) { parse(bytes.constData(), int(bytes.size()), false); }
    void finish() { parse("", 0, true); }

protected:
    virtual void start(const char* name, const XML_Char** attributes) = 0;
    virtual void end(const char* name) = 0;
    virtual void characters(const char* text, int size) = 0;

    static const char* Attribute(const XML_Char** attributes, const char* name)
    {
        for (const XML_Char** a = attributes; *a; a += 2)
            if (std::strcmp(LocalName(a[0]), name) == 0)
                return a[1];
        return nullptr;
    }

    QString part_;

private:
    static constexpr XML_Char kNamespaceMark = '\x01';
    // Any namespace prefix off: spreadsheet programs differ in the ones they write.
    static const char* LocalName(const char* name)
    {
        const char* mark = std::strrchr(name, kNamespaceMark);
        return mark ? mark + 1 : name;
    }

    // A refusal thrown inside a callback must not cross expat's C frames.
    template <typename F> void guard(F&& work)
    {
        try {
            work(*this);
        } catch (...) {
            failure_ = std::current_exception();
            XML_StopParser(parser_, XML_FALSE);
        }
    }

    void parse(const char* bytes, int size, bool final)
    {
        const XML_Status status = XML_Parse(parser_, bytes, size, final ? XML_TRUE : XML_FALSE);
        if (failure_)
            std::rethrow_exception(failure_);
        if (status != XML_STATUS_OK)
            Fail(QStringLiteral("工作簿部件 %1 不是有效的 XML：%2")
                     .arg(part_, problem_.isEmpty()
                                     ? QString::fromUtf8(XML_ErrorString(XML_GetErrorCode(parser_)))
                                     : problem_));
        fed_ += size;
        // Expat keeps a tag whole until it ends: no sane part has one this long.
        if (fed_ - XML_GetCurrentByteIndex(parser_) > kMaxPendingBytes)
            Fail(QStringLiteral("工作簿部件 %1 含有过长的标记，拒绝读取").arg(part_));
    }

    XML_Parser parser_ = nullptr;
    std::exception_ptr failure_;
    QString problem_;
    qint64 fed_ = 0;
};

// Text gathered from pieces, cut off past what a cell can hold: a longer
// text keeps one character too many, so that it is refused, never stored cut.
class CellText
{
public:
    void clear()
    {
        bytes_.clear();
        cut_ = false;
    }
    void append(const char* text, int size)
    {
        const qsizetype room = kMaxCellBytes - bytes_.size();
        if (size > room) {
            cut_ = true;
            size = int(std::max<qsizetype>(room, 0));
        }
        bytes_.append(text, size);
    }
    bool cut() const { return cut_; }
    QString text() const
    {
        QString text = QString::fromUtf8(bytes_);
        if (cut_ || text.size() > kMaxTextLength)
            text.truncate(kMaxTextLength + 1);
        return text;
    }
    QByteArray trimmedBytes() const { return bytes_.trimmed(); }

private:
    // Enough bytes for one character past the limit in any encoding width.
    static constexpr qsizetype kMaxCellBytes = (kMaxTextLength + 1) * 4;
    QByteArray bytes_;
    bool cut_ = false;
};

// Streams a worksheet's rows out of its XML as the bytes arrive.
class SheetParser : public StreamingXml
{
public:
    SheetParser(const QStringList& shared, const SheetRowSink& sink, const QString& part,
                int columns)
        : StreamingXml(part), shared_(shared), sink_(sink), columns_(columns)
    {
    }

private:
    void start(const char* name, const XML_Char** attributes) override
    {
        if (std::strcmp(name, "row") == 0) {
            bool ok = false;
            const qint64 number = QByteArray(Attribute(attributes, "r")).toLongLong(&ok);
            if (ok && number <= row_)
                Fail(QStringLiteral("工作表 %1 的行号顺序错误：第 %2 行").arg(part_).arg(number));
            row_ = ok ? number : row_ + 1;
            cells_.clear();
            nextColumn_ = 0;
        } else if (std::strcmp(name, "c") == 0) {
            const char* reference = Attribute(attributes, "r");
            column_ = reference && *reference
                          ? ColumnOf(reference)
                          : nextColumn_;
            if (column_ < 0 || column_ >= kMaxColumns)
                Fail(QStringLiteral("工作表 %1 第 %2 行的单元格位置无效").arg(part_).arg(row_));
            if (column_ >= columns_)
                Fail(QStringLiteral("工作表 %1 第 %2 行 %3 列：多出的单元格")
                         .arg(part_)
                         .arg(row_)
                         .arg(column_ + 1));
            const char* type = Attribute(attributes, "t");
            type_ = TypeOf(type);
            value_.clear();
            inCell_ = true;
        } else if (inCell_ && (std::strcmp(name, "v") == 0 || std::strcmp(name, "t") == 0)) {
            collecting_ = true;
        } else if (std::strcmp(name, "rPh") == 0) {
            ++phonetic_; // a reading guide, not part of the text
        }
    }

    void end(const char* name) override
    {
        if (std::strcmp(name, "v") == 0 || std::strcmp(name, "t") == 0) {
            collecting_ = false;
        } else if (std::strcmp(name, "rPh") == 0) {
            --phonetic_;
        } else if (std::strcmp(name, "c") == 0 && inCell_) {
            inCell_ = false;
            SheetCell cell = makeCell();
            if (cell.kind != SheetCell::Empty) {
                if (cells_.size() <= column_)
                    cells_.resize(column_ + 1);
                cells_[column_] = std::move(cell);
            }
            nextColumn_ = column_ + 1;
        } else if (std::strcmp(name, "row") == 0) {
            if (!cells_.isEmpty())
                sink_(row_, cells_);
        }
    }

    void characters(const char* text, int size) override
    {
        if (collecting_ && phonetic_ == 0)
            value_.append(text, size);
    }

    // "n", "b" or none are numbers.
    enum class Type { Number, Shared, Text, Date };
    static Type TypeOf(const char* type)
    {
        if (!type)
            return Type::Number;
        if (std::strcmp(type, "s") == 0)
            return Type::Shared;
        if (std::strcmp(type, "inlineStr") == 0 || std::strcmp(type, "str") == 0 ||
            std::strcmp(type, "e") == 0)
            return Type::Text;
        return std::strcmp(type, "d") == 0 ? Type::Date : Type::Number;
    }

    SheetCell makeCell() const
    {
        SheetCell cell;
        if (type_ == Type::Shared) {
            bool ok = false;
            const qsizetype index = value_.trimmedBytes().toLongLong(&ok);
            if (!ok || index < 0 || index >= shared_.size())
                Fail(QStringLiteral("工作表 %1 第 %2 行引用了不存在的共享字符串")
                         .arg(part_)
                         .arg(row_));
            cell.kind = SheetCell::Text;
            cell.text = shared_[index];
        } else if (type_ == Type::Text) {
            cell.kind = SheetCell::Text;
            cell.text = DecodeXmlString(value_.text());
        } else if (type_ == Type::Date) {
            cell.kind = SheetCell::Date;
            cell.text = value_.text().left(10);
        } else if (const QByteArray number = value_.trimmedBytes(); !number.isEmpty() ||
                                                                   value_.cut()) {
            // "n", "b" or no type: a number.
            bool ok = !value_.cut();
            cell.number = ok ? number.toDouble(&ok) : 0;
            if (!ok)
                Fail(QStringLiteral("工作表 %1 第 %2 行的数值无效：%3")
                         .arg(part_)
                         .arg(row_)
                         .arg(QString::fromUtf8(number.left(40))));
            cell.kind = SheetCell::Number;
        }
        if (cell.kind == SheetCell::Text && cell.text.isEmpty())
            cell.kind = SheetCell::Empty;
        return cell;
    }

    const QStringList& shared_;
    const SheetRowSink& sink_;
    const int columns_;
    QList<SheetCell> cells_;
    Type type_ = Type::Number;
    CellText value_;
    qint64 row_ = 0;
    int column_ = 0, nextColumn_ = 0, phonetic_ = 0;
    bool inCell_ = false, collecting_ = false;
};

// The shared strings, each cut like a cell, all of them within a budget.
class SharedStringsParser : public StreamingXml
{
public:
    SharedStringsParser(QStringList& strings, const QString& part)
        : StreamingXml(part), strings_(strings)
    {
    }

private:
    void start(const char* name, const XML_Char**) override
    {
        if (std::strcmp(name, "si") == 0) {
            inItem_ = true;
            current_.clear();
        } else if (std::strcmp(name, "t") == 0) {
            inText_ = true;
        } else if (std::strcmp(name, "rPh") == 0) {
            ++phonetic_;
        }
    }

    void end(const char* name) override
    {
        if (std::strcmp(name, "si") == 0 && inItem_) {
            strings_ << DecodeXmlString(current_.text());
            // What the list costs: the characters and each entry's own keeping.
            held_ += strings_.constLast().size() * qint64(sizeof(QChar)) + 64;
            if (held_ > kMaxStringsHeld)
                Fail(QStringLiteral("工作簿部件 %1 的共享字符串过多，拒绝读取").arg(part_));
            inItem_ = false;
        } else if (std::strcmp(name, "t") == 0) {
            inText_ = false;
        } else if (std::strcmp(name, "rPh") == 0) {
            --phonetic_;
        }
    }

    void characters(const char* text, int size) override
    {
        if (inItem_ && inText_ && phonetic_ == 0)
            current_.append(text, size);
    }

    QStringList& strings_;
    CellText current_;
    qint64 held_ = 0;
    int phonetic_ = 0;
    bool inText_ = false, inItem_ = false;
};

// The sheets of an OpenDocument spreadsheet (LibreOffice's .ods): all of them
// in content.xml, streamed once to list them and once for each sheet read.
// Repeated rows and cells are handed on as often as they repeat, except the
// empty ones a spreadsheet program pads its sheets with.
class OdsParser : public StreamingXml
{
public:
    // `sheet` empty: only the names are gathered.
    OdsParser(const QString& sheet, const SheetRowSink* sink, int columns, QStringList* names)
        : StreamingXml(QStringLiteral("content.xml")), sheet_(sheet), sink_(sink),
          columns_(columns), names_(names)
    {
    }

private:
    void start(const char* name, const XML_Char** attributes) override
    {
        if (std::strcmp(name, "table") == 0) {
            const QString table = QString::fromUtf8(Attribute(attributes, "name"));
            if (names_)
                *names_ << table;
            inSheet_ = !sheet_.isEmpty() && table == sheet_;
            row_ = 0;
        } else if (!inSheet_) {
            return;
        } else if (std::strcmp(name, "table-row") == 0) {
            rowRepeat_ = Repeat(attributes, "number-rows-repeated");
            cells_.clear();
            column_ = 0;
        } else if (std::strcmp(name, "table-cell") == 0 ||
                   std::strcmp(name, "covered-table-cell") == 0) {
            cellRepeat_ = Repeat(attributes, "number-columns-repeated");
            const QByteArray type = Attribute(attributes, "value-type");
            cell_ = SheetCell();
            text_.clear();
            paragraphs_ = 0;
            if (type == "float" || type == "percentage" || type == "currency") {
                bool ok = false;
                cell_.number = QByteArray(Attribute(attributes, "value")).toDouble(&ok);
                if (!ok)
                    Fail(QStringLiteral("工作表 %1 第 %2 行的数值无效").arg(sheet_).arg(row_ + 1));
                cell_.kind = SheetCell::Number;
            } else if (type == "date") {
                cell_.kind = SheetCell::Date;
                cell_.text = QString::fromUtf8(Attribute(attributes, "date-value")).left(10);
            } else if (type == "boolean") {
                cell_.kind = SheetCell::Text;
                cell_.text = QString::fromUtf8(Attribute(attributes, "boolean-value"));
            } else if (!type.isEmpty()) {
                cell_.kind = SheetCell::Text; // string, time: the text shown
            }
            inCell_ = true;
        } else if (inCell_ && std::strcmp(name, "annotation") == 0) {
            ++skipped_; // a comment, not the cell's text
        } else if (inCell_ && skipped_ == 0 && std::strcmp(name, "p") == 0) {
            if (paragraphs_++ > 0)
                text_.append("\n", 1);
        } else if (inCell_ && skipped_ == 0 && std::strcmp(name, "s") == 0) {
            const qint64 blanks = Repeat(attributes, "c");
            for (qint64 i = 0; i < std::min<qint64>(blanks, kMaxTextLength + 1); ++i)
                text_.append(" ", 1);
        } else if (inCell_ && skipped_ == 0 && std::strcmp(name, "tab") == 0) {
            text_.append("\t", 1);
        } else if (inCell_ && skipped_ == 0 && std::strcmp(name, "line-break") == 0) {
            text_.append("\n", 1);
        }
    }

    void end(const char* name) override
    {
        if (std::strcmp(name, "table") == 0) {
            inSheet_ = false;
        } else if (!inSheet_) {
            return;
        } else if (std::strcmp(name, "annotation") == 0) {
            --skipped_;
        } else if (std::strcmp(name, "table-cell") == 0 ||
                   std::strcmp(name, "covered-table-cell") == 0) {
            inCell_ = false;
            if (cell_.kind == SheetCell::Text && cell_.text.isEmpty())
                cell_.text = text_.text();
            if (cell_.kind == SheetCell::Text && cell_.text.isEmpty())
                cell_.kind = SheetCell::Empty;
            if (cell_.kind != SheetCell::Empty) {
                if (column_ + cellRepeat_ > columns_)
                    Fail(QStringLiteral("工作表 %1 第 %2 行 %3 列：多出的单元格")
                             .arg(sheet_)
                             .arg(row_ + 1)
                             .arg(std::max<qint64>(column_, columns_) + 1));
                cells_.resize(column_ + cellRepeat_);
                for (qint64 c = column_; c < column_ + cellRepeat_; ++c)
                    cells_[c] = cell_;
            }
            column_ += cellRepeat_;
        } else if (std::strcmp(name, "table-row") == 0) {
            if (cells_.isEmpty()) { // padding rows: counted, never handed on
                row_ += rowRepeat_;
                return;
            }
            if (rowRepeat_ > kMaxRepeatedRows)
                Fail(QStringLiteral("工作表 %1 第 %2 行重复次数过多").arg(sheet_).arg(row_ + 1));
            for (qint64 r = 0; r < rowRepeat_; ++r)
                (*sink_)(++row_, cells_);
        }
    }

    void characters(const char* text, int size) override
    {
        if (inCell_ && skipped_ == 0 && paragraphs_ > 0)
            text_.append(text, size);
    }

    static qint64 Repeat(const XML_Char** attributes, const char* name)
    {
        bool ok = false;
        const qint64 count = QByteArray(Attribute(attributes, name)).toLongLong(&ok);
        return ok && count > 0 ? count : 1;
    }

    // A row written out more often than this is no shop's data.
    static constexpr qint64 kMaxRepeatedRows = 100000;
    QString sheet_;
    const SheetRowSink* sink_;
    const int columns_;
    QStringList* names_;
    QList<SheetCell> cells_;
    SheetCell cell_;
    CellText text_;
    qint64 row_ = 0, rowRepeat_ = 1, cellRepeat_ = 1, column_ = 0;
    int paragraphs_ = 0, skipped_ = 0;
    bool inSheet_ = false, inCell_ = false;
};

class OdsReader : public WorkbookReader
{
public:
    explicit OdsReader(const QString& path) : zip_(path)
    {
        read(QString(), nullptr, kMaxColumns, &names_);
    }

    QStringList sheetNames() const override { return names_; }

    void readRows(const QString& sheet, const SheetRowSink& sink, int columns) override
    {
        if (!names_.contains(sheet))
            Fail(QStringLiteral("工作簿中没有工作表 ") + sheet);
        read(sheet, &sink, std::min(columns, kMaxColumns), nullptr);
    }

private:
    void read(const QString& sheet, const SheetRowSink* sink, int columns, QStringList* names)
    {
        OdsParser parser(sheet, sink, columns, names);
        zip_.read(QStringLiteral("content.xml"), kMaxSheetBytes,
                  [&parser](const QByteArray& bytes) { parser.feed(bytes); });
        parser.finish();
    }

    Zip zip_;
    QStringList names_;
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

    void readRows(const QString& sheet, const SheetRowSink& sink, int columns) override
    {
        const QString part = parts_.value(sheet);
        if (part.isEmpty())
            Fail(QStringLiteral("工作簿中没有工作表 ") + sheet);
        SheetParser parser(shared_, sink, sheet, std::min(columns, kMaxColumns));
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
        SharedStringsParser parser(shared_, part);
        zip_.read(part, kMaxStringsBytes, [&parser](const QByteArray& bytes) { parser.feed(bytes); });
        parser.finish();
    }

    Zip zip_;
    QStringList names_;
    QHash<QString, QString> parts_;
    QStringList shared_;
};

// An Excel 97-2003 workbook (a sheet holds at most 65,536 rows), read by
// libfreexl in the helper process movrnt-xls: a damaged or hostile file can
// end that process, never the program.
class XlsReader : public WorkbookReader
{
public:
    explicit XlsReader(const QString& path) : path_(path)
    {
        run({QStringLiteral("names"), path}, [this](QDataStream& in, char tag) {
            if (tag != 'N')
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
                if (tag != 'R')
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
                    if (kind == 2) {
                        cell.kind = SheetCell::Number;
                        in >> cell.number;
                    } else if (kind == 1 || kind == 3) {
                        cell.kind = kind == 1 ? SheetCell::Text : SheetCell::Date;
                        cell.text = Text(in);
                    } else if (kind != 0) {
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
        if (size > kMaxSmallPartBytes) {
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
                if (tag == 'D')
                    done = true;
                else if (tag == 'E')
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

const QRegularExpression& EscapePattern()
{
    static const QRegularExpression pattern(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    return pattern;
}
} // namespace

QString WorkbookReader::place(const QString& sheet, qint64 row) const
{
    return QStringLiteral("工作表 %1 第 %2 行").arg(sheet).arg(row);
}

QString WorkbookReader::missing(const QString& sheet) const
{
    return QStringLiteral("工作簿中没有工作表 ") + sheet;
}

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
    // A pipe or a device would never end, or never begin.
    if (QFileInfo::exists(path) && !QFileInfo(path).isFile())
        Fail(QStringLiteral("不是工作簿文件：") + path);
    // By what the file holds, not its name: a renamed workbook is still read.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return OpenXlsxWorkbook(path); // which says what is wrong with the file
    const QByteArray start = file.read(8);
    static const QByteArray compoundFile("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    if (start == compoundFile)
        return OpenXlsWorkbook(path);
    // An OpenDocument package names its kind in its first part, stored as is.
    file.seek(30);
    if (file.read(8) == "mimetype" &&
        file.read(64).contains("application/vnd.oasis.opendocument.spreadsheet"))
        return std::make_unique<OdsReader>(path);
    return OpenXlsxWorkbook(path);
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
