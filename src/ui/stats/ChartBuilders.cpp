// The two ways FormCKTJT draws its table: Qt Charts in 2D (and every pie),
// Qt Data Visualization in 3D.
#include "FormCKTJT.h"

#include "ui/common/MessageBox.h"
#include "ui/auxiliary/ComnDialogBox.h"
#include "ui/common/Controls.h"
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
