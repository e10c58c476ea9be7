#pragma once

#include "core/stats/Reports.h"

class QPrinter;
class Shop;
class QWidget;

// The band layout every report shares: the report header (title and a rule)
// on the first page, the page header (the headings where the columns start)
// on every page, one detail line a row, and the page footer (the program's
// name at 8 cm, the page number, a rule). Rows are read as the pages are
// drawn, so a report of any length holds one row at a time.
class ReportRenderer
{
public:
    ReportRenderer(Shop& shop, Report report) : shop_(shop), report_(DefinitionOf(report)) {}
    ReportRenderer(Shop& shop, ReportDefinition report) : shop_(shop), report_(std::move(report)) {}
    // Draws the whole report; returns the number of pages. Throws MovrntError.
    int paint(QPrinter* printer) const;
    // Writes the report as a PDF file. Throws MovrntError.
    void exportPdf(const QString& path) const;

private:
    Shop& shop_;
    ReportDefinition report_;
};

// A report command: "没有数据，不能打印报表！" when the query returns nothing,
// else the modal print preview, with printing and saving as PDF.
void ShowReport(Shop& shop, const ReportDefinition& report, QWidget* parent);
// A list's rows as a workbook of one sheet, in a file the clerk chooses;
// `what` names the list in the chooser's title and the messages.
void ExportReportList(Shop& shop, const ReportDefinition& report, const QString& what,
                      const QString& sheet, QWidget* parent);
inline void ShowReport(Shop& shop, Report report, QWidget* parent)
{
    ShowReport(shop, DefinitionOf(report), parent);
}
