#pragma once

#include <QDir>
#include <QString>
#include <functional>

struct sqlite3;

// A connection of its own on a database file, through the engine's own
// interface: safe on a worker thread while the shared connection goes on.
struct SqliteFile
{
    sqlite3* db = nullptr;
    // Opens with sqlite3_open_v2 flags; throws MovrntError from `source`.
    SqliteFile(const QString& path, int flags, const QString& source);
    ~SqliteFile();
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;
    QString error() const;
    // Nothing written into the file's schema can act here: defensive mode,
    // functions of the schema untrusted, no other database attached.
    void confine() const;
    // Runs statements without results; throws MovrntError.
    void exec(const char* sql) const;

private:
    QString source_;
};

// Rows written in bulk into the shop's tables of a file: its indexes and the
// totals' triggers are set aside for the load and made again after it, the
// totals counted once: far quicker than keeping them row by row. Within the
// caller's transaction; throws MovrntError.
void LoadInBulk(const SqliteFile& file, const std::function<void()>& load);

enum class ShopOperation;
// Records a change made on a connection of its own in the shop's change log
// (`kind` as the log names it), for the shop's connection to announce.
void LogChange(const SqliteFile& file, const char* kind, ShopOperation operation);

// Flushes a file or folder to disk.
bool SyncToDisk(const QString& path, bool folder);
// Removes what a process that no longer runs left of its work under names
// made by TemporaryBeside for targets matching the wildcard pattern.
void RemoveLeftParts(const QDir& folder, const QString& pattern);
// A name beside the target that no one else uses. Such names left by a
// process that no longer runs are removed.
QString TemporaryBeside(const QString& target);
// A finished copy made under a temporary name beside its target: kept as
// private as the shop, flushed to disk and renamed over the target. Throws
// MovrntError from `source`; the target stays as it was on failure.
void PutInPlace(const QString& partial, const QString& target, const QString& source);
// Removes a database file made for a moment, with whatever log lies beside it.
void RemoveDatabaseFile(const QString& path);
// The text of the last system error.
QString SystemErrorText();
