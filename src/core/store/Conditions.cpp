#include "Conditions.h"

QStringList SortForHeading(const QString& heading, const HeadingColumns& columns)
{
    for (const auto& [text, column] : columns)
        if (text == heading)
            return {column};
    return {};
}

void Conditions::equal(const QString& column, const QString& value)
{
    if (!value.isEmpty())
        add(column + QStringLiteral(" = ?"), {value});
}

void Conditions::contains(const QString& column, const QString& value)
{
    if (!value.isEmpty())
        add(QStringLiteral("instr(%1, ?) > 0").arg(column), {value});
}

void Conditions::equalNumber(const QString& column, const QVariant& value)
{
    if (value.isValid())
        add(column + QStringLiteral(" = ?"), {value});
}

void Conditions::add(const QString& piece, const QVariantList& values)
{
    pieces_ << piece;
    values_ << values;
}

QString Conditions::joined() const
{
    return pieces_.join(QStringLiteral(" AND "));
}

QString Conditions::where() const
{
    return isEmpty() ? QString() : QStringLiteral(" WHERE ") + joined();
}
