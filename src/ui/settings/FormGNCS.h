#pragma once

#include "core/settings/Settings.h"

#include <QDialog>
#include <QMap>

class Shop;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QLabel;
class QPushButton;
class QRadioButton;
class QToolButton;

// 功能参数设置: automatic backup, the display offer, preset deposits, guest
// entry, the overdue reminder, the member scheme, the customers' slips and
// this counter's database (its file, or the shop's server).
class FormGNCS : public QDialog
{
    Q_OBJECT
public:
    explicit FormGNCS(Shop& shop, QWidget* parent = nullptr);
    // The label of a stepped number.
    QLabel* stepLabel(Setting setting) const { return steps_.value(setting); }

private Q_SLOTS:
    void onCommandLJClicked();
    void onCommandQDClicked();

private:
    // A number label with its two arrows (UpDown...), in a row of texts.
    QWidget* stepper(Setting setting, const char* labelName, const char* arrowsName);
    void load();
    void save();
    void refreshDependents();

    Shop& shop_;
    QMap<Setting, QLabel*> steps_;
    QCheckBox* checkZDBF_;
    QCheckBox* checkSZFBL_;
    QCheckBox* checkYJJE_;
    QCheckBox* checkLBFS_;
    QCheckBox* checkZDTX_;
    QCheckBox* checkPT_;
    QComboBox* comboZK_;
    QLineEdit* textDM_;
    QLineEdit* textYX_;
    QLabel* labelLJ_;
    QPushButton* commandLJ_;
    QMap<QCheckBox*, QList<QWidget*>> dependents_;
    QRadioButton* optionFile_;
    QRadioButton* optionServer_;
    QLineEdit* textServer_;
    QLineEdit* textGTMC_;
    QList<QWidget*> serverControls_;
};
