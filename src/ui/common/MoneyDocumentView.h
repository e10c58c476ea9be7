#pragma once

#include "core/money/Statements.h"

class QPrinter;
class QWidget;

// Draws a money document on pages: the title and the lines above the table
// on the first page, the headings on every page, the totals after the last
// row, the page number at the foot. Returns false when the printer would not open.
bool PaintMoneyDocument(const MoneyDocument& document, QPrinter* printer);
// The modal print preview, with printing and 导出PDF.
void ShowMoneyDocument(const MoneyDocument& document, QWidget* parent);
