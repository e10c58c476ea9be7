#include "PagedQuery.h"

#include "Database.h"
#include "Shop.h"
#include "Totals.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

namespace {
bool HasNull(const QVariantList& key)
{
    return std::any_of(key.begin(), key.end(), [](const QVariant& v) { return v.isNull(); });
}
} // namespace

// The keys ending each page, read on a connection of its own; the query's
// pages go on without it until it has the page asked for.
struct PagedQuery::PageIndex
{
    std::thread reader;
    std::atomic<bool> stop = false;
    std::mutex mutex;
    QList<QVariantList> lasts; // the key of page i's last row at i

    // The key ending `page`, or the nearest page before it read so far
    // (its number in `found`).
    bool lastOf(int page, QVariantList* key, int* found = nullptr)
    {
        const std::lock_guard lock(mutex);
        const int known = int(std::min<qsizetype>(page, lasts.size() - 1));
        if (known < 0 || (!found && known != page))
            return false;
        *key = lasts[known];
        if (found)
            *found = known;
        return true;
    }
};

PagedQuery::~PagedQuery()
{
    stopPageIndex();
}

void PagedQuery::stopPageIndex()
{
    if (!index_)
        return;
    index_->stop = true;
    if (index_->reader.joinable())
        index_->reader.join();
    index_.reset();
}

void PagedQuery::waitForPageIndex()
{
    if (index_ && index_->reader.joinable())
        index_->reader.join();
}

void PagedQuery::startPageIndex()
{
    if (keys_.isEmpty() || total_ < indexFrom)
        return;
    // The keys alone, in the pages' order, from the top.
    const QString rows = statement(true, -1);
    const QString sql = QStringLiteral("SELECT ") + keys_.join(QStringLiteral(", ")) +
                        rows.mid(rows.indexOf(QStringLiteral(" FROM ") + table_))
                            .chopped(QStringLiteral(" LIMIT ? OFFSET ?").size());
    index_ = std::make_shared<PageIndex>();
    index_->reader = std::thread(
        [index = index_.get(), location = shop_.path(), sql, values = conditions_.values()] {
            qint64 row = 0;
            try {
                ScanRows(
                    location, sql, values,
                    [index, &row](const QVariantList& key) {
                        if (++row % kPageSize == 0) {
                            const std::lock_guard lock(index->mutex);
                            index->lasts << key;
                        }
                        return !index->stop.load();
                    },
                    &index->stop);
            } catch (const MovrntError&) {
                // Without the index, jumps walk as before.
            }
        });
}

void PagedQuery::set(const QString& columns, const QString& table, const Conditions& conditions,
                     const QStringList& sort, const QString& uniqueKey, const QString& countTable)
{
    clear();
    keys_.clear();
    columns_ = columns;
    sort_ = sort;
    uniqueKey_ = uniqueKey;
    if (!uniqueKey.isEmpty()) {
        for (const QString& column : sort) {
            if (column == uniqueKey)
                break; // nothing after a unique column changes the order
            keys_ << column;
        }
        keys_ << uniqueKey;
    }
    select_ = keys_.isEmpty() ? columns
                              : columns + QStringLiteral(", ") + keys_.join(QStringLiteral(", "));
    table_ = table;
    countTable_ = countTable.isEmpty() ? table : countTable;
    conditions_ = conditions;
    const std::optional<qint64> known = KnownCount(shop_, table, conditions);
    total_ =
        known
            ? *known
            : RunScalar(shop_,
                        QStringLiteral("SELECT COUNT(*) FROM ") + countTable_ + conditions.where(),
                        conditions.values())
                  .toLongLong();
    nullFree_ = true;
    for (qsizetype i = 0; i + 1 < keys_.size() && nullFree_; ++i) {
        Conditions withNull = conditions;
        withNull.add(keys_[i] + QStringLiteral(" IS NULL"));
        nullFree_ = !RunScalar(shop_,
                               QStringLiteral("SELECT 1 FROM ") + table + withNull.where() +
                                   QStringLiteral(" LIMIT 1"),
                               withNull.values())
                         .isValid();
    }
    // The first page doubles as the check that the database takes the statement.
    firstPage_ = read(0, true, nullptr, 0, std::min<qint64>(total_, kPageSize), &firstKeys_);
    startPageIndex();
}

