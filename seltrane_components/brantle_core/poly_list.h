// An intrusive, owning, doubly linked list of polymorphic elements.
//
// Every element type embeds a list_node (as a base) that links it into at
// most one list. The list owns its elements and deletes them through T's
// (virtual) destructor; unlink hands an element back to the caller. The links
// of the first and last elements point at the list's own sentinel; an element
// that is in no list has null links. Iterators name element positions; the end
// iterator is the sentinel's position, and a default iterator is null.
//
// Thread safety: none; the owner serialises all access.
#ifndef SELTRANE_COMPONENTS_BRANTLE_CORE_POLY_LIST_H
#define SELTRANE_COMPONENTS_BRANTLE_CORE_POLY_LIST_H

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <stdexcept>
#include <type_traits>

template <class T>
class poly_list;

// The embedded link. E is the class that derives directly from list_node;
// element types of a poly_list derive from E.
template <class E>
class list_node
{
public:
    using node_type = list_node<E>;
    using element_type = E;

    list_node() = default;
    // A copy is a new element: it is in no list.
    list_node(const list_node&) noexcept {}
    list_node& operator=(const list_node&) noexcept { return *this; }
    ~list_node() = default;

    bool isLinked() const { return m_next != nullptr; }

private:
    template <class>
    friend class poly_list;

    list_node* m_next = nullptr;
    list_node* m_prev = nullptr;
};

template <class T>
class poly_list
{
    using node = typename T::node_type;
    using base_element = typename T::element_type;
    static_assert(std::is_base_of<node, T>::value, "poly_list elements must embed their list_node");

public:
    template <class V, class N>
    class basic_iterator
    {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = std::remove_const_t<V>;
        using difference_type = std::ptrdiff_t;
        using pointer = V*;
        using reference = V&;

        basic_iterator() = default;
        // An element pointer names that element's position (null stays null).
        basic_iterator(V* element) : m_node(toNode(element)) {}
        template <class V2, class N2, class = std::enable_if_t<std::is_convertible<V2*, V*>::value>>
        basic_iterator(const basic_iterator<V2, N2>& other) : m_node(other.m_node)
        {}

        reference operator*() const { return *toElement(m_node); }
        pointer operator->() const { return toElement(m_node); }
        basic_iterator& operator++()
        {
            m_node = m_node->m_next;
            return *this;
        }
        basic_iterator operator++(int)
        {
            basic_iterator old = *this;
            ++*this;
            return old;
        }
        basic_iterator& operator--()
        {
            m_node = m_node->m_prev;
            return *this;
        }
        basic_iterator operator--(int)
        {
            basic_iterator old = *this;
            --*this;
            return old;
        }
        bool isNull() const { return m_node == nullptr; }

        template <class V2, class N2>
        bool operator==(const basic_iterator<V2, N2>& other) const
        {
            return m_node == other.m_node;
        }
        template <class V2, class N2>
        bool operator!=(const basic_iterator<V2, N2>& other) const
        {
            return m_node != other.m_node;
        }

    private:
        friend class poly_list;
        template <class, class>
        friend class basic_iterator;
        explicit basic_iterator(N* n, int) : m_node(n) {}
        static N* toNode(V* element) { return element; }
        static V* toElement(N* n)
        {
            return static_cast<V*>(
                static_cast<std::conditional_t<std::is_const<V>::value, const base_element, base_element>*>(n));
        }

        N* m_node = nullptr;
    };

    using iterator = basic_iterator<T, node>;
    using const_iterator = basic_iterator<const T, const node>;

    poly_list() { m_sentinel.m_next = m_sentinel.m_prev = &m_sentinel; }
    ~poly_list() { clear(); }
    poly_list(const poly_list&) = delete;
    poly_list& operator=(const poly_list&) = delete;

    // Equal elements in the same order, by T's own ==.
    bool operator==(const poly_list& other) const { return std::equal(begin(), end(), other.begin(), other.end()); }
    std::uint32_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }

    iterator begin() { return iterator(m_sentinel.m_next, 0); }
    iterator end() { return iterator(&m_sentinel, 0); }
    const_iterator begin() const { return const_iterator(m_sentinel.m_next, 0); }
    const_iterator end() const { return const_iterator(&m_sentinel, 0); }

    // The first and last elements, null when the list is empty.
    T* front() { return empty() ? nullptr : &*begin(); }
    const T* front() const { return empty() ? nullptr : &*begin(); }
    T* back() { return empty() ? nullptr : &*--end(); }
    const T* back() const { return empty() ? nullptr : &*--end(); }

    // Takes ownership of an element that is in no list and links it directly
    // before `position` (end() appends). Throws std::logic_error for a null
    // element, an element already linked or a null position.
    iterator insert(iterator position, T* element)
    {
        if (position.isNull())
            throw std::logic_error("poly_list iterator invalid");
        if (!element || static_cast<node*>(element)->isLinked())
            throw std::logic_error("poly_list insert failed as object already in a list");
        node* n = element;
        node* after = position.m_node;
        node* before = after->m_prev;
        n->m_prev = before;
        n->m_next = after;
        before->m_next = n;
        after->m_prev = n;
        ++m_count;
        return iterator(n, 0);
    }
    void push_back(T* element) { insert(end(), element); }

    // Unlinks and deletes every element from first up to, not including, last;
    // returns last. The range is checked whole before anything is deleted:
    // a null iterator or a walk that passes the end without meeting last
    // throws std::logic_error "poly_list iterator invalid".
    iterator erase(iterator first, iterator last)
    {
        checkRange(first, last);
        while (first != last) {
            node* n = first.m_node;
            ++first;
            unlinkNode(n);
            delete toElement(n);
        }
        return last;
    }
    iterator erase(iterator position)
    {
        if (position.isNull() || position == end())
            throw std::logic_error("poly_list iterator invalid");
        iterator next = position;
        ++next;
        return erase(position, next);
    }
    void clear() { erase(begin(), end()); }

    // Unlinks one element without deleting it (ownership passes to the
    // caller) and returns the position that followed it.
    iterator unlink(T& element)
    {
        node* n = &element;
        if (!n->isLinked())
            throw std::logic_error("poly_list unlink failed as object not in list");
        node* next = n->m_next;
        unlinkNode(n);
        return iterator(next, 0);
    }
    iterator unlink(iterator position)
    {
        if (position.isNull() || position == end())
            throw std::logic_error("poly_list iterator invalid");
        return unlink(*position);
    }

private:
    static T* toElement(node* n) { return static_cast<T*>(static_cast<base_element*>(n)); }

    void checkRange(iterator first, iterator last) const
    {
        if (first.isNull() || last.isNull())
            throw std::logic_error("poly_list iterator invalid");
        for (const node* n = first.m_node; n != last.m_node; n = n->m_next) {
            if (n == &m_sentinel || n == nullptr)
                throw std::logic_error("poly_list iterator invalid");
        }
    }

    void unlinkNode(node* n)
    {
        n->m_prev->m_next = n->m_next;
        n->m_next->m_prev = n->m_prev;
        n->m_next = n->m_prev = nullptr;
        --m_count;
    }

    mutable node m_sentinel;
    std::uint32_t m_count = 0;
};

#endif  // SELTRANE_COMPONENTS_BRANTLE_CORE_POLY_LIST_H
