#include "FormSCYDXX.h"
#include "core/store/Shop.h"

#include "DiscFields.h"
#include "ui/common/DateField.h"
#include "ui/common/MessageBox.h"
#include "ui/common/WindowSupport.h"

#include "core/catalogue/Discs.h"
#include "core/store/Errors.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FormSCYDXX::FormSCYDXX(Shop& shop, QWidget* parent) : DeleteWindow(shop, parent)
{
    setObjectName(QStringLiteral("FormSCYDXX"));
    setWindowTitle(QStringLiteral("删除影碟信息"));

    textBH_ = MakeLine(this, "TextBH");
    textPM_ = MakeLine(this, "TextPM");
    comboLX_ = MakeCombo(this, "ComboLX");
    textGJ_ = MakeLine(this, "TextGJ");
    comboYDLX_ = MakeCombo(this, "ComboYDLX");
    dateRKRQ_ = new DateField(QStringLiteral("TextRKRQ"), QStringLiteral("DTPickerRQ"), this);
    comboSFCZ_ = MakeCombo(this, "ComboSFCZ");
    FillCombo(comboLX_, Genres());
    FillCombo(comboYDLX_, DiscTypes());
    FillCombo(comboSFCZ_, {QStringLiteral("是"), QStringLiteral("否")});

    setUp(QStringLiteral(" 删除条件 "),
          QStringLiteral(
              "在此输入要删除的信息所要满足的条件，如果缺省，将被认为是不在此字段上加以限制。"),
          {{"Label1", QStringLiteral("影碟编号 : "), textBH_},
           {"Label2", QStringLiteral("片名 : "), textPM_},
           {"Label3", QStringLiteral("类型 : "), comboLX_},
           {"Label5", QStringLiteral("国籍 : "), textGJ_},
           {"Label6", QStringLiteral("影碟类型 : "), comboYDLX_},
           {"Label7", QStringLiteral("入库日期 : "), dateRKRQ_},
           {"Label8", QStringLiteral("是否已出租 : "), comboSFCZ_}},
          QSize(600, 240));
}

void FormSCYDXX::prepareFor(const QString& bh)
{
    textBH_->setText(bh);
    deleteButton()->setFocus();
}

void FormSCYDXX::deleteMatching()
{
    BusyStatus busy(QStringLiteral("正在删除影碟信息 ..."));
    const DiscFilter filter{textBH_->text(),           textPM_->text(),
                            textGJ_->text(),           dateRKRQ_->text(),
                            comboLX_->currentText(),   comboYDLX_->currentText(),
                            comboSFCZ_->currentText(), {}};
    try {
        if (AnyRentedDisc(shop_, filter)) {
            Notice(QStringLiteral("您要删除的影碟中包含还没有归还的影碟！删除不能执行！"));
            return;
        }
        if (!confirm(!DiscConditions(filter).isEmpty(), QStringLiteral("影碟")))
            return;
    } catch (const MovrntError& error) {
        Notice(QStringLiteral("信息删除失败！"));
        ReportError(error);
        return;
    }
    deleteWithRentals(
        [this, &filter](const RowsDone& progress) { return DeleteDiscs(shop_, filter, progress); },
        QStringLiteral("您要删除关于刚删除的那些影碟的租借信息吗？"),
        [this](const QStringList& deleted, const RowsDone& progress) {
            DeleteRentalsOfDiscs(shop_, deleted, progress);
        });
}
