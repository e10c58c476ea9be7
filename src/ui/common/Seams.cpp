#include "Seams.h"

#include <QDesktopServices>
#include <QDialog>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>

#include <X11/XKBlib.h>

ShellSeams& Seams()
{
    static ShellSeams seams;
    return seams;
}

QSize ScreenSize()
{
    if (Seams().screenSize)
        return Seams().screenSize();
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize();
}

bool SwitchDisplay(QSize size)
{
    if (Seams().switchDisplay)
        return Seams().switchDisplay(size);
    // The mode lasts until the user or the system changes it; nothing is stored.
    const QString xrandr = QStandardPaths::findExecutable(QStringLiteral("xrandr"));
    if (xrandr.isEmpty())
        return false;
    const QString mode = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
    return QProcess::execute(xrandr, {QStringLiteral("-s"), mode}) == 0;
}

bool CapsLockOn()
{
    if (Seams().capsLock)
        return Seams().capsLock();
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display())
        return false;
    // The locked Lock modifier is what Caps Lock sets, light or no light.
    XkbStateRec state;
    if (XkbGetState(x11->display(), XkbUseCoreKbd, &state) != Success)
        return false;
    return (state.locked_mods & LockMask) != 0;
}

int ExecModal(QDialog& dialog)
{
    if (Seams().execDialog)
        return Seams().execDialog(dialog);
    return dialog.exec();
}

bool OpenUrl(const QUrl& address)
{
    if (Seams().openUrl)
        return Seams().openUrl(address);
    return QDesktopServices::openUrl(address);
}

bool StartProgram(const QString& program)
{
    if (Seams().startProgram)
        return Seams().startProgram(program);
    return QProcess::startDetached(program, {});
}
