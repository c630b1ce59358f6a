#include "seltrane_components/os/progress_tracker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Everything the callbacks saw, in order: "p done/total" or "t title|status".
struct Log
{
    std::vector<std::string> events;
    std::vector<std::pair<quint32, quint32>> progress;
};

void onProgress(quint32 done, quint32 total, void* userData)
{
    Log* log = static_cast<Log*>(userData);
    log->events.push_back("p " + std::to_string(done) + "/" + std::to_string(total));
    log->progress.emplace_back(done, total);
}

void onText(const QString& title, const QString& status, void* userData)
{
    static_cast<Log*>(userData)->events.push_back("t " + title.toStdString() + "|"
                                                  + status.toStdString());
}

typedef std::vector<std::string> Events;

TEST(ProgressTracker, InertWithoutProgressCallback)
{
    Log log;
    ProgressTracker tracker(nullptr, onText, &log);
    tracker.begin(5);
    EXPECT_EQ(tracker.depth(), 0);
    tracker.setStep(2);
    tracker.advance(1);
    tracker.end();
    tracker.end();
    EXPECT_TRUE(log.events.empty());
    tracker.setTitleText(QStringLiteral("Title"));
    tracker.setStatusText(QStringLiteral("Status"));
    EXPECT_EQ(log.events, (Events{"t Title|", "t Title|Status"}));

    ProgressTracker silent;  // no callbacks at all
    silent.begin(3);
    silent.setTitleText(QStringLiteral("x"));
    EXPECT_EQ(silent.titleText(), QStringLiteral("x"));
}

TEST(ProgressTracker, SingleStage)
{
    Log log;
    {
        ProgressTracker tracker(onProgress, onText, &log);
        tracker.setTitleText(QStringLiteral("Saving"));
        log.events.clear();
        tracker.begin(5);
        tracker.setStep(0);  // ignored
        tracker.setStep(2);
        tracker.setStep(5);  // the caller's last "all done": ignored
        tracker.setStep(7);
        tracker.end();
        EXPECT_EQ(tracker.depth(), 0);
        EXPECT_EQ(log.events, (Events{"p 0/5", "t Saving|", "p 2/5", "p 5/5"}));

        // Out of place calls with no stage open do nothing.
        log.events.clear();
        tracker.setStep(1);
        tracker.advance(1);
        tracker.end();
        EXPECT_TRUE(log.events.empty());

        // A second run; advance never reaches the end.
        tracker.begin(10);
        tracker.setStep(3);
        tracker.advance(100);
        tracker.advance(1);
        tracker.advance(0);
        EXPECT_EQ(log.events, (Events{"p 0/10", "t Saving|", "p 3/10", "p 9/10"}));
        log.events.clear();
    }
    // Destroyed while running: the receiver hears 1 of 1.
    EXPECT_EQ(log.events, (Events{"p 1/1"}));
}

TEST(ProgressTracker, TinyStagesDoNotWrap)
{
    Log log;
    ProgressTracker tracker(onProgress, nullptr, &log);
    tracker.begin(1);
    tracker.advance(1);
    tracker.advance(5);
    EXPECT_EQ(log.events, (Events{"p 0/1"}));
    tracker.end();

    log.events.clear();
    tracker.begin(0);
    tracker.advance(1);
    tracker.setStep(1);
    tracker.end();
    // A stage of zero steps folds to total 0.
    EXPECT_EQ(log.events, (Events{"p 0/0", "p 0/0"}));

    log.events.clear();
    tracker.begin(4);
    tracker.advance(0xFFFFFFFFu);  // no 32-bit overflow of step + n
    EXPECT_EQ(log.events, (Events{"p 0/4", "p 3/4"}));
    tracker.end();
}

