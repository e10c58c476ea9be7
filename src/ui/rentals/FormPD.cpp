#include "FormPD.h"

#include "ui/app/Navigator.h"
#include "ui/common/Controls.h"
#include "ui/common/GridView.h"
#include "ui/common/MessageBox.h"
#include "ui/common/ReportRenderer.h"
#include "ui/common/SqlGridModel.h"
#include "ui/common/WindowSupport.h"

#include "core/stats/Reports.h"
#include "core/store/Database.h"
#include "core/store/Errors.h"
#include "core/store/TextRules.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// What the colour of the result says at a glance, while the clerk looks at the shelf.
const QString kGood = QStringLiteral("#c8f0c8");
const QString kWarn = QStringLiteral("#ffe08a");
const QString kBad = QStringLiteral("#ffb0b0");
const QString kPlain = QStringLiteral("#e0e0e0");
} // namespace

FormPD::FormPD(Shop& shop, QWidget* parent) : QWidget(parent), shop_(shop)
{
    setObjectName(QStringLiteral("FormPD"));
    setWindowTitle(QStringLiteral("盘点"));
    auto* framePD = new QGroupBox(QStringLiteral("盘点"), this);
    framePD->setObjectName(QStringLiteral("FramePD"));
    labelZT_ = new QLabel(framePD);
    labelZT_->setObjectName(QStringLiteral("LabelZT"));
    labelZT_->setWordWrap(true);
    commandKS_ = MakeButton(framePD, "CommandKS", QStringLiteral("开始盘点(&K)"),
                            QStringLiteral("开始新的盘点，或加入其他柜台正在进行的盘点"));
    commandJS_ = MakeButton(framePD, "CommandJS", QStringLiteral("结束盘点(&J)"),
                            QStringLiteral("所有货架都扫描完后结束盘点，记下缺失的影碟"));
    textBH_ = MakeLine(framePD, "TextBH", QStringLiteral("逐张扫描货架上的影碟，顺序不限"));
    labelJG_ = new QLabel(framePD);
    labelJG_->setObjectName(QStringLiteral("LabelJG"));
    labelJG_->setAccessibleName(QStringLiteral("扫描结果"));
    labelJG_->setWordWrap(true);
    labelJG_->setMinimumHeight(labelJG_->fontMetrics().height() * 2 + 8);
    labelJG_->setAutoFillBackground(true);
    labelTJ_ = new QLabel(framePD);
    labelTJ_->setObjectName(QStringLiteral("LabelTJ"));
    auto* top = new QGridLayout(framePD);
    top->addWidget(labelZT_, 0, 0, 1, 3);
    top->addWidget(commandKS_, 0, 3);
    top->addWidget(commandJS_, 0, 4);
    top->addWidget(MakeCaption(framePD, QStringLiteral("影碟编号："), textBH_, "LabelBH"), 1, 0,
                   Qt::AlignRight);
    top->addWidget(textBH_, 1, 1);
    top->addWidget(labelJG_, 1, 2, 1, 3);
    top->addWidget(labelTJ_, 2, 0, 1, 5);
    top->setColumnStretch(2, 1);

    comboLB_ = MakeCombo(this, "ComboLB");
    comboLB_->setEditable(false); // a choice of lists, nothing typed
    comboLB_->addItems({QStringLiteral("缺失的影碟（记录在店，没有扫描到）"),
                        QStringLiteral("扫描到但记录为已租出的影碟（归还时没有结帐）"),
                        QStringLiteral("不是本店影碟的编号"),
                        QStringLiteral("已登记丢失的影碟（不算缺失）")});
    model_ = new SqlGridModel(shop_, kStocktakeHeadings, this);
    grid_ = new GridView(model_, this);
    grid_->setObjectName(QStringLiteral("MSHFlexGridPD"));
    grid_->setAccessibleName(QStringLiteral("盘点结果"));
    labelJLTS_ = new QLabel(QStringLiteral("共找到0条记录"), this);
    labelJLTS_->setObjectName(QStringLiteral("LabelJLTS"));
    commandJZ_ = MakeButton(this, "CommandJZ", QStringLiteral("结帐(&S)..."),
                            QStringLiteral("为选中的影碟结帐或还碟"));
    auto* commandDY =
        MakeButton(this, "CommandDY", QStringLiteral("打印(&P)"), QStringLiteral("打印盘点结果"));
    auto* commandDC = MakeButton(this, "CommandDC", QStringLiteral("导出(&E)"),
                                 QStringLiteral("把盘点结果导出为Excel工作簿。"));
    auto* commandGB = MakeButton(this, "CommandGB", QStringLiteral("关闭"),
                                 QStringLiteral("盘点没有结束时，下次打开可以继续"));
    auto* list = new QHBoxLayout;
    list->addWidget(MakeCaption(this, QStringLiteral("显示："), comboLB_, "LabelLB"));
    list->addWidget(comboLB_, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(labelJLTS_, 1);
    for (QPushButton* button : {commandJZ_, commandDY, commandDC, commandGB})
        bottom->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(framePD);
    layout->addLayout(list);
    layout->addWidget(grid_, 1);
    layout->addLayout(bottom);
    resize(820, 520);

    flashOff_ = new QTimer(this);
    flashOff_->setSingleShot(true);
    flashOff_->setInterval(600);
    connect(flashOff_, &QTimer::timeout, this, [this] { labelJG_->setStyleSheet(QString()); });
    connect(commandKS_, &QPushButton::clicked, this, &FormPD::start);
    connect(commandJS_, &QPushButton::clicked, this, &FormPD::finish);
    connect(textBH_, &QLineEdit::returnPressed, this, &FormPD::scan);
    connect(comboLB_, &QComboBox::currentIndexChanged, this, &FormPD::showList);
    connect(commandJZ_, &QPushButton::clicked, this, &FormPD::settleChosen);
    connect(commandDY, &QPushButton::clicked, this, [this] {
        if (stocktake_)
            ShowReport(shop_, StocktakeReport(*stocktake_), this);
    });
    connect(commandDC, &QPushButton::clicked, this, [this] {
        if (stocktake_)
            ExportReportList(shop_, StocktakeReport(*stocktake_), QStringLiteral("盘点结果"),
                             QStringLiteral("盘点"), this);
    });
    connect(commandGB, &QPushButton::clicked, this, [this] { CloseWindow(this); });
    // Counting what is missing reads every disc: done once the scanning
    // pauses, never between two scans.
    later_ = new QTimer(this);
    later_->setSingleShot(true);
    later_->setInterval(1000);
    connect(later_, &QTimer::timeout, this, [this] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        refresh();
        QApplication::restoreOverrideCursor();
    });
    // The other counters' scans are not announced (a scan a second would
    // refresh every window): this window looks for them itself.
    auto* look = new QTimer(this);
    connect(look, &QTimer::timeout, this, &FormPD::lookForOthers);
    look->start(2000);
    RefreshOnShopChanges(shop_, this, [this] { refresh(); });
    refresh();
}

