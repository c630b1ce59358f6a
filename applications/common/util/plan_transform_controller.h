#ifndef APPLICATIONS_COMMON_UTIL_PLAN_TRANSFORM_CONTROLLER_H
#define APPLICATIONS_COMMON_UTIL_PLAN_TRANSFORM_CONTROLLER_H

#include <QObject>
#include <QPointF>

class QAction;

// PlanTransformController keeps the zoom level of a plan view in percent,
// within its limits, and enables its zoom-in and zoom-out actions to match.
// It owns the two actions. GUI thread only.
class PlanTransformController : public QObject
{
    Q_OBJECT

public:
    // How a new zoom level came about, for listeners that treat kinds of
    // zoom differently.
    enum ZoomOperation { SetZoom = 0 };
    Q_ENUM(ZoomOperation)

    explicit PlanTransformController(QObject* parent = nullptr);

    uint zoomLevel() const { return m_zoomLevel; }
    uint minimumZoomLevel() const { return m_minimumZoomLevel; }
    uint maximumZoomLevel() const { return m_maximumZoomLevel; }
    QAction* zoomInAction() const { return m_zoomInAction; }
    QAction* zoomOutAction() const { return m_zoomOutAction; }

    // A maximum below the minimum is taken as the minimum; the level is
    // limited to the new range.
    void setZoomRange(uint minimum, uint maximum);
    void setZoomLevel(uint percent) { setZoomLevel(percent, SetZoom); }
    // Limits percent to the range; a new level enables the actions and is
    // announced by both zoomLevelChanged signals.
    void setZoomLevel(uint percent, ZoomOperation operation);

signals:
    void zoomLevelChanged(uint percent);
    void zoomLevelChanged(uint percent, PlanTransformController::ZoomOperation operation);
    void centerChanged(QPointF center);

private:
    void updateActions();

    uint m_zoomLevel = 100;
    uint m_minimumZoomLevel = 10;
    uint m_maximumZoomLevel = 1000;
    QAction* m_zoomInAction;
    QAction* m_zoomOutAction;
};

#endif  // APPLICATIONS_COMMON_UTIL_PLAN_TRANSFORM_CONTROLLER_H
