#include "MoneyDocumentView.h"

#include "PrintPreview.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

bool PaintMoneyDocument(const MoneyDocument& document, QPrinter* printer)
{
    QPainter painter;
    if (!painter.begin(printer))
        return false;
    const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
    const double width = page.width(), height = page.height();
    const QFont body = PrintFont(10), bold = PrintFont(10, true), title = PrintFont(16, true);
    const QFontMetricsF metrics(body, printer), boldMetrics(bold, printer);
    const double line = metrics.height() * 1.5,
                 gap = metrics.horizontalAdvance(QStringLiteral("  "));
    // Each column as wide as its heading and its widest value.
    QList<double> starts;
    double at = 0;
    for (qsizetype c = 0; c < document.headings.size(); ++c) {
        double widest = boldMetrics.horizontalAdvance(document.headings[c]);
        for (const QStringList& row : document.rows)
            widest = std::max(widest, metrics.horizontalAdvance(row.value(c)));
        starts << at;
        at += widest + gap;
    }
    const double footer = height - line * 1.5;
    int pageNumber = 1;
    double y = 0;
    const auto foot = [&] {
        painter.setFont(body);
        painter.drawLine(QPointF(0, footer), QPointF(width, footer));
        painter.drawText(QRectF(0, footer, width, line), Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("第 %1 页").arg(pageNumber));
    };
    const auto headings = [&] {
        painter.setFont(bold);
        for (qsizetype c = 0; c < document.headings.size(); ++c)
            painter.drawText(QRectF(starts[c], y, width - starts[c], line),
                             Qt::AlignLeft | Qt::AlignVCenter, document.headings[c]);
        y += line;
        painter.drawLine(QPointF(0, y), QPointF(width, y));
        painter.setFont(body);
    };
    const auto room = [&](bool table) {
        if (y + line <= footer - line * 0.5)
            return;
        foot();
        printer->newPage();
        ++pageNumber;
        y = 0;
        if (table)
            headings();
    };
    painter.setFont(title);
    const double titleBand = QFontMetricsF(title, printer).height() * 2;
    painter.drawText(QRectF(0, 0, width, titleBand), Qt::AlignCenter, document.title);
    y = titleBand;
    painter.setFont(body);
    for (const QString& text : document.intro) {
        painter.drawText(QRectF(0, y, width, line), Qt::AlignLeft | Qt::AlignVCenter, text);
        y += line;
    }
    y += line * 0.5;
    headings();
    for (const QStringList& row : document.rows) {
        room(true);
        for (qsizetype c = 0; c < row.size() && c < starts.size(); ++c)
            painter.drawText(QRectF(starts[c], y, width - starts[c], line),
                             Qt::AlignLeft | Qt::AlignVCenter, row[c]);
        y += line;
    }
    painter.drawLine(QPointF(0, y), QPointF(width, y));
    y += line * 0.5;
    for (const QString& text : document.closing) {
        room(false);
        painter.drawText(QRectF(0, y, width, line), Qt::AlignLeft | Qt::AlignVCenter, text);
        y += line;
    }
    foot();
    painter.end();
    return true;
}

void ShowMoneyDocument(const MoneyDocument& document, QWidget* parent)
{
    ShowPrintPreview(
        document.title, document.title,
        [&document](QPrinter* printer) { return PaintMoneyDocument(document, printer); }, parent);
}
