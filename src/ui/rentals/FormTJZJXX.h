#pragma once

#include "core/rentals/Rentals.h"

#include "core/access/PassCheck.h"
#include <QWidget>

class Shop;
class QLabel;
class QLineEdit;
class ReceiptButton;

// 添加租借信息: rents one disc out to a walk-in customer or a member.
class FormTJZJXX : public QWidget
{
    Q_OBJECT
public:
    static constexpr Gate kGate = Gate::Counter; // not for a guest
    explicit FormTJZJXX(Shop& shop, QWidget* parent = nullptr);
    // Fills in the disc and puts the focus on the member number, as the disc chooser does.
    void prepareFor(const QString& bh);
    // Fills in a member's number and puts the focus on the disc number.
    void prepareForMember(const QString& hybh);

private Q_SLOTS:
    void onCommandTJClicked();
    void onTextHYBHChanged(const QString& text);

private:
    // Says why a rental is refused, moving the focus or offering what helps;
    // false when it is not.
    bool refuse(RentOutCheck check, const RentRequest& request);
    Shop& shop_;
    QLineEdit* textYDBH_;
    QLineEdit* textYJJE_;
    QLineEdit* textHYBH_;
    ReceiptButton* receipt_;
    QLabel* labelYE_;
    bool presetDeposits_;
};
