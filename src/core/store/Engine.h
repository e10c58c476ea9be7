#pragma once

#include <QByteArray>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <utility>

// What differs between the engines a shop can be kept on: a SQLite file of
// this counter, or a PostgreSQL server the counters share. Code outside the
// store never asks which engine it runs on; it asks the engine (the shop's,
// or the one a location names) what it needs, and every engine answers.
//
// The SQL the domain writes (everything outside src/core/store) is the subset
// both engines read alike:
//   - `?` placeholders; text compared with = and LIKE; || to join text;
//   - dates as 'yyyy-MM-dd hh:mm:ss' text, compared and cut as text
//     (substr, length), days between them by julianday();
//   - instr(), ifnull() and coalesce(), CAST(... AS INTEGER), LIMIT/OFFSET;
//   - ON CONFLICT (...) DO UPDATE SET ... = excluded.... for an upsert.
// The server's schema defines julianday() and instr(). Everything else goes
// through the engine: locking a read (forUpdate), where NULLs sort, scratch
// tables, covers, the shop's own settings and change detection. DDL, upgrade
// steps, triggers and catalogue queries are the store's own: each engine's
// ShopSchema (ShopSchema.h), which the store picks by the connection.
class Shop;

class Engine
{
public:
    virtual ~Engine() = default;

    // Makes the shop's empty tables at `location`: a new file, or an empty
    // database on a server (one that holds a shop already is refused).
    // Throws MovrntError.
    virtual void createShop(const QString& location) const = 0;
    // The location as the clerk reads it (a server's address without its password).
    virtual QString display(const QString& location) const = 0;
    // Where the shop is, as the about box lists it: caption and value.
    virtual QList<std::pair<QString, QString>> whereLines(const QString& location) const = 0;

    // The shop is a file of this counter: copied, swapped and imported into
    // as it stands. A shop on a server is copied out into a file, and
    // replaced from a prepared file in one transaction of its own.
    virtual bool keptInFile() const = 0;
    // Appended to a SELECT whose rows the transaction is about to change:
    // locks them where other counters write at the same time.
    virtual QString forUpdate() const = 0;
    // NULLs come before every value in an ascending sort, without being told.
    virtual bool sortsNullsFirst() const = 0;
    // Follows a table's name (and alias) in FROM: the partial index a
    // statement is to read, where the planner cannot judge from its
    // statistics how few rows the index holds. The statement's WHERE must
    // repeat the index's condition. Empty where the planner judges it itself.
    virtual QString partialIndexHint(const QString& index) const = 0;
    // OFFSET reads each row it skips from the table, not from the index
    // alone: a far jump is better made by finding the key first.
    virtual bool offsetReadsTable() const = 0;

    // A connection `name` of its own to the shop at `location`, read only
    // where the engine allows (the logon reads the people before the shop is
    // opened); check isOpen(). `refused`: the engine turned the login itself
    // down (a server's wrong password or unknown user).
    virtual QSqlDatabase openReader(const QString& location, const QString& name,
                                    bool* refused) const = 0;
    // A statement that gives a row when `table` exists and may be read here
    // (an older server shop's counter role may have no right to it).
    virtual QString tableReadable(const QString& table) const = 0;

    // The shop-wide settings live in the shop, shared by all its counters,
    // rather than in this counter's settings file.
    virtual bool keepsShopSettings() const = 0;
    // A shop-wide setting as the shop keeps it (empty: absent); only where
    // keepsShopSettings().
    virtual QString shopSetting(const QString& name) const = 0;
    virtual bool setShopSetting(const QString& name, const QString& text) const = 0;

    // The people behind the counter log on as the engine's own logins, which
    // keep their passwords; otherwise the shop keeps their hashes.
    virtual bool peopleAreLogins() const = 0;
    // The engine itself refuses a write whose money disagrees with the
    // ledger; otherwise the money is checked afterwards (at start-up and at
    // the day's end).
    virtual bool guardsLedgerOnWrite() const = 0;
    // The expert's statements run as a login of their own, confined by its
    // rights, whose password the owner types.
    virtual bool expertLogsIn() const = 0;

    // Covers: stored byte for byte, replacing the old one (throws
    // MovrntError); read back (empty when none); the file a cover is kept
    // in on this counter, empty where the shop keeps the covers itself.
    virtual void storeCover(Shop& shop, const QString& bh, const QString& source) const = 0;
    virtual QByteArray coverBytes(Shop& shop, const QString& bh) const = 0;
    virtual QString coverFile(const QString& bh) const = 0;
    // The covers of deleted discs: within the deletion's transaction, then
    // once it has committed (a failed deletion keeps every cover).
    virtual void dropCoversInTransaction(Shop& shop) const = 0;
    virtual void dropCoversCommitted(const QStringList& numbers) const = 0;

    // Changes whenever anything in the shop may have changed, whoever wrote.
    virtual QString changeStamp(Shop& shop) const = 0;
    // Changes whenever the discs' stars or countries may have changed.
    struct CatalogueStamp
    {
        QString state;
        qint64 writes = -1; // one more for each write of a disc
        bool operator==(const CatalogueStamp&) const = default;
    };
    virtual CatalogueStamp catalogueStamp(Shop& shop) const = 0;
    // Makes a chart's scratch table this session's own where counters share
    // the shop, so two charts drawn at once never mix.
    virtual void ownScratchTable(Shop& shop, const QString& table) const = 0;
};

// Covers on a file: Pictures/<number>.jpg under the program folder.
QString PicturesFolder();
QString CoverPath(const QString& bh);
// The cover in that folder (empty when none, or too large to be one).
QByteArray CoverFileBytes(const QString& bh);
// No cover is larger: a picture that big is no scanned sleeve.
constexpr qint64 kMaxCoverBytes = qint64(16) << 20;

// The engine of a shop at a location (a path or a postgresql:// URL).
const Engine& EngineOf(const QString& location);
// The engine of the chosen shop (ShopLocation()), open or not yet.
const Engine& ChosenEngine();
