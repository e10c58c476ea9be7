#include "app/ChineseQt.h"
#include "app/MDIMain.h"
#include "auxiliary/AuxiliaryWindows.h"

#include "maintenance/Backup.h"
#include "maintenance/Workbook.h"
#include "settings/Settings.h"
#include "store/Database.h"
#include "store/Errors.h"
#include "store/ProgramFolder.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QIcon>
#include <QStandardPaths>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {
// A plain Linux console has no display: say how to start the program instead
// of letting the platform plugin fail with its own message.
bool DisplayAvailable()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// --home DIR, or the binary's folder, or for an installed program the user's
// data folder, made from the files installed under share/movrnt.
bool UseProgramFolder(const QString& home)
{
    const QString binary = QCoreApplication::applicationDirPath();
    if (!home.isEmpty()) {
        SetProgramFolder(home);
        FurnishHomeFolder(home, binary, binary + QStringLiteral("/../share/movrnt"));
        return true;
    }
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString folder =
        DefaultProgramFolder(binary, binary + QStringLiteral("/../share/movrnt"), data);
    if (folder.isEmpty()) {
        std::fprintf(stderr, "movrnt: cannot make the data folder %s\n",
                     data.toLocal8Bit().constData());
        return false;
    }
    SetProgramFolder(folder);
    return true;
}

// A job of the windows done with none, for scripts and nightly jobs: it reads
// beside a running counter. The window's failure message goes to stderr.
int WithoutWindow(int argc, char* argv[], const QString& home, const char* failure,
                  const std::function<void()>& job)
{
    QCoreApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("movrnt"));
    if (!UseProgramFolder(home))
        return 2;
    try {
        job();
    } catch (const MovrntError& error) {
        std::fprintf(stderr, "%s\n%s\n", failure, error.description().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
} // namespace

int main(int argc, char* argv[])
{
    QString home, backup, exportFolder, importFile;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--home") == 0 && i + 1 < argc)
            home = QString::fromLocal8Bit(argv[++i]);
        else if (std::strcmp(argv[i], "--backup") == 0 && i + 1 < argc)
            backup = QString::fromLocal8Bit(argv[++i]);
        else if (std::strcmp(argv[i], "--export-xlsx") == 0 && i + 1 < argc)
            exportFolder = QString::fromLocal8Bit(argv[++i]);
        else if (std::strcmp(argv[i], "--import") == 0 && i + 1 < argc)
            importFile = QString::fromLocal8Bit(argv[++i]);
    }
    if (!home.isEmpty() && !QDir(home).exists()) {
        std::fprintf(stderr, "movrnt: the folder given with --home does not exist: %s\n",
                     home.toLocal8Bit().constData());
        return 2;
    }
    // movrnt --home DIR --backup FOLDER: the backup window's consistent copy.
    if (!backup.isEmpty())
        return WithoutWindow(argc, argv, home,
                             "备份数据库时发生错误！可能是由于当前工作数据库被写保护或备份路径有误！"
                             "备份操作失败！",
                             [&backup] { BackupDatabase(BackupPathIn(backup)); });
    // movrnt --home DIR --export-xlsx FOLDER: the exchange window's workbook.
    if (!exportFolder.isEmpty())
        return WithoutWindow(argc, argv, home,
                             "数据导出失败！可能是由于路径错误、该文件夹中已有同名的Excel文件或文件"
                             "被写保护造成！",
                             [&exportFolder] {
                                 ExportWorkbook(DatabasePath(), WorkbookPathIn(exportFolder));
                             });
    // movrnt --home DIR --import FILE: the exchange window's import, .xlsx or .xls.
    if (!importFile.isEmpty())
        return WithoutWindow(
            argc, argv, home, "导入数据过程中出错！可能是由于路径错误或文件错误造成！",
            [&importFile] {
                const LevelRule rules = MemberLevelRule();
                const ImportSummary summary = ImportWorkbook(
                    DatabasePath(), importFile, rules.rentalsPerLevel, rules.levels);
                std::printf("数据导入成功！影碟 %lld 张，租借记录 %lld 条，会员 %lld 位；"
                            "修正出租标记 %lld 张，提高已借盘数 %lld 位。\n",
                            summary.discs, summary.rentals, summary.members,
                            summary.flagsRepaired, summary.countsRaised);
            });
    if (!DisplayAvailable()) {
        std::fprintf(
            stderr,
            "movrnt needs a graphical display, and none was found (DISPLAY is not set).\n"
            "Start it from a desktop session, or on a machine without one under a virtual\n"
            "display:  xvfb-run -a -s \"-screen 0 1280x1024x24\" %s\n",
            argv[0]);
        return 2;
    }
    // The FFmpeg backend plays the MPEG-1 ".dat" files of VCDs.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    PrepareChineseTimes();
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("movrnt"));
    app.setWindowIcon(QIcon(QStringLiteral(":/images/movrnt.png")));
    app.setDesktopFileName(QStringLiteral("movrnt"));
    UseChineseForQt(app);
    if (!home.isEmpty() && !QDir(home).exists()) {
        std::fprintf(stderr, "movrnt: the folder given with --home does not exist: %s\n",
                     home.toLocal8Bit().constData());
        return 2;
    }
    if (!UseProgramFolder(home))
        return 2;
    // The splash first; the main window's start-up runs once it is gone.
    {
        FormSplash splash;
        QEventLoop wait;
        QObject::connect(&splash, &FormSplash::closed, &wait, &QEventLoop::quit);
        splash.show();
        splash.activateWindow();
        wait.exec();
    }
    MDIMain window;
    if (!window.RunStartup())
        return 1;
    window.showMaximized();
    return app.exec();
}
