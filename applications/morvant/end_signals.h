// EndSignals turns SIGTERM, SIGINT and SIGHUP (kill, Ctrl+C, the end of a
// terminal or desktop session) into the Qt signal endRequested(), delivered
// through the event loop of the thread that made the object: the handler
// only write()s the signal's number into a pipe, and a QSocketNotifier on its
// other end emits. A signal that was ignored when the object was made (as
// under nohup) stays ignored.
//
// One object at a time: it installs its handler when made and puts the
// earlier dispositions back when destroyed. Its owner (the application)
// decides what an end request does.
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

    static constexpr int kSignalCount = 3;
    static const int kSignals[kSignalCount];

    int m_readEnd = -1;
    int m_writeEnd = -1;
    QSocketNotifier* m_notifier = nullptr;
    struct sigaction m_previous[kSignalCount] = {};
    bool m_installed[kSignalCount] = {};
};

#endif  // APPLICATIONS_MORVANT_END_SIGNALS_H
