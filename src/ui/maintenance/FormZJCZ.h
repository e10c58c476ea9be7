#pragma once

#include <QDialog>

class GridView;
class QLabel;
class QPlainTextEdit;
class QTreeWidget;
class SqlGridModel;

// 专家操作方式: the database's structure, and typed SQL statements run as typed.
class FormZJCZ : public QDialog
{
    Q_OBJECT
public:
    // `password`: of the expert's own login on a shop's server (kept while
    // the window is open, never stored).
    explicit FormZJCZ(QWidget* parent = nullptr, const QString& password = {});
    QTreeWidget* tree() const { return treeViewDB_; }

private Q_SLOTS:
    void onCommandZXClicked();

private:
    QTreeWidget* treeViewDB_;
    QLabel* labelZS_;
    QPlainTextEdit* textSQL_;
    QString password_;
};

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

// The menu command: the guest gate is passed; the warning, then the window.
void EnterExpertMode(QWidget* parent);
