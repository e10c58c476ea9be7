#include "SqlGridModel.h"

#include "store/Database.h"
#include "store/Errors.h"

#include <QtDebug>
#include <algorithm>
#include <climits>

namespace {
constexpr int kPagesKept = 50;
}

SqlGridModel::SqlGridModel(const QStringList& headings, QObject* parent)
    : QAbstractTableModel(parent), headings_(headings)
{
}

void SqlGridModel::setQuery(const QString& columns, const QString& table,
                            const Conditions& conditions, const QStringList& sort,
                            const QString& uniqueKey)
{
    reload([&] { query_.set(columns, table, conditions, sort, uniqueKey); });
}

QList<SqlGridModel::Moved> SqlGridModel::requery(const QList<int>& rows)
{
    QList<QVariantList> keys;
    for (int row : rows)
        keys << keyOf(row);
    reload([this] { query_.again(); });
    QList<Moved> moved;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const qint64 found = keys[i].isEmpty() ? -1 : query_.positionOf(keys[i]);
        const int row = int(std::clamp<qint64>(found < 0 ? rows[i] : found, 0, total()));
        moved.append({row, !keys[i].isEmpty() && keyOf(row) == keys[i]});
    }
    return moved;
}

void SqlGridModel::reload(const std::function<void()>& run)
{
    beginResetModel();
    pages_.clear();
    keys_.clear();
    recent_.clear();
    try {
        run();
    } catch (...) {
        query_.clear();
        endResetModel();
        throw;
    }
    QList<QVariantList> keys;
    QList<QVariantList> rows = query_.takeFirstPage(&keys);
    keep(0, format(rows), std::move(keys));
    endResetModel();
}

QVariantList SqlGridModel::keyOf(int row) const
{
    if (row < 0 || row >= total())
        return {};
    page(row / kPageSize);
    return keys_.value(row / kPageSize).value(row % kPageSize);
}

void SqlGridModel::keep(int number, QList<QStringList> rows, QList<QVariantList> keys) const
{
    if (pages_.size() >= kPagesKept && !recent_.isEmpty()) {
        const int oldest = recent_.takeFirst();
        pages_.remove(oldest);
        keys_.remove(oldest);
    }
    pages_.insert(number, std::move(rows));
    keys_.insert(number, std::move(keys));
    recent_.removeOne(number);
    recent_.append(number);
}

void SqlGridModel::setReadQuery(const QString& columns, const QString& table, qint64 total,
                                QList<QVariantList> firstPage)
{
    beginResetModel();
    pages_.clear();
    keys_.clear();
    recent_.clear();
    query_.setRead(columns, table, total, std::move(firstPage));
    keep(0, format(query_.takeFirstPage()), {});
    endResetModel();
}

void SqlGridModel::clear()
{
    beginResetModel();
    query_.clear();
    pages_.clear();
    keys_.clear();
    recent_.clear();
    endResetModel();
}

int SqlGridModel::loadedRows() const
{
    int rows = 0;
    for (const auto& page : pages_)
        rows += int(page.size());
    return rows;
}

QList<QStringList> SqlGridModel::format(const QList<QVariantList>& rows) const
{
    QList<QStringList> texts;
    texts.reserve(rows.size());
    for (const QVariantList& row : rows) {
        QStringList text;
        text.reserve(row.size());
        for (int c = 0; c < row.size(); ++c)
            text << (formatter_ ? formatter_(c, row[c]) : row[c].toString());
        texts << text;
    }
    return texts;
}

const QList<QStringList>& SqlGridModel::page(int number) const
{
    if (!pages_.contains(number)) {
        QList<QStringList> rows;
        QList<QVariantList> keys;
        try {
            rows = format(query_.page(number, &keys));
        } catch (const MovrntError& error) {
            qWarning() << "grid page" << number << error.description();
        }
        keep(number, std::move(rows), std::move(keys));
    } else {
        recent_.removeOne(number);
        recent_.append(number);
    }
    return *pages_.find(number);
}

QString SqlGridModel::cell(int row, int column) const
{
    if (row < 0 || row >= total() || column < 0 || column >= columnCount())
        return {};
    const QList<QStringList>& rows = page(row / kPageSize);
    const int offset = row % kPageSize;
    return offset < rows.size() ? rows[offset].value(column) : QString();
}

int SqlGridModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return int(std::min<qint64>(total(), INT_MAX - 1) + 1);
}

int SqlGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(headings_.size());
}

QVariant SqlGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return cell(index.row(), index.column());
    if (role == Qt::ToolTipRole && rowToolTip_)
        return rowToolTip_(*this, index.row());
    return {};
}

QVariant SqlGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return headings_.value(section);
    if (role == Qt::ToolTipRole)
        return QStringLiteral("按 '") + headings_.value(section) + QStringLiteral("' 排序");
    return {};
}
