// The expert window's statements on a shop's server, through libpq itself:
// a worker thread may run them while the window's thread cancels.
#include "Expert.h"

#include "core/settings/Settings.h"
#include "core/store/Errors.h"
#include "core/store/ServerAddress.h"
#include "core/store/Shop.h"
#include "core/store/ShopRules.h"

#include <QRegularExpression>
#include <cstring>
#include <chrono>
#include <condition_variable>
#include <libpq-fe.h>
#include <memory>
#include <mutex>
#include <thread>

namespace {
const QString kSource = QStringLiteral("SQL");

using Result = std::unique_ptr<PGresult, void (*)(PGresult*)>;

// Statements that would leave the role, the transaction or the connection
// as the session set them, or reach outside the database.
const char* const kRefusedStarts[] = {
    "BEGIN",  "START",   "COMMIT", "END",    "ROLLBACK", "ABORT", "SAVEPOINT", "RELEASE",
    "PREPARE", "SET",    "RESET",  "DISCARD", "LISTEN",  "NOTIFY", "UNLISTEN", "LOAD",
    "COPY",   "DO",      "CALL",   "VACUUM", "CHECKPOINT", "ALTER SYSTEM", "CREATE FUNCTION",
    "CREATE OR REPLACE", "CREATE PROCEDURE", "CREATE ROLE", "CREATE USER", "ALTER ROLE",
    "GRANT", "REVOKE", "SECURITY LABEL", "CREATE EXTENSION", "LOCK"};

// The statement's words, each comment a blank, in capitals, blanks made one.
// Comments are read as the server reads them: /* ... */ nest, and neither
// kind starts within a quoted text or name.
QString Words(const QString& text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        const QChar next = i + 1 < text.size() ? text[i + 1] : QChar();
        if (c == u'-' && next == u'-') {
            while (i < text.size() && text[i] != u'\n')
                ++i;
            plain += u' ';
        } else if (c == u'/' && next == u'*') {
            int depth = 0;
            do {
                if (text.mid(i, 2) == u"/*") {
                    ++depth;
                    i += 2;
                } else if (text.mid(i, 2) == u"*/") {
                    --depth;
                    i += 2;
                } else {
                    ++i;
                }
            } while (depth > 0 && i < text.size());
            plain += u' ';
        } else if (c == u'\'' || c == u'"') {
            const qsizetype end = text.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? text.size() : end + 1;
            plain += text.mid(i, stop - i);
            i = stop;
        } else {
            plain += c;
            ++i;
        }
    }
    return plain.simplified().toUpper();
}

QVariant Value(const PGresult* result, int row, int column)
{
    if (PQgetisnull(result, row, column))
        return {};
    const QString text = QString::fromUtf8(PQgetvalue(result, row, column));
    switch (PQftype(result, column)) {
    case 20: // int8
    case 21: // int2
    case 23: // int4
        return text.toLongLong();
    case 700: // float4
    case 701: // float8
    case 1700: // numeric
        return text.toDouble();
    default:
        return text;
    }
}
} // namespace

ExpertSession::~ExpertSession()
{
    if (cancel_)
        PQfreeCancel(cancel_);
    if (server_)
        PQfinish(server_);
}

