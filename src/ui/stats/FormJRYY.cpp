#include "FormJRYY.h"
#include "core/store/Shop.h"

#include "DayFigures.h"

#include "ui/common/Controls.h"
#include "ui/common/MessageBox.h"
#include "ui/common/MoneyDocumentView.h"
#include "ui/common/WindowSupport.h"

#include "core/money/Ledger.h"
#include "core/money/Statements.h"
#include "core/settings/Settings.h"
#include "core/stats/Figures.h"
#include "core/store/Clock.h"
#include "core/store/Errors.h"
#include "core/store/Numbers.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

FormJRYY::FormJRYY(Shop& shop, QWidget* parent) : QWidget(parent), shop_(shop)
{
    setObjectName(QStringLiteral("FormJRYY"));
    setWindowTitle(QStringLiteral("今日营业数据"));
    const QString today = TodayText();
    auto* labelRQ =
        FigureText(this, "LabelRQ",
                   QStringLiteral("今天是") + today.left(4) + u'年' + today.mid(5, 2) + u'月' +
                       today.right(2) + QStringLiteral("日，截止到现在的出租情况如下："));
    auto* textVCD = FigureOutput(this, "TextVCD", QStringLiteral("共租出 VCD"));
    auto* textDVD = FigureOutput(this, "TextDVD", QStringLiteral("DVD"));
    auto* grid = new QGridLayout;
    FigureRow(grid, 0, FigureText(this, "Label2", QStringLiteral("共租出 VCD")), textVCD,
              FigureText(this, "Label3", QStringLiteral("张")));
    FigureRow(grid, 1, FigureText(this, "Label4", QStringLiteral(" DVD")), textDVD,
              FigureText(this, "Label5", QStringLiteral("张")));
    grid->setColumnStretch(3, 1);
    takings_ = new TakingsPanel(QStringLiteral("今日收款"), this);
    textBYJ_ =
        MakeLine(this, "TextBYJ", QStringLiteral("今天开门时钱箱中的现金，打印在日结单上。"));
    textBYJ_->setMaximumWidth(100);
    auto* commandRJD = MakeButton(this, "CommandRJD", QStringLiteral("日结单"),
                                  QStringLiteral("打印今天的日结单：每一笔收付款和合计。"));
    auto* commandQD = MakeButton(this, "CommandQD", QStringLiteral("确定"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(MakeCaption(this, QStringLiteral("备用金 : "), textBYJ_, "LabelBYJ"));
    buttons->addWidget(textBYJ_);
    buttons->addWidget(commandRJD);
    buttons->addStretch();
    buttons->addWidget(commandQD);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(labelRQ);
    layout->addLayout(grid);
    layout->addWidget(takings_);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(440, 400);
    connect(commandQD, &QPushButton::clicked, this, [this] { CloseWindow(this); });
    connect(commandRJD, &QPushButton::clicked, this, &FormJRYY::onCommandRJDClicked);
    textVCD_ = textVCD;
    textDVD_ = textDVD;
    try {
        refreshFigures();
    } catch (const MovrntError& error) {
        ReportError(error);
    }
    // Rentals and money at this counter or another, all numbers at once.
    RefreshOnShopChanges(shop_, this, [this] {
        try {
            refreshFigures();
        } catch (const MovrntError&) {
            // the figures shown stay; the next change tries again
        }
    });
}

void FormJRYY::refreshFigures()
{
    const QString today = TodayText();
    const TypeCounts counts = TodayFigures(shop_);
    const Takings takings = TakingsBetween(shop_, today, today);
    textVCD_->setText(QString::number(counts.vcd));
    textDVD_->setText(QString::number(counts.dvd));
    takings_->display(takings);
}

void FormJRYY::onCommandRJDClicked()
{
    std::optional<Money> cashFloat;
    if (!textBYJ_->text().trimmed().isEmpty()) {
        cashFloat = ParseMoney(textBYJ_->text().trimmed());
        if (!cashFloat) {
            Refuse(QStringLiteral("备用金必须为数字！"), textBYJ_);
            return;
        }
    }
    try {
        refreshFigures(); // the window agrees with the report it prints
    } catch (const MovrntError&) {
    }
    ShowDayEndReport(shop_, this, TodayText(), cashFloat);
}
