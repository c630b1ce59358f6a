#include "seltrane_components/os/progress_tracker.h"

#include <algorithm>
#include <limits>

namespace {

// Totals handed to callbacks stay within int, as progress bars take int.
const quint64 kMaxReportedTotal = 0x7FFFFFFF;

}  // namespace

ProgressTracker::ProgressTracker(ProgressCallback progressCallback, TextCallback textCallback, void* userData)
    : m_progressCallback(progressCallback), m_textCallback(textCallback), m_userData(userData),
      m_cancel(std::make_shared<std::atomic_bool>(false))
{}

ProgressTracker::~ProgressTracker()
{
    if (m_progressCallback && !m_stages.empty())
        m_progressCallback(1, 1, m_userData);
}

void ProgressTracker::begin(unsigned steps, unsigned delayMs)
{
    if (!m_progressCallback)
        return;
    Stage stage;
    stage.count = steps;
    stage.total = steps;
    openStage(std::move(stage), delayMs);
}

void ProgressTracker::beginWeighted(const std::vector<unsigned>& weights, unsigned delayMs)
{
    if (!m_progressCallback)
        return;
    Stage stage;
    stage.count = static_cast<quint32>(weights.size());
    stage.weights.assign(weights.begin(), weights.end());
    stage.offsets.reserve(weights.size());
    quint32 sum = 0;
    for (unsigned weight : weights) {
        stage.offsets.push_back(sum);
        sum += weight;
    }
    stage.total = sum;
    openStage(std::move(stage), delayMs);
}

void ProgressTracker::openStage(Stage stage, unsigned delayMs)
{
    m_stages.push_back(std::move(stage));
    if (m_stages.size() != 1)
        return;
    m_delayMs = delayMs;
    m_startTime = std::chrono::steady_clock::now();
    reportProgress();
    if (m_textCallback)
        reportTexts();
}

void ProgressTracker::setStep(unsigned step)
{
    if (!m_progressCallback || step == 0 || m_stages.empty())
        return;
    Stage& stage = m_stages.back();
    if (step >= stage.count)
        return;
    stage.step = step;
    reportProgress();
}

void ProgressTracker::advance(unsigned n)
{
    if (!m_progressCallback || n == 0 || m_stages.empty())
        return;
    Stage& stage = m_stages.back();
    // The last step is left to end(); a stage of 0 or 1 steps cannot move.
    if (quint64(stage.step) + 1 >= stage.count)
        return;
    const quint64 last = stage.count - 1;
    stage.step = static_cast<quint32>(std::min<quint64>(quint64(stage.step) + n, last));
    reportProgress();
}

void ProgressTracker::end()
{
    if (!m_progressCallback || m_stages.empty())
        return;
    m_stages.back().step = m_stages.back().count;
    reportProgress();
    m_stages.pop_back();
}

void ProgressTracker::setTitleText(const QString& text)
{
    m_titleText = text;
    if (m_textCallback)
        reportTexts();
}

void ProgressTracker::setStatusText(const QString& text)
{
    m_statusText = text;
    if (m_textCallback)
        reportTexts();
}

bool ProgressTracker::withinDelay() const
{
    return m_delayMs > 0 && std::chrono::steady_clock::now() - m_startTime < std::chrono::milliseconds(m_delayMs);
}

void ProgressTracker::reportProgress()
{
    if (!m_stages.empty() && withinDelay())
        return;
    if (m_textPending)
        reportTexts();

    // Folded in 64 bits, as nested stages easily pass 32. Stages too fine to
    // fit even that are left out of the fold: the coarser fraction stands.
    quint64 done = 0;
    quint64 total = 1;
    quint64 unit = 1;
    const quint64 limit = std::numeric_limits<quint64>::max() / 2;
    for (const Stage& stage : m_stages) {
        if (stage.total > 1 && total > limit / stage.total)
            break;
        done *= stage.total;
        total *= stage.total;
        if (stage.step >= stage.count) {
            done += quint64(stage.total) * unit;
            break;
        }
        if (stage.step != 0)
            done += unit * (stage.weights.empty() ? stage.step : stage.offsets[stage.step]);
        if (!stage.weights.empty())
            unit *= stage.weights[stage.step];
    }
    if ((done == 0 || done == total) && m_stages.size() > 1)
        return;

    const bool between = done > 0 && done < total;
    while (total > kMaxReportedTotal) {
        total >>= 1;
        done >>= 1;
    }
    if (between) {
        // Scaling must not turn a value in between into the start or end.
        if (done == 0)
            done = 1;
        if (done >= total)
            done = total - 1;
    }
    m_progressCallback(static_cast<quint32>(done), static_cast<quint32>(total), m_userData);
}

void ProgressTracker::reportTexts()
{
    if (m_textSuppressed || !m_textCallback)
        return;
    if (withinDelay()) {
        m_textPending = true;
        return;
    }
    m_textCallback(m_titleText, m_statusText, m_userData);
}
