#pragma once

#include <QDialog>

class Shop;
class FolderLists;
class QLabel;
class QPushButton;

// 数据备份: the working database copied to a chosen folder, or a chosen
// backup (or the automatic one) made the working database.
class FormSJBF : public QDialog
{
    Q_OBJECT
public:
    explicit FormSJBF(Shop& shop, QWidget* parent = nullptr);
    FolderLists* folderLists() const { return lists_; }

private Q_SLOTS:
    void onCommandBFClicked();
    void onCommandQYClicked();
    void onCommandZDBFClicked();

private:
    // Restores from a file after the confirmation, with the refreshes that follow.
    void restoreFrom(const QString& path);

    Shop& shop_;
    FolderLists* lists_;
    QLabel* labelLJ_;
};