void PagedQuery::again()
{
    if (keys_.isEmpty())
        return; // a typed query is never read twice
    const Conditions conditions = conditions_;
    set(columns_, table_, conditions, sort_, uniqueKey_, countTable_);
}

QString PagedQuery::countStatement(bool forward, int part) const
{
    const QString rows = statement(forward, part);
    return QStringLiteral("SELECT COUNT(*) FROM (") +
           rows.left(rows.lastIndexOf(QStringLiteral(" ORDER BY "))) + QStringLiteral(") AS part");
}

qint64 PagedQuery::positionOf(const QVariantList& key) const
{
    if (keys_.isEmpty() || key.size() != keys_.size() || HasNull(key))
        return -1;
    // The rows before it, part by part, each one index range.
    qint64 before = 0;
    for (int part = 0; part < keys_.size(); ++part) {
        QVariantList values = conditions_.values();
        values << key.mid(0, part + 1);
        before += RunScalar(shop_, countStatement(false, part), values).toLongLong();
    }
    return before;
}

void PagedQuery::setRead(const QString& columns, const QString& table, qint64 total,
                         QList<QVariantList> firstPage)
{
    clear();
    keys_.clear();
    select_ = columns;
    table_ = table;
    conditions_ = {};
    total_ = total;
    nullFree_ = true;
    firstPage_ = std::move(firstPage);
}

void PagedQuery::clear()
{
    stopPageIndex();
    total_ = 0;
    shown_ = 0;
    bounds_.clear();
    firstPage_.clear();
    firstKeys_.clear();
}

QList<QVariantList> PagedQuery::takeFirstPage(QList<QVariantList>* keys)
{
    if (keys)
        *keys = firstKeys_;
    firstKeys_.clear();
    return std::exchange(firstPage_, {});
}

