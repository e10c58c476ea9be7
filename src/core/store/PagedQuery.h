#pragma once

#include "core/store/Conditions.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>

// A query that may return a million rows, read a page at a time in a fixed
// order. Pages are found by key: the sort columns plus a unique column, taken
// from the nearest page already read, or from either end of the result, so
// no page costs more than the distance to a known place, and scrolling on
// page by page costs one index step.
class Shop;
class PagedQuery
{
public:
    static constexpr int kPageSize = 200;
    // Rows a server skips row by row before the page's key is looked up in an index.
    static constexpr qint64 kFarSkip = 400;
    // From this many rows on, a page index (the key ending each page) is read
    // in the background once a query is set, so that a jump to any page is
    // one index range, never a walk over millions of rows.
    static inline qint64 indexFrom = 50 * kPageSize;

    explicit PagedQuery(Shop& shop) : shop_(shop) {}
    ~PagedQuery();
    PagedQuery(const PagedQuery&) = delete;
    PagedQuery& operator=(const PagedQuery&) = delete;

    // columns: the select list; table: the FROM part; sort: the sort columns;
    // uniqueKey: a column that is unique and never NULL (rowid, zdbh), the
    // last sort key; without one (a typed query) pages are read by position.
    // Counts the rows and reads the first page, so a statement
    // the database refuses is reported here. Throws MovrntError.
    // countTable: the FROM part the rows are counted in, where fewer tables
    // give the same count (a LEFT JOIN on the joined table's key).
    void set(const QString& columns, const QString& table, const Conditions& conditions,
             const QStringList& sort, const QString& uniqueKey, const QString& countTable = {});
    // The same for a query without a key whose count and first page were
    // read elsewhere (a typed query, read where it can be stopped).
    void setRead(const QString& columns, const QString& table, qint64 total,
                 QList<QVariantList> firstPage);
    void clear();
    // Runs the query set last again (the data changed). Throws MovrntError.
    void again();

    qint64 total() const { return total_; }
    // The values of the select list, one list a row; with `keys`, each row's
    // key too (its sort columns and unique column). Throws MovrntError.
    QList<QVariantList> page(int number, QList<QVariantList>* keys = nullptr);
    // Where a row of this key stands (or would stand) in the result; -1 when
    // that cannot be told (no unique key, a NULL in the key). Throws MovrntError.
    qint64 positionOf(const QVariantList& key) const;
    // The statements a page is read with, from the rows after a known key to
    // the rows from the top (for EXPLAIN QUERY PLAN).
    QStringList pageStatements() const;
    // The first page, as set() read it; empty after the pages were read again.
    QList<QVariantList> takeFirstPage(QList<QVariantList>* keys = nullptr);
    // Waits until the page index is read (or was never started); for tests.
    void waitForPageIndex();

private:
    Shop& shop_;
    struct Bounds
    {
        QVariantList first, last; // the keys of the page's first and last row
    };
    QString statement(bool forward, int part) const;
    QList<QVariantList> read(int number, bool forward, const QVariantList* key, qint64 skip,
                             qint64 limit, QList<QVariantList>* keys = nullptr);
    QString countStatement(bool forward, int part) const;

    QString columns_, uniqueKey_;
    QStringList sort_;
    QString select_, table_, countTable_;
    Conditions conditions_;
    QStringList keys_;
    int shown_ = 0;
    qint64 total_ = 0;
    bool nullFree_ = false; // no sort column holds NULL: reading back from a key is exact
    QMap<int, Bounds> bounds_;
    QList<QVariantList> firstPage_, firstKeys_;

    struct PageIndex;
    void startPageIndex();
    void stopPageIndex();
    std::shared_ptr<PageIndex> index_;
};
