#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QSqlDatabase;

// On a server each person of the shop is a login role of the server, in the
// group movrnt_owner or movrnt_clerk; the table czry lists them (name, role,
// disabled; never a password: the server keeps that). Roles are made,
// renamed, disabled and re-passworded only through the functions below,
// owned by the tables' owner (who needs CREATEROLE) and run by the shop's
// owners; they act on no role outside the shop's people.

// The people's table and its grants (the tables' owner makes it).
QStringList ServerPeopleTable(const QStringList& groups);
// The functions, for the schema `quotedSchema` (their search path names none).
QStringList ServerPeopleFunctions(const QString& quotedSchema);

// The server's own verifier (SCRAM-SHA-256) of a person's password, made on
// this side so the password itself never travels in a statement. Empty when
// libpq cannot make it. `db` is an open connection to the server.
QByteArray ServerPasswordVerifier(const QSqlDatabase& db, const QString& user,
                                  const QString& password);
