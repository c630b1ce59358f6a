#include "applications/common/util/plan_transform_controller.h"

#include <QAction>

#include <algorithm>

PlanTransformController::PlanTransformController(QObject* parent)
    : QObject(parent), m_zoomInAction(new QAction(tr("Zoom In"), this)),
      m_zoomOutAction(new QAction(tr("Zoom Out"), this))
{
    // For queued connections and spies of the signal that carries it.
    static const int operationType = qRegisterMetaType<ZoomOperation>();
    Q_UNUSED(operationType);
    updateActions();
}

void PlanTransformController::setZoomRange(uint minimum, uint maximum)
{
    m_minimumZoomLevel = minimum;
    m_maximumZoomLevel = std::max(minimum, maximum);
    setZoomLevel(m_zoomLevel);
    updateActions();
}

void PlanTransformController::setZoomLevel(uint percent, ZoomOperation operation)
{
    const uint level = std::clamp(percent, m_minimumZoomLevel, m_maximumZoomLevel);
    if (level == m_zoomLevel)
        return;
    m_zoomLevel = level;
    updateActions();
    emit zoomLevelChanged(level);
    emit zoomLevelChanged(level, operation);
}

void PlanTransformController::updateActions()
{
    m_zoomInAction->setEnabled(m_zoomLevel < m_maximumZoomLevel);
    m_zoomOutAction->setEnabled(m_zoomLevel > m_minimumZoomLevel);
}
