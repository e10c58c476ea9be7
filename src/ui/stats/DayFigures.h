#pragma once

#include "core/money/Ledger.h"

#include <QGroupBox>
#include <QString>
#include <optional>

class Shop;
class QGridLayout;
class QLabel;
class QLineEdit;

// The money of a day or a month under the counts: what came in and went
// out, and the cash balance.
class TakingsPanel : public QGroupBox
{
    Q_OBJECT
public:
    TakingsPanel(const QString& title, QWidget* parent);
    void display(const Takings& takings);

private:
    QList<QLineEdit*> boxes_;
};

// What the day's and the month's figures are built of: a caption, a read-only
// figure named for screen readers, and the two with a unit on one line.
QLabel* FigureText(QWidget* parent, const char* name, const QString& text);
QLineEdit* FigureOutput(QWidget* parent, const char* name, const QString& caption);
void FigureRow(QGridLayout* grid, int row, QLabel* before, QLineEdit* box, QLabel* after);

// The day's 日结单 in its preview, from which it prints or goes to a PDF.
void ShowDayEndReport(Shop& shop, QWidget* parent, const QString& day,
                      std::optional<Money> cashFloat);
