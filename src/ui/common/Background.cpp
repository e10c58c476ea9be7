#include "Background.h"

#include "store/Errors.h"

#include <QApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
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

void RunInBackground(QWidget* parent, const QString& label, const std::function<void()>& work)
{
    std::optional<MovrntError> failure;
    std::unique_ptr<QThread> thread(QThread::create([&work, &failure] {
        try {
            work();
        } catch (const MovrntError& error) {
            failure = error;
        } catch (const std::exception& error) {
            failure = MovrntError(QString::fromLocal8Bit(error.what()), QStringLiteral("后台任务"));
        }
    }));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QProgressDialog progress(label, QString(), 0, 0, parent);
    progress.setObjectName(QStringLiteral("BackgroundProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setCancelButton(nullptr);
    progress.setMinimumDuration(1000);
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
    QApplication::restoreOverrideCursor();
    if (failure)
        throw *failure;
}
