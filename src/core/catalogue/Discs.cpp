#include "Discs.h"

#include "DistinctNames.h"
#include "store/Clock.h"
#include "store/Database.h"
#include "store/Shop.h"
#include "store/Errors.h"
#include "store/ProgramFolder.h"
#include "store/TextRules.h"

#include <QDir>
#include <QFile>
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

// Whether the catalogue's stars or countries may have changed: this
// connection's writes are counted by temporary triggers (whatever wrote them,
// a typed statement too), other connections' by SQLite's data_version.
struct CatalogueVersion
{
    qint64 connection = -1, data = 0, writes = 0;
    bool operator==(const CatalogueVersion&) const = default;
};

CatalogueVersion CurrentCatalogueVersion()
{
    // On a server a trigger counts every write, whichever counter made it.
    if (Shop::InUse() && Shop::InUse()->engine() == ShopEngine::Server)
        return {ConnectionSerial(), 0,
                RunScalar(QStringLiteral("SELECT xh FROM bdjl WHERE lb = 'ydxx_writes'"))
                    .toLongLong()};
    static qint64 countedOn = -1;
    if (countedOn != ConnectionSerial()) {
        RunSql(QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS ydxx_writes (n INTEGER)"));
        if (!RunScalar(QStringLiteral("SELECT n FROM ydxx_writes")).isValid())
            RunSql(QStringLiteral("INSERT INTO ydxx_writes VALUES (0)"));
        for (const char* event : {"INSERT", "DELETE", "UPDATE OF zy, gj"})
            RunSql(QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS \"ydxx_writes %1\" AFTER %1 ON"
                                  " main.ydxx BEGIN UPDATE ydxx_writes SET n = n + 1; END")
                       .arg(QLatin1String(event)));
        countedOn = ConnectionSerial();
    }
    return {ConnectionSerial(), RunScalar(QStringLiteral("PRAGMA data_version")).toLongLong(),
            RunScalar(QStringLiteral("SELECT n FROM ydxx_writes")).toLongLong()};
}

