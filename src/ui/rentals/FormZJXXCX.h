#pragma once

#include "ui/common/QueryWindow.h"

class Shop;
class QComboBox;
class QLineEdit;
class DateField;

// 租借信息查询: rental records by any combination of conditions; the start
// of checkout, member return and deleting rentals.
class FormZJXXCX : public QueryWindow
{
    Q_OBJECT
public:
    explicit FormZJXXCX(Shop& shop, QWidget* parent = nullptr);
    // Fills in the member number and presses 查询, as the member chooser does.
    void showMember(const QString& hybh);

protected:
    bool runQuery() override;
    QStringList sortFor(const QString& heading) const override;
    void rowReleased(int row, Qt::MouseButton button) override;

private:
    QLineEdit* textBH_;
    QLineEdit* textHYBH_;
    DateField* dateGHRQ_;
    DateField* dateZJRQ_;
    QComboBox* comboSFYH_;
};
