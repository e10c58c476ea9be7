#pragma once

#include <QDialog>

class Shop;
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
    explicit FormZJCZ(Shop& shop, QWidget* parent = nullptr, const QString& password = {});
    QTreeWidget* tree() const { return treeViewDB_; }

private Q_SLOTS:
    void onCommandZXClicked();

private:
    Shop& shop_;
    QTreeWidget* treeViewDB_;
    QLabel* labelZS_;
    QPlainTextEdit* textSQL_;
    QString password_;
};

// The menu command: the guest gate is passed; the warning, then the window.
void EnterExpertMode(Shop& shop, QWidget* parent);
