#include "PrintPreview.h"

#include "WindowSupport.h"
#include "ui/common/Seams.h"
#include "ui/auxiliary/ComnDialogBox.h"

#include "core/store/Clock.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>

bool ExportPdf(const QString& path, const QString& title, const PaintDocument& paint,
               const std::function<void(QPrinter&)>& setUp)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setDocName(title);
    if (setUp)
        setUp(printer);
    return paint(&printer);
}

void ShowPrintPreview(const QString& caption, const QString& title, const PaintDocument& paint,
                      QWidget* parent, const std::function<void(QPrinter&)>& setUp, const QString& day)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    if (setUp)
        setUp(printer);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setObjectName(QStringLiteral("ReportPreview"));
    preview.setWindowTitle(caption);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&paint](QPrinter* target) {
                         // Thousands of pages take seconds: the work is shown.
                         BusyStatus painting(QStringLiteral("正在生成报表 ..."), true);
                         paint(target);
                     });
    if (auto* tools = preview.findChild<QToolBar*>()) {
        QAction* pdf = tools->addAction(QStringLiteral("导出PDF"));
        pdf->setObjectName(QStringLiteral("ExportPdf"));
        QObject::connect(pdf, &QAction::triggered, &preview, [&] {
            // The report and the day in the name: a folder of them stays readable.
            const QString suggested =
                QDir::home().filePath(title + u'-' + QString(day.isEmpty() ? TodayText() : day).remove(u'-') +
                                      QStringLiteral(".pdf"));
            QString path = ComnSaveDialogBox(&preview, QStringLiteral("导出PDF"),
                                             QStringLiteral("PDF文件"), QStringLiteral("*.pdf"),
                                             suggested);
            if (path.isEmpty())
                return;
            if (QFileInfo(path).suffix().isEmpty())
                path += QStringLiteral(".pdf");
            bool written = false;
            {
                BusyStatus exporting(QStringLiteral("正在导出报表 ..."), true);
                written = ExportPdf(path, title, paint, setUp);
            }
            if (written)
                Notice(title + QStringLiteral("已导出到 ") + path);
        });
    }
    if (parent)
        preview.resize(parent->window()->size() * 0.9);
    ExecModal(preview);
}

QFont PrintFont(int points, bool bold)
{
    QFont font = QApplication::font();
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}
