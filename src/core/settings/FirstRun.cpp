#include "FirstRun.h"

#include "Settings.h"
#include "store/Clock.h"

bool IsFirstRun()
{
    return GetSetting(Setting::FirstRunTime) != u"False";
}

void PerformFirstRunSetup()
{
    CreateSettingsKey();
    SetSetting(Setting::FirstRunTime, QStringLiteral("False"));
    SetSetting(Setting::InstallTime, TodayText());
    SetSetting(Setting::HYDJ, SettingDefault(Setting::HYDJ));
    SetSetting(Setting::FJZJ, SettingDefault(Setting::FJZJ));
}

DisplayVerdict CheckDisplay(QSize screen, bool firstRun, const QString& setDisplayRes)
{
    const int w = screen.width();
    const int h = screen.height();
    if (w < 800 || h < 600)
        return DisplayVerdict::TooSmall;
    // Only when both differ: 1024 x 600 and 1280 x 768 are left alone.
    if (w != 1024 && h != 768 && (firstRun || setDisplayRes == u"True"))
        return DisplayVerdict::OfferSwitch;
    return DisplayVerdict::Fine;
}

QString MainCaption(const QString& userName)
{
    return QStringLiteral("凯络影碟出租管理系统 - ") +
           (userName.isEmpty() ? QStringLiteral("（无名用户）") : userName);
}
