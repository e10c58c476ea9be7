#pragma once

#include <QWidget>

class Shop;
class QLineEdit;
class TakingsPanel;

// 今日营业数据: today's rentals by disc type.
class FormJRYY : public QWidget
{
    Q_OBJECT
public:
    explicit FormJRYY(Shop& shop, QWidget* parent = nullptr);

private Q_SLOTS:
    void onCommandRJDClicked();

private:
    // Today's counts and takings. Throws MovrntError.
    void refreshFigures();
    Shop& shop_;
    QLineEdit* textVCD_ = nullptr;
    QLineEdit* textDVD_ = nullptr;
    TakingsPanel* takings_;
    QLineEdit* textBYJ_;
};
