#pragma once

#include "core/access/PassCheck.h"
#include "core/rentals/Rentals.h"

#include <QWidget>

class Shop;
class QLabel;
class QLineEdit;
class QPushButton;
class ReceiptButton;

// What walk-in checkout and member return share: a range of rental numbers,
// the counts of VCDs and DVDs and the days they were out.
class SettleWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr Gate kGate = Gate::Counter; // not for a guest
    // Both range boxes set to one rental number, as the rental query does.
    void setRange(const QString& zdbh);

protected:
    Shop& shop_;
    SettleWindow(Shop& shop, SettleKind kind, QWidget* parent);
    // Lays out the window with the rows of figures it shows.
    void setUp(const QList<std::tuple<const char*, QString, QString, QLineEdit*>>& figures,
               QPushButton* button);
    void settle();
    virtual void showAmounts(const Settlement&) {}
    // Before the range settles: false leaves it as it is. `agreed`: what the
    // customer was told he pays, which the settling must still find.
    virtual bool agree(qint64, qint64, std::optional<Money>*) { return true; }
    // The line under the range boxes while a range is typed, before it settles.
    virtual QString previewText(const Settlement& settlement, qint64 first, qint64 last) const = 0;
    void updatePreview();
    QLineEdit* figureBox(const char* name);

private:
    SettleKind kind_;
    QLineEdit* textBH1_;
    QLineEdit* textBH2_;
    QLineEdit* textVCD_;
    QLineEdit* textDVD_;
    QLineEdit* textTS_;
    ReceiptButton* receipt_ = nullptr;
    QLabel* labelYL_;
};
