#include "components/archive/autosave_timer.h"

#include "seltrane_components/os/logger.h"

#include <QTimerEvent>

#include <exception>

namespace Archive {

namespace {

bool isOn(qint32 delay)
{
    return delay >= 0 && delay != kAutoSaveOff;
}

} // namespace

AutoSaveTimer::AutoSaveTimer(QObject* parent) : QObject(parent) {}

AutoSaveTimer::~AutoSaveTimer() = default;

void AutoSaveTimer::setDelays(qint32 idleDelay, qint32 maxDelay)
{
    idleDelay_ = idleDelay;
    maxDelay_ = maxDelay;
    if (!isOn(idleDelay_))
        stop();
}

void AutoSaveTimer::restart()
{
    if (!isOn(idleDelay_))
        return;
    if (idleTimer_ != 0)
        killTimer(idleTimer_);
    idleTimer_ = startTimer(idleDelay_, Qt::CoarseTimer);
    if (maxTimer_ == 0 && isOn(maxDelay_))
        maxTimer_ = startTimer(maxDelay_, Qt::CoarseTimer);
}

void AutoSaveTimer::stop()
{
    if (idleTimer_ != 0)
        killTimer(idleTimer_);
    if (maxTimer_ != 0)
        killTimer(maxTimer_);
    idleTimer_ = 0;
    maxTimer_ = 0;
}

void AutoSaveTimer::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == 0 || (event->timerId() != idleTimer_ && event->timerId() != maxTimer_)) {
        QObject::timerEvent(event);
        return;
    }
    // Nothing may escape into the event loop; the database stays modified, so
    // the next change tries again.
    try {
        if (save_)
            save_();
    } catch (const std::exception&) {
        logMessage(kLogAutosaveError, "Error autosaving database\n");
    }
    stop();
}

} // namespace Archive
