// Archive::AutoSaveTimer runs the two autosave timers of a database: the idle
// timer, restarted by every change so that a burst of changes is saved once,
// idleDelay after the last of them; and the maximum timer, started by the
// first change of a burst and never restarted, so that no change waits longer
// than maxDelay while changes keep coming. When either fires, both stop and
// the save runs; a save that throws is logged ("Error autosaving database",
// level 114) and the next change starts the timers again.
//
// An idle delay of kAutoSaveOff (or below 0) switches autosave off; a maximum
// delay of kAutoSaveOff (or below 0) leaves the maximum timer out.
//
// Ownership: the database owns its timer object; the save function is the
// database's. Threads: a QObject; restart() and stop() must run in the
// object's thread (the database reaches it through a queued or direct
// connection from requestAutoSaveTimer), and the save runs there too.
#ifndef ARCHIVE_AUTOSAVE_TIMER_H
#define ARCHIVE_AUTOSAVE_TIMER_H

#include <QObject>

#include <functional>

namespace Archive {

constexpr qint32 kAutoSaveOff = 0x7FFFFFFF;

class AutoSaveTimer : public QObject
{
    Q_OBJECT
public:
    using SaveFunction = std::function<void()>;

    explicit AutoSaveTimer(QObject* parent = nullptr);
    ~AutoSaveTimer() override;

    void setSaveFunction(SaveFunction save) { m_save = std::move(save); }
    void setDelays(qint32 idleDelay, qint32 maxDelay);
    qint32 idleDelay() const { return m_idleDelay; }
    qint32 maxDelay() const { return m_maxDelay; }

    // Restarts the idle timer and starts the maximum timer unless it runs.
    void restart();
    void stop();

    bool isIdleTimerRunning() const { return m_idleTimer != 0; }
    bool isMaxTimerRunning() const { return m_maxTimer != 0; }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    SaveFunction m_save;
    qint32 m_idleDelay = kAutoSaveOff;
    qint32 m_maxDelay = kAutoSaveOff;
    int m_idleTimer = 0;
    int m_maxTimer = 0;
};

}  // namespace Archive

#endif  // ARCHIVE_AUTOSAVE_TIMER_H
