// EndSignals turns SIGTERM, SIGINT and SIGHUP (kill, Ctrl+C, the end of a
// terminal or desktop session) into the Qt signal endRequested(), delivered
// through the event loop of the thread that made the object: the handler
// only write()s the signal's number into a pipe, and a QSocketNotifier on its
// other end emits. A signal that was ignored when the object was made (as
// under nohup) stays ignored.
//
// One object at a time: it installs its handler when made and puts the
// earlier dispositions back when destroyed, closing the pipe only once no
// handler is on its way to it. Its owner (the application) decides what an
// end request does.
//
// Made, used and destroyed on the GUI thread; the handler itself runs on any
// thread.
#ifndef APPLICATIONS_MORVANT_END_SIGNALS_H
#define APPLICATIONS_MORVANT_END_SIGNALS_H

#include <QObject>

#include <csignal>

class QSocketNotifier;

class EndSignals : public QObject
{
    Q_OBJECT

public:
    // The signals it turns into requests.
    static constexpr int kSignalCount = 3;
    static const int kSignals[kSignalCount];

    explicit EndSignals(QObject* parent = nullptr);
    ~EndSignals() override;

    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

    // False when no pipe could be made: the signals then keep their earlier
    // dispositions.
    bool isListening() const { return m_notifier != nullptr; }

signals:
    // Once for each signal received; signal is its number.
    void endRequested(int signal);

private:
    void readPipe();

    int m_readEnd = -1;
    int m_writeEnd = -1;
    QSocketNotifier* m_notifier = nullptr;
    struct sigaction m_previous[kSignalCount] = {};
    bool m_installed[kSignalCount] = {};
};

// Holds SIGTERM, SIGINT and SIGHUP back on the calling thread, and on the
// threads it starts meanwhile, from its making until release() or its end: a
// signal sent meanwhile waits and is delivered once they are let through.
// main() holds them from before it takes the instance lock until the
// application's EndSignals listens, so that an end at start-up is an end
// request, not the default action that would leave the lock behind.
//
// One thread (main's) uses an object.
class HeldEndSignals
{
public:
    HeldEndSignals();
    ~HeldEndSignals() { release(); }

    HeldEndSignals(const HeldEndSignals&) = delete;
    HeldEndSignals& operator=(const HeldEndSignals&) = delete;

    // Lets the signals through as they were before; a second call does nothing.
    void release();

private:
    sigset_t m_previous;
    bool m_held = false;
};

#endif  // APPLICATIONS_MORVANT_END_SIGNALS_H
