#pragma once

#include "Commands.h"

#include "rentals/Scanning.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMainWindow>
#include <QUrl>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <functional>
#include <map>
#include <memory>

class QKeyEvent;
class QLabel;
class QThread;
class QTimer;
class QMenu;
class QToolBar;
class SingleInstance;

// The guest gate in front of every command that changes data: refuses a
// guest with a message. Windows reached from query windows call it too.
bool PassGuestGate();

class MDIMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit MDIMain(QWidget* parent = nullptr);
    ~MDIMain() override;

    // The running main window, for windows that refresh its panels.
    static MDIMain* Instance();

    // The start-up sequence. False means the program must end.
    bool RunStartup();

    // Status bar: panel 2 (what is running), panels 3 and 4 (counts), panel 6 (logon mode).
    void SetStatusText(const QString& text);
    void RefreshDiscCount();
    void RefreshMemberCount();
    void UpdateUserPanel();
    QString PanelText(int panel) const;

    // Runs a command of the menus, toolbar or pop-up menu: the guest gate
    // first where the command changes data, then its window.
    void RunCommand(Command command);
    bool IsCommandAvailable(Command command) const;
    // The toolbar dispatches on the button's position, 1 to 7.
    void onToolbar1ButtonClick(int position);

    // The automatic backup (TimerZDBF): armed from the settings at start-up
    // and after the parameters are saved, stopped while it is off. Each tick
    // copies on a worker thread, so the counter never waits for it.
    void ArmAutoBackup();
    QTimer* AutoBackupTimer() const { return timerZDBF_; }
    void onTimerZDBFTimer();
    // Blocks until a running automatic backup is done (before a restore).
    void WaitForAutoBackup();
    // After the whole database was replaced: the open query windows re-run
    // (disc, rental, member), then the counts.
    void RefreshAfterReplacement();
    // The shared web page window with a caption and a page.
    void ShowWebPage(const QString& caption, const QUrl& address);

    QMdiArea* MdiArea() const { return mdiArea_; }
    QMenu* PopupMenu() const { return mnuPop_; }

    // Each child window exists once: an open one is brought to the front.
    // A window that changes data (one that declares kChangesData) stands
    // behind the guest gate whichever way it is opened: null when refused.
    template <typename W, typename... Args> W* OpenChild(Args&&... args)
    {
        if constexpr (requires { W::kChangesData; })
            if (!PassGuestGate())
                return nullptr;
        for (QMdiSubWindow* sub : mdiArea_->subWindowList()) {
            if (auto* existing = qobject_cast<W*>(sub->widget())) {
                ShowChild(sub);
                return existing;
            }
        }
        auto* window = new W(std::forward<Args>(args)...);
        ShowChild(AddChild(window));
        return window;
    }

    // The open instance of a child window, or null.
    template <typename W> W* FindChild() const
    {
        for (QMdiSubWindow* sub : mdiArea_->subWindowList())
            if (auto* window = qobject_cast<W*>(sub->widget()))
                return window;
        return nullptr;
    }

protected:
    // The button or box a mnemonic of the active child window names, while
    // the focus is in it; null otherwise.
    QWidget* childMnemonic(const QKeyEvent* key) const;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildPopup();
    void buildStatusBar();
    void registerHandlers();
    QAction* addCommandItem(QMenu* menu, Command command);
    QAction* addAlias(QMenu* menu, const char* name, const QString& caption, Command command);
    void refreshWindowMenu();
    void updateCommandStates();
    bool checkDisplay(bool firstRun);
    QMdiSubWindow* AddChild(QWidget* window);
    void ShowChild(QMdiSubWindow* sub);
    void keepInside(QMdiSubWindow* sub);
    template <typename D> void OpenModal();
    // A barcode scanned while no entry box has the focus opens the rent-out
    // window with the number in its box; true when the event was one.
    bool takeScan(QEvent* event);

    QMdiArea* mdiArea_ = nullptr;
    QMenu* mnuPop_ = nullptr;
    QMenu* mnuCK_ = nullptr;
    QAction* windowListSeparator_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QLabel* panels_[6] = {};
    std::map<Command, std::function<void()>> handlers_;
    std::map<Command, QList<QAction*>> actions_;
    std::unique_ptr<SingleInstance> instance_;
    bool capsOn_ = false;
    ScanBurst scanBurst_;
    QElapsedTimer scanClock_;
    QTimer* timerZDBF_ = nullptr;
    QThread* autoBackup_ = nullptr;
    std::shared_ptr<QString> autoBackupFailure_;
    QString autoBackupStamp_, lastBackupStamp_, lastBackupPath_;
    void finishAutoBackup();

Q_SIGNALS:
    void autoBackupFinished(bool succeeded);
};
