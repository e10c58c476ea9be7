#include "Reports.h"

#include "store/Database.h"

const ReportDefinition& DefinitionOf(Report report)
{
    static const ReportDefinition definitions[] = {
        {"所有影碟信息报表(打印预览)",
         "影碟信息报表",
         {"影碟编号", "片名", "影片类型", "影碟类型"},
         "SELECT bh , pm , lx , ydlx FROM ydxx ORDER BY ydlx , lx"},
        {"未还影碟信息报表(打印预览)",
         "未还影碟信息报表",
         {"影碟编号", "片名", "影碟类型", "出租日期"},
         "SELECT a.bh , pm , ydlx , czrq FROM ydxx AS a , zjxx AS b WHERE a.bh = b.bh AND sfycz = "
         "'是' AND sfyh = '否' ORDER BY ydlx , czrq"},
        {"所有会员信息报表（打印预览）",
         "会员信息报表",
         {"会员编号", "姓名", "联系电话", "入会日期"},
         "SELECT hybh , hyxm , lxdh , rhrq FROM hyxx ORDER BY rhrq , hyxm"},
        {"有影碟未还的会员信息报表（打印预览）",
         "有影碟未还的会员信息报表",
         {"会员编号", "姓名", "会员等级", "联系电话"},
         "SELECT DISTINCT a.hybh , hyxm , hydj , lxdh FROM hyxx AS a , zjxx AS b WHERE a.hybh = "
         "b.hybh AND sfyh = '否' ORDER BY hydj , hyxm"},
    };
    return definitions[int(report)];
}

qint64 ReportLineCount(Report report)
{
    return RunScalar(QStringLiteral("SELECT COUNT(*) FROM (") + DefinitionOf(report).sql + u')')
        .toLongLong();
}

QSqlQuery ReportRows(Report report)
{
    return RunSql(DefinitionOf(report).sql);
}
