#include "WorkbookReader.h"

#include "WorkbookParts.h"

#include <QFileInfo>

using namespace workbook;

QString WorkbookReader::place(const QString& sheet, qint64 row) const
{
    return QStringLiteral("工作表 %1 第 %2 行").arg(sheet).arg(row);
}

QString WorkbookReader::missing(const QString& sheet) const
{
    return QStringLiteral("工作簿中没有工作表 ") + sheet;
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
        return OpenOdsWorkbook(path);
    return OpenXlsxWorkbook(path);
}
