#pragma once

#include "ui/common/QueryWindow.h"

class Shop;
class QComboBox;
class QLabel;
class QLineEdit;
class DateField;

// 影碟信息查询: the discs matching the conditions, sorted by a chosen column.
class FormYDCX : public QueryWindow
{
    Q_OBJECT
public:
    explicit FormYDCX(Shop& shop, QWidget* parent = nullptr);

protected:
    bool runQuery() override;
    QStringList sortFor(const QString& heading) const override;
    void rowReleased(int row, Qt::MouseButton button) override;
    void headingReleasedOther(Qt::MouseButton button) override;

private:
    QLineEdit* textBH_;
    QLineEdit* textPM_;
    QComboBox* comboLX_;
    QComboBox* comboGJ_;
    QComboBox* comboZY_;
    QComboBox* comboYDLX_;
    QComboBox* comboSFCZ_;
    DateField* dateRKRQ_;
};
