#pragma once

#include <QSqlQuery>
#include <QString>
#include <QStringList>

// The four printed lists of the 打印报表 menu.
enum class Report
{
    AllDiscs,           // DRYDXX
    DiscsOut,           // DRWHYDXX
    AllMembers,         // DRHYXX
    MembersWithDiscsOut // DRWHHYXX
};

struct ReportDefinition
{
    QString previewCaption;
    QString title;
    QStringList headings; // four, over the four columns of the query
    QString sql;
};
const ReportDefinition& DefinitionOf(Report report);

// How many detail lines the report has. Throws MovrntError.
qint64 ReportLineCount(Report report);
// The report's rows, read one by one as the pages are drawn. Throws MovrntError.
QSqlQuery ReportRows(Report report);
