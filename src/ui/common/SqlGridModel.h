#pragma once

#include "store/Conditions.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QStringList>
#include <functional>

// A read-only grid over a query that may return a million rows: the count
// comes from COUNT(*) with the same conditions, rows are read a page at a time
// as the view asks for them, and one empty row follows the last record.
class SqlGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit SqlGridModel(const QStringList& headings, QObject* parent = nullptr);

    // columns: the select list; table: the FROM part; order: " ORDER BY ..."
    // (a unique key is appended so pages never overlap). Throws MovrntError.
    void setQuery(const QString& columns, const QString& table, const Conditions& conditions,
                  const QString& order, const QString& uniqueKey);
    void clear();

    qint64 total() const { return total_; }
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

    static constexpr int kPageSize = 200;

private:
    const QList<QStringList>& page(int number) const;

    QStringList headings_;
    QString statement_;
    QVariantList values_;
    qint64 total_ = 0;
    CellFormatter formatter_;
    RowToolTip rowToolTip_;
    mutable QHash<int, QList<QStringList>> pages_;
    mutable QList<int> recent_; // least recently used first
};
