#include "FormDSSH.h"

#include "ui/common/Controls.h"
#include "ui/common/MessageBox.h"
#include "ui/common/WindowSupport.h"

#include "core/money/Ledger.h"
#include "core/store/Errors.h"
#include "core/store/Money.h"
#include "core/store/Numbers.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
std::optional<qint64> RentalNumber(const QString& text)
{
    bool ok = false;
    const qint64 zdbh = text.trimmed().toLongLong(&ok);
    return ok && zdbh > 0 ? std::optional<qint64>(zdbh) : std::nullopt;
}

// What the settling comes to, in the words the clerk reads to the customer.
QString Outcome(const LossCase& found, const Settlement& s)
{
    if (found.hybh == u"/") {
        const Money due = WalkInLossDue(s);
        return QStringLiteral("租金 %1，赔偿 %2，押金 %3：%4 %5")
            .arg(YuanText(s.rentDue), YuanText(s.charge), YuanText(s.deposit),
                 due >= 0 ? QStringLiteral("应向顾客收取") : QStringLiteral("应找还顾客"),
                 YuanText(due >= 0 ? due : -due));
    }
    QString text = QStringLiteral("从会员 %1（%2）的预付租金中扣除赔偿 %3")
                       .arg(found.hybh, found.hyxm, YuanText(s.charge));
    if (s.lateFee > 0)
        text +=
            QStringLiteral("和超期 %1 天的超期罚金 %2").arg(s.lateDays).arg(YuanText(s.lateFee));
    return text + QStringLiteral("。");
}
} // namespace

FormDSSH::FormDSSH(Shop& shop, QWidget* parent) : QDialog(parent), shop_(shop)
{
    setObjectName(QStringLiteral("FormDSSH"));
    setWindowTitle(QStringLiteral("丢失损坏登记"));
    textZDBH_ = MakeLine(this, "TextZDBH", QStringLiteral("未归还的租借记录的自动编号"));
    labelXX_ = new QLabel(this);
    labelXX_->setObjectName(QStringLiteral("LabelXX"));
    labelXX_->setWordWrap(true);
    labelXX_->setAccessibleName(QStringLiteral("租借记录"));
    optionDS_ = new QRadioButton(QStringLiteral("丢失"), this);
    optionDS_->setObjectName(QStringLiteral("OptionDS"));
    optionDS_->setToolTip(QStringLiteral("影碟不再出租，也不计入盘点"));
    optionSH_ = new QRadioButton(QStringLiteral("损坏"), this);
    optionSH_->setObjectName(QStringLiteral("OptionSH"));
    optionSH_->setToolTip(QStringLiteral("影碟收回，仍可出租"));
    optionDS_->setChecked(true);
    auto* group = new QButtonGroup(this);
    group->addButton(optionDS_);
    group->addButton(optionSH_);
    textPCJE_ =
        MakeLine(this, "TextPCJE", QStringLiteral("默认为功能参数设置中这类影碟的赔偿金额"));
    labelYL_ = new QLabel(this);
    labelYL_->setObjectName(QStringLiteral("LabelYL"));
    labelYL_->setWordWrap(true);
    labelYL_->setAccessibleName(QStringLiteral("结算预览"));

    auto* kinds = new QHBoxLayout;
    kinds->addWidget(optionDS_);
    kinds->addWidget(optionSH_);
    kinds->addStretch();
    auto* grid = new QGridLayout;
    grid->addWidget(MakeCaption(this, QStringLiteral("自动编号："), textZDBH_, "LabelZDBH"), 0, 0,
                    Qt::AlignRight);
    grid->addWidget(textZDBH_, 0, 1);
    grid->addWidget(labelXX_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("情况："), this), 2, 0, Qt::AlignRight);
    grid->addLayout(kinds, 2, 1);
    grid->addWidget(MakeCaption(this, QStringLiteral("赔偿金额（元）："), textPCJE_, "LabelPCJE"),
                    3, 0, Qt::AlignRight);
    grid->addWidget(textPCJE_, 3, 1);
    grid->setColumnStretch(1, 1);
    auto* commandDJ = MakeButton(this, "CommandDJ", QStringLiteral("登记(&D)"),
                                 QStringLiteral("结清这条租借记录，收取赔偿"));
    connect(commandDJ, &QPushButton::clicked, this, &FormDSSH::onCommandDJClicked);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(labelYL_);
    layout->addStretch();
    layout->addLayout(ButtonRow(this, nullptr, commandDJ));
    for (QLineEdit* box : {textZDBH_, textPCJE_})
        connect(box, &QLineEdit::textChanged, this, &FormDSSH::refresh);
    resize(460, 260);
}

