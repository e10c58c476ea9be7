#include "Labels.h"

#include "core/settings/Settings.h"
#include "core/store/Database.h"
#include "core/store/DateText.h"
#include "core/store/Errors.h"
#include "core/store/Shop.h"

#include <QSqlQuery>

namespace {
struct Source
{
    QString table, key, text, added;
};

Source SourceOf(LabelSubject subject)
{
    return subject == LabelSubject::Discs ? Source{QStringLiteral("ydxx"), QStringLiteral("bh"),
                                                   QStringLiteral("pm"), QStringLiteral("rkrq")}
                                          : Source{QStringLiteral("hyxx"), QStringLiteral("hybh"),
                                                   QStringLiteral("hyxm"), QStringLiteral("rhrq")};
}

void Take(LabelSelection& selection, const QString& number, const QString& text)
{
    if (Code128Carries(number))
        selection.items.append({number, text});
    else
        selection.refused << number;
}
} // namespace

bool Code128Carries(const QString& number)
{
    if (number.isEmpty() || number.size() > 40)
        return false;
    for (const QChar c : number)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    return true;
}

LabelSelection LabelsOf(Shop& shop, LabelSubject subject, const QStringList& numbers)
{
    const Source source = SourceOf(subject);
    LabelSelection selection;
    for (const QString& number : numbers) {
        QSqlQuery row = RunSql(shop,
                               QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                   .arg(source.text, source.table, source.key),
                               {number});
        if (row.next())
            Take(selection, number, row.value(0).toString());
    }
    return selection;
}

LabelSelection LabelsSince(Shop& shop, LabelSubject subject, const QString& since)
{
    const Source source = SourceOf(subject);
    const QString from = NormalDateText(since);
    if (from.isEmpty())
        throw MovrntError(QStringLiteral("日期格式不正确：") + since, source.table);
    // The program's own date form compares as text; other shapes are judged one by one.
    QSqlQuery rows = RunSql(shop,
                            QStringLiteral("SELECT %1, %2, %3 FROM %4 WHERE %3 >= ? OR %3 NOT LIKE"
                                           " '____-__-__' ORDER BY %1")
                                .arg(source.key, source.text, source.added, source.table),
                            {from});
    LabelSelection selection;
    while (rows.next()) {
        const QString day = NormalDateText(rows.value(2).toString());
        if (!day.isEmpty() && day >= from)
            Take(selection, rows.value(0).toString(), rows.value(1).toString());
    }
    return selection;
}

LabelSheet StoredLabelSheet()
{
    // "A4 rows columns margin" or "roll width height"
    const QStringList parts = GetSetting(Setting::LabelSheet).split(u' ');
    LabelSheet sheet;
    bool ok = parts.size() >= 3;
    QList<int> numbers;
    for (qsizetype i = 1; ok && i < parts.size(); ++i)
        numbers << parts[i].toInt(&ok);
    if (!ok)
        return sheet;
    if (parts[0] == u"roll" && numbers.size() == 2) {
        sheet.roll = true;
        sheet.widthMm = numbers[0];
        sheet.heightMm = numbers[1];
    } else if (parts[0] == u"A4" && numbers.size() == 3) {
        sheet.rows = numbers[0];
        sheet.columns = numbers[1];
        sheet.marginMm = numbers[2];
    }
    return LabelSheetProblem(sheet).isEmpty() ? sheet : LabelSheet{};
}

bool StoreLabelSheet(const LabelSheet& sheet)
{
    return SetSetting(
        Setting::LabelSheet,
        sheet.roll
            ? QStringLiteral("roll %1 %2").arg(sheet.widthMm).arg(sheet.heightMm)
            : QStringLiteral("A4 %1 %2 %3").arg(sheet.rows).arg(sheet.columns).arg(sheet.marginMm));
}

QString LabelSheetProblem(const LabelSheet& sheet)
{
    // A label narrower than 30 mm or lower than 15 mm holds no number a scanner reads back.
    if (sheet.roll)
        return sheet.widthMm < 30 || sheet.heightMm < 15 || sheet.widthMm > 200 ||
                       sheet.heightMm > 200
                   ? QStringLiteral("标签宽度应在30到200毫米之间，高度应在15到200毫米之间！")
                   : QString();
    if (sheet.rows < 1 || sheet.columns < 1 || sheet.marginMm < 0 || sheet.marginMm > 40)
        return QStringLiteral("行数和列数至少为1，页边距应在0到40毫米之间！");
    if ((210 - 2 * sheet.marginMm) / sheet.columns < 30 ||
        (297 - 2 * sheet.marginMm) / sheet.rows < 15)
        return QStringLiteral("标签太小（宽度不足30毫米或高度不足15毫米），扫描枪无法识别！");
    return {};
}
