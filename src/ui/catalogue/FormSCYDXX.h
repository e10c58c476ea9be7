#pragma once

#include "ui/common/DeleteWindow.h"

class Shop;
class QComboBox;
class QLineEdit;
class DateField;

// 删除影碟信息: deletes the discs matching the conditions, their covers and,
// when asked to, their rentals.
class FormSCYDXX : public DeleteWindow
{
    Q_OBJECT
public:
    explicit FormSCYDXX(Shop& shop, QWidget* parent = nullptr);
    // Fills in the number and puts the focus on 删除, as the disc chooser does.
    void prepareFor(const QString& bh);

protected:
    void deleteMatching() override;

private:
    QLineEdit* textBH_;
    QLineEdit* textPM_;
    QComboBox* comboLX_;
    QLineEdit* textGJ_;
    QComboBox* comboYDLX_;
    DateField* dateRKRQ_;
    QComboBox* comboSFCZ_;
};