void FormPD::refresh()
{
    try {
        stocktake_ = LatestStocktake(shop_);
        seen_.clear();
        lookForOthers(); // what it sees now is this refresh's
        const bool open = stocktake_ && stocktake_->open();
        commandKS_->setEnabled(!open);
        commandJS_->setEnabled(open);
        textBH_->setEnabled(open);
        if (!stocktake_) {
            commandJZ_->setEnabled(false);
            labelZT_->setText(
                QStringLiteral("还没有盘点过。请按“开始盘点”，然后逐张扫描货架上的影碟。"));
            labelTJ_->clear();
            model_->clear();
            labelJLTS_->setText(QStringLiteral("共找到0条记录"));
            return;
        }
        const QString begun =
            QStringLiteral("盘点 %1：%2 ").arg(stocktake_->pdbh).arg(stocktake_->ksrq) +
            (stocktake_->czy.isEmpty() ? QString() : QStringLiteral("由 %1 ").arg(stocktake_->czy));
        labelZT_->setText(
            begun +
            (open ? QStringLiteral("开始，正在进行。各柜台可以同时扫描；关闭窗口后下次可以继续。")
                  : QStringLiteral("开始，%1 结束。").arg(stocktake_->jsrq)));
        // The list shown first: the missing list's count is the one the label needs.
        showList();
        const bool missingShown = StocktakeList(comboLB_->currentIndex()) == StocktakeList::Missing;
        StocktakeCounts counts = CountStocktake(shop_, *stocktake_, !missingShown);
        if (missingShown)
            counts.missing = model_->total();
        labelTJ_->setText(
            QStringLiteral("已扫描 %1 个编号；缺失 %2 张，记录为已租出 %3 张，不是本店影碟 %4 "
                           "个；另有已登记丢失的影碟 %5 张。")
                .arg(counts.scanned)
                .arg(counts.missing)
                .arg(counts.out)
                .arg(counts.noDisc)
                .arg(counts.lost));
    } catch (const MovrntError& error) {
        ReportError(error);
    }
}

