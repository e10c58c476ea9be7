#include "FormTX.h"

#include "app/MessageBox.h"
#include "common/Controls.h"
#include "common/GridView.h"
#include "common/SqlGridModel.h"
#include "common/WindowSupport.h"

#include "rentals/Rentals.h"
#include "store/Errors.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FormTX::FormTX(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FormTX"));
    setWindowTitle(QStringLiteral("提醒管理员"));
    auto* label1 = new QLabel(QStringLiteral("下面这些会员租借影碟的时间超过了规定时间："), this);
    label1->setObjectName(QStringLiteral("Label1"));
    model_ = new SqlGridModel({"会员编号", "姓名", "影碟编号", "租借日期", "联系电话"}, this);
    grid_ = new GridView(model_, this);
    grid_->setObjectName(QStringLiteral("MSHFlexGridTX"));
    grid_->setAccessibleName(QStringLiteral("超期租借"));
    labelJLTS_ = new QLabel(QStringLiteral("共找到0条记录"), this);
    labelJLTS_->setObjectName(QStringLiteral("LabelJLTS"));
    auto* commandGB = MakeButton(this, "CommandGB", QStringLiteral("关闭"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(labelJLTS_, 1);
    bottom->addWidget(commandGB);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1);
    layout->addWidget(grid_, 1);
    layout->addLayout(bottom);
    resize(560, 360);
    connect(commandGB, &QPushButton::clicked, this, [this] { CloseWindow(this); });

    const std::optional<qint64> alertDays = AlertDays();
    if (!alertDays)
        return; // nothing can be overdue without a number of days
    try {
        model_->setQuery(kOverdueColumns, kOverdueTables, OverdueConditions(*alertDays),
                         {QStringLiteral("b.czrq")}, QStringLiteral("b.zdbh"));
        labelJLTS_->setText(QStringLiteral("共找到%1条记录").arg(model_->total()));
    } catch (const MovrntError& error) {
        ReportError(error);
    }
}
