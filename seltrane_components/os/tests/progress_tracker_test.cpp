#include "seltrane_components/os/progress_tracker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Everything the callbacks saw, in order: "p done/total" or "t title|status".
typedef std::vector<std::string> Events;
struct Log
{
    Events events;
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
    static_cast<Log*>(userData)->events.push_back("t " + title.toStdString() + "|" + status.toStdString());
}

// Runs a script of "b<n>" begin, "w<a>,<b>,..." beginWeighted, "s<n>" setStep,
// "a<n>" advance and "e" end.
void run(ProgressTracker& tracker, const std::string& script)
{
    std::istringstream words(script);
    for (std::string op; words >> op;) {
        std::istringstream args(op.substr(1));
        std::vector<unsigned> numbers;
        for (std::string n; std::getline(args, n, ',');)
            numbers.push_back(static_cast<unsigned>(std::stoul(n)));
        switch (op[0]) {
        case 'b': tracker.begin(numbers.at(0)); break;
        case 'w': tracker.beginWeighted(numbers); break;
        case 's': tracker.setStep(numbers.at(0)); break;
        case 'a': tracker.advance(numbers.at(0)); break;
        case 'e': tracker.end(); break;
        default: ADD_FAILURE() << "bad script word " << op;
        }
    }
}

TEST(ProgressTracker, ScriptedStages)
{
    const struct
    {
        const char* script;
        Events expected;
    } cases[] = {
        // Step 0 and the caller's last "all done" are ignored; calls with no stage open do nothing.
        {"b5 s0 s2 s5 s7 e s1 a1 e", {"p 0/5", "p 2/5", "p 5/5"}},
        // Advance never reaches the end, nor wraps past it.
        {"b10 s3 a100 a1 a0 e", {"p 0/10", "p 3/10", "p 9/10", "p 10/10"}},
        {"b1 a1 a5 e", {"p 0/1", "p 1/1"}},
        {"b4 a4294967295 e", {"p 0/4", "p 3/4", "p 4/4"}},
        {"b0 a1 s1 e", {"p 0/0", "p 0/0"}},  // zero steps fold to total 0
        // Inner stages report nothing when they open, and never the exact start or end of the whole.
        {"b4 s2 b10 s5 e e", {"p 0/4", "p 2/4", "p 25/40", "p 30/40", "p 4/4"}},
        {"b2 b3 s1 e s1 b2 e e", {"p 0/2", "p 1/6", "p 3/6", "p 1/2", "p 2/2"}},
        {"w1,3 s1 b2 s1 e e", {"p 0/4", "p 1/4", "p 5/8", "p 4/4"}},
        {"w1,1,8 s2 a1 e", {"p 0/10", "p 2/10", "p 10/10"}},
    };
    Log log;
    ProgressTracker tracker(onProgress, nullptr, &log);  // one tracker: every run starts afresh
    for (const auto& c : cases) {
        log.events.clear();
        run(tracker, c.script);
        EXPECT_EQ(log.events, c.expected) << c.script;
        EXPECT_EQ(tracker.depth(), 0) << c.script;
    }

    // Without a progress callback nothing opens and only texts are reported.
    Log texts;
    ProgressTracker inert(nullptr, onText, &texts);
    run(inert, "b5 s2 a1 e e");
    EXPECT_EQ(inert.depth(), 0);
    inert.setTitleText(QStringLiteral("Title"));
    inert.setStatusText(QStringLiteral("Status"));
    EXPECT_EQ(texts.events, (Events{"t Title|", "t Title|Status"}));
    ProgressTracker silent;  // no callbacks at all
    run(silent, "b3 s1");
    silent.setTitleText(QStringLiteral("x"));
}

TEST(ProgressTracker, WideFoldsStayExact)
{
    Log log;
    ProgressTracker tracker(onProgress, nullptr, &log);
    // 5000050000 / 10^10 in 32 bits would wrap; the fraction must survive.
    run(tracker, "b100000 s50000 b100000 s50000");
    ASSERT_EQ(log.progress.size(), 3u);
    const auto last = log.progress.back();
    EXPECT_LE(last.second, 0x7FFFFFFFu);
    EXPECT_NEAR(double(last.first) / last.second, 0.500005, 1e-7);

    // Past 64 bits the innermost stages drop out of the fold, but every
    // step still reports a fraction strictly between start and end.
    run(tracker, "s1 b100000 s99999 b100000 s99999");
    ASSERT_EQ(log.progress.size(), 6u);
    const auto deep = log.progress.back();
    EXPECT_GT(deep.first, 0u);
    EXPECT_LT(deep.first, deep.second);
    EXPECT_LE(deep.second, 0x7FFFFFFFu);
    EXPECT_NEAR(double(deep.first) / deep.second, 0.500000002, 1e-8);

    // 1 of 10^10 scaled to 31 bits must not look like the start.
    Log small;
    ProgressTracker fine(onProgress, nullptr, &small);
    run(fine, "b100000 b100000 s1");
    ASSERT_EQ(small.progress.size(), 2u);
    EXPECT_EQ(small.progress.back().first, 1u);
    EXPECT_LE(small.progress.back().second, 0x7FFFFFFFu);
}

TEST(ProgressTracker, DelayTextsAndDestruction)
{
    Log log;
    {
        ProgressTracker tracker(onProgress, onText, &log);
        tracker.begin(10, 60);
        tracker.setTitleText(QStringLiteral("Loading"));
        tracker.setStep(1);
        EXPECT_TRUE(log.events.empty());
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
        run(tracker, "s2 s3 e");  // the pending texts go out with every later report
        EXPECT_EQ(log.events, (Events{"t Loading|", "p 2/10", "t Loading|", "p 3/10", "t Loading|", "p 10/10"}));

        log.events.clear();
        tracker.begin(2, 0);  // a new run takes a new delay
        EXPECT_EQ(log.events, (Events{"t Loading|", "p 0/2", "t Loading|"}));
        tracker.end();

        log.events.clear();
        tracker.setTextReportsSuppressed(true);
        tracker.setStatusText(QStringLiteral("quiet"));
        tracker.begin(2, 0);
        EXPECT_EQ(tracker.statusText(), QStringLiteral("quiet"));
    }
    // Destroyed while running: the receiver hears 1 of 1.
    EXPECT_EQ(log.events, (Events{"p 0/2", "p 1/1"}));
}

TEST(ProgressTracker, CancelFlagIsSharedAcrossThreads)
{
    ProgressTracker tracker, other;
    std::shared_ptr<std::atomic_bool> flag = tracker.cancelFlag();
    EXPECT_FALSE(tracker.isCancelled());
    std::thread([flag] { flag->store(true); }).join();
    EXPECT_TRUE(tracker.isCancelled());
    EXPECT_FALSE(other.isCancelled());  // each tracker has its own flag
}

}  // namespace
