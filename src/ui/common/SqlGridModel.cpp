#include "SqlGridModel.h"

#include "store/Database.h"
#include "store/Errors.h"

#include <QSqlQuery>
#include <QtDebug>
#include <climits>

namespace {
constexpr int kPagesKept = 50;
}

SqlGridModel::SqlGridModel(const QStringList& headings, QObject* parent)
    : QAbstractTableModel(parent), headings_(headings)
{
}

void SqlGridModel::setQuery(const QString& columns, const QString& table,
                            const Conditions& conditions, const QString& order,
                            const QString& uniqueKey)
{
    const qint64 total =
        RunScalar(QStringLiteral("SELECT COUNT(*) FROM ") + table + conditions.where(),
                  conditions.values())
            .toLongLong();
    QString orderBy = order.isEmpty() ? QStringLiteral(" ORDER BY ") + uniqueKey
                                      : order + QStringLiteral(" , ") + uniqueKey;
    beginResetModel();
    statement_ = QStringLiteral("SELECT ") + columns + QStringLiteral(" FROM ") + table +
                 conditions.where() + orderBy + QStringLiteral(" LIMIT ? OFFSET ?");
    values_ = conditions.values();
    total_ = total;
    pages_.clear();
    recent_.clear();
    endResetModel();
    // Read the first page now, so a statement the database refuses is
    // reported to the caller rather than swallowed by the view.
    if (total_ > 0) {
        QSqlQuery probe = RunSql(statement_, values_ + QVariantList{1, 0});
        Q_UNUSED(probe);
    }
}

void SqlGridModel::clear()
{
    beginResetModel();
    statement_.clear();
    values_.clear();
    total_ = 0;
    pages_.clear();
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

const QList<QStringList>& SqlGridModel::page(int number) const
{
    auto found = pages_.find(number);
    if (found == pages_.end()) {
        QList<QStringList> rows;
        try {
            QSqlQuery query =
                RunSql(statement_, values_ + QVariantList{kPageSize, qint64(number) * kPageSize});
            const int columns = columnCount();
            while (query.next()) {
                QStringList row;
                row.reserve(columns);
                for (int c = 0; c < columns; ++c)
                    row << (formatter_ ? formatter_(c, query.value(c)) : query.value(c).toString());
                rows << row;
            }
        } catch (const MovrntError& error) {
            qWarning() << "grid page" << number << error.description();
        }
        if (pages_.size() >= kPagesKept && !recent_.isEmpty())
            pages_.remove(recent_.takeFirst());
        found = pages_.insert(number, rows);
    }
    recent_.removeOne(number);
    recent_.append(number);
    return *found;
}

QString SqlGridModel::cell(int row, int column) const
{
    if (row < 0 || row >= total_ || column < 0 || column >= columnCount())
        return {};
    const QList<QStringList>& rows = page(row / kPageSize);
    const int offset = row % kPageSize;
    return offset < rows.size() ? rows[offset].value(column) : QString();
}

int SqlGridModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return int(std::min<qint64>(total_, INT_MAX - 1) + 1);
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
