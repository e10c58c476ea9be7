#include "Statements.h"

#include "Ledger.h"
#include "settings/Settings.h"
#include "store/Clock.h"
#include "store/Database.h"

#include <QHash>

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

// The shop's name when it has one, then the report's own line with the time printed.
QStringList Heading(const QString& line)
{
    const QString shop = GetSetting(Setting::ShopName).trimmed();
    QStringList lines;
    if (!shop.isEmpty())
        lines << QStringLiteral("店名：") + shop;
    return lines << line + QStringLiteral("  打印时间：") + NowText();
}
} // namespace

MoneyDocument DayEndReport(const QString& day, std::optional<Money> cashFloat)
{
    MoneyDocument report;
    report.title = QStringLiteral("日结单");
    report.intro = Heading(QStringLiteral("营业日期：") + day);
    report.headings = {"流水号",   "时间",     "柜台",     "经手人",   "业务",
                       "自动编号", "影碟编号", "会员编号", "金额"};
    for (const LedgerEntry& line : DayLedger(day))
        report.rows.append({QString::number(line.lsh), line.time.mid(11), line.counter,
                            PersonText(line.person), line.kind,
                            line.zdbh ? QString::number(line.zdbh) : QStringLiteral("/"), line.bh,
                            line.hybh, YuanText(line.amount)});
    // Each counter's takings once: the closing lines and the till's cash read them.
    const QStringList counters = DayCounters(day);
    QHash<QString, Takings> byCounter;
    for (const QString& counter : counters)
        byCounter.insert(counter, TakingsBetween(day, day, counter));
    if (counters.size() > 1)
        for (const QString& counter : counters)
            report.closing << QStringLiteral("柜台 %1：").arg(counter)
                           << TakingsLines(byCounter.value(counter), QStringLiteral("    "));
    // Who took the money, when more than one did.
    if (const QStringList people = DayPeople(day); people.size() > 1)
        for (const QString& person : people)
            report.closing << QStringLiteral("经手人 %1：").arg(PersonText(person))
                           << TakingsLines(TakingsBetween(day, day, {}, person), QStringLiteral("    "));
    report.closing << QStringLiteral("合计：")
                   << TakingsLines(TakingsBetween(day, day), QStringLiteral("    "));
    if (cashFloat) {
        const QString counter = CounterName();
        const Money cash = byCounter.value(counter).cash; // nothing taken here yet: 0
        report.closing << QStringLiteral("柜台 %1 备用金：%2").arg(counter, YuanText(*cashFloat))
                       << QStringLiteral("柜台 %1 钱箱中应有现金：%2")
                              .arg(counter, YuanText(*cashFloat + cash));
    }
    // A file's money is checked here too: a server refuses a disagreeing change at once.
    if (!ShopOnServer()) {
        const QString check = LedgerCheck(ShopLocation());
        report.closing << (check.isEmpty() ? QStringLiteral("账务核对：每位会员的预付租金和押金都与账务流水相符。")
                                           : QStringLiteral("账务核对：") + check)
                                                  .split(u'\n');
    }
    return report;
}

MoneyDocument MemberStatementReport(const QString& hybh)
{
    MoneyDocument report;
    report.title = QStringLiteral("会员对帐单");
    const QString name =
        RunScalar(QStringLiteral("SELECT hyxm FROM hyxx WHERE hybh = ?"), {hybh}).toString();
    report.intro = Heading(QStringLiteral("会员编号：%1  姓名：%2").arg(hybh, name));
    report.headings = {"流水号", "时间", "经手人", "业务", "自动编号", "影碟编号", "金额", "预付租金余额"};
    const QList<StatementLine> lines = MemberStatement(hybh);
    for (const StatementLine& line : lines)
        report.rows.append(
            {QString::number(line.entry.lsh), line.entry.time, PersonText(line.entry.person), line.entry.kind,
             line.entry.zdbh ? QString::number(line.entry.zdbh) : QStringLiteral("/"),
             line.entry.bh, YuanText(line.change), YuanText(line.prepaid)});
    report.closing << QStringLiteral("预付租金余额：%1")
                          .arg(YuanText(lines.isEmpty() ? 0 : lines.last().prepaid));
    return report;
}
