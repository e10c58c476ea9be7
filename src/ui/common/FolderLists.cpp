#include "FolderLists.h"

#include "Controls.h"
#include "WindowSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
const QString kRootVolume = QStringLiteral("/"); // what "c:\" is elsewhere

bool Readable(const QString& root)
{
    const QFileInfo info(root);
    return info.isDir() && info.isReadable() && QStorageInfo(root).isReady();
}
} // namespace

FolderLists::FolderLists(QWidget* parent) : QWidget(parent)
{
    drive1_ = new QComboBox(this);
    drive1_->setObjectName(QStringLiteral("Drive1"));
    NameForScreenReaders(drive1_, QStringLiteral("驱动器"));
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady())
            drive1_->addItem(volume.rootPath() == kRootVolume
                                 ? kRootVolume
                                 : volume.rootPath() + QStringLiteral("  ") + volume.displayName(),
                             volume.rootPath());
    }
    if (drive1_->findData(kRootVolume) < 0)
        drive1_->insertItem(0, kRootVolume, kRootVolume);

    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    model_->setRootPath(kRootVolume);
    dir1_ = new QTreeView(this);
    dir1_->setObjectName(QStringLiteral("Dir1"));
    NameForScreenReaders(dir1_, QStringLiteral("文件夹"));
    dir1_->setModel(model_);
    for (int c = 1; c < model_->columnCount(); ++c)
        dir1_->hideColumn(c);
    dir1_->header()->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(drive1_);
    layout->addWidget(dir1_, 1);

    connect(drive1_, &QComboBox::activated, this, &FolderLists::onDriveChosen);
    // Folders are read in the background: the chosen one is opened out once
    // its parents have been read.
    auto* settle = new QTimer(this);
    settle->setSingleShot(true);
    settle->setInterval(50);
    connect(model_, &QFileSystemModel::directoryLoaded, settle, qOverload<>(&QTimer::start));
    connect(settle, &QTimer::timeout, this, [this] {
        const QModelIndex current = model_->index(folder_);
        dir1_->setCurrentIndex(current);
        dir1_->scrollTo(current, QAbstractItemView::PositionAtCenter);
        dir1_->viewport()->update();
    });
    connect(dir1_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    setFolder(model_->filePath(current));
            });
    showFolder(QDir::currentPath());
}

void FolderLists::showFolder(const QString& folder)
{
    const QString root = QStorageInfo(folder).rootPath();
    const int drive = drive1_->findData(root.isEmpty() ? kRootVolume : root);
    drive1_->setCurrentIndex(drive < 0 ? drive1_->findData(kRootVolume) : drive);
    dir1_->setRootIndex(model_->index(drive1_->currentData().toString()));
    setFolder(folder);
    const QModelIndex index = model_->index(folder);
    dir1_->setCurrentIndex(index);
    dir1_->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void FolderLists::onDriveChosen(int index)
{
    const QString root = drive1_->itemData(index).toString();
    if (!Readable(root)) {
        Notice(QStringLiteral("目标驱动器不可用！"));
        showFolder(kRootVolume);
        return;
    }
    showFolder(root);
}

void FolderLists::setFolder(const QString& folder)
{
    folder_ = folder;
    Q_EMIT folderChanged(folder);
}
