#include "DeleteWindow.h"

#include "Background.h"
#include "WindowSupport.h"
#include "ui/common/MessageBox.h"

#include "core/store/Errors.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

DeleteWindow::DeleteWindow(Shop& shop, QWidget* parent) : QWidget(parent), shop_(shop)
{
    labelJLTS_ = new QLabel(QStringLiteral("共删除了0条记录"), this);
    labelJLTS_->setObjectName(QStringLiteral("LabelJLTS"));
    commandSC_ = MakeButton(this, "CommandSC", QStringLiteral("删除"));
}

void DeleteWindow::setUp(const QString& frameTitle, const QString& frameToolTip,
                         const QList<FieldRow>& fields, const QSize& size)
{
    auto* frame1 = new QGroupBox(frameTitle, this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setToolTip(frameToolTip);
    LayOutFields(this, new QGridLayout(frame1), fields, 2);
    QHBoxLayout* bottom = ButtonRow(this, labelJLTS_, commandSC_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame1);
    layout->addStretch();
    layout->addLayout(bottom);
    resize(size);
    connect(commandSC_, &QPushButton::clicked, this, [this] { deleteMatching(); });
}

bool DeleteWindow::confirm(bool anyCondition, const QString& everything)
{
    if (!Ask(QStringLiteral("如果执行了删除操作，那么删除将不能被撤消！确定要删除信息吗？")))
        return false;
    return anyCondition ||
           Ask(QStringLiteral(
                   "您没有输入要删除的记录所满足的条件，系统将删除所有的%1信息。确定吗？")
                   .arg(everything),
               QStringLiteral("用户警告"));
}

bool DeleteWindow::withProgress(const QString& label, const QString& stopped,
                                const std::function<void(const RowsDone&)>& work)
{
    try {
        StepProgress progress(this, label);
        work(progress.report());
    } catch (const WorkCancelled&) {
        Notice(stopped);
        return false;
    }
    return true;
}

void DeleteWindow::deleteWithRentals(
    const std::function<QStringList(const RowsDone&)>& deleteRows, const QString& rentalsQuestion,
    const std::function<void(const QStringList&, const RowsDone&)>& deleteRentals)
{
    std::optional<MovrntError> failure;
    try {
        QStringList deleted;
        if (!withProgress(QStringLiteral("正在删除信息 ..."),
                          QStringLiteral("删除已取消，没有删除任何信息。"),
                          [&](const RowsDone& progress) { deleted = deleteRows(progress); }))
            return;
        showDeleted(deleted.size());
        if (Ask(rentalsQuestion)) {
            try {
                withProgress(QStringLiteral("正在删除租借信息 ..."),
                             QStringLiteral("删除租借信息已取消，没有删除任何租借信息。"),
                             [&](const RowsDone& progress) { deleteRentals(deleted, progress); });
            } catch (const MovrntError& error) {
                failure = error;
            }
        }
    } catch (const MovrntError& error) {
        if (!failure)
            failure = error;
    }
    if (failure) {
        Notice(QStringLiteral("信息删除失败！"));
        ReportError(*failure);
    }
}

void DeleteWindow::showDeleted(qint64 count)
{
    labelJLTS_->setText(QStringLiteral("共删除了%1条记录").arg(count));
}
