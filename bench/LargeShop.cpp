#include "LargeShop.h"

#include "core/store/Errors.h"
#include "core/store/Shop.h"

#include "core/maintenance/FileSupport.h"
#include "core/store/Database.h"

#include <QDate>
#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <sqlite3.h>
#include <stdexcept>
#include <vector>

namespace {
const QDate kFirstDay(2001, 1, 1);
const QDate kLastDay(2005, 12, 31);

// Uniform numbers from the standard engine only (the distributions of the
// library differ between implementations, the engine does not).
class Random
{
public:
    explicit Random(quint64 seed) : engine_(seed) {}
    double unit() { return double(engine_() >> 11) * 0x1.0p-53; }
    qint64 below(qint64 n) { return std::min<qint64>(n - 1, qint64(unit() * double(n))); }
    template <typename T, size_t N> const T& pick(const T (&items)[N])
    {
        return items[below(qint64(N))];
    }

private:
    std::mt19937_64 engine_;
};

const char* const kTitleHeads[] = {"天下", "无间",   "英雄", "花样", "大话",   "功夫", "卧虎",
                                   "倩女", "纵横",   "重庆", "阿飞", "东邪",   "霸王", "喜剧",
                                   "少林", "黄飞鸿", "警察", "古惑", "甜蜜",   "月光", "风云",
                                   "秋天", "春光",   "悲情", "胭脂", "新龙门", "笑傲", "双旗"};
const char* const kTitleTails[] = {
    "年华", "道",   "西游", "传说", "藏龙", "幽魂", "江湖", "之王",   "森林",   "正传", "西毒",
    "别姬", "足球", "故事", "乍泄", "城市", "扣",   "客栈", "镇刀客", "的童话", "往事", "风暴"};
const char* const kSurnames[] = {"王",   "李",   "张", "刘", "陈", "杨", "黄", "赵", "吴", "周",
                                 "徐",   "孙",   "马", "朱", "胡", "郭", "何", "林", "罗", "梁",
                                 "欧阳", "司马", "郑", "谢", "韩", "唐", "冯", "于", "董", "萧"};
const char* const kGiven[] = {"伟",   "芳",   "娜",   "敏",   "静",   "丽",   "强",   "磊",  "军",
                              "洋",   "勇",   "艳",   "杰",   "娟",   "涛",   "明",   "超",  "秀英",
                              "德华", "学友", "嘉玲", "曼玉", "朝伟", "连杰", "星驰", "青霞"};
const char* const kGenres[] = {"言情片", "故事片", "战争片", "冒险片", "记录片",
                               "喜剧片", "动画片", "恐怖片", "侦探片"};
const char* const kCountries[] = {"中国", "中国", "中国", "香港", "香港", "台湾",
                                  "美国", "美国", "日本", "韩国", "法国"};
const char* const kDistricts[] = {"海淀区", "朝阳区", "东城区", "西城区", "丰台区", "石景山区"};
const char* const kStreets[] = {"中关村大街", "学院路", "建国路", "长安街", "复兴路", "望京街"};

qint64 Skewed(Random& random, qint64 count)
{
    const qint64 favourites = std::min<qint64>(count, 5000);
    if (random.unit() < 0.5)
        return random.below(count);
    return std::min(favourites - 1, qint64(std::pow(random.unit(), 1.5) * double(favourites)));
}

QString Person(Random& random)
{
    return QString::fromUtf8(random.pick(kSurnames)) + QString::fromUtf8(random.pick(kGiven));
}

QString DateText(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

class Db
{
public:
    explicit Db(sqlite3* db) : db_(db)
    {
        exec("PRAGMA journal_mode = WAL");
        exec("PRAGMA synchronous = OFF");
    }
    void exec(const char* sql)
    {
        char* message = nullptr;
        if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string text = message ? message : "?";
            sqlite3_free(message);
            throw std::runtime_error(text);
        }
    }
    sqlite3_stmt* prepare(const char* sql)
    {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db_));
        return statement;
    }
    void insert(sqlite3_stmt* statement, const QList<QVariant>& values)
    {
        QList<QByteArray> texts;
        texts.reserve(values.size());
        for (int i = 0; i < values.size(); ++i) {
            const QVariant& value = values[i];
            if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) {
                sqlite3_bind_int64(statement, i + 1, value.toLongLong());
            } else if (value.typeId() == QMetaType::Double) {
                sqlite3_bind_double(statement, i + 1, value.toDouble());
            } else {
                texts << value.toString().toUtf8();
                sqlite3_bind_text(statement, i + 1, texts.last().constData(),
                                  int(texts.last().size()), SQLITE_TRANSIENT);
            }
        }
        if (sqlite3_step(statement) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(db_));
        sqlite3_reset(statement);
    }

private:
    sqlite3* db_ = nullptr;
};

struct Rental
{
    qint64 disc;
    qint64 member; // -1: a walk-in customer
    qint64 day;
};
} // namespace

QString GeneratedShopToday()
{
    return DateText(kLastDay.addDays(1));
}

