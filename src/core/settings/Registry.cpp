#include "Registry.h"

#include "core/store/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <optional>

QString SettingsFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base.isEmpty() ? QString() : base + QStringLiteral("/movrnt");
}

namespace {
const char* const kRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_CONFIG", "HKEY_CURRENT_USER",
                              "HKEY_DYN_DATA",     "HKEY_LOCAL_MACHINE",  "HKEY_PERFORMANCE_DATA",
                              "HKEY_USERS"};
const QString kValuesGroup = QStringLiteral("Values");

RegeditValStr::WriteObserver writeObserver;

// The file that holds a key, or nothing when the root or path is not acceptable.
std::optional<QString> KeyFile(const QString& root, const QString& path)
{
    bool knownRoot = false;
    for (const char* candidate : kRoots)
        knownRoot = knownRoot || root == QLatin1String(candidate);
    if (!knownRoot)
        return std::nullopt;
    QStringList parts;
    for (const QString& part : path.split(u'\\', Qt::SkipEmptyParts)) {
        // Key names are case-insensitive; a part must not step out of the store.
        if (part == u"." || part == u".." || part.contains(u'/'))
            return std::nullopt;
        parts << part.toLower();
    }
    if (parts.isEmpty())
        return std::nullopt;
    if (SettingsFolder().isEmpty())
        return std::nullopt;
    return SettingsFolder() + QStringLiteral("/registry/") + root + u'/' + parts.join(u'/') +
           QStringLiteral(".ini");
}

bool ValidName(const QString& name)
{
    // QSettings reads both slashes as group separators.
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(u'\\');
}

QString ValueKey(const QString& name)
{
    return kValuesGroup + u'/' + name;
}
} // namespace

bool RegeditKey::CreateKey(const QString& root, const QString& path) const
{
    try {
        const auto file = KeyFile(root, path);
        if (!file)
            return false;
        if (!QDir().mkpath(QFileInfo(*file).absolutePath()))
            return false;
        // The settings hold the administrator's password hash: the folder
        // (the file is written anew at every save) is the owner's alone.
        KeepPrivate(SettingsFolder(), true);
        QFile key(*file);
        if (!key.open(QIODevice::ReadWrite))
            return false;
        return true;
    } catch (...) {
        return false;
    }
}

bool RegeditKey::DeleteKey(const QString& root, const QString& path) const
{
    try {
        const auto file = KeyFile(root, path);
        return file && QFileInfo::exists(*file) && QFile::remove(*file);
    } catch (...) {
        return false;
    }
}

QString RegeditValStr::GetValue(const QString& root, const QString& path, const QString& name) const
{
    try {
        const auto file = KeyFile(root, path);
        if (!file || !ValidName(name) || !QFileInfo::exists(*file))
            return {};
        const QSettings settings(*file, QSettings::IniFormat);
        if (settings.status() != QSettings::NoError)
            return {};
        const QVariant value = settings.value(ValueKey(name));
        if (value.typeId() != QMetaType::QString)
            return {};
        QString text = value.toString();
        const qsizetype nul = text.indexOf(QChar(u'\0'));
        if (nul >= 0)
            text.truncate(nul);
        if (text.toUtf8().size() > 254)
            return {};
        return text;
    } catch (...) {
        return {};
    }
}

bool RegeditValStr::SetValue(const QString& root, const QString& path, const QString& name,
                             const QString& text) const
{
    try {
        const auto file = KeyFile(root, path);
        if (!file || !ValidName(name) || !QFileInfo::exists(*file))
            return false;
        {
            QSettings settings(*file, QSettings::IniFormat);
            settings.setValue(ValueKey(name), text);
            settings.sync();
            if (settings.status() != QSettings::NoError)
                return false;
        }
        if (writeObserver)
            writeObserver(name, text);
        return true;
    } catch (...) {
        return false;
    }
}

bool RegeditValStr::DeleteValue(const QString& root, const QString& path, const QString& name) const
{
    try {
        const auto file = KeyFile(root, path);
        if (!file || !ValidName(name) || !QFileInfo::exists(*file))
            return false;
        QSettings settings(*file, QSettings::IniFormat);
        if (settings.value(ValueKey(name)).typeId() != QMetaType::QString)
            return false;
        settings.remove(ValueKey(name));
        settings.sync();
        return settings.status() == QSettings::NoError;
    } catch (...) {
        return false;
    }
}

void RegeditValStr::SetWriteObserver(WriteObserver observer)
{
    writeObserver = std::move(observer);
}
