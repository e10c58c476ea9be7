#pragma once

#include "ui/common/DeleteWindow.h"

class Shop;
class QComboBox;
class QLineEdit;
class DateField;

// 删除租借信息: deletes settled rental records matching the conditions.
class FormSCZJXX : public DeleteWindow
{
    Q_OBJECT
public:
    explicit FormSCZJXX(Shop& shop, QWidget* parent = nullptr);
    // Fills in the rental number and puts the focus on 删除, as the rental query does.
    void prepareFor(const QString& zdbh);

protected:
    void deleteMatching() override;

private:
    QLineEdit* textBH_;
    QLineEdit* textHYBH_;
    DateField* dateGHRQ_;
    DateField* dateZJRQ_;
    QComboBox* comboSFYH_;
    QLineEdit* textZDBH_;
};
