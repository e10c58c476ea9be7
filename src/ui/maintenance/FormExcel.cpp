#include "FormExcel.h"

#include "ui/common/Background.h"
#include "ui/common/Controls.h"
#include "ui/common/FolderLists.h"
#include "ui/common/WindowSupport.h"

#include "core/maintenance/Workbook.h"
#include "core/settings/Settings.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/Shop.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FormExcel::FormExcel(Shop& shop, QWidget* parent) : QDialog(parent), shop_(shop)
{
    setObjectName(QStringLiteral("FormExcel"));
    setWindowTitle(QStringLiteral("与Excel交换数据"));

    auto* label1 = new QLabel(QStringLiteral("Excel与本系统工作数据库之间的数据交换。"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    auto* frame1 = new QGroupBox(QStringLiteral("请选择Excel文件的路径"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    lists_ = new FolderLists(frame1);
    labelLJ_ = new QLabel(frame1);
    labelLJ_->setObjectName(QStringLiteral("LabelLJ"));
    labelLJ_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    labelLJ_->setWordWrap(true);
    NameForScreenReaders(labelLJ_, QStringLiteral("导入/导出Excel文件路径"));
    // What an import in this folder would read.
    labelWJ_ = new QLabel(frame1);
    labelWJ_->setObjectName(QStringLiteral("LabelWJ"));
    labelWJ_->setWordWrap(true);
    auto* frameLayout = new QVBoxLayout(frame1);
    frameLayout->addWidget(lists_, 1);
    frameLayout->addWidget(labelLJ_);
    frameLayout->addWidget(labelWJ_);

    auto* label2 = new QLabel(QStringLiteral("用户提示：请保证从Excel导入的数据的合法性；导入不合法"
                                             "的数据可能使本系统崩溃！"),
                              this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setWordWrap(true);
    auto* commandDC = MakeButton(this, "CommandDC", QStringLiteral("导出(&O)"),
                                 QStringLiteral("将本系统工作数据库的内容导出到Excel文件。"));
    auto* commandDR =
        MakeButton(this, "CommandDR", QStringLiteral("导入"),
                   QStringLiteral("将Excel电子表格文件中的数据导入本系统的工作数据库。"));
    auto* commandFQ = MakeButton(this, "CommandFQ", QStringLiteral("放弃"));
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {commandDC, commandDR, commandFQ})
        buttons->addWidget(button);
    buttons->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(frame1, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1);
    layout->addLayout(top, 1);
    layout->addWidget(label2);
    resize(560, 420);

    connect(lists_, &FolderLists::folderChanged, this, &FormExcel::showPath);
    showPath();

    connect(commandDC, &QPushButton::clicked, this, &FormExcel::onCommandDCClicked);
    connect(commandDR, &QPushButton::clicked, this, &FormExcel::onCommandDRClicked);
    connect(commandFQ, &QPushButton::clicked, this, &QDialog::reject);
}

QString FormExcel::workbookPath() const
{
    return WorkbookPathIn(lists_->folder());
}

void FormExcel::showPath()
{
    labelLJ_->setText(workbookPath());
    labelLJ_->setToolTip(QStringLiteral("导入/导出Excel文件路径：") + labelLJ_->text());
    const QString source = ImportPathIn(lists_->folder());
    if (!QFileInfo::exists(source))
        labelWJ_->setText(QStringLiteral("该文件夹中没有可导入的 %1 或 %2 文件。")
                              .arg(kWorkbookName, kOldWorkbookName));
    else if (source.endsWith(kOldWorkbookName))
        labelWJ_->setText(QStringLiteral("找到 Excel 97-2003 工作簿 %1，导入时读取该文件。")
                              .arg(kOldWorkbookName));
    else
        labelWJ_->setText(QStringLiteral("找到工作簿 %1。").arg(kWorkbookName));
}

void FormExcel::onCommandDCClicked()
{
    BusyStatus busy(QStringLiteral("正在导出数据..."));
    const QString target = workbookPath();
    WorkRows rows;
    try {
        RunInBackground(
            this, QStringLiteral("正在导出数据..."),
            [&] { ExportShopWorkbook(shop_.path(), target, rows.report()); }, &rows);
    } catch (const MovrntError& error) {
        if (rows.stop)
            Notice(QStringLiteral("数据导出已取消，没有生成Excel文件。"));
        else
            Notice(
                QStringLiteral("数据导出失败！可能是由于路径错误、该文件夹中已有同名的Excel文件或"
                               "文件被写保护造成！\n") +
                error.description());
        return;
    }
    showPath();
    Notice(QStringLiteral("数据导出成功！"));
}

void FormExcel::onCommandDRClicked()
{
    if (!Ask(QStringLiteral("导入数据将丢失系统原有数据，请您先备份当前的工作数据库！确实要现在导"
                            "入数据吗？"),
             QStringLiteral("用户警告")))
        return;
    BusyStatus busy(QStringLiteral("正在导入数据..."));
    const QString source = ImportPathIn(lists_->folder());
    WorkRows rows;
    ImportSummary summary;
    bool adjust = false; // the ledger taken as the members' money stands
    for (;;)
        try {
            const LevelRule rules = MemberLevelRule();
            RunInBackground(
                this, QStringLiteral("正在导入数据..."),
                [&] {
                    summary = ImportShopWorkbook(shop_.path(), source, rules.rentalsPerLevel,
                                                 rules.levels, rows.report(), adjust);
                },
                &rows);
            break;
        } catch (const MovrntError& error) {
            if (!rows.stop && error.code() == kLedgerDisagreesCode && !adjust &&
                Ask(error.description() + kTakeAsTheyStand, QStringLiteral("用户警告"))) {
                adjust = true;
                continue;
            }
            if (rows.stop || error.code() == kLedgerDisagreesCode)
                Notice(QStringLiteral("数据导入已取消，工作数据库没有任何改变。"));
            else
                Notice(QStringLiteral("导入数据过程中出错！可能是由于路径错误或文件错误造成！\n") +
                       error.description());
            return;
        }
    QString text = QStringLiteral("数据导入成功！");
    if (summary.flagsRepaired > 0 || summary.countsRaised > 0)
        text += QStringLiteral("\n已按租借记录修正 %1 张影碟的出租标记、%2 位会员的已借盘数。")
                    .arg(summary.flagsRepaired)
                    .arg(summary.countsRaised);
    Notice(text);
    // The rows came in on a connection of its own: the shop's windows learn
    // of them from the change log.
    shop_.lookOutside();
}
