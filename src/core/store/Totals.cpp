#include "Totals.h"
#include "Shop.h"

#include "Database.h"

namespace {
struct Counted
{
    const char* table;
    QStringList flags; // columns counted per text; none: the rows alone
};

const QList<Counted>& CountedTables()
{
    static const QList<Counted> tables = {
        {"ydxx", {"sfycz", "ydlx", "lx"}},
        {"zjxx", {"sfyh"}},
        {"hyxx", {}},
    };
    return tables;
}

const Counted* Find(const QString& table)
{
    for (const Counted& counted : CountedTables())
        if (table == QLatin1String(counted.table))
            return &counted;
    return nullptr;
}

// One row (NEW or OLD) counted in or out of a flag's text; no flag: the table's rows.
QString FlagRow(const QString& table, const QString& flag, const QString& row, int sign)
{
    return QStringLiteral(
               "INSERT INTO jlsl (bm, zd, zt, sl) VALUES ('%1', '%2', %3, %4) ON CONFLICT"
               " (bm, zd, zt) DO UPDATE SET sl = sl + excluded.sl;")
        .arg(table, flag,
             flag.isEmpty() ? QStringLiteral("''")
                            : QStringLiteral("COALESCE(%1.%2, '')").arg(row, flag))
        .arg(sign);
}

QString Row(const QString& table, const QString& row, int sign)
{
    const Counted* counted = Find(table);
    if (counted->flags.isEmpty())
        return FlagRow(table, QString(), row, sign);
    QString sql;
    for (const QString& flag : counted->flags)
        sql += FlagRow(table, flag, row, sign);
    return sql;
}

// A rental of the row `row` (NEW or OLD) in the day totals and per disc.
QString RentalRow(const QString& row, int sign)
{
    return QStringLiteral(
               "INSERT INTO mrcz (czrq, ydlx, lx, sl) SELECT %1.czrq, COALESCE(ydlx, ''),"
               " COALESCE(lx, ''), %2 FROM ydxx WHERE bh = %1.bh AND %1.czrq IS NOT NULL"
               " ON CONFLICT (czrq, ydlx, lx) DO UPDATE SET sl = sl + excluded.sl;"
               "INSERT INTO ydzc (bh, cs) SELECT %1.bh, %2 WHERE %1.bh IS NOT NULL"
               " ON CONFLICT (bh) DO UPDATE SET cs = cs + excluded.cs;")
        .arg(row)
        .arg(sign);
}

// The rentals of a disc row in the day totals, one pass of its rentals.
QString DiscRow(const QString& row, int sign)
{
    return QStringLiteral(
               "INSERT INTO mrcz (czrq, ydlx, lx, sl) SELECT czrq, COALESCE(%1.ydlx, ''),"
               " COALESCE(%1.lx, ''), %2 * COUNT(*) FROM zjxx WHERE bh = %1.bh AND czrq"
               " IS NOT NULL GROUP BY czrq ON CONFLICT (czrq, ydlx, lx) DO UPDATE SET"
               " sl = sl + excluded.sl;")
        .arg(row)
        .arg(sign);
}

QStringList FileTriggers()
{
    QStringList triggers;
    for (const Counted& counted : CountedTables()) {
        const QString table = QLatin1String(counted.table);
        const auto extra = [&](const QString& row, int sign) {
            return table == u"zjxx"   ? RentalRow(row, sign)
                   : table == u"ydxx" ? DiscRow(row, sign)
                                      : QString();
        };
        triggers
            << QStringLiteral("CREATE TRIGGER %1_totals_insert AFTER INSERT ON %1 BEGIN %2%3 END")
                   .arg(table, Row(table, QStringLiteral("NEW"), 1),
                        extra(QStringLiteral("NEW"), 1))
            << QStringLiteral("CREATE TRIGGER %1_totals_delete AFTER DELETE ON %1 BEGIN %2%3 END")
                   .arg(table, Row(table, QStringLiteral("OLD"), -1),
                        extra(QStringLiteral("OLD"), -1));
        for (const QString& flag : counted.flags)
            triggers << QStringLiteral("CREATE TRIGGER %1_totals_%2 AFTER UPDATE OF %2 ON %1 WHEN"
                                       " OLD.%2 IS NOT NEW.%2 BEGIN %3%4 END")
                            .arg(table, flag, FlagRow(table, flag, QStringLiteral("OLD"), -1),
                                 FlagRow(table, flag, QStringLiteral("NEW"), 1));
    }
    // A rental moved to another disc or day; a disc renumbered or of another kind.
    triggers << QStringLiteral(
                    "CREATE TRIGGER zjxx_totals_moved AFTER UPDATE OF bh, czrq ON zjxx"
                    " WHEN OLD.bh IS NOT NEW.bh OR OLD.czrq IS NOT NEW.czrq BEGIN %1%2 END")
                    .arg(RentalRow(QStringLiteral("OLD"), -1), RentalRow(QStringLiteral("NEW"), 1))
             << QStringLiteral(
                    "CREATE TRIGGER ydxx_totals_kind AFTER UPDATE OF bh, ydlx, lx ON ydxx"
                    " WHEN OLD.bh IS NOT NEW.bh OR OLD.ydlx IS NOT NEW.ydlx OR OLD.lx IS NOT"
                    " NEW.lx BEGIN %1%2 END")
                    .arg(DiscRow(QStringLiteral("OLD"), -1), DiscRow(QStringLiteral("NEW"), 1));
    return triggers;
}

// On a server one trigger a statement, over all its rows at once (its
// transition tables). Every upsert takes its rows' locks in key order, and the
// tables in the order jlsl, ydzc, mrcz, so that two counters never wait on
// each other in a circle.
QString ServerBody(const Counted& counted, const QString& changed)
{
    const QString table = QLatin1String(counted.table);
    const QString rows = QStringLiteral("(%1) AS c").arg(changed);
    QString sql;
    QStringList values;
    for (const QString& flag : counted.flags)
        values << QStringLiteral("SELECT '%1' AS zd, COALESCE(%1, '') AS zt, n FROM %2")
                      .arg(flag, rows);
    if (values.isEmpty())
        values << QStringLiteral("SELECT '' AS zd, '' AS zt, n FROM %1").arg(rows);
    sql += QStringLiteral("INSERT INTO jlsl (bm, zd, zt, sl) SELECT '%1', zd, zt, SUM(n) FROM (%2)"
                          " AS v GROUP BY zd, zt HAVING SUM(n) <> 0 ORDER BY zd, zt ON CONFLICT"
                          " (bm, zd, zt) DO UPDATE SET sl = jlsl.sl + EXCLUDED.sl;")
               .arg(table, values.join(QStringLiteral(" UNION ALL ")));
    if (table == u"zjxx")
        sql += QStringLiteral(
                   "INSERT INTO ydzc (bh, cs) SELECT bh, SUM(n) FROM %1 WHERE bh IS NOT NULL"
                   " GROUP BY bh HAVING SUM(n) <> 0 ORDER BY bh ON CONFLICT (bh) DO UPDATE SET"
                   " cs = ydzc.cs + EXCLUDED.cs;"
                   "WITH d AS (SELECT bh, czrq, SUM(n) AS n FROM %1 WHERE czrq IS NOT NULL GROUP BY"
                   " bh, czrq HAVING SUM(n) <> 0) INSERT INTO mrcz (czrq, ydlx, lx, sl) SELECT"
                   " d.czrq, COALESCE(y.ydlx, ''), COALESCE(y.lx, ''), SUM(d.n) FROM d JOIN ydxx AS"
                   " y ON y.bh = d.bh GROUP BY 1, 2, 3 HAVING SUM(d.n) <> 0 ORDER BY 1, 2, 3 ON"
                   " CONFLICT (czrq, ydlx, lx) DO UPDATE SET sl = mrcz.sl + EXCLUDED.sl;")
                   .arg(rows);
    // A disc's own change (its flag) nets out before its rentals are read.
    if (table == u"ydxx")
        sql +=
            QStringLiteral(
                "WITH d AS (SELECT bh, COALESCE(ydlx, '') AS ydlx, COALESCE(lx, '') AS lx,"
                " SUM(n) AS n FROM %1 GROUP BY 1, 2, 3 HAVING SUM(n) <> 0) INSERT INTO mrcz"
                " (czrq, ydlx, lx, sl) SELECT z.czrq, d.ydlx, d.lx, SUM(d.n) FROM d JOIN zjxx AS"
                " z ON z.bh = d.bh WHERE z.czrq IS NOT NULL GROUP BY 1, 2, 3 HAVING SUM(d.n) <> 0"
                " ORDER BY 1, 2, 3 ON CONFLICT (czrq, ydlx, lx) DO UPDATE SET sl = mrcz.sl +"
                " EXCLUDED.sl;")
                .arg(rows);
    return sql;
}

QStringList ServerTriggers()
{
    QStringList statements;
    for (const Counted& counted : CountedTables()) {
        const QString table = QLatin1String(counted.table);
        const QString inserted = QStringLiteral("SELECT *, 1 AS n FROM new_rows");
        const QString deleted = QStringLiteral("SELECT *, -1 AS n FROM old_rows");
        QString truncated = QStringLiteral("DELETE FROM jlsl WHERE bm = '%1';").arg(table);
        if (table != u"hyxx")
            truncated += QStringLiteral("DELETE FROM mrcz;");
        if (table == u"zjxx")
            truncated += QStringLiteral("DELETE FROM ydzc;");
        // Run as the tables' owner: the expert window's role may not write the totals.
        statements << QStringLiteral(
                          "CREATE FUNCTION movrnt_%1_totals() RETURNS trigger LANGUAGE plpgsql"
                          " SECURITY DEFINER SET search_path FROM CURRENT AS $$BEGIN"
                          " IF TG_OP = 'INSERT' THEN %2 ELSIF TG_OP = 'DELETE' THEN %3"
                          " ELSIF TG_OP = 'UPDATE' THEN %4 ELSE %5 END IF; RETURN NULL; END$$")
                          .arg(table, ServerBody(counted, inserted), ServerBody(counted, deleted),
                               ServerBody(counted,
                                          inserted + QStringLiteral(" UNION ALL ") + deleted),
                               truncated);
        for (const auto& [event, referencing] : QList<std::pair<QString, QString>>{
                 {"INSERT", "NEW TABLE AS new_rows"},
                 {"DELETE", "OLD TABLE AS old_rows"},
                 {"UPDATE", "OLD TABLE AS old_rows NEW TABLE AS new_rows"},
                 {"TRUNCATE", ""}})
            statements << QStringLiteral("CREATE TRIGGER %1_totals_%2 AFTER %3 ON %1 %4 FOR EACH"
                                         " STATEMENT EXECUTE FUNCTION movrnt_%1_totals()")
                              .arg(table, event.toLower(), event,
                                   referencing.isEmpty()
                                       ? QString()
                                       : QStringLiteral("REFERENCING ") + referencing);
    }
    return statements;
}
} // namespace

