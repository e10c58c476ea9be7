#include "FormZJXXCX.h"
#include "core/store/Shop.h"

#include "ui/app/Navigator.h"
#include "ui/common/Controls.h"
#include "ui/common/DateField.h"
#include "ui/common/GridView.h"
#include "ui/common/SqlGridModel.h"
#include "ui/common/WindowSupport.h"

#include "core/rentals/Rentals.h"
#include "core/settings/Settings.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace {
const QStringList kHeadings = {"自动编号", "影碟编号", "出租日期", "归还日期",
                               "押金金额", "是否已还", "会员编号"};
} // namespace

FormZJXXCX::FormZJXXCX(Shop& shop, QWidget* parent) : QueryWindow(shop, kHeadings, {}, {}, parent)
{
    setObjectName(QStringLiteral("FormZJXXCX"));
    setWindowTitle(QStringLiteral("租借信息查询"));

    textBH_ = MakeLine(this, "TextBH");
    textHYBH_ = MakeLine(this, "TextHYBH");
    dateGHRQ_ = new DateField(QStringLiteral("TextGHRQ"), QStringLiteral("DTPickerGHRQ"), this);
    dateZJRQ_ = new DateField(QStringLiteral("TextZJRQ"), QStringLiteral("DTPickerZJRQ"), this);
    comboSFYH_ = MakeFlagCombo(this, "ComboSFYH");
    placeCondition(0, 0, "LabelBH", QStringLiteral("影碟编号 : "), textBH_);
    placeCondition(0, 1, "Label2", QStringLiteral("会员编号 : "), textHYBH_);
    placeCondition(0, 2, "LabelSFYH", QStringLiteral("是否已还 : "), comboSFYH_);
    placeCondition(1, 0, "LabelRQ", QStringLiteral("归还日期 : "), dateGHRQ_);
    placeCondition(1, 1, "LabelZJRQ", QStringLiteral("租借日期 : "), dateZJRQ_);

    auto* commandJZ = MakeButton(this, "CommandJZ", QStringLiteral("结帐(&J)"),
                                 QStringLiteral("结算零散顾客的租金"));
    auto* commandHYHD = MakeButton(this, "CommandHYHD", QStringLiteral("会员还碟(&H)"));
    bottomBar()->addWidget(commandJZ);
    bottomBar()->addWidget(commandHYHD);
    refreshOn(&ShopEvents::rentalsChanged,
              {ShopOperation::RentOut, ShopOperation::Settle, ShopOperation::DeleteRentals,
               ShopOperation::DeleteDiscs, ShopOperation::DeleteMembers, ShopOperation::Import,
               ShopOperation::Restore});
    setUp("MSHFlexGridZJXX", QStringLiteral(" 查询条件 "),
          QStringLiteral(
              "用户提示：用鼠标左键单击租借记录可以结帐或还碟，用鼠标右键单击可以删除租借记录。"),
          QStringLiteral("正在查询租借信息 ..."));
    grid_->setFixedWidths({{5, 1260}});
    resize(860, 540);

    model_->setCellFormatter([](int column, const QVariant& value) {
        return column == 4 ? QStringLiteral("￥") + value.toString() : value.toString();
    });
    model_->setRowToolTip([](const SqlGridModel& model, int row) {
        return QStringLiteral("归还编号为") + model.cell(row, 1) +
               (model.cell(row, 6) == u"/" ? QStringLiteral("的碟片（零散顾客）")
                                           : QStringLiteral("的碟片（会员）"));
    });
    connect(commandJZ, &QPushButton::clicked, this, [this] { Navigator::settle(this, true); });
    connect(commandHYHD, &QPushButton::clicked, this, [this] { Navigator::settle(this, false); });

    onCommandCXClicked();
}

void FormZJXXCX::showMember(const QString& hybh)
{
    textHYBH_->setText(hybh);
    onCommandCXClicked();
}

bool FormZJXXCX::runQuery()
{
    const RentalFilter filter{textBH_->text(),   textHYBH_->text(),         dateGHRQ_->text(),
                              dateZJRQ_->text(), comboSFYH_->currentText(), {}};
    model_->setQuery(QStringLiteral("zdbh, bh, czrq, ghrq, yjje, sfyh, hybh"),
                     QStringLiteral("zjxx"), RentalConditions(filter), sortColumns(),
                     QStringLiteral("zdbh"));
    return true;
}

QStringList FormZJXXCX::sortFor(const QString& heading) const
{
    return RentalSortColumns(heading);
}

void FormZJXXCX::rowReleased(int row, Qt::MouseButton button)
{
    const QString zdbh = model_->cell(row, 0);
    if (zdbh.isEmpty())
        return;
    if (button == Qt::LeftButton)
        Navigator::settle(this, model_->cell(row, 6) == u"/", zdbh);
    else
        Navigator::deleteRental(this, zdbh); // behind the guest gate
}
