#pragma once

#include <QString>
#include <optional>

// Money is counted exactly, in ten-thousandths of a yuan: no binary fractions
// between what the customer is told and what is stored.
using Money = qint64;
inline constexpr Money kYuan = 10000;

// A typed or stored amount (any form IsNumeric accepts); nothing when it is not a number.
std::optional<Money> ParseMoney(const QString& text);
Money MoneyFromDouble(double yuan);
double MoneyToDouble(Money amount);
// The shortest decimal form: 21, 7.5, 0.05.
QString MoneyText(Money amount);
// Sums and products that say so when they would pass the 64-bit range.
std::optional<Money> AddMoney(Money a, Money b);
std::optional<Money> MultiplyMoney(Money amount, qint64 factor);
// value / divisor rounded to the nearest multiple of step, ties to the even multiple.
qint64 RoundHalfEven(qint64 value, qint64 step);
