#pragma once

#include "core/rentals/Scanning.h"

#include <QElapsedTimer>

class Shop;
class QKeyEvent;
class QWidget;

// A barcode scanned while no entry box of the main window has the focus
// opens 添加租借信息 with the disc's or the member's number in its box; in
// an entry box the scanner simply types.
class ScannerCapture
{
public:
    explicit ScannerCapture(Shop& shop, QWidget* window);
    // Sees every key pressed in the window; true when it ended a scan, which
    // has then been acted on.
    bool take(const QKeyEvent* key);

private:
    Shop& shop_;
    QWidget* window_;
    ScanBurst burst_;
    QElapsedTimer clock_;
};
