#pragma once

#include "core/access/PassCheck.h"
#include "core/rentals/Stocktake.h"

#include <QWidget>
#include <optional>

class Shop;
class GridView;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class SqlGridModel;

// 盘点: the clerk scans every disc on the shelves into the stocktake open
// (another counter may scan other shelves into it); the window lists the
// discs missing, those the records say are out (to be settled at once) and
// the numbers no disc has, and prints and exports them. Closed, the
// stocktake waits to be continued.
class FormPD : public QWidget
{
    Q_OBJECT
public:
    static constexpr Gate kGate = Gate::Counter; // not for a guest
    explicit FormPD(Shop& shop, QWidget* parent = nullptr);
    SqlGridModel* model() const { return model_; }

private:
    void start();
    void finish();
    void scan();
    void settleChosen();
    void refresh();
    // Whether another counter scanned, began or finished meanwhile.
    void lookForOthers();
    void showList();
    void flash(const QString& text, const QString& colour);

    Shop& shop_;
    std::optional<Stocktake> stocktake_;
    QString seen_; // what lookForOthers saw last
    QLabel* labelZT_;
    QPushButton* commandKS_;
    QPushButton* commandJS_;
    QLineEdit* textBH_;
    QLabel* labelJG_;
    QLabel* labelTJ_;
    QComboBox* comboLB_;
    SqlGridModel* model_;
    GridView* grid_;
    QLabel* labelJLTS_;
    QPushButton* commandJZ_;
    QTimer* flashOff_;
    QTimer* later_; // the counts and the list, once the scanning pauses
};
