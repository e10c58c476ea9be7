#include "FormYDCX.h"

#include "DiscFields.h"
#include "FormLRJJ.h"
#include "FormSCYDXX.h"
#include "FormXGYDXX.h"
#include "app/MDIMain.h"
#include "app/MessageBox.h"
#include "app/Seams.h"
#include "common/DateField.h"
#include "common/GridView.h"
#include "common/SqlGridModel.h"
#include "common/WindowSupport.h"

#include "catalogue/Discs.h"
#include "store/Errors.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
const QStringList kHeadings = {"影碟编号", "片名", "类型", "主演", "国籍", "影碟类型", "入库日期", "是否已出租"};
const QStringList kToolTipNames = {"编号", "片名", "类型", "主演", "国籍", "影碟类型", "入库日期", "是否已出租"};
} // namespace

FormYDCX::FormYDCX(QWidget* parent) : QWidget(parent), sortClause_(kDefaultDiscSort)
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

    auto* frameTJ = new QGroupBox(QStringLiteral(" 查询条件 "), this);
    frameTJ->setObjectName(QStringLiteral("FrameTJ"));
    frameTJ->setToolTip(QStringLiteral("在此输入查询条件，如果缺省，将被认为是不在此字段上加以限制。"));
    auto* conditions = new QGridLayout(frameTJ);
    const auto place = [this, conditions](int r, int c, const char* name, const QString& caption, QWidget* field) {
        conditions->addWidget(MakeCaption(this, caption, field, name), r, c * 2, Qt::AlignRight);
        conditions->addWidget(field, r, c * 2 + 1);
    };
    place(0, 0, "LabelBH", QStringLiteral("影碟编号 : "), textBH_);
    place(0, 1, "LabelPM", QStringLiteral("片名 : "), textPM_);
    place(0, 2, "LabelLX", QStringLiteral("影片类型 : "), comboLX_);
    place(0, 3, "LabelGJ", QStringLiteral("影片国籍 : "), comboGJ_);
    place(1, 0, "LabelZY", QStringLiteral("主演 : "), comboZY_);
    place(1, 1, "LabelYDLX", QStringLiteral("影碟类型 : "), comboYDLX_);
    place(1, 2, "LabelSFCZ", QStringLiteral("是否已出租 : "), comboSFCZ_);
    place(1, 3, "LabelRQ", QStringLiteral("入库日期 : "), dateRKRQ_);
    for (int c = 1; c < 8; c += 2)
        conditions->setColumnStretch(c, 1);

    auto* commandCX = MakeButton(this, "CommandCX", QStringLiteral("查询"));
    commandCX->setDefault(true);
    auto* commandFQ = MakeButton(this, "CommandFQ", QStringLiteral("放弃"));
    auto* commandYDJJ = MakeButton(this, "CommandYDJJ", QStringLiteral("影碟简介(&F)"), QStringLiteral("查看影片的内容介绍。"));
    auto* commandRMYD = MakeButton(this, "CommandRMYD", QStringLiteral("热门影碟(&H)"), QStringLiteral("新到影碟和热门影碟。"));
    commandRMYD->setEnabled(false);  // the popular-discs window is not part of this build yet

    model_ = new SqlGridModel(kHeadings, this);
    model_->setRowToolTip([](const SqlGridModel& model, int row) {
        QStringList parts;
        for (int c = 0; c < kToolTipNames.size(); ++c)
            parts << kToolTipNames[c] + u':' + model.cell(row, c);
        return parts.join(QStringLiteral(" | "));
    });
    grid_ = new GridView(model_, this);
    grid_->setObjectName(QStringLiteral("MSHFlexGridYDXX"));
    grid_->setAccessibleName(QStringLiteral("影碟信息"));
    labelJLTS_ = new QLabel(QStringLiteral("共找到  条记录"), this);
    labelJLTS_->setObjectName(QStringLiteral("LabelJLTS"));
    auto* labelTS = new QLabel(QStringLiteral("用户提示：用鼠标左键单击相应的表格单元可以查看影碟内容简介，"
                                              "用鼠标右键单击执行对影碟的操作。"),
                               this);
    labelTS->setObjectName(QStringLiteral("LabelTS"));

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(commandCX);
    buttons->addWidget(commandFQ);
    auto* top = new QHBoxLayout;
    top->addWidget(frameTJ, 1);
    top->addLayout(buttons);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(labelTS, 1);
    bottom->addWidget(labelJLTS_);
    bottom->addWidget(commandYDJJ);
    bottom->addWidget(commandRMYD);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(grid_, 1);
    layout->addLayout(bottom);
    resize(980, 560);

    connect(commandCX, &QPushButton::clicked, this, &FormYDCX::onCommandCXClicked);
    connect(commandFQ, &QPushButton::clicked, this, [this] { CloseWindow(this); });
    connect(commandYDJJ, &QPushButton::clicked, this, [this] {
        FormLRJJ synopsis(this);
        ExecModal(synopsis);
    });
    connect(grid_, &GridView::rowReleased, this, &FormYDCX::onRowReleased);
    connect(grid_, &GridView::headingReleased, this, &FormYDCX::onHeadingReleased);

    FillCombo(comboYDLX_, DiscTypes());
    FillCombo(comboSFCZ_, {QStringLiteral("是"), QStringLiteral("否")});
    try {
        FillDiscLists(comboLX_, comboZY_, comboGJ_);
    } catch (const MovrntError& error) {
        ReportError(error);
        return;
    }
    onCommandCXClicked();
    grid_->setColumnWidthsTwips({0, 2000, 0, 4100, 1200, 0, 3000, 1500});
}

