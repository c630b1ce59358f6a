// sortvector<T> is an id-indexed table of owned elements: the element of id i
// sits in slot i, ids are small integers (below 65536) handed out lowest free
// first, and the same elements are kept in a poly_list ordered by each
// element's own lessThan, which is the order in which callers walk them.
// Element types derive from sortvector_el, which carries the 16-bit id.
//
// The table owns its elements from a successful insert until remove or its
// own destruction. Copies clone every element. Thread safety: none; the owner
// serialises all access.
#ifndef SELTRANE_COMPONENTS_BRANTLE_CORE_SORTVECTOR_H
#define SELTRANE_COMPONENTS_BRANTLE_CORE_SORTVECTOR_H

#include "seltrane_components/brantle_core/poly_list.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

// Base of every sortvector element.
class sortvector_el : public list_node<sortvector_el>
{
public:
    sortvector_el() = default;
    explicit sortvector_el(std::uint16_t id) : m_id(id) {}
    // A copy keeps the id and is in no list.
    sortvector_el(const sortvector_el& other) : list_node<sortvector_el>(other), m_id(other.m_id) {}
    sortvector_el& operator=(const sortvector_el& other)
    {
        m_id = other.m_id;
        return *this;
    }
    virtual ~sortvector_el();

    // The order of the element list: by id unless a derived class says otherwise.
    virtual bool lessThan(const sortvector_el& other) const;
    // A new element equal to this one (same id, no links). Derived classes
    // override it to copy themselves; the table's copy relies on that.
    virtual sortvector_el* clone() const;

    std::uint16_t id() const { return m_id; }
    // Equal ids; the links are no part of the value.
    bool operator==(const sortvector_el& other) const { return m_id == other.m_id; }
    // For readers that fill an element before inserting it under its own id;
    // the table sets the id itself on insert.
    void setId(std::uint16_t id) { m_id = id; }

private:
    std::uint16_t m_id = 0;
};

// Reports an access to an id without an element (fatal). Shared by both
// overloads of sortvector::operator[].
[[noreturn]] void sortvectorMissingElement(int line);

template <class T>
class sortvector
{
public:
    static constexpr std::uint32_t kNoId = 0xFFFFFFFF;
    // Ids must fit the element's 16-bit field.
    static constexpr std::uint32_t kMaximumLimit = 65536;

    using value_type = T;
    using iterator = typename poly_list<T>::iterator;
    using const_iterator = typename poly_list<T>::const_iterator;

    // A growth chunk of 0 counts as 1; the maximum is capped at 65536.
    sortvector(std::uint32_t chunk, std::uint32_t maximum)
        : m_maximum(std::min(maximum, kMaximumLimit)), m_chunk(std::max<std::uint32_t>(1, std::min(chunk, m_maximum)))
    {
        m_slots.resize(std::min(m_chunk, m_maximum), nullptr);
    }

    sortvector(const sortvector& other) : m_maximum(other.m_maximum), m_chunk(other.m_chunk)
    {
        copyElementsFrom(other);
    }

    sortvector& operator=(const sortvector& other)
    {
        if (this != &other) {
            clear();
            m_maximum = other.m_maximum;
            m_chunk = other.m_chunk;
            copyElementsFrom(other);
        }
        return *this;
    }

    ~sortvector() { m_elements.erase(m_elements.begin(), m_elements.end()); }

    // Takes ownership of `element` and files it under `id`, or under the
    // lowest free id when id is kNoId; returns the id. Returns -1 when it
    // cannot be placed (id taken or not below the maximum, table full, null
    // element or one already in a list): the caller then still owns it.
    int insert(T* element, std::uint32_t id = kNoId)
    {
        if (!element || element->isLinked())
            return -1;
        if (id == kNoId) {
            id = lowestFreeSlot();
            if (id == kNoId) {
                grow(static_cast<std::uint64_t>(m_slots.size()) + m_chunk);
                id = lowestFreeSlot();
                if (id == kNoId)
                    return -1;
            }
        } else {
            if (id >= m_maximum)
                return -1;
            const std::uint64_t n = m_slots.size();
            if (id >= n)
                grow(n + static_cast<std::uint64_t>(m_chunk) * ((id - n) / m_chunk + 1));
        }
        if (id >= m_slots.size() || m_slots[id] != nullptr)
            return -1;

        element->setId(static_cast<std::uint16_t>(id));
        linkOrdered(element);
        m_slots[id] = element;
        m_highestId = std::max(m_highestId, static_cast<std::int32_t>(id));
        return static_cast<int>(id);
    }

