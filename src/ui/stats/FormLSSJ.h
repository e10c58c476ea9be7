#pragma once

#include <QString>
#include <QWidget>
#include <utility>

class Shop;
class QComboBox;
class QDateEdit;
class QLineEdit;
class TakingsPanel;

// 历史营业数据: a month's rentals by disc type.
class FormLSSJ : public QWidget
{
    Q_OBJECT
public:
    explicit FormLSSJ(Shop& shop, QWidget* parent = nullptr);

private Q_SLOTS:
    void onCommandCKClicked();

private:
    // A month's counts and takings, remembered as the one shown. Throws MovrntError.
    void showMonth(const QString& year, const QString& month);
    Shop& shop_;
    std::pair<QString, QString> shown_; // year and month
    QComboBox* comboNF_;
    QComboBox* comboYF_;
    QLineEdit* textVCD_;
    QLineEdit* textDVD_;
    TakingsPanel* takings_;
    QDateEdit* dateRJD_;
};