// The distinct words of one column, kept while the catalogue stays as it was.
struct WordList
{
    CatalogueVersion version;
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

QStringList DistinctWords(const QString& column)
{
    Q_ASSERT(column == u"zy" || column == u"gj");
    WordList& list = WordListOf(column);
    const CatalogueVersion now = CurrentCatalogueVersion();
    if (!(list.version == now)) {
        // Each distinct value once, in the order first stored: the split below
        // then sees the same words in the same order as a walk over every row.
        QSqlQuery query = RunSql(QStringLiteral("SELECT %1 FROM ydxx WHERE %1 IS NOT NULL"
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

std::optional<Disc> FindDisc(const QString& bh)
{
    QSqlQuery query = RunSql(
        QStringLiteral("SELECT bh, pm, lx, ydlx, zy, gj, rkrq, sfycz, nrjj FROM ydxx WHERE bh = ?"),
        {bh});
    if (!query.next())
        return std::nullopt;
    return ReadDisc(query);
}

NewDiscCheck CheckNewDisc(const NewDisc& disc)
{
    if (RunScalar(QStringLiteral("SELECT bh FROM ydxx WHERE bh = ?"), {disc.bh}).isValid())
        return NewDiscCheck::NumberInUse;
    if (BadGenre(disc.lx))
        return NewDiscCheck::BadGenre;
    if (!disc.ydlx.isEmpty() && !DiscTypes().contains(disc.ydlx))
        return NewDiscCheck::BadDiscType;
    if (IsEmptyNumber(disc.bh))
        return NewDiscCheck::EmptyNumber;
    return NewDiscCheck::Ok;
}

void AddDisc(const NewDisc& disc)
{
    const CatalogueVersion before = CurrentCatalogueVersion();
    InTransaction([&disc] {
        RunSql(QStringLiteral("INSERT INTO ydxx (bh,pm,lx,zy,gj,ydlx,sfycz,rkrq,nrjj) VALUES"
                              " (?,?,?,?,?,?,'否',?,?)"),
               {disc.bh, OrSlash(disc.pm), disc.lx.isEmpty() ? QStringLiteral("故事片") : disc.lx,
                NamesToStore(disc.zy), NamesToStore(disc.gj),
                disc.ydlx.isEmpty() ? QStringLiteral("DVD") : disc.ydlx, TodayText(),
                OrSlash(SynopsisToStore(disc.nrjj))});
        Announce(ShopChange::Discs, ShopOperation::AddDisc);
    });
    // A new disc is the last row: its new words go at the end of lists that
    // were up to date, as a fresh read would put them.
    const CatalogueVersion after = CurrentCatalogueVersion();
    for (const auto& [column, value] : {std::pair{QStringLiteral("zy"), NamesToStore(disc.zy)},
                                        std::pair{QStringLiteral("gj"), NamesToStore(disc.gj)}}) {
        WordList& list = WordListOf(column);
        const bool onlyThisDisc = after.connection == before.connection &&
                                  after.data == before.data && after.writes == before.writes + 1;
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

bool ModifyDisc(const DiscChange& change)
{
    return InTransaction([&change] {
        QSqlQuery query =
            RunSql(QStringLiteral(
                       "UPDATE ydxx SET pm = ?,lx = ?,zy = ?,gj = ?,rkrq = ?,nrjj = ? WHERE bh = ?"),
                   {OrSlash(change.pm), change.lx.isEmpty() ? QStringLiteral("故事片") : change.lx,
                    NamesToStore(change.zy), NamesToStore(change.gj), change.rkrq,
                    OrSlash(SynopsisToStore(change.nrjj)), change.bh});
        const bool changed = query.numRowsAffected() > 0;
        if (changed)
            Announce(ShopChange::Discs, ShopOperation::ModifyDisc);
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

bool AnyRentedDisc(const DiscFilter& filter)
{
    Conditions conditions = DiscConditions(filter);
    conditions.add(QStringLiteral("sfycz = '是'"));
    return RunScalar(QStringLiteral("SELECT bh FROM ydxx") + conditions.where() +
                         QStringLiteral(" LIMIT 1"),
                     conditions.values())
        .isValid();
}

QStringList DeleteDiscs(const DiscFilter& filter)
{
    const Conditions conditions = DiscConditions(filter);
    QStringList numbers = InTransaction([&conditions] {
        QStringList selected;
        QSqlQuery query =
            RunSql(QStringLiteral("SELECT bh FROM ydxx") + conditions.where(), conditions.values());
        while (query.next())
            selected << query.value(0).toString();
        RunSql(QStringLiteral("DELETE FROM ydxx") + conditions.where(), conditions.values());
        if (ShopOnServer()) // the covers go with the discs, in the same transaction
            RunSql(QStringLiteral("DELETE FROM fmtp WHERE NOT EXISTS"
                                  " (SELECT 1 FROM ydxx WHERE ydxx.bh = fmtp.bh)"));
        Announce(ShopChange::Discs, ShopOperation::DeleteDiscs);
        return selected;
    });
    // Only once the rows are gone: a failed deletion keeps every cover.
    if (!ShopOnServer())
        for (const QString& bh : numbers)
            QFile::remove(CoverPath(bh));
    return numbers;
}

void DeleteRentalsOfDiscs(const QStringList& numbers)
{
    InTransaction([&numbers] {
        for (const QString& bh : numbers)
            RunSql(QStringLiteral("DELETE FROM zjxx WHERE bh = ?"), {bh});
        Announce(ShopChange::Rentals, ShopOperation::DeleteDiscs);
    });
}

QString PicturesFolder()
{
    return JoinPath(ProgramFolder(), QStringLiteral("Pictures"));
}

QString CoverPath(const QString& bh)
{
    // A number is a file name here: separators must not lead out of the folder.
    QString name = bh;
    name.replace(u'/', QStringLiteral("%2F")).replace(u'\\', QStringLiteral("%5C"));
    return JoinPath(PicturesFolder(), name + QStringLiteral(".jpg"));
}

void StoreCover(const QString& source, const QString& bh)
{
    if (!QFileInfo(source).isFile())
        throw MovrntError(QStringLiteral("找不到图片文件：") + source,
                          QStringLiteral("StoreCover"));
    if (ShopOnServer()) {
        QFile file(source);
        if (QFileInfo(source).size() > kMaxCoverBytes || !file.open(QIODevice::ReadOnly))
            throw MovrntError(QStringLiteral("无法读取图片文件（或超过 %1 MB）：%2")
                                  .arg(kMaxCoverBytes >> 20)
                                  .arg(source),
                              QStringLiteral("StoreCover"));
        RunSql(QStringLiteral("INSERT INTO fmtp (bh, tp) VALUES (?, ?)"
                              " ON CONFLICT (bh) DO UPDATE SET tp = excluded.tp"),
               {bh, file.readAll()});
        return;
    }
    if (!QDir().mkpath(PicturesFolder()))
        throw MovrntError(QStringLiteral("无法创建文件夹：") + PicturesFolder(),
                          QStringLiteral("StoreCover"));
    const QString target = CoverPath(bh);
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    if (!QFile::copy(source, partial))
        throw MovrntError(QStringLiteral("无法复制图片文件到 ") + target,
                          QStringLiteral("StoreCover"));
    QFile::remove(target);
    if (!QFile::rename(partial, target)) {
        QFile::remove(partial);
        throw MovrntError(QStringLiteral("无法保存图片文件 ") + target,
                          QStringLiteral("StoreCover"));
    }
}

QByteArray CoverBytes(const QString& bh)
{
    if (ShopOnServer())
        return RunScalar(QStringLiteral("SELECT tp FROM fmtp WHERE bh = ?"), {bh}).toByteArray();
    QFile file(CoverPath(bh));
    if (file.size() > kMaxCoverBytes || !file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString SynopsisToStore(const QString& text)
{
    return text.left(255);
}
