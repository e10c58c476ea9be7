#include "ReportRenderer.h"

#include "app/MessageBox.h"
#include "app/Seams.h"
#include "auxiliary/ComnDialogBox.h"
#include "common/WindowSupport.h"

#include "store/Errors.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>
#include <optional>

namespace {
const QString kFooter = QStringLiteral("凯络影碟出租管理系统");

QFont Font(int points, bool bold = false)
{
    QFont font = QApplication::font();
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}
} // namespace

int ReportRenderer::paint(QPrinter* printer) const
{
    const ReportDefinition& definition = DefinitionOf(report_);
    const qint64 lines = ReportLineCount(report_);
    QSqlQuery rows = ReportRows(report_);

    QPainter painter;
    if (!painter.begin(printer))
        throw MovrntError(QStringLiteral("无法打开打印机"), QStringLiteral("Report"));
    const double cm = printer->resolution() / 2.54;
    const QRectF area =
        printer->pageLayout()
            .paintRectPixels(printer->resolution())
            .translated(-printer->pageLayout().paintRectPixels(printer->resolution()).topLeft());
    const QFont body = Font(10), heading = Font(10, true), title = Font(16, true);
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
    const double columns[] = {1 * cm, 4 * cm, 7 * cm, 10 * cm};
    const auto cellWidth = [&](int c) {
        return (c < 3 ? columns[c + 1] : area.width()) - columns[c] - 0.2 * cm;
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
        for (int c = 0; c < 4; ++c)
            painter.drawText(QRectF(columns[c], y, cellWidth(c), line),
                             Qt::AlignLeft | Qt::AlignVCenter, definition.headings[c]);
        y += line * 1.5;
        painter.setFont(body); // detail
        const QFontMetricsF metrics(body, printer);
        for (qint64 i = 0; i < perPage(page == 1) && rows.next(); ++i) {
            for (int c = 0; c < 4; ++c)
                painter.drawText(
                    QRectF(columns[c], y, cellWidth(c), line), Qt::AlignLeft | Qt::AlignVCenter,
                    metrics.elidedText(rows.value(c).toString(), Qt::ElideRight, cellWidth(c)));
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
    printer.setDocName(DefinitionOf(report_).title);
    paint(&printer);
}

void ShowReport(Report report, QWidget* parent)
{
    const ReportDefinition& definition = DefinitionOf(report);
    BusyStatus busy(QStringLiteral("正在生成报表 ..."), true);
    qint64 lines = 0;
    try {
        lines = ReportLineCount(report);
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
    const ReportRenderer renderer(report);
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setObjectName(QStringLiteral("ReportPreview"));
    preview.setWindowTitle(definition.previewCaption);
    std::optional<MovrntError> failure;
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&renderer, &failure](QPrinter* target) {
                         // Thousands of pages take seconds: the work is shown.
                         BusyStatus painting(QStringLiteral("正在生成报表 ..."), true);
                         try {
                             renderer.paint(target);
                         } catch (const MovrntError& error) {
                             failure = error;
                         }
                     });
    if (auto* tools = preview.findChild<QToolBar*>()) {
        QAction* pdf = tools->addAction(QStringLiteral("导出PDF"));
        pdf->setObjectName(QStringLiteral("ExportPdf"));
        QObject::connect(pdf, &QAction::triggered, &preview, [&preview, &renderer, &definition] {
            QString path = ComnSaveDialogBox(&preview, QStringLiteral("导出PDF"),
                                             QStringLiteral("PDF文件"), QStringLiteral("*.pdf"));
            if (path.isEmpty())
                return;
            if (QFileInfo(path).suffix().isEmpty())
                path += QStringLiteral(".pdf");
            try {
                BusyStatus exporting(QStringLiteral("正在导出报表 ..."), true);
                renderer.exportPdf(path);
            } catch (const MovrntError& error) {
                ReportError(error);
                return;
            }
            Notice(definition.title + QStringLiteral("已导出到 ") + path);
        });
    }
    if (parent)
        preview.resize(parent->window()->size() * 0.9);
    busy.done();
    ExecModal(preview);
    if (failure)
        ReportError(*failure);
}
