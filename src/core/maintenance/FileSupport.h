#pragma once

#include <QString>

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
    // Runs statements without results; throws MovrntError.
    void exec(const char* sql) const;

private:
    QString source_;
};

// Flushes a file or folder to disk.
bool SyncToDisk(const QString& path, bool folder);
// A name beside the target that no one else uses.
QString TemporaryBeside(const QString& target);
// The text of the last system error.
QString SystemErrorText();
