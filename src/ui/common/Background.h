#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <memory>

class QProgressDialog;

class QWidget;

// Shows the work of bringing an older database file up to date (building
// indexes) while the window waits for it: the window on screen, the busy
// pointer and a progress dialog, from the first step on.
class UpgradeView
{
public:
    explicit UpgradeView(QWidget* window);
    ~UpgradeView();
    UpgradeView(const UpgradeView&) = delete;
    UpgradeView& operator=(const UpgradeView&) = delete;
    // What OpenDatabase calls at each step.
    std::function<void(int done, int total)> progress();

private:
    QWidget* window_;
    std::unique_ptr<QProgressDialog> dialog_;
};

// What long work on rows reports while it runs, and the user's wish to stop it.
struct WorkRows
{
    std::atomic<qint64> rows{0};
    std::atomic<bool> stop{false};
    // Also called, on the window's thread, when the user stops the work.
    std::function<void()> onStop;
    bool countsRows = true; // the dialog shows the rows done
    int showAfterMs = 1000;
    QString stopCaption = QStringLiteral("取消");
    // For the work to call with its rows done; false once the user stopped it.
    std::function<bool(qint64)> report();
};

// Runs work that needs no shared connection (file copies on connections of
// their own) on a worker thread while the window keeps painting: the busy
// pointer at once, and past a second a progress dialog with `label`. Input
// waits until the work is done; with `rows`, the dialog counts them and
// offers 取消, which sets rows->stop. Rethrows the MovrntError the work threw.
void RunInBackground(QWidget* parent, const QString& label, const std::function<void()>& work,
                     WorkRows* rows = nullptr);

// Long work on the shop's own connection (which lives on this thread), done
// in steps: the busy pointer at once and, past `showAfterMs`, a dialog
// counting the steps' rows with 取消. Between steps the windows paint; input
// waits, but for 取消.
class StepProgress
{
public:
    StepProgress(QWidget* parent, const QString& label);
    ~StepProgress();
    StepProgress(const StepProgress&) = delete;
    StepProgress& operator=(const StepProgress&) = delete;
    // For the work to call after each step; false once 取消 was pressed.
    std::function<bool(qint64 done, qint64 total)> report();
    inline static int showAfterMs = 1000; // tests show it at once

private:
    QWidget* parent_;
    QString label_;
    std::unique_ptr<QProgressDialog> dialog_;
    qint64 started_ = 0;
    bool stopped_ = false;
};
