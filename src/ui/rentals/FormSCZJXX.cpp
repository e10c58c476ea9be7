#include "FormSCZJXX.h"
#include "core/store/Shop.h"

#include "ui/common/Controls.h"
#include "ui/common/DateField.h"
#include "ui/common/MessageBox.h"
#include "ui/common/WindowSupport.h"

#include "core/rentals/Rentals.h"
#include "core/store/Errors.h"
#include "core/store/Numbers.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FormSCZJXX::FormSCZJXX(Shop& shop, QWidget* parent) : DeleteWindow(shop, parent)
{
    setObjectName(QStringLiteral("FormSCZJXX"));
    setWindowTitle(QStringLiteral("删除租借信息"));

    textBH_ = MakeLine(this, "TextBH");
    textHYBH_ = MakeLine(this, "TextHYBH");
    dateGHRQ_ = new DateField(QStringLiteral("TextGHRQ"), QStringLiteral("DTPickerGHRQ"), this);
    dateZJRQ_ = new DateField(QStringLiteral("TextZJRQ"), QStringLiteral("DTPickerZJRQ"), this);
    comboSFYH_ = MakeFlagCombo(this, "ComboSFYH");
    textZDBH_ = MakeLine(this, "TextZDBH");

    setUp(QStringLiteral(" 删除条件 "),
          QStringLiteral(
              "在此输入要删除的信息所要满足的条件，如果缺省，将被认为是不在此字段上加以限制。"),
          {{"Label1", QStringLiteral("影碟编号 : "), textBH_},
           {"Label6", QStringLiteral("会员编号 : "), textHYBH_},
           {"Label3", QStringLiteral("归还日期 : "), dateGHRQ_},
           {"Label2", QStringLiteral("租借日期 : "), dateZJRQ_},
           {"Label5", QStringLiteral("是否已还 : "), comboSFYH_},
           {"Label4", QStringLiteral("自动编号 : "), textZDBH_}},
          QSize(620, 210));
}

void FormSCZJXX::prepareFor(const QString& zdbh)
{
    textZDBH_->setText(zdbh);
    deleteButton()->setFocus();
}

void FormSCZJXX::deleteMatching()
{
    BusyStatus busy(QStringLiteral("正在删除租借信息 ..."));
    if (!textZDBH_->text().isEmpty() && !IsNumeric(textZDBH_->text())) {
        Refuse(QStringLiteral("您输入的自动编号有误，请重新输入！"), textZDBH_);
        return;
    }
    const RentalFilter filter{textBH_->text(),   textHYBH_->text(),         dateGHRQ_->text(),
                              dateZJRQ_->text(), comboSFYH_->currentText(), textZDBH_->text()};
    try {
        if (AnyUnsettledRental(shop_, filter)) {
            Notice(QStringLiteral("您要删除的部分租借信息还未结帐，删除不能执行！"));
            return;
        }
        if (!confirm(!RentalConditions(filter).isEmpty(), QStringLiteral("租借")))
            return;
        qint64 deleted = 0;
        if (withProgress(QStringLiteral("正在删除租借信息 ..."),
                         QStringLiteral("删除已取消，没有删除任何信息。"),
                         [&](const RowsDone& progress) {
                             deleted = DeleteRentals(shop_, filter, progress);
                         }))
            showDeleted(deleted);
    } catch (const MovrntError& error) {
        Notice(QStringLiteral("信息删除失败！"));
        busy.done();
        ReportError(error);
    }
}
