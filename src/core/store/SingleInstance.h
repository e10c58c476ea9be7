#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// Holds the program folder's instance lock for as long as it lives. A lock
// left behind by a crashed instance is reclaimed.
class SingleInstance
{
public:
    explicit SingleInstance(const QString& folder);
    // False when another running instance holds the lock, or when the lock
    // cannot be made (heldByAnother() tells which).
    bool tryAcquire();
    bool heldByAnother() const;
    bool isHeld() const;
    static QString lockPath(const QString& folder);

private:
    std::unique_ptr<QLockFile> lock_;
};
