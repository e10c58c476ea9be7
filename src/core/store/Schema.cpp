#include "Database.h"

#include "Clock.h"
#include "Errors.h"
#include "LedgerSchema.h"
#include "ProgramFolder.h"
#include "RecordTables.h"
#include "ServerPeople.h"
#include "Shop.h"
#include "ShopRules.h"
#include "ShopSchema.h"
#include "SqlSupport.h"
#include "Totals.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlRecord>
#include <libpq-fe.h>

// The shop's tables on both engines, and what brings an older database up
// to date: indexes, rules, the totals and the ledger, the server's grants.
using namespace store;

namespace {
// Column order is the physical order: statements without column lists rely on it.
const char* const kSchema[] = {
    "CREATE TABLE ydxx (bh TEXT PRIMARY KEY NOT NULL, pm TEXT, lx TEXT, ydlx TEXT, zy TEXT,"
    " gj TEXT, rkrq TEXT, sfycz TEXT, nrjj TEXT)",
    "CREATE TABLE zjxx (zdbh INTEGER PRIMARY KEY AUTOINCREMENT, bh TEXT, czrq TEXT, ghrq TEXT,"
    " yjje TEXT, sfyh TEXT, hybh TEXT)",
    "CREATE TABLE hyxx (hybh TEXT PRIMARY KEY NOT NULL, hyxm TEXT, hyxb TEXT, hyzz TEXT,"
    " lxdh TEXT, hydj INTEGER, zjje REAL, yjje REAL, yjps INTEGER, rhrq TEXT)",
    "CREATE TABLE ydbl (gspl INTEGER, aqpl INTEGER, xjpl INTEGER, dzpl INTEGER, kbpl INTEGER,"
    " khpl INTEGER, khpl2 INTEGER, dhpl INTEGER, qtpl INTEGER)",
    "CREATE TABLE ndyj (ydlx TEXT, m1 INTEGER, m2 INTEGER, m3 INTEGER, m4 INTEGER, m5 INTEGER,"
    " m6 INTEGER, m7 INTEGER, m8 INTEGER, m9 INTEGER, m10 INTEGER, m11 INTEGER, m12 INTEGER)",
};

// What a typed statement on a server leaves in the change log, as the owner:
// its role may not write the log itself.
const char* const kExpertWrote =
    "CREATE FUNCTION movrnt_expert_wrote() RETURNS void LANGUAGE sql SECURITY DEFINER"
    " SET search_path FROM CURRENT AS $$UPDATE bdjl SET xh = xh + 1, cz = 'Expert' WHERE lb IN"
    " ('ydxx', 'hyxx', 'zjxx')$$";

// A member's money changed by a typed statement (the expert's role) is a line
// of the ledger in the statement's own transaction, written as the owner: a
// member it makes or renumbers opens his money, a change of it is 专家修改.
const char* const kExpertMoney[] = {
    "CREATE OR REPLACE FUNCTION movrnt_expert_money() RETURNS trigger LANGUAGE plpgsql"
    " SECURITY DEFINER SET search_path FROM CURRENT AS $$"
    "DECLARE t TEXT := to_char(localtimestamp, 'YYYY-MM-DD HH24:MI:SS');"
    " c TEXT := COALESCE(NULLIF(current_setting('application_name'), ''), '/');"
    " p BIGINT := CAST(ROUND(NEW.zjje * 10000) AS BIGINT);"
    " d BIGINT := CAST(ROUND(NEW.yjje * 10000) AS BIGINT); BEGIN"
    " IF TG_OP = 'INSERT' OR NEW.hybh IS DISTINCT FROM OLD.hybh THEN"
    " INSERT INTO zwls (jzsj, ywlx, zdbh, bh, hybh, je, gtmc, czy) VALUES (t, '期初预付租金', 0, "
    "'/', NEW.hybh, p, c, session_user);"
    " IF d <> 0 THEN INSERT INTO zwls (jzsj, ywlx, zdbh, bh, hybh, je, gtmc, czy) VALUES"
    " (t, '期初会员押金', 0, '/', NEW.hybh, d, c, session_user); END IF;"
    " ELSE"
    " IF p <> CAST(ROUND(OLD.zjje * 10000) AS BIGINT) THEN INSERT INTO zwls (jzsj, ywlx, zdbh, bh, "
    "hybh,"
    " je, gtmc, czy) VALUES (t, '专家修改预付租金', 0, '/', NEW.hybh, p - CAST(ROUND(OLD.zjje * "
    "10000) AS BIGINT), c, session_user);"
    " END IF;"
    " IF d <> CAST(ROUND(OLD.yjje * 10000) AS BIGINT) THEN INSERT INTO zwls (jzsj, ywlx, zdbh, bh, "
    "hybh,"
    " je, gtmc, czy) VALUES (t, '专家修改会员押金', 0, '/', NEW.hybh, d - CAST(ROUND(OLD.yjje * "
    "10000) AS BIGINT), c, session_user);"
    " END IF; END IF; RETURN NULL; END$$",
    "CREATE TRIGGER hyxx_expert_money AFTER INSERT OR UPDATE OF hybh, zjje, yjje ON hyxx FOR EACH "
    "ROW"
    " WHEN (current_user = 'movrnt_expert') EXECUTE FUNCTION movrnt_expert_money()",
};

// The expert's own tables go in a schema of their own beside the shop's,
// where nobody else makes anything: nothing typed can stand in the shop's
// schema for what the shop's functions name.
const char* const kExpertSchema =
    "DO $$BEGIN EXECUTE format('CREATE SCHEMA IF NOT EXISTS %I', current_schema() || '_expert');"
    " EXECUTE format('GRANT USAGE, CREATE ON SCHEMA %I TO movrnt_expert', current_schema() || "
    "'_expert');"
    " EXCEPTION WHEN insufficient_privilege THEN NULL; END$$";

// A restore or an import replaces the ledger: only its owner, an owner of the
// shop, or a counter role granted the deletion (a shop set up before the
// people's groups) may clear it.
const char* const kClearLedger[] = {
    "CREATE OR REPLACE FUNCTION movrnt_clear_ledger() RETURNS void LANGUAGE plpgsql SECURITY "
    "DEFINER"
    " SET search_path FROM CURRENT AS $$BEGIN"
    " IF NOT pg_has_role(session_user, (SELECT tableowner FROM pg_tables WHERE schemaname = "
    "current_schema()"
    " AND tablename = 'zwls'), 'MEMBER') AND NOT has_table_privilege(session_user, 'zwls', "
    "'DELETE') THEN"
    " IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'movrnt_owner')"
    " OR NOT pg_has_role(session_user, 'movrnt_owner', 'MEMBER') THEN"
    " RAISE EXCEPTION '只有店主才能替换账务流水' USING ERRCODE = '42501'; END IF; END IF;"
    " LOCK TABLE zwls, ssjl, yyxx, pdxx, pdsm IN EXCLUSIVE MODE; DELETE FROM zwls; DELETE FROM"
    " ssjl; DELETE FROM yyxx; DELETE FROM pdsm; DELETE FROM pdxx; END$$",
    "REVOKE ALL ON FUNCTION movrnt_clear_ledger() FROM PUBLIC",
};

// The same tables on a PostgreSQL server: 64-bit numbers, money as numeric.
const char* const kServerSchema[] = {
    "CREATE TABLE bdjl (lb TEXT PRIMARY KEY NOT NULL, xh BIGINT NOT NULL, cz TEXT)",
    // rowid last in the discs and the members, as SQLite keeps it: the order
    // they were entered in, which breaks ties of a sort.
    "CREATE TABLE ydxx (bh TEXT PRIMARY KEY NOT NULL, pm TEXT, lx TEXT, ydlx TEXT, zy TEXT,"
    " gj TEXT, rkrq TEXT, sfycz TEXT, nrjj TEXT, rowid BIGINT GENERATED BY DEFAULT AS IDENTITY"
    " UNIQUE)",
    "CREATE TABLE zjxx (zdbh BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, bh TEXT,"
    " czrq TEXT, ghrq TEXT, yjje TEXT, sfyh TEXT, hybh TEXT)",
    "CREATE TABLE hyxx (hybh TEXT PRIMARY KEY NOT NULL, hyxm TEXT, hyxb TEXT, hyzz TEXT,"
    " lxdh TEXT, hydj BIGINT, zjje NUMERIC, yjje NUMERIC, yjps BIGINT, rhrq TEXT,"
    " rowid BIGINT GENERATED BY DEFAULT AS IDENTITY UNIQUE)",
    "CREATE TABLE ydbl (gspl BIGINT, aqpl BIGINT, xjpl BIGINT, dzpl BIGINT, kbpl BIGINT,"
    " khpl BIGINT, khpl2 BIGINT, dhpl BIGINT, qtpl BIGINT)",
    "CREATE TABLE ndyj (ydlx TEXT, m1 BIGINT, m2 BIGINT, m3 BIGINT, m4 BIGINT, m5 BIGINT,"
    " m6 BIGINT, m7 BIGINT, m8 BIGINT, m9 BIGINT, m10 BIGINT, m11 BIGINT, m12 BIGINT)",
    // SQLite's julianday() of a date text, so that day counts read the same on
    // both: NULL for a text that is no date.
    "CREATE FUNCTION julianday(t TEXT) RETURNS DOUBLE PRECISION LANGUAGE plpgsql IMMUTABLE AS"
    " $$BEGIN IF t !~ '^[0-9]{4}-[0-9]{2}-[0-9]{2}$' THEN RETURN NULL; END IF;"
    " RETURN (CAST(t AS DATE) - DATE '2000-01-01') + 2451544.5;"
    " EXCEPTION WHEN others THEN RETURN NULL; END$$",
    // What the whole shop shares on a server: its settings and cover pictures.
    "CREATE TABLE cssz (mc TEXT PRIMARY KEY NOT NULL, z TEXT NOT NULL)",
    "CREATE TABLE fmtp (bh TEXT PRIMARY KEY NOT NULL, tp BYTEA NOT NULL)",
    "INSERT INTO bdjl VALUES ('cssz', 0, NULL)",
    // SQLite's instr(), which the conditions "contains" use.
    "CREATE FUNCTION instr(s TEXT, part TEXT) RETURNS INTEGER LANGUAGE sql IMMUTABLE AS"
    " 'SELECT strpos(s, part)'",
    // Every write to the disc table counts, whoever made it: the lists of
    // stars and countries are read again only after one.
    "INSERT INTO bdjl VALUES ('ydxx_writes', 0, NULL)",
    // Run as the tables' owner: the expert window's role may not touch the log.
    "CREATE FUNCTION movrnt_count_writes() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER"
    " SET search_path FROM CURRENT AS"
    " $$BEGIN UPDATE bdjl SET xh = xh + 1 WHERE lb = TG_TABLE_NAME || '_writes'; RETURN NULL;"
    " END$$",
    "CREATE TRIGGER ydxx_writes AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON ydxx"
    " FOR EACH STATEMENT EXECUTE FUNCTION movrnt_count_writes()",
    // Every counter listening hears of a change to the three tables (or to
    // the change log) once the transaction that made it commits.
    "CREATE FUNCTION movrnt_notify() RETURNS trigger LANGUAGE plpgsql AS"
    " $$BEGIN PERFORM pg_notify('movrnt', TG_TABLE_NAME); RETURN NULL; END$$",
    kExpertWrote,
};

// The change log: one row a kind of change, its serial moved on by every
// committed change, so that other connections learn what changed and how.
const char* const kChangeLog[] = {
    "CREATE TABLE IF NOT EXISTS bdjl (lb TEXT PRIMARY KEY NOT NULL, xh BIGINT NOT NULL, cz TEXT)",
    "INSERT INTO bdjl VALUES ('ydxx', 0, NULL), ('hyxx', 0, NULL), ('zjxx', 0, NULL),"
    " ('sjk', 0, NULL) ON CONFLICT DO NOTHING",
};

// Indexes are added to older files as well as new ones, so they are kept apart
// from the tables and made idempotent. Every condition and every sort the
// windows offer has one: a sort reads its pages in index order (the rowid,
// last in every index, breaks ties).
const char* const kIndexes[] = {
    "CREATE INDEX IF NOT EXISTS ydxx_ydlx ON ydxx (ydlx)",
    "CREATE INDEX IF NOT EXISTS ydxx_pm ON ydxx (pm)",
    "CREATE INDEX IF NOT EXISTS ydxx_gj ON ydxx (gj)",
    "CREATE INDEX IF NOT EXISTS ydxx_rkrq ON ydxx (rkrq)",
    "CREATE INDEX IF NOT EXISTS ydxx_lx ON ydxx (lx)",
    "CREATE INDEX IF NOT EXISTS ydxx_sfycz ON ydxx (sfycz)",
    "CREATE INDEX IF NOT EXISTS ydxx_zy ON ydxx (zy)",
    "CREATE INDEX IF NOT EXISTS ydxx_sort ON ydxx (ydlx, rkrq, lx)",
    // The new arrivals judge arrival dates of other shapes one by one.
    "CREATE INDEX IF NOT EXISTS ydxx_odd_rkrq ON ydxx (rkrq) WHERE rkrq NOT LIKE '____-__-__'",
    "CREATE INDEX IF NOT EXISTS zjxx_disc ON zjxx (bh)",
    "CREATE INDEX IF NOT EXISTS zjxx_returned ON zjxx (sfyh)",
    "CREATE INDEX IF NOT EXISTS zjxx_open ON zjxx (sfyh, czrq)",
    // A disc has at most one open rental: two counters renting it at once,
    // the second INSERT fails and nothing of its rental stays.
    "CREATE UNIQUE INDEX IF NOT EXISTS zjxx_one_open ON zjxx (bh) WHERE sfyh = '否'",
    "CREATE INDEX IF NOT EXISTS zjxx_open_hybh ON zjxx (hybh) WHERE sfyh = '否'",
    // The reports of what is out start from the open rentals, a few thousand
    // among millions: indexes of those alone tell the planner how few they
    // are. The overdue rentals by date:
    "CREATE INDEX IF NOT EXISTS zjxx_open_day ON zjxx (czrq) WHERE sfyh = '否'",
    // The figures and charts count a month's or a year's rentals by their
    // disc's type or genre: read from these two alone, without the tables.
    "CREATE INDEX IF NOT EXISTS zjxx_day_disc ON zjxx (czrq, bh)",
    "CREATE INDEX IF NOT EXISTS ydxx_disc_kind ON ydxx (bh, lx, ydlx)",
    "CREATE INDEX IF NOT EXISTS zjxx_member ON zjxx (hybh)",
    "CREATE INDEX IF NOT EXISTS zjxx_czrq ON zjxx (czrq)",
    "CREATE INDEX IF NOT EXISTS zjxx_ghrq ON zjxx (ghrq)",
    "CREATE INDEX IF NOT EXISTS zjxx_yjje ON zjxx (yjje)",
    "CREATE INDEX IF NOT EXISTS hyxx_hyxm ON hyxx (hyxm)",
    "CREATE INDEX IF NOT EXISTS hyxx_hyxb ON hyxx (hyxb)",
    "CREATE INDEX IF NOT EXISTS hyxx_hyzz ON hyxx (hyzz)",
    "CREATE INDEX IF NOT EXISTS hyxx_lxdh ON hyxx (lxdh)",
    "CREATE INDEX IF NOT EXISTS hyxx_hydj ON hyxx (hydj)",
    "CREATE INDEX IF NOT EXISTS hyxx_zjje ON hyxx (zjje)",
    "CREATE INDEX IF NOT EXISTS hyxx_yjje ON hyxx (yjje)",
    "CREATE INDEX IF NOT EXISTS hyxx_yjps ON hyxx (yjps)",
    "CREATE INDEX IF NOT EXISTS hyxx_rhrq ON hyxx (rhrq)",
    "CREATE INDEX IF NOT EXISTS hyxx_joined ON hyxx (rhrq, hybh)",
    // The reports of all discs and all members read these alone, in their order.
    "CREATE INDEX IF NOT EXISTS ydxx_report ON ydxx (ydlx, lx, bh, pm)",
    "CREATE INDEX IF NOT EXISTS hyxx_report ON hyxx (rhrq, hyxm, hybh, lxdh)",
    // Earlier versions' indexes, dropped from older files: zjxx_bh (bh, sfyh)
    // and zjxx_hybh (hybh, sfyh) gave way to zjxx_disc and zjxx_member;
    // zjxx_open_disc (sfyh, bh) and zjxx_open_member (sfyh, hybh) to the
    // partial indexes of the open rentals, zjxx_one_open and zjxx_open_hybh.
    "DROP INDEX IF EXISTS zjxx_bh",
    "DROP INDEX IF EXISTS zjxx_hybh",
    "DROP INDEX IF EXISTS zjxx_open_disc",
    "DROP INDEX IF EXISTS zjxx_open_member",
};

// The planner needs row counts to choose between a condition's index and a
// sort's: a table without statistics, or one that has more than doubled
// since they were taken, is analysed again. Small tables do without.
bool NeedsStatistics(QSqlDatabase db)
{
    const bool haveStats = Exists(db, QStringLiteral("table"), QStringLiteral("sqlite_stat1"));
    // The rows as the totals keep them (every column's counts add up to
    // them), without reading a million rentals at every start.
    const bool totals = Exists(db, QStringLiteral("table"), QStringLiteral("jlsl"));
    for (const char* table : {"ydxx", "zjxx", "hyxx"}) {
        const qint64 rows = Scalar(
            db, (totals ? QStringLiteral("SELECT COALESCE(SUM(sl), 0) FROM jlsl WHERE bm = '%1' AND"
                                         " zd = (SELECT MIN(zd) FROM jlsl WHERE bm = '%1')")
                        : QStringLiteral("SELECT COUNT(*) FROM %1"))
                    .arg(QLatin1String(table)));
        if (rows < 1000)
            continue;
        if (!haveStats)
            return true;
        QSqlQuery stat =
            Run(db, QStringLiteral("SELECT stat FROM sqlite_stat1 WHERE tbl = ? LIMIT 1"),
                {QString::fromLatin1(table)});
        if (!stat.next() || stat.value(0).toString().section(u' ', 0, 0).toLongLong() * 2 < rows)
            return true;
    }
    return false;
}

// On a server the grids sort NULLs first, as the file does, and an index
// there holds no row key of its own: each index sorts its columns NULLs
// first and ends with the table's key, so that a page is one range of it.
QString ServerIndex(const QString& statement)
{
    static const QRegularExpression plain(
        QStringLiteral("^CREATE INDEX IF NOT EXISTS (\\w+) ON (\\w+) \\(([^)]*)\\)$"));
    const QRegularExpressionMatch match = plain.match(statement);
    if (!match.hasMatch())
        return statement; // a DROP, the unique index of open rentals
    const QString table = match.captured(2);
    QStringList columns;
    for (const QString& column : match.captured(3).split(QStringLiteral(", ")))
        columns << column + QStringLiteral(" NULLS FIRST");
    columns << (table == u"zjxx" ? QStringLiteral("zdbh") : QStringLiteral("rowid"));
    return QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
        .arg(match.captured(1), table, columns.join(QStringLiteral(", ")));
}

// The keys' own order on a server, for the sorts by disc or member number.
const char* const kServerIndexes[] = {
    "CREATE INDEX IF NOT EXISTS ydxx_bh ON ydxx (bh)",
    "CREATE INDEX IF NOT EXISTS hyxx_hybh ON hyxx (hybh)",
};

// What rows break the rules, a few a rule, said as the clerk is told.
QString BrokenRowsIn(QSqlDatabase db, bool server)
{
    QList<BrokenRow> found;
    for (int rule = 0; rule < int(ShopRules().size()); ++rule) {
        QSqlQuery rows = Run(db, BrokenRuleQuery(rule, server, 10), {});
        while (rows.next())
            found.append({ShopRules()[rule].table, rows.value(0).toString(), rule});
    }
    return BrokenRowsReport(found);
}

// Whether any row breaks a rule: one scan a table.
bool AnyBrokenRow(QSqlDatabase db, bool server)
{
    for (const QString& table : RuledTables())
        if (Run(db, BrokenRowsQuery(table, server, 1), {}).next())
            return true;
    return false;
}

// A server's constraints are validated once no row breaks them; until then
// they hold for every row written, and the rows that break them are named
// (`say`: the first time only).
QString ValidateRules(QSqlDatabase db, bool say)
{
    QSqlQuery pending =
        Run(db,
            QStringLiteral("SELECT conrelid::regclass::text, conname FROM pg_constraint"
                           " WHERE connamespace = current_schema()::regnamespace"
                           " AND conname LIKE '%\\_rule' AND NOT convalidated"),
            {});
    QList<std::pair<QString, QString>> constraints;
    while (pending.next())
        constraints.append({pending.value(0).toString(), pending.value(1).toString()});
    if (constraints.isEmpty())
        return {};
    if (AnyBrokenRow(db, true))
        return say ? BrokenRowsIn(db, true) : QString();
    // Only the tables' owner may: a counter of fewer rights leaves it to him
    // (the constraints hold for every row written meanwhile).
    try {
        for (const auto& [table, name] : constraints)
            Run(db, QStringLiteral("ALTER TABLE %1 VALIDATE CONSTRAINT %2").arg(table, name), {});
    } catch (const MovrntError&) {
    }
    return {};
}

// The people's groups on a server, where its administrator made them: each
// gets what its windows need and no more. Guests read (and fill the charts'
// scratch tables); clerks write discs, members and rentals and append to the
// ledger; owners also delete records and set the shop's settings. Nobody
// updates, deletes or truncates the ledger: a restore clears it through the
// owner's function. The totals are kept by their triggers, as their owner.
QStringList GroupGrants(QSqlDatabase db, bool recordTablesMade = false)
{
    QSqlQuery groups = Run(db,
                           QStringLiteral("SELECT rolname FROM pg_roles WHERE rolname IN"
                                          " ('movrnt_owner', 'movrnt_clerk', 'movrnt_guest')"),
                           {});
    QStringList present;
    while (groups.next())
        present << groups.value(0).toString();
    if (present.isEmpty())
        return {};
    // The records beyond the counter, once there (or made by this upgrade).
    QString added;
    QStringList records;
    for (const RecordTable& table : RecordTables())
        if (recordTablesMade || Exists(db, QStringLiteral("table"), table.name)) {
            added += QStringLiteral(", ") + table.name;
            records << QStringLiteral("%1 ON %2").arg(table.clerkRights, table.name);
        }
    const QString all =
        QStringLiteral("ydxx, zjxx, hyxx, ydbl, ndyj, fmtp, cssz, bdjl, zwls, zwrz, ") +
        TotalsTables().join(QStringLiteral(", ")) + added;
    QStringList steps;
    const auto grant = [&](const QString& role, const QStringList& rights) {
        if (!present.contains(role))
            return;
        steps << QStringLiteral("DO $$BEGIN EXECUTE format('GRANT USAGE ON SCHEMA %I TO %1',"
                                " current_schema()); END$$")
                     .arg(role);
        for (const QString& right : rights)
            steps << QStringLiteral("GRANT %1 TO %2").arg(right, role);
    };
    const QStringList reading = {QStringLiteral("SELECT ON ") + all,
                                 QStringLiteral("INSERT, DELETE ON ydbl, ndyj")};
    const QStringList counter =
        reading +
        QStringList{QStringLiteral("INSERT, UPDATE ON ydxx, zjxx, hyxx"),
                    QStringLiteral("INSERT, UPDATE, DELETE ON fmtp"),
                    QStringLiteral("INSERT ON zwls"), QStringLiteral("UPDATE ON bdjl")} +
        records;
    grant(QStringLiteral("movrnt_guest"), reading);
    grant(QStringLiteral("movrnt_clerk"), counter);
    grant(QStringLiteral("movrnt_owner"),
          counter + QStringList{QStringLiteral("DELETE ON ydxx, zjxx, hyxx"),
                                QStringLiteral("INSERT, UPDATE, DELETE ON cssz"),
                                QStringLiteral("EXECUTE ON FUNCTION movrnt_clear_ledger()")});
    // A restore numbers the rentals on from the file's: the owners set the sequences.
    for (const QString& role : present)
        steps << QStringLiteral(
                     "DO $$BEGIN EXECUTE format('GRANT %2 ON ALL SEQUENCES IN SCHEMA %I TO %1',"
                     " current_schema()); END$$")
                     .arg(role, role == u"movrnt_owner" ? QStringLiteral("USAGE, SELECT, UPDATE")
                                                        : QStringLiteral("USAGE"));
    return steps;
}

// The indexes an older shop lacks (or still has, of those dropped), in the
// engine's form; each new one analysed where the engine asks for it.
QStringList IndexSteps(QSqlDatabase db, const QList<const char*>& indexes,
                       const std::function<QString(const QString&)>& form, bool analyse)
{
    QStringList steps;
    for (const char* sql : indexes) {
        const QString statement = form(QString::fromUtf8(sql));
        const bool drop = statement.startsWith(QStringLiteral("DROP"));
        const QString name = statement.section(QStringLiteral(" EXISTS "), 1).section(u' ', 0, 0);
        if (Exists(db, QStringLiteral("index"), name) == drop) {
            steps << statement;
            // A new index without statistics is one the planner misjudges.
            if (!drop && analyse)
                steps << QStringLiteral("ANALYZE ") + name;
        }
    }
    return steps;
}

QStringList ChangeLogSteps(QSqlDatabase db)
{
    QStringList steps;
    if (!Exists(db, QStringLiteral("table"), QStringLiteral("bdjl")))
        for (const char* sql : kChangeLog)
            steps << QString::fromUtf8(sql);
    return steps;
}

bool HasFunction(QSqlDatabase db, const QString& name, const QString& body = {})
{
    return Run(db,
               QStringLiteral("SELECT 1 FROM pg_proc WHERE proname = ? AND pronamespace ="
                              " CAST(current_schema() AS regnamespace) AND prosrc LIKE ?"),
               {name, QStringLiteral("%") + body + QStringLiteral("%")})
        .next();
}

// Whether the server's guard of the members' money names every kind of line
// that moves it.
bool GuardKnowsEveryKind(QSqlDatabase db)
{
    QSqlQuery guard = Run(db,
                          QStringLiteral("SELECT prosrc FROM pg_proc WHERE proname ="
                                         " 'movrnt_money_lines' AND pronamespace ="
                                         " CAST(current_schema() AS regnamespace)"),
                          {});
    if (!guard.next())
        return false;
    const QString body = guard.value(0).toString();
    for (const LedgerKindRule& rule : LedgerKindRules())
        if ((rule.prepaid != 0 || rule.deposit) &&
            !body.contains(u'\'' + QString::fromUtf16(rule.name) + u'\''))
            return false;
    return true;
}

// Whether the logged-in role may change the table's definition.
bool OwnsTable(QSqlDatabase db, const QString& table)
{
    return Run(db,
               QStringLiteral("SELECT 1 FROM pg_tables WHERE schemaname = current_schema() AND"
                              " tablename = ? AND pg_has_role(current_user, tableowner, 'MEMBER')"),
               {table})
        .next();
}

bool HasRole(QSqlDatabase db, const QString& role)
{
    return Run(db, QStringLiteral("SELECT 1 FROM pg_roles WHERE rolname = ?"), {role}).next();
}

// The shop in a SQLite file of this counter: its rules are triggers, its
// statistics gathered by the program.
class FileSchema final : public ShopSchema
{
public:
    QString existsQuery(const QString&) const override
    {
        return QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = ? AND name = ?");
    }
    QString hasColumnQuery() const override
    {
        return QStringLiteral("SELECT 1 FROM pragma_table_info(?) WHERE name = ?");
    }
    void applyPragmas(QSqlDatabase db) const override
    {
        Run(db, QStringLiteral("PRAGMA journal_mode=WAL"), {});
        Run(db, QStringLiteral("PRAGMA synchronous=FULL"), {});
        // A REPLACE deletes a row too: the totals' triggers must hear of it.
        Run(db, QStringLiteral("PRAGMA recursive_triggers=ON"), {});
        Run(db, QString::fromLatin1(PageCachePragma()), {});
    }
    QStringList upgradeSteps(QSqlDatabase db) const override
    {
        QStringList steps = IndexSteps(
            db, {std::begin(kIndexes), std::end(kIndexes)}, [](const QString& sql) { return sql; },
            true);
        steps << ChangeLogSteps(db);
        if (!Exists(db, QStringLiteral("table"), QStringLiteral("jlsl")))
            steps << TotalsSchema(false);
        else if (!Exists(db, QStringLiteral("index"), QStringLiteral("mrcz_odd")))
            steps << TotalsOddDaysIndex();
        if (!Exists(db, QStringLiteral("table"), LedgerTable().first)) {
            steps << LedgerSchema(false) << OpeningLines(NowText());
        } else if (!HasColumn(db, LedgerTable().first, QStringLiteral("czy"))) {
            steps << PersonAndTillSteps(false);
            // The ledger's row rules name the new columns too.
            if (rulesInPlace(db))
                for (const QString& sql : RuleSchema(false))
                    if (sql.contains(QStringLiteral(" ON zwls ")))
                        steps << QStringLiteral("DROP TRIGGER IF EXISTS ") + sql.section(u' ', 2, 2)
                              << sql;
        }
        for (const RecordTable& table : RecordTables())
            if (!Exists(db, QStringLiteral("table"), table.name))
                steps << RecordTableSchema(table, false);
        // The people behind the counter, with the hashes of their passwords.
        if (!Exists(db, QStringLiteral("table"), QStringLiteral("czry")))
            steps << QStringLiteral(
                "CREATE TABLE czry (xm TEXT PRIMARY KEY, js TEXT NOT NULL CHECK (js IN"
                " ('店主', '店员')), mm TEXT NOT NULL DEFAULT '', ty TEXT NOT NULL"
                " DEFAULT '否' CHECK (ty IN ('是', '否')))");
        steps << ruleSteps(db);
        if (NeedsStatistics(db))
            steps << QStringLiteral("ANALYZE");
        return steps;
    }
    bool rulesInPlace(QSqlDatabase db) const override
    {
        return Exists(db, QStringLiteral("trigger"), RuleTriggerNames().constFirst());
    }
    QString checkRules(QSqlDatabase db, bool first) const override
    {
        return first && AnyBrokenRow(db, false) ? BrokenRowsIn(db, false) : QString();
    }
    bool connectionLost(const QSqlDatabase&) const override { return false; }

private:
    // The rules' triggers, once. Triggers of other names, which typed
    // statements could once make, go: they would act on the program's own
    // writes.
    QStringList ruleSteps(QSqlDatabase db) const
    {
        QStringList steps;
        if (rulesInPlace(db))
            return steps;
        QStringList own = RuleTriggerNames() + RecordTriggerNames();
        static const QRegularExpression named(QStringLiteral("^CREATE TRIGGER (\\w+)"));
        for (const QString& sql : TotalsTriggers(false) + LedgerSchema(false))
            if (const QRegularExpressionMatch match = named.match(sql); match.hasMatch())
                own << match.captured(1);
        QSqlQuery triggers =
            Run(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger'"), {});
        while (triggers.next())
            if (!own.contains(triggers.value(0).toString()))
                steps << QStringLiteral("DROP TRIGGER \"%1\"")
                             .arg(triggers.value(0).toString().replace(u'"',
                                                                       QStringLiteral("\"\"")));
        return steps << RuleSchema(false) << RentalNumberFloor(false);
    }
};

// The shop on a PostgreSQL server the counters share: its rules are
// constraints, its grants go to the people's groups, its people are the
// server's logins, and the server's autovacuum keeps the statistics.
class ServerSchema final : public ShopSchema
{
public:
    QString existsQuery(const QString& kind) const override
    {
        if (kind == u"index")
            return QStringLiteral("SELECT 1 FROM pg_indexes WHERE ? <> '' AND schemaname ="
                                  " current_schema() AND indexname = ?");
        if (kind == u"trigger")
            return QStringLiteral(
                "SELECT 1 FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid"
                " WHERE ? <> '' AND c.relnamespace = current_schema()::regnamespace"
                " AND t.tgname = ?");
        if (kind == u"constraint")
            return QStringLiteral("SELECT 1 FROM pg_constraint WHERE ? <> '' AND connamespace ="
                                  " current_schema()::regnamespace AND conname = ?");
        return QStringLiteral("SELECT 1 FROM information_schema.tables WHERE ? <> '' AND"
                              " table_schema = current_schema() AND table_name = ?");
    }
    QString hasColumnQuery() const override
    {
        return QStringLiteral("SELECT 1 FROM information_schema.columns WHERE table_schema ="
                              " current_schema() AND table_name = ? AND column_name = ?");
    }
    void applyPragmas(QSqlDatabase) const override {}
    QStringList upgradeSteps(QSqlDatabase db) const override
    {
        QList<const char*> indexes(std::begin(kIndexes), std::end(kIndexes));
        indexes.append(QList<const char*>(std::begin(kServerIndexes), std::end(kServerIndexes)));
        QStringList steps = IndexSteps(db, indexes, ServerIndex, false);
        steps << ChangeLogSteps(db);
        if (!Exists(db, QStringLiteral("trigger"), QStringLiteral("zjxx_notify")))
            for (const char* table : {"ydxx", "zjxx", "hyxx", "bdjl"})
                steps << QStringLiteral(
                             "CREATE TRIGGER %1_notify AFTER INSERT OR UPDATE OR DELETE OR"
                             " TRUNCATE ON %1 FOR EACH STATEMENT EXECUTE FUNCTION"
                             " movrnt_notify()")
                             .arg(QLatin1String(table));
        for (const char* sql : kServerSchema) {
            const QByteArray text(sql);
            if (((text.contains("cssz") || text.contains("fmtp")) &&
                 !Exists(db, QStringLiteral("table"), QStringLiteral("cssz"))) ||
                (text.contains("FUNCTION instr") && !HasFunction(db, QStringLiteral("instr"))))
                steps << QString::fromUtf8(sql);
        }
        if (!HasFunction(db, QStringLiteral("movrnt_expert_wrote")))
            steps << QString::fromLatin1(kExpertWrote);
        if (!Exists(db, QStringLiteral("table"), QStringLiteral("jlsl")))
            steps << TotalsSchema(true);
        // Only the tables' owner may add it; a counter does without meanwhile.
        else if (!Exists(db, QStringLiteral("index"), QStringLiteral("mrcz_odd")) &&
                 OwnsTable(db, QStringLiteral("mrcz")))
            steps << TotalsOddDaysIndex();
        if (!Exists(db, QStringLiteral("trigger"), QStringLiteral("hyxx_expert_money")))
            for (const char* sql : kExpertMoney)
                steps << QString::fromUtf8(sql);
        if (!Exists(db, QStringLiteral("table"), LedgerTable().first)) {
            steps << LedgerSchema(true) << OpeningLines(NowText());
            if (HasRole(db, QStringLiteral("movrnt_expert")))
                steps << QStringLiteral("GRANT SELECT ON zwls, zwrz TO movrnt_expert");
        } else if (!HasColumn(db, LedgerTable().first, QStringLiteral("czy"))) {
            steps << PersonAndTillSteps(true)
                  << QString::fromUtf8(kExpertMoney[0]); // it signs its lines too
        }
        // Money never moves without its line, whoever changes it.
        if (!Exists(db, QStringLiteral("trigger"), QStringLiteral("hyxx_money_lines")))
            steps << MoneyLinesGuard();
        // An older guard knows fewer kinds of lines: the owner replaces it.
        else if (!GuardKnowsEveryKind(db) && OwnsTable(db, LedgerTable().first))
            steps << MoneyLinesGuard().constFirst();
        // An older one leaves the records beyond the counter, which a restore replaces too.
        if (!HasFunction(db, QStringLiteral("movrnt_clear_ledger")) ||
            (!HasFunction(db, QStringLiteral("movrnt_clear_ledger"),
                          RecordTables().constLast().name) &&
             OwnsTable(db, LedgerTable().first)))
            steps << QString::fromUtf8(kClearLedger[0]) << QString::fromUtf8(kClearLedger[1]);
        bool made = false;
        for (const RecordTable& table : RecordTables())
            if (!Exists(db, QStringLiteral("table"), table.name)) {
                steps << RecordTableSchema(table, true);
                if (HasRole(db, QStringLiteral("movrnt_expert")))
                    steps << QStringLiteral("GRANT SELECT ON %1 TO movrnt_expert").arg(table.name);
                made = true;
            }
        if (made)
            steps << GroupGrants(db, true);
        // Only the tables' owner grants, once a group lacks its rights.
        if (Run(db,
                QStringLiteral("SELECT 1 FROM pg_roles r, pg_tables t WHERE r.rolname IN"
                               " ('movrnt_owner', 'movrnt_clerk', 'movrnt_guest') AND"
                               " t.schemaname = current_schema() AND t.tablename = 'ydxx' AND"
                               " pg_has_role(current_user, t.tableowner, 'MEMBER') AND NOT"
                               " has_table_privilege(r.rolname, quote_ident(t.schemaname) ||"
                               " '.ydxx', 'SELECT')"),
                {})
                .next())
            steps << GroupGrants(db);
        steps << peopleSteps(db);
        // The rules as constraints, NOT VALID so that an older shop holding a
        // row that breaks one still opens.
        QStringList rules;
        const QStringList schema = RuleSchema(true);
        for (qsizetype i = 0; i < ShopRules().size(); ++i)
            if (!Exists(db, QStringLiteral("constraint"), ShopRules()[i].name))
                rules << schema[i];
        if (!rules.isEmpty())
            rules << RentalNumberFloor(true);
        return steps << rules;
    }
    bool rulesInPlace(QSqlDatabase db) const override
    {
        return Exists(db, QStringLiteral("constraint"), ShopRules().constFirst().name);
    }
    QString checkRules(QSqlDatabase db, bool first) const override
    {
        return ValidateRules(db, first);
    }
    bool connectionLost(const QSqlDatabase& db) const override
    {
        if (!db.isOpen()) // the driver closes it on a failure that broke the line
            return true;
        const PGconn* connection = ServerHandle(db);
        return connection && PQstatus(connection) == CONNECTION_BAD;
    }

private:
    // The people are the server's login roles, listed in czry; the tables'
    // owner makes the table and, given CREATEROLE, the functions that keep
    // them. An expert who made tables in the shop's schema makes them in his
    // own from now on.
    QStringList peopleSteps(QSqlDatabase db) const
    {
        QStringList steps;
        QSqlQuery me =
            Run(db,
                QStringLiteral("SELECT r.rolcreaterole, quote_ident(current_schema()),"
                               " (SELECT string_agg(rolname, ', ') FROM pg_roles WHERE rolname IN"
                               " ('movrnt_owner', 'movrnt_clerk', 'movrnt_guest'))"
                               " FROM pg_roles r, pg_tables t WHERE r.rolname = current_user AND"
                               " t.schemaname = current_schema() AND t.tablename = 'ydxx' AND"
                               " pg_has_role(current_user, t.tableowner, 'MEMBER')"),
                {});
        if (!me.next())
            return steps;
        const QString groups = me.value(2).toString();
        if (Run(db,
                QStringLiteral(
                    "SELECT 1 FROM pg_roles WHERE rolname = 'movrnt_expert' AND"
                    " has_schema_privilege('movrnt_expert', current_schema(), 'CREATE')"),
                {})
                .next())
            steps << QStringLiteral("DO $$BEGIN EXECUTE format('REVOKE CREATE ON SCHEMA %I "
                                    "FROM movrnt_expert', current_schema()); END$$")
                  << QString::fromLatin1(kExpertSchema);
        if (!Exists(db, QStringLiteral("table"), QStringLiteral("czry")))
            steps << ServerPeopleTable(groups.isEmpty() ? QStringList()
                                                        : groups.split(QStringLiteral(", ")));
        // Functions of an older version are replaced: they did not mark the people.
        if (me.value(0).toBool() && groups.contains(QStringLiteral("movrnt_owner")) &&
            groups.contains(QStringLiteral("movrnt_clerk")) &&
            !HasFunction(db, QStringLiteral("movrnt_person_add"),
                         QStringLiteral("COMMENT ON ROLE")))
            steps << ServerPeopleFunctions(me.value(1).toString());
        return steps;
    }
};

// All steps or none: a file left half upgraded (totals without their
// triggers) would never be put right. `inTransaction`: the caller holds one.
void Upgrade(QSqlDatabase db, const UpgradeProgress& progress, bool inTransaction = false)
{
    const QStringList steps = SchemaOf(db).upgradeSteps(db);
    if (steps.isEmpty())
        return;
    if (!inTransaction && !db.transaction())
        Fail(db.lastError(), QStringLiteral("无法开始事务"));
    for (qsizetype i = 0; i < steps.size(); ++i) {
        if (progress)
            progress(int(i), int(steps.size()));
        try {
            Run(db, steps[i], {});
        } catch (const MovrntError& error) {
            if (!inTransaction)
                db.rollback();
            if (!steps[i].contains(QStringLiteral("zjxx_one_open")))
                throw;
            throw MovrntError(
                QStringLiteral("数据库中有影碟同时有两条未归还的租借记录，不能使用这个数据库：") +
                    error.description(),
                kSource);
        }
    }
    if (!inTransaction && !db.commit())
        Fail(db.lastError(), QStringLiteral("无法提交事务"));
    if (progress && !steps.isEmpty())
        progress(int(steps.size()), int(steps.size()));
}
} // namespace

const ShopSchema& store::SchemaOf(const QSqlDatabase& db)
{
    static const FileSchema file;
    static const ServerSchema server;
    return db.driverName() == u"QPSQL" ? static_cast<const ShopSchema&>(server) : file;
}

bool ConnectionLost(const QSqlDatabase& db)
{
    return SchemaOf(db).connectionLost(db);
}

const char* const kChangeLogStatement = "UPDATE bdjl SET xh = xh + 1, cz = ? WHERE lb = ?";

QByteArray PageCachePragma()
{
    return "PRAGMA cache_size=" + QByteArray::number(-kPageCacheKiB);
}

const QList<std::pair<QString, QStringList>>& ShopTables()
{
    static const QList<std::pair<QString, QStringList>> tables = {
        {"ydxx", {"bh", "pm", "lx", "ydlx", "zy", "gj", "rkrq", "sfycz", "nrjj"}},
        {"zjxx", {"zdbh", "bh", "czrq", "ghrq", "yjje", "sfyh", "hybh"}},
        {"hyxx", {"hybh", "hyxm", "hyxb", "hyzz", "lxdh", "hydj", "zjje", "yjje", "yjps", "rhrq"}},
        {"ydbl", {}},
        {"ndyj", {}},
    };
    return tables;
}

void CreateServerTables(QSqlDatabase db)
{
    if (Exists(db, QStringLiteral("table"), QStringLiteral("ydxx")))
        throw MovrntError(QStringLiteral("数据库中已经有一个影碟店的数据，不能再建立：") +
                              db.databaseName(),
                          kSource);
    for (const char* sql : kServerSchema)
        Run(db, QString::fromUtf8(sql), {});
    Run(db, QString::fromUtf8(kChangeLog[1]), {}); // its rows; the table is made above
    Upgrade(db, {}, true);
    SchemaOf(db).checkRules(db, false); // its tables are empty
    // The expert window's role, when the server has one: the data, never the
    // change log or the shop's settings; tables of its own in the schema.
    QSqlQuery expert = Run(db,
                           QStringLiteral("SELECT quote_ident(current_schema()) FROM pg_roles"
                                          " WHERE rolname = 'movrnt_expert'"),
                           {});
    if (expert.next()) {
        const QString schema = expert.value(0).toString();
        Run(db, QStringLiteral("GRANT USAGE ON SCHEMA %1 TO movrnt_expert").arg(schema), {});
        Run(db, QString::fromLatin1(kExpertSchema), {});
        Run(db,
            QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ydxx, zjxx, hyxx, ydbl, ndyj,"
                           " fmtp TO movrnt_expert"),
            {});
        Run(db,
            QStringLiteral("GRANT SELECT ON %1, zwls TO movrnt_expert")
                .arg(TotalsTables().join(QStringLiteral(", "))),
            {});
        Run(db,
            QStringLiteral("GRANT USAGE ON ALL SEQUENCES IN SCHEMA %1 TO movrnt_expert")
                .arg(schema),
            {});
    }
}

