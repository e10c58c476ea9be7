#pragma once

#include <QDate>
#include <QString>

// The one place "today" comes from, so tests can pin it.
QDate Today();
// Today's date as stored date text, e.g. 2003-11-09.
QString TodayText();
// Now on the PC's clock, on the pinned day while one is pinned, as the
// ledger stores it: 2003-11-09 14:05:31.
QString NowText();
// An invalid date returns to the real clock.
void SetTodayForTesting(const QDate& date);
