#pragma once

#include <QList>
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
    Database,       // the shop's server (a postgresql:// URL); empty: the database file
    CounterName,    // 柜台名称: this PC's name on the ledger's lines; empty: the host name
    SupportAddress, // where the error report asks to send it; empty: the program's own
    TillId,         // this PC's till on the ledger's lines: a UUID made at its first start
    LateFee,    // 超期罚金: yuan a day a member's disc is out beyond Alertdays; 0 charges none
    LabelSheet, // this PC's barcode labels: "A4 rows columns margin" or "roll width height" (mm)
    PCVCD,      // 赔偿: yuan charged for a VCD lost or damaged, unless the clerk types another
    PCDVD,      // the same for a DVD
    YYTS,       // 预约: days a disc that came back is held for the member who reserved it
};

inline const QString kSettingsRoot = QStringLiteral("HKEY_LOCAL_MACHINE");
inline const QString kSettingsPath = QStringLiteral("software\\kavelion\\movrnt");

// The value's name in the store.
QString SettingName(Setting setting);
// The value written at the first run, or what a dialog shows while the value
// is absent; empty when there is none.
QString SettingDefault(Setting setting);

// What the whole shop shares (prices, levels, deposits, the alert, the
// logon): kept in the shop's database when it is on a server, so that every
// counter charges alike; the rest belongs to one PC and stays local.
bool ShopWideSetting(Setting setting);
QList<Setting> ShopWideSettings();

// The stored text; empty when absent.
QString GetSetting(Setting setting);
// False when the key does not exist yet or the write fails.
bool SetSetting(Setting setting, const QString& text);
// A setting that must hold a number, as a whole number (rounded down); its
// default while it is absent (a first run that never happened, as before a
// headless import). Throws MovrntError when it holds something else.
qint64 WholeSetting(Setting setting);

// The members' level rule of the function parameters: a level for every
// `rentalsPerLevel` rentals, at most `levels`.
struct LevelRule
{
    qint64 rentalsPerLevel = 10;
    qint64 levels = 3;
};
// The rule as the settings hold it (FJZJ, HYDJ). Throws MovrntError.
LevelRule MemberLevelRule();
bool CreateSettingsKey();

// The name this counter signs the ledger's lines with: CounterName, else
// the PC's host name.
QString CounterName();
// The till this PC's lines are counted in: TillId, made (and kept) the first
// time it is asked for. Empty (never null) only when it cannot be kept.
QString TillId();

// Per-user "Options" / "Show Tips at Startup": 1 shows the tip of the day at
// start, 0 does not; 1 when absent.
int ShowTipsAtStartup();
void SetShowTipsAtStartup(int value);