const QStringList& TotalsTables()
{
    static const QStringList tables = {"jlsl", "mrcz", "ydzc", "zwrz"};
    return tables;
}

QString TotalsOddDaysIndex()
{
    return QStringLiteral(
        "CREATE INDEX IF NOT EXISTS mrcz_odd ON mrcz (czrq) WHERE czrq NOT LIKE '____-__-__'");
}

QStringList TotalsSchema(bool server)
{
    const QString count = server ? QStringLiteral("BIGINT") : QStringLiteral("INTEGER");
    const QString keyed = server ? QString() : QStringLiteral(" WITHOUT ROWID");
    QStringList schema = {
        QStringLiteral("CREATE TABLE jlsl (bm TEXT NOT NULL, zd TEXT NOT NULL, zt TEXT NOT NULL,"
                       " sl %1 NOT NULL, PRIMARY KEY (bm, zd, zt))%2")
            .arg(count, keyed),
        QStringLiteral(
            "CREATE TABLE mrcz (czrq TEXT NOT NULL, ydlx TEXT NOT NULL, lx TEXT NOT NULL,"
            " sl %1 NOT NULL, PRIMARY KEY (czrq, ydlx, lx))%2")
            .arg(count, keyed),
        QStringLiteral("CREATE TABLE ydzc (bh TEXT PRIMARY KEY NOT NULL, cs %1 NOT NULL)%2")
            .arg(count, keyed),
        QStringLiteral("CREATE INDEX ydzc_rank ON ydzc (cs DESC, bh)"),
        TotalsOddDaysIndex(),
    };
    return schema + TotalsRebuild() + TotalsTriggers(server);
}

