#include "FormJRYY.h"

#include "common/MessageBox.h"
#include "common/Controls.h"
#include "common/MoneyDocumentView.h"
#include "common/WindowSupport.h"

#include "money/Ledger.h"
#include "money/Statements.h"
#include "settings/Settings.h"
#include "stats/Figures.h"
#include "store/Clock.h"
#include "store/Errors.h"
#include "store/Numbers.h"

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

namespace {
QLabel* Text(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QLineEdit* Output(QWidget* parent, const char* name, const QString& caption)
{
    QLineEdit* box = MakeLine(parent, name);
    box->setReadOnly(true);
    box->setMaximumWidth(100);
    NameForScreenReaders(box, caption);
    return box;
}

// A caption, a figure and its unit on one line of a grid.
void FigureRow(QGridLayout* grid, int row, QLabel* before, QLineEdit* box, QLabel* after)
{
    before->setBuddy(box);
    grid->addWidget(before, row, 0, Qt::AlignRight);
    grid->addWidget(box, row, 1);
    grid->addWidget(after, row, 2);
}
} // namespace

TakingsPanel::TakingsPanel(const QString& title, QWidget* parent) : QGroupBox(title, parent)
{
    setObjectName(QStringLiteral("FrameSK"));
    static const char* const kNames[] = {"TextSSZJ", "TextSQYJ", "TextTHYJ", "TextHYZJ",
                                         "TextHYYJ", "TextHYKF", "TextXJJY"};
    auto* grid = new QGridLayout(this);
    int row = 0;
    for (const auto& [caption, amount] : TakingsRows({})) {
        QLineEdit* box = Output(this, kNames[row], caption);
        box->setMaximumWidth(140);
        box->setAlignment(Qt::AlignRight);
        QLabel* label = Text(this, "LabelSK", caption);
        label->setBuddy(box);
        grid->addWidget(label, row, 0, Qt::AlignRight);
        grid->addWidget(box, row, 1);
        boxes_ << box;
        ++row;
    }
    grid->setColumnStretch(2, 1);
}

void TakingsPanel::display(const Takings& takings)
{
    const auto rows = TakingsRows(takings);
    for (qsizetype i = 0; i < rows.size() && i < boxes_.size(); ++i)
        boxes_[i]->setText(YuanText(rows[i].second));
}

FormJRYY::FormJRYY(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FormJRYY"));
    setWindowTitle(QStringLiteral("今日营业数据"));
    const QString today = TodayText();
    auto* labelRQ =
        Text(this, "LabelRQ",
             QStringLiteral("今天是") + today.left(4) + u'年' + today.mid(5, 2) + u'月' +
                 today.right(2) + QStringLiteral("日，截止到现在的出租情况如下："));
    auto* textVCD = Output(this, "TextVCD", QStringLiteral("共租出 VCD"));
    auto* textDVD = Output(this, "TextDVD", QStringLiteral("DVD"));
    auto* grid = new QGridLayout;
    FigureRow(grid, 0, Text(this, "Label2", QStringLiteral("共租出 VCD")), textVCD,
              Text(this, "Label3", QStringLiteral("张")));
    FigureRow(grid, 1, Text(this, "Label4", QStringLiteral(" DVD")), textDVD,
              Text(this, "Label5", QStringLiteral("张")));
    grid->setColumnStretch(3, 1);
    takings_ = new TakingsPanel(QStringLiteral("今日收款"), this);
    textBYJ_ = MakeLine(this, "TextBYJ", QStringLiteral("今天开门时钱箱中的现金，打印在日结单上。"));
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
    RefreshOnShopChanges(this, [this] {
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
    const TypeCounts counts = TodayFigures();
    const Takings takings = TakingsBetween(today, today);
    textVCD_->setText(QString::number(counts.vcd));
    textDVD_->setText(QString::number(counts.dvd));
    takings_->display(takings);
}

namespace {
// The day's 日结单 in its preview, from which it prints or goes to a PDF.
void ShowDayEndReport(QWidget* parent, const QString& day, std::optional<Money> cashFloat)
{
    MoneyDocument report;
    {
        BusyStatus busy(QStringLiteral("正在生成日结单 ..."), true);
        try {
            report = DayEndReport(day, cashFloat);
        } catch (const MovrntError& error) {
            busy.done();
            ReportError(error);
            return;
        }
    }
    ShowMoneyDocument(report, parent);
}
} // namespace

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
    ShowDayEndReport(this, TodayText(), cashFloat);
}

FormLSSJ::FormLSSJ(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FormLSSJ"));
    setWindowTitle(QStringLiteral("历史营业数据"));
    comboNF_ = MakeCombo(this, "ComboNF");
    comboYF_ = MakeCombo(this, "ComboYF", QStringLiteral("请输入以两位数表示的月份。"));
    textVCD_ = Output(this, "TextVCD", QStringLiteral("共租出VCD"));
    textDVD_ = Output(this, "TextDVD", QStringLiteral("共租出DVD"));
    auto* period = new QHBoxLayout;
    period->addWidget(MakeCaption(this, QStringLiteral("请输入年份: "), comboNF_, "Label7"));
    period->addWidget(comboNF_);
    period->addWidget(Text(this, "Label10", QStringLiteral("年")));
    period->addSpacing(12);
    period->addWidget(MakeCaption(this, QStringLiteral("请输入月份: "), comboYF_, "Label8"));
    period->addWidget(comboYF_);
    period->addWidget(Text(this, "Label11", QStringLiteral("月")));
    period->addStretch();
    auto* grid = new QGridLayout;
    FigureRow(grid, 0, Text(this, "Label1", QStringLiteral("共租出VCD")), textVCD_,
              Text(this, "Label3", QStringLiteral("张")));
    FigureRow(grid, 1, Text(this, "Label2", QStringLiteral("共租出DVD")), textDVD_,
              Text(this, "Label4", QStringLiteral("张")));
    auto* image1 = Text(this, "Image1", QString());
    image1->setPixmap(QPixmap(QStringLiteral(":/images/toolbar6.png")));
    grid->addWidget(image1, 0, 3, 2, 1, Qt::AlignRight);
    grid->setColumnStretch(3, 1);
    auto* label9 = Text(this, "Label9",
                        QStringLiteral("用户提示：分别输入年份和月份，以查看相应年月的营业数据。"));
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
    connect(commandRJD, &QPushButton::clicked, this,
            [this] { ShowDayEndReport(this, dateRJD_->date().toString(QStringLiteral("yyyy-MM-dd")), std::nullopt); });
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
    RefreshOnShopChanges(this, [this] {
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
    const TypeCounts counts = MonthFigures(year, month);
    const Takings takings = MonthTakings(year, month);
    textVCD_->setText(QString::number(counts.vcd));
    textDVD_->setText(QString::number(counts.dvd));
    takings_->display(takings);
    shown_ = {year, month};
}

FormRMYD::FormRMYD(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormRMYD"));
    setWindowTitle(QStringLiteral("热门影碟"));
    const auto list = [this](const char* frameName, const QString& title, const char* boxName) {
        auto* frame = new QGroupBox(title, this);
        frame->setObjectName(QString::fromLatin1(frameName));
        auto* box = new QPlainTextEdit(frame);
        box->setObjectName(QString::fromLatin1(boxName));
        box->setReadOnly(true);
        box->setLineWrapMode(QPlainTextEdit::NoWrap);
        NameForScreenReaders(box, title);
        auto* layout = new QVBoxLayout(frame);
        layout->addWidget(box);
        return std::pair{frame, box};
    };
    const auto [frame2, textRM] = list("Frame2", QStringLiteral("热门影碟排行榜 ： "), "TextRM");
    const auto [frame1, textXD] = list("Frame1", QStringLiteral("新到的影碟 ： "), "TextXD");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame2, 3);
    layout->addWidget(frame1, 2);
    resize(520, 520);
    try {
        // The lists end their lines with CR LF; the box wants one line break.
        textXD->setPlainText(
            NewArrivalsText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        textRM->setPlainText(RankingText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    } catch (const MovrntError& error) {
        ReportError(error);
    }
}
