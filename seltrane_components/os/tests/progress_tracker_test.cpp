#include "seltrane_components/os/progress_tracker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// Everything the callbacks saw, in order: "done/total" or "title|status".
typedef std::vector<std::string> Events;

void onProgress(quint32 done, quint32 total, void* events)
{
    static_cast<Events*>(events)->push_back(std::to_string(done) + "/" + std::to_string(total));
}
void onText(const QString& title, const QString& status, void* events)
{
    static_cast<Events*>(events)->push_back((title + '|' + status).toStdString());
}

// Runs a script of "b<n>" begin, "w<a>,<b>,..." beginWeighted, "s<n>" setStep, "a<n>" advance and "e" end.
void run(ProgressTracker& tracker, const std::string& script)
{
    std::istringstream words(script);
    for (std::string op; words >> op;) {
        std::istringstream args(op.substr(1));
        std::vector<unsigned> numbers;
        for (std::string n; std::getline(args, n, ',');)
            numbers.push_back(static_cast<unsigned>(std::stoul(n)));
        const char kind = op[0];
        kind == 'b'       ? tracker.begin(numbers.at(0))
            : kind == 'w' ? tracker.beginWeighted(numbers)
            : kind == 's' ? tracker.setStep(numbers.at(0))
            : kind == 'a' ? tracker.advance(numbers.at(0))
                          : tracker.end();
    }
}

TEST(ProgressTracker, ScriptedStagesAndWideFolds)
{
    const std::pair<const char*, Events> cases[] = {
        // Step 0 and the caller's last "all done" are ignored; calls with no stage open do nothing.
        {"b5 s0 s2 s5 s7 e s1 a1 e", {"0/5", "2/5", "5/5"}},
        // Advance never reaches the end, nor wraps past it.
        {"b10 s3 a100 a1 a0 e", {"0/10", "3/10", "9/10", "10/10"}},
        {"b4 a4294967295 e", {"0/4", "3/4", "4/4"}},
        {"b0 a1 s1 e", {"0/0", "0/0"}},  // zero steps fold to total 0
        // Inner stages report nothing when they open, and never the exact start or end of the whole.
        {"b2 b3 s1 e s1 b2 e e", {"0/2", "1/6", "3/6", "1/2", "2/2"}},
        {"w1,3 s1 b2 s1 e e", {"0/4", "1/4", "5/8", "4/4"}},
    };
    Events events;
    ProgressTracker tracker(onProgress, nullptr, &events);  // one tracker: every run starts afresh
    for (const auto& [script, expected] : cases) {
        events.clear();
        run(tracker, script);
        EXPECT_EQ(events, expected) << script;
        EXPECT_EQ(tracker.depth(), 0) << script;
    }

    // 5000050000 / 10^10 in 32 bits would wrap; past 64 bits the innermost stages drop out of the fold,
    // yet every step still reports a fraction strictly between start and end, and 1 of 10^10 is not the start.
    const std::tuple<const char*, double, double> wide[] = {
        {"b100000 s50000 b100000 s50000", 0.500005, 1e-7},
        {"b100000 b100000 s1", 0, 1e-9},
        {"b100000 s50000 b100000 s49999 s1 b100000 s99999 b100000 s99999", 0.500000002, 1e-8}};
    for (const auto& [script, fraction, precision] : wide) {
        run(tracker, script);
        const std::string& last = events.back();
        const double done = std::stod(last), total = std::stod(last.substr(last.find('/') + 1));
        EXPECT_NEAR(done / total, fraction, precision) << script;
        EXPECT_TRUE(done > 0 && total <= 0x7FFFFFFF) << script;
        run(tracker, "e e e e");
    }
}

TEST(ProgressTracker, DelayTextsCancelAndDestruction)
{
    Events events;
    {
        ProgressTracker tracker(onProgress, onText, &events);
        tracker.begin(10, 60);
        tracker.setTitleText(QStringLiteral("Loading"));
        tracker.setStep(1);
        EXPECT_TRUE(events.empty());
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
        run(tracker, "s2 e");  // the pending texts go out with every later report
        EXPECT_EQ(events, (Events {"Loading|", "2/10", "Loading|", "10/10"}));
        events.clear();
        tracker.setTextReportsSuppressed(true);
        tracker.setStatusText(QStringLiteral("quiet"));
        tracker.begin(2, 0);  // a new run takes a new delay
        std::thread([flag = tracker.cancelFlag()] { flag->store(true); }).join();
        EXPECT_TRUE(tracker.isCancelled());
        EXPECT_FALSE(ProgressTracker().isCancelled());  // each tracker has its own flag
    }
    // Destroyed while running: the receiver hears 1 of 1.
    EXPECT_EQ(events, (Events {"0/2", "1/1"}));

    // Without a progress callback nothing opens and only texts are reported.
    events.clear();
    ProgressTracker inert(nullptr, onText, &events);
    run(inert, "b5 s2 a1 e e");
    inert.setStatusText(QStringLiteral("Status"));
    EXPECT_EQ(events, (Events {"|Status"}));
    EXPECT_TRUE(inert.statusText() == QStringLiteral("Status") && inert.titleText().isEmpty());
}

}  // namespace
