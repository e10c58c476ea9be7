#pragma once

#include <QObject>
#include <functional>

class QKeyEvent;
class QMdiArea;
class QMenu;
class ScannerCapture;

// What the main window hears from every widget of the application: a child
// window's own mnemonics before the menu bar's, the pop-up menu over the
// empty client area, a scanner's bursts and the Caps Lock key.
class MainInput : public QObject
{
    Q_OBJECT
public:
    // `capsLockPressed` is called on each press of Caps Lock.
    MainInput(QMdiArea* area, QMenu* popup, std::function<void()> capsLockPressed, QObject* parent);
    // The scanner's bursts are taken from now on (the shop is open).
    void setScanner(ScannerCapture* scanner) { scanner_ = scanner; }
    // The button or box a mnemonic of the active child window names, while
    // the focus is in it; null otherwise.
    QWidget* childMnemonic(const QKeyEvent* key) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMdiArea* area_;
    QMenu* popup_;
    std::function<void()> capsLockPressed_;
    ScannerCapture* scanner_ = nullptr;
};
