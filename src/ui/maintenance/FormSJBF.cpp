#include "FormSJBF.h"
#include "core/store/Shop.h"

#include "ui/app/AutoBackup.h"
#include "ui/app/Navigator.h"
#include "ui/common/Background.h"
#include "ui/common/Controls.h"
#include "ui/common/FolderLists.h"
#include "ui/common/MessageBox.h"
#include "ui/common/WindowSupport.h"

#include "core/maintenance/Backup.h"
#include "core/maintenance/Workbook.h"
#include "core/settings/Settings.h"
#include "core/store/Errors.h"

#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FormSJBF::FormSJBF(Shop& shop, QWidget* parent) : QDialog(parent), shop_(shop)
{
    setObjectName(QStringLiteral("FormSJBF"));
    setWindowTitle(QStringLiteral("数据备份"));

    auto* framePath = new QGroupBox(QStringLiteral(" 备份路径选择 "), this);
    framePath->setObjectName(QStringLiteral("FramePath"));
    lists_ = new FolderLists(framePath);
    auto* label2 = new QLabel(QStringLiteral("备份路径："), framePath);
    label2->setObjectName(QStringLiteral("Label2"));
    labelLJ_ = new QLabel(framePath);
    labelLJ_->setObjectName(QStringLiteral("LabelLJ"));
    labelLJ_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label2->setBuddy(labelLJ_);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(label2);
    pathRow->addWidget(labelLJ_, 1);
    auto* frameLayout = new QVBoxLayout(framePath);
    frameLayout->addWidget(lists_, 1);
    frameLayout->addLayout(pathRow);

    auto* label1 =
        new QLabel(QStringLiteral("用户提示：数据备份功能让你可以为当前工作数据库制作多份"
                                  "拷贝，以防数据丢失时无从恢复。"),
                   this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setWordWrap(true);
    auto* commandBF = MakeButton(this, "CommandBF", QStringLiteral("备份(&B)"),
                                 QStringLiteral("将当前工作数据库备份到指定路径。"));
    auto* commandQY = MakeButton(this, "CommandQY", QStringLiteral("启用"),
                                 QStringLiteral("将指定路径的数据库作为工作数据库。"));
    auto* commandZDBF = MakeButton(this, "CommandZDBF", QStringLiteral("自动备份(&Z)"),
                                   QStringLiteral("启用系统自动备份的数据库。"));
    auto* commandFQ = MakeButton(this, "CommandFQ", QStringLiteral("放弃"));
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {commandBF, commandQY, commandZDBF, commandFQ})
        buttons->addWidget(button);
    buttons->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(framePath, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(label1);
    resize(560, 400);

    // The label repeats the path as its tooltip, for paths longer than it shows.
    const auto showPath = [this](const QString& folder) {
        labelLJ_->setText(BackupPathIn(folder));
        labelLJ_->setToolTip(labelLJ_->text());
    };
    connect(lists_, &FolderLists::folderChanged, this, showPath);
    showPath(lists_->folder());
    commandZDBF->setEnabled(GetSetting(Setting::AutoBackup) == u"True");

    connect(commandBF, &QPushButton::clicked, this, &FormSJBF::onCommandBFClicked);
    connect(commandQY, &QPushButton::clicked, this, &FormSJBF::onCommandQYClicked);
    connect(commandZDBF, &QPushButton::clicked, this, &FormSJBF::onCommandZDBFClicked);
    connect(commandFQ, &QPushButton::clicked, this, &QDialog::reject);
}

void FormSJBF::onCommandBFClicked()
{
    BusyStatus busy(QStringLiteral("正在备份当前数据库 ..."));
    const QString target = labelLJ_->text();
    try {
        RunInBackground(this, QStringLiteral("正在备份当前数据库 ..."),
                        [&shop = shop_, target] { BackupDatabase(shop, target); });
    } catch (const MovrntError& error) {
        busy.done();
        if (error.code() == kBackupRefusedCode) {
            ShowMessage(error.description(), 0, QStringLiteral("用户警告"));
            return;
        }
        ShowMessage(QStringLiteral("备份数据库时发生错误！可能是由于当前工作数据库被写保护或备份"
                                   "路径有误！备份操作失败！"),
                    0, QStringLiteral("用户警告"));
        return;
    }
    busy.done();
    Notice(QStringLiteral("数据库备份成功！"));
}

void FormSJBF::onCommandQYClicked()
{
    restoreFrom(labelLJ_->text());
}

void FormSJBF::onCommandZDBFClicked()
{
    restoreFrom(GetSetting(Setting::AutoBackupPath));
}

void FormSJBF::restoreFrom(const QString& path)
{
    // A clerk may back the shop up; replacing it is the owner's.
    if (!PassGate(Gate::Owner))
        return;
    BusyStatus busy(QStringLiteral("正在启用新的数据库 ..."));
    if (!Ask(QStringLiteral("启用新的数据库将覆盖您的当前工作数据库，请您先备份当前工作数据库！确实"
                            "要现在启用新的数据库吗？"),
             QStringLiteral("用户警告")))
        return;
    WorkRows rows;
    bool adjust = false; // the ledger taken as the members' money stands
    for (;;)
        try {
            // A copy the main window's automatic backup is writing finishes first.
            for (QObject* owner = parent(); owner; owner = owner->parent())
                if (auto* backup = owner->findChild<AutoBackup*>({}, Qt::FindDirectChildrenOnly))
                    backup->wait();
            const LevelRule rules = MemberLevelRule();
            QString prepared, safety;
            // The checks and copies on a worker; the swap on the connection's thread.
            RunInBackground(
                this, QStringLiteral("正在启用新的数据库 ..."),
                [&] {
                    prepared = PrepareRestore(path, rules, rows.report(), adjust);
                    try {
                        safety = KeepSafetyCopy(shop_);
                        SwapInOnServer(shop_, prepared);
                    } catch (...) {
                        QFile::remove(prepared);
                        throw;
                    }
                },
                &rows);
            {
                UpgradeView view(this); // a file from an older version builds its indexes
                SwapInDatabase(shop_, prepared, safety, view.progress());
            }
            Notice(QStringLiteral("数据库启用成功！"));
            return;
        } catch (const MovrntError& error) {
            busy.done();
            if (!rows.stop && error.code() == kLedgerDisagreesCode && !adjust &&
                Ask(error.description() + kTakeAsTheyStand, QStringLiteral("用户警告"))) {
                adjust = true;
                continue;
            }
            if (rows.stop || error.code() == kLedgerDisagreesCode) {
                Notice(QStringLiteral("启用操作已取消，工作数据库没有任何改变。"));
                return;
            }
            Notice(QStringLiteral(
                       "启用新数据库时发生错误！可能是由于目标数据库不存在或当前工作数据库被"
                       "写保护！启用操作失败！\n") +
                   error.description());
            return;
        }
}
