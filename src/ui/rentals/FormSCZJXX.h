#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class DateField;

// 删除租借信息: deletes settled rental records matching the conditions.
class FormSCZJXX : public QWidget
{
    Q_OBJECT
public:
    explicit FormSCZJXX(QWidget* parent = nullptr);
    // Fills in the rental number and puts the focus on 删除, as the rental query does.
    void PrepareFor(const QString& zdbh);

private Q_SLOTS:
    void onCommandSCClicked();

private:
    QLineEdit* textBH_;
    QLineEdit* textHYBH_;
    DateField* dateGHRQ_;
    DateField* dateZJRQ_;
    QComboBox* comboSFYH_;
    QLineEdit* textZDBH_;
    QLabel* labelJLTS_;
    QPushButton* commandSC_;
};
