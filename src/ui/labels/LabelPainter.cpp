#include "LabelPainter.h"

#include "ui/common/PrintPreview.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <memory>
#include <zint.h>

namespace {
// Code 128 wants ten modules of white on each side.
constexpr int kQuietModules = 10;
constexpr double kPaddingMm = 2;

void FitText(QPainter& painter, const QRectF& box, const QString& text, bool bold)
{
    QFont font = PrintFont(10, bold);
    font.setPixelSize(std::max(1, int(box.height() * 0.8)));
    // Shrunk until it fits the width, elided past a third of its size.
    const int smallest = std::max(1, font.pixelSize() / 3);
    while (font.pixelSize() > smallest &&
           QFontMetricsF(font, painter.device()).horizontalAdvance(text) > box.width())
        font.setPixelSize(font.pixelSize() - 1);
    painter.setFont(font);
    const QString shown =
        QFontMetricsF(font, painter.device()).elidedText(text, Qt::ElideRight, box.width());
    painter.drawText(box, Qt::AlignCenter, shown);
}
} // namespace

bool PaintLabel(QPainter& painter, const QRectF& rect, double dotsPerMm, const LabelItem& item)
{
    if (!Code128Carries(item.number))
        return false;
    const std::unique_ptr<zint_symbol, decltype(&ZBarcode_Delete)> symbol(ZBarcode_Create(),
                                                                          &ZBarcode_Delete);
    if (!symbol)
        return false;
    symbol->symbology = BARCODE_CODE128;
    symbol->show_hrt = 0; // the number is drawn below, in the label's own font
    symbol->whitespace_width = kQuietModules;
    const QByteArray data = item.number.toLatin1();
    if (ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data.constData()),
                        int(data.size())) >= ZINT_ERROR ||
        ZBarcode_Buffer_Vector(symbol.get(), 0) >= ZINT_ERROR || !symbol->vector)
        return false;
    const QRectF inner = rect.adjusted(kPaddingMm * dotsPerMm, kPaddingMm * dotsPerMm,
                                       -kPaddingMm * dotsPerMm, -kPaddingMm * dotsPerMm);
    const double lineHeight = inner.height() * 0.2;
    const QRectF bars(inner.left(), inner.top(), inner.width(), inner.height() - 2 * lineHeight);
    // Whole pixels a module where the printer allows: bars of even width scan best.
    const double vectorWidth = symbol->vector->width;
    double module = bars.width() / vectorWidth;
    if (module >= 2)
        module = std::floor(module);
    const double left = bars.left() + (bars.width() - module * vectorWidth) / 2;
    const double scaleY = bars.height() / symbol->vector->height;
    painter.save();
    painter.fillRect(rect, Qt::white);
    for (const zint_vector_rect* bar = symbol->vector->rectangles; bar; bar = bar->next)
        painter.fillRect(QRectF(left + bar->x * module, bars.top() + bar->y * scaleY,
                                bar->width * module, bar->height * scaleY),
                         Qt::black);
    painter.setPen(Qt::black);
    FitText(painter, QRectF(inner.left(), bars.bottom(), inner.width(), lineHeight), item.number,
            false);
    FitText(painter, QRectF(inner.left(), bars.bottom() + lineHeight, inner.width(), lineHeight),
            item.text, true);
    painter.restore();
    return true;
}

void SetUpLabelPaper(const LabelSheet& sheet, QPrinter& printer)
{
    printer.setFullPage(true);
    printer.setPageLayout(
        QPageLayout(sheet.roll ? QPageSize(QSizeF(sheet.widthMm, sheet.heightMm),
                                           QPageSize::Millimeter, QString(), QPageSize::ExactMatch)
                               : QPageSize(QPageSize::A4),
                    QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
}

bool PaintLabels(const QList<LabelItem>& items, const LabelSheet& sheet, QPrinter* printer)
{
    QPainter painter;
    if (!painter.begin(printer))
        return false;
    const double dotsPerMm = printer->resolution() / 25.4;
    const int perPage = sheet.roll ? 1 : sheet.rows * sheet.columns;
    const double margin = sheet.roll ? 0 : sheet.marginMm * dotsPerMm;
    const QSizeF page = printer->pageLayout().fullRectPixels(printer->resolution()).size();
    const QSizeF cell = sheet.roll ? page
                                   : QSizeF((page.width() - 2 * margin) / sheet.columns,
                                            (page.height() - 2 * margin) / sheet.rows);
    for (qsizetype i = 0; i < items.size(); ++i) {
        const int at = int(i % perPage);
        if (i > 0 && at == 0)
            printer->newPage();
        const int row = sheet.roll ? 0 : at / sheet.columns;
        const int column = sheet.roll ? 0 : at % sheet.columns;
        PaintLabel(
            painter,
            QRectF(QPointF(margin + column * cell.width(), margin + row * cell.height()), cell),
            dotsPerMm, items[i]);
    }
    return painter.end();
}
