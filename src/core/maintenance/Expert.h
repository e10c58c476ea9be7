#pragma once

#include "FileSupport.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <atomic>
#include <functional>
#include <memory>


// A statement typed in the expert window, as the database reads it.
struct TypedStatement
{
    QString sql;         // the one statement, without a closing ';'
    QStringList columns; // the result columns; empty for a statement that returns none
    bool readOnly = false;
};

// What a typed query gives at once: its row count and first page.
struct TypedRows
{
    qint64 total = 0;
    QList<QVariantList> firstPage;
};

// The connection typed statements run on, of their own to the shop's file,
// confined so that no typed text can harm the shop's file or the program:
// defensive mode (the engine refuses writes to the schema table, whatever a
// pragma says), no attached database (so no ATTACH or VACUUM INTO a path of
// the typist's choosing), and an authorizer that refuses extensions,
// transaction statements (a BEGIN left open would hold every later write)
// and pragmas that set anything. Tables may be created and dropped. Safe to use from a worker thread; stop() from any thread.
//
// On a server the connection is libpq's own, made for the session as the
// login kExpertLogin, a member of kExpertRole alone (data rights only; no
// change log, no shop settings), never with a counter's credentials: no
// statement can switch back to a counter's role. Each statement runs alone
// in a transaction, with a time limit, and stop() sends the server a cancel
// request. Statements that would leave the transaction are refused.
class ExpertSession
{
public:
    // The shop's file, or its server's URL, reached on a server as the login
    // kExpertLogin with `password` (typed by the owner, never stored; empty
    // leaves it to libpq's password file). Throws MovrntError when it cannot
    // be reached.
    explicit ExpertSession(const QString& location, const QString& password = {});
    ~ExpertSession();
    ExpertSession(const ExpertSession&) = delete;
    ExpertSession& operator=(const ExpertSession&) = delete;

    // Reads the typed text without running it. Throws MovrntError with the
    // database's own words for a statement it cannot read, the reason for one
    // that is refused, and for a text that holds more than one statement
    // (nothing after the first would be run).
    TypedStatement read(const QString& text);
    // Runs a statement that shows no grid (it changes data, or defines
    // tables), exactly once. Throws MovrntError.
    void run(const TypedStatement& statement);
    // Counts a query's rows and reads its first `pageSize`. Throws MovrntError.
    TypedRows firstRows(const TypedStatement& statement, int pageSize);

    // Asks the running statement to stop; it then fails with 已停止.
    void stop();

private:
    static int Authorize(void* self, int action, const char* a, const char* b, const char*,
                         const char*);
    void prepareAndStep(const QByteArray& sql, const std::function<void(struct sqlite3_stmt*)>& row);
    [[noreturn]] void fail();

    // The server's side of each call.
    void connectServer(const QString& url, const QString& password);
    void cancelOnServer();
    TypedStatement readOnServer(const QString& text);
    void runOnServer(const TypedStatement& statement);
    TypedRows firstRowsOnServer(const TypedStatement& statement, int pageSize);

    std::unique_ptr<SqliteFile> file_;
    sqlite3* db_ = nullptr;
    struct pg_conn* server_ = nullptr;
    struct pg_cancel* cancel_ = nullptr;
    QString refusal_;
    QSet<QString> written_; // the tables the statement writes
    bool logging_ = false;  // the program's own note in the change log
    std::atomic<bool> stopped_ = false;
};

// The role typed statements run under on a server, and the login that
// belongs to it alone.
inline const QString kExpertRole = QStringLiteral("movrnt_expert");
inline const QString kExpertLogin = QStringLiteral("movrnt_sql");
// Longest a typed statement may run on a server, in seconds: the server's
// limit, and the client's own, which cancels it whatever it set.
constexpr int kExpertTimeoutSeconds = 300;
// Tests shorten the client's limit; 0 puts it back.
void SetExpertTimeLimitForTesting(int seconds);

// The FROM part that pages through a read-only statement's rows.
QString TypedRowsSource(const TypedStatement& statement);
