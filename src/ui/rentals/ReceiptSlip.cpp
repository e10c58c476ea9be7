#include "ReceiptSlip.h"

#include "ui/common/MessageBox.h"
#include "ui/common/PrintPreview.h"

#include "core/store/Errors.h"

#include <QApplication>
#include <QPainter>
#include <QPrinter>

namespace {
constexpr double kMarginMm = 3;

QFont Font(double points, bool bold = false)
{
    QFont font = QApplication::font();
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// One pass over the slip: measures it without a painter, draws it with one.
// Returns the height used, in the device's pixels.
double LayOut(const Receipt& receipt, double width, QPaintDevice* device, QPainter* painter)
{
    double y = 0;
    const auto put = [&](const QString& text, const QFont& font, int flags) {
        const QFontMetricsF metrics(font, device);
        const QRectF box = metrics.boundingRect(QRectF(0, y, width, 1e6),
                                                flags | Qt::TextWordWrap, text);
        if (painter) {
            painter->setFont(font);
            painter->drawText(QRectF(0, y, width, box.height()), flags | Qt::TextWordWrap, text);
        }
        y += box.height() + metrics.height() * 0.25;
    };
    const auto rule = [&] {
        const double gap = QFontMetricsF(Font(8), device).height() * 0.4;
        if (painter)
            painter->drawLine(QPointF(0, y + gap), QPointF(width, y + gap));
        y += gap * 2;
    };
    const QFont body = Font(8), bold = Font(8, true);
    if (!receipt.shop.isEmpty())
        put(receipt.shop, Font(11, true), Qt::AlignHCenter);
    put(receipt.title, Font(10, true), Qt::AlignHCenter);
    put(QStringLiteral("日期：") + receipt.date, body, Qt::AlignLeft);
    put(QStringLiteral("顾客：") + receipt.customer, body, Qt::AlignLeft);
    rule();
    for (const auto& [bh, pm] : receipt.discs)
        put(bh + QStringLiteral("  ") + pm, body, Qt::AlignLeft);
    rule();
    for (const auto& [caption, value] : receipt.figures) {
        const double top = y;
        put(caption, body, Qt::AlignLeft);
        const double below = y;
        y = top;
        put(value, bold, Qt::AlignRight);
        y = std::max(y, below);
    }
    rule();
    put(QStringLiteral("谢谢惠顾，欢迎再来！"), body, Qt::AlignHCenter);
    return y;
}
} // namespace

void SetUpReceiptPaper(const Receipt& receipt, int widthMm, QPrinter& printer)
{
    const double perMm = printer.resolution() / 25.4;
    const double height =
        LayOut(receipt, (widthMm - 2 * kMarginMm) * perMm, &printer, nullptr) / perMm;
    printer.setPageSize(QPageSize(QSizeF(widthMm, height + 2 * kMarginMm + 2),
                                  QPageSize::Millimeter, QStringLiteral("凭条"),
                                  QPageSize::ExactMatch));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                           QPageLayout::Millimeter);
}

void PaintReceipt(const Receipt& receipt, int widthMm, QPrinter* printer)
{
    QPainter painter;
    if (!painter.begin(printer))
        throw MovrntError(QStringLiteral("无法打开打印机"), QStringLiteral("Receipt"));
    const double perMm = printer->resolution() / 25.4;
    LayOut(receipt, (widthMm - 2 * kMarginMm) * perMm, printer, &painter);
}

ReceiptButton::ReceiptButton(QWidget* parent) : QPushButton(parent)
{
    setObjectName(QStringLiteral("CommandDYPT"));
    setText(QStringLiteral("打印凭条"));
    setToolTip(QStringLiteral("为顾客打印本次业务的凭条。"));
    setAutoDefault(false);
    setEnabled(false);
    setVisible(ReceiptPaperWidth() > 0);
    connect(this, &QPushButton::clicked, this, [this] {
        if (!receipt_)
            return;
        const int width = ReceiptPaperWidth() > 0 ? ReceiptPaperWidth() : 80;
        const Receipt receipt = *receipt_;
        std::optional<MovrntError> failure;
        ShowPrintPreview(
            QStringLiteral("打印凭条"), receipt.title,
            [&receipt, width, &failure](QPrinter* printer) {
                try {
                    PaintReceipt(receipt, width, printer);
                    return true;
                } catch (const MovrntError& error) {
                    failure = error;
                    return false;
                }
            },
            window(), [&receipt, width](QPrinter& printer) {
                SetUpReceiptPaper(receipt, width, printer);
            });
        if (failure)
            ReportError(*failure);
    });
}

void ReceiptButton::offer(const std::function<Receipt()>& read)
{
    receipt_.reset();
    if (ReceiptPaperWidth() > 0) {
        try {
            receipt_ = read();
        } catch (const MovrntError&) {
        }
    }
    setEnabled(receipt_.has_value());
}

void ReceiptButton::withdraw()
{
    receipt_.reset();
    setEnabled(false);
}
