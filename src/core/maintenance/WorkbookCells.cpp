#include "WorkbookCells.h"
#include "core/store/Shop.h"

#include "core/rentals/Rentals.h"
#include "core/store/Database.h"
#include "core/store/DateText.h"
#include "core/store/LedgerSchema.h"
#include "core/store/Money.h"
#include "core/store/Numbers.h"
#include "core/store/RecordTables.h"
#include "core/store/ShopRules.h"
#include "core/store/TextRules.h"

#include <QDate>
#include <QTime>
#include <cmath>
#include <optional>

namespace {
// The dates the program can work with: what its date conversion gives on a
// failure, up to a bound no shop will reach.
const QString kFirstDate = QStringLiteral("1900-01-01");
const QString kLastDate = QStringLiteral("2100-12-31");
// Levels and borrowed counts are read back as whole numbers of this size.
constexpr qint64 kMaxCount = 2147483647;

// A spreadsheet's day number (days since 1899-12-30) as date text.
QString SerialDateText(double serial)
{
    if (!(serial >= 1 && serial < 2958466))
        return {};
    return QDate(1899, 12, 30)
        .addDays(qint64(std::floor(serial)))
        .toString(QStringLiteral("yyyy-MM-dd"));
}

QString DateValue(const SheetCell& cell)
{
    if (cell.kind == SheetCell::Number)
        return SerialDateText(cell.number);
    QString text = cell.text.trimmed();
    // A date with a time of day, as some programs write it.
    if (text.size() > 10 && text[10] == u' ')
        text.truncate(10);
    return NormalDateText(text);
}

std::optional<qint64> WholeValue(const SheetCell& cell)
{
    double value = 0;
    if (cell.kind == SheetCell::Number) {
        value = cell.number;
    } else {
        const QString text = cell.text.trimmed();
        if (!IsNumeric(text))
            return std::nullopt;
        value = NumberValue(text);
    }
    if (value != std::trunc(value) || std::fabs(value) > 9e15)
        return std::nullopt;
    return qint64(value);
}

} // namespace

const QList<SheetRules>& WorkbookTables()
{
    using K = CellKind;
    static const QList<SheetRules> tables = [] {
        const QList<QList<CellKind>> kinds = {
            {K::Key, K::Optional, K::Text, K::Text, K::Optional, K::Optional, K::Date, K::Flag,
             K::Optional},
            {K::Serial, K::Key, K::Date, K::ReturnDate, K::Deposit, K::Flag, K::Optional},
            {K::MemberKey, K::Optional, K::Text, K::Optional, K::Optional, K::Count, K::Amount,
             K::Amount, K::Count, K::Date},
        };
        QList<SheetRules> list;
        for (qsizetype i = 0; i < kinds.size(); ++i)
            list.append({ShopTables()[i].first, ShopTables()[i].second, kinds[i]});
        return list;
    }();
    return tables;
}

const SheetRules& LedgerSheet()
{
    using K = CellKind;
    static const SheetRules rules{LedgerTable().first,
                                  LedgerTable().second,
                                  {K::Serial, K::Time, K::Text, K::Whole, K::Optional, K::Optional,
                                   K::Whole, K::Optional, K::Plain, K::Plain},
                                  kLedgerColumnsOfOld};
    return rules;
}

const QList<SheetRules>& RecordSheets()
{
    using K = CellKind;
    static const QList<SheetRules> sheets = {
        {LossTable().name,
         LossTable().columns,
         {K::Serial, K::Text, K::Text, K::Date, K::Serial, K::Count, K::Plain}},
        {ReservationTable().name,
         ReservationTable().columns,
         {K::Serial, K::MemberKey, K::Plain, K::Plain, K::Date, K::Text, K::Plain, K::Plain,
          K::Count, K::Plain}},
        {StocktakeTable().name,
         StocktakeTable().columns,
         {K::Serial, K::Time, K::Plain, K::Text, K::Plain}},
        {ScanTable().name,
         ScanTable().columns,
         {K::Serial, K::Serial, K::Text, K::Text, K::Count, K::Plain, K::Plain, K::Plain}},
    };
    return sheets;
}

// Sheet names of a table: the rentals continue on zjxx_2, zjxx_3, ...
QString SheetName(const QString& table, int part)
{
    return part == 1 ? table : QStringLiteral("%1_%2").arg(table).arg(part);
}

// A number as text: whole numbers without a point (1, not 1.0), others in
// their shortest form.
QString NumberText(double value)
{
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// A deposit as stored is written as a number when it reads back the same.
bool IsPlainNumber(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) && NumberText(value) == text;
}

QString CellText(const SheetCell& cell)
{
    switch (cell.kind) {
    case SheetCell::Number:
        return NumberText(cell.number);
    case SheetCell::Text:
    case SheetCell::Date:
        return cell.text;
    case SheetCell::Empty:
        break;
    }
    return {};
}

