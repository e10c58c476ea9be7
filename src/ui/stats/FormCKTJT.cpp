#include "FormCKTJT.h"

#include "common/MessageBox.h"
#include "auxiliary/ComnDialogBox.h"
#include "common/Controls.h"
#include "common/WindowSupport.h"
#include "stats/Chart3DView.h"

#include "settings/Settings.h"
#include "stats/Figures.h"
#include "store/Clock.h"
#include "store/Errors.h"

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

namespace {
// One of the three statistics of a year. Throws MovrntError.
ChartTable Count(int statistic, const QString& year)
{
    return statistic == 0 ? StockPerGenre() : statistic == 1 ? RentalsPerGenre(year) : RentalsPerMonth(year);
}
} // namespace

FormCKTJT::FormCKTJT(QWidget* parent) : QWidget(parent)
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
        statistics_.insert(button, int(statistics_.size()));
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
        if (!statistics_.key(0)->isChecked())
            draw();
    };
    connect(comboYear_, &QComboBox::activated, this, yearChosen);
    connect(comboYear_->lineEdit(), &QLineEdit::returnPressed, this, yearChosen);

    FillCombo(comboYear_, FigureYears(GetSetting(Setting::InstallTime)));
    comboYear_->setEditText(QString::number(Today().year()));
    styles_[0]->setChecked(true);
    option2D_->setChecked(true);
    statistics_.key(1)->setChecked(true);
    draw();
    // The chart shown follows the shop, in the style and colours chosen.
    RefreshOnShopChanges(this, [this] {
        if (shown_.second.isNull())
            return;
        try {
            table_ = StoreChartTable(Count(shown_.first, shown_.second));
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
    int statistic = 0;
    for (auto it = statistics_.cbegin(); it != statistics_.cend(); ++it)
        if (it.key()->isChecked())
            statistic = it.value();
    const QString year = comboYear_->currentText();
    BusyStatus busy(QStringLiteral("正在生成统计图 ..."), true);
    if (statistic != 0 && !IsChartYear(year)) {
        Notice(QStringLiteral("您输入的年份有误！"));
        return;
    }
    try {
        table_ = StoreChartTable(Count(statistic, year));
        shown_ = {statistic, year};
    } catch (const MovrntError& error) {
        busy.done();
        ReportError(error);
        return;
    }
    title_ = statistic == 0 ? QStringLiteral(" 影碟库现有各类影片比例（单位 ：张）")
             : statistic == 1 ? year + QStringLiteral(" 各类影片出租比例（单位 ：张）")
                              : year + QStringLiteral("年 年度影碟出租业绩（单位 ：张）");
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

void FormCKTJT::render2D()
{
    const ChartSeries data = ArrangeChart(table_, inRows_);
    const ChartStyle style = this->style();
    auto* chart = new QChart;
    chart->setTitle(title_);
    chart->legend()->setVisible(true);
    const auto colourOf = [this](qsizetype s) { return seriesShown(int(s)); };
    if (style == ChartStyle::Pie) {
        // One slice a point: what all series hold there.
        auto* pie = new QPieSeries(chart);
        for (qsizetype p = 0; p < data.points.size(); ++p) {
            qint64 sum = 0;
            for (const QList<qint64>& values : data.values)
                sum += values.value(p);
            QPieSlice* slice = pie->append(data.points[p], double(sum));
            slice->setLabelVisible(sum > 0);
            slice->setBrush(colourOf(p));
            connect(slice, &QPieSlice::doubleClicked, this,
                    [this, p] { changeSeriesColour(int(p)); });
        }
        chart->addSeries(pie);
    } else {
        auto* categories = new QBarCategoryAxis(chart);
        categories->append(data.points);
        auto* counts = new QValueAxis(chart);
        const WholeTicks ticks = ChartTicks(data);
        counts->setRange(0, double(ticks.top));
        counts->setTickType(QValueAxis::TicksDynamic);
        counts->setTickAnchor(0);
        counts->setTickInterval(double(ticks.step));
        counts->setLabelFormat(QStringLiteral("%d"));
        chart->addAxis(categories, Qt::AlignBottom);
        chart->addAxis(counts, Qt::AlignLeft);
        QBarSeries* bars = nullptr;
        for (qsizetype s = 0; s < data.names.size(); ++s) {
            const QList<qint64>& values = data.values[s];
            // Bars; a combination draws its first series as bars, the rest as lines.
            if (style == ChartStyle::Bar || (style == ChartStyle::Combination && s == 0)) {
                if (!bars)
                    bars = new QBarSeries(chart);
                auto* set = new QBarSet(data.names[s]);
                for (qint64 value : values)
                    *set << double(value);
                set->setColor(colourOf(s));
                connect(set, &QBarSet::doubleClicked, this,
                        [this, s] { changeSeriesColour(int(s)); });
                bars->append(set);
                continue;
            }
            auto* line = new QLineSeries(chart);
            line->setName(data.names[s]);
            for (qsizetype p = 0; p < values.size(); ++p) {
                if (style == ChartStyle::Step) { // a step a point
                    line->append(double(p) - 0.5, double(values[p]));
                    line->append(double(p) + 0.5, double(values[p]));
                } else {
                    line->append(double(p), double(values[p]));
                }
            }
            QAbstractSeries* shown = line;
            if (style == ChartStyle::Area) {
                auto* area = new QAreaSeries(line);
                area->setName(data.names[s]);
                area->setOpacity(0.7);
                area->setBrush(colourOf(s));
                area->setPen(QPen(colourOf(s).darker(130), 1));
                connect(area, &QAreaSeries::doubleClicked, this,
                        [this, s] { changeSeriesColour(int(s)); });
                shown = area;
            } else {
                QPen pen = line->pen();
                pen.setWidth(2);
                pen.setColor(colourOf(s));
                line->setPen(pen);
                connect(line, &QLineSeries::doubleClicked, this,
                        [this, s] { changeSeriesColour(int(s)); });
            }
            chart->addSeries(shown);
            shown->attachAxis(counts);
            // Lines and areas sit on the category positions 0, 1, 2, ...
            auto* positions = new QValueAxis(chart);
            positions->setRange(-0.5, double(data.points.size()) - 0.5);
            positions->setVisible(false);
            chart->addAxis(positions, Qt::AlignTop);
            shown->attachAxis(positions);
        }
        if (bars) {
            chart->addSeries(bars);
            bars->attachAxis(categories);
            bars->attachAxis(counts);
        }
    }
    QChart* old = view2D_->chart();
    view2D_->setChart(chart);
    delete old;
    stack_->setCurrentWidget(view2D_);
}

void FormCKTJT::render3D()
{
    if (!OpenGLAvailable()) {
        // No OpenGL on this display: the 2D chart of the same style instead.
        render2D();
        return;
    }
    const ChartSeries data = ArrangeChart(table_, inRows_);
    const ChartStyle style = this->style();
    const WholeTicks ticks = ChartTicks(data);
    if (style == ChartStyle::Area) { // a surface over the series and points
        if (!surface_) {
            surface_ = new Q3DSurface;
            ReadableLabels(surface_, 95);
            surface_->axisY()->setLabelFormat(QStringLiteral("%d"));
        }
        surface_->axisY()->setRange(0, float(ticks.top));
        surface_->axisY()->setSegmentCount(int(ticks.top / ticks.step));
        surface_->axisY()->setSubSegmentCount(1);
        // A series taken off the graph is ours again: deleted, or every redraw leaks one.
        for (QSurface3DSeries* old : surface_->seriesList()) {
            surface_->removeSeries(old);
            delete old;
        }
        auto* rows = new QSurfaceDataArray;
        // A surface needs two rows at least: a single series is drawn as a strip.
        const int copies = data.names.size() == 1 ? 2 : 1;
        for (qsizetype s = 0; s < data.names.size(); ++s) {
            for (int copy = 0; copy < copies; ++copy) {
                auto* row = new QSurfaceDataRow;
                for (qsizetype p = 0; p < data.points.size(); ++p)
                    *row << QSurfaceDataItem(
                        QVector3D(float(p), float(data.values[s][p]), float(s * copies + copy)));
                *rows << row;
            }
        }
        auto* series = new QSurface3DSeries;
        series->dataProxy()->resetArray(rows);
        series->setDrawMode(QSurface3DSeries::DrawSurfaceAndWireframe);
        series->setBaseColor(seriesShown(0));
        series->setColorStyle(Q3DTheme::ColorStyleUniform);
        surface_->addSeries(series);
        surface_->axisX()->setFormatter(new NamedSteps(data.points));
        surface_->axisX()->setRange(0, float(std::max<qsizetype>(1, data.points.size() - 1)));
        // The series by name along the depth, unless the legend's one name says it.
        QStringList rowNames;
        for (const QString& name : data.names)
            for (int copy = 0; copy < copies; ++copy)
                rowNames << (copy == 0 && data.names.size() > 1 ? name : QString());
        surface_->axisZ()->setFormatter(new NamedSteps(rowNames));
        surface_->axisZ()->setRange(0, float(std::max<qsizetype>(1, rowNames.size() - 1)));
        view3D_->show(surface_, title_, {data.names.join(QStringLiteral(" / "))},
                      {seriesShown(0)});
        stack_->setCurrentWidget(view3D_);
        return;
    }
    if (!bars_) {
        bars_ = new Q3DBars;
        ReadableLabels(bars_, 160);
        bars_->valueAxis()->setLabelFormat(QStringLiteral("%d"));
    }
    bars_->valueAxis()->setRange(0, float(ticks.top));
    bars_->valueAxis()->setSegmentCount(int(ticks.top / ticks.step));
    bars_->valueAxis()->setSubSegmentCount(1);
    for (QBar3DSeries* old : bars_->seriesList()) {
        bars_->removeSeries(old);
        delete old;
    }
    // Line: thin posts; step: bars side by side; combination: bars and cylinders.
    bars_->setBarThickness(style == ChartStyle::Line ? 0.2f : 1.0f);
    bars_->setBarSpacing(style == ChartStyle::Step ? QSizeF(0.0, 0.5) : QSizeF(0.3, 0.5));
    for (qsizetype s = 0; s < data.names.size(); ++s) {
        auto* row = new QBarDataRow;
        for (qint64 value : data.values[s])
            *row << QBarDataItem(float(value));
        auto* array = new QBarDataArray;
        *array << row;
        auto* series = new QBar3DSeries;
        series->setName(data.names[s]);
        // The legend names the series: no row label to overprint a column's.
        series->dataProxy()->resetArray(array, {QString()}, data.points);
        series->setMesh(style == ChartStyle::Line || (style == ChartStyle::Combination && s > 0)
                            ? QAbstract3DSeries::MeshCylinder
                            : QAbstract3DSeries::MeshBar);
        series->setBaseColor(seriesShown(int(s)));
        series->setColorStyle(Q3DTheme::ColorStyleUniform);
        bars_->addSeries(series);
    }
    bars_->setMultiSeriesUniform(true);
    QList<QColor> shown;
    for (qsizetype s = 0; s < data.names.size(); ++s)
        shown << seriesShown(int(s));
    view3D_->show(bars_, title_, data.names, shown);
    stack_->setCurrentWidget(view3D_);
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
