#include "FormSQLCX.h"

#include "ui/common/Controls.h"
#include "ui/common/GridView.h"
#include "ui/common/SqlGridModel.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

FormSQLCX::FormSQLCX(const QString& statement, SqlGridModel* model, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormSQLCX"));
    setWindowTitle(u'\'' + statement + QStringLiteral("' 的执行结果"));
    model->setParent(this);
    grid_ = new GridView(model, this);
    grid_->setObjectName(QStringLiteral("MSHFlexGridSQL"));
    grid_->setAccessibleName(QStringLiteral("SQL查询结果"));
    model->setRowToolTip([](const SqlGridModel&, int) { return QString(); });
    // The tooltip is the text of the cell under the mouse.
    grid_->setMouseTracking(true);
    connect(grid_, &QAbstractItemView::entered, this, [this, model](const QModelIndex& index) {
        grid_->setToolTip(model->cell(index.row(), index.column()));
    });
    auto* commandGB = MakeButton(this, "CommandGB", QStringLiteral("关闭"));
    connect(commandGB, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(commandGB);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_, 1);
    layout->addLayout(buttons);
    resize(537, 309);
}
