#include "Numbers.h"

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

double NumberValue(const QString& text)
{
    return text.trimmed().toDouble();
}

QString AmountText(double yuan)
{
    return QString::number(yuan, 'g', 15);
}
