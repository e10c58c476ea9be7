#pragma once

#include "common/ActionChooser.h"
#include "common/QueryWindow.h"

class QComboBox;
class QLabel;
class QLineEdit;
class DateField;

// 影碟信息查询: the discs matching the conditions, sorted by a chosen column.
class FormYDCX : public QueryWindow
{
    Q_OBJECT
public:
    explicit FormYDCX(QWidget* parent = nullptr);

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

// The disc action chooser: rent the disc out, modify it or delete it.
class FormYDCZ : public ActionChooser
{
    Q_OBJECT
public:
    explicit FormYDCZ(QWidget* parent = nullptr);
    // Shows the one chooser in front, for this disc.
    static FormYDCZ* ShowFor(const QString& bh);

protected:
    void act(int option, const QString& bh) override;
};
