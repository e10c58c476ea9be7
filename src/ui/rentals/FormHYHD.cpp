#include "FormHYHD.h"
#include "core/store/Shop.h"

#include "ui/common/Controls.h"
#include "ui/common/MessageBox.h"

#include "core/money/Ledger.h"
#include "core/store/Errors.h"

#include <QPushButton>

FormHYHD::FormHYHD(Shop& shop, QWidget* parent)
    : SettleWindow(shop, SettleKind::MemberReturn, parent)
{
    setObjectName(QStringLiteral("FormHYHD"));
    setWindowTitle(QStringLiteral("会员还碟"));
    auto* commandTH = MakeButton(this, "CommandTH", QStringLiteral("退还"));
    setUp({}, commandTH);
    connect(commandTH, &QPushButton::clicked, this, &FormHYHD::settle);
}

QString FormHYHD::previewText(const Settlement& settlement, qint64 first, qint64 last) const
{
    QStringList members;
    for (const MemberBalance& member : RangeMembers(shop_, first, last))
        members << QStringLiteral("会员 %1（%2）预付租金余额 %3")
                       .arg(member.hybh, member.hyxm, YuanText(member.prepaid));
    QString fee;
    if (settlement.lateFee > 0)
        fee = QStringLiteral("超期 %1 天，超期罚金 %2 从预付租金扣除。")
                  .arg(settlement.lateDays)
                  .arg(YuanText(settlement.lateFee));
    return QStringLiteral("%1 张，%2 天。")
               .arg(settlement.vcd + settlement.dvd)
               .arg(settlement.days) +
           fee + members.join(QStringLiteral("；"));
}

bool FormHYHD::agree(qint64 first, qint64 last, std::optional<Money>* agreed)
{
    if (LateFeePerDay() <= 0)
        return true;
    Settlement preview;
    try {
        preview = PreviewSettlement(shop_, SettleKind::MemberReturn, first, last);
    } catch (const MovrntError&) {
        return true; // the settling says why
    }
    if (preview.refusal != SettleRefusal::None)
        return true;
    *agreed = preview.lateFee;
    return preview.lateFee == 0 ||
           ShowMessage(QStringLiteral("这些影碟超期 %1 天，超期罚金共 %2，"
                                      "将从会员的预付租金中扣除。确定退还吗？")
                           .arg(preview.lateDays)
                           .arg(YuanText(preview.lateFee)),
                       4, QStringLiteral("用户提示")) == 6;
}
