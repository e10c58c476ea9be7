#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

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
