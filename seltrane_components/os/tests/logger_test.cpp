#include "seltrane_components/os/logger.h"

#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

struct Record
{
    int handler;  // 1 for handlerA, 2 for handlerB
    int level;
    qint64 time;
    std::string text;
    void* userData;
};

// Written only from handlers, which the logger serialises; read after the logging threads have joined.
std::vector<Record> g_records;
std::atomic<int> g_inside {0}, g_overlaps {0};

template <int Id>
void handler(int level, qint64 time, const char* text, void* userData)
{
    g_overlaps += g_inside++;
    g_records.push_back(Record {Id, level, time, text, userData});
    --g_inside;
}
const LogHandler handlerA = handler<1>, handlerB = handler<2>;
void throwingHandler(int, qint64, const char*, void*) { throw std::runtime_error("handler failed"); }

class LoggerTest : public ::testing::Test
{
protected:
    void SetUp() override { g_records.clear(); }
    void TearDown() override
    {
        for (LogHandler handler : {handlerA, handlerB, &throwingHandler})
            removeLogHandler(handler);
    }
};

TEST_F(LoggerTest, NewlineRulesAndLengthLimit)
{
    logMessage(kLogWarning, "nobody listens %d", 1);
    EXPECT_TRUE(g_records.empty());
    addLogHandler(handlerA, nullptr);
    const std::string a510(510, 'a'), a509(509, 'a'), a507(507, 'a');
    const std::tuple<int, std::string, std::string> cases[] = {
        {130, "abc", "abc\n"},
        {130, "abc\n", "abc\n"},
        {104, "abc", "abc"},
        {111, "abc", "abc"},
        {112, "abc", "abc\n"},
        {103, "abc", "abc\n"},
        {130, "", ""},
        {130, "a\n\n", "a\n\n"},
        {-1, "abc", "abc\n"},
        // 511 bytes at most; the newline only where there is room.
        {130, a510, a510 + "\n"},
        {130, a510 + "b", a510 + "b"},
        {104, std::string(600, 'd'), std::string(511, 'd')},
        // U+00FC is two bytes, U+20AC three, U+1F600 four: none may be split.
        {130, a510 + "\xC3\xBC", a510},
        {130, a509 + "\xC3\xBC", a509 + "\xC3\xBC"},
        {130, a509 + "\xE2\x82\xAC", a509},
        {130, a507 + "\xF0\x9F\x98\x80xyz", a507 + "\xF0\x9F\x98\x80"},
    };
    // A text handed whole keeps the same rules as a formatted one.
    for (const auto& [level, text, expected] : cases) {
        g_records.clear();
        logMessage(level, "%s", text.c_str());
        logText(level, text.data(), text.size());
        ASSERT_EQ(g_records.size(), 2u);
        EXPECT_EQ(g_records[0].text, expected) << level << " " << text.substr(0, 20) << " " << text.size();
        EXPECT_EQ(g_records[1].text, expected) << level << " " << text.substr(0, 20) << " " << text.size();
    }
    g_records.clear();
    logText(kLogWarning, "100% sure\0hidden", 16);
    EXPECT_EQ(g_records.back().text, "100% sure\n");
    const qint64 before = std::time(nullptr);
    logMessage(kLogInfo, "Converting %s... %d of %u", "fixtures", -3, 7u);
    EXPECT_EQ(g_records.back().text, "Converting fixtures... -3 of 7\n");
    EXPECT_TRUE(g_records.back().time >= before && g_records.back().time <= qint64(std::time(nullptr)));
}

TEST_F(LoggerTest, HandlerTable)
{
    int first = 0, second = 0;
    addLogHandler(handlerB, &second);
    addLogHandler(handlerA, &first);
    addLogHandler(handlerA, &second);  // already registered: first user data stays
    logMessage(132, "both");
    ASSERT_EQ(g_records.size(), 2u);
    // Called in the order of their addresses, not of registration, at one time.
    const bool aFirst = std::less<LogHandler>()(handlerA, handlerB);
    EXPECT_TRUE(g_records[0].handler == (aFirst ? 1 : 2) && g_records[aFirst ? 0 : 1].userData == &first
                && g_records[0].time == g_records[1].time);
    for (int i = 0; i < 2; ++i)
        removeLogHandler(handlerB);  // the second time not registered: nothing happens

    // A throwing handler neither escapes nor keeps the lock.
    addLogHandler(throwingHandler, nullptr);
    EXPECT_NO_THROW({
        logMessage(130, "first");
        logMessage(130, "second");
    });
    EXPECT_EQ(g_records.back().text, "second\n");
}

TEST_F(LoggerTest, ThreadsNeverRunHandlersConcurrently)
{
    addLogHandler(handlerA, nullptr);
    addLogHandler(handlerB, nullptr);
    static const int kThreads = 4, kMessages = 300;
    std::atomic<bool> stop {false};
    // Changes of the table wait for dispatches in progress.
    std::thread churn([&stop] {
        for (; !stop; removeLogHandler(throwingHandler))
            addLogHandler(throwingHandler, nullptr);
    });
    const auto work = [](int t) {
        for (int i = 0; i < kMessages; ++i)
            logMessage(130 + t, "%d %d", t, i);
    };
    std::thread threads[kThreads] = {std::thread(work, 0), std::thread(work, 1), std::thread(work, 2),
                                     std::thread(work, 3)};
    for (std::thread& thread : threads)
        thread.join();
    stop = true;
    churn.join();

    EXPECT_EQ(g_overlaps, 0);
    ASSERT_EQ(g_records.size(), size_t(2 * kThreads * kMessages));
    std::vector<int> next(kThreads, 0);
    for (size_t i = 0; i < g_records.size(); i += 2) {
        // Each message goes to both handlers back to back, in each thread's order.
        const int t = (g_records[i].level - 130) & (kThreads - 1);
        const std::string expected = std::to_string(t) + " " + std::to_string(next[t]++) + "\n";
        EXPECT_TRUE(g_records[i].text == expected && g_records[i + 1].text == expected) << i;
    }
}

}  // namespace