// The value to store for a cell, or the reason it cannot be taken.
std::variant<Value, QString> Convert(const SheetCell& cell, CellKind kind)
{
    // A number in a numeric column, most cells of a large workbook, is taken
    // without its text.
    const bool number = cell.kind == SheetCell::Number;
    const bool numeric = kind == CellKind::Serial || kind == CellKind::Count ||
                         kind == CellKind::Whole || kind == CellKind::Amount;
    const QString text = number && numeric ? QString() : CellText(cell);
    const bool blank = !number && text.trimmed().isEmpty();
    if (text.size() > kMaxTextLength)
        return QStringLiteral("内容超过 %1 个字符").arg(kMaxTextLength);
    if (text.contains(QChar(0)))
        return QStringLiteral("含有空字符");
    // A number, a telephone typed as a number: past fifteen digits the
    // spreadsheet kept only an approximation of it.
    const bool textual = kind == CellKind::Key || kind == CellKind::MemberKey ||
                         kind == CellKind::Text || kind == CellKind::Optional ||
                         kind == CellKind::Plain;
    if (textual && cell.kind == SheetCell::Number && !(std::fabs(cell.number) < 1e15))
        return QStringLiteral("是超过 15 位的数字，可能已丢失数字（请在电子表格中把该列设为文本）");
    switch (kind) {
    case CellKind::MemberKey:
        if (text.trimmed() == u"/")
            return QStringLiteral("会员编号不能是“/”（散客的标记）");
        [[fallthrough]];
    case CellKind::Key:
    case CellKind::Text:
        if (blank)
            return QStringLiteral("不能为空");
        return Value(text);
    case CellKind::Optional:
        return Value(blank ? QStringLiteral("/") : text);
    case CellKind::Plain:
        return Value(text);
    case CellKind::Flag:
        if (text.trimmed() != u"是" && text.trimmed() != u"否")
            return QStringLiteral("应为“是”或“否”");
        return Value(text.trimmed());
    case CellKind::ReturnDate:
        if (blank || text.trimmed() == u"/")
            return Value(QStringLiteral("/"));
        [[fallthrough]];
    case CellKind::Date:
        if (const QString date = DateValue(cell); date.isEmpty()) {
            return QStringLiteral("不是日期");
        } else if (date < kFirstDate || date > kLastDate) {
            return QStringLiteral("日期不在 %1 至 %2 之间").arg(kFirstDate, kLastDate);
        } else {
            return Value(date);
        }
    case CellKind::Deposit:
        if (blank || text.trimmed() == u"/")
            return Value(QStringLiteral("/"));
        if (!ParseDeposit(text))
            return QStringLiteral("不是有效的押金金额");
        return Value(text.trimmed());
    case CellKind::Serial:
    case CellKind::Count: {
        const std::optional<qint64> whole = blank ? std::nullopt : WholeValue(cell);
        if (!whole || *whole < (kind == CellKind::Serial ? 1 : 0))
            return kind == CellKind::Serial ? QStringLiteral("应为正整数")
                                            : QStringLiteral("应为非负整数");
        if (*whole > (kind == CellKind::Count ? kMaxCount : kMaxRentalNumber))
            return QStringLiteral("超出可以计算的范围");
        return Value(*whole);
    }
    case CellKind::Whole: {
        const std::optional<qint64> whole = blank ? std::nullopt : WholeValue(cell);
        if (!whole)
            return QStringLiteral("应为整数");
        return Value(*whole);
    }
    case CellKind::Time: {
        // Read by hand: a ledger holds millions of them, and a local time
        // zone's missing hour is no reason to refuse one.
        const QString time = text.trimmed();
        const auto number = [&time](int at, int size) {
            int value = 0;
            for (int i = at; i < at + size; ++i) {
                if (!time[i].isDigit())
                    return -1;
                value = value * 10 + time[i].digitValue();
            }
            return value;
        };
        const bool shaped = time.size() == 19 && time[4] == u'-' && time[7] == u'-' &&
                            time[10] == u' ' && time[13] == u':' && time[16] == u':';
        const bool valid = shaped && number(0, 4) >= 0 &&
                           QDate(number(0, 4), number(5, 2), number(8, 2)).isValid() &&
                           QTime(number(11, 2), number(14, 2), number(17, 2)).isValid();
        if (!valid || time.left(10) < kFirstDate || time.left(10) > kLastDate)
            return QStringLiteral("应为 %1 至 %2 之间的时间，如 2003-01-05 14:05:31")
                .arg(kFirstDate, kLastDate);
        return Value(time);
    }
    case CellKind::Amount: {
        double amount = 0;
        if (cell.kind == SheetCell::Number && std::isfinite(cell.number))
            amount = cell.number;
        else if (cell.kind == SheetCell::Text && IsNumeric(text))
            amount = NumberValue(text);
        else
            return QStringLiteral("不是数值");
        // The windows could not charge or change such an amount.
        if (!StoredMoney(amount))
            return QStringLiteral("金额超出可以计算的范围");
        return Value(amount);
    }
    }
    return QStringLiteral("无法读取");
}
