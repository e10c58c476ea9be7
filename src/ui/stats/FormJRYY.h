#pragma once

#include <QWidget>

class QLineEdit;
class TakingsPanel;

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
