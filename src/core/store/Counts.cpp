#include "Counts.h"
#include "core/store/Shop.h"

#include "Database.h"
#include "Totals.h"

#include <QSqlQuery>

QString DiscCountText(Shop& shop)
{
    // The discs per type as the totals keep them: one read, their sum the whole.
    qint64 all = 0, vcd = 0, dvd = 0;
    QSqlQuery types =
        RunSql(shop, QStringLiteral("SELECT zt, sl FROM jlsl WHERE bm = 'ydxx' AND zd = 'ydlx'"));
    while (types.next()) {
        const qint64 count = types.value(1).toLongLong();
        all += count;
        if (types.value(0).toString() == u"VCD")
            vcd = count;
        else if (types.value(0).toString() == u"DVD")
            dvd = count;
    }
    return QStringLiteral("本店影碟库共有影碟 %1 张  |  其中VCD %2 张 , DVD %3 张")
        .arg(all)
        .arg(vcd)
        .arg(dvd);
}

QString MemberCountText(Shop& shop)
{
    return QStringLiteral("本店共有 %1 名会员").arg(TableCount(shop, QStringLiteral("hyxx")));
}
