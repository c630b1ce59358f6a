#include "seltrane_components/os/recursive_lock.h"

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

std::uint32_t RecursiveLock::holdCount() const { return isOwnedByCurrentThread() ? m_count : 0; }
