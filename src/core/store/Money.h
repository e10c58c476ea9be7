#pragma once

#include <QString>
#include <optional>

// Money is counted exactly, in ten-thousandths of a yuan: no binary fractions
// between what the customer is told and what is stored.
using Money = qint64;
inline constexpr Money kYuan = 10000;

// A typed or stored amount (any form IsNumeric accepts); nothing when it is not a number
// or beyond kMaxYuan either way.
std::optional<Money> ParseMoney(const QString& text);
inline constexpr double kMaxYuan = 1e14;
// A stored amount; nothing when it is not finite or beyond kMaxYuan either way
// (a file edited elsewhere can hold anything).
std::optional<Money> StoredMoney(double yuan);
// Only for amounts known to be within kMaxYuan.
Money MoneyFromDouble(double yuan);
double MoneyToDouble(Money amount);
// The shortest decimal form: 21, 7.5, 0.05.
QString MoneyText(Money amount);
// What a refusal says of an amount past counting.
inline const QString kBeyondCounting = QStringLiteral("金额超出可以计算的范围");
// Sums and products that say so when they would pass the 64-bit range.
std::optional<Money> AddMoney(Money a, Money b);
std::optional<Money> MultiplyMoney(Money amount, qint64 factor);
std::optional<Money> SubtractMoney(Money a, Money b);
// value rounded to the nearest multiple of step (> 0), ties to the even
// multiple; nothing when that multiple is past the 64-bit range.
std::optional<qint64> RoundHalfEven(qint64 value, qint64 step);
