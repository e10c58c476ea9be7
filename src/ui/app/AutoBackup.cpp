#include "AutoBackup.h"

#include "core/maintenance/Backup.h"
#include "core/maintenance/ServerCopy.h"
#include "core/settings/Parameters.h"
#include "core/settings/Settings.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/ServerAddress.h"
#include "core/store/Shop.h"

#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <limits>

AutoBackup::AutoBackup(QObject* parent) : QObject(parent), timer_(new QTimer(this))
{
    timer_->setObjectName(QStringLiteral("TimerZDBF"));
    connect(timer_, &QTimer::timeout, this, &AutoBackup::onTimerZDBFTimer);
}

AutoBackup::~AutoBackup()
{
    // A copy still being written is let finish; nothing is shown any more.
    if (worker_) {
        worker_->wait();
        delete std::exchange(worker_, nullptr);
    }
}

void AutoBackup::arm(Shop& shop)
{
    shop_ = &shop;
    const std::optional<qint64> interval = AutoBackupInterval();
    if (!interval) {
        timer_->stop();
        return;
    }
    timer_->start(int(std::min<qint64>(*interval, std::numeric_limits<int>::max())));
}

void AutoBackup::onTimerZDBFTimer()
{
    if (worker_)
        return; // the last copy is still being written
    Q_EMIT statusText(QStringLiteral("正在自动备份数据库 ..."));
    const QString path = GetSetting(Setting::AutoBackupPath);
    try {
        stamp_ = DatabaseChangeStamp(*shop_);
    } catch (const MovrntError&) {
        stamp_.clear();
    }
    // Nothing written since the last good copy, and that copy is still there.
    if (!stamp_.isEmpty() && stamp_ == lastStamp_ && path == lastPath_ && QFileInfo::exists(path)) {
        Q_EMIT statusText(QStringLiteral("就绪"));
        return;
    }
    lastPath_ = path;
    auto failure = std::make_shared<Outcome>();
    failure_ = failure;
    const QString source = shop_->path();
    worker_ = QThread::create([source, path, failure] {
        try {
            BackupShop(source, path);
        } catch (const MovrntError& error) {
            failure->failed = true;
            if (error.code() == kBackupRefusedCode)
                failure->refusal = error.description();
        }
    });
    connect(worker_, &QThread::finished, this, &AutoBackup::finish, Qt::QueuedConnection);
    worker_->start();
}

void AutoBackup::wait()
{
    if (!worker_)
        return;
    worker_->wait();
    finish();
}

void AutoBackup::finish()
{
    if (!worker_)
        return;
    std::unique_ptr<QThread> done(std::exchange(worker_, nullptr));
    done->wait();
    Q_EMIT statusText(QStringLiteral("就绪"));
    const bool succeeded = !failure_->failed;
    if (succeeded) {
        lastStamp_ = stamp_;
    } else {
        lastStamp_.clear();
        timer_->stop();
        SetSetting(Setting::AutoBackup, QStringLiteral("False"));
        Q_EMIT failed(failure_->refusal);
    }
    Q_EMIT finished(succeeded);
}
