#pragma once

#include <QString>

// Pads one-digit month and day of a year-first date text with a leading zero:
// 2003-1-5 becomes 2003-01-05. Separators are kept as given.
QString FormatDateText(const QString& text);

// Calendar days from one date text to another (negative when `to` is earlier).
// A part that is not a number, or no such date, gives 0.
qint64 DayCount(const QString& from, const QString& to);

// The date text in the program's one form, 2003-01-05, of a year-first date
// written with one- or two-digit parts and '-' or '/' (2003-1-5, 2003/11/01);
// empty when it is no date.
QString NormalDateText(const QString& text);

// 2003-11-09 -> 2003年11月09日, as the status bar shows today's date.
QString ChineseDateText(const QString& dateText);
