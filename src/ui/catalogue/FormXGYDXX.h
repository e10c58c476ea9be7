#pragma once

#include "core/access/PassCheck.h"
#include <QWidget>

class Shop;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class DateField;

// 修改影碟信息: corrects the descriptive data and the cover of one disc.
class FormXGYDXX : public QWidget
{
    Q_OBJECT
public:
    static constexpr Gate kGate = Gate::Counter; // not for a guest
    explicit FormXGYDXX(Shop& shop, QWidget* parent = nullptr);
    // Fills in the number and presses 查看, as the disc chooser does.
    void lookUp(const QString& bh);

private Q_SLOTS:
    void onCommandCKClicked();
    void onCommandLNClicked();
    void onCommandXGClicked();

private:
    Shop& shop_;
    QLineEdit* textYDBH_;
    QLineEdit* textPM_;
    QComboBox* comboLX_;
    QComboBox* comboZY_;
    QComboBox* comboGJ_;
    DateField* dateRKRQ_;
    QLineEdit* textFMTP_;
    QLabel* imageYDFM_;
    QPlainTextEdit* textJJ_;
};
