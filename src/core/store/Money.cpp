#include "Money.h"

#include "Numbers.h"

#include <cmath>
#include <cstdlib>

std::optional<Money> ParseMoney(const QString& text)
{
    if (!IsNumeric(text))
        return std::nullopt;
    const double value = NumberValue(text);
    if (std::fabs(value) > 1e14)
        return std::nullopt;
    return MoneyFromDouble(value);
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
    const qint64 absolute = std::llabs(amount);
    QString text = QString::number(absolute / kYuan);
    qint64 fraction = absolute % kYuan;
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

std::optional<Money> MultiplyMoney(Money amount, qint64 factor)
{
    Money product = 0;
    if (__builtin_mul_overflow(amount, factor, &product))
        return std::nullopt;
    return product;
}

qint64 RoundHalfEven(qint64 value, qint64 step)
{
    qint64 quotient = value / step;
    qint64 remainder = value % step;
    if (remainder < 0) {
        remainder += step;
        --quotient;
    }
    if (2 * remainder > step || (2 * remainder == step && (quotient % 2 != 0)))
        ++quotient;
    return quotient * step;
}
