#include "Money.h"

#include "Numbers.h"

#include <cmath>
#include <cstdlib>

std::optional<Money> ParseMoney(const QString& text)
{
    if (!IsNumeric(text))
        return std::nullopt;
    return StoredMoney(NumberValue(text));
}

std::optional<Money> StoredMoney(double yuan)
{
    if (!std::isfinite(yuan) || std::fabs(yuan) > kMaxYuan)
        return std::nullopt;
    return MoneyFromDouble(yuan);
}

Money MoneyFromDouble(double yuan)
{
    return std::llround(yuan * double(kYuan));
}

double MoneyToDouble(Money amount)
{
    return double(amount) / double(kYuan);
}

QString MoneyText(Money amount)
{
    const bool negative = amount < 0;
    // Unsigned, so that the most negative amount has a magnitude too.
    const quint64 absolute = negative ? 0 - quint64(amount) : quint64(amount);
    QString text = QString::number(absolute / kYuan);
    const quint64 fraction = absolute % kYuan;
    if (fraction != 0) {
        QString digits = QStringLiteral("%1").arg(fraction, 4, 10, QChar(u'0'));
        while (digits.endsWith(u'0'))
            digits.chop(1);
        text += u'.' + digits;
    }
    return negative ? u'-' + text : text;
}

std::optional<Money> AddMoney(Money a, Money b)
{
    Money sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return std::nullopt;
    return sum;
}

std::optional<Money> SubtractMoney(Money a, Money b)
{
    Money difference = 0;
    if (__builtin_sub_overflow(a, b, &difference))
        return std::nullopt;
    return difference;
}

std::optional<Money> MultiplyMoney(Money amount, qint64 factor)
{
    Money product = 0;
    if (__builtin_mul_overflow(amount, factor, &product))
        return std::nullopt;
    return product;
}

std::optional<qint64> RoundHalfEven(qint64 value, qint64 step)
{
    qint64 quotient = value / step;
    qint64 remainder = value % step;
    if (remainder < 0) {
        remainder += step;
        --quotient;
    }
    if (2 * remainder > step || (2 * remainder == step && (quotient % 2 != 0)))
        ++quotient;
    return MultiplyMoney(quotient, step);
}
