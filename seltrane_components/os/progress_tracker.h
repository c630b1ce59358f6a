// ProgressTracker folds nested, independently written loops into one overall
// fraction for a progress callback, and carries two display texts and a
// shared cancel flag.
//
// A long operation opens a stage of N steps (begin/beginWeighted), moves
// through it (setStep/advance) and closes it (end); operations it calls open
// their own stages inside the current step. The same tracker is passed by
// reference down the whole call chain. A tracker built without a progress
// callback is inert, so lower layers never test for one.
//
// Nothing is reported until the delay given to the outermost stage has
// passed; nested stages never report the exact start or end of the whole.
//
// Thread safety: one thread uses a tracker. Only the cancel flag may be
// touched from other threads (set by whoever asks for cancellation, tested
// by the operation between items).
#ifndef SELTRANE_COMPONENTS_OS_PROGRESS_TRACKER_H
#define SELTRANE_COMPONENTS_OS_PROGRESS_TRACKER_H

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <chrono>
#include <list>
#include <memory>
#include <vector>

class ProgressTracker
{
public:
    // (done, total, user data); total is never above 0x7FFFFFFF.
    typedef void (*ProgressCallback)(quint32 done, quint32 total, void* userData);
    // (title, status, user data)
    typedef void (*TextCallback)(const QString& title, const QString& status, void* userData);

    explicit ProgressTracker(ProgressCallback progressCallback = nullptr, TextCallback textCallback = nullptr,
                             void* userData = nullptr);
    // Tells a reporting receiver 1 of 1 when stages are still open.
    ~ProgressTracker();

    ProgressTracker(const ProgressTracker&) = delete;
    ProgressTracker& operator=(const ProgressTracker&) = delete;

    // Opens a stage of `steps` equal steps. delayMs counts only for the
    // outermost stage.
    void begin(unsigned steps, unsigned delayMs = 0);
    // Opens a stage with one step per weight.
    void beginWeighted(const std::vector<unsigned>& weights, unsigned delayMs = 0);
    // Moves the innermost stage to `step`; 0 and steps not below the count
    // are ignored (the caller's final "all done" call is accounted by end()).
    void setStep(unsigned step);
    // Moves the innermost stage forward by n steps, never onto its end.
    void advance(unsigned n = 1);
    // Closes the innermost stage.
    void end();

    void setTitleText(const QString& text);
    void setStatusText(const QString& text);
    QString titleText() const { return m_titleText; }
    QString statusText() const { return m_statusText; }

    // While set, the text callback is not called.
    void setTextReportsSuppressed(bool suppressed) { m_textSuppressed = suppressed; }

    // Number of open stages.
    int depth() const { return static_cast<int>(m_stages.size()); }

    // Shared with everyone who may ask the running operation to stop.
    const std::shared_ptr<std::atomic_bool>& cancelFlag() const { return m_cancel; }
    bool isCancelled() const { return m_cancel->load(); }

private:
    struct Stage
    {
        quint32 step = 0;
        quint32 count = 0;
        std::vector<quint32> weights;  // empty for an unweighted stage
        std::vector<quint32> offsets;  // sums of the weights of earlier steps
        quint32 total = 0;             // sum of weights, or count
    };

    void openStage(Stage stage, unsigned delayMs);
    bool withinDelay() const;
    void reportProgress();
    void reportTexts();

    ProgressCallback m_progressCallback;
    TextCallback m_textCallback;
    void* m_userData;
    std::list<Stage> m_stages;
    QString m_titleText;
    QString m_statusText;
    bool m_textSuppressed = false;
    std::chrono::steady_clock::time_point m_startTime;
    qint64 m_delayMs = 0;
    bool m_textPending = false;
    std::shared_ptr<std::atomic_bool> m_cancel;
};

// One stage of a tracker (which may be null) for the life of a scope, so that
// every way out of the scope, an exception included, ends it.
class ProgressStage
{
public:
    ProgressStage(ProgressTracker* tracker, unsigned steps) : m_tracker(tracker)
    {
        if (m_tracker)
            m_tracker->begin(steps);
    }
    ~ProgressStage()
    {
        if (m_tracker)
            m_tracker->end();
    }
    ProgressStage(const ProgressStage&) = delete;
    ProgressStage& operator=(const ProgressStage&) = delete;

    void step(unsigned index)
    {
        if (m_tracker)
            m_tracker->setStep(index);
    }

private:
    ProgressTracker* m_tracker;
};

#endif  // SELTRANE_COMPONENTS_OS_PROGRESS_TRACKER_H
