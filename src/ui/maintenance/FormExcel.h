#pragma once

#include <QDialog>

class Shop;
class FolderLists;
class QLabel;

// 与Excel交换数据: the three working tables written to a workbook in a chosen
// folder, or replaced by such a workbook's sheets.
class FormExcel : public QDialog
{
    Q_OBJECT
public:
    explicit FormExcel(Shop& shop, QWidget* parent = nullptr);
    FolderLists* folderLists() const { return lists_; }
    QString workbookPath() const;

private Q_SLOTS:
    void onCommandDCClicked();
    void onCommandDRClicked();

private:
    void showPath();

    Shop& shop_;
    FolderLists* lists_;
    QLabel* labelLJ_;
    QLabel* labelWJ_;
};
