#include "RentAmounts.h"

#include "Settings.h"

#include "core/store/Numbers.h"

RentCheck CheckRentAmounts(const QString& vcd, const QString& dvd)
{
    if (!IsNumeric(vcd))
        return RentCheck::InvalidVCD;
    if (!IsNumeric(dvd))
        return RentCheck::InvalidDVD;
    if (NumberValue(vcd) < 0)
        return RentCheck::NegativeVCD;
    if (NumberValue(dvd) < 0)
        return RentCheck::NegativeDVD;
    return RentCheck::Ok;
}

void SaveRentAmounts(const QString& vcd, const QString& dvd)
{
    SetSetting(Setting::VCD, vcd);
    SetSetting(Setting::DVD, dvd);
}
