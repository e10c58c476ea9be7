#pragma once

#include <QDialog>

class QLineEdit;

// 租金金额设置: the walk-in customers' rent per day of a VCD and of a DVD.
class FormZJSZ : public QDialog
{
    Q_OBJECT
public:
    explicit FormZJSZ(QWidget* parent = nullptr);

private Q_SLOTS:
    void onCommandQDClicked();

private:
    QLineEdit* textVCD_;
    QLineEdit* textDVD_;
};
