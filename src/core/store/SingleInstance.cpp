#include "SingleInstance.h"

#include "ProgramFolder.h"

SingleInstance::SingleInstance(const QString& folder)
    : lock_(std::make_unique<QLockFile>(lockPath(folder)))
{
    // Staleness is decided by whether the holder still runs, never by age:
    // the program runs all day.
    lock_->setStaleLockTime(0);
}

bool SingleInstance::tryAcquire()
{
    return lock_->isLocked() || lock_->tryLock(0);
}

bool SingleInstance::heldByAnother() const
{
    return lock_->error() == QLockFile::LockFailedError;
}

bool SingleInstance::isHeld() const
{
    return lock_->isLocked();
}

QString SingleInstance::lockPath(const QString& folder)
{
    return JoinPath(folder, QStringLiteral("movrnt.lock"));
}
