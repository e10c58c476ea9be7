#pragma once

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>

class Shop;
class TextRows;

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
    QStringList headings; // one over each column of the query
    QString sql;
    QVariantList values = {};
    QList<double> columnsCm = {1, 4, 7, 10}; // where each column starts
    // Columns as wide as their longest value instead (a short list read
    // twice): nothing in them is cut, the widest one giving way if the page
    // is too narrow.
    bool fitColumns = false;
    // The open rentals' partial index the rentals (zjxx AS b) are read by.
    QString openRentalsIndex = {};
};
const ReportDefinition& DefinitionOf(Report report);

// How many detail lines the report has. Throws MovrntError.
qint64 ReportLineCount(Shop& shop, const ReportDefinition& report);
// The report's rows as text, read one by one as the pages are drawn. Throws MovrntError.
std::unique_ptr<TextRows> ReportRows(Shop& shop, const ReportDefinition& report);
// The same rows with their values' types, for a workbook. Throws MovrntError.
QSqlQuery ReportQuery(Shop& shop, const ReportDefinition& report);

// The overdue call list as a printed list, the latest first.
ReportDefinition OverdueCallReport(qint64 alertDays);
// The open reservations as a printed list, by number.
ReportDefinition ReservationReport();
// A stocktake's results: the discs missing, the discs out by the records, the
// numbers no disc has, in that order.
ReportDefinition StocktakeReport(const struct Stocktake& stocktake);