    // The element with this id; an id without an element stops the program.
    // Use find for ids that come from file data.
    T* operator[](std::uint32_t id)
    {
        if (id >= m_slots.size() || m_slots[id] == nullptr)
            sortvectorMissingElement(276);
        return m_slots[id];
    }
    const T* operator[](std::uint32_t id) const
    {
        if (id >= m_slots.size() || m_slots[id] == nullptr)
            sortvectorMissingElement(285);
        return m_slots[id];
    }

    // The element with this id, or null.
    T* find(std::uint32_t id) { return id < m_slots.size() ? m_slots[id] : nullptr; }
    const T* find(std::uint32_t id) const { return id < m_slots.size() ? m_slots[id] : nullptr; }
    bool exists(std::uint32_t id) const { return find(id) != nullptr; }

    // Deletes the element with this id; false when there is none.
    bool remove(std::uint32_t id)
    {
        T* element = find(id);
        if (!element)
            return false;
        m_slots[id] = nullptr;
        m_firstFree = std::min(m_firstFree, id);
        m_elements.erase(iterator(element));
        if (static_cast<std::int32_t>(id) == m_highestId)
            m_highestId = highestUsedSlot();
        return true;
    }

    // Deletes every element; the slots stay.
    void clear()
    {
        m_elements.clear();
        std::fill(m_slots.begin(), m_slots.end(), nullptr);
        m_highestId = -1;
        m_firstFree = 0;
    }

    // The first element in list order, null when empty.
    T* first() { return m_elements.front(); }
    const T* first() const { return m_elements.front(); }

    // The elements in list order.
    iterator begin() { return m_elements.begin(); }
    iterator end() { return m_elements.end(); }
    const_iterator begin() const { return m_elements.begin(); }
    const_iterator end() const { return m_elements.end(); }

    std::uint32_t size() const { return m_elements.size(); }
    bool empty() const { return m_elements.empty(); }
    // Equal elements in the same order (T's own ==); room and growth aside.
    bool operator==(const sortvector& other) const { return m_elements == other.m_elements; }
    std::uint32_t slotCount() const { return static_cast<std::uint32_t>(m_slots.size()); }
    std::uint32_t maximumSize() const { return m_maximum; }
    std::uint32_t growthChunk() const { return m_chunk; }
    // The highest id in use, -1 while there is none.
    std::int32_t highestId() const { return m_highestId; }

private:
    // Every slot below m_firstFree is taken, so the search starts there: filling
    // a table one element at a time stays linear instead of quadratic.
    std::uint32_t lowestFreeSlot()
    {
        const auto it =
            std::find(m_slots.begin() + std::min<std::size_t>(m_firstFree, m_slots.size()), m_slots.end(), nullptr);
        m_firstFree = static_cast<std::uint32_t>(it - m_slots.begin());
        return it == m_slots.end() ? kNoId : m_firstFree;
    }

    std::int32_t highestUsedSlot() const
    {
        for (std::size_t i = m_slots.size(); i-- > 0;) {
            if (m_slots[i])
                return static_cast<std::int32_t>(i);
        }
        return -1;
    }

    void grow(std::uint64_t newSize)
    {
        newSize = std::min<std::uint64_t>(newSize, m_maximum);
        if (newSize > m_slots.size())
            m_slots.resize(static_cast<std::size_t>(newSize), nullptr);
    }

    // Walks from the back and links the element directly after the first
    // element that orders before it; elements that compare equal keep the
    // newer element before the older ones.
    void linkOrdered(T* element)
    {
        iterator position = m_elements.end();
        while (position != m_elements.begin()) {
            iterator previous = position;
            --previous;
            if (previous->lessThan(*element))
                break;
            position = previous;
        }
        m_elements.insert(position, element);
    }

    void copyElementsFrom(const sortvector& other)
    {
        m_slots.assign(other.m_slots.size(), nullptr);
        m_firstFree = 0;
        for (const T& element : other.m_elements) {
            sortvector_el* copy = element.clone();
            T* typed = dynamic_cast<T*>(copy);
            if (!typed) {
                delete copy;
                throw std::logic_error("sortvector element clone has the wrong type");
            }
            typed->setId(element.id());
            m_elements.push_back(typed);
            m_slots[element.id()] = typed;
        }
        m_highestId = other.m_highestId;
    }

    std::vector<T*> m_slots;
    poly_list<T> m_elements;
    std::uint32_t m_maximum;
    std::uint32_t m_chunk;
    std::int32_t m_highestId = -1;
    std::uint32_t m_firstFree = 0;
};

#endif  // SELTRANE_COMPONENTS_BRANTLE_CORE_SORTVECTOR_H
