#include "GridView.h"

#include "SqlGridModel.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <numeric>

GridView::GridView(SqlGridModel* model, QWidget* parent) : QTableView(parent), model_(model)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setAlternatingRowColors(true);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    // The model last: sizing the sections of a model that already holds a
    // million rows would visit every one of them.
    setModel(model);
    viewport()->installEventFilter(this);
    horizontalHeader()->viewport()->installEventFilter(this);
    // Every new query fits the columns to its first screen (a return date
    // where the last query showed only "/").
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        if (isVisible())
            fitColumns();
    });
    setMouseTracking(true);
    rowsBar_ = new QScrollBar(Qt::Vertical, this);
    rowsBar_->setAccessibleName(QStringLiteral("记录"));
    rowsBar_->hide();
    connect(rowsBar_, &QScrollBar::valueChanged, this, &GridView::rowsBarMoved);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &GridView::viewScrolled);
    connect(model_, &QAbstractItemModel::modelReset, this, &GridView::syncRowsBar);
}

int GridView::visibleRows() const
{
    const int height = model_->rowCount() > 0 ? rowHeight(0) : verticalHeader()->defaultSectionSize();
    return std::max(1, viewport()->height() / std::max(1, height));
}

void GridView::syncRowsBar()
{
    if (!rowsBar_)
        return;
    const bool windowed = model_->total() + 1 > SqlGridModel::windowRows;
    if (windowed == rowsBar_->isHidden()) {
        // The view's own bar stays, working under the one laid over it.
        setVerticalScrollBarPolicy(windowed ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
        rowsBar_->setVisible(windowed);
    }
    if (!windowed)
        return;
    rowsBar_->setGeometry(
        QRect(verticalScrollBar()->mapTo(this, QPoint(0, 0)), verticalScrollBar()->size()));
    rowsBar_->raise();
    const QSignalBlocker quiet(rowsBar_);
    const int shown = visibleRows();
    rowsBar_->setRange(0, int(std::max<qint64>(0, model_->total() + 1 - shown)));
    rowsBar_->setPageStep(shown);
    rowsBar_->setValue(int(model_->windowStart() + verticalScrollBar()->value()));
}

void GridView::rowsBarMoved(int first)
{
    if (syncing_)
        return;
    syncing_ = true;
    const qint64 start = model_->windowStart();
    if (first < start || first + visibleRows() > start + model_->rowCount())
        model_->setWindowStart(first - SqlGridModel::windowRows / 2);
    scrollTo(model_->index(int(first - model_->windowStart()), 0), QAbstractItemView::PositionAtTop);
    syncing_ = false;
}

void GridView::viewScrolled()
{
    if (syncing_ || rowsBar_->isHidden())
        return;
    syncing_ = true;
    const qint64 start = model_->windowStart();
    const int top = verticalScrollBar()->value(); // a row, scrolling by rows
    const qint64 first = start + top;
    // Near an end of the window, and the result goes on: the window moves
    // with the rows, the current one kept.
    const int margin = SqlGridModel::windowRows / 10;
    if ((top < margin && start > 0) ||
        (top + visibleRows() > model_->rowCount() - margin &&
         start + model_->rowCount() < model_->total() + 1)) {
        const QModelIndex current = currentIndex();
        const bool selected = current.isValid() && selectionModel()->isRowSelected(current.row());
        const qint64 currentRow = current.isValid() ? start + current.row() : -1;
        model_->setWindowStart(first - SqlGridModel::windowRows / 2);
        const qint64 moved = model_->windowStart();
        scrollTo(model_->index(int(first - moved), 0), QAbstractItemView::PositionAtTop);
        if (currentRow >= moved && currentRow < moved + model_->rowCount())
            selectionModel()->setCurrentIndex(
                model_->index(int(currentRow - moved), current.column()),
                selected ? QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows
                         : QItemSelectionModel::NoUpdate);
    }
    const QSignalBlocker quiet(rowsBar_);
    rowsBar_->setValue(int(first));
    syncing_ = false;
}

namespace {
// Narrows the columns in proportion to how much wider than `least` they are,
// until `total` fits `available` or every one is at its least.
void Narrow(QList<int>& widths, const QList<int>& least, int available)
{
    const int total = std::accumulate(widths.begin(), widths.end(), 0);
    int room = 0;
    for (qsizetype c = 0; c < widths.size(); ++c)
        room += std::max(0, widths[c] - least[c]);
    if (total <= available || room <= 0)
        return;
    const int excess = std::min(total - available, room);
    for (qsizetype c = 0; c < widths.size(); ++c)
        widths[c] -= int(qint64(std::max(0, widths[c] - least[c])) * excess / room);
}
} // namespace

void GridView::fitColumns()
{
    const int columns = model_->columnCount();
    const int rows = int(std::min<qint64>(model_->total(), 40));
    const QFontMetrics cellFont = fontMetrics();
    const QFontMetrics headingFont = horizontalHeader()->fontMetrics();
    QList<int> headings, wanted;
    for (int c = 0; c < columns; ++c) {
        const int heading = headingFont.horizontalAdvance(model_->heading(c)) + 24;
        headings << heading;
        if (fixedTwips_.contains(c)) {
            wanted << std::max(heading, fixedTwips_[c] * logicalDpiX() / 1440);
            continue;
        }
        int content = 0;
        for (int r = 0; r < rows; ++r)
            content = std::max(content, cellFont.horizontalAdvance(model_->cell(r, c)) + 16);
        wanted << std::max(heading, std::min(content, 400));
    }
    // Where the whole row does not fit: the fitted columns give way first, the
    // ones of a width of their own only then, none below its heading.
    QList<int> keepFixed = headings;
    for (int c = 0; c < columns; ++c)
        if (fixedTwips_.contains(c))
            keepFixed[c] = wanted[c];
    const int available = viewport()->width();
    Narrow(wanted, keepFixed, available);
    Narrow(wanted, headings, available);
    for (int c = 0; c < columns; ++c)
        setColumnWidth(c, wanted[c]);
}

void GridView::setFixedWidths(const QMap<int, int>& twips)
{
    fixedTwips_ = twips;
    fitColumns();
}

void GridView::showEvent(QShowEvent* event)
{
    QTableView::showEvent(event);
    fitColumns();
}

void GridView::updateGeometries()
{
    QTableView::updateGeometries();
    syncRowsBar();
}

void GridView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    if (event->size().width() != event->oldSize().width())
        fitColumns();
}

bool GridView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress)
        pressed_ = true;
    if (event->type() == QEvent::MouseButtonRelease) {
        pressed_ = false;
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->position().toPoint();
        if (watched == viewport()) {
            const QModelIndex index = indexAt(at);
            if (index.isValid())
                Q_EMIT rowReleased(index.row(), mouse->button());
        } else if (watched == horizontalHeader()->viewport()) {
            const int column = horizontalHeader()->logicalIndexAt(at);
            if (column >= 0)
                Q_EMIT headingReleased(column, mouse->button());
        }
    }
    return QTableView::eventFilter(watched, event);
}
