#pragma once

#include <QList>
#include <QString>

class Shop;

// The counts a chart shows: one row of nine genre counts, or two rows (VCD,
// DVD) of twelve monthly counts.
struct ChartTable
{
    QStringList rows;       // the row labels
    QStringList categories; // the genres or the months
    QList<QList<qint64>> values;
};

// Four characters that are a number.
bool IsChartYear(const QString& year);
// The discs in stock per genre; genres outside the list count nowhere.
ChartTable StockPerGenre(Shop& shop);
// The year's rentals per genre (the year compared as the rental date's first
// four characters); rentals of deleted discs drop out.
ChartTable RentalsPerGenre(Shop& shop, const QString& year);
// The year's rentals per month (the month read from the padded date text),
// VCD and, for any other type, DVD.
ChartTable RentalsPerMonth(Shop& shop, const QString& year);
// The three statistics a chart shows, in the order they are offered.
enum class ChartStatistic
{
    StockPerGenre,
    RentalsPerGenre,
    RentalsPerMonth,
};
// Whether it is counted for a chosen year.
bool ForYear(ChartStatistic statistic);
// A statistic counted (`year` ignored for the stock). Throws MovrntError.
ChartTable CountStatistic(Shop& shop, ChartStatistic statistic, const QString& year);
// The chart's title over it.
QString StatisticTitle(ChartStatistic statistic, const QString& year);
// Writes a table into its scratch table (ydbl for genres, ndyj for months),
// each row once, in one transaction with the delete before it, and reads it
// back as the chart is bound to it. On a server the scratch table is the
// session's own temporary one. Throws MovrntError.
ChartTable StoreChartTable(Shop& shop, const ChartTable& table);

// The table as a chart draws it: one series a row (or a column) of values.
struct ChartSeries
{
    QStringList names, points;
    QList<QList<qint64>> values; // [series][point]
};
ChartSeries ArrangeChart(const ChartTable& table, bool seriesInRows);

// A count axis of whole, distinct ticks: about five steps of a whole size,
// from 0 to the first step above the largest value (never 0, 0.4, 0.8 ...).
struct WholeTicks
{
    qint64 step, top;
};
WholeTicks ChartTicks(const ChartSeries& series);
