#pragma once

#include <QString>
#include <functional>

class QFont;
class QPrinter;
class QWidget;

// Draws the document on a printer; returns false after reporting a failure.
using PaintDocument = std::function<bool(QPrinter* printer)>;

// The modal print preview of a document, with printing and 导出PDF (which
// writes the same pages to a PDF file of the user's choice).
// `setUp` gives a printer its paper before anything is drawn; the PDF's
// suggested name carries `day` (yyyy-MM-dd), today when empty.
void ShowPrintPreview(const QString& caption, const QString& title, const PaintDocument& paint,
                      QWidget* parent, const std::function<void(QPrinter&)>& setUp = {},
                      const QString& day = {});

// The document as a PDF file, through the same drawing.
bool ExportPdf(const QString& path, const QString& title, const PaintDocument& paint,
               const std::function<void(QPrinter&)>& setUp = {});

// The application's font at a size for printed pages.
QFont PrintFont(int points, bool bold = false);
