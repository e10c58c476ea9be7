#include "FirstRun.h"
#include "core/store/Shop.h"

#include "Settings.h"
#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/Engine.h"

bool IsFirstRun()
{
    return GetSetting(Setting::FirstRunTime) != u"False";
}

void PerformFirstRunSetup()
{
    CreateSettingsKey();
    SetSetting(Setting::FirstRunTime, QStringLiteral("False"));
    SetSetting(Setting::InstallTime, TodayText());
    // A new counter of a shop on a server keeps the levels the shop set.
    for (Setting setting : {Setting::HYDJ, Setting::FJZJ})
        if (!ChosenEngine().keepsShopSettings() || GetSetting(setting).isEmpty())
            SetSetting(setting, SettingDefault(setting));
}

void UndoFirstRunSetup()
{
    SetSetting(Setting::FirstRunTime, QString());
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
