#include "Counts.h"

#include "Database.h"

#include <QSqlQuery>

QString DiscCountText()
{
    QSqlQuery query =
        RunSql(QStringLiteral("SELECT COUNT(*), COUNT(CASE WHEN ydlx = 'VCD' THEN 1 END),"
                              " COUNT(CASE WHEN ydlx = 'DVD' THEN 1 END) FROM ydxx"));
    query.next();
    return QStringLiteral("本店影碟库共有影碟 %1 张  |  其中VCD %2 张 , DVD %3 张")
        .arg(query.value(0).toLongLong())
        .arg(query.value(1).toLongLong())
        .arg(query.value(2).toLongLong());
}

QString MemberCountText()
{
    const qint64 members = RunScalar(QStringLiteral("SELECT COUNT(*) FROM hyxx")).toLongLong();
    return QStringLiteral("本店共有 %1 名会员").arg(members);
}
