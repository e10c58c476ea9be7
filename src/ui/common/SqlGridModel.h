#pragma once

#include "core/store/Conditions.h"
#include "core/store/PagedQuery.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QStringList>
#include <functional>

// A read-only grid over a query that may return a million rows: the count
// comes from COUNT(*) with the same conditions, rows are read a page at a time
// by key as the view asks for them, and one empty row follows the last record.
class Shop;
class SqlGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    SqlGridModel(Shop& shop, const QStringList& headings, QObject* parent = nullptr);

    // columns: the select list; table: the FROM part; sort: the sort columns,
    // to which the unique key is appended so pages never overlap. Throws MovrntError.
    // countTable: as PagedQuery::set.
    void setQuery(const QString& columns, const QString& table, const Conditions& conditions,
                  const QStringList& sort, const QString& uniqueKey,
                  const QString& countTable = {});
    // A keyless query whose count and first page were read already.
    void setReadQuery(const QString& columns, const QString& table, qint64 total,
                      QList<QVariantList> firstPage);
    void clear();
    // Runs the query again (its data changed) and finds the rows that stood
    // at `rows` by their keys: each one's new row, or where it would stand
    // with `kept` false once it is gone. Throws MovrntError.
    struct Moved
    {
        int row;
        bool kept;
    };
    QList<Moved> requery(const QList<int>& rows);

    qint64 total() const { return query_.total(); }
    // The view sees at most this many rows at a time, from windowStart() on
    // (a view keeps some state for every row it is given: too much for ten
    // million). Rows and cells are counted within the window.
    static inline int windowRows = 100000;
    qint64 windowStart() const { return windowStart_; }
    // Moves the window to begin at the result's row `start` (kept within the
    // result); the view is reset when it moves.
    void setWindowStart(qint64 start);
    // The text of a cell; empty for the row after the last record.
    QString cell(int row, int column) const;
    QString heading(int column) const { return headings_.value(column); }
    // How many records have been read so far.
    int loadedRows() const;

    using CellFormatter = std::function<QString(int column, const QVariant& value)>;
    void setCellFormatter(CellFormatter formatter) { formatter_ = std::move(formatter); }
    using RowToolTip = std::function<QString(const SqlGridModel& model, int row)>;
    void setRowToolTip(RowToolTip toolTip) { rowToolTip_ = std::move(toolTip); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    static constexpr int kPageSize = PagedQuery::kPageSize;

private:
    const QList<QStringList>& page(int number) const;
    QVariantList keyAt(qint64 row) const; // by the result's row
    qint64 clampedStart(qint64 start) const;
    // Empties the pages, runs the query (set or again) and keeps its first
    // page; the view's window then begins at `start`, as far as the result goes.
    void reload(const std::function<void()>& run, qint64 start = 0);
    void keep(int number, QList<QStringList> rows, QList<QVariantList> keys) const;
    QList<QStringList> format(const QList<QVariantList>& rows) const;

    QStringList headings_;
    mutable PagedQuery query_;
    CellFormatter formatter_;
    RowToolTip rowToolTip_;
    mutable QHash<int, QList<QStringList>> pages_;
    mutable QHash<int, QList<QVariantList>> keys_; // the rows' keys, page by page
    mutable QList<int> recent_;                    // least recently used first
    qint64 windowStart_ = 0;
};
