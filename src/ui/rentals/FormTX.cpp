#include "FormTX.h"
#include "core/store/Shop.h"

#include "ui/common/Controls.h"
#include "ui/common/GridView.h"
#include "ui/common/MessageBox.h"
#include "ui/common/ReportRenderer.h"
#include "ui/common/SqlGridModel.h"
#include "ui/common/WindowSupport.h"

#include "core/rentals/Rentals.h"
#include "core/store/Errors.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FormTX::FormTX(Shop& shop, QWidget* parent) : QWidget(parent), shop_(shop)
{
    setObjectName(QStringLiteral("FormTX"));
    setWindowTitle(QStringLiteral("提醒管理员"));
    auto* label1 = new QLabel(QStringLiteral("下面这些会员租借影碟的时间超过了规定时间："), this);
    label1->setObjectName(QStringLiteral("Label1"));
    model_ = new SqlGridModel(shop_, kOverdueHeadings, this);
    grid_ = new GridView(model_, this);
    grid_->setObjectName(QStringLiteral("MSHFlexGridTX"));
    // The telephone, what the list is for, fits its numbers rather than a
    // width of its own that would cut a mobile number.
    grid_->setAccessibleName(QStringLiteral("超期租借"));
    labelJLTS_ = new QLabel(QStringLiteral("共找到0条记录"), this);
    labelJLTS_->setObjectName(QStringLiteral("LabelJLTS"));
    auto* commandDY = MakeButton(this, "CommandDY", QStringLiteral("打印(&P)"),
                                 QStringLiteral("打印这份名单，以便逐个打电话提醒。"));
    auto* commandDC = MakeButton(this, "CommandDC", QStringLiteral("导出(&E)"),
                                 QStringLiteral("把这份名单导出为Excel工作簿。"));
    auto* commandGB = MakeButton(this, "CommandGB", QStringLiteral("关闭"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(labelJLTS_, 1);
    bottom->addWidget(commandDY);
    bottom->addWidget(commandDC);
    bottom->addWidget(commandGB);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1);
    layout->addWidget(grid_, 1);
    layout->addLayout(bottom);
    resize(720, 360);
    connect(commandGB, &QPushButton::clicked, this, [this] { CloseWindow(this); });
    connect(commandDY, &QPushButton::clicked, this,
            [this] { ShowReport(shop_, OverdueCallReport(alertDays_), this); });
    connect(commandDC, &QPushButton::clicked, this, &FormTX::exportList);
    commandDY->setEnabled(false);
    commandDC->setEnabled(false);

    const std::optional<qint64> alertDays = AlertDays();
    if (!alertDays)
        return; // nothing can be overdue without a number of days
    alertDays_ = *alertDays;
    try {
        model_->setQuery(OverdueColumns(alertDays_), kOverdueTables, OverdueConditions(alertDays_),
                         {QStringLiteral("b.czrq")}, QStringLiteral("b.zdbh"), kOverdueCountTables);
        labelJLTS_->setText(QStringLiteral("共找到%1条记录").arg(model_->total()));
    } catch (const MovrntError& error) {
        ReportError(error);
        return;
    }
    commandDY->setEnabled(model_->total() > 0);
    commandDC->setEnabled(model_->total() > 0);
}

void FormTX::exportList()
{
    ExportReportList(shop_, OverdueCallReport(alertDays_), QStringLiteral("超期名单"),
                     QStringLiteral("超期租借"), this);
}
