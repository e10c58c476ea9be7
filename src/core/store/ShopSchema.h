#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace store {
// The shop's tables as one engine keeps them: its catalogue, the steps that
// bring an older shop up to date, the rules' objects and the connection's
// own settings. The store picks the schema of a connection once (SchemaOf)
// and never asks again which engine it runs on: a third engine is a third
// class, not a third branch.
class ShopSchema
{
public:
    virtual ~ShopSchema() = default;

    // A statement of two values (the kind: table, index, trigger or
    // constraint; the name) giving a row when that object is in the shop.
    virtual QString existsQuery(const QString& kind) const = 0;
    // A statement of two values (table, column) giving a row when it has it.
    virtual QString hasColumnQuery() const = 0;
    // What every new connection to the shop is set to.
    virtual void applyPragmas(QSqlDatabase db) const = 0;
    // What an older shop still lacks, in the order it is to be made.
    virtual QStringList upgradeSteps(QSqlDatabase db) const = 0;
    // The rules' objects exist: the shop has been opened since they came.
    virtual bool rulesInPlace(QSqlDatabase db) const = 0;
    // After the upgrade: the rows that break the rules, said as the clerk is
    // told; only once (`first`: the rules have just been made).
    virtual QString checkRules(QSqlDatabase db, bool first) const = 0;
    // The connection's line broke: reconnecting may help.
    virtual bool connectionLost(const QSqlDatabase& db) const = 0;
};

// The schema of the engine a connection reaches.
const ShopSchema& SchemaOf(const QSqlDatabase& db);
} // namespace store