void FormPD::lookForOthers()
{
    QString now;
    try {
        const QVariant state = RunScalar(
            shop_, QStringLiteral("SELECT (SELECT COALESCE(MAX(smbh), 0) FROM pdsm) || ' ' ||"
                                  " (SELECT COALESCE(MAX(pdbh), 0) FROM pdxx) || ' ' || (SELECT"
                                  " COUNT(*) FROM pdxx WHERE zt = '进行中')"));
        now = state.toString();
    } catch (const MovrntError&) {
        return; // the server out of reach: the status bar says so
    }
    if (seen_.isEmpty()) {
        seen_ = now;
        return;
    }
    if (now != seen_ && !later_->isActive()) {
        seen_ = now;
        later_->start();
    }
}

void FormPD::showList()
{
    if (!stocktake_)
        return;
    const auto list = StocktakeList(comboLB_->currentIndex());
    commandJZ_->setEnabled(list == StocktakeList::Out);
    try {
        const StocktakeQuery query = StocktakeListQuery(*stocktake_, list);
        model_->setQuery(query.columns, query.tables, query.conditions, {}, query.key);
        // The rental's columns only where there is one; the scan's where it was scanned.
        for (int column = 4; column < kStocktakeHeadings.size(); ++column)
            grid_->setColumnHidden(column, list == StocktakeList::Missing ||
                                               (list == StocktakeList::NoDisc && column < 7));
        labelJLTS_->setText(QStringLiteral("共找到%1条记录").arg(model_->total()));
    } catch (const MovrntError& error) {
        ReportError(error);
    }
}

void FormPD::start()
{
    try {
        StartStocktake(shop_); // or another counter's, which the state line names
    } catch (const MovrntError& error) {
        ReportError(error);
        return;
    }
    refresh();
    comboLB_->setCurrentIndex(0);
    textBH_->setFocus();
}

void FormPD::finish()
{
    if (!stocktake_ || !stocktake_->open())
        return;
    if (!Ask(QStringLiteral("确定所有货架都已扫描完，结束盘点吗？结束后不能再扫描。")))
        return;
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool finished = FinishStocktake(shop_, stocktake_->pdbh);
        QApplication::restoreOverrideCursor();
        if (!finished)
            Notice(QStringLiteral("这次盘点已经由其他柜台结束了。"));
    } catch (const MovrntError& error) {
        QApplication::restoreOverrideCursor();
        ReportError(error);
        return;
    }
    refresh();
    comboLB_->setCurrentIndex(0);
}

void FormPD::scan()
{
    const QString bh = textBH_->text().trimmed();
    textBH_->clear();
    if (bh.isEmpty() || !stocktake_ || !stocktake_->open())
        return;
    ScanResult result;
    try {
        result = ScanDisc(shop_, stocktake_->pdbh, bh);
    } catch (const MovrntError& error) {
        ReportError(error);
        return;
    }
    QApplication::beep();
    const QString text = ScanText(result);
    switch (result.kind) {
    case ScanKind::InShop:
        flash(text, result.lost ? kWarn : kGood);
        break;
    case ScanKind::Out:
        flash(text, kWarn);
        break;
    case ScanKind::NoDisc:
    case ScanKind::Finished:
        flash(text, kBad);
        break;
    case ScanKind::Again:
        flash(text, kPlain);
        break;
    }
    if (result.kind == ScanKind::Finished)
        refresh();
    else if (result.kind != ScanKind::Again)
        later_->start();
    textBH_->setFocus();
}

void FormPD::flash(const QString& text, const QString& colour)
{
    labelJG_->setText(text);
    labelJG_->setStyleSheet(QStringLiteral("background-color: %1;").arg(colour));
    flashOff_->start();
}

void FormPD::settleChosen()
{
    const int row = grid_->currentIndex().row();
    const QString zdbh = model_->cell(row, 4);
    if (!grid_->currentIndex().isValid() || zdbh.isEmpty()) {
        Notice(QStringLiteral("请先在名单中选择要结帐的影碟！"));
        return;
    }
    if (model_->cell(row, 0) != u"已租出") {
        Notice(QStringLiteral("这张影碟已经结帐了。"));
        return;
    }
    Navigator::settle(this, IsEmptyNumber(model_->cell(row, 5)), zdbh);
}
