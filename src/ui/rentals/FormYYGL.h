#pragma once

#include "core/access/PassCheck.h"

#include <QWidget>

class Shop;
class GridView;
class QLabel;
class QLineEdit;
class SqlGridModel;

// 预约管理: a member reserves a disc, or any copy of a title, that is out;
// the open reservations (held, waiting, lapsed) with the members'
// telephones, to be cancelled, printed or exported.
class FormYYGL : public QWidget
{
    Q_OBJECT
public:
    static constexpr Gate kGate = Gate::Counter; // not for a guest
    explicit FormYYGL(Shop& shop, QWidget* parent = nullptr);
    // The disc's number filled in, as the disc chooser passes it.
    void prepareFor(const QString& bh);
    SqlGridModel* model() const { return model_; }

private:
    void refresh();
    void reserve();
    void cancelChosen();
    void exportList();

    Shop& shop_;
    QLineEdit* textHYBH_;
    QLineEdit* textBH_;
    QLineEdit* textPM_;
    SqlGridModel* model_;
    GridView* grid_;
    QLabel* labelJLTS_;
};
