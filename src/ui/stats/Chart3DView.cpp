#include "Chart3DView.h"

#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPainter>
#include <QtDataVisualization/Q3DBars>
#include <QtDataVisualization/Q3DCamera>
#include <QtDataVisualization/Q3DScene>
#include <QtDataVisualization/Q3DSurface>
#include <QtDataVisualization/Q3DTheme>
#include <QtDataVisualization/QCategory3DAxis>
#include <QtDataVisualization/QValue3DAxis>

bool OpenGLAvailable()
{
    QOpenGLContext context;
    if (!context.create())
        return false;
    QOffscreenSurface surface;
    surface.create();
    return context.makeCurrent(&surface);
}

QValue3DAxisFormatter* NamedSteps::createNewInstance() const
{
    return new NamedSteps(names_);
}

void NamedSteps::populateCopy(QValue3DAxisFormatter& copy) const
{
    QValue3DAxisFormatter::populateCopy(copy);
    static_cast<NamedSteps&>(copy).names_ = names_;
}

void NamedSteps::recalculate()
{
    gridPositions().clear();
    labelPositions().clear();
    labelStrings().clear();
    const qsizetype last = std::max<qsizetype>(1, names_.size() - 1);
    for (qsizetype i = 0; i < names_.size(); ++i) {
        const float at = float(i) / float(last);
        gridPositions() << at;
        labelPositions() << at;
        labelStrings() << names_[i];
    }
}

void ReadableLabels(QAbstract3DGraph* graph, float zoom)
{
    Q3DTheme* theme = graph->activeTheme();
    theme->setFont(QFont(QStringLiteral("Sans"), 36));
    theme->setLabelBorderEnabled(false);
    theme->setLabelBackgroundEnabled(false);
    graph->setShadowQuality(QAbstract3DGraph::ShadowQualityNone);
    graph->scene()->activeCamera()->setCameraPosition(0, 20, zoom);
    const QList<QAbstract3DAxis*> axes =
        qobject_cast<Q3DBars*>(graph)
            ? QList<QAbstract3DAxis*>{static_cast<Q3DBars*>(graph)->columnAxis(),
                                      static_cast<Q3DBars*>(graph)->rowAxis(),
                                      static_cast<Q3DBars*>(graph)->valueAxis()}
            : QList<QAbstract3DAxis*>{static_cast<Q3DSurface*>(graph)->axisX(),
                                      static_cast<Q3DSurface*>(graph)->axisY(),
                                      static_cast<Q3DSurface*>(graph)->axisZ()};
    for (QAbstract3DAxis* axis : axes)
        axis->setLabelAutoRotation(30); // readable from the camera's angle, never standing upright
    // A bar under the pointer is never shown in another shade.
    graph->setSelectionMode(QAbstract3DGraph::SelectionNone);
}

Chart3DView::Chart3DView(QWidget* parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("Chart3D"));
    setAlignment(Qt::AlignCenter);
    setMinimumSize(200, 150);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
}

void Chart3DView::show(QAbstract3DGraph* graph, const QString& title, const QStringList& legend,
                       const QList<QColor>& colours)
{
    graph_ = graph;
    title_ = title;
    legend_ = legend;
    colours_ = colours;
    refresh();
}

void Chart3DView::refresh()
{
    if (!graph_ || width() < 10 || height() < 10)
        return;
    // The title and the legend above the scene, which fills the rest.
    const int header = 52;
    const QSize scene(width(), height() - header);
    graph_->resize(scene); // the scene is laid out for the window's size
    graph_->scene()->setPrimarySubViewport(QRect(QPoint(0, 0), scene));
    graph_->setHorizontalAspectRatio(2.0);
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawImage(QPoint(0, header), graph_->renderToImage(4, scene));
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, 6, width(), 24), Qt::AlignCenter, title_);
    int x = 10;
    entries_.clear();
    for (qsizetype i = 0; i < legend_.size(); ++i) {
        painter.fillRect(QRect(x, 34, 10, 10), colours_.value(i % colours_.size()));
        painter.drawText(QPoint(x + 14, 44), legend_[i]);
        const int width = 14 + painter.fontMetrics().horizontalAdvance(legend_[i]);
        entries_ << QRect(x, 30, width, 18);
        x += width + 10;
    }
    painter.end();
    setPixmap(QPixmap::fromImage(image));
}

void Chart3DView::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    refresh();
}

void Chart3DView::mousePressEvent(QMouseEvent* event)
{
    from_ = event->position().toPoint();
}

void Chart3DView::mouseMoveEvent(QMouseEvent* event)
{
    if (!graph_ || !(event->modifiers() & Qt::ControlModifier))
        return;
    const QPoint at = event->position().toPoint();
    Q3DCamera* camera = graph_->scene()->activeCamera();
    camera->setXRotation(camera->xRotation() + float(at.x() - from_.x()) / 2);
    camera->setYRotation(camera->yRotation() + float(at.y() - from_.y()) / 2);
    from_ = at;
    refresh();
}

void Chart3DView::mouseDoubleClickEvent(QMouseEvent* event)
{
    for (qsizetype i = 0; i < entries_.size(); ++i)
        if (entries_[i].contains(event->position().toPoint()) || entries_.size() == 1) {
            picked(int(i));
            return;
        }
}