QStringList TotalsTriggers(bool server)
{
    return server ? ServerTriggers() : FileTriggers();
}

QStringList TotalsRebuild()
{
    QStringList sql = {QStringLiteral("DELETE FROM jlsl"), QStringLiteral("DELETE FROM mrcz"),
                       QStringLiteral("DELETE FROM ydzc")};
    for (const Counted& counted : CountedTables()) {
        if (counted.flags.isEmpty())
            sql << QStringLiteral("INSERT INTO jlsl (bm, zd, zt, sl) SELECT '%1', '', '', COUNT(*)"
                                  " FROM %1")
                       .arg(QLatin1String(counted.table));
        for (const QString& flag : counted.flags)
            sql << QStringLiteral("INSERT INTO jlsl (bm, zd, zt, sl) SELECT '%1', '%2',"
                                  " COALESCE(%2, ''), COUNT(*) FROM %1 GROUP BY COALESCE(%2, '')")
                       .arg(QLatin1String(counted.table), flag);
    }
    sql << QStringLiteral("INSERT INTO ydzc (bh, cs) SELECT bh, COUNT(*) FROM zjxx WHERE bh IS NOT"
                          " NULL GROUP BY bh")
        << QStringLiteral(
               "INSERT INTO mrcz (czrq, ydlx, lx, sl) SELECT z.czrq, COALESCE(d.ydlx, ''),"
               " COALESCE(d.lx, ''), COUNT(*) FROM zjxx AS z JOIN ydxx AS d ON d.bh ="
               " z.bh WHERE z.czrq IS NOT NULL GROUP BY z.czrq, COALESCE(d.ydlx, ''),"
               " COALESCE(d.lx, '')");
    return sql;
}

