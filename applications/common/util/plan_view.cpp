#include "applications/common/util/plan_view.h"

#include "applications/common/util/plan_scene.h"
#include "applications/common/util/plan_transform_controller.h"

#include <QCoreApplication>

#include <climits>
#include <cmath>

PlanView::PlanView(QWidget* parent) : QGraphicsView(parent) {}

PlanView::PlanView(QGraphicsScene* scene, QWidget* parent) : QGraphicsView(scene, parent) {}

void PlanView::zoomToRect(const QRectF& rect)
{
    if (!m_controller)
        return;
    if (viewport()->testAttribute(Qt::WA_PendingResizeEvent)) {
        m_pendingZoomRect = rect;
        m_zoomPending = true;
        return;
    }
    applyZoomRect(rect);
}

void PlanView::applyZoomRect(const QRectF& rect)
{
    m_zoomPending = false;
    const double maximum = m_controller->maximumZoomLevel();
    if (!(m_baseScale > 0) || !std::isfinite(m_baseScale) || maximum == 0)
        return;

    setTransformationAnchor(QGraphicsView::NoAnchor);
    // At the maximum zoom a pixel spans 100 / (base scale x maximum) scene
    // units; a smaller rectangle would zoom further.
    const double unitsPerPixel = 100.0 / (m_baseScale * maximum);
    QRectF target = rect.normalized();
    const QPointF centre = target.center();
    target.setWidth(std::max(target.width(), viewport()->width() * unitsPerPixel));
    target.setHeight(std::max(target.height(), viewport()->height() * unitsPerPixel));
    target.moveCenter(centre);
    fitInView(target, Qt::KeepAspectRatio);
    const double level = transform().m22() * 100.0 / m_baseScale;
    m_controller->setZoomLevel(level > 0 ? uint(std::min(level, double(UINT_MAX))) : 0u);
    setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
}

void PlanView::enterEvent(QEvent* event)
{
    QGraphicsView::enterEvent(event);
    if (scene())
        QCoreApplication::postEvent(scene(), new PlanViewEvent(PlanViewEvent::enterType(), this));
}

void PlanView::leaveEvent(QEvent* event)
{
    QGraphicsView::leaveEvent(event);
    if (scene())
        QCoreApplication::postEvent(scene(), new PlanViewEvent(PlanViewEvent::leaveType(), this));
}

void PlanView::resizeEvent(QResizeEvent* event)
{
    QGraphicsView::resizeEvent(event);
    // The viewport has its geometry by now, though its own resize event may
    // still be pending.
    if (m_zoomPending && m_controller)
        applyZoomRect(m_pendingZoomRect);
}
