#pragma once

#include "Settings.h"

#include <QList>
#include <QString>
#include <optional>

class Shop;

// A number of the function-parameter dialog: a label stepped by two arrows.
struct Stepper
{
    Setting setting;
    QString prefix; // "￥" before the money amounts
    int lower, upper, step;
};
// The steppers: backup interval, VCD and DVD deposits, alert days, levels,
// rentals per level, the late fee a day.
const QList<Stepper>& Steppers();
const Stepper& StepperOf(Setting setting);

// One arrow click on a label showing `text`. A bound is recognised by its
// exact text, so a value off the steps (stored by other means) steps past it;
// a text that is no number stays as it is.
QString StepText(const Stepper& stepper, const QString& text, bool up);
// The label's text for a stored value: the prefix and the digits.
QString StepperText(const Stepper& stepper, const QString& value);
// The stored value for a label's text: without the prefix.
QString StepperValue(const Stepper& stepper, const QString& text);

// The automatic backup's interval in milliseconds (a 64-bit product), while
// AutoBackup is "True" and AutoBackupTime a whole number of seconds above 0;
// nothing otherwise.
std::optional<qint64> AutoBackupInterval();

// Sets every member's level from his borrowed count: one level for every
// full `rentalsPerLevel` rentals, at most `levels`; one statement in one
// transaction, so a failure changes no member. Throws MovrntError.
void RecomputeMemberLevels(Shop& shop, qint64 rentalsPerLevel, qint64 levels);
