#include "DistinctNames.h"

QStringList& DistinctNameList()
{
    static QStringList list;
    return list;
}

bool InWordList(const QString& text)
{
    return DistinctNameList().contains(text, Qt::CaseSensitive);
}
