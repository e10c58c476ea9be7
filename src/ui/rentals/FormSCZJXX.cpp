#include "FormSCZJXX.h"

#include "FormZJXXCX.h"
#include "app/MessageBox.h"
#include "common/Controls.h"
#include "common/DateField.h"
#include "common/WindowSupport.h"

#include "rentals/Rentals.h"
#include "store/Errors.h"
#include "store/Numbers.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FormSCZJXX::FormSCZJXX(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FormSCZJXX"));
    setWindowTitle(QStringLiteral("删除租借信息"));

    textBH_ = MakeLine(this, "TextBH");
    textHYBH_ = MakeLine(this, "TextHYBH");
    dateGHRQ_ = new DateField(QStringLiteral("TextGHRQ"), QStringLiteral("DTPickerGHRQ"), this);
    dateZJRQ_ = new DateField(QStringLiteral("TextZJRQ"), QStringLiteral("DTPickerZJRQ"), this);
    comboSFYH_ = new QComboBox(this);
    comboSFYH_->setObjectName(QStringLiteral("ComboSFYH"));
    comboSFYH_->addItems({QString(), QStringLiteral("是"), QStringLiteral("否")});
    textZDBH_ = MakeLine(this, "TextZDBH");

    auto* frame1 = new QGroupBox(QStringLiteral(" 删除条件 "), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setToolTip(QStringLiteral(
        "在此输入要删除的信息所要满足的条件，如果缺省，将被认为是不在此字段上加以限制。"));
    auto* grid = new QGridLayout(frame1);
    const QList<std::tuple<const char*, QString, QWidget*>> fields = {
        {"Label1", QStringLiteral("影碟编号 : "), textBH_},
        {"Label6", QStringLiteral("会员编号 : "), textHYBH_},
        {"Label3", QStringLiteral("归还日期 : "), dateGHRQ_},
        {"Label2", QStringLiteral("租借日期 : "), dateZJRQ_},
        {"Label5", QStringLiteral("是否已还 : "), comboSFYH_},
        {"Label4", QStringLiteral("自动编号 : "), textZDBH_}};
    int i = 0;
    for (const auto& [name, caption, field] : fields) {
        grid->addWidget(MakeCaption(this, caption, field, name), i / 2, (i % 2) * 2,
                        Qt::AlignRight);
        grid->addWidget(field, i / 2, (i % 2) * 2 + 1);
        ++i;
    }
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
    resize(620, 210);

    connect(commandSC_, &QPushButton::clicked, this, &FormSCZJXX::onCommandSCClicked);
    connect(commandFQ, &QPushButton::clicked, this, [this] { CloseWindow(this); });
}

void FormSCZJXX::PrepareFor(const QString& zdbh)
{
    textZDBH_->setText(zdbh);
    commandSC_->setFocus();
}

void FormSCZJXX::onCommandSCClicked()
{
    BusyStatus busy(QStringLiteral("正在删除租借信息 ..."));
    if (!textZDBH_->text().isEmpty() && !IsNumeric(textZDBH_->text())) {
        Refuse(QStringLiteral("您输入的自动编号有误，请重新输入！"), textZDBH_);
        return;
    }
    const RentalFilter filter{textBH_->text(),   textHYBH_->text(),         dateGHRQ_->text(),
                              dateZJRQ_->text(), comboSFYH_->currentText(), textZDBH_->text()};
    try {
        if (AnyUnsettledRental(filter)) {
            Notice(QStringLiteral("您要删除的部分租借信息还未结帐，删除不能执行！"));
            return;
        }
        if (!Ask(QStringLiteral("如果执行了删除操作，那么删除将不能被撤消！确定要删除信息吗？")))
            return;
        if (RentalConditions(filter).isEmpty() &&
            !Ask(QStringLiteral(
                     "您没有输入要删除的记录所满足的条件，系统将删除所有的租借信息。确定吗？"),
                 QStringLiteral("用户警告")))
            return;
        labelJLTS_->setText(QStringLiteral("共删除了%1条记录").arg(DeleteRentals(filter)));
        RequeryIfOpen<FormZJXXCX>();
    } catch (const MovrntError& error) {
        Notice(QStringLiteral("信息删除失败！"));
        ReportError(error);
    }
}
