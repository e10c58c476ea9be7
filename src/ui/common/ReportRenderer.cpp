#include "ReportRenderer.h"
#include "core/store/Shop.h"

#include "ui/auxiliary/ComnDialogBox.h"
#include "ui/common/MessageBox.h"
#include "ui/common/PrintPreview.h"
#include "ui/common/WindowSupport.h"

#include "core/maintenance/Workbook.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QSqlQuery>
#include <algorithm>
#include <optional>

namespace {
const QString kFooter = QStringLiteral("凯络影碟出租管理系统");

// Where each column starts when each is as wide as its heading and its
// longest value, a gap between them; past the page, the widest gives way.
QList<double> FittedColumns(Shop& shop, const ReportDefinition& definition,
                            const QFontMetricsF& heading, const QFontMetricsF& body, double gap,
                            double pageWidth)
{
    QList<double> widths;
    for (const QString& text : definition.headings)
        widths << heading.horizontalAdvance(text);
    const std::unique_ptr<TextRows> rows = ReportRows(shop, definition);
    while (rows->next())
        for (qsizetype c = 0; c < widths.size(); ++c)
            widths[c] = std::max(widths[c], body.horizontalAdvance(rows->text(int(c))));
    double total = 0;
    for (double& width : widths)
        total += width += gap;
    if (total > pageWidth && !widths.isEmpty()) {
        double& widest = *std::max_element(widths.begin(), widths.end());
        widest = std::max(widest - (total - pageWidth), gap);
    }
    QList<double> starts;
    double at = 0;
    for (double width : widths) {
        starts << at;
        at += width;
    }
    return starts;
}
} // namespace

int ReportRenderer::paint(QPrinter* printer) const
{
    const ReportDefinition& definition = report_;
    const qint64 lines = ReportLineCount(shop_, report_);
    const std::unique_ptr<TextRows> rows = ReportRows(shop_, report_);

    QPainter painter;
    if (!painter.begin(printer))
        throw MovrntError(QStringLiteral("无法打开打印机"), QStringLiteral("Report"));
    const double cm = printer->resolution() / 2.54;
    const QRectF area =
        printer->pageLayout()
            .paintRectPixels(printer->resolution())
            .translated(-printer->pageLayout().paintRectPixels(printer->resolution()).topLeft());
    const QFont body = PrintFont(10), heading = PrintFont(10, true), title = PrintFont(16, true);
    const double line = QFontMetricsF(body, printer).height() * 1.5;
    const double titleBand = QFontMetricsF(title, printer).height() * 2;
    const double footerBand = line * 2;
    const auto perPage = [&](bool first) {
        return std::max<qint64>(
            1, qint64((area.height() - (first ? titleBand : 0) - line * 1.5 - footerBand) / line));
    };
    const qint64 pages = lines <= perPage(true)
                             ? 1
                             : 1 + (lines - perPage(true) + perPage(false) - 1) / perPage(false);
    QList<double> columns;
    if (definition.fitColumns)
        columns = FittedColumns(shop_, definition, QFontMetricsF(heading, printer),
                                QFontMetricsF(body, printer), 0.3 * cm, area.width());
    else
        for (double at : definition.columnsCm)
            columns << at * cm;
    const int count = int(std::min(columns.size(), definition.headings.size()));
    const auto cellWidth = [&](int c) {
        return (c + 1 < count ? columns[c + 1] : area.width()) - columns[c] - 0.2 * cm;
    };

    for (qint64 page = 1; page <= pages; ++page) {
        if (page > 1)
            printer->newPage();
        double y = 0;
        if (page == 1) { // report header
            painter.setFont(title);
            painter.drawText(QRectF(0, y, area.width(), titleBand), Qt::AlignCenter,
                             definition.title);
            y += titleBand;
            painter.drawLine(QPointF(0, y - line * 0.3), QPointF(area.width(), y - line * 0.3));
        }
        painter.setFont(heading); // page header
        for (int c = 0; c < count; ++c)
            painter.drawText(QRectF(columns[c], y, cellWidth(c), line),
                             Qt::AlignLeft | Qt::AlignVCenter, definition.headings[c]);
        y += line * 1.5;
        painter.setFont(body); // detail
        const QFontMetricsF metrics(body, printer);
        for (qint64 i = 0; i < perPage(page == 1) && rows->next(); ++i) {
            for (int c = 0; c < count; ++c)
                painter.drawText(QRectF(columns[c], y, cellWidth(c), line),
                                 Qt::AlignLeft | Qt::AlignVCenter,
                                 metrics.elidedText(rows->text(c), Qt::ElideRight, cellWidth(c)));
            y += line;
        }
        const double footer = area.height() - footerBand; // page footer
        painter.drawLine(QPointF(0, footer), QPointF(area.width(), footer));
        painter.drawText(QRectF(8 * cm, footer, area.width() - 8 * cm, line),
                         Qt::AlignLeft | Qt::AlignVCenter, kFooter);
        painter.drawText(QRectF(0, footer, area.width(), line), Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("第 %1 页  共 %2 页").arg(page).arg(pages));
    }
    painter.end();
    return int(pages);
}

void ReportRenderer::exportPdf(const QString& path) const
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setDocName(report_.title);
    paint(&printer);
}

void ShowReport(Shop& shop, const ReportDefinition& definition, QWidget* parent)
{
    BusyStatus busy(QStringLiteral("正在生成报表 ..."), true);
    qint64 lines = 0;
    try {
        lines = ReportLineCount(shop, definition);
    } catch (const MovrntError& error) {
        busy.done();
        ReportError(error);
        return;
    }
    if (lines == 0) {
        busy.done();
        Notice(QStringLiteral("没有数据，不能打印报表！"));
        return;
    }
    const ReportRenderer renderer(shop, definition);
    busy.done();
    // Reported once the preview is closed, not in the middle of its painting.
    std::optional<MovrntError> failure;
    ShowPrintPreview(
        definition.previewCaption, definition.title,
        [&renderer, &failure](QPrinter* printer) {
            try {
                renderer.paint(printer);
                return true;
            } catch (const MovrntError& error) {
                failure = error;
                return false;
            }
        },
        parent);
    if (failure)
        ReportError(*failure);
}

void ExportReportList(Shop& shop, const ReportDefinition& report, const QString& what,
                      const QString& sheet, QWidget* parent)
{
    QString path = ComnSaveDialogBox(parent, QStringLiteral("导出") + what,
                                     QStringLiteral("Excel工作簿"), QStringLiteral("*.xlsx"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".xlsx");
    try {
        BusyStatus busy(QStringLiteral("正在导出%1 ...").arg(what), true);
        QSqlQuery rows = ReportQuery(shop, report);
        ExportListWorkbook(path, sheet, report.headings, rows);
    } catch (const MovrntError& error) {
        ReportError(error);
        return;
    }
    Notice(what + QStringLiteral("已导出到 ") + path);
}