void ExpertSession::connectServer(const QString& url, const QString& password)
{
    const ServerAddress address = ParseServerUrl(url); // no password in it, a database named
    // The counter's name goes with it: the ledger's lines a statement writes carry it.
    QList<QByteArray> keys = {"host", "port", "dbname", "user", "connect_timeout", "client_encoding",
                              "application_name"};
    QList<QByteArray> values = {address.host.toUtf8(), QByteArray::number(address.port),
                                address.database.toUtf8(), kExpertLogin.toUtf8(), "10", "UTF8",
                                CounterName().left(63).toUtf8()};
    if (!password.isEmpty()) {
        keys << "password";
        values << password.toUtf8();
    }
    for (const auto& [key, value] : address.options) {
        if (const qsizetype at = keys.indexOf(key.toUtf8()); at >= 0)
            values[at] = value.toUtf8();
        else {
            keys << key.toUtf8();
            values << value.toUtf8();
        }
    }
    QList<const char*> keywords, settings;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        keywords << keys[i].constData();
        settings << values[i].constData();
    }
    keywords << nullptr;
    settings << nullptr;
    server_ = PQconnectdbParams(keywords.constData(), settings.constData(), 0);
    if (PQstatus(server_) != CONNECTION_OK)
        throw MovrntError(QStringLiteral("无法以专家操作方式的用户 %1 连接数据库服务器 %2（密码不对，或服务器上还没有"
                                         "这个用户，设置方法见 README）：")
                                  .arg(kExpertLogin, address.display()) +
                              ConnectionFailureText(QString::fromUtf8(PQerrorMessage(server_))),
                          kSource);
    cancel_ = PQgetCancel(server_);
    // The expert's own tables are made in his schema; the shop's are read after it.
    Result path(PQexec(server_, "SELECT 'SET search_path = ' || quote_ident(n.nspname) || ', ' ||"
                                " quote_ident(current_schema()) FROM pg_namespace n WHERE n.nspname ="
                                " current_schema() || '_expert'"),
                PQclear);
    if (PQresultStatus(path.get()) == PGRES_TUPLES_OK && PQntuples(path.get()) == 1)
        PQclear(PQexec(server_, PQgetvalue(path.get(), 0, 0)));
}

void ExpertSession::cancelOnServer()
{
    char error[256] = {};
    if (cancel_)
        PQcancel(cancel_, error, sizeof error);
}

namespace {
// Runs one statement; its result, or MovrntError with the server's words (a
// cancel's as 已停止). A typed one goes by the extended protocol, which takes
// exactly one statement, whatever the text holds.
enum class Typed { No, Yes };
Result Exec(PGconn* server, const QString& sql, const std::atomic<bool>& stopped,
            const QString& role = {}, Typed typed = Typed::No)
{
    const QByteArray text = sql.toUtf8();
    Result result(typed == Typed::Yes ? PQexecParams(server, text.constData(), 0, nullptr, nullptr,
                                                     nullptr, nullptr, 0)
                                      : PQexec(server, text.constData()),
                  PQclear);
    const ExecStatusType status = PQresultStatus(result.get());
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
        return result;
    const QString state = QString::fromLatin1(PQresultErrorField(result.get(), PG_DIAG_SQLSTATE));
    QString why = QString::fromUtf8(PQresultErrorMessage(result.get())).trimmed();
    if (const QString rule = RuleRefusal(why); !rule.isEmpty())
        why = rule;
    else if (stopped || state == u"57014")
        why = QStringLiteral("SQL语句已停止执行（已停止，或超过 %1 秒）").arg(kExpertTimeoutSeconds);
    else if (!role.isEmpty())
        why = QStringLiteral("数据库服务器上没有供专家操作方式使用的角色 %1，或本柜台登录的用户不是它的"
                             "成员（设置方法见 README）：")
                  .arg(role) +
              why;
    PQclear(PQexec(server, "ROLLBACK"));
    throw MovrntError(why, kSource, state);
}

// The transaction a typed statement runs in: its role and time limit.
void Begin(PGconn* server, const std::atomic<bool>& stopped, bool readOnly)
{
    Exec(server, readOnly ? QStringLiteral("BEGIN READ ONLY") : QStringLiteral("BEGIN"), stopped);
    Exec(server, QStringLiteral("SET LOCAL statement_timeout = '%1s'").arg(kExpertTimeoutSeconds),
         stopped);
    Exec(server, QStringLiteral("SET LOCAL ROLE ") + kExpertRole, stopped, kExpertRole);
}
} // namespace

