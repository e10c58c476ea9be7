#include "FormCZ.h"
#include "core/store/Shop.h"

#include "ReceiptSlip.h"
#include "ui/common/Controls.h"
#include "ui/common/MessageBox.h"
#include "ui/common/WindowSupport.h"

#include "core/members/Members.h"
#include "core/money/Ledger.h"
#include "core/rentals/Receipt.h"
#include "core/store/Errors.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FormCZ::FormCZ(Shop& shop, QWidget* parent, const QString& hybh)
    : QDialog(parent), shop_(shop), hybh_(hybh)
{
    setObjectName(QStringLiteral("FormCZ"));
    setWindowTitle(QStringLiteral("会员充值"));
    labelHY_ = new QLabel(this);
    labelHY_->setObjectName(QStringLiteral("LabelHY"));
    labelHY_->setWordWrap(true);
    textCZJE_ = MakeLine(this, "TextCZJE", QStringLiteral("会员这次交来的预付租金，以元为单位。"));
    auto* form = new QFormLayout;
    form->addRow(MakeCaption(this, QStringLiteral("充值金额（元） : "), textCZJE_, "LabelCZJE"),
                 textCZJE_);
    auto* commandCZ = MakeButton(this, "CommandCZ", QStringLiteral("充值"));
    commandCZ->setDefault(true);
    auto* commandFQ = MakeButton(this, "CommandFQ", QStringLiteral("放弃"));
    receipt_ = new ReceiptButton(this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(receipt_);
    buttons->addWidget(commandCZ);
    buttons->addWidget(commandFQ);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(labelHY_);
    layout->addLayout(form);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(420, 170);
    connect(commandCZ, &QPushButton::clicked, this, &FormCZ::onCommandCZClicked);
    connect(commandFQ, &QPushButton::clicked, this, &QDialog::reject);
    try {
        showBalance();
    } catch (const MovrntError& error) {
        ReportError(error);
    }
}

void FormCZ::showBalance()
{
    const std::optional<Member> member = FindMember(shop_, hybh_);
    if (!member) {
        labelHY_->setText(QStringLiteral("找不到会员 %1！").arg(hybh_));
        return;
    }
    const std::optional<Money> prepaid = ParseMoney(member->zjje);
    labelHY_->setText(QStringLiteral("会员 %1（%2）现有预付租金 %3")
                          .arg(hybh_, member->hyxm,
                               prepaid ? YuanText(*prepaid) : QStringLiteral("￥") + member->zjje));
    labelHY_->setAccessibleName(labelHY_->text());
}

void FormCZ::onCommandCZClicked()
{
    receipt_->withdraw();
    const std::optional<Money> amount = ParseTopUp(textCZJE_->text());
    if (!amount) {
        Refuse(QStringLiteral("充值金额必须是大于0的数字！"), textCZJE_);
        return;
    }
    std::optional<Money> prepaid;
    {
        BusyStatus busy(QStringLiteral("正在充值 ..."), true);
        try {
            prepaid = TopUp(shop_, hybh_, *amount);
        } catch (const MovrntError& error) {
            busy.done();
            ReportError(error);
            return;
        }
    }
    if (!prepaid) {
        Notice(QStringLiteral("找不到会员 %1，没有充值！").arg(hybh_));
        return;
    }
    const QString done = QStringLiteral("会员 %1 充值 %2，预付租金余额 %3")
                             .arg(hybh_, YuanText(*amount), YuanText(*prepaid));
    labelHY_->setText(done);
    labelHY_->setAccessibleName(done);
    textCZJE_->clear();
    receipt_->offer([&shop = shop_, hybh = hybh_, paid = *amount, left = *prepaid] {
        return TopUpReceipt(shop, hybh, paid, left);
    });
    Notice(QStringLiteral("充值成功！") + done);
}
