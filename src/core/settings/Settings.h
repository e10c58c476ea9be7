#pragma once

#include <QString>

// Every value the program keeps under its settings key.
enum class Setting
{
    FirstRunTime,
    InstallTime,
    UserName,
    Password,
    GuestLogon,
    SetDisplayRes,
    HYDJ,
    FJZJ,
    PresetYJJE,
    YJJEVCD,
    YJJEDVD,
    VCD,
    DVD,
    AutoAlert,
    Alertdays,
    AutoBackup,
    AutoBackupTime,
    AutoBackupPath,
    ReceiptPaper, // "58" or "80" (millimetres) prints slips; empty prints none
    ShopName,
};

inline const QString kSettingsRoot = QStringLiteral("HKEY_LOCAL_MACHINE");
inline const QString kSettingsPath = QStringLiteral("software\\kavelion\\movrnt");

// The value's name in the store.
QString SettingName(Setting setting);
// The value written at the first run, or what a dialog shows while the value
// is absent; empty when there is none.
QString SettingDefault(Setting setting);

// The stored text; empty when absent.
QString GetSetting(Setting setting);
// False when the key does not exist yet or the write fails.
bool SetSetting(Setting setting, const QString& text);
// A setting that must hold a number, as a whole number (rounded down).
// Throws MovrntError when it holds none.
qint64 WholeSetting(Setting setting);
bool CreateSettingsKey();

// Per-user "Options" / "Show Tips at Startup": 1 shows the tip of the day at
// start, 0 does not; 1 when absent.
int ShowTipsAtStartup();
void SetShowTipsAtStartup(int value);