void FormDSSH::setRental(const QString& zdbh)
{
    textZDBH_->setText(zdbh);
    textPCJE_->setFocus();
}

std::optional<Money> FormDSSH::charge() const
{
    const QString text = textPCJE_->text().trimmed();
    if (!IsNumeric(text))
        return std::nullopt;
    const std::optional<Money> amount = ParseMoney(text);
    return amount && *amount >= 0 ? amount : std::nullopt;
}

void FormDSSH::refresh()
{
    labelXX_->clear();
    labelYL_->clear();
    const std::optional<qint64> zdbh = RentalNumber(textZDBH_->text());
    if (!zdbh)
        return;
    try {
        const std::optional<LossCase> found = FindLossCase(shop_, *zdbh);
        if (!found) {
            labelXX_->setText(QStringLiteral("没有这条租借记录"));
            return;
        }
        labelXX_->setText(
            QStringLiteral("影碟 %1（%2，%3），%4 出租给%5")
                .arg(found->bh, found->pm, found->ydlx, found->czrq,
                     found->hybh == u"/"
                         ? QStringLiteral("散客")
                         : QStringLiteral("会员 %1（%2）").arg(found->hybh, found->hyxm)) +
            (found->open ? QString() : QStringLiteral("，已经归还")));
        // A new rental brings its price; the clerk's own amount stays for the same one.
        if (shown_ != *zdbh) {
            shown_ = *zdbh;
            const QSignalBlocker quiet(textPCJE_);
            textPCJE_->setText(MoneyText(found->price));
        }
        if (!found->open)
            return;
        const std::optional<Money> amount = charge();
        if (!amount)
            return;
        labelYL_->setText(Outcome(*found, PreviewLoss(shop_, *zdbh, *amount)));
    } catch (const MovrntError& error) {
        labelYL_->setText(error.description());
    }
}

void FormDSSH::onCommandDJClicked()
{
    const std::optional<qint64> zdbh = RentalNumber(textZDBH_->text());
    if (!zdbh) {
        Refuse(QStringLiteral("自动编号必须为正整数!"), textZDBH_);
        return;
    }
    std::optional<LossCase> found;
    try {
        found = FindLossCase(shop_, *zdbh);
    } catch (const MovrntError& error) {
        ReportError(error);
        return;
    }
    if (!found) {
        Refuse(QStringLiteral("没有这条租借记录，请检查您输入的自动编号！"), textZDBH_);
        return;
    }
    if (!found->open) {
        Refuse(QStringLiteral("这张影碟已经归还，不能再登记丢失或损坏！"), textZDBH_);
        return;
    }
    const std::optional<Money> amount = charge();
    if (!amount) {
        Refuse(QStringLiteral("请输入有效的赔偿金额！"), textPCJE_);
        return;
    }
    const LossKind kind = optionDS_->isChecked() ? LossKind::Lost : LossKind::Damaged;
    Settlement settled;
    try {
        const Settlement preview = PreviewLoss(shop_, *zdbh, *amount);
        if (!Ask(QStringLiteral("将影碟 %1（%2）登记为%3？\n%4")
                     .arg(found->bh, found->pm, LossKindName(kind), Outcome(*found, preview))))
            return;
        BusyStatus busy(QStringLiteral("正在登记 ..."), true);
        settled = SettleLoss(shop_, *zdbh, kind, *amount, preview.lateFee);
    } catch (const MovrntError& error) {
        Notice(QStringLiteral("登记失败！"));
        ReportError(error);
        return;
    }
    switch (settled.refusal) {
    case SettleRefusal::None:
        break;
    case SettleRefusal::AlreadySettled:
        Refuse(QStringLiteral("这张影碟已经归还，不能再登记丢失或损坏！"), textZDBH_);
        return;
    case SettleRefusal::ClockBeforeRental:
        Notice(QStringLiteral("今天的日期早于租借日期，请检查计算机的日期！"));
        return;
    default:
        Notice(QStringLiteral("超期罚金刚刚改变，请重新登记！"));
        refresh();
        return;
    }
    Notice(QStringLiteral("登记成功！") + Outcome(*found, settled));
    for (const ReservationHold& hold : settled.holds)
        Notice(HoldNotice(hold));
    shown_ = 0;
    textZDBH_->clear();
    textZDBH_->setFocus();
}
