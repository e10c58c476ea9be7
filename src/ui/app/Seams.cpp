#include "Seams.h"

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
    unsigned int lights = 0;
    if (XkbGetIndicatorState(x11->display(), XkbUseCoreKbd, &lights) != Success)
        return false;
    return (lights & 1u) != 0; // the first indicator is Caps Lock
}

int ExecModal(QDialog& dialog)
{
    if (Seams().execDialog)
        return Seams().execDialog(dialog);
    return dialog.exec();
}
