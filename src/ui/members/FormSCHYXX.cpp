#include "FormSCHYXX.h"

#include "FormHYXX.h"
#include "app/MessageBox.h"
#include "common/Controls.h"
#include "common/DateField.h"
#include "common/WindowSupport.h"
#include "rentals/FormZJXXCX.h"

#include "members/Members.h"
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

FormSCHYXX::FormSCHYXX(QWidget* parent) : QWidget(parent)
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

    auto* frame1 = new QGroupBox(QStringLiteral("删除条件"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto* grid = new QGridLayout(frame1);
    const QList<std::tuple<const char*, QString, QWidget*>> fields = {
        {"Label1", QStringLiteral("会员编号 : "), textBH_},
        {"Label2", QStringLiteral("会员姓名 :"), textXM_},
        {"Label3", QStringLiteral("会员性别 :"), comboXB_},
        {"Label6", QStringLiteral("会员等级 : "), comboHYDJ_},
        {"Label7", QStringLiteral("入会日期 : "), dateRHRQ_}};
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
    auto* commandSC = MakeButton(this, "CommandSC", QStringLiteral("删除"));
    auto* commandFQ = MakeButton(this, "CommandFQ", QStringLiteral("放弃"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(labelJLTS_, 1);
    bottom->addWidget(commandSC);
    bottom->addWidget(commandFQ);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame1);
    layout->addStretch();
    layout->addLayout(bottom);
    resize(580, 220);

    connect(commandSC, &QPushButton::clicked, this, &FormSCHYXX::onCommandSCClicked);
    connect(commandFQ, &QPushButton::clicked, this, [this] { CloseWindow(this); });
}

void FormSCHYXX::PrepareFor(const QString& hybh)
{
    textBH_->setText(hybh);
}

void FormSCHYXX::onCommandSCClicked()
{
    BusyStatus busy(QStringLiteral("正在删除会员信息 ..."));
    const MemberDeletion deletion{textBH_->text(), textXM_->text(), comboHYDJ_->currentText(),
                                  dateRHRQ_->text(), comboXB_->currentText()};
    if (!deletion.hydj.isEmpty() && !IsNumeric(deletion.hydj)) {
        Refuse(QStringLiteral("会员等级必须为数字！"), comboHYDJ_);
        return;
    }
    try {
        if (AnyMemberWithDiscOut(deletion)) {
            Notice(QStringLiteral("您要删除的会员中尚有一些会员没有退还影碟，删除不能进行！"));
            return;
        }
        if (!Ask(QStringLiteral("如果执行了删除操作，那么删除将不能被撤消！确定要删除信息吗？")))
            return;
        if (MemberDeletionConditions(deletion).isEmpty() &&
            !Ask(QStringLiteral(
                     "您没有输入要删除的记录所满足的条件，系统将删除所有的会员信息。确定吗？"),
                 QStringLiteral("用户警告")))
            return;
        const QStringList deleted = DeleteMembers(deletion);
        labelJLTS_->setText(QStringLiteral("共删除了%1条记录").arg(deleted.size()));
        if (Ask(QStringLiteral("您要删除关于刚删除的那些会员的租借信息吗？"))) {
            DeleteRentalsOfMembers(deleted);
            RequeryIfOpen<FormZJXXCX>();
        }
        RequeryIfOpen<FormHYXX>();
        RefreshMemberCountPanel();
    } catch (const MovrntError& error) {
        Notice(QStringLiteral("信息删除失败！"));
        ReportError(error);
    }
}
