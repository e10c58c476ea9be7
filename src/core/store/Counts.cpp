#include "Counts.h"

#include "Totals.h"

QString DiscCountText()
{
    return QStringLiteral("本店影碟库共有影碟 %1 张  |  其中VCD %2 张 , DVD %3 张")
        .arg(TableCount(QStringLiteral("ydxx")))
        .arg(TableCount(QStringLiteral("ydxx"), QStringLiteral("ydlx"), QStringLiteral("VCD")))
        .arg(TableCount(QStringLiteral("ydxx"), QStringLiteral("ydlx"), QStringLiteral("DVD")));
}

QString MemberCountText()
{
    return QStringLiteral("本店共有 %1 名会员").arg(TableCount(QStringLiteral("hyxx")));
}