QString PagedQuery::statement(bool forward, int part) const
{
    // Part k of the rows after (or before) a key: the first k key columns equal
    // to the key's, the next one beyond it. Each part is one index range, which
    // a row-value comparison over all the columns is not.
    Conditions conditions = conditions_;
    for (int i = 0; i < part; ++i)
        conditions.add(keys_[i] + QStringLiteral(" = ?"));
    if (part >= 0)
        conditions.add(keys_[part] + (forward ? QStringLiteral(" > ?") : QStringLiteral(" < ?")));
    // NULLs first, as the embedded engine sorts them: the same order on a server.
    const bool nullsLast = !shop_.engine().sortsNullsFirst();
    QStringList order;
    // The row key is never NULL: its index's own order.
    for (const QString& key : keys_)
        order << (forward ? key : key + QStringLiteral(" DESC")) +
                     (!nullsLast || key == uniqueKey_ ? QString()
                      : forward                       ? QStringLiteral(" NULLS FIRST")
                                                      : QStringLiteral(" NULLS LAST"));
    return QStringLiteral("SELECT ") + select_ + QStringLiteral(" FROM ") + table_ +
           conditions.where() +
           (order.isEmpty() ? QString()
                            : QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "))) +
           QStringLiteral(" LIMIT ? OFFSET ?");
}

QStringList PagedQuery::pageStatements() const
{
    QStringList statements;
    for (int part = int(keys_.size()) - 1; part >= -1; --part)
        statements << statement(true, part);
    return statements;
}

QList<QVariantList> PagedQuery::read(int number, bool forward, const QVariantList* key, qint64 skip,
                                     qint64 limit, QList<QVariantList>* keys)
{
    QList<QVariantList> rows, rowKeys;
    const auto readPart = [&](int part, qint64 offset, qint64 wanted) {
        QVariantList values = conditions_.values();
        if (key)
            values << key->mid(0, part + 1);
        values << wanted << offset;
        FetchedRows fetched = FetchRows(shop_, statement(forward, part), values);
        shown_ = fetched.columns - int(keys_.size());
        for (QVariantList& row : fetched.rows) {
            rowKeys << row.mid(shown_);
            row.resize(shown_);
            rows << std::move(row);
        }
        return qint64(fetched.rows.size());
    };
    if (!key) {
        readPart(-1, skip, limit);
    } else {
        // The parts nearest the key first; a skip runs on through the parts.
        for (int part = int(keys_.size()) - 1; part >= 0 && rows.size() < limit; --part) {
            const qint64 got = readPart(part, skip, limit - rows.size());
            if (got > 0 || skip == 0) {
                skip = 0;
                continue;
            }
            QVariantList values = conditions_.values();
            values << key->mid(0, part + 1);
            skip -= RunScalar(shop_, countStatement(forward, part), values).toLongLong();
        }
    }
    if (!forward) {
        std::reverse(rows.begin(), rows.end());
        std::reverse(rowKeys.begin(), rowKeys.end());
    }
    if (!rows.isEmpty())
        bounds_.insert(number, Bounds{rowKeys.first(), rowKeys.last()});
    if (keys)
        *keys = std::move(rowKeys);
    return rows;
}

QList<QVariantList> PagedQuery::page(int number, QList<QVariantList>* keys)
{
    const qint64 start = qint64(number) * kPageSize;
    if (number < 0 || start >= total_)
        return {};
    const qint64 end = std::min(start + kPageSize, total_); // one past the page's last row
    if (number == 0 && !firstPage_.isEmpty())
        return takeFirstPage(keys);
    if (keys_.isEmpty()) // no key: the rows as they come, by their position
        return read(number, true, nullptr, start, end - start, keys);

    // From the nearest known page before this one, or from the top.
    const QVariantList* forwardKey = nullptr;
    qint64 forwardSkip = start;
    for (auto it = bounds_.lowerBound(number); it != bounds_.begin();) {
        --it;
        if (!HasNull(it->last)) {
            forwardKey = &it->last;
            forwardSkip = start - (qint64(it.key()) + 1) * kPageSize;
            break;
        }
    }
    // Backwards from the nearest known page after it, or from the bottom:
    // exact only while no sort column holds NULL.
    const QVariantList* backwardKey = nullptr;
    qint64 backwardSkip = total_ - end;
    if (nullFree_) {
        const auto after = bounds_.upperBound(number);
        if (after != bounds_.end()) {
            backwardKey = &after->first;
            backwardSkip = qint64(after.key()) * kPageSize - end;
        }
    }
    // The key ending the page before, once the page index has it; while it
    // is still being read, the nearest it has when that is nearer.
    QVariantList before;
    int known = -1;
    if (forwardSkip > 0 && (!nullFree_ || backwardSkip > 0) && index_ &&
        index_->lastOf(number - 1, &before, &known) && !HasNull(before)) {
        const qint64 skip = start - (qint64(known) + 1) * kPageSize;
        if (skip == 0 || (skip < forwardSkip && (!nullFree_ || skip < backwardSkip))) {
            forwardKey = &before;
            forwardSkip = skip;
        }
    }
    if (forwardSkip == 0)
        return read(number, true, forwardKey, 0, end - start, keys);
    // Where OFFSET reads every row it skips from the table: far from any
    // known page, the key just before the page is found in an index alone
    // (its columns only) and the page read on from it.
    const bool findKeyFirst = shop_.engine().offsetReadsTable();
    if (findKeyFirst && std::min(forwardSkip, nullFree_ ? backwardSkip : forwardSkip) > kFarSkip) {
        const QString rows = statement(true, -1);
        QVariantList values = conditions_.values();
        values << 1 << start - 1;
        const FetchedRows found =
            FetchRows(shop_,
                      QStringLiteral("SELECT ") + keys_.join(QStringLiteral(", ")) +
                          rows.mid(rows.indexOf(QStringLiteral(" FROM ") + table_)),
                      values);
        if (!found.rows.isEmpty() && !HasNull(found.rows.first()))
            return read(number, true, &found.rows.first(), 0, end - start, keys);
    }
    // A walk from a key costs a statement and a count for each sort column
    // it steps back through: where the key saves less than half the walk,
    // the plain walk from the top (or the bottom) is quicker.
    if (forwardKey && forwardSkip > kFarSkip && forwardSkip * 2 > start) {
        forwardKey = nullptr;
        forwardSkip = start;
    }
    if (backwardKey && backwardSkip > kFarSkip && backwardSkip * 2 > total_ - end) {
        backwardKey = nullptr;
        backwardSkip = total_ - end;
    }
    if (nullFree_ && backwardSkip < forwardSkip)
        return read(number, false, backwardKey, backwardSkip, end - start, keys);
    return read(number, true, forwardKey, forwardSkip, end - start, keys);
}