void GenerateShop(const QString& path, const ShopSize& size)
{
    QFile::remove(path);
    CreateEmptyDatabase(path);
    Random random(size.seed);
    const qint64 days = kFirstDay.daysTo(kLastDay) + 1;

    // Which discs are popular is not their number's order.
    std::vector<qint64> popularity(size_t(size.discs));
    for (qint64 i = 0; i < size.discs; ++i)
        popularity[size_t(i)] = i;
    for (qint64 i = size.discs - 1; i > 0; --i)
        std::swap(popularity[size_t(i)], popularity[size_t(random.below(i + 1))]);

    std::vector<QString> discType(size_t(size.discs));
    std::vector<qint64> firstRental(size_t(size.discs), days - 1);
    std::vector<qint64> arrival(size_t(size.discs));
    std::vector<Rental> rentals;
    rentals.reserve(size_t(size.rentals));
    for (qint64 i = 0; i < size.rentals; ++i) {
        // Half the rentals go to a few thousand favourites, the first of them
        // rented nearly daily; members likewise.
        const qint64 disc = popularity[size_t(Skewed(random, size.discs))];
        const qint64 member =
            random.unit() < 0.6 && size.members > 0 ? Skewed(random, size.members) : -1;
        const qint64 day = i * days / std::max<qint64>(1, size.rentals);
        firstRental[size_t(disc)] = std::min(firstRental[size_t(disc)], day);
        rentals.push_back({disc, member, day});
    }

    const SqliteFile file(path, SQLITE_OPEN_READWRITE, QStringLiteral("bench"));
    Db db(file.db);
    db.exec("BEGIN");
    // Indexes and totals made once after the rows, as an import makes them.
    LoadInBulk(file, [&] {
        sqlite3_stmt* disc = db.prepare("INSERT INTO ydxx VALUES (?, ?, ?, ?, ?, ?, ?, '否', ?)");
        for (qint64 i = 0; i < size.discs; ++i) {
            QString title = QString::fromUtf8(random.pick(kTitleHeads)) +
                            QString::fromUtf8(random.pick(kTitleTails));
            if (random.unit() < 0.15)
                title += QString::number(2 + random.below(3));
            if (i % 997 == 0)
                title = QStringLiteral("Ocean's ") + QString::number(i % 13 + 1);
            QStringList stars;
            for (qint64 n = 1 + random.below(3); n > 0; --n)
                stars << Person(random);
            discType[size_t(i)] =
                random.unit() < 0.55 ? QStringLiteral("VCD") : QStringLiteral("DVD");
            arrival[size_t(i)] = std::min(random.below(days), firstRental[size_t(i)]);
            db.insert(disc,
                      {QStringLiteral("%1").arg(i + 1, 6, 10, QChar(u'0')), title,
                       QString::fromUtf8(random.pick(kGenres)), discType[size_t(i)],
                       stars.join(u' '), QString::fromUtf8(random.pick(kCountries)),
                       DateText(kFirstDay.addDays(arrival[size_t(i)])),
                       i % 50 == 0 ? QStringLiteral("导演剪辑版，附花絮。") : QStringLiteral("/")});
        }
        sqlite3_finalize(disc);

        // The last rentals of each disc in the final weeks are still out: one
        // open rental a disc at most.
        const qint64 openFrom = std::max<qint64>(0, size.rentals - size.rentals / 200);
        std::vector<bool> out(size_t(size.discs), false);
        std::vector<qint64> borrowed(size_t(size.members), 0);
        sqlite3_stmt* rental = db.prepare(
            "INSERT INTO zjxx (bh, czrq, ghrq, yjje, sfyh, hybh) VALUES (?, ?, ?, ?, ?, ?)");
        for (qint64 i = size.rentals - 1; i >= 0; --i) {
            const Rental& r = rentals[size_t(i)];
            if (i >= openFrom && !out[size_t(r.disc)] && random.unit() < 0.7)
                out[size_t(r.disc)] = true;
            else
                rentals[size_t(i)].day = -1 - r.day; // returned: marked by the sign
        }
        for (const Rental& r : rentals) {
            const bool open = r.day >= 0;
            const qint64 day = open ? r.day : -1 - r.day;
            const QDate rented = kFirstDay.addDays(day);
            const bool member = r.member >= 0;
            if (member)
                ++borrowed[size_t(r.member)];
            const QString deposit =
                member ? QStringLiteral("/")
                       : (discType[size_t(r.disc)] == u"VCD" ? QStringLiteral("10")
                                                             : QStringLiteral("20"));
            db.insert(rental,
                      {QStringLiteral("%1").arg(r.disc + 1, 6, 10, QChar(u'0')), DateText(rented),
                       open ? QStringLiteral("/") : DateText(rented.addDays(1 + random.below(6))),
                       deposit, open ? QStringLiteral("否") : QStringLiteral("是"),
                       member ? QStringLiteral("M%1").arg(r.member + 1, 5, 10, QChar(u'0'))
                              : QStringLiteral("/")});
        }
        sqlite3_finalize(rental);
        sqlite3_stmt* mark = db.prepare("UPDATE ydxx SET sfycz = '是' WHERE bh = ?");
        for (qint64 i = 0; i < size.discs; ++i)
            if (out[size_t(i)])
                db.insert(mark, {QStringLiteral("%1").arg(i + 1, 6, 10, QChar(u'0'))});
        sqlite3_finalize(mark);

        sqlite3_stmt* member = db.prepare("INSERT INTO hyxx VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        for (qint64 i = 0; i < size.members; ++i) {
            QString address = QStringLiteral("北京市") +
                              QString::fromUtf8(random.pick(kDistricts)) +
                              QString::fromUtf8(random.pick(kStreets)) +
                              QString::number(1 + random.below(300)) + QStringLiteral("号");
            if (i % 1009 == 0)
                address = QStringLiteral("O'Brien's Lane ") + QString::number(i % 7 + 1);
            const qint64 count = borrowed[size_t(i)];
            db.insert(member,
                      {QStringLiteral("M%1").arg(i + 1, 5, 10, QChar(u'0')), Person(random),
                       random.unit() < 0.5 ? QStringLiteral("男") : QStringLiteral("女"), address,
                       QStringLiteral("13%1").arg(random.below(1000000000), 9, 10, QChar(u'0')),
                       std::min<qint64>(count / 10, 3), double(random.below(3000)) / 10.0,
                       random.unit() < 0.7 ? 50.0 : 100.0, count,
                       DateText(kFirstDay.addDays(random.below(days)))});
        }
        sqlite3_finalize(member);
        // The ledger such a shop keeps, at two counters: each member's
        // joining money (what he has now and the charges he paid since, on
        // his first day, so that his lines add up to his prepaid rent; the
        // generator's rentals may come before his joining date), each rental's deposit or
        // charge, each checkout's rent and deposit back, in the order of their times.
        db.exec(
            "INSERT INTO zwls (jzsj, ywlx, zdbh, bh, hybh, je, gtmc) SELECT * FROM ("
            "SELECT MIN(rhrq, COALESCE(c.f, rhrq)) || ' 08:00:00' AS t, '预付租金', 0, '/',"
            " hybh, CAST(ROUND(zjje * 10000) AS INTEGER) + 20000 * COALESCE(c.n, 0), 'A' FROM"
            " hyxx LEFT JOIN (SELECT hybh AS m, COUNT(*) AS n, MIN(czrq) AS f FROM zjxx GROUP BY"
            " hybh) AS c ON c.m = hyxx.hybh"
            " UNION ALL SELECT rhrq || ' 08:00:01', '会员押金', 0, '/', hybh, CAST(ROUND(yjje *"
            " 10000) AS INTEGER), 'A' FROM hyxx"
            " UNION ALL SELECT czrq || printf(' %02d:%02d:00', 9 + zdbh % 12, zdbh % 60), CASE"
            " hybh WHEN '/' THEN '散客押金' ELSE '会员租金' END, zdbh, bh, hybh, CASE hybh WHEN"
            " '/' THEN CAST(yjje AS INTEGER) * 10000 ELSE 20000 END, CASE zdbh % 2 WHEN 0 THEN"
            " 'A' ELSE 'B' END FROM zjxx"
            " UNION ALL SELECT ghrq || printf(' %02d:%02d:30', 9 + zdbh % 12, zdbh % 60), k.k,"
            " zdbh, bh, hybh, CASE k.k WHEN '散客租金' THEN 20000 ELSE -CAST(yjje AS INTEGER) *"
            " 10000 END, CASE zdbh % 2 WHEN 0 THEN 'A' ELSE 'B' END FROM zjxx, (SELECT"
            " '散客租金' AS k UNION ALL SELECT '退还押金') AS k WHERE hybh = '/' AND sfyh = '是'"
            ") ORDER BY t");
    });
    db.exec("COMMIT");
    // The program's indexes and statistics, as a file it has used carries them.
    OpenDatabase(path);
    CloseDatabase();
}

