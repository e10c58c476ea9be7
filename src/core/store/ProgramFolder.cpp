#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace {
QString programFolder;
}

QString ProgramFolder()
{
    if (programFolder.isEmpty() && QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return programFolder;
}

void SetProgramFolder(const QString& folder)
{
    programFolder = QDir::cleanPath(QDir(folder).absolutePath());
}

QString JoinPath(const QString& folder, const QString& name)
{
    if (folder.isEmpty())
        return name;
    if (folder.endsWith(u'/') || folder.endsWith(u'\\'))
        return folder + name;
    return folder + u'/' + name;
}

bool KeepPrivate(const QString& path, bool folder)
{
    const QFile::Permissions owner =
        QFile::ReadOwner | QFile::WriteOwner | (folder ? QFile::ExeOwner : QFile::Permissions());
    return QFile::setPermissions(path, owner);
}

namespace {
// Copies what `names` lists (everything when empty) from one folder to
// another, never over a file there.
void CopyMissing(const QString& from, const QString& to, const QStringList& names = {})
{
    for (const QString& name : names.isEmpty() ? QDir(from).entryList(QDir::Files) : names) {
        const QString source = JoinPath(from, name), target = JoinPath(to, name);
        if (QFile::exists(target) || !QFile::exists(source))
            continue;
        // Copied under another name first: a half-copied database never looks complete.
        const QString partial = target + QStringLiteral(".part");
        QFile::remove(partial);
        if (QFile::copy(source, partial)) {
            if (name.endsWith(QLatin1String(".db")))
                KeepPrivate(partial, false);
            else
                QFile::setPermissions(partial, QFile::ReadOwner | QFile::WriteOwner |
                                                   QFile::ReadGroup | QFile::ReadOther);
            QFile::rename(partial, target);
        }
    }
}
} // namespace

void FurnishHomeFolder(const QString& home, const QString& binaryFolder, const QString& installed)
{
    const QString delivered =
        QFileInfo::exists(JoinPath(installed, kHelpPageName)) ? installed : binaryFolder;
    if (QFileInfo(delivered).canonicalFilePath() != QFileInfo(home).canonicalFilePath())
        CopyMissing(delivered, home, {kHelpPageName, kTipFileName});
}

QString DefaultProgramFolder(const QString& binaryFolder, const QString& installed,
                             const QString& dataFolder)
{
    // An installed program (its files under share/) keeps nothing beside its
    // binary, even where it could write (root in /usr/bin).
    const bool isInstalled = QFileInfo::exists(JoinPath(installed, QStringLiteral("MOVRNT.db")));
    // access() and not the permission bits: root cannot write a read-only mount either.
    if (!isInstalled && ::access(QFile::encodeName(binaryFolder).constData(), W_OK) == 0)
        return binaryFolder;
    const bool made = !QFileInfo::exists(dataFolder);
    if (!QDir().mkpath(dataFolder))
        return {};
    if (made)
        KeepPrivate(dataFolder, true);
    CopyMissing(installed, dataFolder);
    return dataFolder;
}
