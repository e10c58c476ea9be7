#pragma once

#include <QSize>
#include <QString>
#include <QUrl>
#include <functional>

class QDialog;

// What the shell asks of the platform, replaceable in tests.
struct ShellSeams
{
    std::function<QSize()> screenSize;        // the primary screen in pixels
    std::function<bool(QSize)> switchDisplay; // change the display mode for this session
    std::function<int(QDialog&)> execDialog;  // run a modal dialog
    std::function<QString(const QString& title, const QString& pattern)> openFile; // file chooser
    std::function<QString(const QString& title, const QString& pattern, const QString& suggested)>
        saveFile; // save chooser
    std::function<int()> chooseColor; // the colour chooser: -1 when cancelled
    std::function<bool()> capsLock;   // the keyboard's Caps Lock light
    std::function<bool(const QUrl&)> openUrl;          // the desktop's browser or mail program
    std::function<bool(const QString&)> startProgram; // another program, left running
};
ShellSeams& Seams();

QSize ScreenSize();
bool SwitchDisplay(QSize size);
int ExecModal(QDialog& dialog);
// False where the platform cannot tell (no X server).
bool CapsLockOn();
// False when the desktop could not open it.
bool OpenUrl(const QUrl& address);
bool StartProgram(const QString& program);
