#include "Expert.h"

#include "FileSupport.h"
#include "core/access/PassCheck.h"
#include "core/money/Ledger.h"
#include "core/settings/Settings.h"
#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/Engine.h"
#include "core/store/Errors.h"
#include "core/store/RecordTables.h"
#include "core/store/ServerAddress.h"
#include "core/store/Shop.h"
#include "core/store/Totals.h"

#include <QRegularExpression>
#include <algorithm>
#include <cstring>
#include <memory>
#include <sqlite3.h>

namespace {
const QString kSource = QStringLiteral("SQL");

// Pragmas whose argument names what to read, not a setting.
const char* const kReadingPragmas[] = {
    "table_info",  "table_xinfo",      "table_list",        "index_list",      "index_info",
    "index_xinfo", "foreign_key_list", "foreign_key_check", "integrity_check", "quick_check",
};

// Every trigger of the totals has this in its name.
const char* const kTotalsTrigger = "_totals_";

// The tables the program made and reads; the typist's own are his.
bool IsProgramTable(const char* name)
{
    static const QStringList tables = [] {
        QStringList list = TotalsTables();
        for (const auto& [table, columns] : ShopTables())
            list << table;
        for (const RecordTable& table : RecordTables())
            list << table.name;
        return list << QStringLiteral("bdjl") << QStringLiteral("zwls") << QStringLiteral("zwrz")
                    << QStringLiteral("cssz") << QStringLiteral("fmtp");
    }();
    return tables.contains(QString::fromUtf8(name), Qt::CaseInsensitive);
}

using StatementPtr = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

// The program's own triggers on this connection alone start so.
const char* const kOwnTrigger = "movrnt_expert_";

// What the temporary triggers below ask the program: the time, this counter,
// its till and the person logged on.
struct TextSource
{
    const char* name;
    QString (*text)();
};
const TextSource kTextSources[] = {
    {"movrnt_now", NowText},
    {"movrnt_counter", CounterName},
    {"movrnt_till", TillId},
    {"movrnt_person", CurrentPerson},
};

void AnswerText(sqlite3_context* context, int, sqlite3_value**)
{
    const QByteArray bytes =
        static_cast<const TextSource*>(sqlite3_user_data(context))->text().toUtf8();
    sqlite3_result_text(context, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
}

// A member's money changed by a typed statement is a line of the ledger, in
// the statement's own transaction (no cash): a member it makes or renumbers
// opens his money, a change of it is 专家修改. Temporary triggers of this
// connection, made before the authorizer, with the time and the counter's
// name from the program.
void WatchMembersMoney(sqlite3* db)
{
    for (const TextSource& source : kTextSources)
        sqlite3_create_function(db, source.name, 0, SQLITE_UTF8 | SQLITE_INNOCUOUS,
                                const_cast<TextSource*>(&source), AnswerText, nullptr, nullptr);
    const QString line = QStringLiteral(
        "INSERT INTO zwls (jzsj, ywlx, zdbh, bh, hybh, je, gtmc, gtid, czy) SELECT movrnt_now(), "
        "'%1',"
        " 0, '/', NEW.hybh, %2, movrnt_counter(), movrnt_till(), movrnt_person() WHERE %3;");
    const QString cents = QStringLiteral("CAST(ROUND(%1 * 10000) AS INTEGER)");
    const QString opening = line.arg(LedgerKindName(LedgerKind::OpeningPrepaid),
                                     cents.arg("NEW.zjje"), QStringLiteral("1")) +
                            line.arg(LedgerKindName(LedgerKind::OpeningDeposit),
                                     cents.arg("NEW.yjje"), QStringLiteral("NEW.yjje <> 0"));
    const QString sql =
        QStringLiteral(
            "CREATE TEMP TRIGGER movrnt_expert_member AFTER INSERT ON main.hyxx BEGIN %1 END;"
            "CREATE TEMP TRIGGER movrnt_expert_renumbered AFTER UPDATE OF hybh ON main.hyxx"
            " WHEN NEW.hybh IS NOT OLD.hybh BEGIN %1 END;"
            "CREATE TEMP TRIGGER movrnt_expert_money AFTER UPDATE OF zjje, yjje ON main.hyxx"
            " WHEN NEW.hybh IS OLD.hybh BEGIN %2 %3 END;")
            .arg(opening,
                 line.arg(LedgerKindName(LedgerKind::ExpertPrepaid),
                          cents.arg("NEW.zjje") + " - " + cents.arg("OLD.zjje"),
                          cents.arg("NEW.zjje") + " <> " + cents.arg("OLD.zjje")),
                 line.arg(LedgerKindName(LedgerKind::ExpertDeposit),
                          cents.arg("NEW.yjje") + " - " + cents.arg("OLD.yjje"),
                          cents.arg("NEW.yjje") + " <> " + cents.arg("OLD.yjje")));
    char* message = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString why = QString::fromUtf8(message);
        sqlite3_free(message);
        throw MovrntError(why, kSource);
    }
}
} // namespace

