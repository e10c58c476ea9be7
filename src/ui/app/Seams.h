#pragma once

#include <QSize>
#include <functional>

class QDialog;

// What the shell asks of the platform, replaceable in tests.
struct ShellSeams
{
    std::function<QSize()> screenSize;         // the primary screen in pixels
    std::function<bool(QSize)> switchDisplay;  // change the display mode for this session
    std::function<int(QDialog&)> execDialog;   // run a modal dialog
};
ShellSeams& Seams();

QSize ScreenSize();
bool SwitchDisplay(QSize size);
int ExecModal(QDialog& dialog);
