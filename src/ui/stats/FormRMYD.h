#pragma once

#include <QDialog>

// 热门影碟: the new arrivals of the week and the twenty most rented discs.
class Shop;
class FormRMYD : public QDialog
{
    Q_OBJECT
public:
    explicit FormRMYD(Shop& shop, QWidget* parent = nullptr);
    Shop& shop_;
};
