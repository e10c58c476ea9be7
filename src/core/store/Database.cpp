#include "Database.h"

#include "Errors.h"
#include "ProgramFolder.h"
#include "ServerAddress.h"
#include "Shop.h"
#include "SqlSupport.h"

#include <QCoreApplication>

// Where the shop is, reaching it, and the shop that programs without a main
// window open.
using namespace store;

QString DatabasePath()
{
    return JoinPath(ProgramFolder(), QStringLiteral("MOVRNT.db"));
}

namespace {
QString chosenLocation;
}

QString ShopLocation()
{
    return chosenLocation.isEmpty() ? DatabasePath() : chosenLocation;
}

void SetShopLocation(const QString& location)
{
    chosenLocation = location;
}

QString ServerShopProblem(const QString& url, int timeoutSeconds)
{
    QString problem;
    // Of its own: a try given up on may still be waiting for its answer.
    const QString name = QStringLiteral("movrnt-test-connection-%1").arg(quintptr(&problem));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        try {
            ServerAddress address = ParseServerUrl(url);
            if (std::none_of(address.options.cbegin(), address.options.cend(),
                             [](const auto& option) { return option.first == u"connect_timeout"; }))
                address.options.append(
                    {QStringLiteral("connect_timeout"), QString::number(timeoutSeconds)});
            address.apply(db);
            if (!db.open())
                problem = QStringLiteral("无法连接数据库服务器 %1：%2")
                              .arg(address.display(), DatabaseErrorText(db.lastError()));
            else if (!Exists(db, QStringLiteral("table"), QStringLiteral("ydxx")))
                problem = QStringLiteral("数据库服务器上的数据库 %1 中还没有影碟店的数据（请先用 "
                                         "movrnt --copy-to 把影碟店的数据复制过去）")
                              .arg(address.display());
        } catch (const MovrntError& error) {
            problem = error.description();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return problem;
}

namespace {
// Closed with the application, before the connections' own globals go: a
// static owner would close it after them.
Shop* standing = nullptr;
} // namespace

void OpenDatabase(const UpgradeProgress& progress)
{
    OpenDatabase(ShopLocation(), progress);
}

void OpenDatabase(const QString& location, const UpgradeProgress& progress)
{
    CloseDatabase();
    static const bool closedAtExit = [] {
        qAddPostRoutine(CloseDatabase);
        return true;
    }();
    Q_UNUSED(closedAtExit);
    standing = new Shop(location, progress);
    SetSessionShop(standing);
}

void CloseDatabase()
{
    delete std::exchange(standing, nullptr);
}
