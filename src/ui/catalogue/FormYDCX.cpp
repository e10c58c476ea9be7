#include "FormYDCX.h"
#include "FormYDCZ.h"
#include "core/store/Shop.h"

#include "DiscFields.h"
#include "FormLRJJ.h"
#include "ui/app/Navigator.h"
#include "ui/common/DateField.h"
#include "ui/common/GridView.h"
#include "ui/common/MessageBox.h"
#include "ui/common/QueryWindow.h"
#include "ui/common/Seams.h"
#include "ui/common/SqlGridModel.h"
#include "ui/common/WindowSupport.h"

#include "core/catalogue/Discs.h"
#include "core/store/Errors.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
const QStringList kHeadings = {"影碟编号", "片名",     "类型",     "主演",
                               "国籍",     "影碟类型", "入库日期", "是否已出租"};
const QStringList kToolTipNames = {"编号", "片名",     "类型",     "主演",
                                   "国籍", "影碟类型", "入库日期", "是否已出租"};
} // namespace

FormYDCX::FormYDCX(Shop& shop, QWidget* parent)
    : QueryWindow(shop, kHeadings, kToolTipNames, kDefaultDiscSort, parent)
{
    setObjectName(QStringLiteral("FormYDCX"));
    setWindowTitle(QStringLiteral("影碟信息查询"));

    textBH_ = MakeLine(this, "TextBH");
    textPM_ = MakeLine(this, "TextPM");
    comboLX_ = MakeCombo(this, "ComboLX");
    comboGJ_ = MakeCombo(this, "ComboGJ");
    comboZY_ = MakeCombo(this, "ComboZY");
    comboYDLX_ = MakeCombo(this, "ComboYDLX");
    comboSFCZ_ = MakeCombo(this, "ComboSFCZ");
    dateRKRQ_ = new DateField(QStringLiteral("TextRKRQ"), QStringLiteral("DTPickerRQ"), this);
    placeCondition(0, 0, "LabelBH", QStringLiteral("影碟编号 : "), textBH_);
    placeCondition(0, 1, "LabelPM", QStringLiteral("片名 : "), textPM_);
    placeCondition(0, 2, "LabelLX", QStringLiteral("影片类型 : "), comboLX_);
    placeCondition(0, 3, "LabelGJ", QStringLiteral("影片国籍 : "), comboGJ_);
    placeCondition(1, 0, "LabelZY", QStringLiteral("主演 : "), comboZY_);
    placeCondition(1, 1, "LabelYDLX", QStringLiteral("影碟类型 : "), comboYDLX_);
    placeCondition(1, 2, "LabelSFCZ", QStringLiteral("是否已出租 : "), comboSFCZ_);
    placeCondition(1, 3, "LabelRQ", QStringLiteral("入库日期 : "), dateRKRQ_);

    auto* commandYDJJ = MakeButton(this, "CommandYDJJ", QStringLiteral("影碟简介(&F)"),
                                   QStringLiteral("查看影片的内容介绍。"));
    auto* commandRMYD = MakeButton(this, "CommandRMYD", QStringLiteral("热门影碟(&H)"),
                                   QStringLiteral("新到影碟和热门影碟。"));
    bottomBar()->addWidget(commandYDJJ);
    bottomBar()->addWidget(commandRMYD);
    // A rental leaves the disc query as it is; a typed statement refreshes nothing.
    refreshOn(&ShopEvents::discsChanged,
              {ShopOperation::AddDisc, ShopOperation::ModifyDisc, ShopOperation::DeleteDiscs,
               ShopOperation::Settle, ShopOperation::Import, ShopOperation::Restore});
    setUp("MSHFlexGridYDXX", QStringLiteral(" 查询条件 "),
          QStringLiteral("用户提示：用鼠标左键单击相应的表格单元可以查看影碟内容简介，用鼠标右键单"
                         "击执行对影碟的操作。"),
          QStringLiteral("正在查询影碟信息 ..."));
    grid_->setFixedWidths({{1, 2000}, {3, 4100}, {4, 1200}, {6, 3000}, {7, 1500}});
    resize(980, 560);

    connect(commandRMYD, &QPushButton::clicked, this,
            [this] { Navigator::showPopularDiscs(this); });
    connect(commandYDJJ, &QPushButton::clicked, this, [this] {
        FormLRJJ synopsis(shop_, this);
        ExecModal(synopsis);
    });

    FillCombo(comboYDLX_, DiscTypes());
    FillCombo(comboSFCZ_, {QStringLiteral("是"), QStringLiteral("否")});
    try {
        FillDiscLists(shop_, comboLX_, comboZY_, comboGJ_);
    } catch (const MovrntError& error) {
        ReportError(error);
        return;
    }
    onCommandCXClicked();
}

bool FormYDCX::runQuery()
{
    const DiscFilter filter{textBH_->text(),           textPM_->text(),
                            comboGJ_->currentText(),   dateRKRQ_->text(),
                            comboLX_->currentText(),   comboYDLX_->currentText(),
                            comboSFCZ_->currentText(), comboZY_->currentText()};
    model_->setQuery(QStringLiteral("bh, pm, lx, zy, gj, ydlx, rkrq, sfycz"),
                     QStringLiteral("ydxx"), DiscConditions(filter), sortColumns(),
                     QStringLiteral("rowid"));
    return true;
}

QStringList FormYDCX::sortFor(const QString& heading) const
{
    return DiscSortColumns(heading);
}

void FormYDCX::headingReleasedOther(Qt::MouseButton)
{
    PassGate(); // a right click on the headings opens nothing
}

void FormYDCX::rowReleased(int row, Qt::MouseButton button)
{
    const QString bh = model_->cell(row, 0);
    if (button == Qt::LeftButton) {
        if (bh.isEmpty())
            return;
        FormLRJJ synopsis(shop_, this);
        synopsis.showDisc(bh);
        ExecModal(synopsis);
        return;
    }
    if (!PassGate() || bh.isEmpty())
        return;
    FormYDCZ::showFor(this, bh);
}
