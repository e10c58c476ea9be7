#pragma once

#include "core/stats/Reports.h"

class QPrinter;
class QWidget;

// The band layout every report shares: the report header (title and a rule)
// on the first page, the page header (the headings where the columns start)
// on every page, one detail line a row, and the page footer (the program's
// name at 8 cm, the page number, a rule). Rows are read as the pages are
// drawn, so a report of any length holds one row at a time.
class ReportRenderer
{
public:
    explicit ReportRenderer(Report report) : report_(DefinitionOf(report)) {}
    explicit ReportRenderer(ReportDefinition report) : report_(std::move(report)) {}
    // Draws the whole report; returns the number of pages. Throws MovrntError.
    int paint(QPrinter* printer) const;
    // Writes the report as a PDF file. Throws MovrntError.
    void exportPdf(const QString& path) const;

private:
    ReportDefinition report_;
};

// A report command: "没有数据，不能打印报表！" when the query returns nothing,
// else the modal print preview, with printing and saving as PDF.
void ShowReport(const ReportDefinition& report, QWidget* parent);
inline void ShowReport(Report report, QWidget* parent)
{
    ShowReport(DefinitionOf(report), parent);
}
