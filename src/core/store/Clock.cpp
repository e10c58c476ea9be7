#include "Clock.h"

#include <QTime>

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

QString NowText()
{
    return TodayText() + u' ' + QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
}
