#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class Shop;

// Rentals counted by disc type; rentals whose disc is gone drop out.
struct TypeCounts
{
    qint64 vcd = 0;
    qint64 dvd = 0;
};

// Today's rentals, returned or not: discs typed exactly "VCD" and "DVD".
TypeCounts TodayFigures(Shop& shop);
// A month's rentals: the rental date's first four characters equal the year
// text and its characters 6 and 7 the month text, both compared as text (so
// a month typed "1" counts nothing). Any type other than "VCD" counts as a DVD.
TypeCounts MonthFigures(Shop& shop, const QString& year, const QString& month);
// The years of the month window's list: from the year of the first run to
// the current one; the current year alone when the first run has no year.
QStringList FigureYears(const QString& installTime);

// The new arrivals' lines (entered fewer than 8 calendar days ago, newest
// first) and the ranking's lines (the 20 most rented discs, ties in disc
// number order); the texts the popular-discs window shows when empty.
QString NewArrivalsText(Shop& shop);
QString RankingText(Shop& shop);
