#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class Shop;
class QComboBox;
class QLabel;
class QWidget;

// Shows a running text in the status bar (and the hourglass, when asked) for
// as long as it lives; "就绪" comes back on every path out.
class BusyStatus
{
public:
    explicit BusyStatus(const QString& text, bool hourglass = false);
    ~BusyStatus();
    BusyStatus(const BusyStatus&) = delete;
    BusyStatus& operator=(const BusyStatus&) = delete;
    // "就绪" and the pointer back now, for the paths that say so before their
    // last message.
    void done();

private:
    bool hourglass_;
    bool done_ = false;
};

// A notice with only 确定 and the title "用户提示".
void Notice(const QString& text);
// A notice, then the focus back to the field the user must correct.
void Refuse(const QString& text, QWidget* focus);
// 是/否 question; true on 是.
bool Ask(const QString& text, const QString& title = QStringLiteral("用户提示"));

// Closes a window, whether it stands in the main window or on its own.
void CloseWindow(QWidget* window);

void FillCombo(QComboBox* combo, const QStringList& items);

// A picture file in a picture box; the "no cover" placeholder when it cannot be read.
bool ShowPicture(QLabel* box, const QString& path);
void ShowPlaceholder(QLabel* box);

// The message panel of the main window: what BusyStatus writes to. The main
// window sets it while it lives.
void SetStatusSink(std::function<void(const QString&)> sink);
void ShowStatus(const QString& text);

// Calls `refresh` once the shop's rentals, members or whole database changed
// (here or at another counter), at most once every `ms` milliseconds, so that
// a window of figures follows the shop with all of its numbers at once.
void RefreshOnShopChanges(Shop& shop, QWidget* window, const std::function<void()>& refresh,
                          int ms = 2000);
