#include "Discs.h"

#include "DistinctNames.h"
#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/Engine.h"
#include "core/store/Errors.h"
#include "core/store/Shop.h"
#include "core/store/TextRules.h"

#include <QFileInfo>
#include <QSet>
#include <QSqlQuery>

namespace {
const QString kSlash = QStringLiteral("/");

// Stars and countries: "/" when empty, else without outer blanks (a field of
// blanks only becomes the empty text).
QString NamesToStore(const QString& text)
{
    return text.isEmpty() ? kSlash : TrimBlanks(text);
}

bool BadGenre(const QString& lx)
{
    return !lx.isEmpty() && !Genres().contains(lx);
}

// The distinct words of one column, kept while the catalogue stays as it was.
// The version is the engine's stamp of the stars and countries.
struct WordList
{
    Engine::CatalogueStamp version;
    QStringList words;
    QSet<QString> seen;
    void add(const QString& value)
    {
        if (value == kSlash)
            return;
        for (const QString& word : value.split(u' ')) {
            if (!seen.contains(word)) {
                seen.insert(word);
                words << word;
            }
        }
    }
};

WordList& WordListOf(const QString& column)
{
    static WordList stars, countries;
    return column == u"zy" ? stars : countries;
}

Disc ReadDisc(const QSqlQuery& query)
{
    return Disc{query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                query.value(3).toString(), query.value(4).toString(), query.value(5).toString(),
                query.value(6).toString(), query.value(7).toString(), query.value(8).toString()};
}
} // namespace

const QStringList& Genres()
{
    static const QStringList genres = {"言情片", "故事片", "战争片", "冒险片", "记录片",
                                       "喜剧片", "动画片", "恐怖片", "侦探片"};
    return genres;
}

const QStringList& DiscTypes()
{
    static const QStringList types = {"VCD", "DVD"};
    return types;
}

QStringList DistinctWords(Shop& shop, const QString& column)
{
    Q_ASSERT(column == u"zy" || column == u"gj");
    WordList& list = WordListOf(column);
    const Engine::CatalogueStamp now = shop.engine().catalogueStamp(shop);
    if (!(list.version == now)) {
        // Each distinct value once, in the order first stored: the split below
        // then sees the same words in the same order as a walk over every row.
        QSqlQuery query = RunSql(shop, QStringLiteral("SELECT %1 FROM ydxx WHERE %1 IS NOT NULL"
                                                      " GROUP BY %1 ORDER BY MIN(rowid)")
                                           .arg(column));
        list.words.clear();
        list.seen.clear();
        while (query.next())
            list.add(query.value(0).toString());
        list.version = now;
    }
    DistinctNameList() = list.words;
    return list.words;
}

std::optional<Disc> FindDisc(Shop& shop, const QString& bh)
{
    QSqlQuery query = RunSql(
        shop,
        QStringLiteral("SELECT bh, pm, lx, ydlx, zy, gj, rkrq, sfycz, nrjj FROM ydxx WHERE bh = ?"),
        {bh});
    if (!query.next())
        return std::nullopt;
    return ReadDisc(query);
}

NewDiscCheck CheckNewDisc(Shop& shop, const NewDisc& disc)
{
    if (RunScalar(shop, QStringLiteral("SELECT bh FROM ydxx WHERE bh = ?"), {disc.bh}).isValid())
        return NewDiscCheck::NumberInUse;
    if (BadGenre(disc.lx))
        return NewDiscCheck::BadGenre;
    if (!disc.ydlx.isEmpty() && !DiscTypes().contains(disc.ydlx))
        return NewDiscCheck::BadDiscType;
    if (IsEmptyNumber(disc.bh))
        return NewDiscCheck::EmptyNumber;
    return NewDiscCheck::Ok;
}

void AddDisc(Shop& shop, const NewDisc& disc)
{
    const Engine::CatalogueStamp before = shop.engine().catalogueStamp(shop);
    InTransaction(shop, [&shop, &disc] {
        RunSql(shop,
               QStringLiteral("INSERT INTO ydxx (bh,pm,lx,zy,gj,ydlx,sfycz,rkrq,nrjj) VALUES"
                              " (?,?,?,?,?,?,'否',?,?)"),
               {disc.bh, OrSlash(disc.pm), disc.lx.isEmpty() ? QStringLiteral("故事片") : disc.lx,
                NamesToStore(disc.zy), NamesToStore(disc.gj),
                disc.ydlx.isEmpty() ? QStringLiteral("DVD") : disc.ydlx, TodayText(),
                OrSlash(SynopsisToStore(disc.nrjj))});
        shop.announce(ShopChange::Discs, ShopOperation::AddDisc);
    });
    // A new disc is the last row: its new words go at the end of lists that
    // were up to date, as a fresh read would put them.
    const Engine::CatalogueStamp after = shop.engine().catalogueStamp(shop);
    for (const auto& [column, value] : {std::pair{QStringLiteral("zy"), NamesToStore(disc.zy)},
                                        std::pair{QStringLiteral("gj"), NamesToStore(disc.gj)}}) {
        WordList& list = WordListOf(column);
        const bool onlyThisDisc = after.state == before.state && after.writes == before.writes + 1;
        if (list.version == before && onlyThisDisc) {
            list.add(value);
            list.version = after;
        }
    }
}

