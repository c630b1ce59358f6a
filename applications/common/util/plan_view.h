#ifndef APPLICATIONS_COMMON_UTIL_PLAN_VIEW_H
#define APPLICATIONS_COMMON_UTIL_PLAN_VIEW_H

#include "applications/common/util/plan_transform_controller.h"

#include <QGraphicsView>
#include <QPointer>

// PlanView shows a plan scene: it tells its scene when the pointer enters or
// leaves it (PlanViewEvent, posted), and zooms to a rectangle no further than
// its transform controller's maximum. The base scale is the transform scale
// that counts as 100 percent. The controller is not owned. GUI thread only.
class PlanView : public QGraphicsView
{
    Q_OBJECT

public:
    explicit PlanView(QWidget* parent = nullptr);
    explicit PlanView(QGraphicsScene* scene, QWidget* parent = nullptr);

    double baseScale() const { return m_baseScale; }
    void setBaseScale(double scale) { m_baseScale = scale; }
    PlanTransformController* transformController() const { return m_controller; }
    void setTransformController(PlanTransformController* controller) { m_controller = controller; }

    // Fits rect into the viewport, widened around its centre where needed so
    // the zoom stays within the maximum, and gives the controller the new
    // level. Does nothing without a controller; before the viewport has its
    // size, the rectangle waits for the next resize.
    void zoomToRect(const QRectF& rect);

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyZoomRect(const QRectF& rect);

    double m_baseScale = 1.0;
    QPointer<PlanTransformController> m_controller;
    QRectF m_pendingZoomRect;
    bool m_zoomPending = false;
};

// AutoScrollController declares how a plan view's scrolling while a drag
// nears its edge is announced; nothing here scrolls. GUI thread only.
class AutoScrollController : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

signals:
    void scrolled(QPoint offset);
};

#endif  // APPLICATIONS_COMMON_UTIL_PLAN_VIEW_H