qint64 TableCount(Shop& shop, const QString& table, const QString& column, const QString& text)
{
    const Counted* counted = Find(table);
    const QString zd = !column.isEmpty()                      ? column
                       : counted && !counted->flags.isEmpty() ? counted->flags.first()
                                                              : QStringLiteral(""); // not NULL
    if (column.isEmpty())
        return RunScalar(shop,
                         QStringLiteral("SELECT COALESCE(SUM(sl), 0) FROM jlsl WHERE bm = ? AND"
                                        " zd = ?"),
                         {table, zd})
            .toLongLong();
    return RunScalar(shop, QStringLiteral("SELECT sl FROM jlsl WHERE bm = ? AND zd = ? AND zt = ?"),
                     {table, zd, text})
        .toLongLong();
}

std::optional<qint64> KnownCount(Shop& shop, const QString& table, const Conditions& conditions)
{
    const Counted* counted = Find(table);
    if (!counted)
        return std::nullopt;
    if (conditions.isEmpty())
        return TableCount(shop, table);
    if (conditions.pieces().size() != 1 || conditions.values().size() != 1 ||
        conditions.values().first().typeId() != QMetaType::QString)
        return std::nullopt;
    const QString piece = conditions.pieces().first();
    for (const QString& flag : counted->flags)
        if (piece == flag + QStringLiteral(" = ?"))
            return TableCount(shop, table, flag, conditions.values().first().toString());
    return std::nullopt;
}
