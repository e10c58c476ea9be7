#pragma once

#include <QDialog>
#include <QWidget>

class QComboBox;
class QLineEdit;

// 今日营业数据: today's rentals by disc type.
class FormJRYY : public QWidget
{
    Q_OBJECT
public:
    explicit FormJRYY(QWidget* parent = nullptr);
};

// 历史营业数据: a month's rentals by disc type.
class FormLSSJ : public QWidget
{
    Q_OBJECT
public:
    explicit FormLSSJ(QWidget* parent = nullptr);

private Q_SLOTS:
    void onCommandCKClicked();

private:
    QComboBox* comboNF_;
    QComboBox* comboYF_;
    QLineEdit* textVCD_;
    QLineEdit* textDVD_;
};

// 热门影碟: the new arrivals of the week and the twenty most rented discs.
class FormRMYD : public QDialog
{
    Q_OBJECT
public:
    explicit FormRMYD(QWidget* parent = nullptr);
};
