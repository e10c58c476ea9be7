#include "Background.h"

#include "store/Errors.h"

#include <QApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <memory>
#include <optional>

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