ExpertSession::ExpertSession(const QString& location, const QString& password)
{
    if (EngineOf(location).expertLogsIn()) {
        connectServer(location, password);
        return;
    }
    file_ = std::make_unique<SqliteFile>(location, SQLITE_OPEN_READWRITE, kSource);
    db_ = file_->db;
    file_->confine();
    sqlite3_exec(db_, PageCachePragma().constData(), nullptr, nullptr, nullptr);
    // A REPLACE deletes a row too: the totals' triggers must hear of it.
    sqlite3_exec(db_, "PRAGMA recursive_triggers=ON", nullptr, nullptr, nullptr);
    WatchMembersMoney(db_);
    sqlite3_set_authorizer(db_, &ExpertSession::Authorize, this);
    sqlite3_progress_handler(
        db_, 1000, [](void* self) { return static_cast<ExpertSession*>(self)->stopped_ ? 1 : 0; },
        this);
}

void ExpertSession::stop()
{
    stopped_ = true; // also between the engine's own checks of the interrupt
    if (db_)
        sqlite3_interrupt(db_);
    else
        cancelOnServer();
}

int ExpertSession::Authorize(void* self, int action, const char* a, const char* b, const char*,
                             const char* trigger)
{
    QString& refusal = static_cast<ExpertSession*>(self)->refusal_;
    switch (action) {
    case SQLITE_ATTACH:
    case SQLITE_DETACH:
        refusal = QStringLiteral("专家操作方式不允许附加或分离其他数据库");
        return SQLITE_DENY;
    case SQLITE_TRANSACTION:
    case SQLITE_SAVEPOINT:
        refusal = QStringLiteral("专家操作方式中每条语句自动提交，不允许使用事务语句（BEGIN、"
                                 "COMMIT、ROLLBACK、SAVEPOINT）");
        return SQLITE_DENY;
    case SQLITE_FUNCTION:
        if (b && sqlite3_stricmp(b, "load_extension") == 0) {
            refusal = QStringLiteral("专家操作方式不允许加载扩展");
            return SQLITE_DENY;
        }
        break;
    case SQLITE_PRAGMA:
        if (b) {
            for (const char* reading : kReadingPragmas)
                if (sqlite3_stricmp(a, reading) == 0)
                    return SQLITE_OK;
            refusal = QStringLiteral("专家操作方式不允许更改连接或数据库的设置（PRAGMA %1）")
                          .arg(QString::fromUtf8(a));
            return SQLITE_DENY;
        }
        break;
    case SQLITE_CREATE_TRIGGER:
    case SQLITE_CREATE_TEMP_TRIGGER:
    case SQLITE_DROP_TRIGGER:
    case SQLITE_DROP_TEMP_TRIGGER:
        // A trigger runs later on the program's own connection, within its
        // operations: every trigger is the program's, none the typist's.
        refusal =
            QStringLiteral("专家操作方式不允许建立或删除触发器（%1）").arg(QString::fromUtf8(a));
        return SQLITE_DENY;
    case SQLITE_CREATE_TEMP_TABLE:
    case SQLITE_CREATE_TEMP_VIEW:
        // A temporary table of a shop table's name would stand in for it.
        if (a && IsProgramTable(a)) {
            refusal = QStringLiteral("专家操作方式不允许建立与本系统数据表 %1 同名的临时表")
                          .arg(QString::fromUtf8(a));
            return SQLITE_DENY;
        }
        break;
    case SQLITE_CREATE_INDEX:
    case SQLITE_DROP_INDEX:
    case SQLITE_ALTER_TABLE:
    case SQLITE_DROP_TABLE: {
        // The program's tables keep their shape: a unique index, a renamed or
        // dropped table would stop its own statements.
        const char* table = action == SQLITE_DROP_TABLE ? a : b;
        if (table && IsProgramTable(table)) {
            refusal = QStringLiteral(
                          "专家操作方式不允许更改本系统数据表 %1 的结构或索引，只能更改其中的数据")
                          .arg(QString::fromUtf8(table));
            return SQLITE_DENY;
        }
        if (action != SQLITE_DROP_TABLE)
            break;
        [[fallthrough]];
    }
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE: {
        // The change log belongs to the program: the other counters and
        // windows go by it.
        auto* session = static_cast<ExpertSession*>(self);
        const char* table = a;
        if (table && sqlite3_stricmp(table, "bdjl") == 0 && !session->logging_) {
            refusal = QStringLiteral("专家操作方式不允许更改数据表 bdjl（本系统的变动记录）");
            return SQLITE_DENY;
        }
        // The counter of rental numbers and the planner's statistics; the
        // schema table itself is written by CREATE and DROP (defensive mode
        // refuses any other write to it).
        if (table && sqlite3_strnicmp(table, "sqlite_", 7) == 0 &&
            sqlite3_stricmp(table, "sqlite_master") != 0 &&
            sqlite3_stricmp(table, "sqlite_temp_master") != 0) {
            refusal = QStringLiteral("专家操作方式不允许更改数据库的内部数据表 %1")
                          .arg(QString::fromUtf8(table));
            return SQLITE_DENY;
        }
        if (table && sqlite3_stricmp(table, "zwls") == 0 &&
            !(trigger && std::strncmp(trigger, kOwnTrigger, std::strlen(kOwnTrigger)) == 0)) {
            refusal = QStringLiteral("专家操作方式不允许更改数据表 zwls（本系统的账务流水）");
            return SQLITE_DENY;
        }
        for (const RecordTable& record : RecordTables())
            if (table && record.name.compare(QString::fromUtf8(table), Qt::CaseInsensitive) == 0) {
                refusal = QStringLiteral("专家操作方式不允许更改数据表 %1（本系统的%2）")
                              .arg(record.name, record.words);
                return SQLITE_DENY;
            }
        if (table && TotalsTables().contains(QString::fromUtf8(table), Qt::CaseInsensitive) &&
            !(trigger && std::strstr(trigger, kTotalsTrigger))) {
            refusal = QStringLiteral("专家操作方式不允许更改数据表 %1（本系统的统计数据）")
                          .arg(QString::fromUtf8(table));
            return SQLITE_DENY;
        }
        if (table)
            session->written_.insert(QString::fromUtf8(table).toLower());
        break;
    }
    default:
        break;
    }
    return SQLITE_OK;
}

