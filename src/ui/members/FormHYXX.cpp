#include "FormHYXX.h"
#include "FormHYCZ.h"
#include "core/store/Shop.h"

#include "ui/app/Navigator.h"
#include "ui/common/Controls.h"
#include "ui/common/DateField.h"
#include "ui/common/GridView.h"
#include "ui/common/SqlGridModel.h"
#include "ui/common/WindowSupport.h"

#include "core/members/Members.h"
#include "core/store/Numbers.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
const QStringList kHeadings = {"会员编号", "姓名",     "性别",     "家庭住址", "联系电话",
                               "会员等级", "预付租金", "预付押金", "已借盘数", "入会日期"};
}

FormHYXX::FormHYXX(Shop& shop, QWidget* parent)
    : QueryWindow(shop, kHeadings, kHeadings, kDefaultMemberSort, parent)
{
    setObjectName(QStringLiteral("FormHYXX"));
    setWindowTitle(QStringLiteral("会员信息查询"));

    textBH_ = MakeLine(this, "TextBH");
    textXM_ = MakeLine(this, "TextXM");
    textZJJE_ = MakeLine(this, "TextZJJE");
    textYJJE_ = MakeLine(this, "TextYJJE");
    textYJPS_ = MakeLine(this, "TextYJPS");
    comboHYDJ_ = MakeCombo(this, "ComboHYDJ");
    dateRHRQ_ = new DateField(QStringLiteral("TextRHRQ"), QStringLiteral("DTPickerRHRQ"), this);
    comboXB_ = MakeCombo(this, "ComboXB");
    placeCondition(0, 0, "LabelBH", QStringLiteral("会员编号 : "), textBH_);
    placeCondition(0, 1, "Label2", QStringLiteral("姓名 : "), textXM_);
    placeCondition(0, 2, "Label3", QStringLiteral("预付租金金额 : "), textZJJE_);
    placeCondition(0, 3, "Label4", QStringLiteral("预付押金金额 : "), textYJJE_);
    placeCondition(1, 0, "Label5", QStringLiteral("已借盘数 : "), textYJPS_);
    placeCondition(1, 1, "Label6", QStringLiteral("会员等级 : "), comboHYDJ_);
    placeCondition(1, 2, "Label7", QStringLiteral("入会日期 : "), dateRHRQ_);
    placeCondition(1, 3, "Label8", QStringLiteral("性别 : "), comboXB_);
    refreshOn(&ShopEvents::membersChanged,
              {ShopOperation::AddMember, ShopOperation::ModifyMember, ShopOperation::DeleteMembers,
               ShopOperation::RentOut, ShopOperation::MemberLevels, ShopOperation::Import,
               ShopOperation::Restore});
    setUp("MSHFlexGridHYXX", QStringLiteral("查询条件"),
          QStringLiteral("用户提示：用鼠标左键单击相应的表格单元以执行对会员信息的操作。"),
          QStringLiteral("正在查询会员信息 ..."));
    grid_->setFixedWidths({{1, 2000}, {3, 4250}, {4, 2000}});
    resize(980, 560);

    model_->setCellFormatter([](int column, const QVariant& value) {
        if (column == 6 || column == 7)
            return QStringLiteral("￥") + AmountText(value.toDouble());
        return value.toString();
    });
    FillCombo(comboXB_, Sexes());
    FillCombo(comboHYDJ_, LevelList());
    onCommandCXClicked();
}

bool FormHYXX::runQuery()
{
    const MemberFilter filter{textBH_->text(),   textXM_->text(),        textZJJE_->text(),
                              textYJJE_->text(), textYJPS_->text(),      comboHYDJ_->currentText(),
                              dateRHRQ_->text(), comboXB_->currentText()};
    const QList<std::tuple<MemberFilterCheck, QString, QWidget*>> refusals = {
        {MemberFilterCheck::RentNotNumber, QStringLiteral("租金金额必须为数字！"), textZJJE_},
        {MemberFilterCheck::DepositNotNumber, QStringLiteral("押金金额必须为数字！"), textYJJE_},
        {MemberFilterCheck::BorrowedNotNumber, QStringLiteral("已借盘数必须为数字！"), textYJPS_},
        {MemberFilterCheck::LevelNotNumber, QStringLiteral("会员等级必须为数字！"), comboHYDJ_}};
    const MemberFilterCheck check = CheckMemberFilter(filter);
    for (const auto& [refusal, message, field] : refusals) {
        if (check == refusal) {
            model_->clear();
            Refuse(message, field);
            return false;
        }
    }
    model_->setQuery(QStringLiteral("hybh, hyxm, hyxb, hyzz, lxdh, hydj, zjje, yjje, yjps, rhrq"),
                     QStringLiteral("hyxx"), MemberConditions(filter), sortColumns(),
                     QStringLiteral("rowid"));
    return true;
}

QStringList FormHYXX::sortFor(const QString& heading) const
{
    return MemberSortColumns(heading);
}

void FormHYXX::rowReleased(int row, Qt::MouseButton button)
{
    const QString hybh = model_->cell(row, 0);
    if (button != Qt::LeftButton || hybh.isEmpty() || !PassGate())
        return;
    FormHYCZ::showFor(this, hybh);
}
