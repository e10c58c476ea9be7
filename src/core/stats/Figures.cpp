#include "Figures.h"

#include "store/Clock.h"
#include "store/Database.h"
#include "store/DateText.h"

#include <QSqlQuery>

namespace {
TypeCounts Counts(const QString& sql, const QVariantList& values)
{
    QSqlQuery query = RunSql(sql, values);
    query.next();
    return {query.value(0).toLongLong(), query.value(1).toLongLong()};
}

QString Availability(const QString& sfycz)
{
    return sfycz == u"是" ? QStringLiteral("   已出租") : QStringLiteral("   未出租");
}

const QString kLineBreak = QStringLiteral("\r\n");
} // namespace

TypeCounts TodayFigures()
{
    return Counts(QStringLiteral("SELECT COUNT(CASE WHEN b.ydlx = 'VCD' THEN 1 END),"
                                 " COUNT(CASE WHEN b.ydlx = 'DVD' THEN 1 END)"
                                 " FROM zjxx AS a JOIN ydxx AS b ON a.bh = b.bh WHERE a.czrq = ?"),
                  {TodayText()});
}

TypeCounts MonthFigures(const QString& year, const QString& month)
{
    // The year's rentals are one range of the date index; the text tests then
    // pick the month exactly as they are worded.
    const TypeCounts counts =
        Counts(QStringLiteral("SELECT COUNT(CASE WHEN a.ydlx = 'VCD' THEN 1 END), COUNT(*)"
                              " FROM zjxx AS b JOIN ydxx AS a ON a.bh = b.bh"
                              " WHERE b.czrq >= ? AND b.czrq < ? AND substr(b.czrq, 1, 4) = ?"
                              " AND substr(b.czrq, 6, 2) = ?"),
               {year, year + QChar(0xFFFF), year, month});
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

QString NewArrivalsText()
{
    if (!RunScalar(QStringLiteral("SELECT 1 FROM ydxx LIMIT 1")).isValid())
        return QStringLiteral("没有新到的影碟！");
    // Canonical dates within the week by their index; dates in other shapes are
    // judged one by one as the day count reads them.
    const QString cutoff = Today().addDays(-8).toString(QStringLiteral("yyyy-MM-dd"));
    QSqlQuery query = RunSql(QStringLiteral("SELECT bh, pm, ydlx, rkrq, sfycz FROM ydxx"
                                            " WHERE rkrq > ? OR rkrq NOT LIKE '____-__-__'"
                                            " ORDER BY rkrq DESC"),
                             {cutoff});
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

QString RankingText()
{
    QSqlQuery ranking = RunSql(QStringLiteral(
        "SELECT r.bh, r.c, d.pm, d.ydlx, d.sfycz, d.bh FROM (SELECT bh, COUNT(*) AS c FROM zjxx"
        " GROUP BY bh ORDER BY c DESC, bh LIMIT 20) AS r LEFT JOIN ydxx AS d ON d.bh = r.bh"
        " ORDER BY r.c DESC, r.bh"));
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
