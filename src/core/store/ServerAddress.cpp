#include "ServerAddress.h"

#include <QRegularExpression>

#include "Errors.h"

#include <QSqlDatabase>
#include <QUrl>
#include <QUrlQuery>
#include <algorithm>

namespace {
const QString kSource = QStringLiteral("PostgreSQL");
std::pair<QString, QString> login; // user, password
} // namespace

void SetServerLogin(const QString& user, const QString& password)
{
    login = {user, user.isEmpty() ? QString() : password};
}

std::pair<QString, QString> ServerLogin()
{
    return login;
}

bool LoginRefused(const QString& libpqText)
{
    static const QRegularExpression refused(QStringLiteral(
        "password authentication failed|no password supplied|is not permitted to log in|"
        "SCRAM authentication|role \".*\" does not exist"));
    return refused.match(libpqText).hasMatch();
}

bool IsServerUrl(const QString& text)
{
    return text.startsWith(QStringLiteral("postgresql://")) ||
           text.startsWith(QStringLiteral("postgres://"));
}

ServerAddress ParseServerUrl(const QString& url)
{
    const QUrl parsed(url, QUrl::StrictMode);
    if (!IsServerUrl(url) || !parsed.isValid() || parsed.host().isEmpty())
        throw MovrntError(QStringLiteral("数据库服务器的地址无效（应为 "
                                         "postgresql://用户@主机:端口/数据库）：") +
                              url,
                          kSource);
    // "user:@host" carries an empty password: refused as well.
    const QString userPart = url.contains(u'@') ? url.section(u'@', 0, 0) : QString();
    if (!parsed.password().isEmpty() || userPart.section(QStringLiteral("//"), 1).contains(u':'))
        throw MovrntError(QStringLiteral("数据库服务器的地址中不能带密码：密码请写在 ~/.pgpass "
                                         "或 PGPASSFILE 指定的文件中"),
                          kSource);
    ServerAddress address;
    address.host = parsed.host();
    address.port = parsed.port(5432);
    address.database = parsed.path().mid(1);
    address.user = parsed.userName();
    if (!login.first.isEmpty()) {
        address.user = login.first;
        address.password = login.second;
    }
    if (address.database.isEmpty() || address.database.contains(u'/'))
        throw MovrntError(QStringLiteral("数据库服务器的地址中缺少数据库名：") + url, kSource);
    for (const auto& [key, value] : QUrlQuery(parsed).queryItems(QUrl::FullyDecoded)) {
        if (key == u"password")
            throw MovrntError(QStringLiteral("数据库服务器的地址中不能带密码：密码请写在 "
                                             "~/.pgpass 或 PGPASSFILE 指定的文件中"),
                              kSource);
        // The URL's own parts name the user, the server and the database, as
        // every message does: an option saying otherwise would reach another.
        if (key == u"user" || key == u"dbname" || key == u"host" || key == u"hostaddr" ||
            key == u"port" || key == u"service")
            throw MovrntError(
                QStringLiteral("数据库服务器的地址中不能用选项 %1 另指%2：请写在地址本身中"
                               "（postgresql://用户@主机:端口/数据库）")
                    .arg(key, key == u"dbname" ? QStringLiteral("数据库")
                              : key == u"user" ? QStringLiteral("用户")
                                               : QStringLiteral("服务器")),
                kSource);
        address.options.append({key, value});
    }
    return address;
}

QString ServerAddress::display() const
{
    return QStringLiteral("%1@%2:%3/%4").arg(user, host).arg(port).arg(database);
}

void ServerAddress::apply(QSqlDatabase& db) const
{
    if (!db.isValid()) // the driver is a package of its own
        throw MovrntError(
            QStringLiteral("缺少 PostgreSQL 数据库驱动，无法连接数据库服务器（请安装软件包 "
                           "libqt6sql6-psql）"),
            kSource);
    db.setHostName(host);
    db.setPort(port);
    db.setDatabaseName(database);
    db.setUserName(user);
    db.setPassword(password);
    QStringList connect;
    // A server out of reach is said so within seconds, not after minutes.
    if (std::none_of(options.cbegin(), options.cend(),
                     [](const auto& option) { return option.first == u"connect_timeout"; }))
        connect << QStringLiteral("connect_timeout=10");
    for (const auto& [key, value] : options) {
        QString quoted = value;
        quoted.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
        connect << key + QStringLiteral("='") + quoted + u'\'';
    }
    db.setConnectOptions(connect.join(u';'));
}

QString ConnectionFailureText(const QString& libpqText)
{
    const QString detail = libpqText.simplified();
    static const std::pair<const char*, const char*> meanings[] = {
        {"Connection refused", "数据库服务器拒绝连接：服务器上的数据库没有运行，或端口不对"},
        {"could not translate host name", "找不到这台服务器：请检查地址中的主机名"},
        {"Name or service not known", "找不到这台服务器：请检查地址中的主机名"},
        {"No route to host", "网络中找不到这台服务器：请检查网线和服务器的地址"},
        {"timeout expired", "连接数据库服务器超时：服务器没有响应，可能没有开机或被防火墙挡住"},
        {"password authentication failed", "数据库服务器拒绝登录：用户名或密码不对"},
        {"no password supplied", "数据库服务器要求密码，但本机没有保存这个用户的密码"},
        {"no pg_hba.conf entry",
         "数据库服务器不允许本机以这个用户连接这个数据库（请在服务器的 pg_hba.conf 中允许本机）"},
        {"too many connections", "数据库服务器的连接数已满，请稍后再试"},
        {"remaining connection slots", "数据库服务器的连接数已满，请稍后再试"},
        {"SSL", "数据库服务器要求加密连接（SSL）：请在地址后加上 ?sslmode=require"},
    };
    for (const auto& [words, meaning] : meanings)
        if (detail.contains(QLatin1String(words), Qt::CaseInsensitive))
            return QString::fromUtf8(meaning) + QStringLiteral("\n详细信息：") + detail;
    static const QRegularExpression missing(
        QStringLiteral("(database|role) \"([^\"]*)\" does not exist"));
    if (const QRegularExpressionMatch match = missing.match(detail); match.hasMatch())
        return (match.captured(1) == u"database"
                    ? QStringLiteral("数据库服务器上没有数据库 %1：请检查地址中的数据库名")
                    : QStringLiteral("数据库服务器上没有用户 %1：请检查地址中的用户名"))
                   .arg(match.captured(2)) +
               QStringLiteral("\n详细信息：") + detail;
    return detail;
}
