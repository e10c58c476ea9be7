#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// The columns of the widest sheet a spreadsheet program makes.
constexpr int kMaxColumns = 16384;

// One cell as a workbook holds it.
struct SheetCell
{
    enum Kind { Empty, Text, Number, Date };
    Kind kind = Empty;
    QString text; // Text; Date as yyyy-MM-dd
    double number = 0; // Number
};

// Called for every row of a sheet that holds a cell, in order, with the
// row's number as the spreadsheet shows it (from 1).
using SheetRowSink = std::function<void(qint64 row, const QList<SheetCell>& cells)>;

// The sheets of a workbook file, read one row at a time: memory stays bounded
// however large the sheets are.
class WorkbookReader
{
public:
    virtual ~WorkbookReader() = default;
    virtual QStringList sheetNames() const = 0;
    // How a refusal names a row, and a sheet that is not there.
    virtual QString place(const QString& sheet, qint64 row) const;
    virtual QString missing(const QString& sheet) const;
    // Throws MovrntError when the sheet cannot be read, or when a row holds a
    // cell beyond the first `columns`. A text longer than a cell can hold
    // (kMaxTextLength) comes with one character too many, never more.
    virtual void readRows(const QString& sheet, const SheetRowSink& sink,
                          int columns = kMaxColumns) = 0;
};

// An Office Open XML workbook (.xlsx). Parts that would expand beyond a sane
// size are refused. Throws MovrntError when the file is no such workbook.
std::unique_ptr<WorkbookReader> OpenXlsxWorkbook(const QString& path);
// An Excel 97-2003 workbook (.xls). Throws MovrntError when the file is no such workbook.
std::unique_ptr<WorkbookReader> OpenXlsWorkbook(const QString& path);
// Any of them, or LibreOffice's OpenDocument spreadsheet (.ods), by the
// file's content, not its name.
std::unique_ptr<WorkbookReader> OpenWorkbook(const QString& path);

// The cell text of an Office Open XML string, with its _xHHHH_ escapes decoded.
QString DecodeXmlString(const QString& text);
// Text with every part that reads like such an escape escaped itself, so that
// it is read back as written (the writer escapes control characters itself).
QString ProtectXmlEscapes(const QString& text);
