#pragma once

#include "SettleWindow.h"

// 结帐: settles a walk-in customer's rentals: rent due and deposit to refund.
class Shop;
class FormJZ : public SettleWindow
{
    Q_OBJECT
public:
    explicit FormJZ(Shop& shop, QWidget* parent = nullptr);

protected:
    void showAmounts(const Settlement& settlement) override;
    QString previewText(const Settlement& settlement, qint64 first, qint64 last) const override;

private:
    QLineEdit* textZJ_;
    QLineEdit* textYJ_;
};
