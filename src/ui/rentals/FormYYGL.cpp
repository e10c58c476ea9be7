#include "FormYYGL.h"

#include "ui/common/Controls.h"
#include "ui/common/GridView.h"
#include "ui/common/MessageBox.h"
#include "ui/common/ReportRenderer.h"
#include "ui/common/SqlGridModel.h"
#include "ui/common/WindowSupport.h"

#include "core/rentals/Reservations.h"
#include "core/stats/Reports.h"
#include "core/store/Errors.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FormYYGL::FormYYGL(Shop& shop, QWidget* parent) : QWidget(parent), shop_(shop)
{
    setObjectName(QStringLiteral("FormYYGL"));
    setWindowTitle(QStringLiteral("预约管理"));
    auto* frameYY = new QGroupBox(QStringLiteral("新预约"), this);
    frameYY->setObjectName(QStringLiteral("FrameYY"));
    textHYBH_ = MakeLine(frameYY, "TextHYBH");
    textBH_ = MakeLine(frameYY, "TextBH", QStringLiteral("预约这一张影碟"));
    textPM_ =
        MakeLine(frameYY, "TextPM", QStringLiteral("不填影碟编号时，预约这个片名的任何一张影碟"));
    auto* commandYY = MakeButton(frameYY, "CommandYY", QStringLiteral("预约(&Y)"));
    auto* fields = new QGridLayout(frameYY);
    fields->addWidget(MakeCaption(frameYY, QStringLiteral("会员编号："), textHYBH_, "LabelHYBH"), 0,
                      0, Qt::AlignRight);
    fields->addWidget(textHYBH_, 0, 1);
    fields->addWidget(MakeCaption(frameYY, QStringLiteral("影碟编号："), textBH_, "LabelBH"), 0, 2,
                      Qt::AlignRight);
    fields->addWidget(textBH_, 0, 3);
    fields->addWidget(MakeCaption(frameYY, QStringLiteral("或片名："), textPM_, "LabelPM"), 1, 2,
                      Qt::AlignRight);
    fields->addWidget(textPM_, 1, 3);
    fields->addWidget(commandYY, 1, 4);
    EnterMovesOn(this, commandYY, {textHYBH_, textBH_, textPM_});

    model_ = new SqlGridModel(shop_, kReservationHeadings, this);
    grid_ = new GridView(model_, this);
    grid_->setObjectName(QStringLiteral("MSHFlexGridYY"));
    grid_->setAccessibleName(QStringLiteral("预约名单"));
    labelJLTS_ = new QLabel(QStringLiteral("共找到0条记录"), this);
    labelJLTS_->setObjectName(QStringLiteral("LabelJLTS"));
    auto* commandQX = MakeButton(this, "CommandQX", QStringLiteral("取消预约(&C)"),
                                 QStringLiteral("取消选中的预约"));
    auto* commandDY = MakeButton(this, "CommandDY", QStringLiteral("打印(&P)"),
                                 QStringLiteral("打印这份名单，以便打电话通知会员。"));
    auto* commandDC = MakeButton(this, "CommandDC", QStringLiteral("导出(&E)"),
                                 QStringLiteral("把这份名单导出为Excel工作簿。"));
    auto* commandGB = MakeButton(this, "CommandGB", QStringLiteral("关闭"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(labelJLTS_, 1);
    for (QPushButton* button : {commandQX, commandDY, commandDC, commandGB})
        bottom->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frameYY);
    layout->addWidget(grid_, 1);
    layout->addLayout(bottom);
    resize(760, 420);
    connect(commandYY, &QPushButton::clicked, this, &FormYYGL::reserve);
    connect(commandQX, &QPushButton::clicked, this, &FormYYGL::cancelChosen);
    connect(commandGB, &QPushButton::clicked, this, [this] { CloseWindow(this); });
    connect(commandDY, &QPushButton::clicked, this,
            [this] { ShowReport(shop_, ReservationReport(), this); });
    connect(commandDC, &QPushButton::clicked, this, &FormYYGL::exportList);
    RefreshOnShopChanges(shop_, this, [this] { refresh(); });
    refresh();
}

void FormYYGL::prepareFor(const QString& bh)
{
    textBH_->setText(bh);
    textPM_->clear();
    textHYBH_->setFocus();
}

void FormYYGL::refresh()
{
    try {
        model_->setQuery(ReservationColumns(), kReservationTables, ReservationConditions(), {},
                         QStringLiteral("y.yybh"));
        labelJLTS_->setText(QStringLiteral("共找到%1条记录").arg(model_->total()));
    } catch (const MovrntError& error) {
        ReportError(error);
    }
}

void FormYYGL::reserve()
{
    const ReservationRequest request{textHYBH_->text().trimmed(), textBH_->text().trimmed(),
                                     textBH_->text().trimmed().isEmpty() ? textPM_->text().trimmed()
                                                                         : QString()};
    ReserveDone done;
    try {
        done = Reserve(shop_, request);
    } catch (const MovrntError& error) {
        Notice(QStringLiteral("预约失败！"));
        ReportError(error);
        return;
    }
    if (done.refusal != ReserveCheck::Ok) {
        const ReserveCheck why = done.refusal;
        Refuse(ReserveCheckText(why),
               why == ReserveCheck::UnknownMember ? textHYBH_
               : why == ReserveCheck::UnknownTitle ||
                       (why != ReserveCheck::NothingNamed && request.bh.isEmpty())
                   ? textPM_
                   : textBH_);
        return;
    }
    refresh();
    Notice(QStringLiteral("预约成功！预约编号为 %1。影碟归还时会为该会员保留 %2 天。")
               .arg(done.yybh)
               .arg(HoldDays()));
    for (QLineEdit* box : {textHYBH_, textBH_, textPM_})
        box->clear();
    textHYBH_->setFocus();
}

void FormYYGL::cancelChosen()
{
    const QString yybh = model_->cell(grid_->currentIndex().row(), 0);
    if (!grid_->currentIndex().isValid() || yybh.isEmpty()) {
        Notice(QStringLiteral("请先在名单中选择要取消的预约！"));
        return;
    }
    if (!Ask(QStringLiteral("确定取消预约 %1（会员 %2，%3）吗？")
                 .arg(yybh, model_->cell(grid_->currentIndex().row(), 2),
                      model_->cell(grid_->currentIndex().row(), 5))))
        return;
    try {
        if (!CancelReservation(shop_, yybh.toLongLong()))
            Notice(QStringLiteral("这个预约已经完成或取消了。"));
    } catch (const MovrntError& error) {
        ReportError(error);
    }
    refresh();
}

void FormYYGL::exportList()
{
    ExportReportList(shop_, ReservationReport(), QStringLiteral("预约名单"), QStringLiteral("预约"),
                     this);
}
