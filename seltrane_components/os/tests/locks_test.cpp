#include "seltrane_components/os/listener_set.h"
#include "seltrane_components/os/recursive_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

namespace {

TEST(RecursiveLock, OwnershipAcrossThreads)
{
    RecursiveLock lock;
    EXPECT_FALSE(lock.isOwnedByCurrentThread());
    lock.lock();
    lock.lock();
    EXPECT_TRUE(lock.isOwnedByCurrentThread());
    EXPECT_EQ(lock.holdCount(), 2u);

    // Another thread neither owns, takes nor releases the lock.
    std::thread([&] {
        EXPECT_FALSE(lock.isOwnedByCurrentThread());
        EXPECT_EQ(lock.holdCount(), 0u);
        EXPECT_FALSE(lock.try_lock());
        lock.unlock();
    }).join();
    EXPECT_TRUE(lock.isOwnedByCurrentThread());
    EXPECT_EQ(lock.holdCount(), 2u);

    lock.unlock();
    EXPECT_TRUE(lock.isOwnedByCurrentThread());
    lock.unlock();
    EXPECT_FALSE(lock.isOwnedByCurrentThread());
    lock.unlock();  // a release without a hold does nothing

    std::thread([&] {
        ASSERT_TRUE(lock.try_lock());
        EXPECT_TRUE(lock.isOwnedByCurrentThread());
        lock.unlock();
    }).join();
}

TEST(RecursiveLock, NestedHoldsExcludeOtherThreads)
{
    RecursiveLock lock;
    int counter = 0;  // guarded by lock
    std::atomic<bool> overlap{false};
    std::atomic<int> inside{0};
    auto work = [&] {
        for (int i = 0; i < 2000; ++i) {
            std::lock_guard<RecursiveLock> outer(lock);
            if (inside.fetch_add(1) != 0)
                overlap = true;
            {
                std::lock_guard<RecursiveLock> inner(lock);
                ++counter;
            }
            inside.fetch_sub(1);
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back(work);
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 8000);
    EXPECT_FALSE(overlap);
}

struct Recorder : Listener<std::uint32_t>
{
    void notify(const std::uint32_t& signal) override
    {
        calls.push_back(signal);
        if (action)
            action(signal);
    }
    std::vector<std::uint32_t> calls;
    std::function<void(std::uint32_t)> action;
};

TEST(ListenerSet, AddRemoveAndChangesDuringDelivery)
{
    ListenerSet<std::uint32_t> set;
    Recorder listeners[3];  // address order is the delivery order
    Recorder* first = &listeners[0];
    Recorder* second = &listeners[1];
    Recorder* third = &listeners[2];
    for (auto& listener : listeners)
        EXPECT_TRUE(set.add(&listener));
    EXPECT_FALSE(set.add(first));
    EXPECT_FALSE(set.add(nullptr));
    EXPECT_EQ(set.size(), 3u);
    EXPECT_TRUE(set.remove(second));
    EXPECT_FALSE(set.remove(second));
    notifyListeners(set, 7u);
    EXPECT_TRUE(second->calls.empty());
    EXPECT_EQ(third->calls, std::vector<std::uint32_t>{7u});
    set.add(second);

    // The first removes itself and the third; the second re-notifies once.
    first->action = [&](std::uint32_t) {
        EXPECT_TRUE(set.lock().isOwnedByCurrentThread());
        set.remove(first);
        set.remove(third);
    };
    second->action = [&](std::uint32_t signal) {
        if (signal == 1)
            notifyListeners(set, 2u);
    };
    notifyListeners(set, 1u);
    EXPECT_EQ(first->calls, (std::vector<std::uint32_t>{7u, 1u}));
    EXPECT_EQ(second->calls, (std::vector<std::uint32_t>{1u, 2u}));
    EXPECT_EQ(third->calls, std::vector<std::uint32_t>{7u});
    EXPECT_FALSE(set.lock().isOwnedByCurrentThread());
}

TEST(ListenerSet, NotifyFromThreadsWhileOthersChangeTheSet)
{
    ListenerSet<std::uint32_t> set;
    std::atomic<int> delivered{0};
    struct Counter : Listener<std::uint32_t>
    {
        explicit Counter(std::atomic<int>& total) : total(total) {}
        void notify(const std::uint32_t&) override { ++total; }
        std::atomic<int>& total;
    } counter(delivered);
    set.add(&counter);

    std::thread notifier([&] {
        for (int i = 0; i < 2000; ++i)
            notifyListeners(set, 1u);
    });
    std::thread changer([&] {
        for (int i = 0; i < 2000; ++i) {
            Counter transient(delivered);
            set.add(&transient);
            set.remove(&transient);
        }
    });
    notifier.join();
    changer.join();
    EXPECT_GE(delivered.load(), 2000);
}

}  // namespace
