#include "QueryWindow.h"

#include "Controls.h"
#include "GridView.h"
#include "SqlGridModel.h"
#include "WindowSupport.h"
#include "ui/common/MessageBox.h"

#include "core/store/Errors.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

QueryWindow::QueryWindow(Shop& shop, const QStringList& headings, const QStringList& tipNames,
                         const QStringList& defaultSort, QWidget* parent)
    : QWidget(parent), shop_(shop), sort_(defaultSort)
{
    model_ = new SqlGridModel(shop, headings, this);
    model_->setRowToolTip([tipNames](const SqlGridModel& model, int row) {
        QStringList parts;
        for (int c = 0; c < tipNames.size(); ++c)
            parts << tipNames[c] + u':' + model.cell(row, c);
        return parts.join(QStringLiteral(" | "));
    });
    grid_ = new GridView(model_, this);
    labelJLTS_ = new QLabel(QStringLiteral("共找到  条记录"), this);
    labelJLTS_->setObjectName(QStringLiteral("LabelJLTS"));
    frameTJ_ = new QGroupBox(this);
    frameTJ_->setObjectName(QStringLiteral("FrameTJ"));
    frameTJ_->setToolTip(
        QStringLiteral("在此输入查询条件，如果缺省，将被认为是不在此字段上加以限制。"));
    conditions_ = new QGridLayout(frameTJ_);
    bottom_ = new QHBoxLayout;
    connect(grid_, &GridView::rowReleased, this,
            [this](int row, Qt::MouseButton button) { rowReleased(row, button); });
    connect(grid_, &GridView::headingReleased, this, &QueryWindow::onHeadingReleased);
}

void QueryWindow::setUp(const char* gridName, const QString& frameTitle, const QString& hint,
                        const QString& busyText)
{
    grid_->setObjectName(QString::fromLatin1(gridName));
    grid_->setAccessibleName(windowTitle());
    frameTJ_->setTitle(frameTitle);
    busyText_ = busyText;
    for (int c = 1; c < conditions_->columnCount(); c += 2)
        conditions_->setColumnStretch(c, 1);

    auto* commandCX = MakeButton(this, "CommandCX", QStringLiteral("查询"));
    commandCX->setDefault(true);
    EnterMovesOn(this, commandCX);
    auto* commandFQ = MakeButton(this, "CommandFQ", QStringLiteral("放弃"));
    auto* labelHint = new QLabel(hint, this);
    labelHint->setObjectName(QStringLiteral("LabelTS"));
    labelHint->setWordWrap(true);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(commandCX);
    buttons->addWidget(commandFQ);
    buttons->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(frameTJ_, 1);
    top->addLayout(buttons);
    bottom_->insertWidget(0, labelHint, 1);
    bottom_->insertWidget(1, labelJLTS_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(grid_, 1);
    layout->addLayout(bottom_);

    connect(commandCX, &QPushButton::clicked, this, &QueryWindow::onCommandCXClicked);
    connect(commandFQ, &QPushButton::clicked, this, [this] { CloseWindow(this); });
}

void QueryWindow::placeCondition(int row, int column, const char* labelName, const QString& caption,
                                 QWidget* field)
{
    conditions_->addWidget(MakeCaption(this, caption, field, labelName), row, column * 2,
                           Qt::AlignRight);
    conditions_->addWidget(field, row, column * 2 + 1);
}

void QueryWindow::refreshOn(void (ShopEvents::*signal)(ShopOperation),
                            QList<ShopOperation> operations)
{
    connect(shop_.events(), signal, this, [this, operations](ShopOperation operation) {
        if (operations.contains(operation))
            refresh();
    });
}

void QueryWindow::refresh()
{
    if (!queried_)
        return;
    if (grid_->isPressed() || QGuiApplication::mouseButtons() != Qt::NoButton) {
        if (!refreshWaiting_) {
            refreshWaiting_ = true;
            QTimer::singleShot(50, this, [this] {
                refreshWaiting_ = false;
                refresh();
            });
        }
        return;
    }
    const int top = std::max(0, grid_->rowAt(0));
    const QModelIndex current = grid_->currentIndex();
    const bool selected =
        current.isValid() && grid_->selectionModel()->isRowSelected(current.row());
    try {
        const QList<SqlGridModel::Moved> moved =
            model_->requery({top, current.isValid() ? current.row() : top});
        grid_->scrollTo(model_->index(moved[0].row, 0), QAbstractItemView::PositionAtTop);
        if (current.isValid() && moved[1].kept) {
            const QModelIndex now = model_->index(moved[1].row, current.column());
            grid_->selectionModel()->setCurrentIndex(
                now, selected ? QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows
                              : QItemSelectionModel::NoUpdate);
        }
        showCount();
    } catch (const MovrntError& error) {
        queried_ = false;
        ReportError(error);
    }
}

void QueryWindow::showCount()
{
    labelJLTS_->setText(QStringLiteral("共找到%1条记录").arg(model_->total()));
}

void QueryWindow::onCommandCXClicked()
{
    BusyStatus busy(busyText_, true);
    try {
        const bool shown = runQuery();
        // A new query or sort starts at the top: the old position may lie a
        // million rows down.
        grid_->scrollToTop();
        if (shown) {
            queried_ = true;
            showCount();
        }
    } catch (const MovrntError& error) {
        queried_ = false;
        ReportError(error);
    }
}

void QueryWindow::onHeadingReleased(int column, Qt::MouseButton button)
{
    if (button != Qt::LeftButton) {
        headingReleasedOther(button);
        return;
    }
    const QStringList sort = sortFor(model_->heading(column));
    if (!sort.isEmpty())
        sort_ = sort;
    onCommandCXClicked();
}
