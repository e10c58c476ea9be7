#pragma once

#include <QString>

enum class NewPasswordCheck
{
    Ok,
    Mismatch,
    TooShort,
    BadCharacter
};

// The checks on a new administrator password, in the order they are reported:
// both entries equal, at least 5 characters, only ASCII letters and digits.
NewPasswordCheck CheckNewPassword(const QString& password, const QString& confirmation);

// What the clerk is told when the check fails; empty when it passes.
QString NewPasswordRefusal(const QString& password, const QString& confirmation);