void CreateServerShop(QSqlDatabase db)
{
    if (!db.transaction())
        Fail(db.lastError(), QStringLiteral("无法开始事务"));
    try {
        CreateServerTables(db);
        if (!db.commit())
            Fail(db.lastError(), QStringLiteral("无法提交事务"));
    } catch (...) {
        db.rollback();
        throw;
    }
}

void CreateEmptyDatabase(const QString& path)
{
    if (QFileInfo::exists(path))
        throw MovrntError(QStringLiteral("数据库文件已存在：") + path, kSource);
    const QString name = QStringLiteral("movrnt-create");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            Fail(db.lastError(), QStringLiteral("无法创建数据库文件 ") + path);
        try {
            for (const char* sql : kSchema)
                Run(db, QString::fromUtf8(sql), {});
            for (const char* sql : kChangeLog)
                Run(db, QString::fromUtf8(sql), {});
            SchemaOf(db).applyPragmas(db);
            Upgrade(db, {});
            Run(db, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"), {});
        } catch (...) {
            db.close();
            QSqlDatabase::removeDatabase(name);
            throw;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    KeepPrivate(path, false);
}

QString PrepareShopConnection(QSqlDatabase db, const QString& path, const UpgradeProgress& progress)
{
    // A file that is not a database only shows itself on the first read.
    for (const auto& [table, columns] : ShopTables()) {
        bool found = false;
        try {
            found = Exists(db, QStringLiteral("table"), table);
        } catch (const MovrntError& error) {
            throw MovrntError(QStringLiteral("数据库文件已损坏，或不是本系统的数据库：%1（%2）")
                                  .arg(path, error.description()),
                              kSource);
        }
        if (!found)
            throw MovrntError(QStringLiteral("数据库文件缺少数据表 ") + table +
                                  QStringLiteral("：") + path,
                              kSource);
    }
    const ShopSchema& schema = SchemaOf(db);
    schema.applyPragmas(db);
    const bool first = !schema.rulesInPlace(db);
    Upgrade(db, progress);
    return schema.checkRules(db, first);
}
