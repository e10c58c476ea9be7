#pragma once

#include <QString>
#include <QStringList>

// A statement typed in the expert window, as the database reads it.
struct TypedStatement
{
    QString sql;         // the one statement, without a closing ';'
    QStringList columns; // the result columns; empty for a statement that returns none
    bool readOnly = false;
};

// Reads the typed text without running it. Throws MovrntError with the
// database's own words for a statement it cannot read, and for a text that
// holds more than one statement (nothing after the first would be run).
TypedStatement ReadTypedStatement(const QString& text);
// Runs a statement that shows no grid (it changes data, or defines tables),
// exactly once. Throws MovrntError.
void RunTypedStatement(const TypedStatement& statement);
// The FROM part that pages through a read-only statement's rows.
QString TypedRowsSource(const TypedStatement& statement);
