#pragma once

#include "core/access/PassCheck.h"
#include <QWidget>

class Shop;
class QComboBox;
class QLineEdit;
class DateField;

// 修改会员信息: corrects one member's details, prepaid amounts and join date.
class FormXGHYXX : public QWidget
{
    Q_OBJECT
public:
    static constexpr Gate kGate = Gate::Counter; // not for a guest
    explicit FormXGHYXX(Shop& shop, QWidget* parent = nullptr);
    // Fills in the number and presses 查看, as the member chooser does.
    void lookUp(const QString& hybh);

private Q_SLOTS:
    void onCommandCKClicked();
    void onCommandXGClicked();

private:
    Shop& shop_;
    QLineEdit* textHYBH_;
    QLineEdit* textXM_;
    QComboBox* comboXB_;
    QLineEdit* textJTZZ_;
    QLineEdit* textLXDH_;
    QLineEdit* textYFZJ_;
    QLineEdit* textYFYJ_;
    DateField* dateRHRQ_;
};
