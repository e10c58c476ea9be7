#pragma once

#include <QSize>
#include <QString>

// The settings have been set up by an earlier run.
bool IsFirstRun();

// Creates the settings key and writes the first-run values, in order:
// FirstRunTime, InstallTime, HYDJ, FJZJ.
void PerformFirstRunSetup();
// The next start is a first run again (the shop could not be opened).
void UndoFirstRunSetup();

enum class DisplayVerdict
{
    TooSmall,    // below 800 x 600: the program cannot run
    OfferSwitch, // suggest switching to 1024 x 768
    Fine,
};
DisplayVerdict CheckDisplay(QSize screen, bool firstRun, const QString& setDisplayRes);

// "凯络影碟出租管理系统 - " + the user name, or "（无名用户）" when there is none.
QString MainCaption(const QString& userName);
