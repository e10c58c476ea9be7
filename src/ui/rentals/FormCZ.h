#pragma once

#include <QDialog>

class Shop;
class QLabel;
class QLineEdit;
class ReceiptButton;

// 充值: a member pays an amount towards his prepaid rent; the new balance
// is shown, and a slip offered.
class FormCZ : public QDialog
{
    Q_OBJECT
public:
    FormCZ(Shop& shop, QWidget* parent, const QString& hybh);

private Q_SLOTS:
    void onCommandCZClicked();

private:
    void showBalance(); // throws MovrntError
    Shop& shop_;
    QString hybh_;
    QLabel* labelHY_;
    QLineEdit* textCZJE_;
    ReceiptButton* receipt_;
};