DiscChangeCheck CheckDiscChange(const DiscChange& change)
{
    if (IsEmptyNumber(change.bh))
        return DiscChangeCheck::EmptyNumber;
    if (BadGenre(change.lx))
        return DiscChangeCheck::BadGenre;
    if (change.rkrq.isEmpty())
        return DiscChangeCheck::EmptyDate;
    return DiscChangeCheck::Ok;
}

bool ModifyDisc(Shop& shop, const DiscChange& change)
{
    return InTransaction(shop, [&shop, &change] {
        QSqlQuery query = RunSql(
            shop,
            QStringLiteral(
                "UPDATE ydxx SET pm = ?,lx = ?,zy = ?,gj = ?,rkrq = ?,nrjj = ? WHERE bh = ?"),
            {OrSlash(change.pm), change.lx.isEmpty() ? QStringLiteral("故事片") : change.lx,
             NamesToStore(change.zy), NamesToStore(change.gj), change.rkrq,
             OrSlash(SynopsisToStore(change.nrjj)), change.bh});
        const bool changed = query.numRowsAffected() > 0;
        if (changed)
            shop.announce(ShopChange::Discs, ShopOperation::ModifyDisc);
        return changed;
    });
}

Conditions DiscConditions(const DiscFilter& filter)
{
    Conditions conditions;
    conditions.equal(QStringLiteral("bh"), filter.bh);
    conditions.equal(QStringLiteral("pm"), filter.pm);
    conditions.equal(QStringLiteral("gj"), filter.gj);
    conditions.equal(QStringLiteral("rkrq"), filter.rkrq);
    conditions.equal(QStringLiteral("lx"), filter.lx);
    conditions.equal(QStringLiteral("ydlx"), filter.ydlx);
    conditions.equal(QStringLiteral("sfycz"), filter.sfycz);
    conditions.contains(QStringLiteral("zy"), filter.zy);
    return conditions;
}

QStringList DiscSortColumns(const QString& heading)
{
    return SortForHeading(heading, {{"影碟编号", "bh"},
                                    {"片名", "pm"},
                                    {"类型", "lx"},
                                    {"影碟类型", "ydlx"},
                                    {"主演", "zy"},
                                    {"国籍", "gj"},
                                    {"入库日期", "rkrq"},
                                    {"是否已出租", "sfycz"}});
}

bool AnyRentedDisc(Shop& shop, const DiscFilter& filter)
{
    Conditions conditions = DiscConditions(filter);
    conditions.add(QStringLiteral("sfycz = '是'"));
    return RunScalar(shop,
                     QStringLiteral("SELECT bh FROM ydxx") + conditions.where() +
                         QStringLiteral(" LIMIT 1"),
                     conditions.values())
        .isValid();
}

QStringList DeleteDiscs(Shop& shop, const DiscFilter& filter, const RowsDone& progress)
{
    const Conditions conditions = DiscConditions(filter);
    const QStringList numbers = InTransaction(shop, [&shop, &conditions, &progress] {
        const QVariantList keys = SelectKeys(
            shop, QStringLiteral("SELECT bh FROM ydxx") + conditions.where(), conditions.values());
        DeleteByKeys(shop, QStringLiteral("ydxx"), QStringLiteral("bh"), keys, progress);
        shop.engine().dropCoversInTransaction(shop);
        shop.announce(ShopChange::Discs, ShopOperation::DeleteDiscs);
        QStringList selected;
        for (const QVariant& key : keys)
            selected << key.toString();
        return selected;
    });
    // Only once the rows are gone: a failed deletion keeps every cover.
    shop.engine().dropCoversCommitted(numbers);
    return numbers;
}

void DeleteRentalsOfDiscs(Shop& shop, const QStringList& numbers, const RowsDone& progress)
{
    InTransaction(shop, [&shop, &numbers, &progress] {
        DeleteByKeys(shop, QStringLiteral("zjxx"), QStringLiteral("bh"),
                     QVariantList(numbers.begin(), numbers.end()), progress);
        shop.announce(ShopChange::Rentals, ShopOperation::DeleteDiscs);
    });
}

void StoreCover(Shop& shop, const QString& source, const QString& bh)
{
    if (!QFileInfo(source).isFile())
        throw MovrntError(QStringLiteral("找不到图片文件：") + source,
                          QStringLiteral("StoreCover"));
    shop.engine().storeCover(shop, bh, source);
}

QByteArray CoverBytes(Shop& shop, const QString& bh)
{
    return shop.engine().coverBytes(shop, bh);
}

QString CoverFile(Shop& shop, const QString& bh)
{
    return shop.engine().coverFile(bh);
}

QString SynopsisToStore(const QString& text)
{
    return text.left(255);
}
