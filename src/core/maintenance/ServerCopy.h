#pragma once

#include <QString>

// Moves a shop onto a PostgreSQL server: the tables made in the server's
// empty database and every row of the database file's discs, rentals and
// members copied in, rental numbers going on from the highest the file ever
// handed out; all in one transaction, so a failure leaves the server's
// database as empty as it was. A database that already holds a shop is
// refused. Throws MovrntError.
void CopyShopToServer(const QString& file, const QString& url);
