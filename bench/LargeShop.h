#pragma once

#include <QString>

// Makes a database file of 100,000 discs, 50,000 members and 1,000,000
// rentals over several years (a few thousand still out), the same every time.
void GenerateLargeShop(const QString& path);
