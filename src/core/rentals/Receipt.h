#pragma once

#include "core/rentals/Rentals.h"

#include <QList>
#include <QString>
#include <utility>

class Shop;

// The slip handed to the customer after a rent-out, a checkout or a
// member's return, for narrow receipt paper.
struct Receipt
{
    QString title;
    QString shop;
    QString date;
    QString customer;                           // the member's number and name, or 零散顾客
    QList<std::pair<QString, QString>> discs;   // number, title
    QList<std::pair<QString, QString>> figures; // caption, value
};

// The paper width in millimetres the shop prints slips on; 0 when it prints none.
int ReceiptPaperWidth();

// Throw MovrntError when the rentals cannot be read back.
Receipt RentOutReceipt(Shop& shop, const RentOutDone& done);
Receipt SettlementReceipt(Shop& shop, SettleKind kind, qint64 first, qint64 last,
                          const Settlement& settlement);
// A member's top-up: what was paid and the prepaid rent after it.
Receipt TopUpReceipt(Shop& shop, const QString& hybh, Money paid, Money prepaid);
