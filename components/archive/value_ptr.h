// Archive::ValuePtr<T> owns an optional T on the heap with the semantics of a
// value: a copy clones the pointee, == compares the pointees (two nulls are
// equal, null and a value are not), and a move leaves the source null. A class
// that owns such a part (a property's gradient, the body of an action) can
// then default its copy and its comparison, so a member added later is never
// silently left out of either.
//
// A T with a virtual clone() or copy() (returning a new T the caller owns) is
// copied through it, so a pointer to a base copies the derived object whole.
//
// Not synchronised: one thread uses a value at a time, like the object that
// holds it.
#ifndef ARCHIVE_VALUE_PTR_H
#define ARCHIVE_VALUE_PTR_H

#include <memory>
#include <utility>

namespace Archive {

template <class T>
class ValuePtr
{
public:
    ValuePtr() = default;
    ValuePtr(std::nullptr_t) {}
    // Takes ownership.
    explicit ValuePtr(T* value) : m_value(value) {}
    explicit ValuePtr(std::unique_ptr<T> value) : m_value(std::move(value)) {}

    ValuePtr(const ValuePtr& other) : m_value(copyOf(other.m_value.get())) {}
    ValuePtr(ValuePtr&& other) noexcept = default;
    ValuePtr& operator=(const ValuePtr& other)
    {
        if (this != &other)
            m_value.reset(copyOf(other.m_value.get()));
        return *this;
    }
    ValuePtr& operator=(ValuePtr&& other) noexcept = default;
    ValuePtr& operator=(std::nullptr_t)
    {
        m_value.reset();
        return *this;
    }

    template <class... Args>
    static ValuePtr make(Args&&... args)
    {
        return ValuePtr(new T(std::forward<Args>(args)...));
    }

    T* get() const { return m_value.get(); }
    T& operator*() const { return *m_value; }
    T* operator->() const { return m_value.get(); }
    explicit operator bool() const { return m_value != nullptr; }
    void reset(T* value = nullptr) { m_value.reset(value); }
    T* release() { return m_value.release(); }

    friend bool operator==(const ValuePtr& a, const ValuePtr& b)
    {
        if (!a.m_value || !b.m_value)
            return !a.m_value && !b.m_value;
        return *a.m_value == *b.m_value;
    }
    friend bool operator==(const ValuePtr& a, std::nullptr_t) { return !a.m_value; }

private:
    static T* copyOf(const T* value)
    {
        if (!value)
            return nullptr;
        if constexpr (requires { value->clone(); })
            return value->clone();
        else if constexpr (requires { value->copy(); })
            return value->copy();
        else
            return new T(*value);
    }

    std::unique_ptr<T> m_value;
};

}  // namespace Archive

#endif  // ARCHIVE_VALUE_PTR_H
