#include "seltrane_components/os/listener_set.h"
#include "seltrane_components/os/recursive_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <thread>
#include <vector>

namespace {

TEST(RecursiveLock, OwnershipAndExclusionAcrossThreads)
{
    RecursiveLock lock;
    lock.lock();
    lock.lock();
    // Another thread neither owns, takes nor releases the lock.
    std::thread([&] {
        EXPECT_FALSE(lock.isOwnedByCurrentThread() || lock.holdCount() != 0 || lock.try_lock());
        lock.unlock();
    }).join();
    EXPECT_EQ(lock.holdCount(), 2u);
    for (int i = 0; i < 3; ++i)
        lock.unlock();  // the third, without a hold, does nothing
    EXPECT_FALSE(lock.isOwnedByCurrentThread());

    // Nested holds exclude other threads.
    int counter = 0;  // guarded by lock
    std::atomic<int> inside {0}, overlaps {0};
    auto work = [&] {
        for (int i = 0; i < 2000; ++i) {
            std::lock_guard<RecursiveLock> outer(lock);
            overlaps += inside++;
            std::lock_guard<RecursiveLock> inner(lock);
            ++counter;
            --inside;
        }
    };
    std::thread threads[] = {std::thread(work), std::thread(work), std::thread(work), std::thread(work)};
    for (auto& thread : threads)
        thread.join();
    EXPECT_TRUE(counter == 8000 && overlaps == 0);
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

TEST(ListenerSet, ChangesDuringDeliveryAndFromOtherThreads)
{
    ListenerSet<std::uint32_t> set;
    Recorder listeners[3];  // address order is the delivery order
    Recorder *first = &listeners[0], *second = &listeners[1], *third = &listeners[2];
    for (auto& listener : listeners)
        EXPECT_TRUE(set.add(&listener));
    EXPECT_FALSE(set.add(first) || set.add(nullptr));
    EXPECT_TRUE(set.remove(second) && !set.remove(second));
    notifyListeners(set, 7u);
    set.add(second);

    // The first removes itself and the third; the second re-notifies once.
    // Another thread counts the listeners meanwhile: size() takes no lock.
    std::thread counting;
    std::promise<std::size_t> counted;
    first->action = [&](std::uint32_t) {
        EXPECT_TRUE(set.lock().isOwnedByCurrentThread());
        counting = std::thread([&] { counted.set_value(set.size()); });
        auto count = counted.get_future();
        if (count.wait_for(std::chrono::seconds(30)) == std::future_status::ready)
            EXPECT_EQ(count.get(), 3u);
        else
            ADD_FAILURE() << "size() waited for the set's lock";
        set.remove(first);
        set.remove(third);
    };
    second->action = [&](std::uint32_t signal) {
        if (signal == 1)
            notifyListeners(set, 2u);
    };
    notifyListeners(set, 1u);
    counting.join();
    EXPECT_EQ(set.size(), 1u);
    EXPECT_EQ(first->calls, (std::vector<std::uint32_t> {7u, 1u}));
    EXPECT_EQ(second->calls, (std::vector<std::uint32_t> {1u, 2u}));  // removed at 7
    EXPECT_EQ(third->calls, std::vector<std::uint32_t> {7u});
    EXPECT_FALSE(set.lock().isOwnedByCurrentThread());

    // Notifying from one thread while another changes the set.
    static std::atomic<int> delivered {0};
    struct Counter : Listener<std::uint32_t>
    {
        void notify(const std::uint32_t&) override { ++delivered; }
    } counter;
    set.add(&counter);
    std::thread notifier([&] {
        for (int i = 0; i < 2000; ++i)
            notifyListeners(set, 1u);
    });
    std::thread changer([&] {
        for (int i = 0; i < 2000; ++i) {
            Counter transient;
            set.add(&transient);
            set.remove(&transient);
        }
    });
    notifier.join();
    changer.join();
    EXPECT_GE(delivered.load(), 2000);
}

}  // namespace
