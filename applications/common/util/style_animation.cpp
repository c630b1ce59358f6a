#include "applications/common/util/style_animation.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

StyleAnimation::StyleAnimation(QObject* target) : QAbstractAnimation(target) {}

StyleAnimation::~StyleAnimation() = default;

void StyleAnimation::updateCurrentTime(int)
{
    QObject* const target = parent();
    if (!target)
        return;
    if (target->isWidgetType()) {
        const auto* widget = static_cast<const QWidget*>(target);
        if (!widget->isVisible() || widget->window()->isMinimized())
            stop();
    }
    // Even on the tick that stopped, so the last state is painted.
    if (isUpdateNeeded()) {
        QEvent update(QEvent::StyleAnimationUpdate);
        QCoreApplication::sendEvent(target, &update);
    }
}

bool StyleAnimation::isUpdateNeeded() const { return currentTime() > m_delay; }

ProgressStyleAnimation::ProgressStyleAnimation(int speed, QObject* target) : StyleAnimation(target), m_speed(speed) {}

int ProgressStyleAnimation::animationStep() const
{
    // In integers: time / (1000.0 / speed) falls just short of whole steps
    // (59.99... at one second and 60 steps a second).
    return static_cast<int>(qint64(currentTime()) * m_speed / 1000);
}

bool ProgressStyleAnimation::isUpdateNeeded() const
{
    if (!StyleAnimation::isUpdateNeeded())
        return false;
    const int step = animationStep();
    if (m_step != -1 && m_step == step)
        return false;
    m_step = step;
    return true;
}
