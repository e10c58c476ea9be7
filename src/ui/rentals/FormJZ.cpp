#include "FormJZ.h"
#include "core/store/Shop.h"

#include "ui/common/Controls.h"

#include <QLineEdit>
#include <QPushButton>

FormJZ::FormJZ(Shop& shop, QWidget* parent) : SettleWindow(shop, SettleKind::WalkInCheckout, parent)
{
    setObjectName(QStringLiteral("FormJZ"));
    setWindowTitle(QStringLiteral("结帐"));
    textZJ_ = figureBox("TextZJ");
    textYJ_ = figureBox("TextYJ");
    auto* commandJZ =
        MakeButton(this, "CommandJZ", QStringLiteral("结帐"), QStringLiteral("结算租金"));
    setUp({{"Label7", QStringLiteral("应付租金"), QStringLiteral("元"), textZJ_},
           {"Label9", QStringLiteral("应退押金"), QStringLiteral("元"), textYJ_}},
          commandJZ);
    connect(commandJZ, &QPushButton::clicked, this, &FormJZ::settle);
}

QString FormJZ::previewText(const Settlement& settlement, qint64, qint64) const
{
    // The words and the money as the boxes below say them.
    return QStringLiteral("应付租金 ￥%1，应退押金 ￥%2（%3 张，%4 天）")
        .arg(MoneyText(settlement.rentDue), MoneyText(settlement.deposit))
        .arg(settlement.vcd + settlement.dvd)
        .arg(settlement.days);
}

void FormJZ::showAmounts(const Settlement& settlement)
{
    textZJ_->setText(QStringLiteral("￥") + MoneyText(settlement.rentDue));
    textYJ_->setText(QStringLiteral("￥") + MoneyText(settlement.deposit));
}
