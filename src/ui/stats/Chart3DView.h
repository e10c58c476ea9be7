#pragma once

#include <QColor>
#include <QLabel>
#include <QList>
#include <QStringList>
#include <functional>

#include <QtDataVisualization/QValue3DAxisFormatter>

class QAbstract3DGraph;

// Whether this display can draw the 3D styles at all.
bool OpenGLAvailable();

// Labels that read on the picture: large, flat, turned to the viewer; the
// camera at `zoom`.
void ReadableLabels(QAbstract3DGraph* graph, float zoom);

// The names of the categories or series on a surface's value axis.
class NamedSteps : public QValue3DAxisFormatter
{
public:
    explicit NamedSteps(const QStringList& names = {}) : names_(names) {}

protected:
    QValue3DAxisFormatter* createNewInstance() const override;
    void populateCopy(QValue3DAxisFormatter& copy) const override;
    void recalculate() override;

private:
    QStringList names_;
};

// A 3D graph drawn into a picture: it lives in a child window of the main
// window like any widget, and the picture can be grabbed. Dragging with
// CTRL held turns it. A double-click on a legend entry picks that series
// (anywhere, when there is only one): the picture cannot tell which bar was hit.
class Chart3DView : public QLabel
{
public:
    explicit Chart3DView(QWidget* parent);
    // Shows a graph under a title and a legend of coloured names.
    void show(QAbstract3DGraph* graph, const QString& title, const QStringList& legend,
              const QList<QColor>& colours);
    void refresh();

    std::function<void(int series)> picked = [](int) {};

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QAbstract3DGraph* graph_ = nullptr;
    QString title_;
    QStringList legend_;
    QList<QColor> colours_;
    QList<QRect> entries_;
    QPoint from_;
};
