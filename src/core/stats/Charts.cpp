#include "Charts.h"
#include "core/store/Shop.h"

#include <algorithm>

#include "core/catalogue/Discs.h"
#include "core/store/Database.h"
#include "core/store/DateText.h"
#include "core/store/Engine.h"
#include "core/store/Numbers.h"

#include <QSqlQuery>

namespace {
QStringList Months()
{
    QStringList months;
    for (int month = 1; month <= 12; ++month)
        months << QStringLiteral("%1月").arg(month);
    return months;
}

// The day totals of a year (rentals of existing discs), one range of their
// key, then the text test of the year.
const QString kYearRentals = QStringLiteral(" FROM mrcz WHERE czrq >= ? AND czrq < ? AND"
                                            " substr(czrq, 1, 4) = ?");

QVariantList YearValues(const QString& year)
{
    return {year, year + QChar(0xFFFF), year};
}

ChartTable GenreTable(const QString& row, QSqlQuery query)
{
    ChartTable table{{row}, Genres(), {QList<qint64>(Genres().size(), 0)}};
    while (query.next()) {
        const qsizetype genre = Genres().indexOf(query.value(0).toString());
        if (genre >= 0)
            table.values[0][genre] = query.value(1).toLongLong();
    }
    return table;
}
} // namespace

bool IsChartYear(const QString& year)
{
    return year.size() == 4 && IsNumeric(year);
}

ChartTable StockPerGenre(Shop& shop)
{
    return GenreTable(QStringLiteral("影碟数量"),
                      RunSql(shop, QStringLiteral("SELECT zt, sl FROM jlsl WHERE bm = 'ydxx' AND"
                                                  " zd = 'lx'")));
}

ChartTable RentalsPerGenre(Shop& shop, const QString& year)
{
    return GenreTable(
        QStringLiteral("影碟出租数量"),
        RunSql(shop,
               QStringLiteral("SELECT lx, SUM(sl)") + kYearRentals + QStringLiteral(" GROUP BY lx"),
               YearValues(year)));
}

ChartTable RentalsPerMonth(Shop& shop, const QString& year)
{
    ChartTable table{{"VCD", "DVD"}, Months(), {QList<qint64>(12, 0), QList<qint64>(12, 0)}};
    // Dates of the one form are grouped by SQL; the others are padded one by
    // one, as the month is read from the padded text.
    QSqlQuery query =
        RunSql(shop,
               QStringLiteral("SELECT CASE WHEN czrq LIKE '____-__-__' THEN substr(czrq, 6, 2)"
                              " ELSE czrq END AS m, ydlx = 'VCD', SUM(sl)") +
                   kYearRentals + QStringLiteral(" GROUP BY m, ydlx = 'VCD'"),
               YearValues(year));
    while (query.next()) {
        QString month = query.value(0).toString();
        if (month.size() != 2)
            month = FormatDateText(month).mid(5, 2);
        bool ok = false;
        const int number = month.toInt(&ok);
        if (!ok || number < 1 || number > 12)
            continue;
        table.values[query.value(1).toBool() ? 0 : 1][number - 1] += query.value(2).toLongLong();
    }
    return table;
}

ChartTable StoreChartTable(Shop& shop, const ChartTable& table)
{
    const bool months = table.categories.size() == 12;
    const QString scratch = months ? QStringLiteral("ndyj") : QStringLiteral("ydbl");
    InTransaction(shop, [&] {
        shop.engine().ownScratchTable(shop, scratch);
        RunSql(shop, QStringLiteral("DELETE FROM ") + scratch);
        for (qsizetype r = 0; r < table.values.size(); ++r) {
            QVariantList values;
            if (months)
                values << table.rows[r];
            for (qint64 count : table.values[r])
                values << count;
            QStringList marks(values.size(), QStringLiteral("?"));
            RunSql(shop,
                   QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(scratch, marks.join(u',')),
                   values);
        }
    });
    ChartTable stored{table.rows, table.categories, {}};
    QSqlQuery query = RunSql(shop, QStringLiteral("SELECT * FROM ") + scratch);
    while (query.next()) {
        QList<qint64> row;
        for (int c = months ? 1 : 0; c < (months ? 13 : 9); ++c)
            row << query.value(c).toLongLong();
        stored.values << row;
    }
    return stored;
}

ChartSeries ArrangeChart(const ChartTable& table, bool seriesInRows)
{
    if (seriesInRows)
        return {table.rows, table.categories, table.values};
    ChartSeries series{table.categories, table.rows, {}};
    for (qsizetype c = 0; c < table.categories.size(); ++c) {
        QList<qint64> column;
        for (const QList<qint64>& row : table.values)
            column << row.value(c);
        series.values << column;
    }
    return series;
}

WholeTicks ChartTicks(const ChartSeries& series)
{
    qint64 largest = 1;
    for (const QList<qint64>& values : series.values)
        for (qint64 value : values)
            largest = std::max(largest, value);
    const qint64 step = std::max<qint64>(1, (largest + 4) / 5);
    return {step, (largest / step + 1) * step};
}

bool ForYear(ChartStatistic statistic)
{
    return statistic != ChartStatistic::StockPerGenre;
}

ChartTable CountStatistic(Shop& shop, ChartStatistic statistic, const QString& year)
{
    switch (statistic) {
    case ChartStatistic::StockPerGenre:
        return StockPerGenre(shop);
    case ChartStatistic::RentalsPerGenre:
        return RentalsPerGenre(shop, year);
    case ChartStatistic::RentalsPerMonth:
        break;
    }
    return RentalsPerMonth(shop, year);
}

QString StatisticTitle(ChartStatistic statistic, const QString& year)
{
    switch (statistic) {
    case ChartStatistic::StockPerGenre:
        return QStringLiteral(" 影碟库现有各类影片比例（单位 ：张）");
    case ChartStatistic::RentalsPerGenre:
        return year + QStringLiteral(" 各类影片出租比例（单位 ：张）");
    case ChartStatistic::RentalsPerMonth:
        break;
    }
    return year + QStringLiteral("年 年度影碟出租业绩（单位 ：张）");
}
