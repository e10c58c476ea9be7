#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

struct sqlite3;

// What the program asked of SQLite during an operation: every statement on
// the shared connection, with its values written in, and how many rows it
// gave. Replayed on a connection of its own, it is the engine's limit for
// the same work.
struct EngineWork
{
    struct Statement
    {
        QByteArray sql;
        qint64 rows = 0;
    };
    QList<Statement> statements;
    qint64 rows() const;
};

// Records the shared connection's statements while it lives.
class EngineTrace
{
public:
    EngineTrace();
    ~EngineTrace();
    EngineTrace(const EngineTrace&) = delete;
    EngineTrace& operator=(const EngineTrace&) = delete;
    // Ends the recording; statements still being read count with their rows so far.
    EngineWork finish();

private:
    static int onTrace(unsigned type, void* context, void* statement, void* extra);
    static int onOpen(sqlite3* db, const char** error, const void* api);
    EngineWork work_;
    QHash<void*, qint64> rows_;
};

// The best of `runs` replays, in milliseconds, on a connection of its own to
// `path`, every value of the rows read, inside a transaction that is rolled
// back (writes change nothing).
double ReplayMs(const QString& path, const EngineWork& work, int runs = 5);

// Gives an engine connection the program's page cache, so that both read the
// same pages from memory.
void MatchProgramCache(sqlite3* engine);

// The shared connection's SQLite handle.
sqlite3* SharedHandle();
