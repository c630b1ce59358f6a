// SmallVector: a vector that keeps its first N values in place of the heap
// pointer. A show holds tens of thousands of items, each with lists of one or
// two small values (element ids, points, patch offsets, patch points, ranges);
// a std::vector of them costs 24 bytes plus a heap block of at least 32, this
// costs 8 bytes more than its inline room and no block until it outgrows it.
//
// Values must move without throwing. Iterators and references are
// invalidated by any change of size, as with std::vector.
// Thread safety: none of its own, like std::vector.
#ifndef QUILSHOW_SHOW_SMALL_VECTOR_H
#define QUILSHOW_SHOW_SMALL_VECTOR_H

#include <QtGlobal>

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <vector>

namespace Quil {

template <typename T, std::size_t N = (sizeof(T) < 8 ? 8 / sizeof(T) : 1)>
class SmallVector
{
    static_assert(std::is_nothrow_move_constructible_v<T>, "SmallVector moves its values without a way back");
    static_assert(N >= 1 && N <= 0xFFFF);

public:
    using value_type = T;
    using size_type = std::size_t;
    using iterator = T*;
    using const_iterator = const T*;
    using reference = T&;
    using const_reference = const T&;

    SmallVector() = default;
    SmallVector(std::initializer_list<T> values) { assign(values.begin(), values.end()); }
    SmallVector(const SmallVector& other) { assign(other.begin(), other.end()); }
    SmallVector(SmallVector&& other) noexcept { take(other); }
    ~SmallVector() { release(); }

    SmallVector& operator=(const SmallVector& other)
    {
        if (this != &other)
            assign(other.begin(), other.end());
        return *this;
    }
    SmallVector& operator=(SmallVector&& other) noexcept
    {
        if (this != &other) {
            release();
            take(other);
        }
        return *this;
    }
    SmallVector& operator=(std::initializer_list<T> values)
    {
        assign(values.begin(), values.end());
        return *this;
    }
    SmallVector& operator=(const std::vector<T>& values)
    {
        assign(values.begin(), values.end());
        return *this;
    }

    template <typename It>
    void assign(It first, It last)
    {
        const auto count = static_cast<size_type>(std::distance(first, last));
        if (count > m_capacity) {
            // Copied before the old storage goes: `first` may point into it.
            SmallVector fresh;
            fresh.reserve(count);
            std::uninitialized_copy(first, last, fresh.data());
            fresh.m_size = quint32(count);
            *this = std::move(fresh);
            return;
        }
        // Over the values held, then made or dropped at the end.
        const size_type common = std::min<size_type>(count, m_size);
        It from = first;
        for (size_type i = 0; i < common; ++i, ++from)
            data()[i] = *from;
        if (count > m_size)
            std::uninitialized_copy(from, last, data() + m_size);
        else
            std::destroy(data() + count, data() + m_size);
        m_size = quint32(count);
    }

    T* data() { return isInline() ? std::launder(reinterpret_cast<T*>(m_inline)) : m_heap; }
    const T* data() const { return isInline() ? std::launder(reinterpret_cast<const T*>(m_inline)) : m_heap; }
    iterator begin() { return data(); }
    iterator end() { return data() + m_size; }
    const_iterator begin() const { return data(); }
    const_iterator end() const { return data() + m_size; }

    size_type size() const { return m_size; }
    size_type capacity() const { return m_capacity; }
    bool empty() const { return m_size == 0; }

    T& operator[](size_type i) { return data()[i]; }
    const T& operator[](size_type i) const { return data()[i]; }
    T& front() { return data()[0]; }
    const T& front() const { return data()[0]; }
    T& back() { return data()[m_size - 1]; }
    const T& back() const { return data()[m_size - 1]; }

    void clear()
    {
        std::destroy(begin(), end());
        m_size = 0;
    }

    void reserve(size_type count)
    {
        if (count <= m_capacity)
            return;
        if (count > 0xFFFFFFFFu)
            throw std::length_error("SmallVector too long");
        T* fresh = static_cast<T*>(::operator new(count * sizeof(T)));
        std::uninitialized_move(begin(), end(), fresh);
        const quint32 size = m_size;
        release();
        m_heap = fresh;
        m_size = size;
        m_capacity = quint32(count);
    }

    // New values are value-initialised, as std::vector does.
    void resize(size_type count)
    {
        if (count < m_size) {
            std::destroy(data() + count, end());
            m_size = quint32(count);
            return;
        }
        reserve(count);
        for (; m_size < count; ++m_size)
            ::new (data() + m_size) T();
    }

    void push_back(const T& value) { emplace_back(value); }
    void push_back(T&& value) { emplace_back(std::move(value)); }

    iterator insert(const_iterator position, T value)
    {
        const auto index = position - begin();
        emplace_back(std::move(value));
        std::rotate(begin() + index, end() - 1, end());
        return begin() + index;
    }

    template <typename... Args>
    T& emplace_back(Args&&... args)
    {
        // Made first: an argument may refer to a value about to move.
        T value(std::forward<Args>(args)...);
        if (m_size == m_capacity)
            reserve(std::max<size_type>(2 * size_type(m_capacity), N));
        T* slot = ::new (data() + m_size) T(std::move(value));
        ++m_size;
        return *slot;
    }

    bool operator==(const SmallVector& other) const { return std::equal(begin(), end(), other.begin(), other.end()); }
    bool operator==(const std::vector<T>& other) const
    {
        return std::equal(begin(), end(), other.begin(), other.end());
    }

private:
    bool isInline() const { return m_capacity == N; }

    void release()
    {
        std::destroy(begin(), end());
        if (!isInline())
            ::operator delete(m_heap);
        m_capacity = N;
        m_size = 0;
    }

    // Takes other's values; other is left empty and inline.
    void take(SmallVector& other)
    {
        if (other.isInline()) {
            std::uninitialized_move(other.begin(), other.end(), data());
            std::destroy(other.begin(), other.end());
        } else {
            m_heap = other.m_heap;
            m_capacity = other.m_capacity;
            other.m_capacity = N;
        }
        m_size = other.m_size;
        other.m_size = 0;
    }

    // Capacity N means the values are inline; heap storage is always larger.
    union
    {
        T* m_heap;
        alignas(T) unsigned char m_inline[N * sizeof(T)];
    };
    quint32 m_size = 0;
    quint32 m_capacity = N;
};

}  // namespace Quil

#endif  // QUILSHOW_SHOW_SMALL_VECTOR_H
