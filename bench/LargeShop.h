#pragma once

#include <QString>
#include <QTemporaryDir>

// The size of a generated shop and the seed that makes it.
struct ShopSize
{
    qint64 discs = 100000;
    qint64 members = 50000;
    qint64 rentals = 1000000;
    quint64 seed = 2003;
};

// Fills a new database file at `path` (the shop's empty tables, then the
// program's indexes and statistics) with a realistic shop, the same for the
// same size and seed: a few discs rented very often, several years of dates,
// VCDs and DVDs, walk-in customers and members, a few thousand discs still
// out, Chinese titles and star names, and now and then an apostrophe.
// Discs are marked rented exactly when they are out, and each member's
// borrowed count and level follow his rentals.
void GenerateShop(const QString& path, const ShopSize& size);
// The day after the last rental: the shop's "today".
QString GeneratedShopToday();

// The size given with --discs, --members, --rentals and --seed.
ShopSize ParseShopSize(int argc, char** argv);

// --db FILE, or a shop generated in `folder` from --discs/--members/
// --rentals/--seed (defaults: the large shop).
QString LargeShopFile(int argc, char** argv, const QTemporaryDir& folder);

class Shop;
// The shop the benchmark opened (OpenDatabase): the counter's session shop.
Shop& BenchShop();
