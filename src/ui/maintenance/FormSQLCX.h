#pragma once

#include <QDialog>

class GridView;
class SqlGridModel;

// SQL查询: the rows a typed query returns, read a page at a time.
class FormSQLCX : public QDialog
{
    Q_OBJECT
public:
    FormSQLCX(const QString& statement, SqlGridModel* model, QWidget* parent = nullptr);
    GridView* grid() const { return grid_; }

private:
    GridView* grid_;
};
