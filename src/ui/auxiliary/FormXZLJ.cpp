#include "FormXZLJ.h"

#include "ui/common/Controls.h"
#include "ui/common/FolderLists.h"

#include "core/maintenance/Backup.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FormXZLJ::FormXZLJ(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormXZLJ"));
    setWindowTitle(QStringLiteral("选择路径"));
    lists_ = new FolderLists(this);
    labelLJ_ = new QLabel(this);
    labelLJ_->setObjectName(QStringLiteral("LabelLJ"));
    labelLJ_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    NameForScreenReaders(labelLJ_, QStringLiteral("所选路径"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lists_, 1);
    layout->addWidget(labelLJ_);
    QPushButton* commandQD = AddConfirmRow(this, layout);
    resize(420, 380);

    const auto showFolder = [this](const QString& folder) {
        labelLJ_->setText(folder);
        labelLJ_->setToolTip(folder);
    };
    connect(lists_, &FolderLists::folderChanged, this, showFolder);
    showFolder(lists_->folder());
    connect(commandQD, &QPushButton::clicked, this, &QDialog::accept);
}

QString FormXZLJ::chosenPath() const
{
    return BackupPathIn(lists_->folder());
}
