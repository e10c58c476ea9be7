#pragma once

#include "core/access/PassCheck.h"
#include "core/rentals/Rentals.h"

#include <QDialog>

class Shop;
class QLabel;
class QLineEdit;
class QRadioButton;

// 丢失损坏登记: an open rental settled today because the customer lost or
// damaged the disc, with a charge (the price set for its type, which the
// clerk may change): from a walk-in's deposit, or a member's prepaid rent.
class FormDSSH : public QDialog
{
    Q_OBJECT
public:
    static constexpr Gate kGate = Gate::Counter; // not for a guest
    explicit FormDSSH(Shop& shop, QWidget* parent = nullptr);
    // The rental number, as the return windows and the query pass it.
    void setRental(const QString& zdbh);

private:
    void refresh();
    void onCommandDJClicked();
    // The charge typed, or nothing for one that is no amount.
    std::optional<Money> charge() const;
    Shop& shop_;
    QLineEdit* textZDBH_;
    QLabel* labelXX_;
    QRadioButton* optionDS_;
    QRadioButton* optionSH_;
    QLineEdit* textPCJE_;
    QLabel* labelYL_;
    qint64 shown_ = 0; // the rental whose price the charge box holds
};