ShopSize ParseShopSize(int argc, char** argv)
{
    ShopSize size;
    for (int i = 1; i + 1 < argc; ++i) {
        const QByteArray option(argv[i]);
        if (option == "--discs")
            size.discs = std::atoll(argv[i + 1]);
        else if (option == "--members")
            size.members = std::atoll(argv[i + 1]);
        else if (option == "--rentals")
            size.rentals = std::atoll(argv[i + 1]);
        else if (option == "--seed")
            size.seed = std::strtoull(argv[i + 1], nullptr, 10);
    }
    return size;
}

QString LargeShopFile(int argc, char** argv, const QTemporaryDir& folder)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--db")
            return QString::fromLocal8Bit(argv[i + 1]);
    const ShopSize size = ParseShopSize(argc, argv);
    const QString path = folder.filePath(QStringLiteral("MOVRNT.db"));
    std::printf("generating %lld discs, %lld members, %lld rentals (seed %llu) ...\n", size.discs,
                size.members, size.rentals, static_cast<unsigned long long>(size.seed));
    GenerateShop(path, size);
    return path;
}

Shop& BenchShop()
{
    if (Shop* shop = SessionShop())
        return *shop;
    throw MovrntError(QStringLiteral("no shop open"), QStringLiteral("bench"));
}
