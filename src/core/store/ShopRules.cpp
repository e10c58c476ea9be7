#include "ShopRules.h"

#include "TextRules.h"

#include <QRegularExpression>

namespace {
// Any of the columns longer than a cell holds.
QString TooLong(const QStringList& columns)
{
    QStringList parts;
    for (const QString& column : columns)
        parts << QStringLiteral("length(%1") + column + QStringLiteral(") > ") +
                     QString::number(kMaxTextLength);
    return parts.join(QStringLiteral(" OR "));
}

QString Blank(const QString& column)
{
    return QStringLiteral("%1%2 IS NULL OR trim(%1%2) = ''").arg(QStringLiteral("%1"), column);
}

QString Flag(const QString& column)
{
    return QStringLiteral("%1%2 IS NULL OR %1%2 NOT IN ('是', '否')")
        .arg(QStringLiteral("%1"), column);
}

// Not a number between the bounds: NULL, text (which the file ranks above any number), NaN.
QString Outside(const QString& column, const QString& low, const QString& high)
{
    return QStringLiteral("%1%2 IS NULL OR NOT (%1%2 BETWEEN %3 AND %4)")
        .arg(QStringLiteral("%1"), column, low, high);
}

QString NotWhole(const QString& column)
{
    return QStringLiteral("typeof(%1%2) <> 'integer'").arg(QStringLiteral("%1"), column);
}

const QString kTooLongWords = QStringLiteral("每项内容不能超过 %1 个字符").arg(kMaxTextLength);

struct Keyed
{
    const char* table;
    const char* key;
};
const Keyed kTables[] = {{"ydxx", "bh"}, {"zjxx", "zdbh"}, {"hyxx", "hybh"}, {"zwls", "lsh"}};
} // namespace

QString ShopRule::condition(bool server, const QString& row) const
{
    QString sql = broken;
    if (!server && !fileOnly.isEmpty())
        sql += QStringLiteral(" OR ") + fileOnly;
    return sql.arg(row);
}

const QList<ShopRule>& ShopRules()
{
    static const QList<ShopRule> rules = [] {
        const QString rental = QString::number(kMaxRentalNumber);
        const QString ledger = QString::number(kMaxLedgerAmount);
        const QString money = QStringLiteral("1e14");
        return QList<ShopRule>{
            {"ydxx", "ydxx_bh_rule", Blank("bh"), {}, QStringLiteral("影碟编号不能为空")},
            {"ydxx",
             "ydxx_text_rule",
             TooLong({"bh", "pm", "lx", "ydlx", "zy", "gj", "rkrq", "sfycz", "nrjj"}),
             {},
             kTooLongWords},
            {"ydxx",
             "ydxx_kind_rule",
             Blank("lx") + QStringLiteral(" OR ") + Blank("ydlx"),
             {},
             QStringLiteral("影片类型和影碟类型不能为空")},
            {"ydxx",
             "ydxx_sfycz_rule",
             Flag("sfycz"),
             {},
             QStringLiteral("是否已出租应为“是”或“否”")},
            {"zjxx",
             "zjxx_zdbh_rule",
             Outside("zdbh", "1", rental),
             {},
             QStringLiteral("租借编号应为 1 至 %1 之间的整数").arg(rental)},
            {"zjxx", "zjxx_bh_rule", Blank("bh"), {}, QStringLiteral("影碟编号不能为空")},
            {"zjxx",
             "zjxx_text_rule",
             TooLong({"bh", "czrq", "ghrq", "yjje", "sfyh", "hybh"}),
             {},
             kTooLongWords},
            {"zjxx", "zjxx_sfyh_rule", Flag("sfyh"), {}, QStringLiteral("是否已还应为“是”或“否”")},
            {"hyxx",
             "hyxx_hybh_rule",
             Blank("hybh") + QStringLiteral(" OR %1hybh = '/'"),
             {},
             QStringLiteral("会员编号不能为空，也不能是“/”（散客的标记）")},
            {"hyxx",
             "hyxx_text_rule",
             TooLong({"hybh", "hyxm", "hyxb", "hyzz", "lxdh", "rhrq"}),
             {},
             kTooLongWords},
            {"hyxx", "hyxx_hyxb_rule", Blank("hyxb"), {}, QStringLiteral("会员性别不能为空")},
            {"hyxx",
             "hyxx_money_rule",
             Outside("zjje", "-" + money, money) + QStringLiteral(" OR ") +
                 Outside("yjje", "-" + money, money),
             {},
             QStringLiteral("预付租金和押金应为数值，且在可以计算的范围之内（±10^14 元）")},
            {"hyxx", "hyxx_count_rule",
             Outside("hydj", "0", "2147483647") + QStringLiteral(" OR ") +
                 Outside("yjps", "0", "2147483647"),
             NotWhole("hydj") + QStringLiteral(" OR ") + NotWhole("yjps"),
             QStringLiteral("会员等级和已借片数应为非负整数")},
            {"zwls",
             "zwls_text_rule",
             TooLong({"jzsj", "ywlx", "bh", "hybh", "gtmc"}),
             {},
             kTooLongWords},
            {"zwls", "zwls_person_rule", TooLong({"gtid", "czy"}), {}, kTooLongWords},
            {"zwls", "zwls_je_rule", Outside("je", "-" + ledger, ledger), NotWhole("je"),
             QStringLiteral("账务流水的金额应为整数，且在可以计算的范围之内")},
            {"zwls", "zwls_zdbh_rule", Outside("zdbh", "0", rental), NotWhole("zdbh"),
             QStringLiteral("账务流水的租借编号应为 0 至 %1 之间的整数").arg(rental)},
        };
    }();
    return rules;
}

