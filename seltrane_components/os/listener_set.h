// Listener<Signal> is the interface of an object told about changes;
// ListenerSet<Signal> is a set of such listeners (ordered by address) guarded
// by a RecursiveLock; notifyListeners delivers one signal to each of them.
//
// The set does not own its listeners: a listener removes itself before it is
// destroyed. A listener is called with the set's lock held, may notify again
// on the same thread and may add or remove listeners (itself included) while
// it is being called. All operations may be called from any thread.
#ifndef SELTRANE_COMPONENTS_OS_LISTENER_SET_H
#define SELTRANE_COMPONENTS_OS_LISTENER_SET_H

#include "seltrane_components/os/recursive_lock.h"

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
        return m_listeners.insert(listener).second;
    }

    // False when the listener was not present.
    bool remove(ListenerType* listener)
    {
        std::lock_guard<RecursiveLock> guard(m_lock);
        return m_listeners.erase(listener) != 0;
    }

    bool contains(ListenerType* listener) const
    {
        std::lock_guard<RecursiveLock> guard(m_lock);
        return m_listeners.count(listener) != 0;
    }

    std::size_t size() const
    {
        std::lock_guard<RecursiveLock> guard(m_lock);
        return m_listeners.size();
    }

    RecursiveLock& lock() const { return m_lock; }

private:
    template <class S>
    friend void notifyListeners(ListenerSet<S>& set, const S& signal);

    mutable RecursiveLock m_lock;
    std::set<ListenerType*> m_listeners;
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
