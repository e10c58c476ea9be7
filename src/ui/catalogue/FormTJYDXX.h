#pragma once

#include "core/access/PassCheck.h"
#include <QWidget>

class Shop;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

// 添加影碟信息: enters one new disc, with its cover picture.
class FormTJYDXX : public QWidget
{
    Q_OBJECT
public:
    static constexpr Gate kGate = Gate::Counter; // not for a guest
    explicit FormTJYDXX(Shop& shop, QWidget* parent = nullptr);

private Q_SLOTS:
    void onCommandLNClicked();
    void onCommandTJClicked();

private:
    void fillLists();

    Shop& shop_;
    QLineEdit* textBH_;
    QLineEdit* textPM_;
    QComboBox* comboLX_;
    QComboBox* comboZY_;
    QComboBox* comboGJ_;
    QComboBox* comboYDLX_;
    QLineEdit* textFMTP_;
    QLabel* imageYDFM_;
    QPlainTextEdit* textJJ_;
};
