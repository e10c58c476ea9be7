#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class Shop;

// Barcode labels for the discs (number and title) and the members' cards
// (number and name): what goes on them and how a sheet is laid out.
enum class LabelSubject
{
    Discs,
    Members
};

struct LabelItem
{
    QString number; // what the bars carry and a scanner types back
    QString text;   // the title or the name under it
};

// Whether Code 128 carries the number so that a scanner types it back as it
// stands: printable ASCII, 1 to 40 characters.
bool Code128Carries(const QString& number);

struct LabelSelection
{
    QList<LabelItem> items;
    QStringList refused; // numbers Code 128 cannot carry: no label
};
// The records of these numbers, in the order given (unknown numbers left out).
LabelSelection LabelsOf(Shop& shop, LabelSubject subject, const QStringList& numbers);
// The records added on or after `since` (a date text; dates of other shapes
// judged by their day), by number. Throws MovrntError.
LabelSelection LabelsSince(Shop& shop, LabelSubject subject, const QString& since);

// An A4 sheet of rows × columns labels within a margin, or a label
// printer's roll of one label a page.
struct LabelSheet
{
    bool roll = false;
    int rows = 8, columns = 3;       // a sheet
    int marginMm = 10;               // a sheet's, on every side
    int widthMm = 50, heightMm = 30; // a roll's label
};
// As set last on this computer; the common 3 × 8 sheet before that.
LabelSheet StoredLabelSheet();
bool StoreLabelSheet(const LabelSheet& sheet);
// A sheet whose labels would be too small to scan, or a roll's label, is refused with why.
QString LabelSheetProblem(const LabelSheet& sheet);
