#include "Scanning.h"

#include "store/Database.h"

void ScanBurst::key(QChar character, qint64 ms)
{
    if (burst_.isEmpty() || ms - last_ > kMaxGapMs)
        burst_.clear();
    burst_ += character;
    last_ = ms;
}

std::optional<QString> ScanBurst::enter(qint64 ms)
{
    const QString burst = std::exchange(burst_, QString());
    if (burst.size() < kMinLength || ms - last_ > kMaxGapMs)
        return std::nullopt;
    return burst;
}

Scanned FindScanned(const QString& number)
{
    if (RunScalar(QStringLiteral("SELECT 1 FROM ydxx WHERE bh = ?"), {number}).isValid())
        return Scanned::Disc;
    if (RunScalar(QStringLiteral("SELECT 1 FROM hyxx WHERE hybh = ?"), {number}).isValid())
        return Scanned::Member;
    return Scanned::Unknown;
}
