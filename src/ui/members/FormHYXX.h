#pragma once

#include "ui/common/QueryWindow.h"

class Shop;
class QComboBox;
class QLabel;
class QLineEdit;
class DateField;

// 会员信息查询: the members matching the conditions, sorted by a chosen column.
class FormHYXX : public QueryWindow
{
    Q_OBJECT
public:
    explicit FormHYXX(Shop& shop, QWidget* parent = nullptr);

protected:
    bool runQuery() override;
    QStringList sortFor(const QString& heading) const override;
    void rowReleased(int row, Qt::MouseButton button) override;

private:
    QLineEdit* textBH_;
    QLineEdit* textXM_;
    QLineEdit* textZJJE_;
    QLineEdit* textYJJE_;
    QLineEdit* textYJPS_;
    QComboBox* comboHYDJ_;
    DateField* dateRHRQ_;
    QComboBox* comboXB_;
};
