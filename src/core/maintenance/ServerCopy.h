#pragma once

#include <QString>

// Moves a shop onto a PostgreSQL server: the tables made in the server's
// empty database and every row of the database file's discs, rentals and
// members copied in, with the shop-wide settings and the cover pictures, rental numbers going on from the highest the file ever
// handed out; all in one transaction, so a failure leaves the server's
// database as empty as it was. A database that already holds a shop is
// refused. The owner's password is checked against the file's; where the
// server's owner role may make roles (CREATEROLE), the owner becomes a login
// role of the server with it, else the shop keeps his password as before.
// Throws MovrntError.
void CopyShopToServer(const QString& file, const QString& url, const QString& ownerPassword = {});
// The name of the file's owner whose password the copy asks; empty when the
// file asks none.
QString OwnerToCopy(const QString& file);

// A consistent copy of a shop on a server (read in one REPEATABLE READ
// transaction while the counters go on) into a new file of the program's own
// schema, written beside the target and renamed in: the backup of a shop on a
// server, which any counter can restore or open. Throws MovrntError.
void CopyShopFromServer(const QString& url, const QString& target);
// Moves a shop back from a server into the database file `file` (refused
// when it already holds a shop's rows), with its settings into the local
// settings and its covers into the Pictures folder. Throws MovrntError.
void MoveShopFromServer(const QString& url, const QString& file);
// Replaces the rows of a shop on a server with those of a checked file (the
// restore's prepared file): copied first into staging tables, then in one
// transaction that locks the three tables, replaces their rows and records
// the whole database replaced by `operation`, which every counter hears. Rental numbers go
// on from the highest either handed out. Safe on a worker thread. Throws
// MovrntError, leaving the server's shop as it was.
enum class ShopOperation;
void ReplaceServerShop(const QString& url, const QString& prepared, ShopOperation operation);
