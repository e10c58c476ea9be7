#include "ui/app/ChineseQt.h"
#include "ui/app/MDIMain.h"
#include "ui/auxiliary/AuxiliaryWindows.h"

#include "core/maintenance/Backup.h"
#include "core/maintenance/ServerCopy.h"
#include "core/maintenance/Workbook.h"
#include "core/settings/Settings.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/ProgramFolder.h"
#include "core/store/ServerAddress.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTranslator>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <termios.h>
#include <unistd.h>

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

// A password typed at the terminal without showing it, or one line of a
// script's standard input.
QString ReadPassword(const QString& prompt)
{
    const bool terminal = isatty(STDIN_FILENO);
    termios before{};
    if (terminal) {
        std::fprintf(stderr, "%s", prompt.toLocal8Bit().constData());
        std::fflush(stderr);
        tcgetattr(STDIN_FILENO, &before);
        termios quiet = before;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    std::getline(std::cin, line);
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &before);
        std::fprintf(stderr, "\n");
    }
    return QString::fromLocal8Bit(line).trimmed();
}

// What the command line asks for; exit code 2 and a message on standard
// error for what it cannot mean, before any window.
struct CommandLine
{
    QString home, backup, exportFolder, importFile, database, copyTo, copyFrom;
};

// The command line's own words, in the language of the user's locale.
QString Tr(const char* text)
{
    return QCoreApplication::translate("movrnt", text);
}

std::optional<int> ReadCommandLine(int argc, char* argv[], CommandLine& line)
{
    // Qt's translators need an application object: one for the parsing only.
    QCoreApplication app(argc, argv);
    QTranslator own, qt;
    if (own.load(QLocale::system(), QStringLiteral("movrnt"), QStringLiteral("_"),
                 QStringLiteral(":/i18n")))
        QCoreApplication::installTranslator(&own);
    if (qt.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qt);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        Tr("凯络影碟出租管理系统: the counter software of a video-disc rental shop."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  Tr("Shows this help and exits."));
    const QCommandLineOption version(QStringLiteral("version"), Tr("Shows the version and exits."));
    const QCommandLineOption home(
        QStringLiteral("home"),
        Tr("Uses DIR as the program folder: the database MOVRNT.db, the covers in Pictures, the "
           "help page and "
           "the tips. Without it the program's own folder is used when it may write there, else "
           "~/.local/share/movrnt."),
        QStringLiteral("DIR"));
    const QCommandLineOption backup(
        QStringLiteral("backup"),
        Tr("Writes a consistent copy of the database to FOLDER/MOVRNT.db and exits."),
        QStringLiteral("FOLDER"));
    const QCommandLineOption exportXlsx(QStringLiteral("export-xlsx"),
                                        Tr("Writes the discs, rentals, members and ledger to "
                                           "FOLDER/MOVRNT.xlsx (never over an existing "
                                           "file) and exits."),
                                        QStringLiteral("FOLDER"));
    const QCommandLineOption import(QStringLiteral("import"),
                                    Tr("REPLACES the whole shop (discs, rentals, members and "
                                       "ledger) with a workbook's sheets, once "
                                       "every row is checked, and exits."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption database(
        QStringLiteral("database"),
        Tr("Runs the counter on the shop's database on a PostgreSQL server, named by a libpq URL "
           "(postgresql://user@host:port/dbname); the password comes from ~/.pgpass or PGPASSFILE, "
           "or "
           "is typed at the logon, never from the URL."),
        QStringLiteral("URL"));
    const QCommandLineOption copyTo(QStringLiteral("copy-to"),
                                    Tr("Copies the shop's database file into the empty database at "
                                       "URL on a PostgreSQL server, in one "
                                       "transaction, asking the owner's password, and exits."),
                                    QStringLiteral("URL"));
    const QCommandLineOption copyFrom(
        QStringLiteral("copy-from"),
        Tr("Copies the shop's database at URL on a PostgreSQL server, with its settings and "
           "covers, into "
           "the program folder's database file (which must hold no shop yet) and exits."),
        QStringLiteral("URL"));
    for (const QCommandLineOption& option :
         {help, version, home, backup, exportXlsx, import, database, copyTo, copyFrom})
        parser.addOption(option);
    // The options every Qt program takes (a session manager restarts us with -session).
    for (const char* name :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
          "qwindowicon", "qwindowtitle", "session", "display", "geometry", "style", "stylesheet"}) {
        QCommandLineOption qtOption(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }
    for (const char* name : {"reverse", "widgetcount"}) {
        QCommandLineOption qtOption(QString::fromLatin1(name));
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "movrnt: %s\n%s\n", parser.errorText().toLocal8Bit().constData(),
                     Tr("Try 'movrnt --help'.").toLocal8Bit().constData());
        return 2;
    }
    if (parser.isSet(help)) {
        std::printf("%s", parser.helpText().toLocal8Bit().constData());
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("movrnt %s\n", MOVRNT_VERSION);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "movrnt: %s\n%s\n",
                     Tr("unexpected argument: %1")
                         .arg(parser.positionalArguments().first())
                         .toLocal8Bit()
                         .constData(),
                     Tr("Try 'movrnt --help'.").toLocal8Bit().constData());
        return 2;
    }
    line = {parser.value(home),    parser.value(backup),   parser.value(exportXlsx),
            parser.value(import),  parser.value(database), parser.value(copyTo),
            parser.value(copyFrom)};
    for (const QString& url : {line.database, line.copyTo, line.copyFrom}) {
        if (url.isEmpty())
            continue;
        try {
            ParseServerUrl(url);
        } catch (const MovrntError& error) {
            std::fprintf(stderr, "movrnt: %s\n", error.description().toLocal8Bit().constData());
            return 2;
        }
    }
    if (parser.isSet(database) && (!line.copyTo.isEmpty() || !line.copyFrom.isEmpty())) {
        std::fprintf(
            stderr, "movrnt: %s\n",
            Tr("--copy-to and --copy-from move a shop between its file and a server: not with "
               "--database")
                .toLocal8Bit()
                .constData());
        return 2;
    }
    return std::nullopt;
}
} // namespace

