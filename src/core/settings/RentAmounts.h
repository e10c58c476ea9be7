#pragma once

#include <QString>

// A number as a clerk may type it: blanks around it, an optional sign, a
// decimal point and an exponent are accepted; anything that is not a finite
// number is not.
bool IsNumeric(const QString& text);

enum class RentCheck { Ok, InvalidVCD, InvalidDVD, NegativeVCD, NegativeDVD };
// The rent-per-day checks in the order the dialog reports them.
RentCheck CheckRentAmounts(const QString& vcd, const QString& dvd);

// Stores both rents exactly as typed: VCD first, then DVD.
void SaveRentAmounts(const QString& vcd, const QString& dvd);
