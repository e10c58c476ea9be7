#include "Receipt.h"
#include "core/store/Shop.h"

#include "core/settings/Settings.h"
#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"

#include <QSqlQuery>

namespace {
QString Yuan(Money amount)
{
    return QStringLiteral("￥") + MoneyText(amount);
}

Receipt Started(const QString& title)
{
    Receipt receipt;
    receipt.title = title;
    receipt.shop = GetSetting(Setting::ShopName).trimmed();
    receipt.date = TodayText();
    return receipt;
}

QString MemberText(Shop& shop, const QString& hybh)
{
    const QVariant name =
        RunScalar(shop, QStringLiteral("SELECT hyxm FROM hyxx WHERE hybh = ?"), {hybh});
    return name.isValid() ? hybh + u' ' + name.toString() : hybh;
}

Money PrepaidOf(Shop& shop, const QString& hybh)
{
    return MoneyFromDouble(
        RunScalar(shop, QStringLiteral("SELECT zjje FROM hyxx WHERE hybh = ?"), {hybh}).toDouble());
}

const QString kWalkIn = QStringLiteral("零散顾客");
} // namespace

int ReceiptPaperWidth()
{
    const QString paper = GetSetting(Setting::ReceiptPaper);
    return paper == u"58" || paper == u"80" ? paper.toInt() : 0;
}

Receipt RentOutReceipt(Shop& shop, const RentOutDone& done)
{
    Receipt receipt = Started(QStringLiteral("租借凭条"));
    QSqlQuery row = RunSql(shop,
                           QStringLiteral("SELECT r.bh, d.pm, r.yjje, r.hybh FROM zjxx AS r"
                                          " LEFT JOIN ydxx AS d ON d.bh = r.bh WHERE r.zdbh = ?"),
                           {done.zdbh});
    if (!row.next())
        throw MovrntError(QStringLiteral("找不到租借记录：%1").arg(done.zdbh),
                          QStringLiteral("Receipt"));
    receipt.discs.append({row.value(0).toString(), row.value(1).toString()});
    receipt.figures.append({QStringLiteral("自动编号"), QString::number(done.zdbh)});
    const QString hybh = row.value(3).toString();
    if (hybh == u"/") {
        receipt.customer = kWalkIn;
        const QString deposit = row.value(2).toString();
        const std::optional<Money> amount = ParseMoney(deposit);
        receipt.figures.append(
            {QStringLiteral("押金"), amount ? Yuan(*amount) : QStringLiteral("￥") + deposit});
    } else {
        receipt.customer = MemberText(shop, hybh);
        receipt.figures.append({QStringLiteral("本次租金"), Yuan(done.charged)});
        receipt.figures.append({QStringLiteral("预付租金余额"), Yuan(done.prepaidLeft)});
    }
    return receipt;
}

Receipt TopUpReceipt(Shop& shop, const QString& hybh, Money paid, Money prepaid)
{
    Receipt receipt = Started(QStringLiteral("充值凭条"));
    receipt.customer = MemberText(shop, hybh);
    receipt.figures.append({QStringLiteral("本次充值"), Yuan(paid)});
    receipt.figures.append({QStringLiteral("预付租金余额"), Yuan(prepaid)});
    return receipt;
}

Receipt SettlementReceipt(Shop& shop, SettleKind kind, qint64 first, qint64 last,
                          const Settlement& settlement)
{
    const bool walkIn = kind == SettleKind::WalkInCheckout;
    Receipt receipt = Started(walkIn ? QStringLiteral("结帐凭条") : QStringLiteral("还碟凭条"));
    QSqlQuery rows = RunSql(shop,
                            QStringLiteral("SELECT r.bh, d.pm, r.hybh FROM zjxx AS r"
                                           " LEFT JOIN ydxx AS d ON d.bh = r.bh"
                                           " WHERE r.zdbh >= ? AND r.zdbh <= ? ORDER BY r.zdbh"),
                            {first, last});
    QStringList members;
    while (rows.next()) {
        receipt.discs.append({rows.value(0).toString(), rows.value(1).toString()});
        if (!members.contains(rows.value(2).toString()))
            members << rows.value(2).toString();
    }
    receipt.figures.append(
        {QStringLiteral("自动编号"),
         first == last ? QString::number(first) : QStringLiteral("%1 - %2").arg(first).arg(last)});
    receipt.figures.append(
        {QStringLiteral("租借天数"), QStringLiteral("%1天").arg(settlement.days)});
    if (walkIn) {
        receipt.customer = kWalkIn;
        receipt.figures.append({QStringLiteral("应付租金"), Yuan(settlement.rentDue)});
        receipt.figures.append({QStringLiteral("应退押金"), Yuan(settlement.deposit)});
        return receipt;
    }
    if (settlement.lateFee > 0)
        receipt.figures.append({QStringLiteral("超期罚金"), Yuan(settlement.lateFee)});
    if (members.size() == 1) {
        receipt.customer = MemberText(shop, members.first());
        receipt.figures.append(
            {QStringLiteral("预付租金余额"), Yuan(PrepaidOf(shop, members.first()))});
    } else {
        receipt.customer = members.join(QStringLiteral("、"));
    }
    return receipt;
}