QString RentalNumberFloor(bool server)
{
    const QString highest = QStringLiteral("(SELECT MAX(n) FROM (SELECT MAX(zdbh) AS n FROM zjxx"
                                           " UNION ALL SELECT MAX(zdbh) FROM zwls) AS m)");
    if (server)
        return QStringLiteral("SELECT setval(pg_get_serial_sequence('zjxx', 'zdbh'), %1)"
                              " WHERE %1 > 0")
            .arg(highest);
    return QStringLiteral(
               "INSERT OR REPLACE INTO sqlite_sequence (rowid, name, seq) SELECT"
               " (SELECT rowid FROM sqlite_sequence WHERE name = 'zjxx'), 'zjxx', MAX(%1,"
               " COALESCE((SELECT seq FROM sqlite_sequence WHERE name = 'zjxx'), 0))"
               " WHERE %1 > 0")
        .arg(highest);
}

QStringList RuledTables()
{
    QStringList tables;
    for (const Keyed& keyed : kTables)
        tables << QString::fromLatin1(keyed.table);
    return tables;
}

QStringList RuleTriggerNames()
{
    QStringList names;
    for (const QString& table : RuledTables())
        names << table + QStringLiteral("_rules_insert") << table + QStringLiteral("_rules_update");
    return names;
}

QStringList RuleSchema(bool server)
{
    QStringList statements;
    if (server) {
        for (const ShopRule& rule : ShopRules())
            statements << QStringLiteral(
                              "ALTER TABLE %1 ADD CONSTRAINT %2 CHECK (NOT (%3)) NOT VALID")
                              .arg(rule.table, rule.name, rule.condition(true));
        return statements;
    }
    for (const QString& table : RuledTables()) {
        QStringList body;
        for (const ShopRule& rule : ShopRules())
            if (rule.table == table)
                body << QStringLiteral("SELECT RAISE(ABORT, '%1') WHERE %2;")
                            .arg(rule.words, rule.condition(false, QStringLiteral("NEW.")));
        for (const char* event : {"INSERT", "UPDATE"})
            statements << QStringLiteral("CREATE TRIGGER %1_rules_%2 AFTER %3 ON %1 BEGIN %4 END")
                              .arg(table, QString::fromLatin1(event).toLower(),
                                   QLatin1String(event), body.join(u' '));
    }
    return statements;
}

namespace {
QString KeyOf(const QString& table)
{
    for (const Keyed& keyed : kTables)
        if (table == QLatin1String(keyed.table))
            return QString::fromLatin1(keyed.key);
    return {};
}
} // namespace

QString BrokenRuleQuery(int rule, bool server, int limit)
{
    const ShopRule& broken = ShopRules().at(rule);
    return QStringLiteral("SELECT CAST(%1 AS TEXT) FROM %2 WHERE %3 LIMIT %4")
        .arg(KeyOf(broken.table), broken.table, broken.condition(server))
        .arg(limit);
}

QString BrokenRowsQuery(const QString& table, bool server, int limit)
{
    const QString key = KeyOf(table);
    QStringList cases, any;
    for (qsizetype i = 0; i < ShopRules().size(); ++i) {
        const ShopRule& rule = ShopRules()[i];
        if (rule.table != table)
            continue;
        const QString condition = QStringLiteral("(") + rule.condition(server) + u')';
        cases << QStringLiteral("WHEN %1 THEN %2").arg(condition).arg(i);
        any << condition;
    }
    return QStringLiteral("SELECT CAST(%1 AS TEXT), CASE %2 END FROM %3 WHERE %4 LIMIT %5")
        .arg(key, cases.join(u' '), table, any.join(QStringLiteral(" OR ")))
        .arg(limit);
}

QString BrokenRowsReport(const QList<BrokenRow>& found)
{
    // Rules in their order, each with the rows that break it.
    QStringList lines;
    for (qsizetype i = 0; i < ShopRules().size(); ++i) {
        QStringList keys;
        QString table;
        for (const BrokenRow& row : found)
            if (row.rule == i) {
                keys << (row.key.isNull() ? QStringLiteral("（空）") : row.key.left(20));
                table = row.table;
            }
        if (!keys.isEmpty())
            lines << QStringLiteral("数据表 %1 中编号为 %2 的记录：%3")
                         .arg(table, keys.join(QStringLiteral("、")), ShopRules()[i].words);
    }
    if (lines.isEmpty())
        return {};
    return QStringLiteral(
               "数据库中有不符合规则的记录，在改正之前，对这些记录的修改都会被拒绝：\n") +
           lines.join(u'\n') +
           QStringLiteral("\n请在专家操作方式中用 UPDATE 语句改正这些记录，或删除它们。");
}

QString BrokenRowLine(const BrokenRow& row)
{
    return QStringLiteral("数据表 %1 中编号为 %2 的记录：%3")
        .arg(row.table, row.key.left(20), ShopRules().value(row.rule).words);
}

QString RuleRefusal(const QString& errorText)
{
    // A server names the constraint; the file's trigger says the words
    // (and the driver may add its own after them).
    static const QRegularExpression named(QStringLiteral("\"(\\w+_rule)\""));
    const QString name = named.match(errorText).captured(1);
    for (const ShopRule& rule : ShopRules())
        if ((!name.isEmpty() && rule.name == name) || errorText.startsWith(rule.words))
            return rule.words;
    return {};
}
