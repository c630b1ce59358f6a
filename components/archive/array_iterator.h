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
#pragma once

#include "components/archive/database_array.h"
#include "components/archive/object_base.h"

namespace Archive {

template <class T = ObjectBase>
class ArrayIterator
{
public:
    ArrayIterator() = default;
    ArrayIterator(Array* array, bool seePending) : array_(array), seePending_(seePending) {}

    // Moves to the next object of class T; false (and a null current object)
    // when there is none. After false the next call starts again at the front.
    bool next()
    {
        if (!array_)
            return false;
        ObjectId from = current_.isObject() ? current_->getId() : kNoObjectId;
        for (;;) {
            const ObjectPtr found = seePending_ ? array_->findNext(from) : array_->findNextCommitted(from);
            if (!found.isObject() || dynamic_cast<T*>(found.object()) != nullptr) {
                current_ = dynamicPointerCast<T>(found);
                return current_.isObject();
            }
            from = found->getId();
        }
    }

    const Pointer<T>& current() const { return current_; }
    T* operator->() const { return current_.operator->(); }
    T& operator*() const { return *current_; }

private:
    Pointer<T> current_;
    Array* array_ = nullptr;
    bool seePending_ = false;
};

} // namespace Archive
