#pragma once

#include "core/access/PassCheck.h"
#include <QWidget>

class Shop;
class QComboBox;
class QLineEdit;

// 添加会员信息: enrols one new member with prepaid rent and deposit.
class FormTJHYXX : public QWidget
{
    Q_OBJECT
public:
    static constexpr Gate kGate = Gate::Counter; // not for a guest
    explicit FormTJHYXX(Shop& shop, QWidget* parent = nullptr);

private Q_SLOTS:
    void onCommandTJClicked();

private:
    Shop& shop_;
    QLineEdit* textBH_;
    QLineEdit* textXM_;
    QComboBox* comboXB_;
    QLineEdit* textJTZZ_;
    QLineEdit* textLXDH_;
    QLineEdit* textYFZJ_;
    QLineEdit* textYFYJ_;
};
