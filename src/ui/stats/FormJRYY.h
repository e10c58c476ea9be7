#pragma once

#include "money/Ledger.h"

#include <QDialog>
#include <QGroupBox>
#include <QWidget>

class QDateEdit;

class QComboBox;
class QLineEdit;

// The money of a day or a month under the counts: what came in and went
// out, and the cash balance.
class TakingsPanel : public QGroupBox
{
    Q_OBJECT
public:
    TakingsPanel(const QString& title, QWidget* parent);
    void display(const Takings& takings);

private:
    QList<QLineEdit*> boxes_;
};

// 今日营业数据: today's rentals by disc type.
class FormJRYY : public QWidget
{
    Q_OBJECT
public:
    explicit FormJRYY(QWidget* parent = nullptr);

private Q_SLOTS:
    void onCommandRJDClicked();

private:
    // Today's counts and takings. Throws MovrntError.
    void refreshFigures();
    QLineEdit* textVCD_ = nullptr;
    QLineEdit* textDVD_ = nullptr;
    TakingsPanel* takings_;
    QLineEdit* textBYJ_;
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
    // A month's counts and takings, remembered as the one shown. Throws MovrntError.
    void showMonth(const QString& year, const QString& month);
    std::pair<QString, QString> shown_; // year and month
    QComboBox* comboNF_;
    QComboBox* comboYF_;
    QLineEdit* textVCD_;
    QLineEdit* textDVD_;
    TakingsPanel* takings_;
    QDateEdit* dateRJD_;
};

// 热门影碟: the new arrivals of the week and the twenty most rented discs.
class FormRMYD : public QDialog
{
    Q_OBJECT
public:
    explicit FormRMYD(QWidget* parent = nullptr);
};
