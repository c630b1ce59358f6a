// Archive::ArrayIterator<T> walks the objects of class T (or derived) in one
// array in increasing id; objects of other classes are skipped. It either sees
// committed objects only, or the calling thread's view with its pending adds
// and edits and without its removals.
//
// Usage:
//   Archive::ArrayIterator<Fixture> it;
//   Archive::iterateArray(it, arrayId);
//   while (it.next()) use(it.current());
//
// Ownership: the iterator holds a reference to its current object only; the
// array belongs to its database and must outlive the iterator.
// Threads: one thread uses an iterator; each step takes the database lock it
// needs, so the array may change between steps.
#ifndef ARCHIVE_ARRAY_ITERATOR_H
#define ARCHIVE_ARRAY_ITERATOR_H

#include "components/archive/database_array.h"
#include "components/archive/object_base.h"

namespace Archive {

template <class T = ObjectBase>
class ArrayIterator
{
public:
    ArrayIterator() = default;
    ArrayIterator(Array* array, bool seePending) : m_array(array), m_seePending(seePending) {}

    // Moves to the next object of class T; false (and a null current object)
    // when there is none. After false the next call starts again at the front.
    bool next()
    {
        if (!m_array)
            return false;
        ObjectId from = m_current.isObject() ? m_current->getId() : kNoObjectId;
        for (;;) {
            const ObjectPtr found = m_seePending ? m_array->findNext(from) : m_array->findNextCommitted(from);
            if (!found.isObject() || dynamic_cast<T*>(found.object()) != nullptr) {
                m_current = dynamicPointerCast<T>(found);
                return m_current.isObject();
            }
            from = found->getId();
        }
    }

    const Pointer<T>& current() const { return m_current; }
    T* operator->() const { return m_current.operator->(); }
    T& operator*() const { return *m_current; }

private:
    Pointer<T> m_current;
    Array* m_array = nullptr;
    bool m_seePending = false;
};

}  // namespace Archive

#endif  // ARCHIVE_ARRAY_ITERATOR_H