TypedStatement ExpertSession::readOnServer(const QString& text)
{
    const QString words = Words(text);
    if (words.isEmpty())
        throw MovrntError(QStringLiteral("没有可执行的SQL语句"), kSource);
    for (const char* start : kRefusedStarts)
        if (words.startsWith(QLatin1String(start)) &&
            (words.size() == qsizetype(std::strlen(start)) || !words.at(std::strlen(start)).isLetterOrNumber()))
            throw MovrntError(QStringLiteral("专家操作方式中每条语句自动提交，只能查询和更改数据、建立或"
                                             "删除数据表，不允许使用 %1 语句")
                                  .arg(QLatin1String(start)),
                              kSource);
    // Functions that would reach past the statement: settings of the
    // connection (its role among them), other connections, locks kept.
    static const QRegularExpression reaching(
        QStringLiteral("\\b(SET_CONFIG|PG_NOTIFY|PG_ADVISORY_\\w*|PG_TERMINATE_BACKEND|PG_CANCEL_BACKEND|"
                       "DBLINK\\w*)\\b"));
    if (const QRegularExpressionMatch match = reaching.match(words); match.hasMatch())
        throw MovrntError(QStringLiteral("专家操作方式只能查询和更改数据，不允许调用函数 %1")
                              .arg(match.captured(1).toLower()),
                          kSource);
    TypedStatement typed;
    typed.sql = text.trimmed();
    while (typed.sql.endsWith(u';'))
        typed.sql = typed.sql.chopped(1).trimmed();
    // Prepared, the server reads exactly one statement and names its columns.
    Result prepared(PQprepare(server_, "", typed.sql.toUtf8().constData(), 0, nullptr), PQclear);
    if (PQresultStatus(prepared.get()) != PGRES_COMMAND_OK) {
        QString why = QString::fromUtf8(PQresultErrorMessage(prepared.get())).trimmed();
        if (why.contains(QStringLiteral("multiple commands")))
            why = QStringLiteral("一次只能执行一条SQL语句：第一条语句之后还有其他语句");
        throw MovrntError(why, kSource);
    }
    Result described(PQdescribePrepared(server_, ""), PQclear);
    for (int c = 0; c < PQnfields(described.get()); ++c)
        typed.columns << QString::fromUtf8(PQfname(described.get(), c));
    // A query that writes nothing: its pages are read again as the grid scrolls.
    typed.readOnly = !typed.columns.isEmpty() &&
                     QRegularExpression(QStringLiteral("^(SELECT|WITH|VALUES|TABLE)\\b"))
                         .match(words)
                         .hasMatch() &&
                     !QRegularExpression(QStringLiteral("\\b(INSERT|UPDATE|DELETE|MERGE|FOR UPDATE|"
                                                        "FOR SHARE|NEXTVAL|SETVAL)\\b"))
                          .match(words)
                          .hasMatch();
    return typed;
}

namespace {
int timeLimit = kExpertTimeoutSeconds;

// The client's own limit: past it the statement is cancelled, whatever the
// statement set on the server.
class Deadline
{
public:
    Deadline(const std::function<void()>& cancel)
        : watch_([this, cancel] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (!ended_.wait_for(lock, std::chrono::seconds(timeLimit), [this] { return done_; }))
                  cancel();
          })
    {
    }
    ~Deadline()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        ended_.notify_all();
        watch_.join();
    }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    std::thread watch_;
};
} // namespace

void SetExpertTimeLimitForTesting(int seconds)
{
    timeLimit = seconds > 0 ? seconds : kExpertTimeoutSeconds;
}

void ExpertSession::runOnServer(const TypedStatement& statement)
{
    const Deadline deadline([this] { stop(); });
    Begin(server_, stopped_, false);
    Exec(server_, statement.sql, stopped_, {}, Typed::Yes);
    // The other counters learn that the tables may have changed, through the
    // one function of the owner's that the role may call.
    Exec(server_, QStringLiteral("SELECT movrnt_expert_wrote()"), stopped_);
    Exec(server_, QStringLiteral("COMMIT"), stopped_);
}

TypedRows ExpertSession::firstRowsOnServer(const TypedStatement& statement, int pageSize)
{
    const Deadline deadline([this] { stop(); });
    TypedRows rows;
    Begin(server_, stopped_, true);
    const QString source = TypedRowsSource(statement);
    Result count =
        Exec(server_, QStringLiteral("SELECT COUNT(*) FROM ") + source, stopped_, {}, Typed::Yes);
    rows.total = QString::fromLatin1(PQgetvalue(count.get(), 0, 0)).toLongLong();
    Result page = Exec(server_,
                       QStringLiteral("SELECT * FROM ") + source + QStringLiteral(" LIMIT %1").arg(pageSize),
                       stopped_, {}, Typed::Yes);
    for (int r = 0; r < PQntuples(page.get()); ++r) {
        QVariantList values;
        for (int c = 0; c < PQnfields(page.get()); ++c)
            values << Value(page.get(), r, c);
        rows.firstPage << values;
    }
    Exec(server_, QStringLiteral("COMMIT"), stopped_);
    return rows;
}
