#pragma once

#include "Commands.h"
#include "Navigator.h"

#include "core/store/Database.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QUrl>
#include <map>
#include <memory>

class AutoBackup;
class MainInput;
class QKeyEvent;
class QMenu;
class QToolBar;
class ScannerCapture;
class Shop;
class SingleInstance;
class StatusPanels;

// The main window: the menus, the toolbar, the pop-up menu and the area the
// child windows stand in. It owns the shop the program works on, the status
// panels, the automatic backup and the scanner's capture.
class QThread;

class MDIMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit MDIMain(QWidget* parent = nullptr);
    ~MDIMain() override;

    // The start-up sequence. False means the program must end.
    bool runStartup();
    // Start-up: the lock that keeps a second instance out, held for the run,
    // and the shop's database, opened (an older file brought up to date).
    void keepInstanceLock(std::unique_ptr<SingleInstance> lock);
    void openShop(const UpgradeProgress& progress);
    // A file's members' money checked against its ledger, in the background:
    // what disagrees is said on the status bar (a server refuses it at once).
    void checkLedger();

    // Status bar: panel 2 (what is running), panels 3 and 4 (counts), panel 6 (logon mode).
    void setStatusText(const QString& text);
    void updateUserPanel();
    QString panelText(int panel) const;
    StatusPanels* panels() const { return panels_; }
    void setCapsLock(bool on);

    // Runs a command of the menus, toolbar or pop-up menu: the guest gate
    // first where the command changes data, then its window.
    void runCommand(Command command);
    bool isCommandAvailable(Command command) const;
    // The toolbar dispatches on the button's position, 1 to 7.
    void onToolbar1ButtonClick(int position);

    AutoBackup* backup() const { return backup_; }
    // The shop the program works on; open from the start-up on.
    Shop& shop() const { return *shop_; }
    // The shared web page window with a caption and a page.
    void showWebPage(const QString& caption, const QUrl& address);

    QMdiArea* mdiArea() const { return mdiArea_; }
    QMenu* popupMenu() const { return mnuPop_; }

    // Each child window exists once: an open one is brought to the front.
    // A window that declares a gate (kGate) stands behind it whichever way
    // it is opened: null when refused.
    template <typename W, typename... Args> W* openChild(Args&&... args)
    {
        if constexpr (requires { W::kGate; })
            if (!PassGate(W::kGate))
                return nullptr;
        for (QMdiSubWindow* sub : mdiArea_->subWindowList()) {
            if (auto* existing = qobject_cast<W*>(sub->widget())) {
                showChild(sub);
                return existing;
            }
        }
        W* window = nullptr;
        if constexpr (std::is_constructible_v<W, Shop&, Args...>)
            window = new W(*shop_, std::forward<Args>(args)...);
        else
            window = new W(std::forward<Args>(args)...);
        showChild(addChild(window));
        return window;
    }

    // The open instance of a child window, or null.
    template <typename W> W* findWindow() const
    {
        for (QMdiSubWindow* sub : mdiArea_->subWindowList())
            if (auto* window = qobject_cast<W*>(sub->widget()))
                return window;
        return nullptr;
    }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildPopup();
    QAction* addCommandItem(QMenu* menu, Command command);
    QAction* addAlias(QMenu* menu, const char* name, const QString& caption, Command command);
    void refreshWindowMenu();
    void updateCommandStates();
    void closeShop();
    QMdiSubWindow* addChild(QWidget* window);
    void showChild(QMdiSubWindow* sub);
    void keepInside(QMdiSubWindow* sub);

    QMdiArea* mdiArea_ = nullptr;
    QMenu* mnuPop_ = nullptr;
    QMenu* mnuCK_ = nullptr;
    QAction* windowListSeparator_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    StatusPanels* panels_ = nullptr;
    AutoBackup* backup_ = nullptr;
    std::unique_ptr<ScannerCapture> scanner_;
    MainInput* input_ = nullptr;
    std::map<Command, QList<QAction*>> actions_;
    std::unique_ptr<SingleInstance> instance_;
    std::unique_ptr<Shop> shop_;
    std::unique_ptr<QThread> ledgerCheck_;
    std::atomic_bool stopLedgerCheck_{false};
    bool capsOn_ = false;
};
