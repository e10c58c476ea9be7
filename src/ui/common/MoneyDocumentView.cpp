#include "MoneyDocumentView.h"

#include "PrintPreview.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
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
    QList<double> starts, widths;
    double at = 0;
    for (qsizetype c = 0; c < document.headings.size(); ++c) {
        double widest = boldMetrics.horizontalAdvance(document.headings[c]);
        for (const QStringList& row : document.rows)
            if (row.size() > 1) // a section's caption spans the row
                widest = std::max(widest, metrics.horizontalAdvance(row.value(c)));
        starts << at;
        widths << widest;
        at += widest + gap;
    }
    const double footer = height - line * 1.5;
    int pageNumber = 1;
    double y = 0;
    // Amounts stand right-aligned in their column, so the decimal points line up.
    const auto cell = [&](qsizetype c) {
        return document.rightAligned.contains(c) ? std::pair{QRectF(starts[c], y, widths[c], line), Qt::AlignRight}
                                                 : std::pair{QRectF(starts[c], y, width - starts[c], line), Qt::AlignLeft};
    };
    const auto foot = [&] {
        painter.setFont(body);
        painter.drawLine(QPointF(0, footer), QPointF(width, footer));
        painter.drawText(QRectF(0, footer, width, line), Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("第 %1 页").arg(pageNumber));
    };
    const auto headings = [&] {
        painter.setFont(bold);
        for (qsizetype c = 0; c < document.headings.size(); ++c) {
            const auto [rect, align] = cell(c);
            painter.drawText(rect, align | Qt::AlignVCenter, document.headings[c]);
        }
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
        if (row.size() == 1) {
            painter.setFont(bold);
            painter.drawText(QRectF(0, y, width, line), Qt::AlignLeft | Qt::AlignVCenter, row[0]);
            painter.setFont(body);
        }
        for (qsizetype c = 0; row.size() > 1 && c < row.size() && c < starts.size(); ++c) {
            const auto [rect, align] = cell(c);
            painter.drawText(rect, align | Qt::AlignVCenter, row[c]);
        }
        y += line;
    }
    painter.drawLine(QPointF(0, y), QPointF(width, y));
    y += line * 0.5;
    // A total's amount stands right-aligned at one edge, like the table's.
    static const QRegularExpression total(QStringLiteral("^(.*：)(-?￥[0-9,.]+)$"));
    const double amountsEnd = std::min(width, metrics.horizontalAdvance(QString(40, u'字')));
    for (const QString& text : document.closing) {
        room(false);
        if (const QRegularExpressionMatch match = total.match(text); match.hasMatch()) {
            painter.drawText(QRectF(0, y, width, line), Qt::AlignLeft | Qt::AlignVCenter, match.captured(1));
            painter.drawText(QRectF(0, y, amountsEnd, line), Qt::AlignRight | Qt::AlignVCenter, match.captured(2));
        } else {
            painter.drawText(QRectF(0, y, width, line), Qt::AlignLeft | Qt::AlignVCenter, text);
        }
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
        [&document](QPrinter* printer) { return PaintMoneyDocument(document, printer); }, parent, {},
        document.day);
}
