#pragma once

#include <QWidget>

class Shop;
class GridView;
class QLabel;
class SqlGridModel;

// 提醒管理员: members who have kept a disc at least the set number of days,
// with the disc and the days it is late, to be called, printed or exported.
class FormTX : public QWidget
{
    Q_OBJECT
public:
    explicit FormTX(Shop& shop, QWidget* parent = nullptr);
    SqlGridModel* model() const { return model_; }

private:
    void exportList();

    Shop& shop_;
    qint64 alertDays_ = 0;
    SqlGridModel* model_;
    GridView* grid_;
    QLabel* labelJLTS_;
};
