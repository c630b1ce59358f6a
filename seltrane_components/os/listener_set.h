// Listener<Signal> is the interface of an object told about changes;
// ListenerSet<Signal> is a set of such listeners (ordered by address) guarded
// by a RecursiveLock; notifyListeners delivers one signal to each of them.
//
// The set does not own its listeners: a listener removes itself before it is
// destroyed. A listener is called with the set's lock held, may notify again
// on the same thread and may add or remove listeners (itself included) while
// it is being called; once remove() has returned on another thread, the
// listener is not being called. All operations may be called from any thread.
//
// size() takes no lock, so that a thread holding locks which listeners take
// (a database asking whether to collect changes) can ask it without taking
// the set's lock after them.
#ifndef SELTRANE_COMPONENTS_OS_LISTENER_SET_H
#define SELTRANE_COMPONENTS_OS_LISTENER_SET_H

#include "seltrane_components/os/recursive_lock.h"

#include <atomic>
#include <cstddef>
#include <mutex>
#include <set>

template <class Signal>
class Listener
{
public:
    virtual ~Listener() = default;
    virtual void notify(const Signal& signal) = 0;
};

template <class Signal>
class ListenerSet
{
public:
    using ListenerType = Listener<Signal>;

    ListenerSet() = default;
    ListenerSet(const ListenerSet&) = delete;
    ListenerSet& operator=(const ListenerSet&) = delete;

    // False when the listener was already present (or is null).
    bool add(ListenerType* listener)
    {
        if (!listener)
            return false;
        std::lock_guard<RecursiveLock> guard(m_lock);
        const bool added = m_listeners.insert(listener).second;
        m_size.store(m_listeners.size(), std::memory_order_release);
        return added;
    }

    // False when the listener was not present.
    bool remove(ListenerType* listener)
    {
        std::lock_guard<RecursiveLock> guard(m_lock);
        const bool removed = m_listeners.erase(listener) != 0;
        m_size.store(m_listeners.size(), std::memory_order_release);
        return removed;
    }

    bool contains(ListenerType* listener) const
    {
        std::lock_guard<RecursiveLock> guard(m_lock);
        return m_listeners.count(listener) != 0;
    }

    // Without the lock: a listener that another thread adds or removes at the
    // same moment may or may not be counted yet.
    std::size_t size() const { return m_size.load(std::memory_order_acquire); }

    RecursiveLock& lock() const { return m_lock; }

private:
    template <class S>
    friend void notifyListeners(ListenerSet<S>& set, const S& signal);

    mutable RecursiveLock m_lock;
    std::set<ListenerType*> m_listeners;
    // m_listeners.size(), written under m_lock, read without it.
    std::atomic<std::size_t> m_size {0};
};

// Calls notify(signal) on every listener in address order under the set's lock.
// The walk finds its next listener after each call, so a listener may change
// the set while it is called without invalidating the walk.
template <class Signal>
void notifyListeners(ListenerSet<Signal>& set, const Signal& signal)
{
    std::lock_guard<RecursiveLock> guard(set.m_lock);
    auto it = set.m_listeners.begin();
    while (it != set.m_listeners.end()) {
        Listener<Signal>* listener = *it;
        listener->notify(signal);
        it = set.m_listeners.upper_bound(listener);
    }
}

#endif  // SELTRANE_COMPONENTS_OS_LISTENER_SET_H
