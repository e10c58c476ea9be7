#pragma once

// What the readers of the zipped XML workbooks (xlsx, ods) share: the zip
// reader with its limits against a bomb, expat fed as the bytes inflate, and
// a cell's text cut where a cell ends. For the readers only.

#include "WorkbookReader.h"

#include "core/store/Errors.h"
#include "core/store/TextRules.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QXmlStreamReader>
#include <cstring>
#include <exception>
#include <expat.h>
#include <functional>
#include <unzip.h>

namespace workbook {
inline const QString kSource = QStringLiteral("Workbook");

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

[[noreturn]] inline void Fail(const QString& what)
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
inline void ScanXml(const QByteArray& bytes, const QString& part,
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
inline int ColumnOf(const char* reference)
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

// LibreOffice's OpenDocument spreadsheet (.ods); the file is known to be one.
std::unique_ptr<WorkbookReader> OpenOdsWorkbook(const QString& path);
} // namespace workbook