void ExpertSession::fail()
{
    const int code = sqlite3_errcode(db_);
    QString why = QString::fromUtf8(sqlite3_errmsg(db_));
    if (!refusal_.isEmpty())
        why = refusal_;
    else if (code == SQLITE_INTERRUPT)
        why = QStringLiteral("SQL语句已停止执行");
    throw MovrntError(why, kSource);
}

namespace {
// A reading pragma as the query of its table-valued function, whose rows
// the grid can count and page through: PRAGMA table_info(hyxx) reads as
// SELECT * FROM pragma_table_info('hyxx'). Anything else stays as typed.
QString AsPragmaQuery(const QString& sql)
{
    static const QRegularExpression pragma(
        QStringLiteral("^PRAGMA\\s+(?:(\\w+)\\s*\\.\\s*)?(\\w+)\\s*(?:\\((.*)\\)|=(.*))?$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    QString plain = sql.trimmed();
    while (plain.endsWith(u';'))
        plain = plain.chopped(1).trimmed();
    const QRegularExpressionMatch match = pragma.match(plain);
    if (!match.hasMatch())
        return sql;
    const QString name = match.captured(2).toLower();
    if (std::none_of(std::begin(kReadingPragmas), std::end(kReadingPragmas),
                     [&name](const char* reading) { return name == QLatin1String(reading); }))
        return sql;
    const auto literal = [](QString text) {
        text = text.trimmed();
        if (text.size() >= 2 && (text.front() == u'\'' || text.front() == u'"' ||
                                 text.front() == u'[' || text.front() == u'`'))
            text = text.mid(1, text.size() - 2);
        return u'\'' + text.replace(u'\'', QStringLiteral("''")) + u'\'';
    };
    QStringList arguments;
    const QString argument = match.captured(3).isNull() ? match.captured(4) : match.captured(3);
    if (!argument.trimmed().isEmpty())
        arguments << literal(argument);
    if (!match.captured(1).isEmpty())
        arguments << literal(match.captured(1));
    return QStringLiteral("SELECT * FROM pragma_%1(%2)").arg(name, arguments.join(u','));
}
} // namespace

TypedStatement ExpertSession::read(const QString& text)
{
    refusal_.clear();
    stopped_ = false;
    if (server_)
        return readOnServer(text);
    if (const QString query = AsPragmaQuery(text); query != text)
        return read(query);
    const QByteArray bytes = text.toUtf8();
    const char* tail = nullptr;
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db_, bytes.constData(), int(bytes.size()), &raw, &tail) != SQLITE_OK)
        fail();
    const StatementPtr statement(raw, sqlite3_finalize);
    if (!raw)
        throw MovrntError(QStringLiteral("没有可执行的SQL语句"), kSource);
    TypedStatement typed;
    typed.sql = QString::fromUtf8(bytes.constData(), int(tail - bytes.constData())).trimmed();
    while (typed.sql.endsWith(u';'))
        typed.sql = typed.sql.chopped(1).trimmed();
    typed.readOnly = sqlite3_stmt_readonly(raw) != 0;
    for (int c = 0; c < sqlite3_column_count(raw); ++c)
        typed.columns << QString::fromUtf8(sqlite3_column_name(raw, c));
    // Whatever follows must be blanks or comments only.
    const char* end = bytes.constData() + bytes.size();
    while (tail < end) {
        sqlite3_stmt* next = nullptr;
        const char* after = nullptr;
        const int rc = sqlite3_prepare_v2(db_, tail, int(end - tail), &next, &after);
        sqlite3_finalize(next);
        if (rc != SQLITE_OK || next)
            throw MovrntError(QStringLiteral("一次只能执行一条SQL语句：第一条语句之后还有其他语句"),
                              kSource);
        if (after == tail)
            break;
        tail = after;
    }
    return typed;
}

