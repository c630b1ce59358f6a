#include "seltrane_components/os/recursive_lock.h"

void RecursiveLock::lock()
{
    if (isOwnedByCurrentThread()) {
        ++m_count;
        return;
    }
    m_mutex.lock();
    m_owner.store(std::this_thread::get_id(), std::memory_order_relaxed);
    m_count = 1;
}

bool RecursiveLock::try_lock()
{
    if (isOwnedByCurrentThread()) {
        ++m_count;
        return true;
    }
    if (!m_mutex.try_lock())
        return false;
    m_owner.store(std::this_thread::get_id(), std::memory_order_relaxed);
    m_count = 1;
    return true;
}

void RecursiveLock::unlock()
{
    if (!isOwnedByCurrentThread())
        return;
    if (--m_count == 0) {
        m_owner.store(std::thread::id(), std::memory_order_relaxed);
        m_mutex.unlock();
    }
}

bool RecursiveLock::isOwnedByCurrentThread() const
{
    // Only the calling thread can store its own id here, so a relaxed load is
    // enough to tell whether it is the owner.
    return m_owner.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

std::uint32_t RecursiveLock::holdCount() const { return isOwnedByCurrentThread() ? m_count : 0; }
