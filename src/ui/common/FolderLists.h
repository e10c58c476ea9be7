#pragma once

#include <QWidget>

class QComboBox;
class QFileSystemModel;
class QTreeView;

// The drive list (Drive1: the mounted volumes) and the folder list (Dir1: a
// folder tree) of the backup window and the path chooser. A drive that
// cannot be read brings both back to the root volume.
class FolderLists : public QWidget
{
    Q_OBJECT
public:
    explicit FolderLists(QWidget* parent = nullptr);
    QString folder() const { return folder_; }
    // Shows a folder: its volume in the drive list, the folder selected.
    void showFolder(const QString& folder);
    QComboBox* driveList() const { return drive1_; }
    QTreeView* folderList() const { return dir1_; }

Q_SIGNALS:
    void folderChanged(const QString& folder);

private:
    void onDriveChosen(int index);
    void setFolder(const QString& folder);

    QComboBox* drive1_;
    QTreeView* dir1_;
    QFileSystemModel* model_;
    QString folder_;
};
