#include "FormSCHYXX.h"
#include "core/store/Shop.h"

#include "ui/common/Controls.h"
#include "ui/common/DateField.h"
#include "ui/common/MessageBox.h"
#include "ui/common/WindowSupport.h"

#include "core/members/Members.h"
#include "core/store/Errors.h"
#include "core/store/Numbers.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FormSCHYXX::FormSCHYXX(Shop& shop, QWidget* parent) : DeleteWindow(shop, parent)
{
    setObjectName(QStringLiteral("FormSCHYXX"));
    setWindowTitle(QStringLiteral("删除会员信息"));

    textBH_ = MakeLine(this, "TextBH");
    textXM_ = MakeLine(this, "TextXM");
    comboXB_ = MakeCombo(this, "ComboXB");
    comboHYDJ_ = MakeCombo(this, "ComboHYDJ");
    dateRHRQ_ = new DateField(QStringLiteral("TextRHRQ"), QStringLiteral("DTPickerRHRQ"), this);
    FillCombo(comboXB_, Sexes());
    FillCombo(comboHYDJ_, LevelList());

    setUp(QStringLiteral("删除条件"), QString(),
          {{"Label1", QStringLiteral("会员编号 : "), textBH_},
           {"Label2", QStringLiteral("会员姓名 :"), textXM_},
           {"Label3", QStringLiteral("会员性别 :"), comboXB_},
           {"Label6", QStringLiteral("会员等级 : "), comboHYDJ_},
           {"Label7", QStringLiteral("入会日期 : "), dateRHRQ_}},
          QSize(580, 200));
}

void FormSCHYXX::prepareFor(const QString& hybh)
{
    textBH_->setText(hybh);
}

void FormSCHYXX::deleteMatching()
{
    BusyStatus busy(QStringLiteral("正在删除会员信息 ..."));
    const MemberDeletion deletion{textBH_->text(), textXM_->text(), comboHYDJ_->currentText(),
                                  dateRHRQ_->text(), comboXB_->currentText()};
    if (!deletion.hydj.isEmpty() && !IsNumeric(deletion.hydj)) {
        Refuse(QStringLiteral("会员等级必须为数字！"), comboHYDJ_);
        return;
    }
    try {
        if (AnyMemberWithDiscOut(shop_, deletion)) {
            Notice(QStringLiteral("您要删除的会员中尚有一些会员没有退还影碟，删除不能进行！"));
            return;
        }
        if (!confirm(!MemberDeletionConditions(deletion).isEmpty(), QStringLiteral("会员")))
            return;
    } catch (const MovrntError& error) {
        Notice(QStringLiteral("信息删除失败！"));
        ReportError(error);
        return;
    }
    deleteWithRentals(
        [this, &deletion](const RowsDone& progress) {
            return DeleteMembers(shop_, deletion, progress);
        },
        QStringLiteral("您要删除关于刚删除的那些会员的租借信息吗？"),
        [this](const QStringList& deleted, const RowsDone& progress) {
            DeleteRentalsOfMembers(shop_, deleted, progress);
        });
}
