#pragma once

#include <QDialog>

class FolderLists;
class QLabel;

// 选择路径: the folder of the automatic backup.
class FormXZLJ : public QDialog
{
    Q_OBJECT
public:
    explicit FormXZLJ(QWidget* parent = nullptr);
    // The chosen folder joined with the backup file name.
    QString chosenPath() const;
    FolderLists* folderLists() const { return lists_; }

private:
    FolderLists* lists_;
    QLabel* labelLJ_;
};
