#include "Statements.h"
#include "core/store/Shop.h"

#include "Ledger.h"
#include "core/access/PassCheck.h"
#include "core/settings/Settings.h"
#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/Engine.h"

#include <QHash>
#include <algorithm>

namespace {
QStringList TakingsLines(const Takings& takings, const QString& indent)
{
    QStringList lines;
    for (const auto& [caption, amount] : TakingsRows(takings))
        lines << indent + caption + QStringLiteral("：") + YuanText(amount);
    return lines;
}

// Lines written before the person was kept name nobody.
QString PersonText(const QString& person)
{
    return person.isEmpty() ? QStringLiteral("（未记录）") : person;
}

// The receipts' shop name, else the name the shop registered under.
QString ShopTitle()
{
    const QString shop = GetSetting(Setting::ShopName).trimmed();
    return shop.isEmpty() ? GetSetting(Setting::UserName).trimmed() : shop;
}

// The shop's name when it has one, then the report's own line with the time printed.
QStringList Heading(const QString& line)
{
    QStringList lines;
    const QString shop = ShopTitle();
    if (!shop.isEmpty())
        lines << QStringLiteral("店名：") + shop;
    return lines << line + QStringLiteral("  打印时间：") + NowText();
}
} // namespace

namespace {
// The blank a pen fills in.
const QString kBlank = QStringLiteral("__________");

QStringList LedgerRow(const LedgerEntry& line)
{
    return {QString::number(line.lsh),
            line.time.mid(11),
            line.counter,
            PersonText(line.person),
            line.kind,
            line.zdbh ? QString::number(line.zdbh) : QStringLiteral("/"),
            line.bh,
            line.hybh,
            YuanText(line.amount)};
}

QString TillName(const Till& till)
{
    // This counter's till by today's name; a renamed one by all it wrote under.
    if (!till.id.isEmpty() && till.id == TillId())
        return CounterName();
    return till.names.join(QStringLiteral("／"));
}
} // namespace

MoneyDocument DayEndReport(Shop& shop, const QString& day, std::optional<Money> cashFloat,
                           const std::optional<QString>& ledgerCheck)
{
    MoneyDocument report;
    report.title = QStringLiteral("日结单");
    report.day = day;
    report.intro = Heading(QStringLiteral("营业日期：") + day);
    report.intro << QStringLiteral("打印柜台：%1  打印人：%2")
                        .arg(CounterName(), PersonText(CurrentPerson()));
    report.headings = {"流水号",   "时间",     "柜台",     "经手人", "业务",
                       "自动编号", "影碟编号", "会员编号", "金额"};
    report.rightAligned = {8};
    // Cash through the till, then what moved no cash (rent taken from
    // prepaid money, opening balances, corrections), each with its sum.
    const QList<LedgerEntry> lines = DayLedger(shop, day);
    for (const bool cash : {true, false}) {
        Money sum = 0;
        report.rows.append({cash ? QStringLiteral("现金收付（经过钱箱）")
                                 : QStringLiteral("非现金（从会员预付租金中扣除等，不经过钱箱）")});
        for (const LedgerEntry& line : lines)
            if (IsCashLine(line.kind) == cash) {
                report.rows.append(LedgerRow(line));
                sum = AddMoney(sum, line.amount).value_or(sum);
            }
        report.rows.append({{},
                            {},
                            {},
                            {},
                            {},
                            {},
                            {},
                            cash ? QStringLiteral("现金小计") : QStringLiteral("非现金小计"),
                            YuanText(sum)});
    }
    // Each till: its people's takings, its cash, the float and what the
    // drawer should hold, and blanks for the count.
    const QList<Till> tills = DayTills(shop, day);
    for (const Till& till : tills) {
        report.closing << QStringLiteral("柜台 %1：").arg(TillName(till));
        const QStringList people = TillPeople(shop, day, till);
        if (people.size() > 1)
            for (const QString& person : people)
                report.closing << QStringLiteral("    经手人 %1：").arg(PersonText(person))
                               << TakingsLines(TillTakings(shop, day, till, person),
                                               QStringLiteral("        "));
        else
            report.closing << QStringLiteral("    经手人：%1").arg(PersonText(people.value(0)));
        const Takings takings = TillTakings(shop, day, till);
        report.closing << TakingsLines(takings, QStringLiteral("    "));
        const bool here = !till.id.isEmpty() && till.id == TillId();
        if (here && cashFloat)
            report.closing << QStringLiteral("    备用金：%1").arg(YuanText(*cashFloat))
                           << QStringLiteral("    钱箱中应有现金：%1")
                                  .arg(YuanText(*cashFloat + takings.cash));
        else
            report.closing << QStringLiteral("    备用金：%1    钱箱中应有现金：%1").arg(kBlank);
        report.closing << QStringLiteral("    实点现金：%1    差额：%1").arg(kBlank);
    }
    // A float typed at a till that took nothing yet still counts.
    if (cashFloat &&
        std::none_of(tills.cbegin(), tills.cend(), [](const Till& t) { return t.id == TillId(); }))
        report.closing << QStringLiteral("柜台 %1：").arg(CounterName())
                       << QStringLiteral("    备用金：%1").arg(YuanText(*cashFloat))
                       << QStringLiteral("    钱箱中应有现金：%1").arg(YuanText(*cashFloat))
                       << QStringLiteral("    实点现金：%1    差额：%1").arg(kBlank);
    report.closing << QStringLiteral("全店合计：")
                   << TakingsLines(TakingsBetween(shop, day, day), QStringLiteral("    "));
    report.closing << QString() << QStringLiteral("店员签字：%1        店主签字：%1").arg(kBlank);
    // A file's money is checked here too: a server refuses a disagreeing change at once.
    if (!shop.engine().guardsLedgerOnWrite()) {
        const QString check = ledgerCheck ? *ledgerCheck : LedgerCheck(shop.path());
        report.closing << (check.isEmpty()
                               ? QStringLiteral(
                                     "账务核对：每位会员的预付租金和押金都与账务流水相符。")
                               : QStringLiteral("账务核对：") + check)
                              .split(u'\n');
    }
    return report;
}

MoneyDocument MemberStatementReport(Shop& shop, const QString& hybh)
{
    MoneyDocument report;
    report.title = QStringLiteral("会员对帐单");
    const QString name =
        RunScalar(shop, QStringLiteral("SELECT hyxm FROM hyxx WHERE hybh = ?"), {hybh}).toString();
    report.intro = Heading(QStringLiteral("会员编号：%1  姓名：%2").arg(hybh, name));
    report.headings = {"流水号",   "时间",     "经手人", "业务",
                       "自动编号", "影碟编号", "金额",   "预付租金余额"};
    report.rightAligned = {6, 7};
    const QList<StatementLine> lines = MemberStatement(shop, hybh);
    for (const StatementLine& line : lines)
        report.rows.append(
            {QString::number(line.entry.lsh), line.entry.time, PersonText(line.entry.person),
             line.entry.kind,
             line.entry.zdbh ? QString::number(line.entry.zdbh) : QStringLiteral("/"),
             line.entry.bh, YuanText(line.change), YuanText(line.prepaid)});
    report.closing << QStringLiteral("预付租金余额：%1")
                          .arg(YuanText(lines.isEmpty() ? 0 : lines.last().prepaid));
    return report;
}
