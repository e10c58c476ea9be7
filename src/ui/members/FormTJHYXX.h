#pragma once

#include <QWidget>

class QComboBox;
class QLineEdit;

// 添加会员信息: enrols one new member with prepaid rent and deposit.
class FormTJHYXX : public QWidget
{
    Q_OBJECT
public:
    static constexpr bool kChangesData = true; // behind the guest gate
    explicit FormTJHYXX(QWidget* parent = nullptr);

private Q_SLOTS:
    void onCommandTJClicked();

private:
    QLineEdit* textBH_;
    QLineEdit* textXM_;
    QComboBox* comboXB_;
    QLineEdit* textJTZZ_;
    QLineEdit* textLXDH_;
    QLineEdit* textYFZJ_;
    QLineEdit* textYFYJ_;
};
