#include "Background.h"

#include "core/store/Errors.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <climits>
#include <memory>
#include <optional>

UpgradeView::UpgradeView(QWidget* window) : window_(window) {}

UpgradeView::~UpgradeView()
{
    if (!dialog_)
        return;
    dialog_.reset();
    QApplication::restoreOverrideCursor();
    window_->window()->activateWindow();
}

std::function<void(int, int)> UpgradeView::progress()
{
    return [this](int done, int total) {
        if (!dialog_) {
            QWidget* top = window_->window();
            if (!top->isVisible())
                top->showMaximized();
            QApplication::setOverrideCursor(Qt::WaitCursor);
            dialog_ = std::make_unique<QProgressDialog>(
                QStringLiteral("正在为数据库建立索引，请稍候 ..."), QString(), 0, total, window_);
            dialog_->setObjectName(QStringLiteral("UpgradeProgress"));
            dialog_->setWindowTitle(top->windowTitle());
            dialog_->setWindowModality(Qt::WindowModal);
            dialog_->setMinimumDuration(0);
            dialog_->setCancelButton(nullptr);
        }
        dialog_->setValue(done);
        QCoreApplication::processEvents();
    };
}

std::function<bool(qint64)> WorkRows::report()
{
    return [this](qint64 done) {
        rows = done;
        return !stop;
    };
}

void RunInBackground(QWidget* parent, const QString& label, const std::function<void()>& work,
                     WorkRows* rows)
{
    std::optional<MovrntError> failure;
    std::atomic<bool> finished = false;
    std::unique_ptr<QThread> thread(QThread::create([&work, &failure, &finished] {
        try {
            work();
        } catch (const MovrntError& error) {
            failure = error;
        } catch (const std::exception& error) {
            failure = MovrntError(QString::fromLocal8Bit(error.what()), QStringLiteral("后台任务"));
        }
        finished = true;
    }));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QProgressDialog progress(label, rows ? rows->stopCaption : QString(), 0, 0, parent);
    progress.setObjectName(QStringLiteral("BackgroundProgress"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    if (!rows)
        progress.setCancelButton(nullptr);
    progress.setMinimumDuration(INT_MAX); // shown by the tick below
    progress.hide();
    QObject::connect(&progress, &QProgressDialog::canceled, &progress, [&progress, rows] {
        rows->stop = true;
        if (rows->onStop)
            rows->onStop();
        progress.setLabelText(QStringLiteral("正在取消 ..."));
        progress.show();
    });
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &progress, [&] {
        if (rows && rows->countsRows && !rows->stop)
            progress.setLabelText(
                QStringLiteral("%1\n已处理 %L2 行").arg(label).arg(rows->rows.load()));
        if (!progress.isVisible() && elapsed.elapsed() >= (rows ? rows->showAfterMs : 1000))
            progress.show();
    });
    tick.start(100);
    // The loop below waits for events: the thread's end is one, so the
    // result shows at once, not at the next tick.
    QObject::connect(
        thread.get(), &QThread::finished, &progress, [] {}, Qt::QueuedConnection);
    thread->start();
    // Only 取消 takes input, and only once the dialog (modal) is there to take it.
    while (!finished)
        QCoreApplication::processEvents((rows && progress.isVisible()
                                             ? QEventLoop::AllEvents
                                             : QEventLoop::ExcludeUserInputEvents) |
                                        QEventLoop::WaitForMoreEvents);
    thread->wait();
    QApplication::restoreOverrideCursor();
    if (failure)
        throw *failure;
}

StepProgress::StepProgress(QWidget* parent, const QString& label)
    : parent_(parent), label_(label), started_(QDateTime::currentMSecsSinceEpoch())
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

StepProgress::~StepProgress()
{
    dialog_.reset();
    QApplication::restoreOverrideCursor();
}

std::function<bool(qint64, qint64)> StepProgress::report()
{
    return [this](qint64 done, qint64 total) {
        if (!dialog_ && QDateTime::currentMSecsSinceEpoch() - started_ >= showAfterMs) {
            dialog_ =
                std::make_unique<QProgressDialog>(label_, QStringLiteral("取消"), 0, 0, parent_);
            dialog_->setObjectName(QStringLiteral("StepProgress"));
            dialog_->setWindowModality(Qt::ApplicationModal);
            dialog_->setAutoClose(false);
            dialog_->setAutoReset(false);
            dialog_->setMinimumDuration(0);
            dialog_->show();
        }
        if (dialog_ && !stopped_) {
            // Steps of keys, not of bytes: a maximum past int's range is scaled.
            const int scale = total > INT_MAX ? int(total / INT_MAX + 1) : 1;
            dialog_->setMaximum(int(total / scale));
            dialog_->setValue(int(std::min(done, total) / scale));
        }
        QCoreApplication::processEvents(dialog_ ? QEventLoop::AllEvents
                                                : QEventLoop::ExcludeUserInputEvents);
        stopped_ = stopped_ || (dialog_ && dialog_->wasCanceled());
        return !stopped_;
    };
}
