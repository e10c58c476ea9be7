#include "FormTJZJXX.h"
#include "core/store/Shop.h"

#include "ReceiptSlip.h"
#include "ui/app/Navigator.h"
#include "ui/common/Controls.h"
#include "ui/common/MessageBox.h"
#include "ui/common/Seams.h"
#include "ui/common/WindowSupport.h"

#include "core/money/Ledger.h"

#include "core/rentals/Rentals.h"
#include "core/settings/Settings.h"
#include "core/store/Errors.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FormTJZJXX::FormTJZJXX(Shop& shop, QWidget* parent) : QWidget(parent), shop_(shop)
{
    setObjectName(QStringLiteral("FormTJZJXX"));
    setWindowTitle(QStringLiteral("添加租借信息"));

    textYDBH_ = MakeLine(this, "TextYDBH");
    textYJJE_ = MakeLine(this, "TextYJJE", QStringLiteral("以元为单位。"));
    textHYBH_ = MakeLine(this, "TextHYBH");
    auto* label1 =
        new QLabel(QStringLiteral("（押金金额以元为单位；会员不要填写押金金额。）"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    auto* label3 = new QLabel(QStringLiteral("（零散顾客不要填写会员编号。）"), this);
    label3->setObjectName(QStringLiteral("Label3"));
    auto* grid = new QGridLayout;
    grid->addWidget(MakeCaption(this, QStringLiteral("影碟编号 : "), textYDBH_, "LabelYDBH"), 0, 0,
                    Qt::AlignRight);
    grid->addWidget(textYDBH_, 0, 1);
    grid->addWidget(MakeCaption(this, QStringLiteral("押金金额 : "), textYJJE_, "LabelYJJE"), 1, 0,
                    Qt::AlignRight);
    grid->addWidget(textYJJE_, 1, 1);
    grid->addWidget(label1, 1, 2);
    grid->addWidget(MakeCaption(this, QStringLiteral("会员编号 : "), textHYBH_, "Label2"), 2, 0,
                    Qt::AlignRight);
    grid->addWidget(textHYBH_, 2, 1);
    grid->addWidget(label3, 2, 2);
    grid->setColumnMinimumWidth(1, 180);
    auto* commandTJ = MakeButton(this, "CommandTJ", QStringLiteral("添加"));
    commandTJ->setDefault(true);
    QHBoxLayout* buttons = ButtonRow(this, nullptr, commandTJ);
    receipt_ = new ReceiptButton(this);
    buttons->insertWidget(buttons->indexOf(commandTJ), receipt_);
    // A scanned disc goes on to the member's card, never straight to 添加;
    // the deposit box is skipped once a member number is there.
    EnterMovesOn(this, commandTJ, {textYDBH_, textHYBH_, textYJJE_});
    // What a member's rental took and left, in full, for the clerk to read
    // out; a walk-in rental's number.
    labelYE_ = new QLabel(this);
    labelYE_->setObjectName(QStringLiteral("LabelYE"));
    labelYE_->setWordWrap(true);
    labelYE_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(labelYE_);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(600, 190);

    connect(commandTJ, &QPushButton::clicked, this, &FormTJZJXX::onCommandTJClicked);
    connect(textHYBH_, &QLineEdit::textChanged, this, &FormTJZJXX::onTextHYBHChanged);

    // Preset deposits are decided once, when the window opens.
    presetDeposits_ = GetSetting(Setting::PresetYJJE) == u"True";
    textYJJE_->setEnabled(!presetDeposits_);
}

void FormTJZJXX::prepareFor(const QString& bh)
{
    textYDBH_->setText(bh);
    textHYBH_->setFocus();
}

void FormTJZJXX::prepareForMember(const QString& hybh)
{
    textHYBH_->setText(hybh);
    textYDBH_->setFocus();
}

void FormTJZJXX::onTextHYBHChanged(const QString& text)
{
    if (!presetDeposits_)
        textYJJE_->setEnabled(text.isEmpty());
}

bool FormTJZJXX::refuse(RentOutCheck check, const RentRequest& request)
{
    switch (check) {
    case RentOutCheck::NoRentSetting:
        Navigator::offerRentSetting(this);
        return true;
    case RentOutCheck::EmptyDisc:
        Refuse(QStringLiteral("请输入影碟编号!"), textYDBH_);
        return true;
    case RentOutCheck::UnknownDisc:
        Refuse(QStringLiteral("您输入的影碟编号无效！"), textYDBH_);
        return true;
    case RentOutCheck::HeldForMember: // held since the clerk was asked, at another counter
        Notice(QStringLiteral("此影碟刚刚被保留给预约的会员，请重新添加租借信息！"));
        return true;
    case RentOutCheck::LostDisc:
        Refuse(QStringLiteral("此影碟已登记为丢失"), textYDBH_);
        return true;
    case RentOutCheck::DiscOut:
        Notice(QStringLiteral("编号为：") + request.bh +
               QStringLiteral("的影碟已出租，请检查您输入的编号！"));
        return true;
    case RentOutCheck::UnknownMember:
        Refuse(QStringLiteral("您输入的会员编号无效！"), textHYBH_);
        return true;
    case RentOutCheck::BadDeposit:
        Refuse(QStringLiteral("您输入的押金金额无效！"), textYJJE_);
        return true;
    case RentOutCheck::InsufficientPrepaid:
        if (Ask(QStringLiteral("对不起，该会员的预付租金已经不足！要现在给该会员续费吗？")))
            Navigator::modifyMember(this, request.hybh);
        return true;
    case RentOutCheck::Ok:
        break;
    }
    return false;
}

void FormTJZJXX::onCommandTJClicked()
{
    BusyStatus busy(QStringLiteral("正在添加租借信息 ..."));
    receipt_->withdraw();
    RentOutDone done;
    RentRequest request{textYDBH_->text(), textHYBH_->text(), textYJJE_->text(),
                        textYJJE_->isEnabled()};
    try {
        // The check, then the rental: another counter may have come first in
        // between, and the rental refuses as the check would have.
        RentOutCheck check = CheckRentOut(shop_, request);
        if (check == RentOutCheck::HeldForMember) {
            // A disc kept for a member who reserved it goes to another only if the clerk says so.
            const std::optional<ReservationHold> hold = StandingHold(shop_, request.bh);
            if (hold && !Ask(QStringLiteral("此影碟已被会员 %1（%2，电话 %3）预约，仍要出租吗？")
                                 .arg(hold->hyxm, hold->hybh, hold->lxdh)))
                return;
            request.overrideHold = true;
            check = CheckRentOut(shop_, request);
        }
        if (refuse(check, request))
            return;
        done = RentOut(shop_, request);
        if (refuse(done.refusal, request))
            return;
    } catch (const MovrntError& error) {
        Notice(QStringLiteral("信息添加失败！"));
        ReportError(error);
        return;
    }
    receipt_->offer([&shop = shop_, done] { return RentOutReceipt(shop, done); });
    labelYE_->clear();
    if (!request.hybh.isEmpty()) {
        // What the member paid, where the clerk can read it to him: in the
        // window in full, and in the status bar.
        busy.done();
        const QString paid =
            QStringLiteral("会员 %1 本次租借从预付租金中扣除 %2，预付租金余额 %3")
                .arg(request.hybh, YuanText(done.charged), YuanText(done.prepaidLeft));
        labelYE_->setText(paid);
        ShowStatus(paid);
    } else {
        // The number checkout will ask the customer for.
        labelYE_->setText(
            QStringLiteral("本次租借的租借编号为 %1（结帐时需要此编号）").arg(done.zdbh));
    }
    labelYE_->setAccessibleName(labelYE_->text());
    Notice(QStringLiteral("租借信息添加成功！"));
    for (QLineEdit* box : {textYDBH_, textHYBH_, textYJJE_})
        box->clear();
    textYDBH_->setFocus();
}
