#pragma once

#include <QString>
#include <QTemporaryDir>

// Makes a database file of 100,000 discs, 50,000 members and 1,000,000
// rentals over several years (a few thousand still out), the same every time.
void GenerateLargeShop(const QString& path);
// The file given with --db FILE, or a shop generated in the folder.
QString LargeShopFile(int argc, char** argv, const QTemporaryDir& folder);
