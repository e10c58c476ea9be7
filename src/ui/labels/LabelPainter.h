#pragma once

#include "core/labels/Labels.h"

#include <QRectF>

class QPainter;
class QPrinter;

// One label within `rect` (in the painter's pixels, `dotsPerMm` of them a
// millimetre): the Code 128 bars with their quiet zones, the number under
// them, then the title or name. False when the number cannot be carried.
bool PaintLabel(QPainter& painter, const QRectF& rect, double dotsPerMm, const LabelItem& item);
// The paper: A4 without the printer's margins, or the roll's label as the page.
void SetUpLabelPaper(const LabelSheet& sheet, QPrinter& printer);
// Every label on the printer's pages, a sheet's rows × columns or one a page of a roll.
bool PaintLabels(const QList<LabelItem>& items, const LabelSheet& sheet, QPrinter* printer);
