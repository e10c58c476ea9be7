#pragma once

#include "core/store/Conditions.h"
#include "core/store/Engine.h"
#include "core/store/Errors.h"

#include <QString>
#include <QStringList>
#include <optional>

class Shop;

// The nine genres, in the order every list shows them.
const QStringList& Genres();
// "VCD", "DVD".
const QStringList& DiscTypes();

// Distinct words of the stars (zy) or countries (gj) of the catalogue: each
// value split at every ASCII blank, in the order first seen, "/" skipped. The
// result also becomes the shared distinct-name list.
QStringList DistinctWords(Shop& shop, const QString& column);

// One disc as the windows show it.
struct Disc
{
    QString bh, pm, lx, ydlx, zy, gj, rkrq, sfycz, nrjj;
};
std::optional<Disc> FindDisc(Shop& shop, const QString& bh);

// What the add window holds.
struct NewDisc
{
    QString bh, pm, lx, zy, gj, ydlx, nrjj;
};
enum class NewDiscCheck
{
    Ok,
    NumberInUse,
    BadGenre,
    BadDiscType,
    EmptyNumber
};
// The checks in the order they are reported: a number in use first.
NewDiscCheck CheckNewDisc(Shop& shop, const NewDisc& disc);
// Inserts the disc with its defaults: "/" for empty texts, "故事片", "DVD",
// not rented, entered today.
void AddDisc(Shop& shop, const NewDisc& disc);

// What the modify window holds.
struct DiscChange
{
    QString bh, pm, lx, zy, gj, rkrq, nrjj;
};
enum class DiscChangeCheck
{
    Ok,
    EmptyNumber,
    BadGenre,
    EmptyDate
};
DiscChangeCheck CheckDiscChange(const DiscChange& change);
// False when no disc has that number. The type and rented flag never change.
bool ModifyDisc(Shop& shop, const DiscChange& change);

// The conditions of the query and delete windows, in their fixed order.
struct DiscFilter
{
    QString bh, pm, gj, rkrq, lx, ydlx, sfycz;
    QString zy; // contained in the stars; the query window only
};
Conditions DiscConditions(const DiscFilter& filter);

// The sort for a click on a heading of the disc grid; empty for an unknown
// heading. Ties keep the order the discs were entered in (rowid).
QStringList DiscSortColumns(const QString& heading);
inline const QStringList kDefaultDiscSort = {"ydlx", "rkrq", "lx"};

// Deleting: refused when a matching disc is out.
bool AnyRentedDisc(Shop& shop, const DiscFilter& filter);
// Deletes the matching discs in one transaction, then their cover files;
// returns the numbers deleted. Throws MovrntError, leaving every disc in place.
QStringList DeleteDiscs(Shop& shop, const DiscFilter& filter, const RowsDone& progress = {});
// Deletes every rental of the given discs in one transaction. `progress`
// hears the discs (or their rentals' discs) done; false from it deletes nothing.
void DeleteRentalsOfDiscs(Shop& shop, const QStringList& numbers, const RowsDone& progress = {});

// Cover pictures (PicturesFolder, CoverPath: see store/Engine.h): files under
// the program folder; in the shop's database (fmtp) on a server, so that
// every counter shows the same.
// Copies a chosen picture byte for byte as the disc's cover, replacing the old
// one. Throws MovrntError.
void StoreCover(Shop& shop, const QString& source, const QString& bh);
// The disc's cover as stored; empty when it has none.
QByteArray CoverBytes(Shop& shop, const QString& bh);
// The file the disc's cover is kept in on this counter; empty where the shop
// keeps its covers itself.
QString CoverFile(Shop& shop, const QString& bh);

// The first 255 characters of a synopsis: what is stored.
QString SynopsisToStore(const QString& text);
