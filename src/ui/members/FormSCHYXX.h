#pragma once

#include "ui/common/DeleteWindow.h"

class Shop;
class QComboBox;
class QLineEdit;
class DateField;

// 删除会员信息: deletes the members matching the conditions and, when asked
// to, their rentals; never while one of them has a disc out.
class FormSCHYXX : public DeleteWindow
{
    Q_OBJECT
public:
    explicit FormSCHYXX(Shop& shop, QWidget* parent = nullptr);
    // Fills in the number, as the member chooser does.
    void prepareFor(const QString& hybh);

protected:
    void deleteMatching() override;

private:
    QLineEdit* textBH_;
    QLineEdit* textXM_;
    QComboBox* comboXB_;
    QComboBox* comboHYDJ_;
    DateField* dateRHRQ_;
};
