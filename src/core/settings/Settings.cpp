#include "Settings.h"
#include "core/store/Shop.h"

#include "Registry.h"
#include "core/store/Database.h"
#include "core/store/Engine.h"
#include "core/store/Errors.h"
#include "core/store/Numbers.h"

#include <QMutex>
#include <QSettings>
#include <QStandardPaths>
#include <QSysInfo>
#include <QUuid>
#include <cmath>

namespace {
struct SettingInfo
{
    Setting setting;
    const char16_t* name;
    const char16_t* defaultValue;
};

const SettingInfo kSettings[] = {
    {Setting::FirstRunTime, u"FirstRunTime", u""},
    {Setting::InstallTime, u"InstallTime", u""},
    {Setting::UserName, u"UserName", u""},
    {Setting::Password, u"Password", u""},
    {Setting::GuestLogon, u"GuestLogon", u""},
    {Setting::SetDisplayRes, u"SetDisplayRes", u""},
    {Setting::HYDJ, u"HYDJ", u"3"},
    {Setting::FJZJ, u"FJZJ", u"10"},
    {Setting::PresetYJJE, u"PresetYJJE", u""},
    {Setting::YJJEVCD, u"YJJEVCD", u"10"},
    {Setting::YJJEDVD, u"YJJEDVD", u"20"},
    {Setting::VCD, u"VCD", u""},
    {Setting::DVD, u"DVD", u""},
    {Setting::AutoAlert, u"AutoAlert", u""},
    {Setting::Alertdays, u"Alertdays", u"7"},
    {Setting::AutoBackup, u"AutoBackup", u""},
    {Setting::AutoBackupTime, u"AutoBackupTime", u"30"},
    {Setting::AutoBackupPath, u"AutoBackupPath", u""},
    {Setting::ReceiptPaper, u"ReceiptPaper", u""},
    {Setting::ShopName, u"ShopName", u""},
    {Setting::Database, u"Database", u""},
    {Setting::CounterName, u"CounterName", u""},
    {Setting::SupportAddress, u"SupportAddress", u""},
    {Setting::TillId, u"TillId", u""},
    {Setting::LateFee, u"LateFee", u"0"},
    {Setting::LabelSheet, u"LabelSheet", u""},
    {Setting::PCVCD, u"PCVCD", u"30"},
    {Setting::PCDVD, u"PCDVD", u"50"},
    {Setting::YYTS, u"YYTS", u"3"},
};

const SettingInfo& Info(Setting setting)
{
    for (const SettingInfo& info : kSettings)
        if (info.setting == setting)
            return info;
    return kSettings[0]; // unreachable: every enumerator is in the table
}

// Per-user settings file, found afresh each time so XDG_CONFIG_HOME is honoured.
QString UserOptionsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/movrnt.ini");
}
const QString kTipsKey = QStringLiteral("Options/Show Tips at Startup");

// Kept in the shop where the shop keeps its shop-wide settings.
bool InShop(Setting setting)
{
    return ShopWideSetting(setting) && ChosenEngine().keepsShopSettings();
}
} // namespace

bool ShopWideSetting(Setting setting)
{
    switch (setting) {
    case Setting::Password:
    case Setting::GuestLogon:
    case Setting::HYDJ:
    case Setting::FJZJ:
    case Setting::PresetYJJE:
    case Setting::YJJEVCD:
    case Setting::YJJEDVD:
    case Setting::VCD:
    case Setting::DVD:
    case Setting::AutoAlert:
    case Setting::Alertdays:
    case Setting::LateFee:
    case Setting::PCVCD:
    case Setting::PCDVD:
    case Setting::YYTS:
    case Setting::SupportAddress:
        return true;
    default:
        return false;
    }
}

QList<Setting> ShopWideSettings()
{
    QList<Setting> settings;
    for (const SettingInfo& info : kSettings)
        if (ShopWideSetting(info.setting))
            settings << info.setting;
    return settings;
}

QString SettingName(Setting setting)
{
    return QString::fromUtf16(Info(setting).name);
}

QString SettingDefault(Setting setting)
{
    return QString::fromUtf16(Info(setting).defaultValue);
}

QString GetSetting(Setting setting)
{
    if (InShop(setting))
        return ChosenEngine().shopSetting(SettingName(setting));
    return Registry().ValStr().GetValue(kSettingsRoot, kSettingsPath, SettingName(setting));
}

bool SetSetting(Setting setting, const QString& text)
{
    if (InShop(setting))
        return ChosenEngine().setShopSetting(SettingName(setting), text);
    return Registry().ValStr().SetValue(kSettingsRoot, kSettingsPath, SettingName(setting), text);
}

bool CreateSettingsKey()
{
    return Registry().Key().CreateKey(kSettingsRoot, kSettingsPath);
}

int ShowTipsAtStartup()
{
    const QSettings options(UserOptionsFile(), QSettings::IniFormat);
    bool ok = false;
    const int value = options.value(kTipsKey, 1).toInt(&ok);
    return ok ? value : 1;
}

void SetShowTipsAtStartup(int value)
{
    QSettings options(UserOptionsFile(), QSettings::IniFormat);
    options.setValue(kTipsKey, value);
}

qint64 WholeSetting(Setting setting)
{
    QString text = GetSetting(setting);
    if (text.isEmpty())
        text = SettingDefault(setting);
    if (!IsNumeric(text))
        throw MovrntError(
            QStringLiteral("功能参数 %1 不是数字：%2").arg(SettingName(setting), text),
            QStringLiteral("Settings"));
    return qint64(std::floor(NumberValue(text)));
}

LevelRule MemberLevelRule()
{
    return {WholeSetting(Setting::FJZJ), WholeSetting(Setting::HYDJ)};
}

QString CounterName()
{
    const QString name = GetSetting(Setting::CounterName).trimmed();
    if (!name.isEmpty())
        return name;
    const QString host = QSysInfo::machineHostName();
    return host.isEmpty() ? QStringLiteral("柜台") : host;
}

QString TillId()
{
    // Asked for by every ledger line, within its transaction: read once for
    // each settings folder (a test's own folder is another PC).
    static QMutex mutex;
    static QString folder, cached;
    const QMutexLocker lock(&mutex);
    const QString here = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (here == folder && !cached.isEmpty())
        return cached;
    const QString kept = GetSetting(Setting::TillId);
    if (!kept.isEmpty()) {
        folder = here;
        cached = kept;
        return kept;
    }
    const QString made = QUuid::createUuid().toString(QUuid::WithoutBraces);
    // A till that cannot be kept would count as a new one at every line.
    if (!SetSetting(Setting::TillId, made))
        return QStringLiteral(""); // never NULL
    folder = here;
    cached = made;
    return made;
}
