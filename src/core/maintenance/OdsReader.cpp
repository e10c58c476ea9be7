#include "WorkbookParts.h"
#include "core/store/Shop.h"

using namespace workbook;

namespace {
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
} // namespace

std::unique_ptr<WorkbookReader> workbook::OpenOdsWorkbook(const QString& path)
{
    return std::make_unique<OdsReader>(path);
}