TEST(ProgressTracker, NestedFolds)
{
    Log log;
    ProgressTracker tracker(onProgress, nullptr, &log);
    tracker.begin(4);
    tracker.setStep(2);
    tracker.begin(10);  // inner stages report nothing when they open
    tracker.setStep(5);
    EXPECT_EQ(log.events, (Events{"p 0/4", "p 2/4", "p 25/40"}));
    tracker.end();  // 3/4 of the whole
    tracker.end();
    EXPECT_EQ(log.events, (Events{"p 0/4", "p 2/4", "p 25/40", "p 30/40", "p 4/4"}));

    // Nested stages never report the exact start or end of the whole.
    log.events.clear();
    tracker.begin(2);
    tracker.begin(3);
    tracker.setStep(1);  // strictly between: reported
    tracker.end();
    tracker.setStep(1);
    tracker.begin(2);
    tracker.end();  // exactly the end of the whole: not reported
    tracker.end();
    EXPECT_EQ(log.events, (Events{"p 0/2", "p 1/6", "p 3/6", "p 1/2", "p 2/2"}));

    log.events.clear();
    tracker.beginWeighted({1, 3});
    tracker.setStep(1);
    tracker.begin(2);
    tracker.setStep(1);
    tracker.end();
    tracker.end();
    EXPECT_EQ(log.events, (Events{"p 0/4", "p 1/4", "p 5/8", "p 4/4"}));

    log.events.clear();
    tracker.beginWeighted({1, 1, 8});
    tracker.setStep(2);
    tracker.advance(1);  // already on the last step
    tracker.end();
    EXPECT_EQ(log.events, (Events{"p 0/10", "p 2/10", "p 10/10"}));
}

TEST(ProgressTracker, WideFoldsStayExact)
{
    Log log;
    ProgressTracker tracker(onProgress, nullptr, &log);
    tracker.begin(100000);
    tracker.setStep(50000);
    tracker.begin(100000);
    tracker.setStep(50000);
    // 5000050000 / 10^10 in 32 bits would wrap; the fraction must survive.
    ASSERT_EQ(log.progress.size(), 3u);
    const auto last = log.progress.back();
    EXPECT_LE(last.second, 0x7FFFFFFFu);
    EXPECT_NEAR(double(last.first) / last.second, 0.500005, 1e-7);

    // Past 64 bits the innermost stages drop out of the fold, but every
    // step still reports a fraction strictly between start and end.
    tracker.setStep(1);
    tracker.begin(100000);
    tracker.setStep(99999);
    tracker.begin(100000);
    tracker.setStep(99999);
    ASSERT_EQ(log.progress.size(), 6u);
    const auto deep = log.progress.back();
    EXPECT_GT(deep.first, 0u);
    EXPECT_LT(deep.first, deep.second);
    EXPECT_LE(deep.second, 0x7FFFFFFFu);
    EXPECT_NEAR(double(deep.first) / deep.second, 0.500000002, 1e-8);

    // 1 of 10^10 scaled to 31 bits must not look like the start.
    Log small;
    ProgressTracker fine(onProgress, nullptr, &small);
    fine.begin(100000);
    fine.begin(100000);
    fine.setStep(1);
    ASSERT_EQ(small.progress.size(), 2u);
    EXPECT_EQ(small.progress.back().first, 1u);
    EXPECT_LE(small.progress.back().second, 0x7FFFFFFFu);
}

TEST(ProgressTracker, DelayHoldsReportsAndTexts)
{
    Log log;
    ProgressTracker tracker(onProgress, onText, &log);
    tracker.begin(10, 60);
    tracker.setTitleText(QStringLiteral("Loading"));
    tracker.setStep(1);
    EXPECT_TRUE(log.events.empty());
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    tracker.setStep(2);
    tracker.setStep(3);  // the pending texts go out with every later report
    EXPECT_EQ(log.events, (Events{"t Loading|", "p 2/10", "t Loading|", "p 3/10"}));
    tracker.end();

    // A new run takes a new delay.
    log.events.clear();
    tracker.begin(2, 0);
    EXPECT_EQ(log.events, (Events{"t Loading|", "p 0/2", "t Loading|"}));
    tracker.end();

    log.events.clear();
    tracker.setTextReportsSuppressed(true);
    tracker.setStatusText(QStringLiteral("quiet"));
    tracker.begin(2, 0);
    EXPECT_EQ(log.events, (Events{"p 0/2"}));
    EXPECT_EQ(tracker.statusText(), QStringLiteral("quiet"));
}

TEST(ProgressTracker, CancelFlagIsShared)
{
    ProgressTracker tracker;
    std::shared_ptr<std::atomic_bool> flag = tracker.cancelFlag();
    EXPECT_FALSE(tracker.isCancelled());
    EXPECT_FALSE(flag->load());

    std::thread canceller([flag] { flag->store(true); });
    canceller.join();
    EXPECT_TRUE(tracker.isCancelled());
    EXPECT_TRUE(tracker.cancelFlag()->load());

    ProgressTracker other;
    EXPECT_FALSE(other.isCancelled());  // each tracker has its own flag
}

}  // namespace
