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
    QString password; // a person's, typed at the logon; never from the URI
    QList<std::pair<QString, QString>> options; // libpq's own keywords

    // user@host:port/dbname, as messages name the server.
    QString display() const;
    // Sets a QPSQL connection up to reach it; throws MovrntError when the
    // driver is missing.
    void apply(QSqlDatabase& db) const;
};

bool IsServerUrl(const QString& text);
// From now on every connection to the shop logs in as `user` with `password`
// (a person of the shop, as typed at the logon; kept in memory only) instead
// of the address's own user. An empty user returns to the address's own.
void SetServerLogin(const QString& user, const QString& password);
std::pair<QString, QString> ServerLogin(); // user, password; empty: the address's own
// Whether libpq's words say the server refused the login itself (no such
// user, a wrong or missing password, not permitted to log in).
bool LoginRefused(const QString& libpqText);
// Throws MovrntError for a text that is no such URI or that carries a
// password. The user is the one logged on (SetServerLogin), if any.
ServerAddress ParseServerUrl(const QString& url);

// What libpq said when a connection failed, as a shop owner can follow it:
// a Chinese sentence (refused, no such host, timed out, password, no such
// database or user, too many connections, not let in), then the original
// words, blanks made one, on a detail line. Unknown failures keep their words.
QString ConnectionFailureText(const QString& libpqText);
