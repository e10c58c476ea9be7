#pragma once

#include <QDialog>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class DateField;
class GridView;
class SqlGridModel;

// 影碟信息查询: the discs matching the conditions, sorted by a chosen column.
class FormYDCX : public QWidget
{
    Q_OBJECT
public:
    explicit FormYDCX(QWidget* parent = nullptr);
    // Presses 查询: windows that change discs call it while this window is open.
    void Requery();
    SqlGridModel* model() const { return model_; }

private Q_SLOTS:
    void onCommandCXClicked();
    void onRowReleased(int row, Qt::MouseButton button);
    void onHeadingReleased(int column, Qt::MouseButton button);

private:
    QLineEdit* textBH_;
    QLineEdit* textPM_;
    QComboBox* comboLX_;
    QComboBox* comboGJ_;
    QComboBox* comboZY_;
    QComboBox* comboYDLX_;
    QComboBox* comboSFCZ_;
    DateField* dateRKRQ_;
    QLabel* labelJLTS_;
    SqlGridModel* model_;
    GridView* grid_;
    QString sortClause_;
};

// 请选择您要执行的操作：: what to do with the disc right-clicked in the query.
class FormYDCZ : public QDialog
{
    Q_OBJECT
public:
    explicit FormYDCZ(QWidget* parent = nullptr);
    // Shows the one chooser in front, for this disc.
    static FormYDCZ* ShowFor(const QString& bh);

private Q_SLOTS:
    void onCommandQDClicked();

private:
    QLabel* labelBH_;
    QRadioButton* optionZJ_;
    QRadioButton* optionXG_;
    QRadioButton* optionSC_;
};
