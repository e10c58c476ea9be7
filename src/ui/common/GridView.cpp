#include "GridView.h"

#include "SqlGridModel.h"

#include <QHeaderView>
#include <QMouseEvent>

GridView::GridView(SqlGridModel* model, QWidget* parent) : QTableView(parent), model_(model)
{
    setModel(model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setAlternatingRowColors(true);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    viewport()->installEventFilter(this);
    horizontalHeader()->viewport()->installEventFilter(this);
    setMouseTracking(true);
}

void GridView::setColumnWidthsTwips(const QList<int>& twips)
{
    for (int c = 0; c < twips.size(); ++c) {
        const int heading =
            horizontalHeader()->fontMetrics().horizontalAdvance(model_->heading(c)) + 24;
        setColumnWidth(c, std::max(twips[c] > 0 ? twips[c] / 15 : 80, heading));
    }
}

bool GridView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
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
