#include "SqlGridModel.h"

#include "core/store/Database.h"
#include "core/store/Errors.h"

#include <QtDebug>
#include <algorithm>

namespace {
constexpr int kPagesKept = 50;
}

SqlGridModel::SqlGridModel(Shop& shop, const QStringList& headings, QObject* parent)
    : QAbstractTableModel(parent), headings_(headings), query_(shop)
{
}

void SqlGridModel::setQuery(const QString& columns, const QString& table,
                            const Conditions& conditions, const QStringList& sort,
                            const QString& uniqueKey, const QString& countTable)
{
    reload([&] { query_.set(columns, table, conditions, sort, uniqueKey, countTable); });
}

QList<SqlGridModel::Moved> SqlGridModel::requery(const QList<int>& rows)
{
    QList<QVariantList> keys;
    for (int row : rows)
        keys << keyAt(windowStart_ + row);
    const qint64 start = windowStart_;
    reload([this] { query_.again(); }, start);
    QList<qint64> at; // in the result
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const qint64 found = keys[i].isEmpty() ? -1 : query_.positionOf(keys[i]);
        at << std::clamp<qint64>(found < 0 ? start + rows[i] : found, 0, total());
    }
    // The window goes where the first row went, when it left it.
    if (!at.isEmpty() && (at[0] < windowStart_ || at[0] >= windowStart_ + windowRows))
        setWindowStart(at[0] - windowRows / 2);
    QList<Moved> moved;
    for (qsizetype i = 0; i < rows.size(); ++i)
        moved.append({int(std::clamp<qint64>(at[i] - windowStart_, 0, rowCount() - 1)),
                      !keys[i].isEmpty() && keyAt(at[i]) == keys[i]});
    return moved;
}

qint64 SqlGridModel::clampedStart(qint64 start) const
{
    return std::clamp<qint64>(start, 0, std::max<qint64>(0, total() + 1 - windowRows));
}

void SqlGridModel::setWindowStart(qint64 start)
{
    start = clampedStart(start);
    if (start == windowStart_)
        return;
    beginResetModel();
    windowStart_ = start;
    endResetModel();
}

void SqlGridModel::reload(const std::function<void()>& run, qint64 start)
{
    beginResetModel();
    windowStart_ = 0;
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
    windowStart_ = clampedStart(start); // the result's count is known now
    endResetModel();
}

QVariantList SqlGridModel::keyAt(qint64 row) const
{
    if (row < 0 || row >= total())
        return {};
    page(int(row / kPageSize));
    return keys_.value(int(row / kPageSize)).value(int(row % kPageSize));
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
    windowStart_ = 0;
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
    windowStart_ = 0;
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
    if (row < 0 || windowStart_ + row >= total() || column < 0 || column >= columnCount())
        return {};
    const qint64 at = windowStart_ + row;
    const QList<QStringList>& rows = page(int(at / kPageSize));
    const int offset = int(at % kPageSize);
    return offset < rows.size() ? rows[offset].value(column) : QString();
}

int SqlGridModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return int(std::min<qint64>(total() + 1 - windowStart_, windowRows));
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
