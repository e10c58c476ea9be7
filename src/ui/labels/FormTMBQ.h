#pragma once

#include "core/labels/Labels.h"

#include <QDialog>

class Shop;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;

// 打印条码标签: Code 128 labels for discs or members' cards, of the numbers
// typed or scanned, or of every record added since a date, on an A4 sheet
// of labels or a label printer's roll, through the print preview.
class FormTMBQ : public QDialog
{
    Q_OBJECT
public:
    explicit FormTMBQ(Shop& shop, QWidget* parent = nullptr);
    // The labels of these records, as chosen in a query window.
    void setNumbers(LabelSubject subject, const QStringList& numbers);
    LabelSheet sheet() const;

private:
    void onCommandYLClicked();
    void refreshSheet();
    Shop& shop_;
    QRadioButton* optionYD_;
    QRadioButton* optionHY_;
    QLineEdit* textRQ_;
    QPlainTextEdit* textBH_;
    QRadioButton* optionA4_;
    QRadioButton* optionJZ_;
    QSpinBox* spinHS_;
    QSpinBox* spinLS_;
    QSpinBox* spinBJ_;
    QSpinBox* spinKD_;
    QSpinBox* spinGD_;
};
