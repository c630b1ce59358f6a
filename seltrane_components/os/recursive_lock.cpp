#include "seltrane_components/os/recursive_lock.h"

void RecursiveLock::lock()
{
    if (isOwnedByCurrentThread()) {
        ++count_;
        return;
    }
    mutex_.lock();
    owner_.store(std::this_thread::get_id(), std::memory_order_relaxed);
    count_ = 1;
}

bool RecursiveLock::try_lock()
{
    if (isOwnedByCurrentThread()) {
        ++count_;
        return true;
    }
    if (!mutex_.try_lock())
        return false;
    owner_.store(std::this_thread::get_id(), std::memory_order_relaxed);
    count_ = 1;
    return true;
}

void RecursiveLock::unlock()
{
    if (!isOwnedByCurrentThread())
        return;
    if (--count_ == 0) {
        owner_.store(std::thread::id(), std::memory_order_relaxed);
        mutex_.unlock();
    }
}

bool RecursiveLock::isOwnedByCurrentThread() const
{
    // Only the calling thread can store its own id here, so a relaxed load is
    // enough to tell whether it is the owner.
    return owner_.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

std::uint32_t RecursiveLock::holdCount() const
{
    return isOwnedByCurrentThread() ? count_ : 0;
}