int main(int argc, char* argv[])
{
    CommandLine line;
    if (const std::optional<int> exitCode = ReadCommandLine(argc, argv, line))
        return *exitCode;
    const QString& home = line.home;
    const QString& backup = line.backup;
    const QString& exportFolder = line.exportFolder;
    const QString& importFile = line.importFile;
    if (!home.isEmpty() && !QDir(home).exists()) {
        std::fprintf(stderr, "movrnt: the folder given with --home does not exist: %s\n",
                     home.toLocal8Bit().constData());
        return 2;
    }
    // movrnt [--home DIR | --database URL] --backup FOLDER: the backup window's consistent copy.
    if (!backup.isEmpty())
        return WithoutWindow(
            argc, argv, home,
            "备份数据库时发生错误！可能是由于当前工作数据库被写保护或备份路径有误！"
            "备份操作失败！",
            [&backup, &line] {
                SetShopLocation(line.database);
                BackupShop(ShopLocation(), BackupPathIn(backup));
            });
    // movrnt --home DIR --copy-to URL: the shop moved onto a server.
    if (!line.copyTo.isEmpty())
        return WithoutWindow(
            argc, argv, home, "复制数据库到数据库服务器时发生错误！服务器上的数据库没有任何改变。",
            [&line] {
                // The owner's own password goes with the shop: he logs on by it there.
                const QString owner = OwnerToCopy(DatabasePath());
                const QString password =
                    owner.isEmpty() ? QString()
                                    : ReadPassword(QStringLiteral("店主（%1）的密码：").arg(owner));
                CopyShopToServer(DatabasePath(), line.copyTo, password);
            });
    // movrnt --home DIR --copy-from URL: and back into the file.
    if (!line.copyFrom.isEmpty())
        return WithoutWindow(argc, argv, home,
                             "从数据库服务器复制数据库时发生错误！数据库文件没有任何改变。",
                             [&line] { MoveShopFromServer(line.copyFrom, DatabasePath()); });
    // movrnt --home DIR --export-xlsx FOLDER: the exchange window's workbook.
    if (!exportFolder.isEmpty())
        return WithoutWindow(argc, argv, home,
                             "数据导出失败！可能是由于路径错误、该文件夹中已有同名的Excel文件或文件"
                             "被写保护造成！",
                             [&exportFolder, &line] {
                                 SetShopLocation(line.database);
                                 ExportShopWorkbook(ShopLocation(), WorkbookPathIn(exportFolder));
                             });
    // movrnt --home DIR --import FILE: the exchange window's import, .xlsx or .xls.
    if (!importFile.isEmpty())
        return WithoutWindow(
            argc, argv, home, "导入数据过程中出错！可能是由于路径错误或文件错误造成！",
            [&importFile, &line] {
                SetShopLocation(line.database);
                const LevelRule rules = MemberLevelRule();
                const ImportSummary summary = ImportShopWorkbook(
                    ShopLocation(), importFile, rules.rentalsPerLevel, rules.levels);
                std::printf("数据导入成功！影碟 %lld 张，租借记录 %lld 条，会员 %lld 位；"
                            "修正出租标记 %lld 张，提高已借盘数 %lld 位。\n",
                            summary.discs, summary.rentals, summary.members, summary.flagsRepaired,
                            summary.countsRaised);
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
    // The command line's server, or the one this counter's settings chose.
    SetShopLocation(line.database.isEmpty() ? GetSetting(Setting::Database) : line.database);
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
    if (!window.runStartup())
        return 1;
    window.showMaximized();
    return app.exec();
}
