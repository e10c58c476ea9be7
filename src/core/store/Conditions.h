#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

// The conditions of a query or deletion, joined with AND in the order they
// are added; every value is bound, never pasted into the statement. An empty
// value adds no condition.
// The sort of a grid heading: the column its caption names, as a one-column
// sort list; empty for a caption not in the table.
using HeadingColumns = QList<std::pair<QString, QString>>;
QStringList SortForHeading(const QString& heading, const HeadingColumns& columns);

class Conditions
{
public:
    // column = value
    void equal(const QString& column, const QString& value);
    // the column's text contains the value (case-sensitive, anywhere)
    void contains(const QString& column, const QString& value);
    // column = value, with the value compared as a number
    void equalNumber(const QString& column, const QVariant& value);
    // any piece with its own placeholders
    void add(const QString& piece, const QVariantList& values = {});

    bool isEmpty() const { return pieces_.isEmpty(); }
    // "" or " WHERE a = ? AND b = ?"
    QString where() const;
    // "a = ? AND b = ?" (empty when there are none)
    QString joined() const;
    const QVariantList& values() const { return values_; }
    const QStringList& pieces() const { return pieces_; }

private:
    QStringList pieces_;
    QVariantList values_;
};
