#include "Parameters.h"

#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/Shop.h"

const QList<Stepper>& Steppers()
{
    static const QList<Stepper> steppers = {
        {Setting::AutoBackupTime, {}, 10, 30, 10},
        {Setting::YJJEVCD, "￥", 0, 50, 5},
        {Setting::YJJEDVD, "￥", 0, 50, 5},
        {Setting::Alertdays, {}, 1, 30, 1},
        {Setting::HYDJ, {}, 1, 9, 1},
        {Setting::FJZJ, {}, 10, 100, 10},
        {Setting::LateFee, "￥", 0, 10, 1},
        {Setting::PCVCD, "￥", 0, 200, 5},
        {Setting::PCDVD, "￥", 0, 200, 5},
        {Setting::YYTS, {}, 1, 30, 1},
    };
    return steppers;
}

const Stepper& StepperOf(Setting setting)
{
    for (const Stepper& stepper : Steppers())
        if (stepper.setting == setting)
            return stepper;
    Q_ASSERT_X(false, "StepperOf", "not a stepped setting");
    return Steppers().first();
}

QString StepText(const Stepper& stepper, const QString& text, bool up)
{
    const int bound = up ? stepper.upper : stepper.lower;
    if (text == stepper.prefix + QString::number(bound))
        return text;
    bool ok = false;
    const qint64 value = StepperValue(stepper, text).toLongLong(&ok);
    if (!ok)
        return text;
    return stepper.prefix + QString::number(value + (up ? stepper.step : -stepper.step));
}

QString StepperText(const Stepper& stepper, const QString& value)
{
    return stepper.prefix + value;
}

QString StepperValue(const Stepper& stepper, const QString& text)
{
    return text.startsWith(stepper.prefix) ? text.mid(stepper.prefix.size()) : text;
}

std::optional<qint64> AutoBackupInterval()
{
    if (GetSetting(Setting::AutoBackup) != u"True")
        return std::nullopt;
    bool ok = false;
    const qint64 seconds = GetSetting(Setting::AutoBackupTime).trimmed().toLongLong(&ok);
    if (!ok || seconds <= 0 || seconds > 86400 * 365)
        return std::nullopt;
    return seconds * 1000;
}

void RecomputeMemberLevels(Shop& shop, qint64 rentalsPerLevel, qint64 levels)
{
    if (rentalsPerLevel <= 0)
        throw MovrntError(QStringLiteral("每升一级所需的租借次数必须大于0"),
                          QStringLiteral("Settings"));
    InTransaction(shop, [&] {
        // Only the members whose level moves: a row rewritten for nothing
        // costs its page, its rules and its triggers.
        const QString level = QStringLiteral("CASE WHEN CAST(COALESCE(yjps, 0) AS INTEGER) / ?"
                                             " < ? THEN CAST(COALESCE(yjps, 0) AS INTEGER) / ?"
                                             " ELSE ? END");
        const QVariantList values = {rentalsPerLevel, levels, rentalsPerLevel, levels};
        RunSql(
            shop,
            QStringLiteral("UPDATE hyxx SET hydj = %1 WHERE hydj IS NULL OR hydj <> %1").arg(level),
            values + values);
        shop.announce(ShopChange::Members, ShopOperation::MemberLevels);
    });
}
