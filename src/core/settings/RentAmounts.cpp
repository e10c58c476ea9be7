#include "RentAmounts.h"

#include "Settings.h"

#include <QRegularExpression>
#include <cmath>

bool IsNumeric(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
    if (!pattern.match(text).hasMatch())
        return false;
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value);
}

RentCheck CheckRentAmounts(const QString& vcd, const QString& dvd)
{
    if (!IsNumeric(vcd))
        return RentCheck::InvalidVCD;
    if (!IsNumeric(dvd))
        return RentCheck::InvalidDVD;
    if (vcd.trimmed().toDouble() < 0)
        return RentCheck::NegativeVCD;
    if (dvd.trimmed().toDouble() < 0)
        return RentCheck::NegativeDVD;
    return RentCheck::Ok;
}

void SaveRentAmounts(const QString& vcd, const QString& dvd)
{
    SetSetting(Setting::VCD, vcd);
    SetSetting(Setting::DVD, dvd);
}
