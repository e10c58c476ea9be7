#include "FormLSSJ.h"
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

FormLSSJ::FormLSSJ(Shop& shop, QWidget* parent) : QWidget(parent), shop_(shop)
{
    setObjectName(QStringLiteral("FormLSSJ"));
    setWindowTitle(QStringLiteral("历史营业数据"));
    comboNF_ = MakeCombo(this, "ComboNF");
    comboYF_ = MakeCombo(this, "ComboYF", QStringLiteral("请输入以两位数表示的月份。"));
    textVCD_ = FigureOutput(this, "TextVCD", QStringLiteral("共租出VCD"));
    textDVD_ = FigureOutput(this, "TextDVD", QStringLiteral("共租出DVD"));
    auto* period = new QHBoxLayout;
    period->addWidget(MakeCaption(this, QStringLiteral("请输入年份: "), comboNF_, "Label7"));
    period->addWidget(comboNF_);
    period->addWidget(FigureText(this, "Label10", QStringLiteral("年")));
    period->addSpacing(12);
    period->addWidget(MakeCaption(this, QStringLiteral("请输入月份: "), comboYF_, "Label8"));
    period->addWidget(comboYF_);
    period->addWidget(FigureText(this, "Label11", QStringLiteral("月")));
    period->addStretch();
    auto* grid = new QGridLayout;
    FigureRow(grid, 0, FigureText(this, "Label1", QStringLiteral("共租出VCD")), textVCD_,
              FigureText(this, "Label3", QStringLiteral("张")));
    FigureRow(grid, 1, FigureText(this, "Label2", QStringLiteral("共租出DVD")), textDVD_,
              FigureText(this, "Label4", QStringLiteral("张")));
    auto* image1 = FigureText(this, "Image1", QString());
    image1->setPixmap(QPixmap(QStringLiteral(":/images/toolbar6.png")));
    grid->addWidget(image1, 0, 3, 2, 1, Qt::AlignRight);
    grid->setColumnStretch(3, 1);
    auto* label9 = FigureText(
        this, "Label9", QStringLiteral("用户提示：分别输入年份和月份，以查看相应年月的营业数据。"));
    label9->setWordWrap(true);
    auto* commandCK = MakeButton(this, "CommandCK", QStringLiteral("查看"),
                                 QStringLiteral("显示指定年月的营业数据。"));
    commandCK->setDefault(true);
    takings_ = new TakingsPanel(QStringLiteral("本月收款"), this);
    // Any past day's 日结单, a day forgotten before midnight included.
    dateRJD_ = new QDateEdit(Today(), this);
    dateRJD_->setObjectName(QStringLiteral("DateRJD"));
    dateRJD_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    dateRJD_->setCalendarPopup(true);
    dateRJD_->setMaximumDate(Today());
    auto* commandRJD = MakeButton(this, "CommandRJD", QStringLiteral("日结单"),
                                  QStringLiteral("打印所选日期的日结单：每一笔收付款和合计。"));
    auto* day = new QHBoxLayout;
    day->addWidget(MakeCaption(this, QStringLiteral("日结单日期 : "), dateRJD_, "LabelRJD"));
    day->addWidget(dateRJD_);
    day->addWidget(commandRJD);
    day->addStretch();
    connect(commandRJD, &QPushButton::clicked, this, [this] {
        ShowDayEndReport(shop_, this, dateRJD_->date().toString(QStringLiteral("yyyy-MM-dd")),
                         std::nullopt);
    });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(period);
    layout->addLayout(grid);
    layout->addWidget(takings_);
    layout->addLayout(day);
    layout->addStretch();
    layout->addLayout(ButtonRow(this, label9, commandCK));
    resize(480, 450);
    connect(commandCK, &QPushButton::clicked, this, &FormLSSJ::onCommandCKClicked);
    // The month shown follows the shop, as 今日营业数据 does.
    RefreshOnShopChanges(shop_, this, [this] {
        if (shown_.first.isEmpty())
            return;
        try {
            showMonth(shown_.first, shown_.second);
        } catch (const MovrntError&) {
        }
    });

    FillCombo(comboNF_, FigureYears(GetSetting(Setting::InstallTime)));
    comboNF_->setEditText(QString::number(Today().year()));
    QStringList months;
    for (int month = 1; month <= 12; ++month)
        months << QStringLiteral("%1").arg(month, 2, 10, QChar(u'0'));
    FillCombo(comboYF_, months);
    comboYF_->setEditText(TodayText().mid(5, 2));
}

void FormLSSJ::onCommandCKClicked()
{
    BusyStatus busy(QStringLiteral("正在计算历史营业数据 ..."), true);
    const QString year = comboNF_->currentText();
    const QString month = comboYF_->currentText();
    if (!IsNumeric(year) || !IsNumeric(month)) {
        if (IsNumeric(year))
            Refuse(QStringLiteral("您输入的月份有误！"), comboYF_);
        else
            Refuse(QStringLiteral("您输入的年份有误！"), comboNF_);
        return;
    }
    try {
        showMonth(year, month);
    } catch (const MovrntError& error) {
        busy.done();
        ReportError(error);
    }
}

void FormLSSJ::showMonth(const QString& year, const QString& month)
{
    const TypeCounts counts = MonthFigures(shop_, year, month);
    const Takings takings = MonthTakings(shop_, year, month);
    textVCD_->setText(QString::number(counts.vcd));
    textDVD_->setText(QString::number(counts.dvd));
    takings_->display(takings);
    shown_ = {year, month};
}
