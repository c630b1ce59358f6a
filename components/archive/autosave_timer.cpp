#include "components/archive/autosave_timer.h"

#include "seltrane_components/os/logger.h"

#include <QTimerEvent>

#include <exception>

namespace Archive {

namespace {

bool isOn(qint32 delay) { return delay >= 0 && delay != kAutoSaveOff; }

}  // namespace

AutoSaveTimer::AutoSaveTimer(QObject* parent) : QObject(parent) {}

AutoSaveTimer::~AutoSaveTimer() = default;

void AutoSaveTimer::setDelays(qint32 idleDelay, qint32 maxDelay)
{
    m_idleDelay = idleDelay;
    m_maxDelay = maxDelay;
    if (!isOn(m_idleDelay))
        stop();
}

void AutoSaveTimer::restart()
{
    if (!isOn(m_idleDelay))
        return;
    if (m_idleTimer != 0)
        killTimer(m_idleTimer);
    m_idleTimer = startTimer(m_idleDelay, Qt::CoarseTimer);
    if (m_maxTimer == 0 && isOn(m_maxDelay))
        m_maxTimer = startTimer(m_maxDelay, Qt::CoarseTimer);
}

void AutoSaveTimer::stop()
{
    if (m_idleTimer != 0)
        killTimer(m_idleTimer);
    if (m_maxTimer != 0)
        killTimer(m_maxTimer);
    m_idleTimer = 0;
    m_maxTimer = 0;
}

void AutoSaveTimer::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == 0 || (event->timerId() != m_idleTimer && event->timerId() != m_maxTimer)) {
        QObject::timerEvent(event);
        return;
    }
    // Nothing may escape into the event loop; the database stays modified, so
    // the next change tries again.
    try {
        if (m_save)
            m_save();
    } catch (const std::exception&) {
        logMessage(kLogAutosaveError, "Error autosaving database\n");
    }
    stop();
}

}  // namespace Archive
