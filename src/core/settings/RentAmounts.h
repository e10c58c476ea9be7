#pragma once

#include <QString>

enum class RentCheck
{
    Ok,
    InvalidVCD,
    InvalidDVD,
    NegativeVCD,
    NegativeDVD
};
// The rent-per-day checks in the order the dialog reports them.
RentCheck CheckRentAmounts(const QString& vcd, const QString& dvd);

// Stores both rents exactly as typed: VCD first, then DVD.
void SaveRentAmounts(const QString& vcd, const QString& dvd);
