#pragma once

#include <QString>
#include <optional>

class Shop;

// Tells a barcode scanner from a person: a scanner types the whole number,
// then Enter, each key within a few milliseconds of the one before; people
// are ten times slower.
class ScanBurst
{
public:
    static constexpr qint64 kMaxGapMs = 35;
    static constexpr int kMinLength = 3;
    // A character typed at `ms` (any steady clock).
    void key(QChar character, qint64 ms);
    // Enter at `ms`: the scanned number when everything since the last pause
    // came as one burst; nothing for typing by hand.
    std::optional<QString> enter(qint64 ms);

private:
    QString burst_;
    qint64 last_ = 0;
};

enum class Scanned
{
    Disc,
    RentedToWalkIn,
    RentedToMember,
    Member,
    Unknown
};
struct ScanFound
{
    Scanned what = Scanned::Unknown;
    QString zdbh; // the open rental of a disc that is out
};
// What a scanned number names: a disc (in the shop, or out with its open
// rental) when ydxx has it, else a member when hyxx has it. Throws
// MovrntError when the database cannot be read.
ScanFound FindScanned(Shop& shop, const QString& number);
