#include "app/MDIMain.h"

#include "store/ProgramFolder.h"

#include <QApplication>
#include <QDir>
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
} // namespace

int main(int argc, char* argv[])
{
    QString home;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--home") == 0 && i + 1 < argc)
            home = QString::fromLocal8Bit(argv[++i]);
    }
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
