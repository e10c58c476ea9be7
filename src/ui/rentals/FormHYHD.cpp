#include "FormHYHD.h"
#include "core/store/Shop.h"

#include "ui/common/Controls.h"

#include "core/money/Ledger.h"

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
    return QStringLiteral("%1 张，%2 天。")
               .arg(settlement.vcd + settlement.dvd)
               .arg(settlement.days) +
           members.join(QStringLiteral("；"));
}
