#include "Clock.h"

namespace {
QDate pinnedToday;
}

QDate Today()
{
    return pinnedToday.isValid() ? pinnedToday : QDate::currentDate();
}

QString TodayText()
{
    return Today().toString(QStringLiteral("yyyy-MM-dd"));
}

void SetTodayForTesting(const QDate& date)
{
    pinnedToday = date;
}
