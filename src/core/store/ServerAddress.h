#pragma once

#include <QList>
#include <QString>
#include <utility>

class QSqlDatabase;

// A shop's database on a PostgreSQL server, named by a libpq connection URI:
// postgresql://user@host:port/dbname[?option=value&...]. Passwords never come
// from the URI (nor the command line, nor a settings value): libpq reads them
// from ~/.pgpass or PGPASSFILE.
struct ServerAddress
{
    QString host;
    int port = 5432;
    QString database;
    QString user;
    QList<std::pair<QString, QString>> options; // libpq's own keywords

    // user@host:port/dbname, as messages name the server.
    QString display() const;
    // Sets a QPSQL connection up to reach it; throws MovrntError when the
    // driver is missing.
    void apply(QSqlDatabase& db) const;
};

bool IsServerUrl(const QString& text);
// Throws MovrntError for a text that is no such URI or that carries a password.
ServerAddress ParseServerUrl(const QString& url);

// What libpq said when a connection failed, as a shop owner can follow it:
// a Chinese sentence (refused, no such host, timed out, password, no such
// database or user, too many connections, not let in), then the original
// words, blanks made one, on a detail line. Unknown failures keep their words.
QString ConnectionFailureText(const QString& libpqText);
