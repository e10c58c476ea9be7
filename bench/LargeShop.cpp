#include "LargeShop.h"

#include "store/Database.h"

#include <cstdio>

void GenerateLargeShop(const QString& path)
{
    CreateEmptyDatabase(path);
    OpenDatabase(path);
    InTransaction([] {
        RunSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000)"
               " INSERT INTO ydxx SELECT printf('%06d', i), '片名' || (i * 7919 % 100000),"
               " CASE i % 3 WHEN 0 THEN '言情片' WHEN 1 THEN '故事片' ELSE '侦探片' END,"
               " CASE i % 3 WHEN 0 THEN 'VCD' ELSE 'DVD' END,"
               " '明星' || (i % 3000) || ' 明星' || (i % 1700), CASE i % 5 WHEN 0 THEN '中国'"
               " ELSE '香港' END, date('2000-01-01', '+' || (i % 2500) || ' days'), '否', '/'"
               " FROM n");
        RunSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 50000)"
               " INSERT INTO hyxx SELECT printf('M%05d', i), '会员' || (i * 31 % 50000),"
               " CASE i % 2 WHEN 0 THEN '男' ELSE '女' END, '地址' || i, '1380000' || i, i % 4,"
               " 100 + i % 37, 50, i % 300, date('2000-01-01', '+' || (i % 2000) || ' days')"
               " FROM n");
        RunSql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000)"
               " INSERT INTO zjxx (bh, czrq, ghrq, yjje, sfyh, hybh) SELECT"
               " printf('%06d', (i * i) % 100000 + 1), date('2000-01-01', '+' || (i / 400) || "
               "' days'),"
               " date('2000-01-01', '+' || (i / 400 + 2) || ' days'),"
               " CASE WHEN i % 2 = 0 THEN '/' ELSE '10' END,"
               " CASE WHEN i > 997000 THEN '否' ELSE '是' END,"
               " CASE WHEN i % 2 = 0 THEN printf('M%05d', i % 50000 + 1) ELSE '/' END FROM n");
    });
    CloseDatabase();
}

QString LargeShopFile(int argc, char** argv, const QTemporaryDir& folder)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--db")
            return QString::fromLocal8Bit(argv[i + 1]);
    const QString path = folder.filePath(QStringLiteral("MOVRNT.db"));
    std::printf("generating 100,000 discs, 50,000 members, 1,000,000 rentals ...\n");
    GenerateLargeShop(path);
    return path;
}