void ExpertSession::prepareAndStep(const QByteArray& sql,
                                   const std::function<void(sqlite3_stmt*)>& row)
{
    refusal_.clear();
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db_, sql.constData(), int(sql.size()), &raw, nullptr) != SQLITE_OK)
        fail();
    const StatementPtr statement(raw, sqlite3_finalize);
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW)
        if (row)
            row(raw);
    if (rc != SQLITE_DONE)
        fail();
}

void ExpertSession::run(const TypedStatement& statement)
{
    if (server_)
        return runOnServer(statement);
    written_.clear();
    const sqlite3_int64 before = sqlite3_total_changes64(db_);
    prepareAndStep(statement.sql.toUtf8(), {});
    if (sqlite3_total_changes64(db_) == before)
        return;
    logging_ = true;
    try {
        for (const char* kind : {"ydxx", "hyxx", "zjxx"})
            if (written_.contains(QLatin1String(kind)))
                LogChange(*file_, kind, ShopOperation::Expert);
    } catch (...) {
        logging_ = false;
        throw;
    }
    logging_ = false;
}

TypedRows ExpertSession::firstRows(const TypedStatement& statement, int pageSize)
{
    if (server_)
        return firstRowsOnServer(statement, pageSize);
    TypedRows rows;
    const QString source = TypedRowsSource(statement);
    prepareAndStep((QStringLiteral("SELECT COUNT(*) FROM ") + source).toUtf8(),
                   [&rows](sqlite3_stmt* row) { rows.total = sqlite3_column_int64(row, 0); });
    prepareAndStep(
        (QStringLiteral("SELECT * FROM ") + source + QStringLiteral(" LIMIT %1").arg(pageSize))
            .toUtf8(),
        [&rows](sqlite3_stmt* row) {
            QVariantList values;
            for (int c = 0; c < sqlite3_column_count(row); ++c)
                values << SqliteColumnValue(row, c);
            rows.firstPage << values;
        });
    return rows;
}

QString TypedRowsSource(const TypedStatement& statement)
{
    // On lines of their own, so a comment at the end cannot swallow the ')'.
    return QStringLiteral("(\n") + statement.sql + QStringLiteral("\n) AS typed");
}
