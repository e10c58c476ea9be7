#include "FormCKTJT.h"
#include "core/store/Shop.h"

#include "ui/auxiliary/ComnDialogBox.h"
#include "ui/common/Controls.h"
#include "ui/common/MessageBox.h"
#include "ui/common/WindowSupport.h"
#include "ui/stats/Chart3DView.h"

#include "core/settings/Settings.h"
#include "core/stats/Figures.h"
#include "core/store/Clock.h"
#include "core/store/Errors.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QPieSeries>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QtDataVisualization/Q3DBars>
#include <QtDataVisualization/Q3DCamera>
#include <QtDataVisualization/Q3DScene>
#include <QtDataVisualization/Q3DSurface>
#include <QtDataVisualization/Q3DTheme>
#include <QtDataVisualization/QBar3DSeries>
#include <QtDataVisualization/QCategory3DAxis>
#include <QtDataVisualization/QSurface3DSeries>
#include <QtDataVisualization/QValue3DAxis>

namespace {
// Series colours that differ from each other and read on white; a colour the
// clerk chose for a series wins.
QColor PaletteColour(int series)
{
    static const QColor palette[] = {
        QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
        QColor(0xff, 0x7f, 0x0e), QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
        QColor(0xe3, 0x77, 0xc2), QColor(0x17, 0x9e, 0xaf), QColor(0x7f, 0x7f, 0x7f),
        QColor(0x9a, 0x9b, 0x10), QColor(0x39, 0x3b, 0x79), QColor(0x63, 0x3c, 0x1e)};
    return palette[series % std::size(palette)];
}

// The chart type code of each style, 2D and 3D.
int TypeCode(ChartStyle style, bool threeD)
{
    static const int codes2D[] = {1, 3, 5, 7, 9, 14};
    static const int codes3D[] = {0, 2, 4, 6, 8, 14};
    return (threeD ? codes3D : codes2D)[int(style)];
}
} // namespace

