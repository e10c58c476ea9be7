#pragma once

#include "core/stats/Charts.h"

#include <QColor>
#include <QMap>
#include <QWidget>
#include <utility>

class Shop;
class QAbstractButton;
class QChartView;
class QComboBox;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class Chart3DView;
class Q3DBars;
class Q3DSurface;

// The six styles, in the order of their options.
enum class ChartStyle
{
    Bar,
    Line,
    Area,
    Step,
    Combination,
    Pie,
};

// 查看统计图: three statistics in eleven chart styles.
class FormCKTJT : public QWidget
{
    Q_OBJECT
public:
    explicit FormCKTJT(Shop& shop, QWidget* parent = nullptr);

    // The chart type code of the style shown (1 2D bar ... 14 pie).
    int chartType() const;
    bool seriesInRows() const { return inRows_; }
    const ChartTable& table() const { return table_; }
    QString title() const { return title_; }
    // What is on screen: the 2D chart view, or the 3D graph's container.
    QWidget* currentChart() const;
    // A double-click on series `series` of the chart: its colour chosen anew.
    void changeSeriesColour(int series);
    QColor seriesColour(int series) const { return colours_.value(series); }
    // The colour a series is drawn in: the chosen one, or its own from the palette.
    QColor seriesShown(int series) const;

private Q_SLOTS:
    void onCommandRCClicked();

private:
    // Counts the selected statistic and binds the chart to its scratch table.
    void draw();
    // Shows the bound table in the current style and direction.
    void render();
    void render2D();
    void render3D();
    ChartStyle style() const;

    Shop& shop_;
    QMap<QRadioButton*, ChartStatistic> statistics_;
    QList<QRadioButton*> styles_;
    QRadioButton* option2D_;
    QRadioButton* option3D_;
    QComboBox* comboYear_;
    QPushButton* commandRC_;
    QStackedWidget* stack_;
    QChartView* view2D_;
    Chart3DView* view3D_ = nullptr;
    Q3DBars* bars_ = nullptr;
    Q3DSurface* surface_ = nullptr;
    ChartTable table_;
    QString title_;
    std::pair<ChartStatistic, QString> shown_; // the statistic and the year drawn
    bool inRows_ = true;
    QMap<int, QColor> colours_;
};
