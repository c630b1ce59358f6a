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
    explicit sortvector_el(std::uint16_t id) : id_(id) {}
    // A copy keeps the id and is in no list.
    sortvector_el(const sortvector_el& other) : list_node<sortvector_el>(other), id_(other.id_) {}
    sortvector_el& operator=(const sortvector_el& other)
    {
        id_ = other.id_;
        return *this;
    }
    virtual ~sortvector_el();

    // The order of the element list: by id unless a derived class says otherwise.
    virtual bool lessThan(const sortvector_el& other) const;
    // A new element equal to this one (same id, no links). Derived classes
    // override it to copy themselves; the table's copy relies on that.
    virtual sortvector_el* clone() const;

    std::uint16_t id() const { return id_; }
    // For readers that fill an element before inserting it under its own id;
    // the table sets the id itself on insert.
    void setId(std::uint16_t id) { id_ = id; }

private:
    std::uint16_t id_ = 0;
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

    using iterator = typename poly_list<T>::iterator;
    using const_iterator = typename poly_list<T>::const_iterator;

    // A growth chunk of 0 counts as 1; the maximum is capped at 65536.
    sortvector(std::uint32_t chunk, std::uint32_t maximum)
        : maximum_(std::min(maximum, kMaximumLimit)),
          chunk_(std::max<std::uint32_t>(1, std::min(chunk, maximum_)))
    {
        slots_.resize(std::min(chunk_, maximum_), nullptr);
    }

    sortvector(const sortvector& other)
        : maximum_(other.maximum_), chunk_(other.chunk_)
    {
        copyElementsFrom(other);
    }

    sortvector& operator=(const sortvector& other)
    {
        if (this != &other) {
            clear();
            maximum_ = other.maximum_;
            chunk_ = other.chunk_;
            copyElementsFrom(other);
        }
        return *this;
    }

    ~sortvector() { elements_.erase(elements_.begin(), elements_.end()); }

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
                grow(static_cast<std::uint64_t>(slots_.size()) + chunk_);
                id = lowestFreeSlot();
                if (id == kNoId)
                    return -1;
            }
        } else {
            if (id >= maximum_)
                return -1;
            const std::uint64_t n = slots_.size();
            if (id >= n)
                grow(n + static_cast<std::uint64_t>(chunk_) * ((id - n) / chunk_ + 1));
        }
        if (id >= slots_.size() || slots_[id] != nullptr)
            return -1;

        element->setId(static_cast<std::uint16_t>(id));
        linkOrdered(element);
        slots_[id] = element;
        highestId_ = std::max(highestId_, static_cast<std::int32_t>(id));
        return static_cast<int>(id);
    }

    // The element with this id; an id without an element stops the program.
    // Use find for ids that come from file data.
    T* operator[](std::uint32_t id)
    {
        if (id >= slots_.size() || slots_[id] == nullptr)
            sortvectorMissingElement(276);
        return slots_[id];
    }
    const T* operator[](std::uint32_t id) const
    {
        if (id >= slots_.size() || slots_[id] == nullptr)
            sortvectorMissingElement(285);
        return slots_[id];
    }

    // The element with this id, or null.
    T* find(std::uint32_t id) { return id < slots_.size() ? slots_[id] : nullptr; }
    const T* find(std::uint32_t id) const { return id < slots_.size() ? slots_[id] : nullptr; }
    bool exists(std::uint32_t id) const { return find(id) != nullptr; }

    // Deletes the element with this id; false when there is none.
    bool remove(std::uint32_t id)
    {
        T* element = find(id);
        if (!element)
            return false;
        slots_[id] = nullptr;
        elements_.erase(iterator(element));
        if (static_cast<std::int32_t>(id) == highestId_)
            highestId_ = highestUsedSlot();
        return true;
    }

    // Deletes every element; the slots stay.
    void clear()
    {
        elements_.clear();
        std::fill(slots_.begin(), slots_.end(), nullptr);
        highestId_ = -1;
    }

    // The first element in list order, null when empty.
    T* first() { return elements_.front(); }
    const T* first() const { return elements_.front(); }

    // The elements in list order.
    iterator begin() { return elements_.begin(); }
    iterator end() { return elements_.end(); }
    const_iterator begin() const { return elements_.begin(); }
    const_iterator end() const { return elements_.end(); }

    std::uint32_t size() const { return elements_.size(); }
    bool empty() const { return elements_.empty(); }
    std::uint32_t slotCount() const { return static_cast<std::uint32_t>(slots_.size()); }
    std::uint32_t maximumSize() const { return maximum_; }
    std::uint32_t growthChunk() const { return chunk_; }
    // The highest id in use, -1 while there is none.
    std::int32_t highestId() const { return highestId_; }

private:
    std::uint32_t lowestFreeSlot() const
    {
        const auto it = std::find(slots_.begin(), slots_.end(), nullptr);
        return it == slots_.end() ? kNoId : static_cast<std::uint32_t>(it - slots_.begin());
    }

    std::int32_t highestUsedSlot() const
    {
        for (std::size_t i = slots_.size(); i-- > 0;) {
            if (slots_[i])
                return static_cast<std::int32_t>(i);
        }
        return -1;
    }

    void grow(std::uint64_t newSize)
    {
        newSize = std::min<std::uint64_t>(newSize, maximum_);
        if (newSize > slots_.size())
            slots_.resize(static_cast<std::size_t>(newSize), nullptr);
    }

    // Walks from the back and links the element directly after the first
    // element that orders before it; elements that compare equal keep the
    // newer element before the older ones.
    void linkOrdered(T* element)
    {
        iterator position = elements_.end();
        while (position != elements_.begin()) {
            iterator previous = position;
            --previous;
            if (previous->lessThan(*element))
                break;
            position = previous;
        }
        elements_.insert(position, element);
    }

    void copyElementsFrom(const sortvector& other)
    {
        slots_.assign(other.slots_.size(), nullptr);
        for (const T& element : other.elements_) {
            sortvector_el* copy = element.clone();
            T* typed = dynamic_cast<T*>(copy);
            if (!typed) {
                delete copy;
                throw std::logic_error("sortvector element clone has the wrong type");
            }
            typed->setId(element.id());
            elements_.push_back(typed);
            slots_[element.id()] = typed;
        }
        highestId_ = other.highestId_;
    }

    std::vector<T*> slots_;
    poly_list<T> elements_;
    std::uint32_t maximum_;
    std::uint32_t chunk_;
    std::int32_t highestId_ = -1;
};

#endif  // SELTRANE_COMPONENTS_BRANTLE_CORE_SORTVECTOR_H
