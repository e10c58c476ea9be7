#include "FormSCYDXX.h"

#include "DiscFields.h"
#include "FormYDCX.h"
#include "app/MessageBox.h"
#include "common/DateField.h"
#include "common/WindowSupport.h"
#include "rentals/FormZJXXCX.h"

#include "catalogue/Discs.h"
#include "store/Errors.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FormSCYDXX::FormSCYDXX(QWidget* parent) : QWidget(parent)
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

    auto* frame1 = new QGroupBox(QStringLiteral(" 删除条件 "), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setToolTip(QStringLiteral(
        "在此输入要删除的信息所要满足的条件，如果缺省，将被认为是不在此字段上加以限制。"));
    auto* grid = new QGridLayout(frame1);
    const auto place = [this, grid](int r, int c, const char* name, const QString& caption,
                                    QWidget* field) {
        grid->addWidget(MakeCaption(this, caption, field, name), r, c * 2, Qt::AlignRight);
        grid->addWidget(field, r, c * 2 + 1);
    };
    place(0, 0, "Label1", QStringLiteral("影碟编号 : "), textBH_);
    place(0, 1, "Label2", QStringLiteral("片名 : "), textPM_);
    place(1, 0, "Label3", QStringLiteral("类型 : "), comboLX_);
    place(1, 1, "Label5", QStringLiteral("国籍 : "), textGJ_);
    place(2, 0, "Label6", QStringLiteral("影碟类型 : "), comboYDLX_);
    place(2, 1, "Label7", QStringLiteral("入库日期 : "), dateRKRQ_);
    place(3, 0, "Label8", QStringLiteral("是否已出租 : "), comboSFCZ_);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    labelJLTS_ = new QLabel(QStringLiteral("共删除了0条记录"), this);
    labelJLTS_->setObjectName(QStringLiteral("LabelJLTS"));
    commandSC_ = MakeButton(this, "CommandSC", QStringLiteral("删除"));
    auto* commandFQ = MakeButton(this, "CommandFQ", QStringLiteral("放弃"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(labelJLTS_, 1);
    bottom->addWidget(commandSC_);
    bottom->addWidget(commandFQ);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame1);
    layout->addStretch();
    layout->addLayout(bottom);
    resize(600, 260);

    connect(commandSC_, &QPushButton::clicked, this, &FormSCYDXX::onCommandSCClicked);
    connect(commandFQ, &QPushButton::clicked, this, [this] { CloseWindow(this); });
}

void FormSCYDXX::PrepareFor(const QString& bh)
{
    textBH_->setText(bh);
    commandSC_->setFocus();
}

void FormSCYDXX::onCommandSCClicked()
{
    BusyStatus busy(QStringLiteral("正在删除影碟信息 ..."));
    const DiscFilter filter{textBH_->text(),           textPM_->text(),
                            textGJ_->text(),           dateRKRQ_->text(),
                            comboLX_->currentText(),   comboYDLX_->currentText(),
                            comboSFCZ_->currentText(), {}};
    try {
        if (AnyRentedDisc(filter)) {
            Notice(QStringLiteral("您要删除的影碟中包含还没有归还的影碟！删除不能执行！"));
            return;
        }
        if (!Ask(QStringLiteral("如果执行了删除操作，那么删除将不能被撤消！确定要删除信息吗？")))
            return;
        if (DiscConditions(filter).isEmpty() &&
            !Ask(QStringLiteral(
                     "您没有输入要删除的记录所满足的条件，系统将删除所有的影碟信息。确定吗？"),
                 QStringLiteral("用户警告")))
            return;
        const QStringList deleted = DeleteDiscs(filter);
        labelJLTS_->setText(QStringLiteral("共删除了%1条记录").arg(deleted.size()));
        if (Ask(QStringLiteral("您要删除关于刚删除的那些影碟的租借信息吗？"))) {
            DeleteRentalsOfDiscs(deleted);
            RequeryIfOpen<FormZJXXCX>();
        }
        RefreshDiscCountPanel();
        RequeryIfOpen<FormYDCX>();
    } catch (const MovrntError& error) {
        Notice(QStringLiteral("信息删除失败！"));
        ReportError(error);
    }
}
