// The query conditions and sorts of the disc, member and rental windows on
// any typed text: the statement always runs, and the grid's count and rows
// are exactly the records a plain reading of the conditions selects.

#include "FuzzSupport.h"
#include "core/catalogue/Discs.h"
#include "core/members/Members.h"
#include "core/rentals/Rentals.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/Numbers.h"
#include "core/store/PagedQuery.h"
#include "core/store/ShopRules.h"

#include <QSet>
#include <algorithm>

namespace {
// Texts as the database gives them back: SQLite stores UTF-8, so a lone
// surrogate is not a text two records could share, and it reads U+FFFE and
// U+FFFF back as U+FFFD.
QString StoredText(FuzzedDataProvider& data)
{
    QString text = QString::fromUtf8(FuzzText(data, 12).toUtf8());
    for (QChar& c : text)
        if (c.unicode() >= 0xfffe)
            c = QChar(QChar::ReplacementCharacter);
    return text;
}

// A few texts the records and the conditions draw from, so they often meet.
struct Pool
{
    QStringList texts;
    explicit Pool(FuzzedDataProvider& data)
    {
        for (int i = 0; i < 3; ++i)
            texts << StoredText(data);
        texts << QString(); // an empty box: no condition
    }
    QString pick(FuzzedDataProvider& data) const
    {
        return texts.at(data.ConsumeIntegralInRange<int>(0, int(texts.size()) - 1));
    }
};

QString Part(FuzzedDataProvider& data, const QString& text)
{
    if (text.isEmpty())
        return text;
    qsizetype from = data.ConsumeIntegralInRange<qsizetype>(0, text.size() - 1);
    qsizetype to = data.ConsumeIntegralInRange<qsizetype>(from + 1, text.size());
    if (text.at(from).isLowSurrogate() || text.at(to - 1).isHighSurrogate())
        return text; // never half a character
    return text.mid(from, to - from);
}

bool Is(const QString& condition, const QString& value)
{
    return condition.isEmpty() || condition == value;
}

// Runs the window's paged query and checks the count and the rows' keys.
void CheckGrid(const QString& table, const QString& key, const Conditions& conditions,
               const QStringList& sort, const QSet<QString>& expected)
{
    PagedQuery query(FuzzShop());
    query.set(key, table, conditions, sort, QStringLiteral("rowid"));
    QSet<QString> seen;
    for (const QVariantList& row : query.page(0))
        seen.insert(row.at(0).toString());
    if (query.total() != expected.size() || seen != expected) {
        std::fprintf(stderr, "%s%s: %lld rows, %lld expected\n", qPrintable(table),
                     qPrintable(conditions.where()), query.total(), qint64(expected.size()));
        for (const QString& key : seen)
            std::fprintf(stderr, "  seen %s\n", Printable(key).constData());
        for (const QString& key : expected)
            std::fprintf(stderr, "  expected %s\n", Printable(key).constData());
        for (const QVariant& value : conditions.values())
            std::fprintf(stderr, "  value %s %s\n", value.typeName(),
                         Printable(value.toString()).constData());
        std::abort();
    }
}

void Discs(FuzzedDataProvider& data, const Pool& pool)
{
    struct Row
    {
        QString bh, pm, gj, rkrq, lx, ydlx, sfycz, zy;
    };
    QList<Row> rows;
    const int count = data.ConsumeIntegralInRange(0, 4);
    for (int i = 0; i < count; ++i) {
        Row r{pool.pick(data) + QString::number(i),
              pool.pick(data),
              pool.pick(data),
              pool.pick(data),
              pool.pick(data),
              pool.pick(data),
              pool.pick(data),
              pool.pick(data)};
        RunSql(FuzzShop(),
               QStringLiteral(
                   "INSERT INTO ydxx (bh,pm,gj,rkrq,lx,ydlx,sfycz,zy) VALUES (?,?,?,?,?,?,?,?)"),
               {r.bh, r.pm, r.gj, r.rkrq, r.lx, r.ydlx, r.sfycz, r.zy});
        rows << r;
    }
    const Row pattern =
        rows.isEmpty() ? Row{} : rows.at(data.ConsumeIntegralInRange(0, int(rows.size()) - 1));
    const auto either = [&data](const QString& a, const QString& b) {
        return data.ConsumeBool() ? a : b;
    };
    DiscFilter filter{
        either(pattern.bh, pool.pick(data)), either(pattern.pm, pool.pick(data)),
        either(pattern.gj, QString()),       either(pattern.rkrq, QString()),
        either(pattern.lx, QString()),       either(pattern.ydlx, QString()),
        either(pattern.sfycz, QString()),    either(Part(data, pattern.zy), StoredText(data))};
    QSet<QString> expected;
    for (const Row& r : rows)
        if (Is(filter.bh, r.bh) && Is(filter.pm, r.pm) && Is(filter.gj, r.gj) &&
            Is(filter.rkrq, r.rkrq) && Is(filter.lx, r.lx) && Is(filter.ydlx, r.ydlx) &&
            Is(filter.sfycz, r.sfycz) && r.zy.contains(filter.zy))
            expected.insert(r.bh);
    const QString heading = data.ConsumeBool() ? QStringLiteral("片名") : FuzzText(data, 8);
    const QStringList sort = DiscSortColumns(heading);
    CheckGrid(QStringLiteral("ydxx"), QStringLiteral("bh"), DiscConditions(filter),
              sort.isEmpty() ? kDefaultDiscSort : sort, expected);
    (void)AnyRentedDisc(FuzzShop(), filter);
}

void Members(FuzzedDataProvider& data, const Pool& pool)
{
    struct Row
    {
        QString hybh, hyxm, rhrq, hyxb;
        double zjje, yjje;
        qint64 yjps, hydj;
    };
    QList<Row> rows;
    const int count = data.ConsumeIntegralInRange(0, 4);
    for (int i = 0; i < count; ++i) {
        Row r{pool.pick(data) + QString::number(i),
              pool.pick(data),
              pool.pick(data),
              pool.pick(data),
              double(data.ConsumeIntegralInRange<int>(-3, 3)) / 4,
              data.ConsumeFloatingPoint<double>(),
              data.ConsumeIntegralInRange<qint64>(-(qint64(1) << 52), qint64(1) << 52),
              data.ConsumeIntegralInRange<qint64>(0, 9)};
        if (!std::isfinite(r.yjje))
            r.yjje = 0;
        RunSql(FuzzShop(),
               QStringLiteral("INSERT INTO hyxx (hybh,hyxm,rhrq,hyxb,zjje,yjje,yjps,hydj) VALUES "
                              "(?,?,?,?,?,?,?,?)"),
               {r.hybh, r.hyxm, r.rhrq, r.hyxb, r.zjje, r.yjje, r.yjps, r.hydj});
        rows << r;
    }
    if (data.ConsumeBool()) {
        // Any text in any box: refused with a reason, or a statement that runs.
        MemberFilter typed{FuzzText(data), FuzzText(data), FuzzText(data), FuzzText(data),
                           FuzzText(data), FuzzText(data), FuzzText(data), FuzzText(data)};
        if (CheckMemberFilter(typed) == MemberFilterCheck::Ok) {
            PagedQuery query(FuzzShop());
            query.set(QStringLiteral("hybh"), QStringLiteral("hyxx"), MemberConditions(typed),
                      MemberSortColumns(FuzzText(data, 8)) + kDefaultMemberSort,
                      QStringLiteral("rowid"));
            (void)query.page(0);
        }
        return;
    }
    const Row pattern =
        rows.isEmpty() ? Row{} : rows.at(data.ConsumeIntegralInRange(0, int(rows.size()) - 1));
    const auto number = [](double value) { return QString::number(value, 'g', 17); };
    const auto either = [&data](const QString& a) { return data.ConsumeBool() ? a : QString(); };
    MemberFilter filter{either(pattern.hybh),
                        either(pattern.hyxm),
                        either(number(pattern.zjje)),
                        either(number(pattern.yjje)),
                        either(QString::number(pattern.yjps)),
                        either(QString::number(pattern.hydj)),
                        either(pattern.rhrq),
                        either(pattern.hyxb)};
    FUZZ_CHECK(CheckMemberFilter(filter) == MemberFilterCheck::Ok);
    QSet<QString> expected;
    const auto isNumber = [](const QString& condition, double value) {
        return condition.isEmpty() || NumberValue(condition) == value;
    };
    for (const Row& r : rows)
        if (Is(filter.hybh, r.hybh) && Is(filter.hyxm, r.hyxm) && isNumber(filter.zjje, r.zjje) &&
            isNumber(filter.yjje, r.yjje) && isNumber(filter.yjps, double(r.yjps)) &&
            isNumber(filter.hydj, double(r.hydj)) && Is(filter.rhrq, r.rhrq) &&
            Is(filter.hyxb, r.hyxb))
            expected.insert(r.hybh);
    CheckGrid(QStringLiteral("hyxx"), QStringLiteral("hybh"), MemberConditions(filter),
              kDefaultMemberSort, expected);
    (void)AnyMemberWithDiscOut(FuzzShop(),
                               {filter.hybh, filter.hyxm, filter.hydj, filter.rhrq, filter.hyxb});
}

void Rentals(FuzzedDataProvider& data, const Pool& pool)
{
    struct Row
    {
        QString bh, hybh, ghrq, czrq, sfyh;
        qint64 zdbh;
    };
    QList<Row> rows;
    const int count = data.ConsumeIntegralInRange(0, 4);
    for (int i = 0; i < count; ++i) {
        Row r{pool.pick(data), pool.pick(data), pool.pick(data),
              pool.pick(data), pool.pick(data), 0};
        // A disc has one open rental at most: the shop refuses a second.
        if (r.sfyh == u"否" && std::any_of(rows.cbegin(), rows.cend(), [&r](const Row& other) {
                return other.sfyh == u"否" && other.bh == r.bh;
            }))
            continue;
        r.zdbh =
            RunSql(FuzzShop(),
                   QStringLiteral("INSERT INTO zjxx (bh,hybh,ghrq,czrq,sfyh) VALUES (?,?,?,?,?)"),
                   {r.bh, r.hybh, r.ghrq, r.czrq, r.sfyh})
                .lastInsertId()
                .toLongLong();
        rows << r;
    }
    const Row pattern =
        rows.isEmpty() ? Row{} : rows.at(data.ConsumeIntegralInRange(0, int(rows.size()) - 1));
    const auto either = [&data](const QString& a) { return data.ConsumeBool() ? a : QString(); };
    RentalFilter filter{
        either(pattern.bh),   either(pattern.hybh),
        either(pattern.ghrq), either(pattern.czrq),
        either(pattern.sfyh), rows.isEmpty() ? QString() : either(QString::number(pattern.zdbh))};
    QSet<QString> expected;
    for (const Row& r : rows)
        if (Is(filter.bh, r.bh) && Is(filter.hybh, r.hybh) && Is(filter.ghrq, r.ghrq) &&
            Is(filter.czrq, r.czrq) && Is(filter.sfyh, r.sfyh) &&
            (filter.zdbh.isEmpty() || filter.zdbh.toLongLong() == r.zdbh))
            expected.insert(QString::number(r.zdbh));
    const QStringList sort =
        RentalSortColumns(data.ConsumeBool() ? QStringLiteral("出租日期") : FuzzText(data, 8));
    CheckGrid(QStringLiteral("zjxx"), QStringLiteral("zdbh"), RentalConditions(filter),
              sort.isEmpty() ? QStringList{QStringLiteral("zdbh")} : sort, expected);
    (void)AnyUnsettledRental(FuzzShop(), filter);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzApplication();
    const QString path = ScratchFolder() + QStringLiteral("/MOVRNT.db");
    CreateEmptyDatabase(path);
    OpenDatabase(path);
    RunSql(FuzzShop(),
           QStringLiteral("PRAGMA synchronous = OFF")); // scratch data: speed over durability
    // Any row an older shop may hold, which the rules now refuse: the
    // conditions must read them all the same.
    for (const QString& trigger : RuleTriggerNames())
        RunSql(FuzzShop(), QStringLiteral("DROP TRIGGER ") + trigger);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const Pool pool(data);
    try {
        switch (data.ConsumeIntegralInRange(0, 2)) {
        case 0:
            Discs(data, pool);
            break;
        case 1:
            Members(data, pool);
            break;
        default:
            Rentals(data, pool);
        }
    } catch (const MovrntError& error) {
        std::fprintf(stderr, "refused: %s\n", error.description().toUtf8().constData());
        std::abort(); // every condition a window builds must run
    }
    for (const char* table : {"ydxx", "hyxx", "zjxx"})
        RunSql(FuzzShop(), QStringLiteral("DELETE FROM ") + QLatin1String(table));
    return 0;
}
