#pragma once

#include <QObject>
#include <QString>
#include <memory>

class Shop;
class QThread;
class QTimer;

// The automatic backup (TimerZDBF): armed from the settings at start-up and
// whenever they are saved, stopped while it is off. Each tick copies on a
// worker thread, so the counter never waits for it; a copy of a database
// that has not changed since the last good one is skipped.
class AutoBackup : public QObject
{
    Q_OBJECT
public:
    explicit AutoBackup(QObject* parent);
    ~AutoBackup() override;

    // Copies `shop` from now on, at the interval the settings give.
    void arm(Shop& shop);
    QTimer* timer() const { return timer_; }
    void onTimerZDBFTimer();
    // Blocks until a running copy is done (before a restore).
    void wait();

Q_SIGNALS:
    void statusText(const QString& text);
    // A copy failed: the backup is off now and the clerk must be told.
    // `refusal`: why the copy would not restore, when that was the failure.
    void failed(const QString& refusal);
    void finished(bool succeeded);

private:
    void finish();

    QTimer* timer_;
    Shop* shop_ = nullptr; // armed on it
    QThread* worker_ = nullptr;
    struct Outcome
    {
        bool failed = false;
        QString refusal;
    };
    std::shared_ptr<Outcome> failure_;
    QString stamp_, lastStamp_, lastPath_;
};