void FormYDCX::Requery()
{
    onCommandCXClicked();
}

void FormYDCX::onCommandCXClicked()
{
    BusyStatus busy(QStringLiteral("正在查询影碟信息 ..."), true);
    const DiscFilter filter{textBH_->text(),          textPM_->text(),    comboGJ_->currentText(),
                            dateRKRQ_->text(),        comboLX_->currentText(), comboYDLX_->currentText(),
                            comboSFCZ_->currentText(), comboZY_->currentText()};
    try {
        model_->setQuery(QStringLiteral("bh, pm, lx, zy, gj, ydlx, rkrq, sfycz"), QStringLiteral("ydxx"),
                         DiscConditions(filter), sortClause_, QStringLiteral("bh"));
        labelJLTS_->setText(QStringLiteral("共找到%1条记录").arg(model_->total()));
    } catch (const MovrntError& error) {
        ReportError(error);
    }
}

void FormYDCX::onHeadingReleased(int column, Qt::MouseButton button)
{
    if (button == Qt::LeftButton) {
        const QString clause = DiscSortClause(model_->heading(column));
        if (!clause.isEmpty())
            sortClause_ = clause;
        onCommandCXClicked();
    } else {
        PassGuestGate();  // a right click on the headings opens nothing
    }
}

void FormYDCX::onRowReleased(int row, Qt::MouseButton button)
{
    const QString bh = model_->cell(row, 0);
    if (button == Qt::LeftButton) {
        if (bh.isEmpty())
            return;
        FormLRJJ synopsis(this);
        synopsis.ShowDisc(bh);
        ExecModal(synopsis);
        return;
    }
    if (!PassGuestGate() || bh.isEmpty())
        return;
    FormYDCZ::ShowFor(bh);
}

FormYDCZ::FormYDCZ(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormYDCZ"));
    setWindowTitle(QStringLiteral("请选择您要执行的操作："));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* label1 = new QLabel(QStringLiteral("请选择你要对编号为"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    labelBH_ = new QLabel(this);
    labelBH_->setObjectName(QStringLiteral("LabelBH"));
    labelBH_->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));
    auto* label3 = new QLabel(QStringLiteral("的影碟执行的操作 ： "), this);
    label3->setObjectName(QStringLiteral("Label3"));
    const auto option = [this](const char* name, const QString& caption) {
        auto* button = new QRadioButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        return button;
    };
    optionZJ_ = option("OptionZJ", QStringLiteral("出租此影碟"));
    optionXG_ = option("OptionXG", QStringLiteral("修改此影碟的信息"));
    optionSC_ = option("OptionSC", QStringLiteral("删除此影碟的信息"));
    optionZJ_->setEnabled(false);  // renting out is not part of this build yet
    auto* commandQD = MakeButton(this, "CommandQD", QStringLiteral("确定"));
    commandQD->setDefault(true);
    auto* commandFQ = MakeButton(this, "CommandFQ", QStringLiteral("放弃"));

    auto* heading = new QHBoxLayout;
    heading->addWidget(label1);
    heading->addWidget(labelBH_);
    heading->addWidget(label3);
    heading->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(commandQD);
    buttons->addWidget(commandFQ);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(heading);
    for (QRadioButton* button : {optionZJ_, optionXG_, optionSC_})
        layout->addWidget(button);
    layout->addLayout(buttons);
    connect(commandQD, &QPushButton::clicked, this, &FormYDCZ::onCommandQDClicked);
    connect(commandFQ, &QPushButton::clicked, this, &QDialog::close);
}

FormYDCZ* FormYDCZ::ShowFor(const QString& bh)
{
    static QPointer<FormYDCZ> chooser;
    if (!chooser)
        chooser = new FormYDCZ(MDIMain::Instance());
    chooser->labelBH_->setText(bh);
    (chooser->optionZJ_->isEnabled() ? chooser->optionZJ_ : chooser->optionXG_)->setChecked(true);
    chooser->show();
    chooser->raise();
    chooser->activateWindow();
    return chooser;
}

void FormYDCZ::onCommandQDClicked()
{
    const QString bh = labelBH_->text();
    if (optionXG_->isChecked()) {
        if (auto* window = OpenWindow<FormXGYDXX>())
            window->LookUp(bh);
    } else if (optionSC_->isChecked()) {
        if (auto* window = OpenWindow<FormSCYDXX>())
            window->PrepareFor(bh);
    }
    close();
}
