#include "seltrane_components/os/logger.h"

#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Record
{
    int level;
    qint64 time;
    std::string text;
    void* userData;
    int handler;
};

// Written only from handlers, which the logger serialises; read after the
// logging threads have joined.
std::vector<Record> g_records;
std::atomic<int> g_inside{0};
std::atomic<bool> g_overlap{false};

void record(int handler, int level, qint64 time, const char* text, void* userData)
{
    if (g_inside.fetch_add(1) != 0)
        g_overlap = true;
    g_records.push_back(Record{level, time, text, userData, handler});
    g_inside.fetch_sub(1);
}

template <int Id>
void handler(int level, qint64 time, const char* text, void* userData)
{
    record(Id, level, time, text, userData);
}
const LogHandler handlerA = handler<1>;
const LogHandler handlerB = handler<2>;

void throwingHandler(int, qint64, const char*, void*)
{
    throw std::runtime_error("handler failed");
}

class LoggerTest : public ::testing::Test
{
protected:
    void SetUp() override { g_records.clear(); }
    void TearDown() override
    {
        removeLogHandler(handlerA);
        removeLogHandler(handlerB);
        removeLogHandler(throwingHandler);
        g_records.clear();
    }
};

TEST_F(LoggerTest, NewlineRulesAndLengthLimit)
{
    logMessage(kLogWarning, "nobody listens %d", 1);
    EXPECT_TRUE(g_records.empty());

    addLogHandler(handlerA, nullptr);
    const std::string a510(510, 'a'), a509(509, 'a'), a507(507, 'a');
    std::string umlauts;
    for (int i = 0; i < 300; ++i)
        umlauts += "\xC3\xBC";
    const struct
    {
        int level;
        std::string text, expected;
    } cases[] = {
        {130, "abc", "abc\n"},   {130, "abc\n", "abc\n"}, {132, "abc", "abc\n"}, {114, "Error\n", "Error\n"},
        {104, "abc", "abc"},     {111, "abc", "abc"},     {107, "abc\n", "abc\n"}, {112, "abc", "abc\n"},
        {103, "abc", "abc\n"},   {130, "", ""},           {104, "", ""},           {0, "", ""},
        {130, "a\n\n", "a\n\n"}, {-1, "abc", "abc\n"},
        // 511 bytes at most; the newline only where there is room.
        {130, a510, a510 + "\n"}, {130, a510 + "b", a510 + "b"}, {130, std::string(2000, 'c'), std::string(511, 'c')},
        {104, std::string(600, 'd'), std::string(511, 'd')},
        // U+00FC is two bytes, U+20AC three, U+1F600 four: none may be split.
        {130, a510 + "\xC3\xBC", a510}, {130, a509 + "\xC3\xBC", a509 + "\xC3\xBC"},
        {130, a509 + "\xE2\x82\xAC", a509}, {130, a509 + "\xF0\x9F\x98\x80", a509},
        {130, a507 + "\xF0\x9F\x98\x80xyz", a507 + "\xF0\x9F\x98\x80"},
        {130, umlauts, umlauts.substr(0, 510)}, {130, "x" + umlauts, ("x" + umlauts).substr(0, 511)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("level " + std::to_string(c.level) + " " + c.text.substr(0, 20) + " size " +
                     std::to_string(c.text.size()));
        g_records.clear();
        logMessage(c.level, "%s", c.text.c_str());
        ASSERT_EQ(g_records.size(), 1u);
        EXPECT_EQ(g_records[0].text, c.expected);
    }

    g_records.clear();
    const qint64 before = std::time(nullptr);
    logMessage(kLogInfo, "Converting %s... %d of %u", "fixtures", -3, 7u);
    ASSERT_EQ(g_records.size(), 1u);
    EXPECT_EQ(g_records[0].text, "Converting fixtures... -3 of 7\n");
    EXPECT_EQ(g_records[0].level, kLogInfo);
    EXPECT_GE(g_records[0].time, before);
    EXPECT_LE(g_records[0].time, qint64(std::time(nullptr)));
}

TEST_F(LoggerTest, HandlerTable)
{
    int first = 0, second = 0;
    addLogHandler(handlerA, &first);
    addLogHandler(handlerA, &second);  // already registered: first user data stays
    logMessage(130, "one");
    ASSERT_EQ(g_records.size(), 1u);
    EXPECT_EQ(g_records[0].userData, &first);
    removeLogHandler(handlerA);
    removeLogHandler(handlerA);  // not registered: nothing happens
    logMessage(130, "two");
    EXPECT_EQ(g_records.size(), 1u);

    // Called in the order of their addresses, whichever was registered first.
    const bool aFirst = std::less<LogHandler>()(handlerA, handlerB);
    for (bool bRegisteredFirst : {true, false}) {
        g_records.clear();
        removeLogHandler(handlerA);
        removeLogHandler(handlerB);
        addLogHandler(bRegisteredFirst ? handlerB : handlerA, bRegisteredFirst ? &second : &first);
        addLogHandler(bRegisteredFirst ? handlerA : handlerB, bRegisteredFirst ? &first : &second);
        logMessage(132, "both");
        ASSERT_EQ(g_records.size(), 2u);
        EXPECT_EQ(g_records[0].handler, aFirst ? 1 : 2);
        EXPECT_EQ(g_records[1].handler, aFirst ? 2 : 1);
        EXPECT_EQ(g_records[0].text, "both\n");
        EXPECT_EQ(g_records[0].time, g_records[1].time);
        EXPECT_EQ(g_records[aFirst ? 0 : 1].userData, &first);
    }
}

TEST_F(LoggerTest, ThrowingHandlerNeitherEscapesNorBlocks)
{
    addLogHandler(throwingHandler, nullptr);
    addLogHandler(handlerA, nullptr);
    EXPECT_NO_THROW(logMessage(130, "first"));
    EXPECT_NO_THROW(logMessage(130, "second"));  // the lock was released
    ASSERT_EQ(g_records.size(), 2u);
    EXPECT_EQ(g_records[1].text, "second\n");
}

TEST_F(LoggerTest, ThreadsNeverRunHandlersConcurrently)
{
    g_overlap = false;
    addLogHandler(handlerA, nullptr);
    addLogHandler(handlerB, nullptr);
    const int kThreads = 4;
    const int kMessages = 300;
    std::atomic<bool> stop{false};
    // Changes of the table wait for dispatches in progress.
    std::thread churn([&stop] {
        while (!stop) {
            addLogHandler(throwingHandler, nullptr);
            removeLogHandler(throwingHandler);
        }
    });
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kMessages; ++i)
                logMessage(130 + t, "thread %d message %d", t, i);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    stop = true;
    churn.join();

    EXPECT_FALSE(g_overlap);
    ASSERT_EQ(g_records.size(), size_t(2 * kThreads * kMessages));
    std::vector<int> next(kThreads, 0);
    for (size_t i = 0; i < g_records.size(); i += 2) {
        // Each message goes to both handlers back to back, in address order.
        EXPECT_EQ(g_records[i].text, g_records[i + 1].text);
        EXPECT_NE(g_records[i].handler, g_records[i + 1].handler);
        const int t = g_records[i].level - 130;
        ASSERT_GE(t, 0);
        ASSERT_LT(t, kThreads);
        EXPECT_EQ(g_records[i].text,
                  "thread " + std::to_string(t) + " message " + std::to_string(next[t]) + "\n");
        ++next[t];
    }
}

}  // namespace
