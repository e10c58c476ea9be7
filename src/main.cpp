#include "app/MDIMain.h"

#include "maintenance/Backup.h"
#include "store/Errors.h"
#include "store/ProgramFolder.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <cstring>

namespace {
// A plain Linux console has no display: say how to start the program instead
// of letting the platform plugin fail with its own message.
bool DisplayAvailable()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// movrnt --home DIR --backup FOLDER: the same consistent backup as the backup
// window, with no window, for a nightly job; it reads beside a running counter.
int BackupWithoutWindow(int argc, char* argv[], const QString& home, const QString& folder)
{
    QCoreApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("movrnt"));
    SetProgramFolder(home.isEmpty() ? QCoreApplication::applicationDirPath() : home);
    try {
        BackupDatabase(BackupPathIn(folder));
    } catch (const MovrntError& error) {
        std::fprintf(
            stderr, "%s\n%s\n",
            "备份数据库时发生错误！可能是由于当前工作数据库被写保护或备份路径有误！备份操作"
            "失败！",
            error.description().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
} // namespace

int main(int argc, char* argv[])
{
    QString home, backup;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--home") == 0 && i + 1 < argc)
            home = QString::fromLocal8Bit(argv[++i]);
        else if (std::strcmp(argv[i], "--backup") == 0 && i + 1 < argc)
            backup = QString::fromLocal8Bit(argv[++i]);
    }
    if (!home.isEmpty() && !QDir(home).exists()) {
        std::fprintf(stderr, "movrnt: the folder given with --home does not exist: %s\n",
                     home.toLocal8Bit().constData());
        return 2;
    }
    if (!backup.isEmpty())
        return BackupWithoutWindow(argc, argv, home, backup);
    if (!DisplayAvailable()) {
        std::fprintf(
            stderr,
            "movrnt needs a graphical display, and none was found (DISPLAY is not set).\n"
            "Start it from a desktop session, or on a machine without one under a virtual\n"
            "display:  xvfb-run -a -s \"-screen 0 1280x1024x24\" %s\n",
            argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("movrnt"));
    // The platform's own dialogs (colours, files, print preview) in Chinese too.
    QTranslator qtChinese;
    if (qtChinese.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtChinese);
    if (!home.isEmpty()) {
        if (!QDir(home).exists()) {
            std::fprintf(stderr, "movrnt: the folder given with --home does not exist: %s\n",
                         home.toLocal8Bit().constData());
            return 2;
        }
        SetProgramFolder(home);
    } else {
        SetProgramFolder(QCoreApplication::applicationDirPath());
    }
    MDIMain window;
    if (!window.RunStartup())
        return 1;
    window.showMaximized();
    return app.exec();
}
