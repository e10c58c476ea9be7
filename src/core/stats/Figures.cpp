#include "Figures.h"
#include "core/store/Shop.h"

#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/DateText.h"

#include <QSqlQuery>

namespace {
TypeCounts Counts(Shop& shop, const QString& sql, const QVariantList& values)
{
    QSqlQuery query = RunSql(shop, sql, values);
    query.next();
    return {query.value(0).toLongLong(), query.value(1).toLongLong()};
}

QString Availability(const QString& sfycz)
{
    return sfycz == u"是" ? QStringLiteral("   已出租") : QStringLiteral("   未出租");
}

const QString kLineBreak = QStringLiteral("\r\n");
} // namespace

// The figures read the day totals (rentals of existing discs only, as the
// join of rentals to discs counts them).
TypeCounts TodayFigures(Shop& shop)
{
    return Counts(shop,
                  QStringLiteral("SELECT COALESCE(SUM(CASE WHEN ydlx = 'VCD' THEN sl END), 0),"
                                 " COALESCE(SUM(CASE WHEN ydlx = 'DVD' THEN sl END), 0)"
                                 " FROM mrcz WHERE czrq = ?"),
                  {TodayText()});
}

TypeCounts MonthFigures(Shop& shop, const QString& year, const QString& month)
{
    // The month's days are one range of the totals' key; dates of other
    // shapes whose fifth character is no dash ("2003/11/05") come from the
    // index of odd dates. The text tests pick the month as they are worded.
    const QString prefix = year + u'-' + month;
    const TypeCounts counts = Counts(
        shop,
        QStringLiteral(
            "SELECT COALESCE(SUM(CASE WHEN ydlx = 'VCD' THEN sl END), 0), COALESCE(SUM(sl), 0)"
            " FROM (SELECT ydlx, sl FROM mrcz WHERE czrq >= ? AND czrq < ? AND"
            " substr(czrq, 1, 4) = ? AND substr(czrq, 6, 2) = ? UNION ALL"
            " SELECT ydlx, sl FROM mrcz WHERE czrq NOT LIKE '____-__-__' AND"
            " substr(czrq, 5, 1) <> '-' AND substr(czrq, 1, 4) = ? AND substr(czrq, 6, 2) = ?)"
            " AS m"),
        {prefix, prefix + QChar(0xFFFF), year, month, year, month});
    return {counts.vcd, counts.dvd - counts.vcd};
}

QStringList FigureYears(const QString& installTime)
{
    const int current = Today().year();
    bool ok = false;
    const int first = installTime.left(4).toInt(&ok);
    QStringList years;
    for (int year = ok && first <= current ? first : current; year <= current; ++year)
        years << QString::number(year);
    return years;
}

QString NewArrivalsText(Shop& shop)
{
    if (!RunScalar(shop, QStringLiteral("SELECT 1 FROM ydxx LIMIT 1")).isValid())
        return QStringLiteral("没有新到的影碟！");
    // Canonical dates within the week by their index, dates in other shapes by
    // an index of their own; those are judged one by one as the day count
    // reads them.
    const QString cutoff = Today().addDays(-8).toString(QStringLiteral("yyyy-MM-dd"));
    QSqlQuery query =
        RunSql(shop,
               QStringLiteral("SELECT bh, pm, ydlx, rkrq, sfycz FROM ydxx WHERE rkrq > ? UNION ALL"
                              " SELECT bh, pm, ydlx, rkrq, sfycz FROM ydxx WHERE rkrq NOT LIKE"
                              " '____-__-__' AND rkrq <= ? ORDER BY 4 DESC"),
               {cutoff, cutoff});
    QStringList lines;
    const QString today = TodayText();
    while (query.next()) {
        // The range has judged the dates of the one form; the others are read
        // as the day count reads them, and one that is no date makes no disc new.
        const QString rkrq = query.value(3).toString();
        const bool oneForm = rkrq.size() == 10 && rkrq[4] == u'-' && rkrq[7] == u'-';
        if (!oneForm && (NormalDateText(rkrq).isEmpty() || DayCount(rkrq, today) >= 8))
            continue;
        lines << query.value(0).toString() + QStringLiteral("   ") + query.value(1).toString() +
                     QStringLiteral("   ") + query.value(2).toString() +
                     Availability(query.value(4).toString());
    }
    return lines.isEmpty() ? QStringLiteral("没有新到的影蝶！") : lines.join(kLineBreak);
}

QString RankingText(Shop& shop)
{
    // The rentals per disc the database keeps, read down their index.
    QSqlQuery ranking =
        RunSql(shop, QStringLiteral(
                         "SELECT r.bh, r.cs, d.pm, d.ydlx, d.sfycz, d.bh FROM (SELECT bh, cs FROM "
                         "ydzc WHERE cs > 0"
                         " ORDER BY cs DESC, bh LIMIT 20) AS r LEFT JOIN ydxx AS d ON d.bh = r.bh"
                         " ORDER BY r.cs DESC, r.bh"));
    QStringList lines;
    while (ranking.next()) {
        const QString count = QStringLiteral("租出%1次").arg(ranking.value(1).toLongLong());
        // A disc deleted since keeps its place in the ranking, by its number alone.
        if (ranking.value(5).isNull()) {
            lines << ranking.value(0).toString() + QStringLiteral("   ") + count;
            continue;
        }
        lines << ranking.value(0).toString() + QStringLiteral("   ") + ranking.value(2).toString() +
                     QStringLiteral("   ") + ranking.value(3).toString() +
                     Availability(ranking.value(4).toString()) + QStringLiteral("   ") + count;
    }
    return lines.isEmpty() ? QStringLiteral("没有影碟租借信息！") : lines.join(kLineBreak);
}
