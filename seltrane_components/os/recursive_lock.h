// A mutex that the owning thread may acquire again; it counts the holds and is
// released when the count returns to zero. The owner can be queried, which the
// database uses to ask whether the calling thread is the one delivering
// change signals.
//
// Thread safety: all operations may be called from any thread. A release by a
// thread that is not the owner does nothing. Meets BasicLockable, so
// std::lock_guard<RecursiveLock> works.
#ifndef SELTRANE_COMPONENTS_OS_RECURSIVE_LOCK_H
#define SELTRANE_COMPONENTS_OS_RECURSIVE_LOCK_H

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

class RecursiveLock
{
public:
    RecursiveLock() = default;
    ~RecursiveLock() = default;
    RecursiveLock(const RecursiveLock&) = delete;
    RecursiveLock& operator=(const RecursiveLock&) = delete;

    // Blocks until the calling thread owns the lock; adds one hold when it
    // already does.
    void lock()
    {
        if (isOwnedByCurrentThread()) {
            ++m_count;
            return;
        }
        m_mutex.lock();
        m_owner.store(std::this_thread::get_id(), std::memory_order_relaxed);
        m_count = 1;
    }

    // Takes the lock without blocking; false when another thread owns it.
    bool try_lock();

    // Drops one hold of the owning thread and frees the lock at the last one.
    // A call from a thread that does not own the lock does nothing.
    void unlock()
    {
        if (!isOwnedByCurrentThread())
            return;
        if (--m_count == 0) {
            m_owner.store(std::thread::id(), std::memory_order_relaxed);
            m_mutex.unlock();
        }
    }

    bool isOwnedByCurrentThread() const
    {
        // Only the calling thread can store its own id here, so a relaxed load
        // is enough to tell whether it is the owner.
        return m_owner.load(std::memory_order_relaxed) == std::this_thread::get_id();
    }

    // The number of holds of the calling thread (0 when it does not own the lock).
    std::uint32_t holdCount() const;

private:
    std::mutex m_mutex;
    std::atomic<std::thread::id> m_owner {std::thread::id()};
    std::uint32_t m_count = 0;  // touched only by the owner
};

#endif  // SELTRANE_COMPONENTS_OS_RECURSIVE_LOCK_H
