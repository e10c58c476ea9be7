#include "EngineTrace.h"

#include "core/store/Shop.h"

#include <thread>

#include "core/store/Database.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSqlDriver>
#include <cstdio>
#include <sqlite3.h>
#include <stdexcept>

qint64 EngineWork::rows() const
{
    qint64 total = 0;
    for (const Statement& statement : statements)
        total += statement.rows;
    return total;
}

sqlite3* SharedHandle()
{
    const QVariant handle = SessionShop()->connection().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw std::runtime_error("the shared connection is no SQLite connection");
    return *static_cast<sqlite3* const*>(handle.data());
}

namespace {
EngineTrace* recording = nullptr;
std::thread::id recordingThread;
} // namespace

// Connections the clerk's thread opens while recording (start-up opens the
// shared one) are recorded from their first statement; those of workers
// beside the windows (a grid's page index) are not what the clerk waits for.
int EngineTrace::onOpen(sqlite3* db, const char**, const void*)
{
    if (recording && std::this_thread::get_id() == recordingThread)
        sqlite3_trace_v2(db, SQLITE_TRACE_ROW | SQLITE_TRACE_PROFILE, &EngineTrace::onTrace,
                         recording);
    return SQLITE_OK;
}

EngineTrace::EngineTrace()
{
    recording = this;
    recordingThread = std::this_thread::get_id();
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(&EngineTrace::onOpen));
    if ((SessionShop() && SessionShop()->isOpen()))
        sqlite3_trace_v2(SharedHandle(), SQLITE_TRACE_ROW | SQLITE_TRACE_PROFILE,
                         &EngineTrace::onTrace, this);
}

EngineTrace::~EngineTrace()
{
    if (recording == this)
        finish();
}

int EngineTrace::onTrace(unsigned type, void* context, void* statement, void*)
{
    auto* self = static_cast<EngineTrace*>(context);
    if (type == SQLITE_TRACE_ROW) {
        ++self->rows_[statement];
        return 0;
    }
    auto* stmt = static_cast<sqlite3_stmt*>(statement);
    char* sql = sqlite3_expanded_sql(stmt);
    self->work_.statements.append(
        EngineWork::Statement{QByteArray(sql ? sql : ""), self->rows_.take(statement)});
    sqlite3_free(sql);
    return 0;
}

EngineWork EngineTrace::finish()
{
    sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&EngineTrace::onOpen));
    recording = nullptr;
    if (!(SessionShop() && SessionShop()->isOpen()))
        return work_;
    sqlite3* db = SharedHandle();
    sqlite3_trace_v2(db, 0, nullptr, nullptr);
    for (sqlite3_stmt* stmt = sqlite3_next_stmt(db, nullptr); stmt;
         stmt = sqlite3_next_stmt(db, stmt)) {
        const qint64 rows = rows_.take(stmt);
        if (rows > 0) {
            char* sql = sqlite3_expanded_sql(stmt);
            work_.statements.append(EngineWork::Statement{QByteArray(sql ? sql : ""), rows});
            sqlite3_free(sql);
        }
    }
    return work_;
}

namespace {
bool ControlsTransaction(const QByteArray& sql)
{
    const QByteArray word = sql.trimmed().left(9).toUpper();
    for (const char* control : {"BEGIN", "COMMIT", "END", "ROLLBACK", "SAVEPOINT", "RELEASE"})
        if (word.startsWith(control))
            return true;
    return false;
}
} // namespace

void MatchProgramCache(sqlite3* engine)
{
    sqlite3_exec(engine, PageCachePragma().constData(), nullptr, nullptr, nullptr);
}

double ReplayMs(const QString& path, const EngineWork& work, int runs)
{
    sqlite3* engine = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &engine, SQLITE_OPEN_READWRITE,
                        nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot open the shop for the engine");
    sqlite3_busy_timeout(engine, 5000);
    MatchProgramCache(engine);
    if (qEnvironmentVariableIsSet("BENCH_TRACE"))
        for (const EngineWork::Statement& statement : work.statements)
            std::fprintf(stderr, "  %6lld rows  %s\n", statement.rows,
                         statement.sql.left(300).constData());
    double best = 1e18;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        sqlite3_exec(engine, "BEGIN", nullptr, nullptr, nullptr);
        for (const EngineWork::Statement& statement : work.statements) {
            if (ControlsTransaction(statement.sql))
                continue;
            sqlite3_stmt* stmt = nullptr;
            if (sqlite3_prepare_v2(engine, statement.sql.constData(), -1, &stmt, nullptr) !=
                SQLITE_OK) {
                if (run == 0 && qEnvironmentVariableIsSet("BENCH_TRACE"))
                    std::fprintf(stderr, "  not replayed: %s\n", statement.sql.constData());
                sqlite3_finalize(stmt);
                continue; // the program's temporary objects live on its own connection
            }
            // Each value read out, as any program must.
            const int columns = sqlite3_column_count(stmt);
            for (qint64 row = 0; row <= statement.rows && sqlite3_step(stmt) == SQLITE_ROW; ++row)
                for (int c = 0; c < columns; ++c)
                    sqlite3_column_text(stmt, c);
            sqlite3_finalize(stmt);
        }
        sqlite3_exec(engine, "ROLLBACK", nullptr, nullptr, nullptr);
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    sqlite3_close(engine);
    return best;
}
