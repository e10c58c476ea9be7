#include "WorkbookParts.h"

#include <QHash>
#include <QRegularExpression>

// The Office Open XML workbook (.xlsx): its sheets streamed, its shared
// strings held within a budget; and the _xHHHH_ escapes of its strings.
using namespace workbook;

namespace {
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