FormCKTJT::FormCKTJT(Shop& shop, QWidget* parent) : QWidget(parent), shop_(shop)
{
    setObjectName(QStringLiteral("FormCKTJT"));
    setWindowTitle(QStringLiteral("查看统计图"));

    view2D_ = new QChartView(this);
    view2D_->setRenderHint(QPainter::Antialiasing);
    stack_ = new QStackedWidget(this);
    stack_->setObjectName(QStringLiteral("MSChartTJT"));
    stack_->setToolTip(
        QStringLiteral("双击鼠标左键修该图表元素的颜色    按住CTRL键，用鼠标来旋转观看3D图表"));
    stack_->setAccessibleName(QStringLiteral("统计图"));
    stack_->addWidget(view2D_);
    view3D_ = new Chart3DView(stack_);
    view3D_->picked = [this](int series) { changeSeriesColour(series); };
    stack_->addWidget(view3D_);

    auto* frameTBXX = new QGroupBox(QStringLiteral("图表选项 : "), this);
    frameTBXX->setObjectName(QStringLiteral("FrameTBXX"));
    const auto option = [](QWidget* parent, const char* name, const QString& caption) {
        auto* button = new QRadioButton(caption, parent);
        button->setObjectName(QString::fromLatin1(name));
        return button;
    };
    auto* frame6 = new QGroupBox(QStringLiteral("统计内容 : "), frameTBXX);
    frame6->setObjectName(QStringLiteral("Frame6"));
    auto* contents = new QVBoxLayout(frame6);
    const QList<std::pair<const char*, QString>> statistics = {
        {"OptionKCYDBL", QStringLiteral("影碟库现有各类影片比例")},
        {"OptionYDBL", QStringLiteral("年度各类影片租出比例")},
        {"OptionNDYJ", QStringLiteral("年度每月影碟出租业绩")}};
    for (const auto& [name, caption] : statistics) {
        QRadioButton* button = option(frame6, name, caption);
        statistics_.insert(button, ChartStatistic(statistics_.size()));
        contents->addWidget(button);
        connect(button, &QRadioButton::clicked, this, &FormCKTJT::draw);
    }
    comboYear_ = MakeCombo(frame6, "ComboYear", QStringLiteral("选择你要查看的年份。"));
    NameForScreenReaders(comboYear_, QStringLiteral("年份"));
    contents->addWidget(comboYear_);

    auto* frame2 = new QGroupBox(QStringLiteral("图表样式 : "), frameTBXX);
    frame2->setObjectName(QStringLiteral("Frame2"));
    auto* styleGrid = new QGridLayout(frame2);
    const QList<std::pair<const char*, QString>> styles = {
        {"OptionBar", QStringLiteral("条状图")},    {"OptionLine", QStringLiteral("线壮图")},
        {"OptionArea", QStringLiteral("面积图")},   {"OptionStep", QStringLiteral("梯状图")},
        {"OptionCombin", QStringLiteral("混合图")}, {"OptionPie", QStringLiteral("饼状图")}};
    auto* styleBox = new QWidget(frame2);
    auto* styleLayout = new QGridLayout(styleBox);
    styleLayout->setContentsMargins(0, 0, 0, 0);
    for (const auto& [name, caption] : styles) {
        QRadioButton* button = option(styleBox, name, caption);
        styleLayout->addWidget(button, int(styles_.size()) / 2, int(styles_.size()) % 2);
        styles_ << button;
        connect(button, &QRadioButton::clicked, this, &FormCKTJT::render);
    }
    auto* dimensionBox = new QWidget(frame2);
    auto* dimensions = new QVBoxLayout(dimensionBox);
    dimensions->setContentsMargins(0, 0, 0, 0);
    option2D_ = option(dimensionBox, "Option2D", QStringLiteral("2D图形"));
    option3D_ = option(dimensionBox, "Option3D", QStringLiteral("3D图形"));
    dimensions->addWidget(option2D_);
    dimensions->addWidget(option3D_);
    for (QRadioButton* button : {option2D_, option3D_})
        connect(button, &QRadioButton::clicked, this, &FormCKTJT::render);
    styleGrid->addWidget(styleBox, 0, 0);
    styleGrid->addWidget(dimensionBox, 0, 1);
    commandRC_ = MakeButton(frameTBXX, "CommandRC", QStringLiteral("以列为准显示"));

    auto* options = new QHBoxLayout(frameTBXX);
    options->addWidget(frame6, 1);
    options->addWidget(frame2, 1);
    options->addWidget(commandRC_, 0, Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(stack_, 1);
    layout->addWidget(frameTBXX);
    // The design size is the smallest: the chart grows with the window.
    setMinimumSize(657, 504);
    resize(657, 504);

    connect(commandRC_, &QPushButton::clicked, this, &FormCKTJT::onCommandRCClicked);
    // A chosen year, or Enter in the box, redraws the year's statistics.
    const auto yearChosen = [this] {
        if (!statistics_.key(ChartStatistic::StockPerGenre)->isChecked())
            draw();
    };
    connect(comboYear_, &QComboBox::activated, this, yearChosen);
    connect(comboYear_->lineEdit(), &QLineEdit::returnPressed, this, yearChosen);

    FillCombo(comboYear_, FigureYears(GetSetting(Setting::InstallTime)));
    comboYear_->setEditText(QString::number(Today().year()));
    styles_[0]->setChecked(true);
    option2D_->setChecked(true);
    statistics_.key(ChartStatistic::RentalsPerGenre)->setChecked(true);
    draw();
    // The chart shown follows the shop, in the style and colours chosen.
    RefreshOnShopChanges(shop_, this, [this] {
        if (shown_.second.isNull())
            return;
        try {
            table_ = StoreChartTable(shop_, CountStatistic(shop_, shown_.first, shown_.second));
            render();
        } catch (const MovrntError&) {
        }
    });
}

QWidget* FormCKTJT::currentChart() const
{
    return stack_->currentWidget();
}

ChartStyle FormCKTJT::style() const
{
    for (int i = 0; i < styles_.size(); ++i)
        if (styles_[i]->isChecked())
            return ChartStyle(i);
    return ChartStyle::Bar;
}

int FormCKTJT::chartType() const
{
    return TypeCode(style(), option3D_->isChecked());
}

void FormCKTJT::draw()
{
    ChartStatistic statistic = ChartStatistic::StockPerGenre;
    for (auto it = statistics_.cbegin(); it != statistics_.cend(); ++it)
        if (it.key()->isChecked())
            statistic = it.value();
    const QString year = comboYear_->currentText();
    BusyStatus busy(QStringLiteral("正在生成统计图 ..."), true);
    if (ForYear(statistic) && !IsChartYear(year)) {
        Notice(QStringLiteral("您输入的年份有误！"));
        return;
    }
    try {
        table_ = StoreChartTable(shop_, CountStatistic(shop_, statistic, year));
        shown_ = {statistic, year};
    } catch (const MovrntError& error) {
        busy.done();
        ReportError(error);
        return;
    }
    title_ = StatisticTitle(statistic, year);
    render();
}

void FormCKTJT::onCommandRCClicked()
{
    inRows_ = !inRows_;
    // The caption offers the other direction.
    commandRC_->setText(inRows_ ? QStringLiteral("以列为准显示") : QStringLiteral("以行为准显示"));
    render();
}

void FormCKTJT::render()
{
    if (style() == ChartStyle::Pie || option2D_->isChecked())
        render2D();
    else
        render3D();
}

QColor FormCKTJT::seriesShown(int series) const
{
    return colours_.value(series, PaletteColour(series));
}

void FormCKTJT::changeSeriesColour(int series)
{
    const int chosen = ColorDialogBox(this);
    if (chosen == -1)
        return;
    colours_[series] = QColor(chosen & 0xFF, (chosen >> 8) & 0xFF, (chosen >> 16) & 0xFF);
    render();
}
